#pragma once

#include "scene/SceneObject.h"
#include "sim/ContactGrid.h"
#include "sim/Unit.h"

namespace zelmor {

class World;

// How the tick finds the units and static objects that a moving unit touches. Both find exactly
// the same contacts; AllPairs is the plain reference search, Grid the default.
enum class ContactSearch { AllPairs, Grid };

// One fixed simulation step of the World, with the state the step keeps between its units: the
// contact search it uses and its index of the units. Each unit is handled completely, in list
// order, before the next one, so later units see what earlier ones did in the same step.
class WorldTick {
public:
    // The lean of a unit is at most asin(0.2), about 11.54 degrees.
    static constexpr float TILT_FACTOR = 0.2f;

    ContactSearch search = ContactSearch::Grid;

    // For each unit: a moving unit that touches another unit or a static object gets a Halt in
    // front of its orders and leans with the ground under its next position; then every unit
    // runs its order step and movement.
    void advance(World& world, int ms);
    // The index as the last step left it, following every unit to where it went.
    const ContactGrid& contactGrid() const { return grid_; }

private:
    ContactGrid grid_;  // brought up to date at each step
};

}  // namespace zelmor
