#include "view/GLView.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>

#include "platform/MessageBox.h"

namespace zelmor {

namespace {

// Reads a GL string; null when the context could not give one.
const char* glText(GLenum name) {
    return reinterpret_cast<const char*>(glGetString(name));
}

std::string hex8(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

}  // namespace

GLView::GLView(std::string logPath)
    : previousRenderer_(SceneRenderer::install(&renderer_)), logPath_(std::move(logPath)) {}

GLView::~GLView() {
    if (SceneRenderer::installed() == &renderer_) {
        SceneRenderer::install(previousRenderer_);
    }
}

void GLView::logLine(const std::string& line) {
    glLog_ << line << '\n';
    glLog_.flush();
}

platform::Window* GLView::fail(const char* message) {
    platform::showMessageBox(message, "Error");
    return nullptr;
}

platform::Window* GLView::createWindow(const std::string& title, int x, int y, int width,
                                       int height, platform::WindowProcedure procedure) {
    if (!logPath_.empty()) {
        glLog_.open(logPath_, std::ios::out | std::ios::trunc);
    }
    logLine("Start OpenGL Init");
    if (!platform::Window::registerClass()) {
        return fail("RegisterClass() failed: Cannot register window class.");
    }
    window_ = platform::Window::create(title, x, y, width, height, procedure);
    if (!window_) {
        return fail("CreateWindow() failed:  Cannot create a window.");
    }
    // The GL context is where this platform realises the pixel format.
    if (!window_->createContext()) {
        return fail("ChoosePixelFormat() failed:  Cannot find a suitable pixel format.");
    }
    if (!makeCurrent()) {
        return fail("SetPixelFormat() failed:  Cannot set format specified.");
    }
    geometry_.resize(width, height);
    setStartState();
    probeExtensions();
    logLine("End OpenGL Init. Window Handle: " + hex8(window_->handle()));
    return window_.get();
}

void GLView::setStartState() {
    glClearColor(0.125f, 0.75f, 0.25f, 1.0f);
    glShadeModel(GL_SMOOTH);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    enable(GL_COLOR_MATERIAL);
    disable(GL_LIGHTING);
    enable(GL_DEPTH_TEST);
    glPolygonMode(GL_FRONT, GL_FILL);
    state_.resetCulling();
    glEnableClientState(GL_VERTEX_ARRAY);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
}

void GLView::probeExtensions() {
    const char* vendor = glText(GL_VENDOR);
    const char* version = glText(GL_VERSION);
    const char* renderer = glText(GL_RENDERER);
    const char* extensions = glText(GL_EXTENSIONS);
    // A string the context could not give is left out of its line, and never searched.
    logLine(std::string("OpenGL Vendor: ") + (vendor ? vendor : ""));
    logLine(std::string("OpenGL Version: ") + (version ? version : ""));
    logLine(std::string("OpenGL Renderer: ") + (renderer ? renderer : ""));
    logLine(std::string("OpenGL Extensions: ") + (extensions ? extensions : ""));
    logLine("OpenGL init extensions: ");

    const auto has = [extensions](const char* name) {
        return extensions != nullptr && std::strstr(extensions, name) != nullptr;
    };
    const auto entry = [this](const char* name) {
        return reinterpret_cast<GlFunction>(window_->procAddress(name));
    };
    if (has("GL_WIN_swap_hint")) {
        addSwapHintRect_ = entry("glAddSwapHintRectWIN");
        logLine("glAddSwapHintRectWIN ok ");
    } else {
        addSwapHintRect_ = nullptr;
        logLine("glAddSwapHintRectWIN not supported ");
    }
    if (has("GL_EXT_compiled_vertex_array")) {
        lockArrays_ = entry("glLockArraysEXT");
        unlockArrays_ = entry("glUnlockArraysEXT");
        logLine("glLockArraysEXT / glUnlockArraysEXT ok ");
    } else {
        lockArrays_ = nullptr;
        unlockArrays_ = nullptr;
        logLine("glLockArraysEXT / glUnlockArraysEXT not supported ");
    }
}

bool GLView::show(int showCommand) {
    return window_ && window_->show(showCommand);
}

bool GLView::makeCurrent() {
    return window_ && window_->makeCurrent();
}

void GLView::shutdown() {
    logLine("End OpenGL");
    if (window_) {
        window_->deleteContext();
        window_->destroy();
    }
}

void GLView::beginFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (geometry_.beginFrame()) {
        loadCameraView();
    }
    bool lit = false;
    for (const Light* light : lights_) {
        if (light != nullptr) {
            light->apply();
            lit = true;
        }
    }
    if (!lit) {
        disable(GL_LIGHTING);
        return;
    }
    enable(GL_LIGHTING);
    const GLfloat ambient[4] = {0.25f, 0.25f, 0.25f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
}

void GLView::endFrame() {
    glFlush();
    if (window_) {
        window_->swapBuffers();
    }
    glGetError();
}

void GLView::drawObject(const SceneObject& object) {
    glPushMatrix();
    object.draw();
    glPopMatrix();
}

void GLView::setBackground(float red, float green, float blue) {
    glClearColor(red, green, blue, 1.0f);
}

std::vector<uint8_t> GLView::readFrame(int width, int height) const {
    if (width <= 0 || height <= 0) {
        return {};
    }
    std::vector<uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void GLView::drawOnTop(const SceneObject& object) {
    disable(GL_DEPTH_TEST);
    object.draw();
    enable(GL_DEPTH_TEST);
}

void GLView::resize(int width, int height) {
    geometry_.resize(width, height);
    glViewport(0, 0, width, height);
    logLine("Resize: " + std::to_string(width) + "x" + std::to_string(height));
    if (geometry_.camera() != nullptr) {
        loadProjection();
    }
}

void GLView::setCamera(Camera& camera) {
    geometry_.setCamera(camera);
    loadProjection();
}

void GLView::loadProjection() {
    // A minimised window has no height and so no aspect ratio: keep the last projection.
    if (geometry_.height() == 0) {
        return;
    }
    const Camera& camera = *geometry_.camera();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(camera.fieldOfView(), double(geometry_.width()) / double(geometry_.height()),
                   camera.nearPlane(), camera.farPlane());
    glMatrixMode(GL_MODELVIEW);
}

void GLView::loadCameraView() {
    const Camera& camera = *geometry_.camera();
    const Vector3 eye = camera.position();
    const Vector3 centre = eye + camera.lookOffset();
    const Vector3 up = camera.upVector();
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
}

void GLView::setLight(int slot, const Light* light) {
    if (slot < 0 || slot >= LIGHT_SLOTS) {
        return;
    }
    lights_[static_cast<std::size_t>(slot)] = light;
}

}  // namespace zelmor
