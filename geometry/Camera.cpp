#include "geometry/Camera.h"

namespace zelmor {

void Camera::setPosition(const Vector3& position) {
    position_ = position;
    changed_ = true;
}

void Camera::setLookOffset(const Vector3& lookOffset) {
    lookOffset_ = lookOffset;
    changed_ = true;
}

void Camera::setFieldOfView(float degrees) {
    fieldOfView_ = degrees;
    changed_ = true;
}

void Camera::setNearPlane(float distance) {
    nearPlane_ = distance;
    changed_ = true;
}

void Camera::setFarPlane(float distance) {
    farPlane_ = distance;
    changed_ = true;
}

Vector3 Camera::upVector() const {
    const Vector3 centre = position_ + lookOffset_;
    // Looking straight up or down, (0, 1, 0) would be parallel to the view direction and
    // gluLookAt would have no sideways axis to build the view from.
    if (position_.x == centre.x && position_.z == centre.z) {
        return {1.0f, 0.0f, 0.0f};
    }
    return {0.0f, 1.0f, 0.0f};
}

Matrix4 Camera::viewMatrix() const {
    return Matrix4::lookAt(position_, position_ + lookOffset_, upVector());
}

void Camera::apply() {
    if (!changed_) {
        return;
    }
    view_ = viewMatrix();
    // The model-view holds the pure view, so the planes come out in world coordinates.
    extractFrustum();
    changed_ = false;
}

}  // namespace zelmor
