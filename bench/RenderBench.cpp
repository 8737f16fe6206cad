// A frame as the program draws it (visible lists, then statics, units and the rubber band) on
// a real Mesa context through SDL's offscreen driver: the bundled scene, and 1,000 units with
// their parts merged and, for comparison, drawn one part per call.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "bench/FieldScene.h"
#include "bench/MemoryFiles.h"
#include "platform/WindowMessages.h"
#include "sim/SelectionBox.h"
#include "view/GLView.h"

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

void drawFrames(benchmark::State& state, World& world) {
    GLView* glView = view();
    if (glView == nullptr || !glView->makeCurrent()) {
        state.SkipWithError("no GL context on the offscreen driver");
        return;
    }
    glView->setCamera(world.camera);
    std::vector<Unit*> visibleUnits;
    std::vector<SceneObject*> visibleStatics;
    SelectionBox selectionBox;
    for (auto _ : state) {
        visibleUnits.clear();
        for (Unit& unit : world.units) {
            if (world.isVisible(unit)) {
                visibleUnits.push_back(&unit);
            }
        }
        visibleStatics.clear();
        for (StaticObject& object : world.staticObjects) {
            if (world.isVisible(object)) {
                visibleStatics.push_back(&object);
            }
        }
        glView->beginFrame();
        glView->drawList(visibleStatics);
        glView->drawList(visibleUnits);
        glView->disable(GL_DEPTH_TEST);
        selectionBox.draw();
        glView->enable(GL_DEPTH_TEST);
        glView->endFrame();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["visible_units"] = static_cast<double>(visibleUnits.size());
    state.counters["visible_statics"] = static_cast<double>(visibleStatics.size());
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

// Units draw their parts merged (as the program does) or one part per call, the reference.
void unitField(benchmark::State& state, bool merged) {
    ModelCache models;
    MemoryFileSource files = bundledFiles();
    auto world = FieldScene::make(models, files, 1000, 0);
    Unit::mergeParts = merged;
    drawFrames(state, *world);
    Unit::mergeParts = true;
}
BENCHMARK_CAPTURE(unitField, merged, true)
    ->Name("RenderFrame/units:1000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(unitField, partByPart, false)
    ->Name("RenderFrame/units:1000/part-by-part")
    ->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace zelmor::bench
