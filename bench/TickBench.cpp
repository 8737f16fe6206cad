// World::update on a field of units that all drive, with the search through every pair and
// with the grid, side by side for each size.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

#include "bench/FieldScene.h"
#include "bench/MemoryFiles.h"
#include "sim/WorldTick.h"

namespace zelmor::bench {

namespace {

constexpr int STEP = 10;  // milliseconds, as the main loop always steps
constexpr int WARM_UP_STEPS = 20;
// Beyond this the search through every pair needs tens of seconds per step.
constexpr int ALL_PAIRS_LIMIT = 10000;

// Loading a large field takes seconds, and the benchmark library calls a benchmark several
// times: the last field built is kept and driven on by whichever search comes next.
World& field(int units) {
    static ModelCache models;
    static MemoryFileSource files = bundledFiles();
    static std::unique_ptr<World> world;
    static int size = -1;
    if (size != units) {
        world.reset();
        world = FieldScene::make(models, files, units, units / 4);
        FieldScene::orderAcross(*world);
        // Both searches give the same steps; the grid gets the units moving sooner.
        world->tick().search = ContactSearch::Grid;
        for (int i = 0; i < WARM_UP_STEPS; ++i) {
            world->update(STEP);
        }
        size = units;
    }
    return *world;
}

void tick(benchmark::State& state, ContactSearch search) {
    const int units = static_cast<int>(state.range(0));
    if (search == ContactSearch::AllPairs && units > ALL_PAIRS_LIMIT) {
        state.SkipWithError("skipped: every pair at this size takes tens of seconds per step");
        return;
    }
    World& world = field(units);
    world.tick().search = search;
    for (auto _ : state) {
        world.update(STEP);
    }
    state.SetItemsProcessed(state.iterations() * units);
    const auto moving = std::count_if(world.units.begin(), world.units.end(),
                                      [](const Unit& unit) { return unit.speed() > 0.0f; });
    state.counters["moving"] = static_cast<double>(moving);
}

void registerTicks() {
    for (const int units : {100, 1000, 10000, 100000}) {
        auto* allPairs =
            benchmark::RegisterBenchmark("Tick/AllPairs", tick, ContactSearch::AllPairs)
                ->Arg(units)
                ->Unit(benchmark::kMicrosecond);
        // A step of 10,000 units takes a good part of a second this way.
        if (units >= ALL_PAIRS_LIMIT) {
            allPairs->Iterations(units > ALL_PAIRS_LIMIT ? 1 : 3);
        }
        benchmark::RegisterBenchmark("Tick/Grid", tick, ContactSearch::Grid)
            ->Arg(units)
            ->Unit(benchmark::kMicrosecond);
    }
}

const bool registered = (registerTicks(), true);

}  // namespace

}  // namespace zelmor::bench
