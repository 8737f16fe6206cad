#include "geometry/Frustum.h"

#include <cmath>

namespace zelmor {

namespace {

using Row = std::array<float, 4>;

// Row i of a column-major matrix.
Row rowOf(const std::array<float, 16>& m, int i) {
    return {m[i], m[4 + i], m[8 + i], m[12 + i]};
}

// sign = +1 gives row3 + other, sign = -1 gives row3 - other.
Plane combine(const Row& row3, const Row& other, double sign) {
    return {static_cast<float>(row3[0] + sign * other[0]),
            static_cast<float>(row3[1] + sign * other[1]),
            static_cast<float>(row3[2] + sign * other[2]),
            static_cast<float>(row3[3] + sign * other[3])};
}

// Scales the plane so that (a, b, c) has length 1 and its value becomes a signed distance. A
// plane without a usable normal (a degenerate matrix) is left as it is: dividing by its length
// would fill it with NaN or infinity, and the unscaled plane still answers with the sign of d.
void normalise(Plane& p) {
    const double lengthSquared = double(p.a) * p.a + double(p.b) * p.b + double(p.c) * p.c;
    if (!(lengthSquared > 0.0) || !std::isfinite(lengthSquared)) {
        return;
    }
    const float t = static_cast<float>(1.0 / std::sqrt(lengthSquared));
    if (!std::isfinite(t)) {
        return;
    }
    p.a = static_cast<float>(double(p.a) * t);
    p.b = static_cast<float>(double(p.b) * t);
    p.c = static_cast<float>(double(p.c) * t);
    p.d = static_cast<float>(double(p.d) * t);
}

}  // namespace

void Frustum::extractFrom(const float projection[16], const float modelview[16]) {
    const float* p = projection;
    const float* m = modelview;
    // clip = projection * modelview, so the planes come out in the modelview's source space
    // (world coordinates when the modelview holds only the view).
    std::array<float, 16> clip{};
    for (int k = 0; k < 4; ++k) {
        for (int r = 0; r < 4; ++r) {
            clip[4 * k + r] = static_cast<float>(
                double(m[4 * k]) * p[r] + double(m[4 * k + 1]) * p[4 + r] +
                double(m[4 * k + 2]) * p[8 + r] + double(m[4 * k + 3]) * p[12 + r]);
        }
    }
    const Row row0 = rowOf(clip, 0);
    const Row row1 = rowOf(clip, 1);
    const Row row2 = rowOf(clip, 2);
    const Row row3 = rowOf(clip, 3);
    planes_[RIGHT] = combine(row3, row0, -1.0);
    planes_[LEFT] = combine(row3, row0, 1.0);
    planes_[BOTTOM] = combine(row3, row1, 1.0);
    planes_[TOP] = combine(row3, row1, -1.0);
    planes_[FAR] = combine(row3, row2, -1.0);
    planes_[NEAR] = combine(row3, row2, 1.0);
    for (Plane& plane : planes_) {
        normalise(plane);
    }
}

void Frustum::extractFrom(const Matrix4& projection, const Matrix4& modelview) {
    extractFrom(projection.values().data(), modelview.values().data());
}

bool Frustum::isInFrustum(const Vector3& p) const {
    // A point that is not finite lies in no view. NaN would otherwise pass every plane, since
    // no comparison with it is true, and an infinite one can make a plane's value NaN.
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
        return false;
    }
    for (int i : {RIGHT, LEFT, BOTTOM, TOP}) {
        const Plane& plane = planes_[i];
        const double value =
            double(plane.a) * p.x + double(plane.b) * p.y + double(plane.c) * p.z + plane.d;
        if (value < 0) {
            return false;
        }
    }
    return true;
}

}  // namespace zelmor
