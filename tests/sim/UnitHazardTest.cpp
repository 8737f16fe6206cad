// Units far away or at positions that are not numbers: nothing a scene file or a long drive can
// produce may crash, hang or poison the units around them. (The tick itself is held by
// WorldTickTest.FarAwayAndNonFinitePositionsDoNotBreakTheTick; the draw by UnitHazardGLTest.)

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/Frustum.h"
#include "geometry/Matrix4.h"
#include "scene/ModelCache.h"
#include "scene/World.h"
#include "sim/SelectionBox.h"
#include "sim/Unit.h"

namespace zelmor {
namespace {

constexpr float INF = std::numeric_limits<float>::infinity();
const float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();
constexpr float FAR = 3.0e38f;

// The program's start view: the eye at (0, 20, -30) looking at the origin, 60 degrees, 4:3.
Frustum startView() {
    Frustum frustum;
    frustum.extractFrom(Matrix4::perspective(60.0, 640.0 / 480.0, 0.1, 100.0),
                        Matrix4::lookAt({0, 20, -30}, {0, 0, 0}, {0, 1, 0}));
    return frustum;
}

// A point that is not a finite point lies in no view: it is never drawn, picked or boxed.
TEST(UnitHazard, PositionsThatAreNotFiniteAreNeverVisible) {
    const Frustum view = startView();
    ASSERT_TRUE(view.isInFrustum({0, 0, 0}));
    // Far along the line of sight is still in view: near and far are not consulted.
    EXPECT_TRUE(view.isInFrustum({0, 20 - 2e37f, -30 + 3e37f}));
    EXPECT_FALSE(view.isInFrustum({FAR, 0, 0}));
    EXPECT_FALSE(view.isInFrustum({-FAR, 0, FAR}));
    for (const Vector3& odd :
         {Vector3{NOT_A_NUMBER, 0, 0}, Vector3{0, NOT_A_NUMBER, 0}, Vector3{0, 0, NOT_A_NUMBER},
          Vector3{INF, 0, 0}, Vector3{0, -INF, INF}, Vector3{0, 0, INF}, Vector3{-INF, 0, 0}}) {
        EXPECT_FALSE(view.isInFrustum(odd)) << odd.x << " " << odd.y << " " << odd.z;
    }
}

TEST(UnitHazard, OddPositionsAreNeverHitBoxedOrTouched) {
    Unit near;
    Unit odd;
    SelectionBox box;
    box.begin({-FAR, 0, -FAR});
    box.drag({FAR, 0, FAR});
    box.setActive(true);
    for (const Vector3& at : {Vector3{NOT_A_NUMBER, 0, 0}, Vector3{0, 0, NOT_A_NUMBER},
                              Vector3{INF, 0, 0}, Vector3{0, 0, -INF}}) {
        odd.position = at;
        EXPECT_FALSE(odd.containsPoint({0, 0, 0}));
        EXPECT_FALSE(odd.containsPoint(at)) << "not even at its own position";
        EXPECT_FALSE(box.contains(at));
        EXPECT_FALSE(odd.overlaps(near));
        EXPECT_FALSE(near.overlaps(odd));
        EXPECT_FALSE(odd.collidesWith(near));
    }
    // Two units at the very end of the float range are far apart, not on top of each other.
    odd.position = {FAR, 0, FAR};
    near.position = {-FAR, 0, -FAR};
    EXPECT_FALSE(odd.overlaps(near));
    near.position = {FAR, 0, FAR};
    EXPECT_TRUE(odd.overlaps(near));
}

// Orders towards or from odd places end, and never turn a unit's heading or speed into NaN.
TEST(UnitHazard, OrdersAtOddPlacesNeitherHangNorPoisonTheUnit) {
    for (const Vector3& goal : {Vector3{NOT_A_NUMBER, 0, 0}, Vector3{INF, 0, INF},
                                Vector3{FAR, 0, -FAR}, Vector3{0, 0, 0}}) {
        for (const Vector3& start : {Vector3{0, 0, 0}, Vector3{FAR, 0, FAR}, Vector3{-FAR, 0, FAR},
                                     Vector3{NOT_A_NUMBER, 0, 0}}) {
            Unit unit;
            unit.position = start;
            unit.giveOrder(Order::moveTo(goal));
            for (int step = 0; step < 400; ++step) {
                unit.update(10);
            }
            SCOPED_TRACE(testing::Message() << "from " << start.x << "," << start.z << " to "
                                            << goal.x << "," << goal.z);
            EXPECT_FALSE(std::isnan(unit.angles.y));
            EXPECT_FALSE(std::isnan(unit.speed()));
            EXPECT_GE(unit.speed(), 0.0f);
            EXPECT_LE(unit.speed(), 7.6f);
        }
    }
}

}  // namespace
}  // namespace zelmor
