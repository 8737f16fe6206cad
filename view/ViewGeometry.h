#pragma once

#include "geometry/Camera.h"
#include "geometry/Matrix4.h"
#include "geometry/Viewport.h"
#include "view/GroundPicker.h"

namespace zelmor {

// The view's geometry as values, the same bits on every platform: the window's size and
// viewport, the projection built from the camera's lens and the window's shape, the camera's
// view at each frame, and picking, which turns window points into ground points with them. The
// values equal what GL and GLU compute from the same calls on Mesa; GLView makes those calls
// for drawing, while what decides visibility, selection and orders comes from here. No GL.
class ViewGeometry {
public:
    // Stores the size and the viewport glViewport(0, 0, width, height) gives, then builds the
    // projection anew for a camera that is set.
    void resize(int width, int height);
    // Adopts camera (which must outlive the view) and builds its projection.
    void setCamera(Camera& camera);
    // The start of a frame: the camera is applied (its view and frustum rebuilt when it
    // changed) and picking takes the model-view it draws with. True when the view was rebuilt.
    bool beginFrame();
    // The ground point under window point (x, y counted upwards from the bottom edge).
    Vector3 unproject(int x, int y) { return picker_.unproject(x, y); }

    int width() const { return width_; }
    int height() const { return height_; }
    const Viewport& viewport() const { return viewport_; }
    Camera* camera() const { return camera_; }
    GroundPicker& picker() { return picker_; }
    const GroundPicker& picker() const { return picker_; }

private:
    // The projection from the camera's lens and the window's aspect, handed to the camera and
    // to picking along with the model-view GL holds at that moment. A window without height (a
    // minimised one) has no aspect ratio: the last projection stays.
    void rebuildProjection();

    int width_ = 0;
    int height_ = 0;
    Viewport viewport_;
    Camera* camera_ = nullptr;  // non-owning
    GroundPicker picker_;
};

}  // namespace zelmor
