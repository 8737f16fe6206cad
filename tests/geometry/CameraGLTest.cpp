#include "geometry/Camera.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <vector>

#include "tests/support/GlCalls.h"
#include "tests/support/GlContext.h"

namespace zelmor {
namespace {

using test::GlCalls;

class CameraGL : public test::GlTest {
protected:
    static void setProjection(double fovy, double aspect) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(fovy, aspect, 0.1, 100);
        glMatrixMode(GL_MODELVIEW);
        GlCalls::reset();
    }

    static std::array<float, 16> modelview() {
        std::array<float, 16> m{};
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
        return m;
    }

    static std::vector<double> lookAtArgs() {
        const auto calls = GlCalls::named("gluLookAt");
        return calls.empty() ? std::vector<double>{} : calls.back().args;
    }
};

TEST_F(CameraGL, ApplyBuildsTheViewOnlyOncePerChange) {
    Camera camera;
    EXPECT_EQ(camera.nearPlane(), 0.1f);
    EXPECT_TRUE(camera.changed()) << "a new camera is built on its first apply";
    camera.setPosition({5, 8, 5});
    camera.setLookOffset({1, -1, 1});
    camera.apply();
    EXPECT_EQ(GlCalls::names(), (std::vector<std::string>{"glLoadIdentity", "gluLookAt"}));
    EXPECT_EQ(lookAtArgs(), (std::vector<double>{5, 8, 5, 6, 7, 6, 0, 1, 0}));
    EXPECT_FALSE(camera.changed());

    // Another apply leaves whatever the modelview holds now.
    glTranslatef(3, 0, 0);
    const auto before = modelview();
    GlCalls::reset();
    camera.apply();
    EXPECT_TRUE(GlCalls::log().empty());
    EXPECT_EQ(modelview(), before);
}

TEST_F(CameraGL, EverySetterRebuildsEvenWithTheSameValue) {
    Camera camera;
    camera.setLookOffset({0, 0, -1});
    setProjection(60, 4.0 / 3.0);
    camera.apply();
    EXPECT_FALSE(camera.isInFrustum({10, 0, -1}));

    // A wider lens alone is not seen by the frustum until the camera is applied anew ...
    setProjection(170, 4.0 / 3.0);
    camera.apply();
    EXPECT_FALSE(camera.isInFrustum({10, 0, -1}));

    // ... and setting the far plane to the value it already has is such a change.
    camera.setFarPlane(camera.farPlane());
    EXPECT_TRUE(camera.changed());
    camera.apply();
    EXPECT_EQ(GlCalls::count("gluLookAt"), 1);
    EXPECT_TRUE(camera.isInFrustum({10, 0, -1}));

    const auto setters = std::vector<void (*)(Camera&)>{
        [](Camera& c) { c.setPosition(c.position()); },
        [](Camera& c) { c.setLookOffset(c.lookOffset()); },
        [](Camera& c) { c.setFieldOfView(c.fieldOfView()); },
        [](Camera& c) { c.setNearPlane(c.nearPlane()); },
    };
    for (auto set : setters) {
        camera.apply();
        GlCalls::reset();
        set(camera);
        camera.apply();
        EXPECT_EQ(GlCalls::count("gluLookAt"), 1);
    }
}

TEST_F(CameraGL, LooksStraightDownOnlyWhenXAndZMatchExactly) {
    Camera camera;
    camera.setPosition({0, 10, 0});
    camera.setLookOffset({0, -10, 0});
    EXPECT_EQ(camera.upVector(), Vector3(1, 0, 0));
    camera.apply();
    EXPECT_EQ(lookAtArgs(), (std::vector<double>{0, 10, 0, 0, 0, 0, 1, 0, 0}));
    // With the sideways up vector the view is sound: nothing NaN in the matrix.
    for (float v : modelview()) {
        EXPECT_TRUE(std::isfinite(v));
    }

    camera.setLookOffset({0.001f, -10, 0});
    EXPECT_EQ(camera.upVector(), Vector3(0, 1, 0));
    camera.apply();
    EXPECT_EQ(lookAtArgs()[6], 0.0);
    EXPECT_EQ(lookAtArgs()[7], 1.0);

    // Far from the origin a small offset vanishes in the float sum: still straight down.
    camera.setPosition({1e8f, 10, 0});
    EXPECT_EQ(camera.upVector(), Vector3(1, 0, 0));
}

TEST_F(CameraGL, FrustumIsAPyramidFromTheEye) {
    setProjection(60, 4.0 / 3.0);
    Camera camera;
    camera.setLookOffset({0, 0, -1});
    camera.apply();
    EXPECT_EQ(lookAtArgs(), (std::vector<double>{0, 0, 0, 0, 0, -1, 0, 1, 0}));
    EXPECT_TRUE(camera.isInFrustum({0, 0, -1000}));
    EXPECT_TRUE(camera.isInFrustum({0, 0, -0.01f}));
    EXPECT_FALSE(camera.isInFrustum({0, 0, 5}));
    // Half the vertical angle is 30 degrees: tan 30 = 0.577 at distance 1.
    EXPECT_TRUE(camera.isInFrustum({0, 0.55f, -1}));
    EXPECT_FALSE(camera.isInFrustum({0, 0.6f, -1}));
    EXPECT_TRUE(camera.isInFrustum({0.75f, 0, -1}));
    EXPECT_FALSE(camera.isInFrustum({0.8f, 0, -1}));
    for (const Plane& p : camera.frustum().planes()) {
        EXPECT_NEAR(p.a * p.a + p.b * p.b + p.c * p.c, 1.0f, 1e-5f);
    }
}

TEST_F(CameraGL, FrustumFollowsTheCameraInWorldCoordinates) {
    setProjection(60, 4.0 / 3.0);
    Camera camera;
    camera.setPosition({20, 5, 20});
    camera.setLookOffset({1, 0, 0});
    camera.apply();
    EXPECT_TRUE(camera.isInFrustum({60, 5, 20}));
    EXPECT_FALSE(camera.isInFrustum({0, 5, 20}));
    EXPECT_FALSE(camera.isInFrustum({30, 5, 40}));

    camera.setLookOffset({0, 0, 1});
    camera.apply();
    EXPECT_TRUE(camera.isInFrustum({20, 5, 60}));
    EXPECT_FALSE(camera.isInFrustum({60, 5, 20}));
}

}  // namespace
}  // namespace zelmor
