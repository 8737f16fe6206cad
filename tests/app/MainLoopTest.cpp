#include "app/MainLoop.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace zelmor {
namespace {

using platform::Message;

class ScriptedClock : public platform::Clock {
public:
    // Kept unsigned so that scripted time wraps like the real clock's 32 bits.
    int32_t now() override { return static_cast<int32_t>(time); }
    uint32_t time = 0;
};

// Records what the loop asks for; each frame takes the next scripted drawing time, and each
// poll hands out the next scripted message (none once the script is used up). Steps and the
// visible lists take clock time too, which the loop must not count as drawing time.
class ScriptedClient : public LoopClient {
public:
    ScriptedClient(ScriptedClock& clock, std::vector<int32_t> drawingTimes,
                   std::deque<Message> messages)
        : clock_(clock), drawingTimes_(std::move(drawingTimes)), messages_(std::move(messages)) {}

    bool pollMessage(Message& out) override {
        events.push_back("poll");
        if (messages_.empty()) {
            return false;
        }
        out = messages_.front();
        messages_.pop_front();
        return true;
    }
    void dispatchMessage(const Message& message) override {
        events.push_back("dispatch " + std::to_string(message.message));
    }
    void step() override {
        events.push_back("step");
        ++stepsThisPass;
        clock_.time += 4;
    }
    void buildVisibleLists() override {
        events.push_back("lists");
        clock_.time += 3;
    }
    void renderFrame() override {
        events.push_back("render");
        stepsPerPass.push_back(stepsThisPass);
        stepsThisPass = 0;
        const std::size_t frame = stepsPerPass.size() - 1;
        if (frame < drawingTimes_.size()) {
            clock_.time += drawingTimes_[frame];
            return;
        }
        // Past the script: pay for one more step and end the run with it.
        clock_.time += 20;
        if (!quitQueued_) {
            messages_.push_back({nullptr, platform::WM_QUIT, 0, 0});
            quitQueued_ = true;
        }
    }
    void countFrame() override { events.push_back("count"); }
    bool isMinimised() override { return minimisedPasses > 0; }
    void waitFrame() override {
        events.push_back("wait");
        --minimisedPasses;
        clock_.time += 17;
    }

    int minimisedPasses = 0;  // the first passes, before any frame is drawn
    std::vector<std::string> events;
    std::vector<int> stepsPerPass;
    int stepsThisPass = 0;

private:
    ScriptedClock& clock_;
    std::vector<int32_t> drawingTimes_;
    std::deque<Message> messages_;
    bool quitQueued_ = false;
};

Message quitMessage(uint64_t code) {
    return {nullptr, platform::WM_QUIT, code, 0};
}

TEST(MainLoop, DrawingTimePaysForStepsStrictlyAboveTenMilliseconds) {
    struct Case {
        std::vector<int32_t> drawingTimes;
        std::vector<int> stepsPerPass;  // the first pass draws before any step
    };
    const Case cases[] = {
        // Accumulator per pass: 0, 0, 10, 21 (2 steps, 1 left), 36 (3 steps, 6 left), 6.
        {{0, 10, 11, 35, 0, 0}, {0, 0, 0, 2, 3, 0}},
        // 11 -> one step, 1 left; then 1 + 10 = 11 -> one more step.
        {{11, 10}, {0, 1, 1}},
    };
    // The same from process start and across the wraps of the 32-bit clock (24.8 days, where
    // it turns negative, and 49.7 days).
    for (const uint32_t start : {0u, 0x7FFFFFF0u, 0xFFFFFFF0u}) {
        for (const Case& c : cases) {
            ScriptedClock clock;
            clock.time = start;
            ScriptedClient client(clock, c.drawingTimes, {});
            MainLoop::run(client, clock);
            ASSERT_GE(client.stepsPerPass.size(), c.stepsPerPass.size());
            client.stepsPerPass.resize(c.stepsPerPass.size());
            EXPECT_EQ(client.stepsPerPass, c.stepsPerPass) << "from " << start;
        }
    }
}

// The first frame is drawn before any step or message.
TEST(MainLoop, EachStepTakesAtMostOneMessageAndDispatchesIt) {
    ScriptedClock clock;
    ScriptedClient client(
        clock, {35},
        {{nullptr, platform::WM_MOUSEMOVE, 0, 0}, {nullptr, platform::WM_KEYDOWN, 0, 0}});
    MainLoop::run(client, clock);
    const std::vector<std::string> expected{
        "lists",        "render", "count", "poll", "dispatch 512", "step",   "poll",
        "dispatch 256", "step",   "poll",  "step", "lists",        "render", "count"};
    ASSERT_GE(client.events.size(), expected.size());
    EXPECT_EQ(
        std::vector<std::string>(client.events.begin(), client.events.begin() + expected.size()),
        expected);
}

// A minimised window draws and counts nothing; each pass waits a frame period, and the wait pays
// for the steps as drawing does, so the World keeps to the wall clock while nothing is shown.
TEST(MainLoop, TheWaitOfAMinimisedWindowIsItsDrawingTime) {
    ScriptedClock clock;
    ScriptedClient client(clock, {}, {});
    client.minimisedPasses = 3;
    MainLoop::run(client, clock);
    // Accumulator per pass: 0, 17 (one step, 7 left), 24 (two steps, 4 left), 21, 21 (quit).
    const std::vector<std::string> expected{
        "wait", "poll", "step", "wait",  "poll",   "step",  "poll", "step",  "wait",   "poll",
        "step", "poll", "step", "lists", "render", "count", "poll", "lists", "render", "count"};
    EXPECT_EQ(client.events, expected);
}

TEST(MainLoop, QuitInTheMiddleOfAPassStillDrawsThatPassAndReturnsItsCode) {
    ScriptedClock clock;
    ScriptedClient client(clock, {35}, {{nullptr, platform::WM_MOUSEMOVE, 0, 0}, quitMessage(7)});
    EXPECT_EQ(MainLoop::run(client, clock), 7);
    const std::vector<std::string> expected{"lists", "render", "count", "poll",   "dispatch 512",
                                            "step",  "poll",   "lists", "render", "count"};
    EXPECT_EQ(client.events, expected);
}

}  // namespace
}  // namespace zelmor
