#include "geometry/Camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace zelmor {
namespace {

Matrix4 lens(double fovy, double aspect) {
    return Matrix4::perspective(fovy, aspect, 0.1, 100);
}

TEST(Camera, ANewCameraIsChangedAndApplyBuildsItsViewOnce) {
    Camera camera;
    EXPECT_EQ(camera.fieldOfView(), 60.0f);
    EXPECT_EQ(camera.nearPlane(), 0.1f);
    EXPECT_EQ(camera.farPlane(), 100.0f);
    EXPECT_TRUE(camera.changed()) << "a new camera is built on its first apply";
    EXPECT_EQ(camera.appliedView().values(), Matrix4().values()) << "GL starts with the identity";
    camera.setPosition({5, 8, 5});
    camera.setLookOffset({1, -1, 1});
    camera.apply();
    EXPECT_FALSE(camera.changed());
    EXPECT_EQ(camera.appliedView().values(),
              Matrix4::lookAt({5, 8, 5}, {6, 7, 6}, {0, 1, 0}).values());
}

// A new projection is seen by the frustum only when the camera is applied after a change, and
// every setter is such a change, also with the value the camera already has.
TEST(Camera, EverySetterRebuildsTheFrustumEvenWithTheSameValue) {
    const std::vector<std::function<void(Camera&)>> setters = {
        [](Camera& c) { c.setPosition(c.position()); },
        [](Camera& c) { c.setLookOffset(c.lookOffset()); },
        [](Camera& c) { c.setFieldOfView(c.fieldOfView()); },
        [](Camera& c) { c.setNearPlane(c.nearPlane()); },
        [](Camera& c) { c.setFarPlane(c.farPlane()); },
    };
    for (std::size_t i = 0; i < setters.size(); ++i) {
        Camera camera;
        camera.setLookOffset({0, 0, -1});
        camera.setProjection(lens(60, 4.0 / 3.0));
        camera.apply();
        EXPECT_FALSE(camera.isInFrustum({10, 0, -1})) << i;
        camera.setProjection(lens(170, 4.0 / 3.0));
        camera.apply();
        EXPECT_FALSE(camera.isInFrustum({10, 0, -1})) << i << ": the wider lens alone";
        setters[i](camera);
        EXPECT_TRUE(camera.changed()) << i;
        camera.apply();
        EXPECT_TRUE(camera.isInFrustum({10, 0, -1})) << i;
    }
}

TEST(Camera, LooksStraightDownOnlyWhenXAndZMatchExactly) {
    Camera camera;
    camera.setPosition({0, 10, 0});
    camera.setLookOffset({0, -10, 0});
    EXPECT_EQ(camera.upVector(), Vector3(1, 0, 0));
    camera.apply();
    // With the sideways up vector the view is sound: nothing NaN in the matrix.
    for (float v : camera.appliedView().values()) {
        EXPECT_TRUE(std::isfinite(v));
    }
    camera.setLookOffset({0.001f, -10, 0});
    EXPECT_EQ(camera.upVector(), Vector3(0, 1, 0));
    // Far from the origin a small offset vanishes in the float sum: still straight down.
    camera.setPosition({1e8f, 10, 0});
    EXPECT_EQ(camera.upVector(), Vector3(1, 0, 0));
    // Half a float step above 1 rounds back to 1 (ties to even); half a step below it does not.
    camera.setPosition({1, 10, 0});
    camera.setLookOffset({0x1p-24f, -10, 0});
    EXPECT_EQ(camera.upVector(), Vector3(1, 0, 0));
    camera.setLookOffset({-0x1p-24f, -10, 0});
    EXPECT_EQ(camera.upVector(), Vector3(0, 1, 0));
}

TEST(Camera, TheFrustumIsAPyramidFromTheEyeInWorldCoordinates) {
    Camera camera;
    camera.setProjection(lens(60, 4.0 / 3.0));
    camera.setLookOffset({0, 0, -1});
    camera.apply();
    EXPECT_TRUE(camera.isInFrustum({0, 0, -1000}));
    EXPECT_TRUE(camera.isInFrustum({0, 0, -0.01f})) << "nearer than the near plane";
    EXPECT_FALSE(camera.isInFrustum({0, 0, 5})) << "behind the eye";
    // Half the vertical angle is 30 degrees: tan 30 = 0.577 at distance 1.
    EXPECT_TRUE(camera.isInFrustum({0, 0.55f, -1}));
    EXPECT_FALSE(camera.isInFrustum({0, 0.6f, -1}));
    EXPECT_TRUE(camera.isInFrustum({0.75f, 0, -1}));
    EXPECT_FALSE(camera.isInFrustum({0.8f, 0, -1}));
    for (const Plane& p : camera.frustum().planes()) {
        EXPECT_NEAR(p.a * p.a + p.b * p.b + p.c * p.c, 1.0f, 1e-5f);
    }

    camera.setPosition({20, 5, 20});
    camera.setLookOffset({1, 0, 0});
    camera.apply();
    EXPECT_TRUE(camera.isInFrustum({60, 5, 20}));
    EXPECT_FALSE(camera.isInFrustum({0, 5, 20}));
    EXPECT_FALSE(camera.isInFrustum({30, 5, 40}));
}

}  // namespace
}  // namespace zelmor
