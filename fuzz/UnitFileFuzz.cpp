// A UnitFile ("unit") whose part models come from a ModelList ("models.lst") in the same input.

#include <cstddef>
#include <cstdint>

#include "fuzz/CheckingReport.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/MemoryFiles.h"
#include "scene/ModelCache.h"
#include "sim/Unit.h"

using namespace zelmor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const fuzz::MemoryFiles files = fuzz::MemoryFiles::split(data, size, "unit");
    ModelCache models;
    models.preload("models.lst", ReadContext{&files, nullptr});

    const Unit silent("unit", models, ReadContext{&files, nullptr});
    fuzz::CheckingReport report(files);
    const Unit listened("unit", models, ReadContext{&files, &report});
    fuzz::requireSame(silent, listened);
    const Unit copy = silent;
    fuzz::requireSame(silent, copy);
    return 0;
}
