#include "scene/World.h"

#include <gtest/gtest.h>

namespace zelmor {
namespace {

// Only the position counts: an object whose centre lies behind the eye is not visible however
// large it is, while a point in front is.
TEST(World, VisibilityIsTheFrustumTestOfThePositionAlone) {
    ModelCache models;
    World world(models);
    world.camera.setProjection(Matrix4::perspective(60.0, 1.0, 0.1, 100.0));
    world.camera.setLookOffset({0, 0, -1});
    world.camera.apply();

    SceneObject ahead;
    ahead.position = {0, 0, -10};
    SceneObject behind;
    behind.position = {0, 0, 10};
    behind.boundingRadius = 1000.0f;
    EXPECT_TRUE(world.isVisible(ahead));
    EXPECT_FALSE(world.isVisible(behind));
}

}  // namespace
}  // namespace zelmor
