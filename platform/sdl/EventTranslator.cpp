#include "platform/sdl/EventTranslator.h"

#include "platform/sdl/WindowNative.h"

namespace zelmor::platform {

namespace {

struct SdlPlace {
    SDL_Scancode code;
    std::string_view place;  // the key's row in KEY_ROWS
};

// The keys of KEY_ROWS as SDL knows them.
constexpr SdlPlace SDL_PLACES[] = {
    {SDL_SCANCODE_ESCAPE, "Escape"},       {SDL_SCANCODE_LSHIFT, "ShiftLeft"},
    {SDL_SCANCODE_RSHIFT, "ShiftRight"},   {SDL_SCANCODE_LCTRL, "ControlLeft"},
    {SDL_SCANCODE_RCTRL, "ControlRight"},  {SDL_SCANCODE_SPACE, "Space"},
    {SDL_SCANCODE_RETURN, "Enter"},        {SDL_SCANCODE_KP_ENTER, "NumpadEnter"},
    {SDL_SCANCODE_HOME, "Home"},           {SDL_SCANCODE_KP_7, "Numpad7"},
    {SDL_SCANCODE_UP, "ArrowUp"},          {SDL_SCANCODE_KP_8, "Numpad8"},
    {SDL_SCANCODE_PAGEUP, "PageUp"},       {SDL_SCANCODE_KP_9, "Numpad9"},
    {SDL_SCANCODE_LEFT, "ArrowLeft"},      {SDL_SCANCODE_KP_4, "Numpad4"},
    {SDL_SCANCODE_KP_5, "Numpad5"},        {SDL_SCANCODE_RIGHT, "ArrowRight"},
    {SDL_SCANCODE_KP_6, "Numpad6"},        {SDL_SCANCODE_END, "End"},
    {SDL_SCANCODE_KP_1, "Numpad1"},        {SDL_SCANCODE_DOWN, "ArrowDown"},
    {SDL_SCANCODE_KP_2, "Numpad2"},        {SDL_SCANCODE_PAGEDOWN, "PageDown"},
    {SDL_SCANCODE_KP_3, "Numpad3"},        {SDL_SCANCODE_INSERT, "Insert"},
    {SDL_SCANCODE_KP_0, "Numpad0"},        {SDL_SCANCODE_DELETE, "Delete"},
    {SDL_SCANCODE_KP_PERIOD, "NumpadDecimal"},
};

const KeyRow* rowOf(SDL_Scancode code) {
    for (const SdlPlace& place : SDL_PLACES) {
        if (place.code == code) {
            return keyRow(place.place);
        }
    }
    return nullptr;
}

// The letter or digit printed on the key at this place on a US keyboard, or 0.
char characterOfPlace(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) {
        return static_cast<char>('A' + (code - SDL_SCANCODE_A));
    }
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) {
        return static_cast<char>('1' + (code - SDL_SCANCODE_1));
    }
    return code == SDL_SCANCODE_0 ? '0' : 0;
}

}  // namespace

int EventTranslator::setOneScanCode(SDL_Scancode code) {
    if (const KeyRow* row = rowOf(code)) {
        return row->scanCode;
    }
    const char character = characterOfPlace(code);
    return character >= 'A' ? letterScanCode(character) : digitScanCode(character);
}

bool EventTranslator::isExtendedKey(SDL_Scancode code) {
    const KeyRow* row = rowOf(code);
    return row != nullptr && row->extended;
}

uint64_t EventTranslator::virtualKey(SDL_Scancode code, SDL_Keycode character, bool numLock) {
    // Letters and digits follow the layout: "S" is the key marked S wherever it sits.
    if (character >= 'a' && character <= 'z') {
        return 'A' + (character - 'a');
    }
    if (character >= '0' && character <= '9') {
        return static_cast<uint64_t>(character);
    }
    // A letter key that gives no ASCII character (a layout without Latin letters, or none
    // known) keeps the letter of its place; the digit row keeps its digits on layouts that put
    // symbols there unshifted.
    const bool ascii = character > 0 && character < 0x80;
    const char place = characterOfPlace(code);
    if (place >= 'A' ? !ascii : place != 0) {
        return static_cast<uint64_t>(place);
    }
    if (numLock && code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9) {
        return 0x61 + (code - SDL_SCANCODE_KP_1);  // VK_NUMPAD1..9
    }
    if (numLock && code == SDL_SCANCODE_KP_0) {
        return 0x60;  // VK_NUMPAD0
    }
    const KeyRow* row = rowOf(code);
    return row != nullptr ? row->virtualKey : 0;
}

