#include "sim/Unit.h"

#include <gtest/gtest.h>

namespace zelmor {
namespace {

struct Bulky : SceneObject {
    float radius() const override { return 3.0f; }
};

TEST(UnitCopy, CopiesCarryPartsAndMotionButNeitherOrdersNorSelection) {
    Unit source;
    source.storePart("hull", SceneObject{});
    source.position = {1, 2, 3};
    source.angles = {4, 5, 6};
    source.accelerate();
    source.select();
    source.giveOrder(Order::moveTo({9, 0, 9}));

    const Unit copy(source);
    EXPECT_EQ(copy.position, source.position);
    EXPECT_EQ(copy.angles, source.angles);
    EXPECT_EQ(copy.speed(), source.speed());
    EXPECT_EQ(copy.parts().size(), 1u);
    EXPECT_TRUE(copy.orders().empty());
    EXPECT_FALSE(copy.isSelected());

    Unit target;
    target.giveOrder(Order::halt());
    target.select();
    target = source;
    EXPECT_EQ(target.position, source.position);
    EXPECT_EQ(target.speed(), source.speed());
    EXPECT_EQ(target.parts().size(), 1u);
    ASSERT_EQ(target.orders().size(), 1u) << "assignment keeps the target's own orders";
    EXPECT_EQ(target.orders().front().kind, OrderKind::Halt);
    EXPECT_TRUE(target.isSelected());
    EXPECT_EQ(source.orders().size(), 1u);
    EXPECT_TRUE(source.isSelected());
}

TEST(UnitContact, UnitsOverlapBelowTheSumOfRadiiAndOtherObjectsAnswerThroughRadius) {
    Unit a;
    Unit b;
    b.position = {1.625f, 50, 0};
    EXPECT_FALSE(a.overlaps(b)) << "touching exactly is no contact; height never counts";
    b.position = {1.6f, -50, 0};
    EXPECT_TRUE(a.overlaps(b));
    Bulky wall;  // its field says 1, its radius() says 3
    wall.position = {0, 0, 3.8f};
    EXPECT_TRUE(a.collidesWith(wall));
    wall.position = {0, 0, 3.8125f};
    EXPECT_FALSE(a.collidesWith(wall));
}

}  // namespace
}  // namespace zelmor
