#include "app/MainLoop.h"

#include <cstdint>

namespace zelmor {

int MainLoop::run(LoopClient& client, platform::Clock& clock) {
    MainLoop loop(client, clock);
    while (loop.advance() != Progress::QUIT) {
    }
    return loop.exitCode();
}

MainLoop::Progress MainLoop::advance() {
    if (state_.ended) {
        return Progress::QUIT;
    }
    if (!state_.inSteps) {
        state_.accumulator += state_.lastDrawingTime;
        state_.inSteps = true;
    }
    if (runStep()) {
        return Progress::STEP;
    }
    endPass();
    return state_.ended ? Progress::QUIT : Progress::FRAME;
}

bool MainLoop::runStep() {
    if (state_.quit || state_.accumulator <= STEP_MS) {
        return false;
    }
    platform::Message message;
    if (client_.pollMessage(message)) {
        if (message.message == platform::WM_QUIT) {
            // The rest of this pass's steps are dropped, but its frame is still drawn.
            state_.quit = true;
            state_.exitCode = static_cast<int>(message.wParam);
            return false;
        }
        client_.dispatchMessage(message);
    }
    client_.step();
    state_.accumulator -= STEP_MS;
    return true;
}

void MainLoop::endPass() {
    state_.inSteps = false;
    state_.ended = state_.quit;
    if (client_.isMinimised()) {
        // Nothing is drawn or counted, so the frame rate reports only frames really drawn.
        const int32_t start = clock_.now();
        client_.waitFrame();
        state_.lastDrawingTime = platform::Clock::millisecondsBetween(start, clock_.now());
        return;
    }
    client_.buildVisibleLists();
    const int32_t start = clock_.now();
    client_.renderFrame();
    state_.lastDrawingTime = platform::Clock::millisecondsBetween(start, clock_.now());
    client_.countFrame();
}

}  // namespace zelmor
