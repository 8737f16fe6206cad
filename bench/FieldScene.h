#pragma once

#include <memory>
#include <string>

#include "bench/MemoryFiles.h"
#include "scene/ModelCache.h"
#include "scene/World.h"

namespace zelmor::bench {

// Generated scenes for the benchmarks: units of the three bundled kinds standing in lanes,
// static objects in the gaps between the lanes. Lanes and rows are far enough apart that units
// driving straight ahead touch nothing, so every unit keeps moving and every step pays for the
// whole contact search.
class FieldScene {
public:
    static constexpr float LANE_WIDTH = 4.0f;  // x distance of neighbouring lanes
    static constexpr float ROW_DEPTH = 3.0f;   // z distance of neighbouring units in a lane
    // The lattice spacing: 256 contact cells of units and default static objects (1.8125 wide
    // with the grid's slack), so that a table of cells that wraps every 128 or 256 cells puts
    // every unit into one bucket.
    static constexpr float LATTICE_SPACING = 256 * 1.8143125f;

    enum class Layout {
        Lanes,    // units in lanes around the origin, statics between the lanes
        Lattice,  // units on a square lattice, each static object beside a unit
        FarAway,  // lanes; the benchmark then sends 15% of the units far out (sendFar)
        Battle,   // units BATTLE_SPACING apart in a square, rocks in some of the gaps
    };
    static constexpr float BATTLE_SPACING = 3.0f;

    // SceneFile text: the bundled model list, units and statics laid out as layout says (far
    // places are set after loading), a camera above the field, the light at the camera.
    static std::string text(int units, int statics, Layout layout = Layout::Lanes);
    // A world with terrain, filled from text(units, statics, layout) read from files.
    static std::unique_ptr<World> make(ModelCache& models, MemoryFileSource& files, int units,
                                       int statics, Layout layout = Layout::Lanes);
    // Orders every unit to a point 100,000 units ahead in its lane (along +z).
    static void orderAcross(World& world);
    // Orders every unit to a goal 5 to 20 away in a direction of its own, drawn from a fixed
    // seed: neighbours turn, cross each other's paths, meet and halt.
    static void orderNearby(World& world);
    // Sends three units in twenty far out, each ordered to the origin: to a NaN or infinite
    // coordinate, or in lines of units at 1.2e9, 5e9 and 3.4e38 spaced so that none touch.
    static void sendFar(World& world);
};

}  // namespace zelmor::bench
