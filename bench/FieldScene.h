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

    // SceneFile text: the bundled model list, units in lanes around the origin, statics between
    // the lanes, a camera above the field looking at its middle, the light at the camera.
    static std::string text(int units, int statics);
    // A world with terrain, filled from text(units, statics) read from files.
    static std::unique_ptr<World> make(ModelCache& models, MemoryFileSource& files, int units,
                                       int statics);
    // Orders every unit to a point 100,000 units ahead in its lane.
    static void orderAcross(World& world);
};

}  // namespace zelmor::bench
