#include "platform/sdl/EventTranslator.h"

#include <gtest/gtest.h>

namespace zelmor::platform {
namespace {

// The keycode a US layout gives the keys used here.
SDL_Keycode usCharacter(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) {
        return 'a' + (code - SDL_SCANCODE_A);
    }
    return code == SDL_SCANCODE_ESCAPE ? SDLK_ESCAPE : SDL_SCANCODE_TO_KEYCODE(code);
}

// A key event as SDL reports it on a US layout, or with the character another layout gives.
SDL_Event keyEvent(Uint32 type, SDL_Scancode code, Uint16 mod, Uint8 repeat = 0,
                   SDL_Keycode character = SDLK_UNKNOWN) {
    SDL_Event event{};
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = code;
    event.key.keysym.sym = character != SDLK_UNKNOWN ? character : usCharacter(code);
    event.key.keysym.mod = mod;
    return event;
}

SDL_Event buttonEvent(Uint32 type, Uint8 button, Sint32 x, Sint32 y) {
    SDL_Event event{};
    event.button.type = type;
    event.button.button = button;
    event.button.x = x;
    event.button.y = y;
    return event;
}

TEST(EventTranslator, CameraKeysAndTheirKeypadTwinsShareScanCodes) {
    const std::pair<SDL_Scancode, SDL_Scancode> twins[] = {
        {SDL_SCANCODE_HOME, SDL_SCANCODE_KP_7},   {SDL_SCANCODE_UP, SDL_SCANCODE_KP_8},
        {SDL_SCANCODE_PAGEUP, SDL_SCANCODE_KP_9}, {SDL_SCANCODE_LEFT, SDL_SCANCODE_KP_4},
        {SDL_SCANCODE_RIGHT, SDL_SCANCODE_KP_6},  {SDL_SCANCODE_END, SDL_SCANCODE_KP_1},
        {SDL_SCANCODE_DOWN, SDL_SCANCODE_KP_2},   {SDL_SCANCODE_PAGEDOWN, SDL_SCANCODE_KP_3}};
    const int expected[] = {71, 72, 73, 75, 77, 79, 80, 81};
    EventTranslator translator;
    for (std::size_t i = 0; i < std::size(twins); ++i) {
        const Message block = translator.translate(keyEvent(SDL_KEYDOWN, twins[i].first, 0));
        const Message keypad = translator.translate(keyEvent(SDL_KEYDOWN, twins[i].second, 0));
        EXPECT_EQ(block.message, WM_KEYDOWN);
        EXPECT_EQ(keyScanCode(block.lParam), expected[i]);
        EXPECT_EQ(keyScanCode(keypad.lParam), expected[i]);
        EXPECT_TRUE(keyExtended(block.lParam)) << "cursor block is extended";
        EXPECT_FALSE(keyExtended(keypad.lParam));
        EXPECT_EQ(keyRepeatCount(block.lParam), 1);
    }
}

TEST(EventTranslator, ReleaseSetsBit31AndVirtualKeysFollowTheLetters) {
    EventTranslator translator;
    const Message down = translator.translate(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_S, 0));
    const Message repeat = translator.translate(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_S, 0, 1));
    const Message up = translator.translate(keyEvent(SDL_KEYUP, SDL_SCANCODE_S, 0));
    EXPECT_EQ(down.wParam, 0x53u);
    EXPECT_FALSE(keyReleased(down.lParam));
    EXPECT_FALSE(keyPrevious(down.lParam));
    EXPECT_TRUE(keyPrevious(repeat.lParam));
    EXPECT_EQ(up.message, WM_KEYUP);
    EXPECT_TRUE(keyReleased(up.lParam));
    EXPECT_EQ(translator.translate(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, 0)).wParam,
              VK_ESCAPE);
}

