#include "view/GLView.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "platform/WindowMessages.h"
#include "tests/support/GlCalls.h"
#include "tests/support/TestFiles.h"

namespace zelmor {
namespace {

using test::GlCalls;

GLView* viewUnderTest = nullptr;

int64_t resizeOnly(platform::Window*, uint32_t message, uint64_t, int64_t lParam) {
    if (message == platform::WM_SIZE && viewUnderTest != nullptr) {
        viewUnderTest->resize(platform::sizeWidth(lParam), platform::sizeHeight(lParam));
    }
    return 0;
}

// One real window and context for the whole suite, made in a temporary working directory so
// that "gl.log" lands there.
class GLViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        folder = new test::TempDir;
        test::ScopedWorkingDirectory inFolder(folder->path());
        view = new GLView;
        viewUnderTest = view;
        window = view->createWindow("zelmor", 0, 0, 640, 480, &resizeOnly);
        if (window != nullptr) {
            view->show(1);
        }
    }
    static void TearDownTestSuite() {
        viewUnderTest = nullptr;
        if (view != nullptr) {
            view->shutdown();
        }
        delete view;
        delete folder;
    }
    void SetUp() override {
        ASSERT_NE(window, nullptr);
        view->makeCurrent();
        GlCalls::reset();
    }
    static std::vector<std::string> logLines() {
        return test::readLines(folder->path() / "gl.log");
    }

    static inline test::TempDir* folder = nullptr;
    static inline GLView* view = nullptr;
    static inline platform::Window* window = nullptr;
};

TEST_F(GLViewTest, StartUpReportIsWrittenLineByLine) {
    const auto log = logLines();
    ASSERT_GE(log.size(), 10u);
    EXPECT_EQ(log[0], "Start OpenGL Init");
    EXPECT_EQ(log[1].rfind("OpenGL Vendor: ", 0), 0u);
    EXPECT_EQ(log[2].rfind("OpenGL Version: ", 0), 0u);
    EXPECT_EQ(log[3].rfind("OpenGL Renderer: ", 0), 0u);
    EXPECT_EQ(log[4].rfind("OpenGL Extensions: ", 0), 0u);
    EXPECT_EQ(log[5], "OpenGL init extensions: ");
    // Each extension is reported as the driver's list above has it.
    const auto has = [&](const char* name) { return log[4].find(name) != std::string::npos; };
    EXPECT_EQ(log[6], has("GL_WIN_swap_hint") ? "glAddSwapHintRectWIN ok "
                                              : "glAddSwapHintRectWIN not supported ");
    EXPECT_EQ(log[7], has("GL_EXT_compiled_vertex_array")
                          ? "glLockArraysEXT / glUnlockArraysEXT ok "
                          : "glLockArraysEXT / glUnlockArraysEXT not supported ");
    EXPECT_TRUE(
        std::regex_match(log[8], std::regex("End OpenGL Init\\. Window Handle: [0-9A-F]{8}")))
        << log[8];
    EXPECT_EQ(log[9], "Resize: 640x480") << "showing the window reports its client size";
    const bool hasLock = has("GL_EXT_compiled_vertex_array");
    EXPECT_EQ(view->lockArrays() != nullptr, hasLock);
    EXPECT_EQ(view->unlockArrays() != nullptr, hasLock);
}

TEST_F(GLViewTest, StartUpStateReadsBack) {
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.125f);
    EXPECT_FLOAT_EQ(clear[1], 0.75f);
    EXPECT_FLOAT_EQ(clear[2], 0.25f);
    EXPECT_FLOAT_EQ(clear[3], 1.0f);
    GLint value = 0;
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_COLOR_MATERIAL_FACE, &value);
    EXPECT_EQ(value, GL_FRONT);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &value);
    EXPECT_EQ(value, GL_DIFFUSE);
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 1);
    glGetIntegerv(GL_PACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 1);
    GLint modes[2];
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    for (GLenum capability : {GL_LIGHTING, GL_DEPTH_TEST, GL_COLOR_MATERIAL, GL_LIGHT0, GL_LIGHT1,
                              GL_LIGHT2, GL_LIGHT3, GL_FOG, GL_BLEND, GL_TEXTURE_2D}) {
        EXPECT_EQ(view->capabilityStates().count(capability), 1u) << capability;
    }
}

TEST_F(GLViewTest, CapabilitiesReachGlOnlyOnAChange) {
    view->disable(GL_DEPTH_TEST);
    view->enable(GL_DEPTH_TEST);
    view->enable(GL_DEPTH_TEST);
    EXPECT_EQ(GlCalls::count("glEnable"), 1);
    EXPECT_EQ(GlCalls::count("glDisable"), 1);
    GlCalls::reset();
    view->disable(GL_CULL_FACE);  // never seen before: recorded off, no call
    EXPECT_EQ(GlCalls::log().size(), 0u);
    ASSERT_EQ(view->capabilityStates().count(GL_CULL_FACE), 1u);
    EXPECT_FALSE(view->capabilityStates().at(GL_CULL_FACE));
}

TEST_F(GLViewTest, ProjectionFollowsTheCameraLensAndAZeroHeightKeepsIt) {
    Camera camera;
    camera.setFieldOfView(45.0f);
    view->setCamera(camera);
    const auto projection = view->picker().projection();
    // gluPerspective: [0] = f / aspect, [5] = f with f = 1 / tan(fov / 2).
    EXPECT_NEAR(projection[5] / projection[0], 640.0 / 480.0, 1e-6);  // GL keeps floats
    {
        test::ScopedWorkingDirectory inFolder(folder->path());
        view->resize(0, 0);  // minimised
    }
    EXPECT_EQ(view->picker().projection(), projection);
    view->resize(800, 400);
    EXPECT_NEAR(view->picker().projection()[5] / view->picker().projection()[0], 2.0, 1e-6);
    const auto log = logLines();
    EXPECT_EQ(log.back(), "Resize: 800x400");
    view->resize(640, 480);
}

TEST_F(GLViewTest, FrameClearsAppliesTheCameraAndKeepsLightingOff) {
    Camera camera;
    camera.setPosition({0, 20, -30});
    camera.setLookOffset({0, -20, 30});
    view->setCamera(camera);
    view->beginFrame();
    EXPECT_EQ(GlCalls::count("glClear"), 1);
    EXPECT_EQ(GlCalls::count("gluLookAt"), 1);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    view->endFrame();
    GlCalls::reset();
    view->beginFrame();
    EXPECT_EQ(GlCalls::count("gluLookAt"), 0) << "an unchanged camera is not rebuilt";
    view->endFrame();

    Light light = Light::atPosition({1, 2, 3});
    view->setLight(0, &light);
    GlCalls::reset();
    view->beginFrame();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    const auto lightCalls = GlCalls::named("glLightfv");
    ASSERT_EQ(lightCalls.size(), 2u);
    EXPECT_EQ(lightCalls[1].args[1], GL_AMBIENT);
    EXPECT_DOUBLE_EQ(lightCalls[1].args[2], 0.25);
    view->setLight(0, nullptr);
    view->beginFrame();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

}  // namespace
}  // namespace zelmor
