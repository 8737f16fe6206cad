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

TEST(SceneObject, CopiesOwnTheirChildrenAndShareTheMesh) {
    const Mesh mesh;
    SceneObject source = at(1, 2, 3, 4);
    source.mesh = &mesh;
    source.children.push_back(at(5, 0, 0, 1));
    source.children[0].mesh = &mesh;
    source.children[0].children.push_back(at(6, 0, 0, 1));

    {
        SceneObject copy = source;
        EXPECT_EQ(copy.mesh, &mesh);
        ASSERT_EQ(copy.children.size(), 1u);
        EXPECT_EQ(copy.children[0].mesh, &mesh);
        copy.children[0].position.x = 50;
        copy.children[0].children[0].position.x = 60;
        copy.children[0].children.clear();
        copy.children.push_back(at(7, 0, 0, 1));
    }
    ASSERT_EQ(source.children.size(), 1u);
    EXPECT_EQ(source.children[0].position.x, 5.0f);
    ASSERT_EQ(source.children[0].children.size(), 1u);
    EXPECT_EQ(source.children[0].children[0].position.x, 6.0f);

    SceneObject assigned;
    assigned = source;
    assigned.children[0].position.y = 9;
    EXPECT_EQ(source.children[0].position.y, 0.0f);
    const SceneObject& same = assigned;
    assigned = same;
    EXPECT_EQ(assigned.children.size(), 1u);
    EXPECT_EQ(assigned.children[0].children.size(), 1u);
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
