// Memory of the units: the heap that a field of units takes beyond the shared meshes, once
// every unit has its order and the tick has run (with the grid) over them.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <fstream>
#include <memory>

#include "bench/FieldScene.h"
#include "bench/MemoryFiles.h"
#include "sim/WorldTick.h"

namespace zelmor::bench {

namespace {

double heapBytes() {
    const struct mallinfo2 heap = mallinfo2();
    // Large blocks (the unit list itself) are mapped, not carved from the heap.
    return static_cast<double>(heap.uordblks + heap.hblkhd);
}

// Freed heap pages go back to the system first, so that only what is in use counts.
double residentBytes() {
    malloc_trim(0);
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

void unitMemory(benchmark::State& state) {
    const int units = static_cast<int>(state.range(0));
    ModelCache models;
    MemoryFileSource files = bundledFiles();
    files.add("wdf/field.wdf", FieldScene::text(units, 0));
    // The meshes are shared by every unit: they are loaded before counting starts.
    models.preload("models.lst", ReadContext{&files, nullptr});
    double heap = 0.0;
    double resident = 0.0;
    for (auto _ : state) {
        const double heapBefore = heapBytes();
        const double residentBefore = residentBytes();
        auto world = std::make_unique<World>(models);
        world->initTerrain();
        world->loadScene("wdf/field.wdf", ReadContext{&files, nullptr});
        FieldScene::orderAcross(*world);
        world->tick().search = ContactSearch::Grid;
        world->update(10);
        heap = heapBytes() - heapBefore;
        resident = residentBytes() - residentBefore;
        state.PauseTiming();
        world.reset();
        state.ResumeTiming();
    }
    state.counters["heap_per_unit"] = heap / units;
    state.counters["rss_per_unit"] = resident / units;
    state.counters["sizeof_Unit"] = sizeof(Unit);
}
BENCHMARK(unitMemory)
    ->Name("UnitMemory")
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace zelmor::bench
