#pragma once

#include <array>

#include "geometry/Matrix4.h"
#include "geometry/Vector3.h"

namespace zelmor {

// The points with a*x + b*y + c*z + d >= 0 lie on the inner side. After extraction (a, b, c) has
// length 1, so the left-hand side is a signed distance.
struct Plane {
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 0.0f;
};

// The clipping planes of the current view in world coordinates, in the order right, left,
// bottom, top, far, near. Until the first extraction all planes are zero, so every point is
// inside: the first frame culls nothing.
class Frustum {
public:
    enum PlaneIndex { RIGHT = 0, LEFT, BOTTOM, TOP, FAR, NEAR };

    // The planes of projection * modelview; in world coordinates when the model-view holds only
    // the view.
    void extractFrom(const Matrix4& projection, const Matrix4& modelview);
    // The same from two column-major float matrices, as GL reads them back.
    void extractFrom(const float projection[16], const float modelview[16]);
    // Point-in-pyramid test on the four side planes; near and far are not consulted and a point
    // on a plane is inside. A point with a coordinate that is not finite is outside.
    bool isInFrustum(const Vector3& p) const;

    const std::array<Plane, 6>& planes() const { return planes_; }

private:
    std::array<Plane, 6> planes_{};
};

}  // namespace zelmor
