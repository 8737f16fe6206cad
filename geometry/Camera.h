#pragma once

#include "geometry/Frustum.h"
#include "geometry/Matrix4.h"
#include "geometry/Vector3.h"

namespace zelmor {

// The viewer: eye position, look offset (eye to the point looked at, not normalised) and the
// lens handed to gluPerspective. Every setter marks the camera changed, even with the same
// value; apply() rebuilds the view and the frustum only when it is changed. The view and the
// frustum are values computed here, the same bits on every platform, as glLoadIdentity and
// gluLookAt build the model-view on Mesa; the view hands GL the same calls for drawing.
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
    // The model-view that glLoadIdentity and gluLookAt(eye, eye + lookOffset, up) build now.
    Matrix4 viewMatrix() const;
    // When changed: the view rebuilt from the fields, the frustum extracted from it and the
    // projection, and the changed flag cleared. Otherwise nothing changes.
    void apply();
    // The model-view of the last apply (the identity before the first), which GL holds while
    // the frame draws.
    const Matrix4& appliedView() const { return view_; }
    // The projection the view built from this lens and the window's shape (the identity until
    // then). The frustum takes it at the next apply: a new projection alone moves no plane.
    void setProjection(const Matrix4& projection) { projection_ = projection; }
    const Matrix4& projection() const { return projection_; }
    // The planes of the applied view through the projection, in world coordinates.
    void extractFrustum() { frustum_.extractFrom(projection_, view_); }
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
    Matrix4 view_;
    Matrix4 projection_;
};

}  // namespace zelmor
