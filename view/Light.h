#pragma once

#include <array>
#include <cstdint>

#include "geometry/Vector3.h"

namespace zelmor {

// One GL light: a position and two colours, each present or absent. apply() always writes
// GL_LIGHT0 and sends only the present parts. The World keeps one as a plain value made from
// the scene file, so everything but apply() is here in the header: the simulation, which links
// without GL, needs no more of it.
struct Light {
    static constexpr int32_t HAS_POSITION = 1;
    static constexpr int32_t HAS_AMBIENT = 2;
    static constexpr int32_t HAS_DIFFUSE = 4;

    Vector3 position;
    std::array<float, 4> ambient{0.0f, 0.0f, 0.0f, 1.0f};  // red, green, blue, alpha
    std::array<float, 4> diffuse{0.0f, 0.0f, 0.0f, 1.0f};
    int32_t flags = 0;

    // A positional light at the point, with no colour present.
    static Light atPosition(const Vector3& position) {
        Light light;
        light.position = position;
        light.flags = HAS_POSITION;
        return light;
    }
    void apply() const;
};

}  // namespace zelmor