// The virtual key is the letter or digit the layout puts on the key; the scan code stays the
// key's place, which is what the camera keys are read by.
TEST(EventTranslator, LettersAndDigitsFollowTheLayoutsCharacter) {
    struct Case {
        SDL_Scancode place;
        SDL_Keycode character;
        uint64_t virtualKey;
        int scanCode;
    };
    const Case cases[] = {
        {SDL_SCANCODE_SEMICOLON, 's', 'S', 0},  // the key marked S on Dvorak
        {SDL_SCANCODE_D, 's', 'S', 32},         // ... and on Colemak
        {SDL_SCANCODE_S, 'o', 'O', 31},         // Dvorak's O where US has S
        {SDL_SCANCODE_S, 0x44B, 'S', 31},       // a layout without Latin letters
        {SDL_SCANCODE_1, '&', '1', 2},          // symbols on the digit row
        {SDL_SCANCODE_2, 0xE9, '2', 3},        {SDL_SCANCODE_Q, '7', '7', 16},
    };
    EventTranslator translator;
    for (const Case& c : cases) {
        const Message down =
            translator.translate(keyEvent(SDL_KEYDOWN, c.place, 0, 0, c.character));
        EXPECT_EQ(down.wParam, c.virtualKey) << SDL_GetScancodeName(c.place);
        EXPECT_EQ(keyScanCode(down.lParam), c.scanCode) << SDL_GetScancodeName(c.place);
    }
}

TEST(EventTranslator, MousePointsAreSignedSixteenBitHalves) {
    EventTranslator translator;
    SDL_Event motion{};
    motion.motion.type = SDL_MOUSEMOTION;
    motion.motion.x = -5;  // a captured cursor left of and above the window
    motion.motion.y = -300;
    const Message move = translator.translate(motion);
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(pointX(move.lParam), -5);
    EXPECT_EQ(pointY(move.lParam), -300);
    const Message click = translator.translate(buttonEvent(SDL_MOUSEBUTTONDOWN, 1, 639, 479));
    EXPECT_EQ(pointX(click.lParam), 639);
    EXPECT_EQ(pointY(click.lParam), 479);
}

TEST(EventTranslator, ShiftIsTheStateWhenEachEventHappenedInQueueOrder) {
    EventTranslator translator;
    const Message shiftDown =
        translator.translate(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT));
    EXPECT_EQ(shiftDown.message, WM_KEYDOWN);
    const Message press = translator.translate(buttonEvent(SDL_MOUSEBUTTONDOWN, 3, 10, 10));
    EXPECT_EQ(press.message, WM_RBUTTONDOWN);
    EXPECT_EQ(press.wParam, MK_SHIFT | MK_RBUTTON);
    translator.translate(keyEvent(SDL_KEYUP, SDL_SCANCODE_LSHIFT, KMOD_NONE));
    const Message release = translator.translate(buttonEvent(SDL_MOUSEBUTTONUP, 3, 10, 10));
    EXPECT_EQ(release.message, WM_RBUTTONUP);
    EXPECT_EQ(release.wParam, 0u) << "shift went up before the release, button is up";
}

TEST(EventTranslator, WindowEventsBecomeSizeAndCloseMessages) {
    EventTranslator translator;
    SDL_Event size{};
    size.window.type = SDL_WINDOWEVENT;
    size.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    size.window.data1 = 632;
    size.window.data2 = 446;
    const Message resized = translator.translate(size);
    EXPECT_EQ(resized.message, WM_SIZE);
    EXPECT_EQ(sizeWidth(resized.lParam), 632);
    EXPECT_EQ(sizeHeight(resized.lParam), 446);
    SDL_Event close{};
    close.window.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    EXPECT_EQ(translator.translate(close).message, WM_CLOSE);
    SDL_Event other{};
    other.type = SDL_JOYAXISMOTION;
    EXPECT_EQ(translator.translate(other).message, WM_NULL) << "still one message, unhandled";
}

}  // namespace
}  // namespace zelmor::platform
