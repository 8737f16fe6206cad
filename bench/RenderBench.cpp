// A frame as the program draws it (visible lists, then statics, units and the rubber band) on
// a real Mesa context through SDL's offscreen driver: the bundled scene, and 1,000 units with
// their parts merged and, for comparison, drawn one part per call, unselected and all selected.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "bench/FieldScene.h"
#include "bench/MemoryFiles.h"
#include "platform/WindowMessages.h"
#include "sim/SelectionBox.h"
#include "view/GLView.h"
#include "view/PartBatch.h"

namespace zelmor::bench {

namespace {

GLView* shownView = nullptr;

int64_t resizeOnly(platform::Window*, uint32_t message, uint64_t, int64_t lParam) {
    if (message == platform::WM_SIZE && shownView != nullptr) {
        shownView->resize(platform::sizeWidth(lParam), platform::sizeHeight(lParam));
    }
    return 0;
}

// One window for the whole run, made in a temporary folder that takes its "gl.log".
GLView* view() {
    static GLView* made = [] {
        if (std::getenv("SDL_VIDEODRIVER") == nullptr) {
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
        }
        const auto folder = std::filesystem::temp_directory_path() / "zelmor-bench-view";
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        auto* glView = new GLView;
        shownView = glView;
        if (glView->createWindow("zelmor", 0, 0, 640, 480, &resizeOnly) == nullptr) {
            return static_cast<GLView*>(nullptr);
        }
        glView->show(1);
        return glView;
    }();
    return made;
}

// One frame as the main loop draws it; the visible lists are the frame's own work too.
class FrameDrawer {
public:
    explicit FrameDrawer(World& world) : world_(world) {}

    void draw(GLView& glView) {
        visibleUnits_.clear();
        for (Unit& unit : world_.units) {
            if (world_.isVisible(unit)) {
                visibleUnits_.push_back(&unit);
            }
        }
        visibleStatics_.clear();
        for (StaticObject& object : world_.staticObjects) {
            if (world_.isVisible(object)) {
                visibleStatics_.push_back(&object);
            }
        }
        glView.beginFrame();
        glView.drawList(visibleStatics_);
        glView.drawList(visibleUnits_);
        glView.disable(GL_DEPTH_TEST);
        selectionBox_.draw();
        glView.enable(GL_DEPTH_TEST);
        glView.endFrame();
    }

    void count(benchmark::State& state) const {
        state.counters["visible_units"] = static_cast<double>(visibleUnits_.size());
        state.counters["visible_statics"] = static_cast<double>(visibleStatics_.size());
    }

private:
    World& world_;
    std::vector<Unit*> visibleUnits_;
    std::vector<SceneObject*> visibleStatics_;
    SelectionBox selectionBox_;
};

GLView* currentView(benchmark::State& state, World& world) {
    GLView* glView = view();
    if (glView == nullptr || !glView->makeCurrent()) {
        state.SkipWithError("no GL context on the offscreen driver");
        return nullptr;
    }
    glView->setCamera(world.camera);
    return glView;
}

void drawFrames(benchmark::State& state, World& world) {
    GLView* glView = currentView(state, world);
    if (glView == nullptr) {
        return;
    }
    FrameDrawer frame(world);
    for (auto _ : state) {
        frame.draw(*glView);
    }
    state.SetItemsProcessed(state.iterations());
    frame.count(state);
}

void bundledScene(benchmark::State& state) {
    ModelCache models;
    MemoryFileSource files = bundledFiles();
    World world(models);
    world.initTerrain();
    world.loadScene("wdf/test.wdf", ReadContext{&files, nullptr});
    drawFrames(state, world);
}
BENCHMARK(bundledScene)->Name("RenderFrame/bundled")->Unit(benchmark::kMillisecond);

// Units draw their parts merged (as the program does) or one part per call, the reference;
// selected, each also draws the selection marker.
void unitField(benchmark::State& state, bool merged, bool selected) {
    ModelCache models;
    MemoryFileSource files = bundledFiles();
    auto world = FieldScene::make(models, files, 1000, 0);
    for (Unit& unit : world->units) {
        selected ? unit.select() : unit.deselect();
    }
    PartBatch::mergeParts = merged;
    drawFrames(state, *world);
    PartBatch::mergeParts = true;
}
BENCHMARK_CAPTURE(unitField, merged, true, false)
    ->Name("RenderFrame/units:1000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(unitField, partByPart, false, false)
    ->Name("RenderFrame/units:1000/part-by-part")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(unitField, allSelected, true, true)
    ->Name("RenderFrame/units:1000/all-selected")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(unitField, allSelectedPartByPart, false, true)
    ->Name("RenderFrame/units:1000/all-selected/part-by-part")
    ->Unit(benchmark::kMillisecond);

// The two drawings in turn, a few frames of each at a time, so that the machine's speed, which
// may change from one second to the next, weighs on both alike. Within a turn the frames follow
// each other as in the program (the renderer finishes one while the next is sent); each turn
// ends by waiting for the last. The counters give each one's wall time per frame and the ratio.
void alternatingDrawings(benchmark::State& state) {
    ModelCache models;
    MemoryFileSource files = bundledFiles();
    auto world = FieldScene::make(models, files, 1000, 0);
    GLView* glView = currentView(state, *world);
    if (glView == nullptr) {
        return;
    }
    FrameDrawer frame(*world);
    std::chrono::duration<double, std::milli> spent[2]{};
    constexpr int FRAMES_PER_TURN = 8;
    for (auto _ : state) {
        for (const bool merged : {true, false}) {
            PartBatch::mergeParts = merged;
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < FRAMES_PER_TURN; ++i) {
                frame.draw(*glView);
            }
            glFinish();
            spent[merged ? 0 : 1] += std::chrono::steady_clock::now() - start;
        }
    }
    PartBatch::mergeParts = true;
    const auto frames = static_cast<double>(state.iterations()) * FRAMES_PER_TURN;
    state.counters["merged_ms"] = spent[0].count() / frames;
    state.counters["part_by_part_ms"] = spent[1].count() / frames;
    state.counters["ratio"] = spent[0].count() / spent[1].count();
}
BENCHMARK(alternatingDrawings)
    ->Name("RenderFrame/units:1000/merged-and-part-by-part-in-turn")
    ->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace zelmor::bench
