#include "app/MainLoop.h"

#include <cstdint>

namespace zelmor {

int MainLoop::run(LoopClient& client, platform::Clock& clock) {
    int64_t accumulator = 0;
    uint32_t lastDrawingTime = 0;
    bool quit = false;
    int exitCode = 0;
    while (!quit) {
        accumulator += lastDrawingTime;
        while (accumulator > STEP_MS) {
            platform::Message message;
            if (client.pollMessage(message)) {
                if (message.message == platform::WM_QUIT) {
                    // The rest of this pass's steps are dropped, but its frame is still drawn.
                    quit = true;
                    exitCode = static_cast<int>(message.wParam);
                    break;
                }
                client.dispatchMessage(message);
            }
            client.step();
            accumulator -= STEP_MS;
        }
        if (client.isMinimised()) {
            // Nothing is drawn or counted, so the frame rate reports only frames really drawn.
            const int32_t start = clock.now();
            client.waitFrame();
            lastDrawingTime = clock.now() - start;
            continue;
        }
        client.buildVisibleLists();
        const int32_t start = clock.now();
        client.renderFrame();
        lastDrawingTime = platform::Clock::millisecondsBetween(start, clock.now());
        client.countFrame();
    }
    return exitCode;
}

}  // namespace zelmor
