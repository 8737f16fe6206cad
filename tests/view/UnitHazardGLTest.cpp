// Units far away or at positions that are not numbers reach the visibility test and the draw of
// a real frame without a crash, a GL error or damage to the units drawn after them.

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <vector>

#include "scene/ModelCache.h"
#include "scene/World.h"
#include "sim/Unit.h"
#include "tests/support/GlContext.h"

namespace zelmor {
namespace {

constexpr float INF = std::numeric_limits<float>::infinity();
const float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();
constexpr float FAR = 3.0e38f;

// A red square of 10 by 10 world units on the ground, centred on the unit.
Mesh groundSquare() {
    return Mesh({-5, 0, -5, 5, 0, -5, 5, 0, 5, -5, 0, 5}, {0, 1, 2, 0, 2, 3}, {}, {1, 0, 0, 1},
                GL_TRIANGLES);
}

std::array<int, 3> centrePixel() {
    std::array<unsigned char, 4> rgba{};
    glReadPixels(test::GlContext::WIDTH / 2, test::GlContext::HEIGHT / 2, 1, 1, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
    return {rgba[0], rgba[1], rgba[2]};
}

using UnitHazardGL = test::GlTest;

TEST_F(UnitHazardGL, OddUnitsAreCulledAndTheirDrawHarmsNothing) {
    const Mesh square = groundSquare();
    SceneObject body;
    body.mesh = &square;
    ModelCache models;
    World world(models);
    const std::vector<std::pair<Vector3, Vector3>> placements = {
        {{NOT_A_NUMBER, 0, 0}, {0, 0, 0}},
        {{0, 0, 0}, {NOT_A_NUMBER, NOT_A_NUMBER, NOT_A_NUMBER}},
        {{INF, 0, -INF}, {0, 45, 0}},
        {{FAR, FAR, FAR}, {FAR, -FAR, FAR}},
        {{0, 0, 0}, {0, 0, 0}},
    };
    for (const auto& [position, angles] : placements) {
        Unit unit;
        unit.storePart("body", body);
        unit.position = position;
        unit.angles = angles;
        unit.select();
        world.units.push_back(unit);
    }

    glMatrixMode(GL_PROJECTION);
    gluPerspective(60.0, 1.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    world.camera.setProjection(Matrix4::perspective(60.0, 1.0, 0.1, 100.0));
    world.camera.setPosition({0, 20, -30});
    world.camera.setLookOffset({0, -20, 30});
    world.camera.apply();
    glLoadMatrixf(world.camera.appliedView().values().data());

    EXPECT_FALSE(world.isVisible(world.units[0]));
    EXPECT_TRUE(world.isVisible(world.units[1])) << "only the angles are odd";
    EXPECT_FALSE(world.isVisible(world.units[2]));
    EXPECT_FALSE(world.isVisible(world.units[3]));
    EXPECT_TRUE(world.isVisible(world.units[4]));

    // Drawn whether visible or not: the draw must cope on its own.
    for (const Unit& unit : world.units) {
        if (&unit == &world.units.back()) {
            break;
        }
        glPushMatrix();
        unit.draw();
        glPopMatrix();
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    glClear(GL_COLOR_BUFFER_BIT);
    glPushMatrix();
    world.units.back().draw();
    glPopMatrix();
    EXPECT_EQ(centrePixel(), (std::array<int, 3>{255, 0, 0}));
}

}  // namespace
}  // namespace zelmor
