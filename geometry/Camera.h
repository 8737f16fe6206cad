#pragma once

#include "geometry/Frustum.h"
#include "geometry/Matrix4.h"
#include "geometry/Vector3.h"

namespace zelmor {

// The viewer: eye position, look offset (eye to the point looked at, not normalised) and the
// lens handed to gluPerspective. Every setter marks the camera changed, even with the same
// value; apply() rebuilds the GL view and the frustum only when it is changed.
class Camera {
public:
    float fieldOfView() const { return fieldOfView_; }  // degrees, vertical
    float nearPlane() const { return nearPlane_; }
    float farPlane() const { return farPlane_; }
    Vector3 position() const { return position_; }
    Vector3 lookOffset() const { return lookOffset_; }
    bool changed() const { return changed_; }

    void setPosition(const Vector3& position);
    void setLookOffset(const Vector3& lookOffset);
    void setFieldOfView(float degrees);
    void setNearPlane(float distance);
    void setFarPlane(float distance);

    // (0, 1, 0), or (1, 0, 0) when the eye looks straight up or down (equal x and z exactly).
    Vector3 upVector() const;
    // The model-view that apply() builds, computed without GL.
    Matrix4 viewMatrix() const;
    // When changed: loads identity, gluLookAt(eye, eye + lookOffset, up), extracts the frustum
    // and clears the changed flag. Otherwise makes no GL call.
    void apply();
    void extractFrustum() { frustum_.extractFrustum(); }
    bool isInFrustum(const Vector3& point) const { return frustum_.isInFrustum(point); }
    const Frustum& frustum() const { return frustum_; }

private:
    float fieldOfView_ = 60.0f;
    float nearPlane_ = 0.1f;
    float farPlane_ = 100.0f;
    Vector3 position_;
    Vector3 lookOffset_;
    bool changed_ = true;
    Frustum frustum_;
};

}  // namespace zelmor
