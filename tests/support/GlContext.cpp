#include "tests/support/GlContext.h"

#include <GL/gl.h>

#include <cstdlib>
#include <stdexcept>

#include "tests/support/GlCalls.h"

namespace zelmor::test {
namespace {

std::unique_ptr<GlContext>& sharedContext() {
    static std::unique_ptr<GlContext> context;
    return context;
}

// Deletes the shared context at the end of the run, while the driver's libraries still stand.
class GlContextEnvironment : public ::testing::Environment {
public:
    void TearDown() override { GlContext::release(); }
};

[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new GlContextEnvironment);

}  // namespace

void useOffscreenWindows() {
#ifndef _WIN32
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
#endif
}

GlContext& GlContext::get() {
    auto& context = sharedContext();
    if (!context) {
        context.reset(new GlContext);
    }
    // Another suite may have made (and deleted) a context of its own since.
    context->window().makeCurrent();
    return *context;
}

void GlContext::release() {
    auto& context = sharedContext();
    if (!context) {
        return;
    }
    context->window().makeCurrent();
    glFinish();
    context.reset();
}

GlContext::GlContext() {
    useOffscreenWindows();
    if (!platform::Window::registerClass()) {
        throw std::runtime_error("no window system for the GL context");
    }
    // Twice the size drawn in: where the size is the whole window's, the frame takes its part
    // and the client area still holds the viewport.
    window_ = platform::Window::create("gl test", 0, 0, 2 * WIDTH, 2 * HEIGHT, nullptr);
    if (!window_ || !window_->createContext() || !window_->makeCurrent()) {
        throw std::runtime_error("no GL context");
    }
    previousRenderer_ = SceneRenderer::install(&renderer_);
    resetState();
}

GlContext::~GlContext() {
    if (SceneRenderer::installed() == &renderer_) {
        SceneRenderer::install(previousRenderer_);
    }
}

void GlContext::resetState() {
    glViewport(0, 0, WIDTH, HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    // A view made by a test may have drawn with its own renderer since: this one draws again.
    SceneRenderer::install(&renderer_);
    state_.resetCulling();
    state_.forgetMesh();
    GlCalls::reset();
}

void GlTest::SetUp() {
    GlContext::get().resetState();
}

void GlTest::TearDown() {
    glFinish();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace zelmor::test
