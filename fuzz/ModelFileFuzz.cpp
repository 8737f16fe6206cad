// One ModelFile, read as the program reads it and again with a report sink listening.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/CheckingReport.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/MemoryFiles.h"
#include "scene/ModelFile.h"

using namespace zelmor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream silentIn(bytes);
    const Mesh silent = readModelFile(silentIn);

    fuzz::MemoryFiles files;
    files.add("model.mdl", bytes);
    fuzz::CheckingReport report(files);
    std::istringstream listenedIn(bytes);
    const Mesh listened = readModelFile(listenedIn, "model.mdl", &report);

    fuzz::requireSound(silent);
    fuzz::requireSame(silent, listened);
    const Mesh copy = silent;
    fuzz::requireSame(silent, copy);
    return 0;
}
