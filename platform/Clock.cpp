#include "platform/Clock.h"

#include <chrono>

namespace zelmor::platform {

namespace {
// Taken during static initialisation, before main runs.
const auto processStart = std::chrono::steady_clock::now();
}  // namespace

int32_t Clock::now() {
    const auto elapsed = std::chrono::steady_clock::now() - processStart;
    return static_cast<int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace zelmor::platform
