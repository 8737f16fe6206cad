// The program's own window, scene and frames on the offscreen GL driver: what the main loop
// draws, read back pixel by pixel. The bundled data folder is copied to a temporary working
// directory, so the logs land there and the scene is the one a user sees at start.

#include "app/Application.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/MessageQueue.h"
#include "platform/WindowMessages.h"
#include "scene/Mesh.h"
#include "scene/ModelCache.h"
#include "sim/Unit.h"
#include "tests/support/GlCalls.h"
#include "tests/support/GlContext.h"
#include "tests/support/TestFiles.h"
#include "tests/support/ViewMath.h"

namespace zelmor {
namespace {

using test::GlCalls;

// Rasterisers differ in how they round colours and where edges fall, never in flat colours by
// more than this (per channel, 0..255): the same expectations hold on every platform.
constexpr int COLOUR_TOLERANCE = 8;
// At least half the side, in pixels, of the square searched around an object's projected
// position for its colours; the square holds the ground its models reach over.
constexpr int NEAR_PIXELS = 6;
// Objects whose position lands closer than this to an edge of the window are not looked at.
constexpr int EDGE_PIXELS = 12;
constexpr int FRAMES = 100;

struct Rgb {
    int r, g, b;
};

using Palette = std::vector<Rgb>;

constexpr Rgb FIELD{32, 191, 64};  // the clear colour

bool closeTo(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) <= COLOUR_TOLERANCE && std::abs(a.g - b.g) <= COLOUR_TOLERANCE &&
           std::abs(a.b - b.b) <= COLOUR_TOLERANCE;
}

int channel(float value, int behind) {
    return std::min(255, behind + int(value * 255.0f + 0.5f));
}

// The colours a mesh draws with, unlit: its vertex colours, or its one colour (a translucent one
// added to the field it lies on).
void addColours(const Mesh* mesh, Palette& palette) {
    if (mesh == nullptr) {
        return;
    }
    if (!mesh->hasVertexColours()) {
        const Colour& c = mesh->colour();
        const Rgb behind = c.a == 1.0f ? Rgb{0, 0, 0} : FIELD;
        palette.push_back({channel(c.r, behind.r), channel(c.g, behind.g), channel(c.b, behind.b)});
    } else {
        const std::vector<uint8_t>& v = mesh->vertexColours();
        for (std::size_t i = 0; i + 3 < v.size(); i += 4) {
            palette.push_back({v[i], v[i + 1], v[i + 2]});
        }
    }
    // A colour the bare field shows too would prove nothing.
    std::erase_if(palette, [](const Rgb& c) { return closeTo(c, FIELD); });
}

// How far from its origin a mesh reaches on the ground plane, in world units.
double reach(const Mesh* mesh) {
    if (mesh == nullptr) {
        return 0.0;
    }
    double most = 0.0;
    const std::vector<float>& v = mesh->vertices();
    for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
        most = std::max(most, std::hypot(double(v[i]), double(v[i + 2])));
    }
    return most;
}

bool isShadow(const Mesh* mesh, const ModelCache& models) {
    for (const char* name :
         {"shadow_round", "shadow_house", "shadow_barn", "shadow_wall", "shadow_vehicle"}) {
        if (mesh != nullptr && mesh == models.get(name)) {
            return true;
        }
    }
    return false;
}

// An object's colours, its shadows' apart from the rest (children and unit parts included).
void collectColours(const SceneObject& object, const ModelCache& models, Palette& body,
                    Palette& shadow) {
    addColours(object.mesh, isShadow(object.mesh, models) ? shadow : body);
    for (const SceneObject& child : object.children) {
        collectColours(child, models, body, shadow);
    }
}

void collectColours(const Unit& unit, const ModelCache& models, Palette& body, Palette& shadow) {
    collectColours(static_cast<const SceneObject&>(unit), models, body, shadow);
    for (const auto& [name, part] : unit.parts()) {
        collectColours(part, models, body, shadow);
    }
}

double reachOf(const SceneObject& object) {
    double most = reach(object.mesh);
    for (const SceneObject& child : object.children) {
        most = std::max(most, reachOf(child));
    }
    return most;
}

