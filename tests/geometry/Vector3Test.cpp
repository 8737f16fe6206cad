#include "geometry/Vector3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace zelmor {
namespace {

// The heading as the program prints it, to five decimals.
std::string heading(const Vector3& from, const Vector3& to) {
    char text[32];
    std::snprintf(text, sizeof text, "%.5f", double(from.headingTo(to).y));
    return text;
}

TEST(Vector3, HeadingsCarryTheConversionConstant) {
    const Vector3 origin;
    const std::pair<Vector3, const char*> cases[] = {
        {{1, 0, 1}, "45.00004"},   {{1, 0, -1}, "134.99997"}, {{-1, 0, -1}, "225.00003"},
        {{-1, 0, 1}, "314.99997"}, {{2, 0, 0}, "89.99992"},   {{-2, 0, 0}, "269.99994"},
    };
    for (const auto& [to, expected] : cases) {
        EXPECT_EQ(heading(origin, to), expected) << to.x << ", " << to.z;
    }
    // Only the difference counts, not where the start lies.
    EXPECT_EQ(heading({10, 3, -20}, {11, -4, -19}), "45.00004");
    EXPECT_EQ(origin.headingTo({0, 0, -2}).y, 180.0f);
    // Straight ahead is 360, not 0, and the height difference plays no part; the same planar
    // point gives a finite heading too.
    EXPECT_EQ(origin.headingTo({0, 5, 3}), Vector3(0, 360, 0));
    EXPECT_EQ(Vector3(3, 1, 4).headingTo({3, 9, 4}), Vector3(0, 360, 0));
    EXPECT_EQ(origin.headingTo(origin), Vector3(0, 360, 0));
}

TEST(Vector3, HeadingOfANearlyStraightAheadPointStaysInTheRightQuadrant) {
    // A tiny sideways step gives a heading just above 0 or just below 360, never NaN.
    const float right = Vector3().headingTo({1e-6f, 0, 1000}).y;
    const float left = Vector3().headingTo({-1e-6f, 0, 1000}).y;
    EXPECT_GE(right, 0.0f);
    EXPECT_LT(right, 1e-3f);
    EXPECT_GT(left, 359.999f);
    EXPECT_LE(left, 360.0f);
}

// The heading's angle from the library's acos, as the heading was first worked out.
float libraryDegrees(const Vector3& from, const Vector3& to) {
    const double dz = double(to.z) - from.z;
    const double dx = double(to.x) - from.x;
    const double d = std::sqrt(dx * dx + dz * dz);
    return static_cast<float>(std::acos(std::fmin(d > 0.0 ? std::fabs(dz) / d : 1.0, 1.0)) *
                              DEGREES_PER_RADIAN);
}

TEST(Vector3, HeadingAnglesAreTheLibrarysBitForBit) {
    // Points at every scale and in every direction, and the ones around the polynomial's two
    // halves (cosine 0.5, 60 degrees) and the axes, where the bits are hardest to keep.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<Vector3> targets;
    for (int i = 0; i < 300000; ++i) {
        const float scale = std::ldexp(1.0f, i % 40 - 20);
        targets.push_back({unit(random) * scale, 0.0f, unit(random) * scale});
    }
    for (float dx = 0.8660f; dx < 0.8661f; dx = std::nextafter(dx, 1.0f)) {
        targets.push_back({dx, 0.0f, 0.5f});
    }
    for (int e = 1; e < 60; ++e) {
        targets.push_back({std::ldexp(1.0f, -e), 0.0f, 1.0f});
        targets.push_back({1.0f, 0.0f, std::ldexp(1.0f, -e)});
    }
    const Vector3 from{3.0f, 0.0f, -2.0f};
    int differing = 0;
    for (const Vector3& offset : targets) {
        const Vector3 to = from + offset;
        const float angle = from.headingTo(to).y;
        const float h0 = libraryDegrees(from, to);
        // The heading is h0 put in its quadrant; h0 is recovered from it exactly.
        const float expected[] = {h0, static_cast<float>(180.0 - h0),
                                  static_cast<float>(180.0 + h0), static_cast<float>(360.0 - h0)};
        differing += std::count(std::begin(expected), std::end(expected), angle) == 0;
    }
    EXPECT_EQ(differing, 0);
}

TEST(Vector3, DistancesAndLength) {
    const Vector3 a{1, 7, 1};
    const Vector3 b{4, -2, 5};
    EXPECT_EQ(a.planarDistanceSquared(b), 25.0f);
    EXPECT_EQ(a.planarDistance(b), 5.0f);
    EXPECT_EQ(b.planarDistance(a), 5.0f);
    EXPECT_EQ(Vector3(3, 4, 12).length(), 13.0f);
    // Squares that overflow a float stay exact in the intermediate.
    EXPECT_EQ(Vector3(3e20f, 0, 4e20f).length(), 5e20f);
    EXPECT_EQ(Vector3(3e20f, 0, 0).planarDistance({0, 1, -4e20f}), 5e20f);
}

TEST(Vector3, UnitNormalFollowsTheOrderOfTheEdges) {
    EXPECT_EQ(Vector3(1, 0, 0).unitNormal({0, 0, 1}), Vector3(0, -1, 0));
    EXPECT_EQ(Vector3(0, 0, 1).unitNormal({1, 0, 0}), Vector3(0, 1, 0));
    // Long edges are scaled down to length 1, even when their product overflows a float.
    EXPECT_EQ(Vector3(2, 0, 0).unitNormal({0, 3, 0}), Vector3(0, 0, 1));
    EXPECT_EQ(Vector3(1e30f, 0, 0).unitNormal({0, 0, 1e30f}), Vector3(0, -1, 0));
    // The cross product (2, -1, 2) has length 3.
    const Vector3 slanted = Vector3(1, 2, 0).unitNormal({0, 2, 1});
    EXPECT_EQ(slanted, Vector3(2.0f / 3, -1.0f / 3, 2.0f / 3));
}

TEST(Vector3, UnitNormalWithoutDirectionIsFinite) {
    for (const Vector3& n : {Vector3(1, 2, 3).unitNormal({2, 4, 6}),
                             Vector3().unitNormal({1, 0, 0}), Vector3(1, 0, 0).unitNormal({})}) {
        EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
    }
}

TEST(Vector3, Arithmetic) {
    const Vector3 a{1, 2, 3};
    const Vector3 b{0.5f, -4, 10};
    EXPECT_EQ(a + b, Vector3(1.5f, -2, 13));
    EXPECT_EQ(a - b, Vector3(0.5f, 6, -7));
    EXPECT_EQ(a * -2.0f, Vector3(-2, -4, -6));

    Vector3 c = a;
    (c += b) += b;
    EXPECT_EQ(c, Vector3(2, -6, 23));
    (c -= b) -= a;
    EXPECT_EQ(c, Vector3(0.5f, -4, 10));
}

}  // namespace
}  // namespace zelmor
