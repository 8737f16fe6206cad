#pragma once

#include <cstddef>
#include <deque>

#include "platform/WindowMessages.h"

namespace zelmor::platform {

// The browser's input for the window, as window messages in the order the events came. The
// page's event callbacks run only while the program has handed the browser its turn (in the
// buffer swap), so the messages wait here until the main loop polls them.
class WebInput {
public:
    static WebInput& instance();

    // Starts taking the canvas's and the document's events for the window.
    void attach(Window* window);
    // Stops taking events; what still waits is dropped.
    void detach();
    // Takes the oldest message. A run of mouse moves counts as one move: the latest.
    bool take(Message& out);
    void push(const Message& message);

    // A press inside the canvas holds the mouse until its release, wherever that happens:
    // moves and releases then come from the whole document, as with captured mouse.
    bool captured() const { return leftButton_ || rightButton_; }
    bool holds(int button) const;
    uint64_t keyState(bool shift, bool control) const;
    void setButton(int button, bool down);
    Window* window() const { return window_; }

private:
    // Enough for any burst a user can make between two polls; beyond it events are dropped
    // rather than let the queue grow without bound.
    static constexpr std::size_t MAX_WAITING = 4096;

    std::deque<Message> waiting_;
    Window* window_ = nullptr;
    bool leftButton_ = false;
    bool rightButton_ = false;
};

}  // namespace zelmor::platform
