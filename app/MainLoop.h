#pragma once

#include "platform/Clock.h"
#include "platform/WindowMessages.h"

namespace zelmor {

constexpr int STEP_MS = 10;  // length of one simulation step, milliseconds

// What one pass of the main loop drives. The program wires the window, the World and the view;
// tests script it.
class LoopClient {
public:
    virtual ~LoopClient() = default;
    // Takes at most one waiting message; false when none was waiting.
    virtual bool pollMessage(platform::Message& out) = 0;
    virtual void dispatchMessage(const platform::Message& message) = 0;
    // One simulation step: scroll the camera, then advance the World by STEP_MS.
    virtual void step() = 0;
    virtual void buildVisibleLists() = 0;
    virtual void renderFrame() = 0;
    virtual void countFrame() = 0;
    // A minimised window shows nothing: its passes draw nothing and wait one frame period.
    virtual bool isMinimised() = 0;
    virtual void waitFrame() = 0;
};

// Fixed 10 ms steps paid for by the measured drawing time of the frames: each pass adds the last
// frame's drawing time to an accumulator and runs one step (taking at most one message) while
// the accumulator exceeds 10, then draws one frame. A minimised window's pass waits a frame
// period instead of drawing, and that wait is its drawing time, so the steps keep to the wall
// clock. Returns the exit code of the quit message.
class MainLoop {
public:
    static int run(LoopClient& client, platform::Clock& clock);
};

}  // namespace zelmor
