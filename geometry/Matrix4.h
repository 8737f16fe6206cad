#pragma once

#include <array>

#include "geometry/Vector3.h"

namespace zelmor {

// A column-major 4x4 float matrix (row r, column c at index 4c + r) that follows, bit for bit,
// what Mesa's fixed-function matrix stack computes for the few calls the view makes, so that the
// view, the frustum and picking come out the same on every platform. Each operation returns a
// new matrix; the default one is the identity, as glLoadIdentity leaves it.
class Matrix4 {
public:
    using Floats = std::array<float, 16>;
    using Doubles = std::array<double, 16>;

    Matrix4() = default;
    explicit Matrix4(const Floats& values) : values_(values) {}

    // The model-view after glLoadIdentity(); gluLookAt(eye, centre, up), with each float
    // widened to double as gluLookAt takes them.
    static Matrix4 lookAt(const Vector3& eye, const Vector3& centre, const Vector3& up);
    // The projection after glLoadIdentity(); gluPerspective(fovy, aspect, zNear, zFar). fovy is
    // in degrees. When zFar equals zNear, the sine of half the angle is 0 or aspect is 0,
    // gluPerspective multiplies nothing and the identity stays.
    static Matrix4 perspective(double fovy, double aspect, double zNear, double zFar);

    // glMultMatrixf: this * m. A matrix with exactly the identity's bits is skipped, as Mesa
    // does; multiplying by it would not always be a no-op once this holds NaN or infinities.
    Matrix4 multiplied(const Floats& m) const;
    // glMultMatrixd: each element is rounded to float first.
    Matrix4 multiplied(const Doubles& m) const;
    // glTranslated (and glTranslatef): this * T(x, y, z), the offsets rounded to float first.
    Matrix4 translated(double x, double y, double z) const;

    // What glGetFloatv and glGetDoublev read back.
    const Floats& values() const { return values_; }
    Doubles toDoubles() const;

private:
    // clang-format off
    Floats values_{1, 0, 0, 0,
                   0, 1, 0, 0,
                   0, 0, 1, 0,
                   0, 0, 0, 1};
    // clang-format on
};

}  // namespace zelmor
