#include "scene/TerrainGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zelmor {
namespace {

constexpr float STEP = 3.0518509e-05f;

// The normal of cell (i, k) from its three heights, worked out by hand for a regular grid.
Vector3 cellNormal(const TerrainGrid& grid, unsigned i, unsigned k) {
    const auto height = [&](unsigned a, unsigned b) {
        return double(grid.points()[a * grid.depth() + b].y);
    };
    const double h00 = height(i, k);
    const double dx = height(i + 1, k) - h00;
    const double dz = height(i, k + 1) - h00;
    const double s = grid.spacing();
    const double len = std::sqrt(dx * dx + s * s + dz * dz);
    return {float(dx / len), float(-s / len), float(dz / len)};
}

void expectNear(const Vector3& actual, const Vector3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6);
    EXPECT_NEAR(actual.y, expected.y, 1e-6);
    EXPECT_NEAR(actual.z, expected.z, 1e-6);
}

TEST(TerrainGrid, BuildLaysOutTheWorldGrid) {
    const TerrainGrid grid = TerrainGrid::build(10, 10, 5.0f);
    ASSERT_EQ(grid.points().size(), 100u);
    const auto& p = grid.points();
    EXPECT_EQ(p[0], Vector3(-25, float(38 * double(STEP)), -25));
    EXPECT_NEAR(p[0].y, 0.0011597, 1e-7);
    EXPECT_EQ(p[1].x, -25.0f);
    EXPECT_EQ(p[1].z, -20.0f);
    EXPECT_NEAR(p[1].y, 0.2355724, 1e-7);
    EXPECT_EQ(p[10].x, -20.0f);
    EXPECT_EQ(p[10].z, -25.0f);
    EXPECT_NEAR(p[10].y, 0.1786248, 1e-7);
    EXPECT_EQ(p[99].x, 20.0f);
    EXPECT_EQ(p[99].z, 20.0f);
    for (const Vector3& point : p) {
        EXPECT_GE(point.y, 0.0f);
        EXPECT_LE(point.y, 1.0f);
    }
}

TEST(TerrainGrid, HeightsFollowTheGeneratorInBuildOrder) {
    const int expected[] = {38, 7719, 21238, 2437, 8855, 11797, 8365, 32285, 10450, 30612, 5853};
    const TerrainGrid grid = TerrainGrid::build(3, 4, 1.0f);
    for (int n = 0; n < 11; ++n) {
        EXPECT_EQ(grid.points()[n].y, float(expected[n] * double(STEP))) << n;
    }
    // Every build starts the generator afresh.
    const TerrainGrid again = TerrainGrid::build(3, 4, 1.0f);
    EXPECT_EQ(again.points(), grid.points());
    EXPECT_EQ(TerrainGrid::build(10, 10, 5.0f).points()[5].y, grid.points()[5].y);
}

TEST(TerrainGrid, NormalOfTheCellUnderAPoint) {
    const TerrainGrid grid = TerrainGrid::build(10, 10, 5.0f);
    expectNear(grid.normalAt(-24, -24), {0.0354318f, -0.9982756f, 0.0468017f});

    // Truncation toward zero: -20 is cell 1, -20.001 and -27 (index -0.4) are cell 0.
    ASSERT_GT(std::fabs(cellNormal(grid, 1, 0).x - cellNormal(grid, 0, 0).x), 1e-3);
    expectNear(grid.normalAt(-20, -24), cellNormal(grid, 1, 0));
    expectNear(grid.normalAt(-20.001f, -24), cellNormal(grid, 0, 0));
    expectNear(grid.normalAt(-27, -24), cellNormal(grid, 0, 0));
    expectNear(grid.normalAt(-24, -20), cellNormal(grid, 0, 1));
    expectNear(grid.normalAt(19.99f, 19.99f), cellNormal(grid, 8, 8));
}

TEST(TerrainGrid, PointsOutsideTheGridUseTheNearestCell) {
    const TerrainGrid grid = TerrainGrid::build(10, 10, 5.0f);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    expectNear(grid.normalAt(20, 20), cellNormal(grid, 8, 8));
    expectNear(grid.normalAt(1e30f, -1e30f), cellNormal(grid, 8, 0));
    expectNear(grid.normalAt(-inf, inf), cellNormal(grid, 0, 8));
    expectNear(grid.normalAt(-100, 3), cellNormal(grid, 0, 5));
    expectNear(grid.normalAt(nan, nan), cellNormal(grid, 0, 0));

    // An odd size: the last cell, not one past it.
    const TerrainGrid odd = TerrainGrid::build(3, 5, 2.0f);
    expectNear(odd.normalAt(1000, 1000), cellNormal(odd, 1, 3));

    // The smallest grids with cells: one cell answers everywhere; of two, each answers its side.
    const TerrainGrid one = TerrainGrid::build(2, 2, 2.0f);
    for (const float x : {-inf, -1.0f, 0.0f, 1.0f, 1e30f}) {
        expectNear(one.normalAt(x, -x), cellNormal(one, 0, 0));
    }
    const TerrainGrid two = TerrainGrid::build(3, 2, 2.0f);
    ASSERT_GT(std::fabs(cellNormal(two, 0, 0).x - cellNormal(two, 1, 0).x), 1e-3);
    expectNear(two.normalAt(-100, 0), cellNormal(two, 0, 0));
    expectNear(two.normalAt(100, 0), cellNormal(two, 1, 0));
}

TEST(TerrainGrid, GridsWithoutCells) {
    const Vector3 down{0, -1, 0};
    EXPECT_EQ(TerrainGrid().normalAt(0, 0), down);
    EXPECT_EQ(TerrainGrid().spacing(), 4.0f);
    EXPECT_EQ(TerrainGrid::build(1, 10, 5.0f).normalAt(0, 0), down);
    EXPECT_EQ(TerrainGrid::build(10, 1, 5.0f).normalAt(0, 0), down);
    // Sizes that could not be held are refused rather than allocated.
    const TerrainGrid huge = TerrainGrid::build(4000000000u, 4000000000u, 1.0f);
    EXPECT_TRUE(huge.points().empty());
    EXPECT_EQ(huge.normalAt(0, 0), down);
}

}  // namespace
}  // namespace zelmor
