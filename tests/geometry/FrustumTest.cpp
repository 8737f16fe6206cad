#include "geometry/Frustum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zelmor {
namespace {

constexpr float IDENTITY[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void expectPlane(const Plane& p, float a, float b, float c, float d) {
    EXPECT_FLOAT_EQ(p.a, a);
    EXPECT_FLOAT_EQ(p.b, b);
    EXPECT_FLOAT_EQ(p.c, c);
    EXPECT_FLOAT_EQ(p.d, d);
}

TEST(Frustum, IdentityMatricesGiveTheUnitCube) {
    Frustum f;
    f.extractFrom(IDENTITY, IDENTITY);
    const auto& p = f.planes();
    expectPlane(p[Frustum::RIGHT], -1, 0, 0, 1);
    expectPlane(p[Frustum::LEFT], 1, 0, 0, 1);
    expectPlane(p[Frustum::BOTTOM], 0, 1, 0, 1);
    expectPlane(p[Frustum::TOP], 0, -1, 0, 1);
    expectPlane(p[Frustum::FAR], 0, 0, -1, 1);
    expectPlane(p[Frustum::NEAR], 0, 0, 1, 1);

    // Depth is not tested, only the four sides.
    EXPECT_TRUE(f.isInFrustum({0.5f, -0.5f, 7}));
    EXPECT_TRUE(f.isInFrustum({0, 0, -1000}));
    EXPECT_FALSE(f.isInFrustum({1.5f, 0, 0}));
    EXPECT_FALSE(f.isInFrustum({-1.5f, 0, 0}));
    EXPECT_FALSE(f.isInFrustum({0, 1.5f, 0}));
    EXPECT_FALSE(f.isInFrustum({0, -1.5f, 0}));
    // A point on a side plane is inside; one step beyond it is not.
    EXPECT_TRUE(f.isInFrustum({1, 0, 0}));
    EXPECT_TRUE(f.isInFrustum({-1, 1, 0}));
    EXPECT_FALSE(f.isInFrustum({std::nextafter(1.0f, 2.0f), 0, 0}));
    EXPECT_FALSE(f.isInFrustum({0, std::nextafter(-1.0f, -2.0f), 0}));
}

TEST(Frustum, BeforeAnyExtractionEverythingIsInside) {
    const Frustum f;
    EXPECT_TRUE(f.isInFrustum({}));
    EXPECT_TRUE(f.isInFrustum({1e30f, -1e30f, 5}));
}

TEST(Frustum, CombinesProjectionTimesModelview) {
    // Projection scales x by 2, the modelview moves the world by +1 in x. Applied in the right
    // order (scale after move) the right edge sits at x = -0.5; the wrong order gives x = 0.
    const float scaleX[16] = {2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float moveX[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1};
    Frustum f;
    f.extractFrom(scaleX, moveX);
    expectPlane(f.planes()[Frustum::RIGHT], -1, 0, 0, -0.5f);
    expectPlane(f.planes()[Frustum::LEFT], 1, 0, 0, 1.5f);
    // Each plane is scaled on its own: the y planes keep their unit normal untouched.
    expectPlane(f.planes()[Frustum::BOTTOM], 0, 1, 0, 1);
    expectPlane(f.planes()[Frustum::TOP], 0, -1, 0, 1);
    EXPECT_TRUE(f.isInFrustum({-1, 0, 0}));
    EXPECT_FALSE(f.isInFrustum({-0.25f, 0, 0}));
}

TEST(Frustum, PlaneValuesAreSignedDistances) {
    const float squeeze[16] = {4, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Frustum f;
    f.extractFrom(squeeze, IDENTITY);
    for (const Plane& p : f.planes()) {
        EXPECT_FLOAT_EQ(std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c), 1.0f);
    }
    // x in [-0.25, 0.25], y in [-2, 2].
    expectPlane(f.planes()[Frustum::RIGHT], -1, 0, 0, 0.25f);
    expectPlane(f.planes()[Frustum::TOP], 0, -1, 0, 2);
}

TEST(Frustum, DegenerateMatricesLeaveFinitePlanes) {
    const float zero[16] = {};
    const float onlyW[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    const float tiny = std::numeric_limits<float>::denorm_min();
    const float subnormal[16] = {tiny, 0, 0, 0, 0, tiny, 0, 0, 0, 0, tiny, 0, 0, 0, 0, 1};
    for (const float* projection : {zero, onlyW, subnormal}) {
        Frustum f;
        f.extractFrom(projection, IDENTITY);
        for (const Plane& p : f.planes()) {
            EXPECT_TRUE(std::isfinite(p.a) && std::isfinite(p.b) && std::isfinite(p.c) &&
                        std::isfinite(p.d));
        }
    }
    // A plane with no normal answers by the sign of d alone: w = 1 everywhere keeps all inside.
    Frustum f;
    f.extractFrom(onlyW, IDENTITY);
    EXPECT_TRUE(f.isInFrustum({123, -45, 6}));
}

}  // namespace
}  // namespace zelmor
