#pragma once

#include <cmath>

namespace zelmor {

// 180 divided by the float value of 3.14159 (3.141590118408203), not 180/pi. Every radian to
// degree conversion in the program uses it, so headings carry the same rounding everywhere.
constexpr double DEGREES_PER_RADIAN = 57.29582574928754;

// A point, displacement, direction or set of rotation angles in degrees (about x, y, z; a heading
// lives in y). The ground is the x-z plane and y is up. Components are stored as floats;
// every operation computes in double and rounds once when it stores.
struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    constexpr Vector3(float x, float y, float z) : x(x), y(y), z(z) {}

    Vector3& operator+=(const Vector3& b);
    Vector3& operator-=(const Vector3& b);
    Vector3 operator+(const Vector3& b) const;
    Vector3 operator-(const Vector3& b) const;
    Vector3 operator*(float s) const;
    bool operator==(const Vector3&) const = default;

    float length() const;
    // Ground-plane distances: y is ignored. The square is here, inline, because the contact
    // search asks for it for every candidate.
    float planarDistanceSquared(const Vector3& b) const {
        const double dx = double(x) - b.x;
        const double dz = double(z) - b.z;
        return static_cast<float>(dx * dx + dz * dz);
    }
    float planarDistance(const Vector3& b) const;
    // The same distance before it is rounded to float; inline too, as every driving unit asks
    // for it in every step.
    double planarLength(const Vector3& b) const {
        const double dx = double(x) - b.x;
        const double dz = double(z) - b.z;
        return std::sqrt(dx * dx + dz * dz);
    }
    // (0, h, 0) with h the heading in degrees from this point towards b: 0 (reported as 360)
    // along +z, 90 along +x, 180 along -z, 270 along -x. Equal x and z give 360.
    Vector3 headingTo(const Vector3& b) const;
    // headingTo(b).y for a caller that has planarLength(b) already: a unit that drives asks
    // for both, and the square root is the slowest part of each.
    float headingDegreesTo(const Vector3& b, double planarLength) const;
    // The cross product this x b scaled to length 1; (0, 0, 0) when it has no direction.
    Vector3 unitNormal(const Vector3& b) const;
};

}  // namespace zelmor
