#include "platform/MessageQueue.h"

#include "platform/PostedMessages.h"
#include "platform/Window.h"
#include "platform/web/WebInput.h"

namespace zelmor::platform {

// Messages posted by the program come first, then the quit message once posted, then the
// page's input, one message per poll.
struct MessageQueue::Native {
    PostedMessages posted;
};

MessageQueue& MessageQueue::instance() {
    static MessageQueue queue;
    return queue;
}

MessageQueue::MessageQueue() : native_(std::make_unique<Native>()) {}

MessageQueue::~MessageQueue() = default;

bool MessageQueue::peek(Message& out, Window*) {
    if (native_->posted.take(out)) {
        return true;
    }
    return WebInput::instance().take(out);
}

void MessageQueue::post(Window* window, uint32_t message, uint64_t wParam, int64_t lParam) {
    native_->posted.post({window, message, wParam, lParam});
}

void MessageQueue::postQuit(int exitCode) {
    native_->posted.postQuit(exitCode);
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
