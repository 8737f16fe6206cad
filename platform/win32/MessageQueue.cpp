#include "platform/MessageQueue.h"

#include "platform/win32/WindowNative.h"

namespace zelmor::platform {

// Windows keeps the queue itself: posted messages, input and the quit message all wait there.
struct MessageQueue::Native {};

namespace {

constexpr UINT MOUSE_LEAVE = 0x02A3;  // WM_MOUSELEAVE

HWND handleOf(const Window* window) {
    return window != nullptr ? window->native().window : nullptr;
}

MSG nativeMessage(const Message& message) {
    MSG native{};
    native.hwnd = handleOf(message.window);
    native.message = message.message;
    native.wParam = message.wParam;
    native.lParam = message.lParam;
    native.time = GetMessageTime();
    return native;
}

}  // namespace

MessageQueue& MessageQueue::instance() {
    static MessageQueue queue;
    return queue;
}

MessageQueue::MessageQueue() : native_(std::make_unique<Native>()) {}

MessageQueue::~MessageQueue() = default;

bool MessageQueue::peek(Message& out, Window* window) {
    MSG message;
    // The thread's quit message has no window. Windows (and wine) hand it to a poll filtered
    // on a window too; it is asked for on its own as well so that it can never be missed.
    if (PeekMessageA(&message, handleOf(window), 0, 0, PM_REMOVE) == FALSE &&
        PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) == FALSE) {
        return false;
    }
    out = {windowFromHandle(message.hwnd), message.message, message.wParam, message.lParam};
    return true;
}

void MessageQueue::post(Window* window, uint32_t message, uint64_t wParam, int64_t lParam) {
    PostMessageA(handleOf(window), message, wParam, lParam);
}

void MessageQueue::postQuit(int exitCode) {
    PostQuitMessage(exitCode);
}

int64_t MessageQueue::dispatch(const Message& message) {
    const MSG native = nativeMessage(message);
    return DispatchMessageA(&native);
}

void MessageQueue::translate(const Message& message) {
    const MSG native = nativeMessage(message);
    TranslateMessage(&native);
}

int64_t MessageQueue::defaultProcedure(Window* window, uint32_t message, uint64_t wParam,
                                       int64_t lParam) {
    const HWND handle = handleOf(window);
    return handle != nullptr ? DefWindowProcA(handle, message, wParam, lParam) : 0;
}

// While the mouse is captured the window keeps its moves wherever the pointer goes, so it has
// no leave to hear of; once released, a pointer already outside is told at once, and one inside
// is watched again.
void MessageQueue::setCapture(Window* window) {
    const HWND handle = handleOf(window);
    TRACKMOUSEEVENT cancel{sizeof(TRACKMOUSEEVENT), TME_LEAVE | TME_CANCEL, handle, 0};
    TrackMouseEvent(&cancel);
    SetCapture(handle);
}

void MessageQueue::releaseCapture() {
    const HWND captured = GetCapture();
    ReleaseCapture();
    if (captured == nullptr) {
        return;
    }
    POINT cursor{};
    RECT client{};
    const bool outside =
        GetCursorPos(&cursor) != FALSE && ScreenToClient(captured, &cursor) != FALSE &&
        GetClientRect(captured, &client) != FALSE && PtInRect(&client, cursor) == FALSE;
    if (outside) {
        PostMessageA(captured, MOUSE_LEAVE, 0, 0);
    } else {
        trackMouseLeave(captured);
    }
}

}  // namespace zelmor::platform
