// A SceneFile ("wdf/test.wdf") with the model lists, model files and unit files it names, all
// held in memory; the world it builds then runs its tick and visibility test for a while.

#include <cstddef>
#include <cstdint>

#include "fuzz/CheckingReport.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/MemoryFiles.h"
#include "scene/ModelCache.h"
#include "scene/World.h"
#include "sim/WorldTick.h"

using namespace zelmor;

namespace {

constexpr char SCENE[] = "wdf/test.wdf";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const fuzz::MemoryFiles files = fuzz::MemoryFiles::split(data, size, SCENE);

    ModelCache silentModels;
    World silent(silentModels);
    silent.initTerrain();
    silent.loadScene(SCENE, ReadContext{&files, nullptr});

    fuzz::CheckingReport report(files);
    ModelCache listenedModels;
    World listened(listenedModels);
    listened.loadScene(SCENE, ReadContext{&files, &report});
    fuzz::require(silent.units.size() == listened.units.size(), "same units");
    fuzz::require(silent.staticObjects.size() == listened.staticObjects.size(), "same objects");
    fuzz::require(silentModels.size() == listenedModels.size(), "same models");

    // The contact grid must find exactly the contacts that the full search finds.
    silent.tick().search = ContactSearch::Grid;
    listened.tick().search = ContactSearch::AllPairs;
    listened.initTerrain();
    fuzz::exercise(silent);
    fuzz::exercise(listened);
    fuzz::requireSameUnits(silent, listened);
    return 0;
}
