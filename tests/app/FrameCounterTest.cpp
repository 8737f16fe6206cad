#include "app/FrameCounter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zelmor {
namespace {

class SetClock : public platform::Clock {
public:
    int32_t now() override { return time; }
    int32_t time = 0;
};

TEST(FrameCounter, WritesTheRateOnlyOnceMoreThanASecondHasPassed) {
    SetClock clock;
    std::ostringstream log;
    FrameCounter counter(log, clock);
    for (int frame = 1; frame <= 60; ++frame) {
        clock.time = frame * 16;
        counter.countFrame();
    }
    EXPECT_EQ(log.str(), "");  // 960 ms so far
    clock.time = 1000;
    counter.countFrame();
    EXPECT_EQ(log.str(), "") << "exactly 1000 ms writes nothing";
    clock.time = 1016;
    counter.countFrame();
    EXPECT_EQ(log.str(), "61.0236 fps\n");  // 62 frames over 1016 ms
}

// The clock turns negative after 24.8 days and wraps to 0 after 49.7: a window across either
// is measured exactly.
TEST(FrameCounter, MeasuresAcrossTheWrapOfTheClock) {
    for (const uint32_t start : {0x7FFFFE00u, 0xFFFFFE00u}) {
        SetClock clock;
        std::ostringstream log;
        FrameCounter counter(log, clock);
        clock.time = static_cast<int32_t>(start);
        counter.countFrame();  // everything since process start: a new window begins
        log.str("");
        for (int i = 0; i < 61; ++i) {
            counter.countFrame();
        }
        clock.time = static_cast<int32_t>(start + 1016u);  // 62 frames over 1016 ms
        counter.countFrame();
        EXPECT_EQ(log.str(), "61.0236 fps\n") << "from " << start;
    }
}

TEST(FrameCounter, StartsANewWindowAtTheLine) {
    SetClock clock;
    std::ostringstream log;
    FrameCounter counter(log, clock);
    clock.time = 1500;
    counter.countFrame();  // 1 frame over 1500 ms
    for (int i = 0; i < 119; ++i) {
        counter.countFrame();
    }
    clock.time = 2501;  // 120 frames over 1001 ms
    counter.countFrame();
    EXPECT_EQ(log.str(), "0.666667 fps\n119.88 fps\n");
}

}  // namespace
}  // namespace zelmor
