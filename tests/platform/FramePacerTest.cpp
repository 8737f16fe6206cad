#include "platform/FramePacer.h"

#include <gtest/gtest.h>

namespace zelmor::platform {
namespace {

using namespace std::chrono_literals;
using Time = FramePacer::Clock::time_point;

// Frame times keep to a grid of periods: a frame that overruns waits for the next grid point
// after it (the next refresh) and later frames do not hurry to catch up; the first frame and one
// after a long pause start the grid afresh.
TEST(FramePacer, TheNextFrameTimeIsTheNextRefreshAfterNow) {
    const Time start = Time{} + 1000s;
    const auto period = 16ms;
    struct Case {
        Time last;
        Time now;
        Time next;
    };
    const Case cases[] = {
        {Time{}, start, start + 16ms},           // no frame yet
        {start, start + 3ms, start + 16ms},      // a quick frame waits for the refresh
        {start, start + 16ms, start + 32ms},     // exactly on the refresh: the next one
        {start, start + 20ms, start + 32ms},     // an overrun waits for the next one
        {start, start + 50ms, start + 64ms},     // three periods late
        {start, start + 1s, start + 1s + 16ms},  // after a pause the grid starts anew
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FramePacer::nextFrameTime(c.last, c.now, period), c.next) << (&c - cases);
    }
    EXPECT_EQ(FramePacer(0).period(), FramePacer(60).period()) << "unknown rate counts as 60 Hz";
    EXPECT_EQ(FramePacer(100).period(), 10ms);
}

}  // namespace
}  // namespace zelmor::platform
