#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "sim/Unit.h"
#include "tests/support/GlCalls.h"
#include "tests/support/GlContext.h"
#include "tests/support/TestFiles.h"
#include "view/PartBatch.h"

namespace zelmor {
namespace {

using test::GlCalls;

using UnitGL = test::GlTest;

std::vector<std::vector<double>> argsOf(const std::string& name) {
    std::vector<std::vector<double>> args;
    for (const auto& call : GlCalls::named(name)) {
        args.push_back(call.args);
    }
    return args;
}

std::array<int, 3> rgbAt(int x, int y) {
    std::array<unsigned char, 4> rgba{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return {rgba[0], rgba[1], rgba[2]};
}

// The heading rotation is issued last so that it acts first: turned to its heading, then tilted.
// Drawn one by one, the reference for merged parts: child objects, then the parts in name order,
// each inside its own push and pop.
TEST_F(UnitGL, UnitTurnsXThenZThenHeadingAndDrawsChildrenAndPartsInNameOrder) {
    PartBatch::mergeParts = false;
    Unit unit;
    unit.position = {1, 2, 3};
    unit.angles = {3, 45, 7};
    SceneObject child;
    child.position = {0, 0, -1};
    unit.children.push_back(child);
    SceneObject turret;
    turret.position = {0, 1, 0};
    SceneObject body;
    body.position = {0, 0.5f, 0};
    unit.storePart("turret", turret);
    unit.storePart("body", body);
    unit.draw();
    PartBatch::mergeParts = true;
    const std::vector<std::string> expected = {
        "glTranslatef", "glRotatef",    "glRotatef",    "glRotatef",    "glPushMatrix",
        "glTranslatef", "glPopMatrix",  "glPushMatrix", "glTranslatef", "glPopMatrix",
        "glPushMatrix", "glTranslatef", "glPopMatrix"};
    ASSERT_EQ(GlCalls::names(), expected);
    EXPECT_EQ(argsOf("glRotatef"),
              (std::vector<std::vector<double>>{{3, 1, 0, 0}, {7, 0, 0, 1}, {45, 0, 1, 0}}));
    EXPECT_EQ(argsOf("glTranslatef"),
              (std::vector<std::vector<double>>{{1, 2, 3}, {0, 0, -1}, {0, 0.5f, 0}, {0, 1, 0}}));
}

// The marker comes from the cache the unit was read with, looked up on every draw. Part by part
// it has its own call; merged, it shares the parts' call.
TEST_F(UnitGL, ZeroAnglesIssueNoRotationAndTheSelectedUnitDrawsTheMarker) {
    test::TempDir dir;
    ModelCache models;
    Unit unit((dir.path() / "none.unit").string(), models, ReadContext{});
    unit.select();
    PartBatch::mergeParts = false;
    unit.draw();
    // Without a SELECTOR model the marker's push and pop still frame nothing.
    EXPECT_EQ(GlCalls::names(),
              (std::vector<std::string>{"glTranslatef", "glPushMatrix", "glPopMatrix"}));

    const std::string model = dir.write("marker.mdl", "v 3 0 0 0 1 0 0 0 0 1 i 3 0 1 2 p 1 x");
    models.preload(dir.write("list", "SELECTOR " + model));
    GlCalls::reset();
    unit.draw();
    const std::vector<std::string> names = GlCalls::names();
    ASSERT_EQ(names.front(), "glTranslatef");
    ASSERT_EQ(names[1], "glPushMatrix");
    EXPECT_EQ(names.back(), "glPopMatrix");
    EXPECT_EQ(GlCalls::count("glDrawElements"), 1);
    EXPECT_EQ(GlCalls::count("glRotatef"), 0);
    PartBatch::mergeParts = true;
    for (const bool selected : {true, false}) {
        selected ? unit.select() : unit.deselect();
        GlCalls::reset();
        unit.draw();
        EXPECT_EQ(GlCalls::count("glDrawElements"), selected ? 1 : 0);
    }
}

// Neighbouring parts merge into one call only while they share a colour: the lower left and the
// upper right triangle keep their own, one call or two.
TEST_F(UnitGL, MergedPartsOfDifferentColoursKeepTheirColours) {
    // The batch keeps pointers to its meshes for the life of the process.
    static const Mesh red({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, {}, {1, 0, 0, 1}, GL_TRIANGLES);
    static const Mesh blue({0, 0, 0, -1, 0, 0, 0, -1, 0}, {0, 1, 2}, {}, {0, 0, 1, 1},
                           GL_TRIANGLES);
    Unit unit;
    for (const auto& [name, mesh] : {std::pair{"a", &red}, std::pair{"b", &blue}}) {
        SceneObject part;
        part.mesh = mesh;
        unit.storePart(name, part);
    }
    for (const bool merged : {false, true}) {
        PartBatch::mergeParts = merged;
        glClear(GL_COLOR_BUFFER_BIT);
        unit.draw();
        PartBatch::mergeParts = true;
        EXPECT_EQ(rgbAt(40, 40), (std::array<int, 3>{255, 0, 0})) << "merged " << merged;
        EXPECT_EQ(rgbAt(24, 24), (std::array<int, 3>{0, 0, 255})) << "merged " << merged;
    }
}

// Lit, merged parts show each face as its part turns it, as drawn one by one: the white light
// shines along -z, so the upright triangle (upper right) is lit full and one turned half round y
// (upper left) faces away; one turned half round z (lower left) still faces the light.
TEST_F(UnitGL, MergedPartsAreLitAsTheirPartsFace) {
    static const Mesh white({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, {}, {1, 1, 1, 1}, GL_TRIANGLES);
    struct Case {
        Vector3 turn;
        int x, y;  // a pixel of the turned triangle
        bool facesAway;
    };
    const Case cases[] = {{{0, 0, 180}, 24, 24, false}, {{0, 180, 0}, 24, 40, true}};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    for (const Case& c : cases) {
        Unit unit;
        SceneObject upright;
        upright.mesh = &white;
        unit.storePart("a", upright);
        SceneObject turned = upright;
        turned.angles = c.turn;
        unit.storePart("b", turned);
        std::array<int, 3> seen[2][2];
        for (const bool merged : {false, true}) {
            PartBatch::mergeParts = merged;
            glClear(GL_COLOR_BUFFER_BIT);
            unit.draw();
            PartBatch::mergeParts = true;
            seen[merged][0] = rgbAt(40, 40);
            seen[merged][1] = rgbAt(c.x, c.y);
        }
        EXPECT_EQ(seen[true][0], seen[false][0]) << "turned " << c.turn.y << ", " << c.turn.z;
        EXPECT_EQ(seen[true][1], seen[false][1]) << "turned " << c.turn.y << ", " << c.turn.z;
        EXPECT_EQ(seen[false][1] < seen[false][0], c.facesAway) << "the light makes no difference";
    }
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
}

}  // namespace
}  // namespace zelmor
