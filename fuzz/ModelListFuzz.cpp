// A ModelList ("models.lst") with the model files it names, all held in memory.

#include <cstddef>
#include <cstdint>

#include "fuzz/CheckingReport.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/MemoryFiles.h"
#include "scene/ModelCache.h"

using namespace zelmor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const fuzz::MemoryFiles files = fuzz::MemoryFiles::split(data, size, "models.lst");

    ModelCache silent;
    silent.preload("models.lst", ReadContext{&files, nullptr});
    // Loading the list twice replaces every model in place.
    const Mesh* firstSelector = silent.get("SELECTOR");
    silent.preload("models.lst", ReadContext{&files, nullptr});
    fuzz::require(silent.get("SELECTOR") == firstSelector, "a reloaded name keeps its mesh");

    fuzz::CheckingReport report(files);
    ModelCache listened;
    listened.preload("models.lst", ReadContext{&files, &report});
    fuzz::require(silent.size() == listened.size(), "same number of models");
    return 0;
}
