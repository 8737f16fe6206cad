#include "sim/WorldTick.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>

#include "geometry/Maths.h"
#include "scene/World.h"

namespace zelmor {

namespace {

// The lean (angles x and z) that a ground normal gives.
std::pair<float, float> leanFor(const Vector3& normal) {
    const double factor = WorldTick::TILT_FACTOR;
    return {static_cast<float>(maths::asin(factor * normal.z) * DEGREES_PER_RADIAN),
            static_cast<float>(-maths::asin(factor * normal.x) * DEGREES_PER_RADIAN)};
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

// The whole step of units[index]: contact, lean, then its own orders and movement. The contact
// search is the grid's when there is one, else the search through every object.
void stepUnit(World& world, std::size_t index, int ms, ContactGrid* grid, LeanMemo& leans) {
    Unit& unit = world.units[index];
    // A standing unit is neither halted nor tilted; it keeps the lean it had.
    if (unit.speed() == 0.0f) {
        unit.update(ms);
        return;
    }
    const Vector3 next = unit.nextPosition(ms);
    // Which object it touches plays no part: one Halt whatever it is.
    const bool touches =
        grid != nullptr ? grid->touchesAny(index)
                        : ContactGrid::searchAll(world.units, world.staticObjects, unit) != nullptr;
    if (touches) {
        unit.preemptOrder(Order::halt());
    }
    // Far-off points, infinite ones included, lean with the nearest cell of the grid; a NaN
    // point lies near no cell, so the unit keeps the lean it has.
    if (!std::isnan(next.x) && !std::isnan(next.z)) {
        std::tie(unit.angles.x, unit.angles.z) = leans.lean(world.terrain.normalAt(next.x, next.z));
    }
    unit.update(ms);
}

}  // namespace

void WorldTick::advance(World& world, int ms) {
    ContactGrid* grid = nullptr;
    if (search == ContactSearch::Grid) {
        grid_.refresh(world.units, world.staticObjects);
        grid = &grid_;
    }
    LeanMemo leans;
    for (std::size_t i = 0; i < world.units.size(); ++i) {
        Unit& unit = world.units[i];
        const Vector3 before = unit.position;
        stepUnit(world, i, ms, grid, leans);
        // The units after this one must find it where it went; most standing units went nowhere,
        // and the grid already has them where they are.
        if (grid != nullptr && std::memcmp(&before, &unit.position, sizeof before) != 0) {
            grid_.moved(i);
        }
    }
}

// The World's step and the tick that carries it out are defined here, with the simulation, so
// that the scene knows the tick only by its declaration.
void World::update(int ms) {
    tick().advance(*this, ms);
}

WorldTick& World::tick() {
    if (!tick_) {
        tick_ = std::make_shared<WorldTick>();
    }
    return *tick_;
}

}  // namespace zelmor
