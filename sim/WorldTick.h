#pragma once

#include "geometry/Vector3.h"
#include "scene/SceneObject.h"
#include "scene/TerrainGrid.h"
#include "sim/Unit.h"

namespace zelmor {

class World;

// One fixed simulation step of the World. Each unit is handled completely, in list order,
// before the next one, so later units see what earlier ones did in the same step.
class WorldTick {
public:
    // The lean of a unit is at most asin(0.2), about 11.54 degrees.
    static constexpr float TILT_FACTOR = 0.2f;

    // For each unit: a moving unit that touches another unit or a static object gets a Halt in
    // front of its orders and leans with the ground under its next position; then every unit
    // runs its order step and movement.
    static void advance(World& world, int ms);
    // The first unit (by list order, itself excluded) that the unit overlaps, else the first
    // static object it collides with, else null. Uses the current positions.
    static const SceneObject* findContact(const World& world, const Unit& unit);
    // The plain search through every unit and then every static object.
    static const SceneObject* findContactAllPairs(const World& world, const Unit& unit);
    // Sets the tilt angles (x and z) from the terrain normal under the ground point at.
    static void tilt(Unit& unit, const TerrainGrid& terrain, const Vector3& at);
};

}  // namespace zelmor
