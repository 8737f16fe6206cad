#include "scene/Mesh.h"

#include <gtest/gtest.h>

namespace zelmor {
namespace {

Mesh colouredTriangle() {
    return Mesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2},
                {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255}, Colour{0.5f, 0.25f, 1.0f, 0.75f},
                4);
}

TEST(Mesh, CopiesShareNothingAndSelfAssignmentKeepsTheMesh) {
    const Mesh source = colouredTriangle();
    Mesh copy = source;
    EXPECT_EQ(copy.vertices(), source.vertices());
    EXPECT_EQ(copy.indices(), source.indices());
    EXPECT_EQ(copy.vertexColours(), source.vertexColours());
    EXPECT_NE(copy.vertices().data(), source.vertices().data());
    EXPECT_NE(copy.indices().data(), source.indices().data());
    EXPECT_NE(copy.vertexColours().data(), source.vertexColours().data());
    EXPECT_EQ(copy.colour().b, 1.0f);
    EXPECT_EQ(copy.primitiveMode(), 4);

    const Mesh& same = copy;
    copy = same;
    EXPECT_EQ(copy.vertices(), source.vertices());
    EXPECT_EQ(copy.vertexColours(), source.vertexColours());

    Mesh assigned;
    assigned = source;
    EXPECT_EQ(assigned.indices(), source.indices());
    EXPECT_TRUE(assigned.coloursMatch());
}

TEST(Mesh, DecidesOnceWhetherItsArraysFitTogether) {
    EXPECT_TRUE(Mesh().indicesInRange());
    EXPECT_TRUE(Mesh().coloursMatch());
    EXPECT_FALSE(Mesh({0, 0, 0}, {0, 1}, {}, {}, 1).indicesInRange());
    EXPECT_TRUE(Mesh({0, 0, 0, 1, 1, 1}, {0, 1}, {}, {}, 1).indicesInRange());
    // Colours for two vertices on a one-vertex mesh, and for one vertex on two.
    EXPECT_FALSE(Mesh({0, 0, 0}, {0}, {1, 2, 3, 4, 5, 6, 7, 8}, {}, 0).coloursMatch());
    EXPECT_FALSE(Mesh({0, 0, 0, 1, 1, 1}, {0}, {1, 2, 3, 4}, {}, 0).coloursMatch());
}

}  // namespace
}  // namespace zelmor
