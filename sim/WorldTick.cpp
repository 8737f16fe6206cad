#include "sim/WorldTick.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>

#include "scene/World.h"

namespace zelmor {

namespace {

// The lean (angles x and z) that a ground normal gives.
std::pair<float, float> leanFor(const Vector3& normal) {
    const double factor = WorldTick::TILT_FACTOR;
    return {static_cast<float>(std::asin(factor * normal.z) * DEGREES_PER_RADIAN),
            static_cast<float>(-std::asin(factor * normal.x) * DEGREES_PER_RADIAN)};
}

// Sets the lean (angles x and z) from the terrain under the ground point at; lean turns a
// normal into the two angles.
template <class Lean>
void leanWithTerrain(Unit& unit, const TerrainGrid& terrain, const Vector3& at, Lean&& lean) {
    // Far-off points, infinite ones included, lean with the nearest cell of the grid; a NaN
    // point lies near no cell, so the unit keeps the lean it has.
    if (std::isnan(at.x) || std::isnan(at.z)) {
        return;
    }
    std::tie(unit.angles.x, unit.angles.z) = lean(terrain.normalAt(at.x, at.z));
}

// The terrain has few cells, so most moving units of a step stand on a cell whose lean an
// earlier unit has already worked out: recent leans are remembered by normal, which saves two
// asin per unit and gives the same bits.
class LeanMemo {
public:
    std::pair<float, float> lean(const Vector3& normal) {
        uint32_t x = 0;
        uint32_t z = 0;
        std::memcpy(&x, &normal.x, sizeof x);
        std::memcpy(&z, &normal.z, sizeof z);
        Slot& slot = slots_[(x * 0x9E3779B1u ^ z * 0x85EBCA77u) >> (32 - SLOT_BITS)];
        if (!slot.used || slot.x != x || slot.z != z) {
            slot = {x, z, leanFor(normal), true};
        }
        return slot.lean;
    }

private:
    static constexpr uint32_t SLOT_BITS = 7;
    struct Slot {
        uint32_t x = 0;  // the bits of the normal's x and z
        uint32_t z = 0;
        std::pair<float, float> lean;
        bool used = false;
    };
    std::array<Slot, 1u << SLOT_BITS> slots_{};
};

// The whole step of one unit: contact, lean, then its own orders and movement.
void stepUnit(World& world, Unit& unit, int ms, bool grid, LeanMemo& leans) {
    // A standing unit is neither halted nor tilted; it keeps the lean it had.
    if (unit.speed() == 0.0f) {
        unit.update(ms);
        return;
    }
    const Vector3 next = unit.nextPosition(ms);
    const SceneObject* contact =
        grid ? world.contactGrid.findContact(unit) : WorldTick::findContactAllPairs(world, unit);
    if (contact != nullptr) {
        unit.preemptOrder(Order::halt());
    }
    leanWithTerrain(unit, world.terrain, next,
                    [&leans](const Vector3& normal) { return leans.lean(normal); });
    unit.update(ms);
}

}  // namespace

void WorldTick::advance(World& world, int ms) {
    const bool grid = world.contactSearch == ContactSearch::Grid;
    if (grid) {
        world.contactGrid.build(world.units, world.staticObjects);
    }
    LeanMemo leans;
    for (std::size_t i = 0; i < world.units.size(); ++i) {
        stepUnit(world, world.units[i], ms, grid, leans);
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
    leanWithTerrain(unit, terrain, at, leanFor);
}

}  // namespace zelmor