double reachOf(const Unit& unit) {
    double most = reachOf(static_cast<const SceneObject&>(unit));
    for (const auto& [name, part] : unit.parts()) {
        most = std::max(most, reachOf(part) + std::hypot(part.position.x, part.position.z));
    }
    return most;
}

class Frame {
public:
    Frame(int width, int height) : width_(width), height_(height) {
        pixels_.resize(std::size_t(width) * height * 3);
        // The frame has been swapped. Mesa's swap copies it out and leaves the back buffer as it
        // was, on the offscreen driver and under wine alike, while the front buffer of a window
        // that is hidden or covered holds nothing defined: the back buffer is the one to read.
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels_.data());
    }
    // Whether a pixel of the square of half side `near` around (x, y) (y upwards) matches a
    // colour of the palette.
    bool showsNear(int x, int y, const Palette& palette, int near) const {
        for (int py = y - near; py <= y + near; ++py) {
            for (int px = x - near; px <= x + near; ++px) {
                if (px >= 0 && py >= 0 && px < width_ && py < height_ && matches(px, py, palette)) {
                    return true;
                }
            }
        }
        return false;
    }
    bool operator==(const Frame&) const = default;
    int count(const Palette& palette) const {
        int n = 0;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                n += matches(x, y, palette);
            }
        }
        return n;
    }

private:
    bool matches(int x, int y, const Palette& palette) const {
        const uint8_t* p = &pixels_[(std::size_t(y) * width_ + x) * 3];
        const Rgb pixel{p[0], p[1], p[2]};
        return std::any_of(palette.begin(), palette.end(),
                           [&](const Rgb& c) { return closeTo(pixel, c); });
    }

    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
};

class ApplicationGL : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::useOffscreenWindows();
        folder = new test::TempDir;
        std::filesystem::copy(std::filesystem::path(ZELMOR_SOURCE_DIR) / "data", folder->path(),
                              std::filesystem::copy_options::recursive);
        test::ScopedWorkingDirectory inFolder(folder->path());
        app = new Application;
        opened = app->openWindow();
        if (opened) {
            app->loadWorld();
        }
    }
    static void TearDownTestSuite() {
        if (opened) {
            app->close();
        }
        delete app;
        delete folder;
    }
    void SetUp() override {
        ASSERT_TRUE(opened);
        ASSERT_TRUE(app->view().makeCurrent());
        GlCalls::reset();
    }
    void TearDown() override {
        glFinish();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    // What one pass of the main loop draws (its steps left out: the scene stands still).
    static void drawPass() {
        LoopClient& loop = *app;
        loop.buildVisibleLists();
        loop.renderFrame();
        glFinish();
    }
    static Frame frame() { return Frame(app->view().width(), app->view().height()); }
    // Window point (y upwards) of a ground point.
    static test::WindowPoint project(const Vector3& p) {
        GroundPicker& picker = app->view().picker();
        return test::projectToWindow(p, picker.modelview(), picker.projection(), picker.viewport());
    }
    // Half the side of the square of pixels that holds `units` world units (at least half of
    // one) around p, on the ground, seen from the eye.
    static int nearPixels(const Vector3& p, double units) {
        units = std::max(units, 0.5);
        const test::WindowPoint w = project(p);
        double most = 0.0;
        for (const Vector3& step : {Vector3(1, 0, 0), Vector3(0, 0, 1)}) {
            const test::WindowPoint v = project(p + step);
            most = std::max({most, std::abs(v.x - w.x), std::abs(v.y - w.y)});
        }
        return std::max(NEAR_PIXELS, int(most * units + 0.5));
    }
    static bool wellInside(const test::WindowPoint& w) {
        return w.x >= EDGE_PIXELS && w.y >= EDGE_PIXELS &&
               w.x < app->view().width() - EDGE_PIXELS && w.y < app->view().height() - EDGE_PIXELS;
    }
    // Posts a click at the window point and hands the queue to the program as its loop does.
    static void leftClick(const test::WindowPoint& w) {
        const int64_t at = platform::makePointParam(int(w.x), app->view().height() - int(w.y));
        platform::MessageQueue& queue = platform::MessageQueue::instance();
        queue.post(app->view().window(), platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, at);
        queue.post(app->view().window(), platform::WM_LBUTTONUP, 0, at);
        LoopClient& loop = *app;
        platform::Message message;
        while (loop.pollMessage(message)) {
            loop.dispatchMessage(message);
        }
    }

    static inline test::TempDir* folder = nullptr;
    static inline Application* app = nullptr;
    static inline bool opened = false;
};

