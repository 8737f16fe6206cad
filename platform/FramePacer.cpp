#include "platform/FramePacer.h"

#include <thread>

namespace zelmor::platform {

FramePacer::FramePacer(int refreshHz)
    : period_(std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) /
              (refreshHz > 0 ? refreshHz : DEFAULT_REFRESH_HZ)) {}

FramePacer::Clock::time_point FramePacer::nextFrameTime(Clock::time_point last,
                                                        Clock::time_point now,
                                                        Clock::duration period) {
    // The first frame, or one after a long pause (a window that was minimised), starts the grid
    // afresh instead of counting up to the present.
    if (last == Clock::time_point{} || now - last >= 4 * period) {
        return now + period;
    }
    Clock::time_point next = last + period;
    while (next <= now) {
        next += period;
    }
    return next;
}

void FramePacer::waitForNextFrame() {
    last_ = nextFrameTime(last_, Clock::now(), period_);
    std::this_thread::sleep_until(last_);
}

void FramePacer::waitOnePeriod() const {
    std::this_thread::sleep_for(period_);
}

}  // namespace zelmor::platform
