#include "geometry/Vector3.h"

#include <cmath>

namespace zelmor {

Vector3& Vector3::operator+=(const Vector3& b) {
    *this = *this + b;
    return *this;
}

Vector3& Vector3::operator-=(const Vector3& b) {
    *this = *this - b;
    return *this;
}

Vector3 Vector3::operator+(const Vector3& b) const {
    return {static_cast<float>(double(x) + b.x), static_cast<float>(double(y) + b.y),
            static_cast<float>(double(z) + b.z)};
}

Vector3 Vector3::operator-(const Vector3& b) const {
    return {static_cast<float>(double(x) - b.x), static_cast<float>(double(y) - b.y),
            static_cast<float>(double(z) - b.z)};
}

Vector3 Vector3::operator*(float s) const {
    return {static_cast<float>(double(s) * x), static_cast<float>(double(s) * y),
            static_cast<float>(double(s) * z)};
}

float Vector3::length() const {
    return static_cast<float>(std::sqrt(double(x) * x + double(y) * y + double(z) * z));
}

namespace {

double planarSquared(const Vector3& a, const Vector3& b) {
    const double dx = double(a.x) - b.x;
    const double dz = double(a.z) - b.z;
    return dx * dx + dz * dz;
}

}  // namespace

float Vector3::planarDistanceSquared(const Vector3& b) const {
    return static_cast<float>(planarSquared(*this, b));
}

float Vector3::planarDistance(const Vector3& b) const {
    return static_cast<float>(std::sqrt(planarSquared(*this, b)));
}

Vector3 Vector3::headingTo(const Vector3& b) const {
    const double dz = double(b.z) - z;
    const double dx = double(b.x) - x;
    // The distance stays in double: rounded to float, (1, 0, 1) would give 45.00003, not 45.00004.
    const double d = std::sqrt(planarSquared(*this, b));
    // Equal x and z have no direction; 0/0 would poison the heading with NaN. Treat the point as
    // straight ahead, which the quadrant table below reports as 360.
    const double ratio = d > 0.0 ? std::fabs(dz) / d : 1.0;
    // Rounding can push the ratio a hair above 1, where acos has no value.
    const float h0 = static_cast<float>(std::acos(std::fmin(ratio, 1.0)) * DEGREES_PER_RADIAN);
    double h;
    if (dx > 0 && dz > 0) {
        h = h0;
    } else if (dx > 0) {
        h = 180.0 - h0;
    } else if (dz < 0) {
        h = 180.0 + h0;
    } else {
        h = 360.0 - h0;
    }
    return {0.0f, static_cast<float>(h), 0.0f};
}

Vector3 Vector3::unitNormal(const Vector3& b) const {
    const double cx = double(y) * b.z - double(z) * b.y;
    const double cy = double(z) * b.x - double(x) * b.z;
    const double cz = double(x) * b.y - double(y) * b.x;
    const double len = std::sqrt(cx * cx + cy * cy + cz * cz);
    // Parallel or zero vectors have no normal; a zero vector keeps NaN out of the tilt.
    if (!(len > 0.0) || !std::isfinite(len)) {
        return {};
    }
    const double inv = 1.0 / len;
    return {static_cast<float>(cx * inv), static_cast<float>(cy * inv),
            static_cast<float>(cz * inv)};
}

}  // namespace zelmor