// Every object of the first frame is found in its own colours at its projected position, with
// its shadow, and the next frame is the same picture; a clicked unit gets its marker. The scene
// places scenery and units over the whole window, so any kind left out of the frame (or a frame
// drawn from another eye) shows here.
TEST_F(ApplicationGL, TheFirstFrameShowsEveryPlacedObjectItsShadowAndTheSelectedMarker) {
    drawPass();
    const ModelCache& models = *app->state().world->models;
    Palette marker;
    addColours(models.get("SELECTOR"), marker);
    ASSERT_FALSE(marker.empty());
    const Frame first = frame();
    EXPECT_EQ(first.count(marker), 0) << "a marker with nothing selected";
    // The first pass builds its lists before the frame sets up the view; from then on a still
    // scene draws the same picture every time.
    drawPass();
    const Frame second = frame();
    drawPass();
    EXPECT_TRUE(frame() == second) << "a still scene draws the same picture again";
    int looked = 0;
    const auto check = [&](const auto& object, const char* kind) {
        const test::WindowPoint w = project(object.position);
        if (!wellInside(w)) {
            return;
        }
        ++looked;
        Palette body, shadow;
        collectColours(object, models, body, shadow);
        const int near = nearPixels(object.position, reachOf(object));
        EXPECT_TRUE(body.empty() || first.showsNear(int(w.x), int(w.y), body, near))
            << kind << " at " << object.position.x << ", " << object.position.z;
        if (!shadow.empty()) {
            EXPECT_TRUE(first.showsNear(int(w.x), int(w.y), shadow, near))
                << "shadow at " << object.position.x << ", " << object.position.z;
        }
    };
    for (const SceneObject* object : app->state().visibleStatics) {
        check(*object, "static object");
    }
    const Unit* target = nullptr;
    for (const Unit* unit : app->state().visibleUnits) {
        check(*unit, "unit");
        if (target == nullptr && wellInside(project(unit->position))) {
            target = unit;
        }
    }
    EXPECT_GE(looked, 40);
    ASSERT_NE(target, nullptr);

    leftClick(project(target->position));
    ASSERT_EQ(app->state().selectedUnits, std::vector<Unit*>{const_cast<Unit*>(target)});
    drawPass();
    const test::WindowPoint w = project(target->position);
    EXPECT_TRUE(frame().showsNear(int(w.x), int(w.y), marker,
                                  nearPixels(target->position, reach(models.get("SELECTOR")))));
}

// A scene where nothing moves costs the same every frame: the same visible objects, the same GL
// calls, the same state left behind. Anything kept from frame to frame by mistake shows here.
TEST_F(ApplicationGL, AStillSceneCostsTheSameWorkEveryFrame) {
    // The first pass of a run builds its lists before any frame has set up the view.
    drawPass();
    std::vector<std::size_t> calls, statics, units;
    std::vector<bool> depthTested;
    for (int i = 0; i < FRAMES; ++i) {
        GlCalls::reset();
        drawPass();
        calls.push_back(GlCalls::log().size());
        // Each frame leaves the next one the state it starts from: the scene depth-tested.
        depthTested.push_back(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE);
        statics.push_back(app->state().visibleStatics.size());
        units.push_back(app->state().visibleUnits.size());
    }
    EXPECT_GT(statics.front(), 0u);
    EXPECT_GT(units.front(), 0u);
    EXPECT_EQ(calls, std::vector<std::size_t>(FRAMES, calls.front()));
    EXPECT_EQ(statics, std::vector<std::size_t>(FRAMES, statics.front()));
    EXPECT_EQ(units, std::vector<std::size_t>(FRAMES, units.front()));
    EXPECT_EQ(depthTested, std::vector<bool>(FRAMES, true));
}

}  // namespace
}  // namespace zelmor
