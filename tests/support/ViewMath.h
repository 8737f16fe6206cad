#pragma once

#include <array>

#include "geometry/Vector3.h"

// The forward transform that picking inverts, for tests that aim at a world point through the
// window. The matrices themselves come from geometry/Matrix4.h, as the program builds them.
// Header-only: every test binary can use it without a build change.
namespace zelmor::test {

struct WindowPoint {
    double x, y;  // y counted upwards from the bottom edge
};

// Where a world point lands in the window, through column-major matrices as glGetDoublev reads
// them and a viewport x, y, width, height.
inline WindowPoint projectToWindow(const Vector3& p, const std::array<double, 16>& modelview,
                                   const std::array<double, 16>& projection,
                                   const std::array<int, 4>& viewport) {
    const double in[4] = {p.x, p.y, p.z, 1.0};
    double eye[4] = {}, clip[4] = {};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            eye[r] += modelview[c * 4 + r] * in[c];
        }
    }
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            clip[r] += projection[c * 4 + r] * eye[c];
        }
    }
    return {viewport[0] + viewport[2] * (clip[0] / clip[3] + 1.0) * 0.5,
            viewport[1] + viewport[3] * (clip[1] / clip[3] + 1.0) * 0.5};
}

}  // namespace zelmor::test
