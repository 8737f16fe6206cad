#include "scene/Mesh.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/support/GlCalls.h"
#include "tests/support/GlContext.h"

namespace zelmor {
namespace {

using test::GlCall;
using test::GlCalls;

// The triangle (0,0,0) (1,0,0) (0,1,0) covers the window's upper right quarter below its
// diagonal when both matrices are the identity.
const std::vector<float> TRIANGLE = {0, 0, 0, 1, 0, 0, 0, 1, 0};
constexpr int INSIDE = 40;
constexpr int OUTSIDE = 10;

Mesh triangle(Colour colour, std::vector<uint8_t> vertexColours = {}) {
    return Mesh(TRIANGLE, {0, 1, 2}, std::move(vertexColours), colour, GL_TRIANGLES);
}

std::array<int, 3> pixel(int x, int y) {
    std::array<unsigned char, 4> rgba{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return {rgba[0], rgba[1], rgba[2]};
}

void expectPixel(int x, int y, std::array<int, 3> expected) {
    const auto actual = pixel(x, y);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(actual[c], expected[c], 1) << "channel " << c << " at " << x << "," << y;
    }
}

using MeshGLTest = test::GlTest;

TEST_F(MeshGLTest, DrawsARedOpaqueTriangleWithoutBlending) {
    const Mesh red = triangle({1, 0, 0, 1});
    red.draw();
    expectPixel(INSIDE, INSIDE, {255, 0, 0});
    expectPixel(OUTSIDE, OUTSIDE, {0, 0, 0});
    EXPECT_EQ(GlCalls::names(),
              (std::vector<std::string>{"glColor4f", "glVertexPointer", "glDrawElements"}));
    const GlCall draw = GlCalls::named("glDrawElements")[0];
    EXPECT_EQ(draw.args, (std::vector<double>{GL_TRIANGLES, 3, GL_UNSIGNED_INT}));
}

TEST_F(MeshGLTest, TranslucentSingleColourIsAddedToWhatIsBehind) {
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const Mesh glow = triangle({1, 0, 0, 0.5f});
    glow.draw();
    // Additive: red + blue, where alpha blending would have given half of each.
    expectPixel(INSIDE, INSIDE, {255, 0, 255});
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GlCalls::named("glBlendFunc")[0].args, (std::vector<double>{GL_ONE, GL_ONE}));
    EXPECT_EQ(GlCalls::count("glEnable"), 1);
    EXPECT_EQ(GlCalls::count("glDisable"), 1);
}

TEST_F(MeshGLTest, VertexColoursWinOverTheAlphaRule) {
    const Mesh green = triangle({1, 0, 0, 0.5f}, {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255});
    green.draw();
    expectPixel(INSIDE, INSIDE, {0, 255, 0});
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_EQ(GlCalls::count("glEnable"), 0);
    EXPECT_EQ(GlCalls::names(), (std::vector<std::string>{
                                    "glColor4f", "glEnableClientState", "glColorPointer",
                                    "glVertexPointer", "glDrawElements", "glDisableClientState"}));
    EXPECT_EQ(GlCalls::named("glColorPointer")[0].args,
              (std::vector<double>{4, GL_UNSIGNED_BYTE, 0}));
}

TEST_F(MeshGLTest, ColoursThatDoNotFitTheVerticesAreIgnored) {
    const Mesh blue = triangle({0, 0, 1, 1}, {255, 0, 0, 255});
    blue.draw();
    expectPixel(INSIDE, INSIDE, {0, 0, 255});
    EXPECT_EQ(GlCalls::count("glColorPointer"), 0);

    test::GlContext::get().state().forgetMesh();
    GlCalls::reset();
    triangle({0, 0, 1, 0.5f}, {255, 0, 0, 255}).draw();
    EXPECT_EQ(GlCalls::count("glBlendFunc"), 1);
}

TEST_F(MeshGLTest, SetUpIsSkippedOnlyWhileTheSameMeshIsDrawnAgain) {
    const Mesh a = triangle({1, 0, 0, 1});
    const Mesh b = triangle({0, 1, 0, 0.5f});
    a.draw();
    a.draw();
    b.draw();
    a.draw();
    const std::vector<std::string> full = {"glColor4f", "glVertexPointer", "glDrawElements"};
    std::vector<std::string> expected = full;
    expected.push_back("glDrawElements");
    for (const char* name : {"glColor4f", "glEnable", "glBlendFunc", "glVertexPointer",
                             "glDrawElements", "glDisable"}) {
        expected.push_back(name);
    }
    expected.insert(expected.end(), full.begin(), full.end());
    EXPECT_EQ(GlCalls::names(), expected);
}

TEST_F(MeshGLTest, ARepeatedDrawKeepsItsVertexColoursAndBlending) {
    const Mesh green = triangle({1, 0, 0, 1}, {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255});
    green.draw();
    glClear(GL_COLOR_BUFFER_BIT);
    GlCalls::reset();
    green.draw();
    expectPixel(INSIDE, INSIDE, {0, 255, 0});
    EXPECT_EQ(GlCalls::count("glColorPointer"), 1);

    const Mesh glow = triangle({1, 0, 0, 0.5f});
    glow.draw();
    GlCalls::reset();
    glow.draw();
    EXPECT_EQ(GlCalls::count("glEnable"), 1);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(MeshGLTest, AnIndexPastTheVerticesDrawsNothing) {
    const Mesh good = triangle({1, 0, 0, 1});
    const Mesh bad(TRIANGLE, {0, 1, 3}, {}, {0, 1, 0, 1}, GL_TRIANGLES);
    good.draw();
    GlCalls::reset();
    bad.draw();
    EXPECT_TRUE(GlCalls::names().empty());
    // The state still belongs to the good mesh, which therefore draws again without set-up.
    good.draw();
    EXPECT_EQ(GlCalls::names(), (std::vector<std::string>{"glDrawElements"}));
    expectPixel(INSIDE, INSIDE, {255, 0, 0});
}

TEST_F(MeshGLTest, AnEmptyMeshHandsGlNothingToRead) {
    const Mesh empty;
    empty.draw();
    EXPECT_EQ(GlCalls::named("glDrawElements")[0].args,
              (std::vector<double>{0, 0, GL_UNSIGNED_INT}));
    expectPixel(INSIDE, INSIDE, {0, 0, 0});
}

TEST_F(MeshGLTest, AMeshReplacedAfterItsDrawSetsUpAgain) {
    Mesh model = triangle({1, 0, 0, 1});
    model.draw();
    // What the cache does when a name is loaded again: the same address, new arrays.
    model = triangle({0, 0, 1, 1});
    GlCalls::reset();
    model.draw();
    EXPECT_EQ(GlCalls::count("glVertexPointer"), 1);
    expectPixel(INSIDE, INSIDE, {0, 0, 255});
}

}  // namespace
}  // namespace zelmor
