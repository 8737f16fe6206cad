#pragma once

#include <cstdint>
#include <memory>

#include "platform/WindowMessages.h"

namespace zelmor::platform {

// The thread's message queue: one message per poll, posted messages before input, the quit
// message once posted. A run of mouse moves waiting in the queue counts as one move: the latest.
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
    // Makes the character message of a key message where the platform does so separately.
    static void translate(const Message& message);
    // What the desktop system does with a message a window procedure passes on.
    static int64_t defaultProcedure(Window* window, uint32_t message, uint64_t wParam,
                                    int64_t lParam);

    // Mouse capture: keeps mouse messages coming while the cursor is outside the window. A
    // release with the cursor outside posts WM_MOUSELEAVE, since the leave itself went unheard.
    static void setCapture(Window* window);
    static void releaseCapture();

    // Each platform's own part (its event reader, its own queue of posted messages).
    struct Native;

private:
    std::unique_ptr<Native> native_;
};

}  // namespace zelmor::platform
