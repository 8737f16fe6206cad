#include "app/FrameCounter.h"

namespace zelmor {

void FrameCounter::countFrame() {
    ++frames_;
    const int32_t now = clock_.now();
    const uint32_t elapsed = platform::Clock::millisecondsBetween(windowStart_, now);
    if (elapsed <= MEASURING_WINDOW_MS) {
        return;
    }
    const auto fps = static_cast<float>(frames_ * 1000.0 / elapsed);
    // The stream's default format: six significant digits, as in 61.0236 or 119.88.
    log_ << fps << " fps\n";
    log_.flush();
    windowStart_ = now;
    frames_ = 0;
}

}  // namespace zelmor
