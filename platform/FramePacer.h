#pragma once

#include <chrono>

namespace zelmor::platform {

// Paces the frames of a window whose buffer swap does not wait for the display: each swap then
// waits for the next frame time of the display's refresh rate, as a synchronised swap would.
// Frame times lie on a grid of refresh periods, so a slow frame waits for the next one after
// it and never makes later frames hurry.
class FramePacer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int DEFAULT_REFRESH_HZ = 60;

    // A rate of 0 or less (unknown) counts as DEFAULT_REFRESH_HZ.
    explicit FramePacer(int refreshHz = DEFAULT_REFRESH_HZ);

    Clock::duration period() const { return period_; }
    // Sleeps until the next frame time after now.
    void waitForNextFrame();
    // Sleeps one whole frame period (a window that draws nothing).
    void waitOnePeriod() const;

    // The first frame time after now, given the last one (none yet: the epoch).
    static Clock::time_point nextFrameTime(Clock::time_point last, Clock::time_point now,
                                           Clock::duration period);

private:
    Clock::duration period_;
    Clock::time_point last_{};
};

}  // namespace zelmor::platform
