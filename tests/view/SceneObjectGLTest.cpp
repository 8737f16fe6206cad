#include "scene/SceneObject.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/GlCalls.h"
#include "tests/support/GlContext.h"

namespace zelmor {
namespace {

using test::GlCalls;

using SceneObjectGLTest = test::GlTest;

TEST_F(SceneObjectGLTest, ZeroAnglesIssueNoRotation) {
    SceneObject object;
    object.position = {1, 2, 3};
    object.draw();
    EXPECT_EQ(GlCalls::names(), (std::vector<std::string>{"glTranslatef"}));
    EXPECT_EQ(GlCalls::log()[0].args, (std::vector<double>{1, 2, 3}));

    GlCalls::reset();
    object.angles = {0, 45, 0};
    object.draw();
    ASSERT_EQ(GlCalls::count("glRotatef"), 1);
    EXPECT_EQ(GlCalls::named("glRotatef")[0].args, (std::vector<double>{45, 0, 1, 0}));
}

TEST_F(SceneObjectGLTest, RotatesAboutXThenYThenZ) {
    SceneObject object;
    object.angles = {10, 20, 30};
    object.draw();
    const auto rotations = GlCalls::named("glRotatef");
    ASSERT_EQ(rotations.size(), 3u);
    EXPECT_EQ(rotations[0].args, (std::vector<double>{10, 1, 0, 0}));
    EXPECT_EQ(rotations[1].args, (std::vector<double>{20, 0, 1, 0}));
    EXPECT_EQ(rotations[2].args, (std::vector<double>{30, 0, 0, 1}));

    // The matrix left behind turns a vertex about Z first: (1, 0, 0) under Z 90 then X 90 ends
    // on +Z, where the other order would leave it on +Y.
    glLoadIdentity();
    SceneObject turned;
    turned.angles = {90, 0, 90};
    turned.draw();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // First column: the image of (1, 0, 0).
    EXPECT_NEAR(m[0], 0, 1e-6);
    EXPECT_NEAR(m[1], 0, 1e-6);
    EXPECT_NEAR(m[2], 1, 1e-6);
}

TEST_F(SceneObjectGLTest, DrawsItsMeshThenEachChildInItsOwnMatrix) {
    const Mesh mesh(std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, {}, {1, 1, 1, 1},
                    GL_TRIANGLES);
    SceneObject parent;
    parent.mesh = &mesh;
    SceneObject child;
    child.position = {5, 0, 0};
    parent.children = {child, child};
    parent.draw();
    EXPECT_EQ(GlCalls::names(),
              (std::vector<std::string>{
                  "glTranslatef", "glColor4f", "glVertexPointer", "glDrawElements", "glPushMatrix",
                  "glTranslatef", "glPopMatrix", "glPushMatrix", "glTranslatef", "glPopMatrix"}));
}

}  // namespace
}  // namespace zelmor
