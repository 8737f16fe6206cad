#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "platform/WindowMessages.h"

namespace zelmor::platform {

class EventTranslator;

// The thread's message queue: posted messages first, then the quit message once posted, then
// at most one window-system event per poll, turned into one message. A run of mouse moves
// waiting in the queue counts as one event: the latest of them.
class MessageQueue {
public:
    // The one queue of the program's thread.
    static MessageQueue& instance();

    MessageQueue();
    ~MessageQueue();

    // Takes one message for the window (or a thread message such as WM_QUIT). False when none
    // was waiting.
    bool peek(Message& out, Window* window);
    void post(Window* window, uint32_t message, uint64_t wParam, int64_t lParam);
    void postQuit(int exitCode);
    // Hands the message to its window's procedure; messages without a window get the default.
    static int64_t dispatch(const Message& message);
    // Character messages are made while translating events already, so this does nothing.
    static void translate(const Message&) {}
    // What the desktop system does with a message a window procedure passes on: nothing here.
    static int64_t defaultProcedure(Window* window, uint32_t message, uint64_t wParam,
                                    int64_t lParam);

    // Mouse capture: keeps mouse messages coming while the cursor is outside the window. A
    // release with the cursor outside posts WM_MOUSELEAVE, since the leave itself went unheard.
    static void setCapture(Window* window);
    static void releaseCapture();

private:
    std::deque<Message> posted_;
    bool quitPosted_ = false;
    int quitCode_ = 0;
    Window* captureWindow_ = nullptr;
    std::unique_ptr<EventTranslator> translator_;
};

}  // namespace zelmor::platform
