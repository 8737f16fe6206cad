#include "platform/MessageQueue.h"

#include <SDL.h>

#include "platform/PostedMessages.h"
#include "platform/Window.h"
#include "platform/sdl/EventTranslator.h"

namespace zelmor::platform {

// Messages posted by the program come first, then the quit message once posted, then at most
// one SDL event per poll, turned into one message.
struct MessageQueue::Native {
    PostedMessages posted;
    EventTranslator translator;
    Window* captureWindow = nullptr;
};

namespace {

// Folds the motion events that directly follow this one into it, as a window system that keeps
// at most one pending mouse move does: the move reports the latest position, and whatever comes
// after a burst of moves waits one message at most. Only adjacent motions are folded, so every
// other event (a SHIFT key, a click) keeps its place and its state in queue order.
void takeLatestMotion(SDL_Event& motion) {
    SDL_Event next;
    while (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 &&
           next.type == SDL_MOUSEMOTION && next.motion.windowID == motion.motion.windowID) {
        // The event peeked at heads the queue, so it is the first motion taken.
        if (SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION) != 1) {
            return;
        }
        const Sint32 xrel = motion.motion.xrel + next.motion.xrel;
        const Sint32 yrel = motion.motion.yrel + next.motion.yrel;
        motion = next;
        motion.motion.xrel = xrel;
        motion.motion.yrel = yrel;
    }
}

}  // namespace

MessageQueue& MessageQueue::instance() {
    static MessageQueue queue;
    return queue;
}

MessageQueue::MessageQueue() : native_(std::make_unique<Native>()) {}

MessageQueue::~MessageQueue() = default;

bool MessageQueue::peek(Message& out, Window* window) {
    if (native_->posted.take(out)) {
        return true;
    }
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
        return false;
    }
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0) {
        return false;
    }
    if (event.type == SDL_MOUSEMOTION) {
        takeLatestMotion(event);
    }
    out = native_->translator.translate(event);
    // A quit request from outside (a signal) concerns the program's window.
    if (out.window == nullptr && out.message == WM_CLOSE) {
        out.window = window;
    }
    return true;
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

// Character messages are made while translating events already.
void MessageQueue::translate(const Message&) {}

// Nothing is left to do for a message the program passes on.
int64_t MessageQueue::defaultProcedure(Window*, uint32_t, uint64_t, int64_t) {
    return 0;
}

void MessageQueue::setCapture(Window* window) {
    MessageQueue& queue = instance();
    queue.native_->captureWindow = window;
    queue.native_->translator.setCaptured(true);
    SDL_CaptureMouse(SDL_TRUE);
}

void MessageQueue::releaseCapture() {
    MessageQueue& queue = instance();
    SDL_CaptureMouse(SDL_FALSE);
    queue.native_->translator.setCaptured(false);
    if (queue.native_->captureWindow != nullptr && queue.native_->translator.pointerOutside()) {
        queue.post(queue.native_->captureWindow, WM_MOUSELEAVE, 0, 0);
    }
    queue.native_->captureWindow = nullptr;
}

}  // namespace zelmor::platform
