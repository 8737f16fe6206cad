#pragma once

#include <cstdint>
#include <ostream>

#include "platform/Clock.h"

namespace zelmor {

// Counts drawn frames and writes one "<fps> fps" line when more than 1000 ms have passed since
// the measuring window began. The first window starts at process start, so the first line also
// covers the loading of the scene.
class FrameCounter {
public:
    static constexpr uint32_t MEASURING_WINDOW_MS = 1000;

    FrameCounter(std::ostream& log, platform::Clock& clock) : log_(log), clock_(clock) {}
    void countFrame();

private:
    std::ostream& log_;
    platform::Clock& clock_;
    uint32_t frames_ = 0;
    int32_t windowStart_ = 0;
};

}  // namespace zelmor
