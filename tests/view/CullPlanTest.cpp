#include "view/CullPlan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace zelmor {
namespace {

struct Shape {
    std::vector<float> vertices;
    std::vector<uint32_t> indices;
};

// The unit cube from (0, 0, 0) to (1, 1, 1), every face wound anticlockwise seen from outside.
// Without its bottom (y = 0) it is what the bundled models are made of.
Shape cube(bool withBottom) {
    Shape shape;
    for (int v = 0; v < 8; ++v) {
        shape.vertices.insert(shape.vertices.end(),
                              {float(v & 1), float((v >> 1) & 1), float((v >> 2) & 1)});
    }
    // Corner v has x = bit 0, y = bit 1, z = bit 2; two triangles per face.
    shape.indices = {1, 3, 7, 1, 7, 5,   // x = 1
                     0, 4, 6, 0, 6, 2,   // x = 0
                     2, 6, 7, 2, 7, 3,   // y = 1
                     4, 5, 7, 4, 7, 6,   // z = 1
                     0, 2, 3, 0, 3, 1};  // z = 0
    if (withBottom) {
        shape.indices.insert(shape.indices.end(), {0, 1, 5, 0, 5, 4});
    }
    return shape;
}

Shape turnedRound(Shape shape) {
    for (std::size_t k = 0; k < shape.indices.size(); k += 3) {
        std::swap(shape.indices[k], shape.indices[k + 1]);
    }
    return shape;
}

// The closed cube with a dimple: the top is four triangles meeting below it.
Shape dimpled() {
    Shape shape = cube(true);
    shape.indices.erase(shape.indices.begin() + 12, shape.indices.begin() + 18);
    shape.vertices.insert(shape.vertices.end(), {0.5f, 0.6f, 0.5f});
    shape.indices.insert(shape.indices.end(), {2, 8, 3, 3, 8, 7, 7, 8, 6, 6, 8, 2});
    return shape;
}

CullPlan planOf(const Shape& shape) {
    CullPlan plan;
    plan.addPart(shape.vertices.data(), static_cast<uint32_t>(shape.vertices.size() / 3),
                 shape.indices.data(), static_cast<uint32_t>(shape.indices.size()), 10);
    return plan;
}

// A 60 degree perspective with the near plane at 0.1, and the eye at `eye` looking along -z.
std::array<float, 16> perspective() {
    const float f = 1.0f / std::tan(3.14159265f / 6.0f);
    return {f / 1.333f, 0, 0, 0, 0, f, 0, 0, 0, 0, -1.002f, -1, 0, 0, -0.2002f, 0};
}

std::array<float, 16> eyeAt(float x, float y, float z) {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -x, -y, -z, 1};
}

TEST(CullPlan, ConvexSolidsAreCulledTurnedRoundIfNeedBeAndEverythingElseKeepsBothSides) {
    const struct {
        const char* name;
        Shape shape;
        std::size_t trianglesDrawn;  // under culling, out of the shape's own
        uint32_t firstTriangle[3];
    } cases[] = {
        {"closed cube", cube(true), 12, {11, 13, 17}},
        {"cube without its bottom", cube(false), 10, {11, 13, 17}},
        {"cube wound inwards", turnedRound(cube(true)), 12, {11, 13, 17}},
        {"dimpled cube", dimpled(), 2 * 14, {11, 13, 17}},
        {"flat square",
         {{0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1}, {0, 1, 2, 0, 2, 3}},
         4,
         {10, 11, 12}},
    };
    for (const auto& each : cases) {
        const CullPlan plan = planOf(each.shape);
        ASSERT_EQ(plan.indices().size(), 3 * each.trianglesDrawn) << each.name;
        EXPECT_EQ(
            std::vector<uint32_t>(plan.indices().begin(), plan.indices().begin() + 3),
            std::vector<uint32_t>(std::begin(each.firstTriangle), std::end(each.firstTriangle)))
            << each.name;
    }
    // Kept both ways, a triangle comes first as it was, then turned round.
    const std::vector<uint32_t> square = planOf(cases[4].shape).indices();
    EXPECT_EQ(std::vector<uint32_t>(square.begin(), square.begin() + 6),
              (std::vector<uint32_t>{10, 11, 12, 11, 10, 12}));
}

TEST(CullPlan, HoldsOnlyBeyondTheNearPlaneAndWithNoOpeningInView) {
    const CullPlan closed = planOf(cube(true));
    const CullPlan open = planOf(cube(false));
    const struct {
        const char* name;
        std::array<float, 16> modelview;
        bool closedHolds;
        bool openHolds;
    } cases[] = {
        {"above and in front", eyeAt(0.5f, 3, 10), true, true},
        {"below the open bottom", eyeAt(0.5f, -3, 10), true, false},
        {"level with the open bottom", eyeAt(0.5f, 0, 10), true, false},
        {"with the near plane through the cube", eyeAt(0.5f, 0.5f, 1.05f), false, false},
        {"inside the cube", eyeAt(0.5f, 0.5f, 0.5f), false, false},
        {"with the cube behind", eyeAt(0.5f, 0.5f, -3), false, false},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(closed.holdsFor(each.modelview, perspective()), each.closedHolds) << each.name;
        EXPECT_EQ(open.holdsFor(each.modelview, perspective()), each.openHolds) << each.name;
    }
    std::array<float, 16> orthographic = eyeAt(0, 0, 0);
    orthographic[10] = -0.02f;
    EXPECT_FALSE(closed.holdsFor(eyeAt(0.5f, 3, 10), orthographic));
}

TEST(CullPlan, CornersNotFiniteKeepBothSidesAndNeverHold) {
    Shape shape = cube(true);
    shape.vertices[4] = std::numeric_limits<float>::quiet_NaN();
    const CullPlan plan = planOf(shape);
    EXPECT_EQ(plan.indices().size(), 2 * shape.indices.size());
    EXPECT_FALSE(plan.holdsFor(eyeAt(0.5f, 3, 10), perspective()));
}

}  // namespace
}  // namespace zelmor
