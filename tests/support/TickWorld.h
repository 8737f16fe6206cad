#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "scene/World.h"

namespace zelmor::test {

// A world on the terrain whose units are driven by the real world tick, one 10 ms step at a
// time, as the main loop drives them.
class TickWorld : public ::testing::Test {
protected:
    TickWorld() { world.initTerrain(); }

    // Places units before any order is given: growing the list later would copy them, and a
    // copy starts without orders.
    void place(const std::vector<std::pair<Vector3, float>>& units) {
        for (const auto& [at, heading] : units) {
            Unit unit;
            unit.position = at;
            unit.angles.y = heading;
            world.units.push_back(unit);
        }
    }
    Unit& unit(std::size_t index) { return world.units[index]; }
    void step(int count = 1) {
        for (int i = 0; i < count; ++i) {
            world.update(10);
        }
    }
    // Gives the unit speed without an order to drive it: it coasts along its heading.
    static void push(Unit& unit, int accelerations) {
        for (int i = 0; i < accelerations; ++i) {
            unit.accelerate();
        }
    }

    ModelCache models;
    World world{models};
};

}  // namespace zelmor::test
