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
// clock. The loop can also be run a step or a frame at a time, and its state kept and restored,
// for a replay that stops at a chosen step or returns to an earlier one.
class MainLoop {
public:
    // What advance() ran up to.
    enum class Progress { STEP, FRAME, QUIT };
    // Where the loop stands between two calls of advance().
    struct State {
        int64_t accumulator = 0;
        uint32_t lastDrawingTime = 0;
        bool inSteps = false;  // between the steps of a pass, its frame still to come
        bool quit = false;     // the quit message was taken: this pass's frame ends the loop
        bool ended = false;
        int exitCode = 0;
    };

    // Runs client until the quit message; returns its exit code.
    static int run(LoopClient& client, platform::Clock& clock);

    MainLoop(LoopClient& client, platform::Clock& clock) : client_(client), clock_(clock) {}
    // Runs on to the end of the next step, or of the next frame (or a minimised window's wait),
    // whichever comes first: QUIT for the frame that ends the loop. Does nothing once ended.
    Progress advance();
    bool ended() const { return state_.ended; }
    int exitCode() const { return state_.exitCode; }
    const State& state() const { return state_; }
    void restore(const State& state) { state_ = state; }

private:
    // The pass's next step; false when the accumulator has none left or the quit message came.
    bool runStep();
    void endPass();

    LoopClient& client_;
    platform::Clock& clock_;
    State state_;
};

}  // namespace zelmor
