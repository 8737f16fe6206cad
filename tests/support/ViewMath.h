#pragma once

#include <array>
#include <cmath>

#include "geometry/Vector3.h"

// Column-major matrices as the fixed-function pipeline builds them for a look-at view and a
// symmetric perspective, computed here independently of GL so logic tests can fill a picker.
// Header-only: every test binary can use it without a build change.
namespace zelmor::test {

using Matrix4 = std::array<double, 16>;

struct Dir {
    double x, y, z;
};

inline Dir cross(const Dir& a, const Dir& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline Dir normalized(const Dir& d) {
    const double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return {d.x / len, d.y / len, d.z / len};
}

inline Matrix4 lookAtMatrix(const Vector3& eye, const Vector3& centre, const Vector3& up) {
    const Dir f =
        normalized({double(centre.x) - eye.x, double(centre.y) - eye.y, double(centre.z) - eye.z});
    const Dir s = normalized(cross(f, {up.x, up.y, up.z}));
    const Dir u = cross(s, f);
    const double ex = eye.x, ey = eye.y, ez = eye.z;
    const double tx = -(s.x * ex + s.y * ey + s.z * ez);
    const double ty = -(u.x * ex + u.y * ey + u.z * ez);
    const double tz = f.x * ex + f.y * ey + f.z * ez;
    // One column per line.
    // clang-format off
    return {s.x, u.x, -f.x, 0.0,
            s.y, u.y, -f.y, 0.0,
            s.z, u.z, -f.z, 0.0,
            tx, ty, tz, 1.0};
    // clang-format on
}

inline Matrix4 perspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar) {
    const double f = 1.0 / std::tan(fovyDegrees * 3.141592653589793 / 360.0);
    const double depth = zNear - zFar;
    // One column per line.
    // clang-format off
    return {f / aspect, 0.0, 0.0, 0.0,
            0.0, f, 0.0, 0.0,
            0.0, 0.0, (zFar + zNear) / depth, -1.0,
            0.0, 0.0, 2.0 * zFar * zNear / depth, 0.0};
    // clang-format on
}

struct WindowPoint {
    double x, y;  // y counted upwards from the bottom edge
};

// Where a world point lands in the window: the forward transform that picking inverts.
inline WindowPoint projectToWindow(const Vector3& p, const Matrix4& modelview,
                                   const Matrix4& projection, const std::array<int, 4>& viewport) {
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
