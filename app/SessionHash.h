#pragma once

#include <cstdint>

namespace zelmor {

class Session;

// The hash of a session's state, computed from its values so that it is the same on every
// platform: the World's units (place, angles, speed, orders, selection), the camera (eye, look
// offset, lens, the view and projection it holds, whether it changed), the selected units in
// their order, the rubber band, the visible lists, the scroll flags, the view's size and
// viewport, and the last picked point. Floats count by their bits, with every NaN as one, and
// pointers as places in the World's lists. A replay compares it with the recorded one.
class SessionHash {
public:
    static uint64_t of(const Session& session);
};

}  // namespace zelmor