uint64_t EventTranslator::keyState() const {
    return (leftButton_ ? MK_LBUTTON : 0) | (rightButton_ ? MK_RBUTTON : 0) |
           (shift_ ? MK_SHIFT : 0) | (control_ ? MK_CONTROL : 0);
}

Message EventTranslator::keyMessage(const SDL_KeyboardEvent& key) {
    // The event carries the modifiers as they stood once this key had acted.
    shift_ = (key.keysym.mod & KMOD_SHIFT) != 0;
    control_ = (key.keysym.mod & KMOD_CTRL) != 0;
    const bool released = key.type == SDL_KEYUP;
    const SDL_Scancode code = key.keysym.scancode;
    const int64_t data = makeKeyParam(setOneScanCode(code), isExtendedKey(code),
                                      released || key.repeat != 0, released);
    const bool numLock = (key.keysym.mod & KMOD_NUM) != 0;
    return {windowFromSdlId(key.windowID), released ? WM_KEYUP : WM_KEYDOWN,
            virtualKey(code, key.keysym.sym, numLock), data};
}

void EventTranslator::notePointer(uint32_t windowId, int x, int y) {
    // A move for no known window has no client area to lie outside of.
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    if (window == nullptr) {
        pointerOutside_ = false;
        return;
    }
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    pointerOutside_ = x < 0 || y < 0 || x >= width || y >= height;
}

Message EventTranslator::motionMessage(const SDL_MouseMotionEvent& motion) {
    Window* target = windowFromSdlId(motion.windowID);
    notePointer(motion.windowID, motion.x, motion.y);
    // SDL reports the point where the pointer left the window, and with its own capture the
    // points beyond; a window without the capture hears nothing from outside its client area.
    if (pointerOutside_ && !captured_) {
        return {target, WM_NULL, 0, 0};
    }
    return {target, WM_MOUSEMOVE, keyState(), makePointParam(motion.x, motion.y)};
}

Message EventTranslator::mouseButtonMessage(const SDL_MouseButtonEvent& button) {
    notePointer(button.windowID, button.x, button.y);
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    uint32_t message = WM_NULL;
    if (button.button == SDL_BUTTON_LEFT) {
        leftButton_ = down;
        message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    } else if (button.button == SDL_BUTTON_RIGHT) {
        rightButton_ = down;
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    }
    return {windowFromSdlId(button.windowID), message, keyState(),
            makePointParam(button.x, button.y)};
}

Message EventTranslator::windowMessage(const SDL_WindowEvent& window) {
    Window* target = windowFromSdlId(window.windowID);
    switch (window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            return {target, WM_SIZE, 0, makeSizeParam(window.data1, window.data2)};
        case SDL_WINDOWEVENT_CLOSE:
            return {target, WM_CLOSE, 0, 0};
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            return {target, WM_SETFOCUS, 0, 0};
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return {target, WM_KILLFOCUS, 0, 0};
        case SDL_WINDOWEVENT_LEAVE:
            // A captured pointer has not left: its messages still come to the window.
            pointerOutside_ = true;
            return {target, captured_ ? WM_NULL : WM_MOUSELEAVE, 0, 0};
        default:
            return {target, WM_NULL, 0, 0};
    }
}

Message EventTranslator::translate(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return keyMessage(event.key);
        case SDL_MOUSEMOTION:
            return motionMessage(event.motion);
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return mouseButtonMessage(event.button);
        case SDL_WINDOWEVENT:
            return windowMessage(event.window);
        case SDL_QUIT:
            return {nullptr, WM_CLOSE, 0, 0};
        case SDL_TEXTINPUT:
            return {windowFromSdlId(event.text.windowID), WM_CHAR,
                    static_cast<unsigned char>(event.text.text[0]), 1};
        default:
            return {};
    }
}

}  // namespace zelmor::platform
