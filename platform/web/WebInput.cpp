#include "platform/web/WebInput.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/web/KeyTranslator.h"
#include "platform/web/WindowNative.h"

namespace zelmor::platform {

namespace {

// The event's point in the canvas's pixels, from its place in the page: the document's events
// are measured from the page, not from the canvas.
EM_JS(void, canvasPoint, (const char* selector, double clientX, double clientY, int* out), {
    const canvas = document.querySelector(UTF8ToString(selector));
    const rect = canvas.getBoundingClientRect();
    const scaleX = rect.width > 0 ? canvas.width / rect.width : 1;
    const scaleY = rect.height > 0 ? canvas.height / rect.height : 1;
    HEAP32[out >> 2] = Math.floor((clientX - rect.left) * scaleX);
    HEAP32[(out >> 2) + 1] = Math.floor((clientY - rect.top) * scaleY);
    HEAP32[(out >> 2) + 2] = canvas.width;
    HEAP32[(out >> 2) + 3] = canvas.height;
});

// A right click on the canvas opens no menu: the right button gives orders.
EM_JS(void, keepContextMenuOff, (const char* selector), {
    document.querySelector(UTF8ToString(selector))
        .addEventListener(
            "contextmenu", function(event) { event.preventDefault(); });
});

WebInput& input() {
    return WebInput::instance();
}

uint32_t buttonMessage(int button, bool down) {
    if (button == 0) {
        return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    }
    if (button == 2) {
        return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    }
    return WM_NULL;
}

// Where the event happened, in the canvas's pixels, and whether that lies on the canvas.
struct CanvasPoint {
    int64_t param = 0;
    bool inside = false;
};

CanvasPoint pointOf(const EmscriptenMouseEvent& event) {
    int point[4] = {0, 0, 0, 0};
    canvasPoint(CANVAS, static_cast<double>(event.clientX), static_cast<double>(event.clientY),
                point);
    const bool inside =
        point[0] >= 0 && point[1] >= 0 && point[0] < point[2] && point[1] < point[3];
    return {makePointParam(point[0], point[1]), inside};
}

void pushMouse(uint32_t message, const EmscriptenMouseEvent& event, int64_t where) {
    WebInput& in = input();
    in.push({in.window(), message, in.keyState(event.shiftKey, event.ctrlKey), where});
}

EM_BOOL onMouseDown(int, const EmscriptenMouseEvent* event, void*) {
    const uint32_t message = buttonMessage(event->button, true);
    const CanvasPoint at = pointOf(*event);
    if (!at.inside || message == WM_NULL) {
        return EM_FALSE;
    }
    input().setButton(event->button, true);
    pushMouse(message, *event, at.param);
    return EM_TRUE;
}

// Taken from the whole document: a button pressed on the canvas is released wherever the
// pointer then is, and only such a button.
EM_BOOL onMouseUp(int, const EmscriptenMouseEvent* event, void*) {
    const uint32_t message = buttonMessage(event->button, false);
    if (message == WM_NULL || !input().holds(event->button)) {
        return EM_FALSE;
    }
    input().setButton(event->button, false);
    const CanvasPoint at = pointOf(*event);
    pushMouse(message, *event, at.param);
    // The pointer left the canvas while the button held it, and that leave went unheard: the
    // release outside tells it now, as the desktop's releaseCapture does.
    if (!at.inside && !input().captured()) {
        input().push({input().window(), WM_MOUSELEAVE, 0, 0});
    }
    return EM_TRUE;
}

// Taken from the whole document too: outside the canvas only a held mouse is followed.
EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* event, void*) {
    const CanvasPoint at = pointOf(*event);
    if (at.inside || input().captured()) {
        pushMouse(WM_MOUSEMOVE, *event, at.param);
    }
    return EM_FALSE;
}

EM_BOOL onMouseLeave(int, const EmscriptenMouseEvent*, void*) {
    if (!input().captured()) {
        input().push({input().window(), WM_MOUSELEAVE, 0, 0});
    }
    return EM_FALSE;
}

EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* event, void*) {
    WebInput& in = input();
    const bool released = type == EMSCRIPTEN_EVENT_KEYUP;
    const KeyMessage key = translateKey(event->code, event->key, event->repeat, released);
    if (key.virtualKey == 0 && keyScanCode(key.keyData) == 0) {
        return EM_FALSE;
    }
    in.push({in.window(), released ? WM_KEYUP : WM_KEYDOWN, key.virtualKey, key.keyData});
    const std::string_view text = event->key;
    if (!released && text.size() == 1 && !event->ctrlKey && !event->altKey && !event->metaKey) {
        in.push({in.window(), WM_CHAR, static_cast<unsigned char>(text[0]), key.keyData});
    }
    // Keys with a browser meaning of their own (scrolling the page, shortcuts) keep it only
    // while a modifier other than SHIFT is held.
    return !(event->ctrlKey || event->altKey || event->metaKey);
}

EM_BOOL onFocus(int type, const EmscriptenFocusEvent*, void*) {
    input().push(
        {input().window(), type == EMSCRIPTEN_EVENT_BLUR ? WM_KILLFOCUS : WM_SETFOCUS, 0, 0});
    return EM_FALSE;
}

void setCallbacks(bool on) {
    void* none = nullptr;
    const auto key = on ? onKey : nullptr;
    const auto focus = on ? onFocus : nullptr;
    emscripten_set_mousedown_callback(CANVAS, none, EM_TRUE, on ? onMouseDown : nullptr);
    emscripten_set_mouseleave_callback(CANVAS, none, EM_TRUE, on ? onMouseLeave : nullptr);
    emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, none, EM_TRUE,
                                      on ? onMouseMove : nullptr);
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, none, EM_TRUE,
                                    on ? onMouseUp : nullptr);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, none, EM_TRUE, key);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, none, EM_TRUE, key);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, none, EM_TRUE, focus);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, none, EM_TRUE, focus);
}

}  // namespace

WebInput& WebInput::instance() {
    static WebInput webInput;
    return webInput;
}

void WebInput::attach(Window* window) {
    window_ = window;
    setCallbacks(true);
    keepContextMenuOff(CANVAS);
}

void WebInput::detach() {
    setCallbacks(false);
    waiting_.clear();
    window_ = nullptr;
    leftButton_ = false;
    rightButton_ = false;
}

void WebInput::push(const Message& message) {
    if (window_ != nullptr && waiting_.size() < MAX_WAITING) {
        waiting_.push_back(message);
    }
}

bool WebInput::take(Message& out) {
    if (waiting_.empty()) {
        return false;
    }
    out = waiting_.front();
    waiting_.pop_front();
    while (out.message == WM_MOUSEMOVE && !waiting_.empty() &&
           waiting_.front().message == WM_MOUSEMOVE) {
        out = waiting_.front();
        waiting_.pop_front();
    }
    return true;
}

uint64_t WebInput::keyState(bool shift, bool control) const {
    return (leftButton_ ? MK_LBUTTON : 0) | (rightButton_ ? MK_RBUTTON : 0) |
           (shift ? MK_SHIFT : 0) | (control ? MK_CONTROL : 0);
}

bool WebInput::holds(int button) const {
    return (button == 0 && leftButton_) || (button == 2 && rightButton_);
}

void WebInput::setButton(int button, bool down) {
    if (button == 0) {
        leftButton_ = down;
    } else if (button == 2) {
        rightButton_ = down;
    }
}

}  // namespace zelmor::platform
