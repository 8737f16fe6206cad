#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "scene/World.h"
#include "sim/WorldTick.h"
#include "tests/support/StateHash.h"
#include "tests/support/TickWorld.h"

namespace zelmor {
namespace {

std::size_t haltsInFront(const Unit& unit) {
    std::size_t count = 0;
    while (count < unit.orders().size() && unit.orders()[count].kind == OrderKind::Halt) {
        ++count;
    }
    return count;
}

void addUnits(test::StateHash& hash, const std::vector<Unit>& units) {
    for (const Unit& unit : units) {
        hash.add(unit.position);
        hash.add(unit.angles);
        hash.add(unit.speed());
        hash.add(static_cast<uint64_t>(unit.orders().size()));
    }
}

bool hasHalt(const Unit& unit) {
    return std::any_of(unit.orders().begin(), unit.orders().end(),
                       [](const Order& order) { return order.kind == OrderKind::Halt; });
}

class WorldTickTest : public test::TickWorld {
protected:
    void placeStatic(const Vector3& at) {
        StaticObject object;
        object.position = at;
        world.staticObjects.push_back(object);
    }
};

// The follower comes first in the list, so its order step sees the leader where the step
// began.
TEST_F(WorldTickTest, FollowerStopsOnContactAndDrivesAgainWhenTheTargetMovesAway) {
    place({{{0, 0, -3}, 360.0f}, {{0, 0, 0}, 0.0f}});
    Unit& follower = unit(0);
    Unit& leader = unit(1);
    follower.giveOrder(Order::follow(&leader));
    bool halted = false;
    for (int i = 0; i < 600; ++i) {
        step();
        halted = halted || hasHalt(follower);
    }
    EXPECT_TRUE(halted);
    EXPECT_EQ(follower.speed(), 0.0f);
    ASSERT_EQ(follower.orders().size(), 1u);
    EXPECT_EQ(follower.orders().front().kind, OrderKind::Follow);
    EXPECT_LE(follower.position.planarDistance(leader.position), 2.0f);

    leader.giveOrder(Order::moveTo({0, 0, 30}));
    bool droveAgain = false;
    for (int i = 0; i < 3000 && !droveAgain; ++i) {
        const float gap = follower.position.planarDistance(leader.position);
        step();
        if (follower.speed() > 0.0f) {
            EXPECT_GT(gap, 2.0f) << "set off while the leader was near";
            droveAgain = true;
        }
    }
    EXPECT_TRUE(droveAgain);
    step(3000);
    EXPECT_EQ(follower.speed(), 0.0f);
    EXPECT_LE(follower.position.planarDistance({0, 0, 30}), 4.0f);
}

// The later unit sees the contact first when the earlier one's move in the same step closes
// the gap; the earlier one sees it in the next step at the latest. Both brake to a stand.
TEST_F(WorldTickTest, TwoUnitsDrivingIntoEachOtherBothHalt) {
    place({{{0, 0, -10}, 360.0f}, {{0, 0, 10}, 180.0f}});
    unit(0).giveOrder(Order::moveTo({0, 0, 20}));
    unit(1).giveOrder(Order::moveTo({0, 0, -20}));
    int firstHalt[2] = {-1, -1};
    for (int i = 0; i < 1000 && (firstHalt[0] < 0 || firstHalt[1] < 0); ++i) {
        step();
        for (int k = 0; k < 2; ++k) {
            if (firstHalt[k] < 0 && hasHalt(unit(k))) {
                firstHalt[k] = i;
            }
        }
    }
    ASSERT_GE(firstHalt[0], 0);
    ASSERT_GE(firstHalt[1], 0);
    EXPECT_LE(firstHalt[1], firstHalt[0]);
    EXPECT_LE(firstHalt[0], firstHalt[1] + 1);
    EXPECT_LT(unit(0).position.planarDistance(unit(1).position), 1.625f);
    bool stood[2] = {false, false};
    for (int i = 0; i < 100; ++i) {
        step();
        for (int k = 0; k < 2; ++k) {
            stood[k] = stood[k] || unit(k).speed() == 0.0f;
        }
    }
    EXPECT_TRUE(stood[0]);
    EXPECT_TRUE(stood[1]);
}

TEST_F(WorldTickTest, ContactHaltsPileUpOnePerStepAndAreWorkedOffOnePerStep) {
    place({{{0, 0, 0}, 360.0f}, {{0, 0, 1.7f}, 0.0f}});
    Unit& mover = unit(0);
    mover.giveOrder(Order::moveTo({0, 0, 50}));
    push(mover, 30);
    std::vector<std::size_t> halts;
    for (int i = 0; i < 200; ++i) {
        step();
        halts.push_back(haltsInFront(mover));
        if (halts.back() == 0 && *std::max_element(halts.begin(), halts.end()) > 0) {
            break;
        }
    }
    // While it brakes, one more Halt per step; the step that stops it both adds one and works
    // one off; then one goes per step until the MoveTo is in front again.
    halts.erase(halts.begin(), std::find_if(halts.begin(), halts.end(),
                                            [](std::size_t count) { return count > 0; }));
    const std::size_t peak = *std::max_element(halts.begin(), halts.end());
    ASSERT_GT(peak, 2u);
    std::vector<std::size_t> expected;
    for (std::size_t count = 1; count <= peak; ++count) {
        expected.push_back(count);
    }
    for (std::size_t count = peak + 1; count-- > 0;) {
        expected.push_back(count);
    }
    EXPECT_EQ(halts, expected);
    EXPECT_EQ(mover.speed(), 0.0f);
    EXPECT_EQ(mover.orders().front().kind, OrderKind::MoveTo);
    EXPECT_TRUE(unit(1).orders().empty()) << "the standing unit is never halted";
}

TEST_F(WorldTickTest, OnlyMovingUnitsAreHaltedAndTiltedAndOneHaltPerStepAtMost) {
    place({{{-24, 0, -24}, 0.0f}, {{-24, 0, -23}, 0.0f}, {{10, 0, 10}, 0.0f}});
    placeStatic({-24, 0, -23.5f});
    placeStatic({10, 0, 11});  // a static object without mesh stops units all the same
    unit(0).angles.x = 3.0f;
    push(unit(2), 10);
    step();
    EXPECT_TRUE(unit(0).orders().empty()) << "standing: no contact test";
    EXPECT_EQ(unit(0).angles.x, 3.0f) << "standing: keeps its lean";
    EXPECT_EQ(unit(0).angles.z, 0.0f);
    EXPECT_TRUE(unit(1).orders().empty());
    ASSERT_EQ(unit(2).orders().size(), 1u);

    push(unit(1), 10);  // touches a unit and a static object: still one Halt
    step();
    EXPECT_EQ(haltsInFront(unit(1)), 1u);
    EXPECT_EQ(unit(1).orders().size(), 1u);
}

TEST_F(WorldTickTest, TiltComesFromTheCellUnderTheNextPosition) {
    place({{{-24, 7, -24.005f}, 0.0f}, {{-24, 0, -20.004f}, 0.0f}});
    push(unit(0), 5);  // next position (-24, 7, -24)
    push(unit(1), 5);  // next position just inside the following cell
    step();
    EXPECT_NEAR(unit(0).angles.x, 0.5363f, 5e-5f);
    EXPECT_NEAR(unit(0).angles.z, -0.4060f, 5e-5f);
    EXPECT_EQ(unit(0).position.y, 7.0f) << "the tick tilts, it never lifts";
    EXPECT_NE(unit(1).angles.x, unit(0).angles.x);
    EXPECT_LE(std::fabs(unit(1).angles.x), 11.54f);
}

TEST_F(WorldTickTest, FarAwayAndNonFinitePositionsDoNotBreakTheTick) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    place({{{1e30f, 0, -1e30f}, 45.0f},
           {{inf, 0, 0}, 90.0f},
           {{nan, 0, nan}, 0.0f},
           {{2, 0, -3e38f}, 0.0f}});
    for (Unit& u : world.units) {
        push(u, 20);
        u.giveOrder(Order::moveTo({0, 0, 0}));
    }
    step(500);
    // Far off, the nearest edge cell tilts the unit; under a NaN position no cell lies at all.
    const auto tiltX = [&](float x, float z) {
        return static_cast<float>(std::asin(0.2 * world.terrain.normalAt(x, z).z) *
                                  DEGREES_PER_RADIAN);
    };
    EXPECT_EQ(unit(0).angles.x, tiltX(15, -25));
    EXPECT_EQ(unit(1).angles.x, tiltX(15, 0));
    EXPECT_EQ(unit(2).angles.x, 0.0f);
    EXPECT_EQ(unit(3).angles.x, tiltX(2, -25));
}

TEST_F(WorldTickTest, ContactSearchSkipsOnlyTheUnitItselfAndPrefersUnits) {
    place({{{0, 0, 0}, 0.0f}, {{0, 0, 0}, 0.0f}, {{5, 0, 0}, 0.0f}});
    placeStatic({0, 0, 1});
    ContactGrid grid;
    const auto expectContact = [&](const Unit& u, const SceneObject* expected) {
        EXPECT_EQ(ContactGrid::searchAll(world.units, world.staticObjects, u), expected);
        grid.build(world.units, world.staticObjects);
        EXPECT_EQ(grid.findContact(u), expected);
    };
    expectContact(unit(0), &unit(1));
    expectContact(unit(1), &unit(0));
    expectContact(unit(2), nullptr);
    unit(2).position = {0.5f, 0, 1.9f};  // reaches the static object (radius 1), not a unit
    expectContact(unit(2), &world.staticObjects[0]);
}

// Units crossing, following, queuing and braking on the terrain, past a rock: the state of
// every unit after every step, folded into one hash.
uint64_t runScript(ContactSearch search) {
    ModelCache models;
    World world(models);
    world.initTerrain();
    world.tick().search = search;
    const Vector3 starts[] = {{-20, 0, -20}, {-18, 0, -22}, {15, 0, 10}, {0, 0, 18}, {-5, 0, 3}};
    for (const Vector3& at : starts) {
        Unit unit;
        unit.position = at;
        world.units.push_back(unit);
    }
    StaticObject rock;
    rock.position = {0, 0, 0};
    world.staticObjects.push_back(rock);
    auto& u = world.units;
    test::StateHash run;
    for (int step = 0; step < 10000; ++step) {
        if (step == 0) {
            u[0].giveOrder(Order::moveTo({18, 0, 15}));
            u[1].giveOrder(Order::follow(&u[0]));
            u[2].giveOrder(Order::moveTo({-19, 0, -12}));
            u[3].giveOrder(Order::moveTo({0, 0, -25}));
        }
        if (step == 2500) {
            u[4].giveOrder(Order::moveTo({10, 0, -10}));
            u[4].giveOrder(Order::moveTo({-10, 0, -15}));
            u[4].giveOrder(Order::moveTo({-12, 0, 12}));
            u[2].giveOrder(Order::follow(&u[3]));
        }
        if (step == 6000) {
            u[0].clearOrders();
            u[0].giveOrder(Order::halt());
            u[3].giveOrder(Order::moveTo({25, 0, 25}));
        }
        world.update(10);
        addUnits(run, u);
    }
    return run.value();
}

// Two blocks of twenty units driving through each other and a row of posts: contacts, halts
// and the orders resuming after them.
uint64_t runCrowd(ContactSearch search) {
    ModelCache models;
    World world(models);
    world.initTerrain();
    world.tick().search = search;
    for (int i = 0; i < 40; ++i) {
        Unit unit;
        const float side = i < 20 ? -1.0f : 1.0f;
        unit.position = {float(i % 5) * 2.5f - 5.0f, 0, side * (12.0f + float(i % 20 / 5) * 2.2f)};
        unit.angles.y = side < 0 ? 0.0f : 180.0f;
        world.units.push_back(unit);
    }
    for (int i = 0; i < 6; ++i) {
        StaticObject post;
        post.position = {float(i) * 3.1f - 8.0f, 0, 0.5f};
        world.staticObjects.push_back(post);
    }
    for (Unit& unit : world.units) {
        unit.giveOrder(Order::moveTo({unit.position.x * 0.5f, 0, -unit.position.z}));
    }
    test::StateHash run;
    int halting = 0;
    for (int step = 0; step < 3000; ++step) {
        world.update(10);
        addUnits(run, world.units);
        halting += int(std::count_if(world.units.begin(), world.units.end(), hasHalt));
    }
    EXPECT_GT(halting, 100) << "the blocks must meet";
    return run.value();
}

// The pinned values hold the program's exact arithmetic: any change to the order of the
// operations or to their precision in the tick, the orders or the movement changes them. Both
// contact searches must give them.
TEST(WorldTickDeterminism, ScriptedScenesGiveThePinnedBitsWithBothSearches) {
    for (const ContactSearch search : {ContactSearch::AllPairs, ContactSearch::Grid}) {
        SCOPED_TRACE(search == ContactSearch::Grid ? "grid" : "all pairs");
        EXPECT_EQ(runScript(search), 8045409950713480624u);
        EXPECT_EQ(runCrowd(search), 7774202154840852070u);
    }
}

}  // namespace
}  // namespace zelmor
