#include "view/GroundPicker.h"

#include <cmath>

#include "geometry/Unprojection.h"

namespace zelmor {

namespace {

bool isFinite(const Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

Vector3 GroundPicker::unproject(int x, int y) {
    if (camera_ == nullptr) {
        return cachedResult_;
    }
    // The mouse reports the same point many times; only a new point is worth the inversion.
    if (x == cachedX_ && y == cachedY_) {
        return cachedResult_;
    }
    cachedX_ = x;
    cachedY_ = y;

    // The point on the far clipping plane under the window point.
    const Unprojection far = Unprojection::of(x, y, 1.0, modelview_, projection_, viewport_);
    if (!far.found) {
        return cachedResult_;
    }
    const Vector3 farPoint{static_cast<float>(far.x), static_cast<float>(far.y),
                           static_cast<float>(far.z)};
    const Vector3 eye = camera_->position();
    const Vector3 ray = eye - farPoint;
    // A ray parallel to the ground never meets it; keep the last point rather than divide by 0.
    if (ray.y == 0.0f) {
        return cachedResult_;
    }
    const double t = -(double(eye.y) / ray.y);
    const Vector3 ground{static_cast<float>(eye.x + t * ray.x), 0.0f,
                         static_cast<float>(eye.z + t * ray.z)};
    // Matrices that barely invert can still throw the crossing to infinity.
    if (!isFinite(ground)) {
        return cachedResult_;
    }
    cachedResult_ = ground;
    return cachedResult_;
}

}  // namespace zelmor
