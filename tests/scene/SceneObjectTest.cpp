#include "scene/SceneObject.h"

#include <gtest/gtest.h>

#include "scene/StaticObject.h"

namespace zelmor {
namespace {

SceneObject at(float x, float y, float z, float radius) {
    SceneObject object;
    object.position = {x, y, z};
    object.boundingRadius = radius;
    return object;
}

TEST(SceneObject, HitTestIsStrictAndCountsHeight) {
    const SceneObject object = at(1, 1, 1, 2);
    EXPECT_FALSE(object.containsPoint({3, 1, 1}));  // exactly at the radius
    EXPECT_TRUE(object.containsPoint({2.999f, 1, 1}));
    EXPECT_FALSE(object.containsPoint({1, 3.5f, 1}));  // straight above, too high
    // Within the radius on the ground, outside it in space.
    EXPECT_FALSE(object.containsPoint({2.2f, 2.2f, 2.2f}));
    EXPECT_TRUE(object.containsPoint({2, 2, 1}));
}

TEST(SceneObject, CollisionIsAStrictTestOfUprightCylinders) {
    const SceneObject a = at(0, 0, 0, 2);
    EXPECT_TRUE(a.collidesWith(at(0, 100, 0, 0.5f)));  // heights do not count
    EXPECT_FALSE(a.collidesWith(at(3, 0, 4, 3)));      // distance 5 = 2 + 3
    EXPECT_TRUE(a.collidesWith(at(3, 0, 3.999f, 3)));
    EXPECT_FALSE(a.collidesWith(at(-3, 7, -4, 2.999f)));

    // The other's radius is its field, whatever its radius() answers.
    struct Wide : SceneObject {
        float radius() const override { return 100.0f; }
    };
    Wide wide;
    wide.position = {10, 0, 0};
    EXPECT_FALSE(a.collidesWith(wide));
}

TEST(StaticObject, NeverSelectedNeverCollidingByItsOwnTest) {
    const Mesh mesh;
    StaticObject rock;
    rock.mesh = &mesh;
    rock.children.push_back(at(1, 0, 0, 1));
    SceneObject& base = rock;
    base.select();
    EXPECT_FALSE(rock.isSelected());
    EXPECT_FALSE(base.collidesWith(at(0, 0, 0, 5)));
    EXPECT_FALSE(base.collidesWith(rock));
    // It is still hit by the mouse.
    EXPECT_TRUE(base.containsPoint({0.5f, 0, 0}));

    // A mark set on the field directly is not carried into copies.
    rock.selected = true;
    const StaticObject copy = rock;
    EXPECT_FALSE(copy.isSelected());
    EXPECT_EQ(copy.mesh, &mesh);
    EXPECT_EQ(copy.children.size(), 1u);
    StaticObject assigned;
    assigned = rock;
    EXPECT_FALSE(assigned.isSelected());
    EXPECT_EQ(assigned.children.size(), 1u);
}

}  // namespace
}  // namespace zelmor
