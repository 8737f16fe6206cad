#include "geometry/Matrix4.h"

#include <cmath>
#include <cstring>

#include "geometry/Maths.h"

namespace zelmor {

namespace {

// GLU's value of pi for gluPerspective.
constexpr double GLU_PI = 3.14159265358979323846;

// gluLookAt works on three-float vectors, in float arithmetic.
struct Direction {
    float x;
    float y;
    float z;
};

Direction cross(const Direction& a, const Direction& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// A zero vector stays as it is, and so does the view built from it: no division by 0.
Direction normalised(const Direction& v) {
    const float r = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (r == 0.0f) {
        return v;
    }
    return {v.x / r, v.y / r, v.z / r};
}

}  // namespace

Matrix4 Matrix4::lookAt(const Vector3& eye, const Vector3& centre, const Vector3& up) {
    const double eyeX = eye.x;
    const double eyeY = eye.y;
    const double eyeZ = eye.z;
    // The differences are taken in double and only then rounded, as gluLookAt does.
    const Direction forward =
        normalised({static_cast<float>(centre.x - eyeX), static_cast<float>(centre.y - eyeY),
                    static_cast<float>(centre.z - eyeZ)});
    const Direction side = normalised(cross(forward, {up.x, up.y, up.z}));
    const Direction upward = cross(side, forward);
    // One column per line.
    // clang-format off
    const Floats rotation{side.x, upward.x, -forward.x, 0,
                          side.y, upward.y, -forward.y, 0,
                          side.z, upward.z, -forward.z, 0,
                          0, 0, 0, 1};
    // clang-format on
    return Matrix4().multiplied(rotation).translated(-eyeX, -eyeY, -eyeZ);
}

Matrix4 Matrix4::perspective(double fovy, double aspect, double zNear, double zFar) {
    const double radians = fovy / 2 * GLU_PI / 180;
    const double deltaZ = zFar - zNear;
    const double sine = maths::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) {
        return Matrix4();
    }
    const double cotangent = maths::cos(radians) / sine;
    // One column per line.
    // clang-format off
    const Doubles lens{cotangent / aspect, 0, 0, 0,
                       0, cotangent, 0, 0,
                       0, 0, -(zFar + zNear) / deltaZ, -1,
                       0, 0, -2 * zNear * zFar / deltaZ, 0};
    // clang-format on
    return Matrix4().multiplied(lens);
}

Matrix4 Matrix4::multiplied(const Floats& m) const {
    // Mesa compares the bytes, so -0 or a NaN where the identity has 0 is multiplied.
    if (std::memcmp(m.data(), Matrix4().values_.data(), sizeof m) == 0) {
        return *this;
    }
    const Floats& a = values_;
    Floats product{};
    // Mesa's order: row i of this times column j of m, summed from the left.
    for (int i = 0; i < 4; ++i) {
        const float ai0 = a[i];
        const float ai1 = a[4 + i];
        const float ai2 = a[8 + i];
        const float ai3 = a[12 + i];
        for (int j = 0; j < 4; ++j) {
            product[4 * j + i] =
                ai0 * m[4 * j] + ai1 * m[4 * j + 1] + ai2 * m[4 * j + 2] + ai3 * m[4 * j + 3];
        }
    }
    return Matrix4(product);
}

Matrix4 Matrix4::multiplied(const Doubles& m) const {
    Floats rounded{};
    for (int i = 0; i < 16; ++i) {
        rounded[i] = static_cast<float>(m[i]);
    }
    return multiplied(rounded);
}

Matrix4 Matrix4::translated(double x, double y, double z) const {
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    const float fz = static_cast<float>(z);
    Floats m = values_;
    // Only the last column changes; Mesa takes no shortcut for a zero offset.
    for (int r = 0; r < 4; ++r) {
        m[12 + r] = m[r] * fx + m[4 + r] * fy + m[8 + r] * fz + m[12 + r];
    }
    return Matrix4(m);
}

Matrix4::Doubles Matrix4::toDoubles() const {
    Doubles wide{};
    for (int i = 0; i < 16; ++i) {
        wide[i] = values_[i];
    }
    return wide;
}

}  // namespace zelmor
