#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "scene/World.h"
#include "sim/Unit.h"
#include "tests/support/TickWorld.h"

namespace zelmor {
namespace {

using UnitMovement = test::TickWorld;

TEST_F(UnitMovement, LongDriveCruisesNearTopSpeedThenBrakesAndStopsAtTheGoal) {
    place({{{0, 0, 0}, 0.0f}});
    Unit& u = unit(0);
    const Vector3 goal{30, 0, 40};
    u.giveOrder(Order::moveTo(goal));
    float top = 0.0f;
    bool gainedSpeedNearGoal = false;
    for (int steps = 0; !u.orders().empty() && steps < 5000; ++steps) {
        const float before = u.speed();
        const bool near = u.position.planarDistance(goal) <= 2.0f;
        step();
        top = std::max(top, u.speed());
        gainedSpeedNearGoal = gainedSpeedNearGoal || (near && u.speed() > before);
    }
    ASSERT_TRUE(u.orders().empty());
    EXPECT_GT(top, 7.45f);
    EXPECT_LE(top, 7.6f);
    EXPECT_FALSE(gainedSpeedNearGoal);
    EXPECT_EQ(u.speed(), 0.0f);
    EXPECT_LE(u.position.planarDistance(goal), 0.5f);
    const Vector3 stoppedAt = u.position;
    step(50);
    EXPECT_EQ(u.position, stoppedAt);
}

TEST_F(UnitMovement, StandingUnitOrderedToANearPointNeverMoves) {
    place({{{5, 0, 5}, 0.0f}, {{-5, 0, 5}, 0.0f}});
    unit(0).giveOrder(Order::moveTo({5, 0, 6}));      // inside the slowing ring
    unit(1).giveOrder(Order::moveTo({-5, 0, 5.4f}));  // already arrived
    step(300);
    EXPECT_EQ(unit(0).position, Vector3(5, 0, 5));
    EXPECT_EQ(unit(0).speed(), 0.0f);
    ASSERT_EQ(unit(0).orders().size(), 1u);
    EXPECT_EQ(unit(0).orders().front().kind, OrderKind::MoveTo);
    EXPECT_EQ(unit(1).position, Vector3(-5, 0, 5));
    EXPECT_TRUE(unit(1).orders().empty());
}

// Too slow on entering the slowing ring, a unit stands short of its goal, order kept.
TEST_F(UnitMovement, SlowUnitStopsShortInsideTheSlowingRing) {
    place({{{0, 0, 0}, 360.0f}});
    unit(0).giveOrder(Order::moveTo({0, 0, 2.3f}));
    float slowest = 100.0f;
    for (int i = 0; i < 300; ++i) {
        const bool inRing = unit(0).position.planarDistance({0, 0, 2.3f}) <= 2.0f;
        step();
        if (inRing && unit(0).speed() > 0.0f) {
            slowest = std::min(slowest, unit(0).speed());
        }
    }
    EXPECT_GT(slowest, 0.99f) << "below 1.0 a slowing unit stands at once";
    EXPECT_EQ(unit(0).speed(), 0.0f);
    EXPECT_GT(unit(0).position.z, 0.3f);
    EXPECT_GT(unit(0).position.planarDistance({0, 0, 2.3f}), 0.5f);
    ASSERT_EQ(unit(0).orders().size(), 1u);
}

// Half a turn takes 39 steps of one eighth of the remaining difference; the 40th sets the
// exact heading. +180 turns through rising headings, -180 through falling ones.
TEST_F(UnitMovement, HalfTurnOnTheSpotTakes39StepsThenSnapsToTheHeading) {
    place({{{0, 0, 0}, 0.0f}, {{10, 0, 0}, 360.0f}});
    unit(0).preemptOrder(Order::turnTo({0, 0, -10}));
    unit(1).preemptOrder(Order::turnTo({10, 0, -10}));
    float previous[2] = {0.0f, 360.0f};
    for (int turn = 1; turn <= 39; ++turn) {
        step();
        ASSERT_EQ(unit(0).orders().size(), 1u) << "step " << turn;
        ASSERT_EQ(unit(1).orders().size(), 1u) << "step " << turn;
        EXPECT_GT(unit(0).angles.y, previous[0]);
        EXPECT_LT(unit(1).angles.y, previous[1]);
        previous[0] = unit(0).angles.y;
        previous[1] = unit(1).angles.y;
    }
    EXPECT_NE(unit(0).angles.y, 180.0f);
    step();
    EXPECT_EQ(unit(0).angles.y, 180.0f);
    EXPECT_EQ(unit(1).angles.y, 180.0f);
    EXPECT_TRUE(unit(0).orders().empty());
    EXPECT_TRUE(unit(1).orders().empty());
    EXPECT_EQ(unit(0).position, Vector3(0, 0, 0));
}

TEST_F(UnitMovement, QueuedGoalsAreVisitedInTurnWithoutStoppingBetween) {
    place({{{0, 0, 0}, 0.0f}});
    Unit& u = unit(0);
    const std::vector<Vector3> goals = {{0, 0, 20}, {20, 0, 25}, {25, 0, 45}};
    for (const Vector3& goal : goals) {
        u.giveOrder(Order::moveTo(goal));
    }
    std::size_t reached = 0;
    for (int steps = 0; !u.orders().empty() && steps < 10000; ++steps) {
        const Vector3 before = u.position;
        const std::size_t goalsLeft = goals.size() - reached;
        step();
        // A TurnTo in front adds one order; only an arrival leaves one fewer than the goals.
        if (u.orders().size() + 1 == goalsLeft) {
            EXPECT_LE(before.planarDistance(goals[reached]), 0.5f) << "goal " << reached;
            ++reached;
        }
        if (!u.orders().empty()) {
            ASSERT_GT(u.speed(), 0.0f) << "stopped before goal " << reached;
        }
    }
    EXPECT_EQ(reached, goals.size());
    EXPECT_EQ(u.speed(), 0.0f);
}

TEST_F(UnitMovement, HaltBrakesACruisingUnitToAStandWithAnEmptyQueue) {
    place({{{0, 0, 0}, 0.0f}});
    Unit& u = unit(0);
    u.giveOrder(Order::moveTo({0, 0, 1000}));
    step(200);
    ASSERT_GT(u.speed(), 7.4f);
    u.clearOrders();
    u.giveOrder(Order::halt());
    int steps = 0;
    while (u.speed() > 0.0f && steps < 1000) {
        const float before = u.speed();
        step();
        ++steps;
        if (u.speed() > 0.0f) {
            EXPECT_LE(u.speed(), before - 0.1f + 1e-6f);
        }
    }
    EXPECT_EQ(u.speed(), 0.0f);
    EXPECT_TRUE(u.orders().empty());
    EXPECT_GE(steps, 50);
    EXPECT_LE(steps, 75);
}

// Headings turn into radians with 3.14159 as a float, a little short of pi: a unit heading
// exactly 180 drifts towards +x by sin(pi - 3.14159f) per unit driven.
TEST_F(UnitMovement, HeadingsTurnIntoRadiansWithTheProgramsPi) {
    place({{{0, 0, 0}, 180.0f}});
    Unit& u = unit(0);
    push(u, 50);
    step(200);
    const double driven = -u.position.z;
    ASSERT_GT(driven, 5.0);
    EXPECT_NEAR(u.position.x, driven * std::sin(3.141592653589793 - double(3.14159f)),
                driven * 2e-8);
}

TEST_F(UnitMovement, UnitWithoutOrdersCoastsAlongItsHeadingLosingSpeed) {
    place({{{0, 0, 0}, 90.0f}});
    Unit& u = unit(0);
    u.giveOrder(Order::moveTo({1000, 0, 0}));
    step(100);
    u.clearOrders();
    const float heading = u.angles.y;
    const float speed = u.speed();
    step();
    EXPECT_FLOAT_EQ(u.speed(), speed * 0.996f);
    EXPECT_EQ(u.angles.y, heading);
    const Vector3 before = u.position;
    step(100);
    EXPECT_GT(u.position.x, before.x);
    EXPECT_LT(u.speed(), speed * 0.7f);
}

// One step from exact starting values, pinned to the bits the program computes: the move takes
// the speed before friction, the products and the heading in radians are formed in double, the
// turn rounds once, and each threshold holds at its exact speed (accelerate up to and including
// 7.5, a halting unit stands at 0.5, a slowing one keeps 1.0).
TEST(UnitStep, OneStepFromExactValuesGivesThePinnedBits) {
    struct Case {
        const char* name;
        float heading, speed;
        std::optional<Order> order;
        Vector3 next;  // nextPosition(10) before the step
        Vector3 position;
        float headingAfter, speedAfter;
        std::size_t ordersAfter;
    };
    const Vector3 from{1.5f, 0.0f, -2.25f};
    const Vector3 ahead = from + Vector3(0, 0, 100);
    const Case cases[] = {
        {"coast",
         30.0f,
         5.0f,
         std::nullopt,
         {1.52499998f, 0, -2.20669866f},
         {1.52499998f, 0, -2.20669866f},
         30.0f,
         4.98000002f,
         0},
        {"turn",
         10.0f,
         3.0f,
         Order::turnTo({11.5f, 0, -1.25f}),
         {1.50520945f, 0, -2.22045588f},
         {1.50990856f, 0, -2.2216835f},
         19.2861843f,
         2.98799992f,
         1},
        // Straight ahead is heading 360 to headingTo, so a TurnTo goes in front as well.
        {"cruise at 7.5",
         0.0f,
         7.5f,
         Order::moveTo(ahead),
         {1.5f, 0, -2.17499995f},
         {1.5f, 0, -2.17400002f},
         0.0f,
         7.56960011f,
         2},
        {"halt at 0.5",
         45.0f,
         0.5f,
         Order::halt(),
         {1.50353551f, 0, -2.24646449f},
         {1.5f, 0, -2.25f},
         45.0f,
         0.0f,
         0},
        {"slow at 1.1",
         0.0f,
         1.1f,
         Order::moveTo(from + Vector3(0, 0, 1.5f)),
         {1.5f, 0, -2.23900008f},
         {1.5f, 0, -2.24000001f},
         0.0f,
         0.995999992f,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Unit u;
        u.position = from;
        u.angles.y = c.heading;
        u.setSpeed(c.speed);
        if (c.order) {
            u.giveOrder(*c.order);
        }
        EXPECT_EQ(u.nextPosition(10), c.next);
        u.update(10);
        EXPECT_EQ(u.position, c.position);
        EXPECT_EQ(u.angles.y, c.headingAfter);
        EXPECT_EQ(u.speed(), c.speedAfter);
        EXPECT_EQ(u.orders().size(), c.ordersAfter);
    }
}

}  // namespace
}  // namespace zelmor
