#pragma once

#include <cstdint>

namespace zelmor {

struct AppState;
class Camera;

// What a session asks of the window it runs in. The windowed program hands it to its GL view and
// the window system; a session replayed without a window keeps the view's geometry and
// nothing else.
class SessionHost {
public:
    virtual ~SessionHost() = default;

    // The window's client area has a new size (pixels).
    virtual void resizeView(int width, int height) = 0;
    // The view takes the camera (which outlives it) and builds the projection from its lens.
    virtual void setCamera(Camera& camera) = 0;
    // A frame begins: the view is cleared and takes the camera's view.
    virtual void beginFrame() = 0;
    // The frame's objects (the visible statics, then the visible units, then the rubber band
    // over everything), and the frame ends.
    virtual void drawFrame(const AppState& state) = 0;

    // The window system's part of a message: a message posted to the window, the quit message,
    // the mouse capture, and what it does with a message the session leaves to it.
    virtual void postPaint() = 0;
    virtual void postQuit(int exitCode) = 0;
    virtual void setCapture(bool captured) = 0;
    virtual int64_t passOn(uint32_t message, uint64_t wParam, int64_t lParam) = 0;
};

}  // namespace zelmor
