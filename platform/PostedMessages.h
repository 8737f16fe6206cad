#pragma once

#include <cstdint>
#include <deque>

#include "platform/WindowMessages.h"

namespace zelmor::platform {

// The messages the program posts to itself, for the platforms whose window system keeps no
// queue of the program's own: posted messages come out first, in order, then the quit message
// once one was posted.
class PostedMessages {
public:
    void post(const Message& message) { posted_.push_back(message); }
    void postQuit(int exitCode) {
        quitPosted_ = true;
        quitCode_ = exitCode;
    }
    // Takes the next posted message, else the quit message; false when neither waits.
    bool take(Message& out);

private:
    std::deque<Message> posted_;
    bool quitPosted_ = false;
    int quitCode_ = 0;
};

}  // namespace zelmor::platform
