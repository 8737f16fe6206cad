#include "view/ViewGeometry.h"

namespace zelmor {

void ViewGeometry::resize(int width, int height) {
    width_ = width;
    height_ = height;
    viewport_ = viewport_.resized(width, height);
    picker_.setViewport(viewport_.values());
    if (camera_ != nullptr) {
        rebuildProjection();
    }
}

void ViewGeometry::setCamera(Camera& camera) {
    camera_ = &camera;
    picker_.setCamera(&camera);
    rebuildProjection();
}

bool ViewGeometry::beginFrame() {
    if (camera_ == nullptr) {
        return false;
    }
    const bool rebuilt = camera_->changed();
    camera_->apply();
    picker_.setModelview(camera_->appliedView().toDoubles());
    return rebuilt;
}

void ViewGeometry::rebuildProjection() {
    if (height_ == 0) {
        return;
    }
    const Matrix4 projection =
        Matrix4::perspective(camera_->fieldOfView(), double(width_) / double(height_),
                             camera_->nearPlane(), camera_->farPlane());
    camera_->setProjection(projection);
    picker_.setProjection(projection.toDoubles());
    // The model-view GL holds now: the view of the last frame, or the identity before one.
    picker_.setModelview(camera_->appliedView().toDoubles());
}

}  // namespace zelmor
