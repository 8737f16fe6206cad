#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "geometry/Camera.h"
#include "platform/Window.h"
#include "scene/SceneObject.h"
#include "view/GLRenderer.h"
#include "view/GLState.h"
#include "view/Light.h"
#include "view/ViewGeometry.h"

namespace zelmor {

// The program's one OpenGL window: start-up state and report ("gl.log"), the capability map,
// frame begin and end, the projection from the camera's lens, and ground picking. Its geometry
// (size, viewport, projection, the camera's view, picking) is kept as values that are the same
// on every platform; GL gets the same state through the GL and GLU calls for drawing. While the
// view exists, its renderer draws the scene's objects.
class GLView {
public:
    static constexpr int LIGHT_SLOTS = 8;
    using GlFunction = void (*)();

    // The start-up report goes to logPath, "gl.log" in the working directory for the program;
    // an empty path keeps no report.
    explicit GLView(std::string logPath = "gl.log");
    ~GLView();
    GLView(const GLView&) = delete;
    GLView& operator=(const GLView&) = delete;

    // Opens "gl.log", makes the window and its context and sets the start-up state. Returns the
    // window, or null after showing the failure in a message box.
    platform::Window* createWindow(const std::string& title, int x, int y, int width, int height,
                                   platform::WindowProcedure procedure);
    bool show(int showCommand);
    bool makeCurrent();
    // Logs "End OpenGL", releases the context and destroys the window.
    void shutdown();
    // One more line for "gl.log" (what went wrong outside GL that the user should know).
    void note(const std::string& line) { logLine(line); }

    // Switch a capability, calling GL only when the recorded state changes.
    void enable(uint32_t capability) { state_.enable(capability); }
    void disable(uint32_t capability) { state_.disable(capability); }
    const std::map<uint32_t, bool>& capabilityStates() const { return state_.capabilities(); }

    void beginFrame();
    void endFrame();
    template <class Object>
    void drawList(const std::vector<Object*>& objects);
    // Draws object over everything drawn so far, whatever the depth buffer holds (the rubber
    // band): the depth test is off while it draws and on again after.
    void drawOnTop(const SceneObject& object);
    // The colour frames are cleared to (the field's green from the start).
    void setBackground(float red, float green, float blue);
    // The frame drawn so far, before endFrame: width x height pixels from the bottom-left corner,
    // RGBA bytes, bottom row first.
    std::vector<uint8_t> readFrame(int width, int height) const;
    // Stores the size, sets the viewport, logs "Resize: WxH" and rebuilds the projection.
    void resize(int width, int height);
    void setCamera(Camera& camera);
    // The ground point under window point (x, y counted upwards from the bottom edge).
    Vector3 unproject(int x, int y) { return geometry_.unproject(x, y); }
    GroundPicker& picker() { return geometry_.picker(); }
    const ViewGeometry& geometry() const { return geometry_; }
    ViewGeometry& geometry() { return geometry_; }
    // Fills one of the eight light slots (null empties it); the frame start applies them.
    void setLight(int slot, const Light* light);

    int width() const { return geometry_.width(); }
    int height() const { return geometry_.height(); }
    platform::Window* window() const { return window_.get(); }
    // Extension entry points found at start-up, or null; nothing calls through them yet.
    GlFunction addSwapHintRect() const { return addSwapHintRect_; }
    GlFunction lockArrays() const { return lockArrays_; }
    GlFunction unlockArrays() const { return unlockArrays_; }

private:
    // Draws one object between a push and a pop of the model-view matrix.
    static void drawObject(const SceneObject& object);
    platform::Window* fail(const char* message);
    void setStartState();
    void probeExtensions();
    // GL's projection from the camera's lens, as the geometry has it.
    void loadProjection();
    // GL's model-view: the camera's view as glLoadIdentity and gluLookAt build it.
    void loadCameraView();
    void logLine(const std::string& line);

    std::unique_ptr<platform::Window> window_;
    GLState state_;
    GLRenderer renderer_{state_};
    SceneRenderer* previousRenderer_ = nullptr;  // installed again when this view goes
    ViewGeometry geometry_;
    std::array<const Light*, LIGHT_SLOTS> lights_{};
    std::string logPath_;
    std::ofstream glLog_;
    GlFunction addSwapHintRect_ = nullptr;
    GlFunction lockArrays_ = nullptr;
    GlFunction unlockArrays_ = nullptr;
};

template <class Object>
void GLView::drawList(const std::vector<Object*>& objects) {
    for (const SceneObject* object : objects) {
        drawObject(*object);
    }
}

}  // namespace zelmor
