#include <GL/gl.h>
#include <gtest/gtest.h>

#include "scene/Mesh.h"
#include "sim/SelectionBox.h"
#include "tests/support/GlCalls.h"
#include "tests/support/GlContext.h"

namespace zelmor {
namespace {

using test::GlCalls;

class SelectionBoxGL : public test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        SelectionBox::pulseLevel = 0.0f;
        SelectionBox::pulseStep = 0.01f;
    }
};

TEST_F(SelectionBoxGL, InactiveBoxDrawsNothingAndKeepsThePulse) {
    SelectionBox box;
    box.drag({3.0f, 0.0f, 3.0f});
    box.draw();
    EXPECT_TRUE(GlCalls::log().empty());
    EXPECT_EQ(SelectionBox::pulseLevel, 0.0f);
}

TEST_F(SelectionBoxGL, OutlineIsOneLineLoopAboveTheGround) {
    SelectionBox box;
    box.setActive(true);
    box.begin({1.0f, 0.0f, 2.0f});
    box.drag({-3.0f, 0.0f, 5.0f});
    box.draw();
    const std::vector<std::string> expected = {
        "glColor4f", "glBegin", "glVertex3f", "glVertex3f", "glVertex3f", "glVertex3f", "glEnd"};
    ASSERT_EQ(GlCalls::names(), expected);
    EXPECT_EQ(GlCalls::named("glBegin")[0].args, std::vector<double>{GL_LINE_LOOP});
    const auto vertices = GlCalls::named("glVertex3f");
    EXPECT_EQ(vertices[0].args, (std::vector<double>{1.0, 0.5, 2.0}));
    EXPECT_EQ(vertices[1].args, (std::vector<double>{1.0, 0.5, 5.0}));
    EXPECT_EQ(vertices[2].args, (std::vector<double>{-3.0, 0.5, 5.0}));
    EXPECT_EQ(vertices[3].args, (std::vector<double>{-3.0, 0.5, 2.0}));
    EXPECT_EQ(GlCalls::named("glColor4f")[0].args, (std::vector<double>{0.01f, 0.01f, 0.01f, 1.0}));
}

// The grey level climbs by 0.01 per drawn frame, overshoots 1 by a rounding hair on frame 101,
// falls back and dips just under 0 on frame 203; the shared pulse continues across boxes.
TEST_F(SelectionBoxGL, PulseTurnsAtBothEndsOfTheRange) {
    SelectionBox first;
    SelectionBox second;
    first.setActive(true);
    second.setActive(true);
    for (int frame = 1; frame <= 203; ++frame) {
        (frame % 2 == 0 ? second : first).draw();
    }
    std::vector<double> level;
    for (const auto& call : GlCalls::named("glColor4f")) {
        ASSERT_EQ(call.args[0], call.args[1]);
        ASSERT_EQ(call.args[0], call.args[2]);
        level.push_back(call.args[0]);
    }
    ASSERT_EQ(level.size(), 203u);
    EXPECT_LT(level[99], 1.0) << "frame 100 stays below 1";
    EXPECT_GE(level[100], 1.0) << "frame 101 reaches 1";
    EXPECT_LT(level[101], level[100]) << "frame 102 falls";
    EXPECT_GT(level[201], 0.0) << "frame 202 stays above 0";
    EXPECT_LT(level[202], 0.0) << "frame 203 dips below 0";
    for (int i = 1; i < 203; ++i) {
        const bool rising = i <= 100;
        EXPECT_NEAR(level[i] - level[i - 1], rising ? 0.01 : -0.01, 1e-5) << "frame " << i + 1;
    }
    EXPECT_EQ(SelectionBox::pulseStep, 0.01f) << "rising again after frame 203";
}

TEST_F(SelectionBoxGL, AMeshDrawnAfterTheOutlineSetsItsColourAgain) {
    const Mesh red({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, {}, {1, 0, 0, 1}, GL_TRIANGLES);
    SelectionBox box;
    box.setActive(true);
    red.draw();
    box.draw();
    GlCalls::reset();
    red.draw();  // same mesh as last time, but the outline's grey is the current colour now
    ASSERT_EQ(GlCalls::named("glColor4f").size(), 1u);
    EXPECT_EQ(GlCalls::named("glColor4f")[0].args, (std::vector<double>{1, 0, 0, 1}));
}

}  // namespace
}  // namespace zelmor
