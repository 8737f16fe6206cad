#include "view/GLView.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/MessageQueue.h"
#include "platform/WindowMessages.h"
#include "scene/World.h"
#include "tests/support/GlCalls.h"
#include "tests/support/GlContext.h"
#include "tests/support/TestFiles.h"
#include "view/PartBatch.h"

namespace zelmor {
namespace {

using test::GlCall;
using test::GlCalls;

GLView* viewUnderTest = nullptr;

// Everything but the size goes to the default, as a window procedure must: a window system
// that asks the procedure whether the window may be made takes a plain 0 for a no.
int64_t resizeOnly(platform::Window* window, uint32_t message, uint64_t wParam, int64_t lParam) {
    if (message == platform::WM_SIZE && viewUnderTest != nullptr) {
        viewUnderTest->resize(platform::sizeWidth(lParam), platform::sizeHeight(lParam));
        return 0;
    }
    return platform::MessageQueue::defaultProcedure(window, message, wParam, lParam);
}

// One real window and context for the whole suite, made in a temporary working directory so
// that "gl.log" lands there.
class GLViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::useOffscreenWindows();
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
    // Showing the window reports its client size: all of the 640 x 480 asked for where the
    // window system adds no frame, less the frame where the size is the whole window's.
    EXPECT_EQ(log[9],
              "Resize: " + std::to_string(view->width()) + "x" + std::to_string(view->height()));
    EXPECT_TRUE(view->width() > 400 && view->width() <= 640) << view->width();
    EXPECT_TRUE(view->height() > 300 && view->height() <= 480) << view->height();
    const bool hasLock = has("GL_EXT_compiled_vertex_array");
    EXPECT_EQ(view->lockArrays() != nullptr, hasLock);
    EXPECT_EQ(view->unlockArrays() != nullptr, hasLock);
    EXPECT_EQ(view->addSwapHintRect() != nullptr, has("GL_WIN_swap_hint"));
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
    const int shownWidth = view->width();
    const int shownHeight = view->height();
    const double aspect = static_cast<double>(shownWidth) / shownHeight;
    EXPECT_NEAR(projection[5] / projection[0], aspect, 1e-6);  // GL keeps floats
    {
        test::ScopedWorkingDirectory inFolder(folder->path());
        view->resize(0, 0);  // minimised
    }
    EXPECT_EQ(view->picker().projection(), projection);
    view->resize(800, 400);
    EXPECT_NEAR(view->picker().projection()[5] / view->picker().projection()[0], 2.0, 1e-6);
    const auto log = logLines();
    EXPECT_EQ(log.back(), "Resize: 800x400");
    view->resize(shownWidth, shownHeight);
}

// GL draws with the view and projection the geometry computed for picking and visibility: the
// same calls give the same bits.
TEST_F(GLViewTest, FrameClearsAppliesTheCameraAndKeepsLightingOff) {
    Camera camera;
    camera.setPosition({5, 8, 5});
    camera.setLookOffset({1, -1, 1});
    view->setCamera(camera);
    view->beginFrame();
    EXPECT_EQ(GlCalls::count("glClear"), 1);
    ASSERT_EQ(GlCalls::count("gluLookAt"), 1);
    EXPECT_EQ(GlCalls::named("gluLookAt")[0].args,
              (std::vector<double>{5, 8, 5, 6, 7, 6, 0, 1, 0}));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    std::array<float, 16> gl{};
    glGetFloatv(GL_MODELVIEW_MATRIX, gl.data());
    EXPECT_EQ(gl, camera.appliedView().values());
    glGetFloatv(GL_PROJECTION_MATRIX, gl.data());
    EXPECT_EQ(gl, camera.projection().values());
    view->endFrame();
    GlCalls::reset();
    glTranslatef(3, 0, 0);
    view->beginFrame();
    EXPECT_EQ(GlCalls::count("gluLookAt"), 0) << "an unchanged camera is not rebuilt";
    EXPECT_EQ(GlCalls::count("glLoadIdentity"), 0);
    glLoadIdentity();
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

// Units of every bundled kind at all headings and tilts, some selected: drawn with their parts
// merged and one part per call. The merged vertices are rounded once in the unit's frame instead
// of by GL's matrices, so a few pixels on edges may differ, nothing inside a face. The merged
// drawing culls back faces where that hides nothing, so the views include the open bottoms seen
// from under the ground and a unit cut open by the near plane. A model list read after the units
// replaces a part's model in place, and both drawings show it.
TEST_F(GLViewTest, MergedUnitPartsDrawTheFrameOfThePartByPartDrawing) {
    std::ostringstream scene;
    scene << "m models.lst\n";
    for (int i = 0; i < 90; ++i) {
        const char* kinds[] = {"tank", "scout", "launcher"};
        scene << "p " << (i % 10 - 4.5) * 1.7 << " 0 " << (i / 10 - 4) * 1.7 << "\no "
              << (i % 5 - 2) * 4 << " " << i * 37 << " " << (i % 3 - 1) * 6 << "\nu units/"
              << kinds[i % 3] << ".unit\n";
    }
    scene << "c 60 0.1 100\nx\n";
    test::TempDir dir;
    const std::string scenePath = dir.write("battle.wdf", scene.str());
    // The scene's model list and unit files are the bundled ones.
    test::ScopedWorkingDirectory inData(std::filesystem::path(ZELMOR_SOURCE_DIR) / "data");
    ModelCache models;
    World world(models);
    world.loadScene(scenePath, ReadContext{});
    ASSERT_EQ(world.units.size(), 90u);
    std::vector<Unit*> units;
    for (Unit& unit : world.units) {
        units.push_back(&unit);
        if (units.size() % 7 == 0) {
            unit.select();
        }
    }
    view->setCamera(world.camera);
    enum class Drawing { PART_BY_PART, MERGED, BACK_FACES_RED };
    struct Image {
        std::vector<uint8_t> colour;
        std::vector<float> depth;
    };
    auto frame = [&](Drawing drawing) {
        PartBatch::mergeParts = drawing == Drawing::MERGED;
        GlCalls::reset();
        view->beginFrame();
        const GLfloat red[4] = {1, 0, 0, 1};
        const GLfloat grey[4] = {0.2f, 0.2f, 0.2f, 1};
        const bool marking = drawing == Drawing::BACK_FACES_RED;
        if (marking) {
            // Lit with no light on, front faces come out dark grey and back faces red.
            view->enable(GL_LIGHTING);
            glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
            glMaterialfv(GL_BACK, GL_AMBIENT, red);
        }
        view->drawList(units);
        glFinish();
        if (marking) {
            glMaterialfv(GL_BACK, GL_AMBIENT, grey);
            glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
            view->disable(GL_LIGHTING);
        }
        PartBatch::mergeParts = true;
        Image image{std::vector<uint8_t>(640 * 480 * 4), std::vector<float>(640 * 480)};
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, image.colour.data());
        glReadPixels(0, 0, 640, 480, GL_DEPTH_COMPONENT, GL_FLOAT, image.depth.data());
        return image;
    };
    // The merged drawing may differ where its vertices round otherwise, on edges, and where the
    // part-by-part drawing shows a face turned away from the eye: a solid's back face wins the
    // depth test against its front face along their common edge, where the two depths meet.
    // Culled, those back faces are gone; anywhere else culling must change nothing.
    auto compare = [&](const char* when, bool culls) {
        // Culling drops back faces where the view allows and draws the rest both ways round.
        auto indicesDrawn = [] {
            double count = 0;
            for (const GlCall& call : GlCalls::named("glDrawElements")) {
                count += call.args[1];
            }
            return count;
        };
        const Image reference = frame(Drawing::PART_BY_PART);
        const int referenceCalls = GlCalls::count("glDrawElements");
        const double referenceIndices = indicesDrawn();
        const Image backFaces = frame(Drawing::BACK_FACES_RED);
        const Image merged = frame(Drawing::MERGED);
        EXPECT_LT(GlCalls::count("glDrawElements") * 2, referenceCalls) << when;
        EXPECT_EQ(culls, indicesDrawn() < 2 * referenceIndices) << when;
        auto pixel = [](const Image& image, int x, int y) {
            const uint8_t* at = &image.colour[4 * (y * 640 + x)];
            return at[0] | at[1] << 8 | at[2] << 16;
        };
        int differing = 0;  // but for back faces lost where they met their front faces
        int inside = 0;     // differing pixels whose four neighbours share their reference colour
        int coloured = 0;
        for (int y = 1; y < 479; ++y) {
            for (int x = 1; x < 639; ++x) {
                const int expected = pixel(reference, x, y);
                coloured += expected != pixel(reference, 0, 0);
                if (pixel(merged, x, y) == expected) {
                    continue;
                }
                const int at = y * 640 + x;
                const bool backFace =
                    backFaces.colour[4 * at] > 40 && backFaces.colour[4 * at + 1] < 10;
                // At the very depth of the front face now seen there: one step of the buffer.
                differing += !backFace || std::abs(merged.depth[at] - reference.depth[at]) > 1e-6f;
                inside += pixel(reference, x - 1, y) == expected &&
                          pixel(reference, x + 1, y) == expected &&
                          pixel(reference, x, y - 1) == expected &&
                          pixel(reference, x, y + 1) == expected;
            }
        }
        EXPECT_EQ(inside, 0) << when << ": pixels differ inside faces";
        EXPECT_GT(coloured, 640 * 480 / 20) << when << ": the units fill a good part of the frame";
        EXPECT_LE(differing, 640 * 480 / 2000) << when;
    };
    struct View {
        const char* name;
        Vector3 eye;
        Vector3 lookOffset;
        bool culls;
    };
    const View views[] = {
        {"from above", {3, 14, -12}, {-3, -14, 12}, true},
        // Looking into the units' open bottoms: no back face may be dropped.
        {"from under the ground", {0, -5, -12}, {0, 5, 12}, false},
        // The near plane cuts the first unit open: it must keep its back faces, the rest not.
        {"from just above a turret", {-7.65f, 0.75f, -6.8f}, {0.2f, -1, 0.1f}, true},
    };
    for (const View& seen : views) {
        world.camera.setPosition(seen.eye);
        world.camera.setLookOffset(seen.lookOffset);
        compare(seen.name, seen.culls);
    }
    world.camera.setPosition(views[0].eye);
    world.camera.setLookOffset(views[0].lookOffset);
    models.preload(dir.write("later.lst", "tank_turret models/rock.mdl\n"));
    compare("after a turret model was replaced", true);
}

}  // namespace
}  // namespace zelmor
