// World::update on fields of units that all drive (in lanes, far apart, partly far away, or
// in a battle where they turn, meet and halt), with the search through every pair and
// with the grid, side by side for each size and layout; and the same steps without any contact
// search, the floor that the exact maths of each unit sets.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "bench/FieldScene.h"
#include "bench/MemoryFiles.h"
#include "sim/WorldTick.h"

namespace zelmor::bench {

namespace {

using Layout = FieldScene::Layout;

constexpr int STEP = 10;  // milliseconds, as the main loop always steps
constexpr int WARM_UP_STEPS = 20;
// Beyond this the search through every pair needs tens of seconds per step.
constexpr int ALL_PAIRS_LIMIT = 10000;
// The steps of a battle measured after the warm-up: the crowds meet and halt in them.
constexpr int BATTLE_STEPS = 150;

// Loading a large field takes seconds, and the benchmark library calls a benchmark several
// times: the last field built is kept and driven on by whichever search comes next. A battle
// settles as its units arrive, so each run of it gets a new field and measures the same steps.
World& field(int units, Layout layout) {
    static ModelCache models;
    static MemoryFileSource files = bundledFiles();
    static std::unique_ptr<World> world;
    static std::pair<int, Layout> made{-1, Layout::Lanes};
    if (made != std::pair{units, layout} || layout == Layout::Battle) {
        world.reset();
        if (layout == Layout::Battle) {
            // A few dozen rocks among 10,000 units.
            world = FieldScene::make(models, files, units, units / 250, layout);
            FieldScene::orderNearby(*world);
        } else {
            world = FieldScene::make(models, files, units, units / 4, layout);
            FieldScene::orderAcross(*world);
        }
        if (layout == Layout::FarAway) {
            FieldScene::sendFar(*world);
        }
        // Both searches give the same steps; the grid gets the units moving sooner.
        world->tick().search = ContactSearch::Grid;
        for (int i = 0; i < WARM_UP_STEPS; ++i) {
            world->update(STEP);
        }
        made = {units, layout};
    }
    return *world;
}

void countMoving(benchmark::State& state, const World& world) {
    const auto moving = std::count_if(world.units.begin(), world.units.end(),
                                      [](const Unit& unit) { return unit.speed() > 0.0f; });
    state.counters["moving"] = static_cast<double>(moving);
}

void tick(benchmark::State& state, int units, ContactSearch search, Layout layout) {
    if (search == ContactSearch::AllPairs && units > ALL_PAIRS_LIMIT) {
        state.SkipWithError("skipped: every pair at this size takes tens of seconds per step");
        return;
    }
    World& world = field(units, layout);
    world.tick().search = search;
    for (auto _ : state) {
        world.update(STEP);
    }
    state.SetItemsProcessed(state.iterations() * units);
    countMoving(state, world);
}

// What a step costs each unit with no contact search at all: the terrain lookup and the unit's
// own order step and movement, as the tick runs them (the lean itself is remembered per normal
// and costs next to nothing). Not a simulation step: nothing halts.
void floorStep(benchmark::State& state) {
    const int units = static_cast<int>(state.range(0));
    World& world = field(units, Layout::Lanes);
    for (auto _ : state) {
        for (Unit& unit : world.units) {
            if (unit.speed() != 0.0f) {
                const Vector3 next = unit.nextPosition(STEP);
                benchmark::DoNotOptimize(world.terrain.normalAt(next.x, next.z));
            }
            unit.update(STEP);
        }
    }
    state.SetItemsProcessed(state.iterations() * units);
    countMoving(state, world);
}

void registerTicks() {
    const std::pair<Layout, const char*> layouts[] = {{Layout::Lanes, ""},
                                                      {Layout::Lattice, "/lattice"},
                                                      {Layout::FarAway, "/far"},
                                                      {Layout::Battle, "/battle"}};
    for (const auto& [layout, suffix] : layouts) {
        for (const int units : {100, 1000, 10000, 100000}) {
            if (layout != Layout::Lanes && units < 10000) {
                continue;
            }
            // Appended piece by piece: GCC 12 warns (falsely) about operator+ on a temporary.
            std::string size = "/";
            size.append(std::to_string(units)).append(suffix);
            auto* allPairs =
                benchmark::RegisterBenchmark(std::string("Tick/AllPairs").append(size).c_str(),
                                             tick, units, ContactSearch::AllPairs, layout)
                    ->Unit(benchmark::kMicrosecond);
            // A step of 10,000 units takes a good part of a second this way.
            if (units >= ALL_PAIRS_LIMIT) {
                allPairs->Iterations(units > ALL_PAIRS_LIMIT ? 1 : 3);
            }
            auto* grid = benchmark::RegisterBenchmark(std::string("Tick/Grid").append(size).c_str(),
                                                      tick, units, ContactSearch::Grid, layout)
                             ->Unit(benchmark::kMicrosecond);
            // A battle settles as units arrive: a fixed number of steps from a new field
            // measures the same ones in every run, and the same ones at every size, so that
            // the sizes compare like with like.
            if (layout == Layout::Battle) {
                grid->Iterations(BATTLE_STEPS);
            }
        }
    }
    for (const int units : {10000, 100000}) {
        benchmark::RegisterBenchmark("Tick/NoContacts", floorStep)
            ->Arg(units)
            ->Unit(benchmark::kMicrosecond);
    }
}

const bool registered = (registerTicks(), true);

}  // namespace

}  // namespace zelmor::bench
