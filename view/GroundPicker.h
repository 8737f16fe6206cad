#pragma once

#include <array>

#include "geometry/Camera.h"
#include "geometry/Vector3.h"

namespace zelmor {

// Turns a window point into the point where the eye ray through it meets the ground y = 0,
// with the matrices and viewport the view holds as values (GL's own, read back, would differ
// between platforms). Remembers the last window point and its result.
class GroundPicker {
public:
    void setCamera(const Camera* camera) { camera_ = camera; }
    const Camera* camera() const { return camera_; }
    void setModelview(const std::array<double, 16>& matrix) { modelview_ = matrix; }
    void setProjection(const std::array<double, 16>& matrix) { projection_ = matrix; }
    void setViewport(const std::array<int, 4>& viewport) { viewport_ = viewport; }
    const std::array<double, 16>& modelview() const { return modelview_; }
    const std::array<double, 16>& projection() const { return projection_; }
    const std::array<int, 4>& viewport() const { return viewport_; }

    // x counted from the left, y upwards from the bottom edge. Returns the cached result
    // without computing when no camera is set or the point is the last one asked for (even if
    // the camera has moved since). A ray that never meets the ground (parallel to it, or
    // matrices that cannot be inverted) also keeps the cached result.
    Vector3 unproject(int x, int y);

    // The last window point asked for and its result, which a repeated point gets back.
    struct Cache {
        int x = 0;
        int y = 0;
        Vector3 result;
    };
    Cache cache() const { return {cachedX_, cachedY_, cachedResult_}; }

private:
    std::array<double, 16> modelview_{};
    std::array<double, 16> projection_{};
    std::array<int, 4> viewport_{};
    const Camera* camera_ = nullptr;
    int cachedX_ = 0;
    int cachedY_ = 0;
    Vector3 cachedResult_;
};

}  // namespace zelmor
