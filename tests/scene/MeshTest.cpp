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

}  // namespace
}  // namespace zelmor
