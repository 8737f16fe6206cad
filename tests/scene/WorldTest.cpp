#include "scene/World.h"

#include <gtest/gtest.h>

namespace zelmor {
namespace {

TEST(World, TheProgramHasOneWorldOnTheProgramsModelCache) {
    World& world = World::instance();
    EXPECT_EQ(&world, &World::instance());
    EXPECT_EQ(world.models, &ModelCache::instance());
}

}  // namespace
}  // namespace zelmor
