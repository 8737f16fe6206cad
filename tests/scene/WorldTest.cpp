#include "scene/World.h"

#include <gtest/gtest.h>

namespace zelmor {
namespace {

TEST(World, TheProgramHasOneWorldOnTheProgramsModelCache) {
    World& world = World::instance();
    EXPECT_EQ(&world, &World::instance());
    EXPECT_EQ(world.models, &ModelCache::instance());
    EXPECT_EQ(world.contactSearch, ContactSearch::AllPairs);
}

TEST(World, TerrainIsEmptyUntilBuiltThenTenByTenAtSpacingFive) {
    ModelCache models;
    World world(models);
    EXPECT_TRUE(world.terrain.points().empty());
    world.initTerrain();
    EXPECT_EQ(world.terrain.width(), 10u);
    EXPECT_EQ(world.terrain.depth(), 10u);
    EXPECT_EQ(world.terrain.spacing(), 5.0f);
    EXPECT_EQ(world.terrain.points().front(), Vector3(-25.0f, world.terrain.points()[0].y, -25.0f));
}

}  // namespace
}  // namespace zelmor
