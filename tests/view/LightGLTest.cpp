#include "view/Light.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <vector>

#include "tests/support/GlCalls.h"
#include "tests/support/GlContext.h"

namespace zelmor {
namespace {

using test::GlCalls;

using LightGL = test::GlTest;

TEST_F(LightGL, DefaultLightMakesNoCall) {
    const Light light;
    EXPECT_EQ(light.flags, 0);
    light.apply();
    EXPECT_TRUE(GlCalls::log().empty());
}

TEST_F(LightGL, PositionedLightIsAPointLight) {
    const Light light = Light::atPosition({1, 2, 3});
    EXPECT_EQ(light.flags, Light::HAS_POSITION);
    light.apply();
    const auto calls = GlCalls::named("glLightfv");
    ASSERT_EQ(GlCalls::log().size(), 1u);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, (std::vector<double>{GL_LIGHT0, GL_POSITION, 1, 2, 3, 1}));

    // The current view carries the position into eye space.
    glTranslatef(10, 0, 0);
    light.apply();
    std::array<float, 4> eye{};
    glGetLightfv(GL_LIGHT0, GL_POSITION, eye.data());
    EXPECT_EQ(eye, (std::array<float, 4>{11, 2, 3, 1}));
}

TEST_F(LightGL, PresentPartsGoToLightZeroInOrder) {
    Light light;
    light.position = {4, 5, 6};
    light.ambient = {0.1f, 0.2f, 0.3f, 1};
    light.diffuse = {0.5f, 0.6f, 0.7f, 0.8f};
    light.flags = Light::HAS_POSITION | Light::HAS_AMBIENT | Light::HAS_DIFFUSE;
    light.apply();
    const auto calls = GlCalls::named("glLightfv");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].args[1], GL_POSITION);
    EXPECT_EQ(calls[1].args, (std::vector<double>{GL_LIGHT0, GL_AMBIENT, 0.1f, 0.2f, 0.3f, 1}));
    EXPECT_EQ(calls[2].args, (std::vector<double>{GL_LIGHT0, GL_DIFFUSE, 0.5f, 0.6f, 0.7f, 0.8f}));
    std::array<float, 4> diffuse{};
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse.data());
    EXPECT_EQ(diffuse, light.diffuse);

    // Only the parts that are present: a colour without a position leaves the position alone.
    GlCalls::reset();
    light.flags = Light::HAS_DIFFUSE;
    light.apply();
    ASSERT_EQ(GlCalls::log().size(), 1u);
    EXPECT_EQ(GlCalls::log()[0].args[1], GL_DIFFUSE);
}

}  // namespace
}  // namespace zelmor
