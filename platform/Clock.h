#pragma once

#include <cstdint>

namespace zelmor::platform {

// Milliseconds since the process started, on the wall clock (steady, never processor time).
// Virtual so the main loop can be driven by a scripted clock in tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual int32_t now();

    // Milliseconds from the reading earlier to the reading later. Readings wrap after 2^32 ms
    // (49.7 days) and turn negative halfway there; in unsigned arithmetic the difference stays
    // exact across the wrap, for any span shorter than 49.7 days.
    static uint32_t millisecondsBetween(int32_t earlier, int32_t later) {
        return static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier);
    }
};

}  // namespace zelmor::platform
