#pragma once

#include <cstdint>

namespace zelmor::platform {

// Milliseconds since the process started, on the wall clock (steady, never processor time).
// Virtual so the main loop can be driven by a scripted clock in tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual int32_t now();
};

}  // namespace zelmor::platform
