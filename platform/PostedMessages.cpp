#include "platform/PostedMessages.h"

namespace zelmor::platform {

bool PostedMessages::take(Message& out) {
    if (!posted_.empty()) {
        out = posted_.front();
        posted_.pop_front();
        return true;
    }
    if (quitPosted_) {
        quitPosted_ = false;
        out = {nullptr, WM_QUIT, static_cast<uint64_t>(quitCode_), 0};
        return true;
    }
    return false;
}

}  // namespace zelmor::platform
