#include "sim/WorldTick.h"

#include <cmath>

#include "scene/World.h"

namespace zelmor {

namespace {

// The whole step of one unit: contact, lean, then its own orders and movement.
void stepUnit(World& world, Unit& unit, int ms, bool grid) {
    const Vector3 next = unit.nextPosition(ms);
    // A standing unit is neither halted nor tilted; it keeps the lean it had.
    if (unit.speed() == 0.0f) {
        unit.update(ms);
        return;
    }
    const SceneObject* contact =
        grid ? world.contactGrid.findContact(unit) : WorldTick::findContactAllPairs(world, unit);
    if (contact != nullptr) {
        unit.preemptOrder(Order::halt());
    }
    WorldTick::tilt(unit, world.terrain, next);
    unit.update(ms);
}

}  // namespace

void WorldTick::advance(World& world, int ms) {
    const bool grid = world.contactSearch == ContactSearch::Grid;
    if (grid) {
        world.contactGrid.build(world.units, world.staticObjects);
    }
    for (std::size_t i = 0; i < world.units.size(); ++i) {
        stepUnit(world, world.units[i], ms, grid);
        // The units after this one must find it where it went.
        if (grid) {
            world.contactGrid.moved(i);
        }
    }
}

const SceneObject* WorldTick::findContact(const World& world, const Unit& unit) {
    if (world.contactSearch == ContactSearch::AllPairs) {
        return findContactAllPairs(world, unit);
    }
    ContactGrid grid;
    grid.build(world.units, world.staticObjects);
    return grid.findContact(unit);
}

const SceneObject* WorldTick::findContactAllPairs(const World& world, const Unit& unit) {
    for (const Unit& other : world.units) {
        if (&other != &unit && unit.overlaps(other)) {
            return &other;
        }
    }
    // Static objects count only when no unit is touched: one Halt per step at most.
    for (const StaticObject& object : world.staticObjects) {
        if (unit.collidesWith(object)) {
            return &object;
        }
    }
    return nullptr;
}

void WorldTick::tilt(Unit& unit, const TerrainGrid& terrain, const Vector3& at) {
    // Far-off points, infinite ones included, lean with the nearest cell of the grid; a NaN
    // point lies near no cell, so the unit keeps the lean it has.
    if (std::isnan(at.x) || std::isnan(at.z)) {
        return;
    }
    const Vector3 normal = terrain.normalAt(at.x, at.z);
    const double factor = TILT_FACTOR;
    unit.angles.x = static_cast<float>(std::asin(factor * normal.z) * DEGREES_PER_RADIAN);
    unit.angles.z = static_cast<float>(-std::asin(factor * normal.x) * DEGREES_PER_RADIAN);
}

}  // namespace zelmor
