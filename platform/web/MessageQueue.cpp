#include "platform/MessageQueue.h"

#include <deque>

#include "platform/Window.h"
#include "platform/web/WebInput.h"

namespace zelmor::platform {

// Messages posted by the program come first, then the quit message once posted, then the
// page's input, one message per poll.
struct MessageQueue::Native {
    std::deque<Message> posted;
    bool quitPosted = false;
    int quitCode = 0;
};

MessageQueue& MessageQueue::instance() {
    static MessageQueue queue;
    return queue;
}

MessageQueue::MessageQueue() : native_(std::make_unique<Native>()) {}

MessageQueue::~MessageQueue() = default;

bool MessageQueue::peek(Message& out, Window*) {
    if (!native_->posted.empty()) {
        out = native_->posted.front();
        native_->posted.pop_front();
        return true;
    }
    if (native_->quitPosted) {
        native_->quitPosted = false;
        out = {nullptr, WM_QUIT, static_cast<uint64_t>(native_->quitCode), 0};
        return true;
    }
    return WebInput::instance().take(out);
}

void MessageQueue::post(Window* window, uint32_t message, uint64_t wParam, int64_t lParam) {
    native_->posted.push_back({window, message, wParam, lParam});
}

void MessageQueue::postQuit(int exitCode) {
    native_->quitPosted = true;
    native_->quitCode = exitCode;
}

int64_t MessageQueue::dispatch(const Message& message) {
    if (message.window == nullptr) {
        return defaultProcedure(nullptr, message.message, message.wParam, message.lParam);
    }
    return message.window->callProcedure(message.message, message.wParam, message.lParam);
}

// Character messages are made with the key messages already.
void MessageQueue::translate(const Message&) {}

int64_t MessageQueue::defaultProcedure(Window*, uint32_t, uint64_t, int64_t) {
    return 0;
}

// A press inside the canvas already keeps the mouse until its release (see WebInput).
void MessageQueue::setCapture(Window*) {}

void MessageQueue::releaseCapture() {}

}  // namespace zelmor::platform
