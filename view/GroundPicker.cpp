#include "view/GroundPicker.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

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

    double fx = 0.0;
    double fy = 0.0;
    double fz = 0.0;
    // The point on the far clipping plane under the window point.
    if (gluUnProject(x, y, 1.0, modelview_.data(), projection_.data(), viewport_.data(), &fx, &fy,
                     &fz) != GL_TRUE) {
        return cachedResult_;
    }
    const Vector3 farPoint{static_cast<float>(fx), static_cast<float>(fy), static_cast<float>(fz)};
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
