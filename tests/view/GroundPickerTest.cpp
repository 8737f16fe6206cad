#include "view/GroundPicker.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "geometry/Matrix4.h"
#include "geometry/Unprojection.h"

namespace zelmor {
namespace {

constexpr std::array<int, 4> VIEWPORT{0, 0, 640, 480};

// A picker looking from the camera's eye along its look offset, with the default lens.
struct Scene {
    Camera camera;
    GroundPicker picker;

    Scene(const Vector3& eye, const Vector3& lookOffset) {
        camera.setPosition(eye);
        camera.setLookOffset(lookOffset);
        picker.setModelview(camera.viewMatrix().toDoubles());
        picker.setProjection(Matrix4::perspective(60, 640.0 / 480.0, 0.1, 100).toDoubles());
        picker.setViewport(VIEWPORT);
        picker.setCamera(&camera);
    }
};

TEST(GroundPicker, WindowCentreMeetsTheGroundWhereTheCameraLooks) {
    Scene scene({0, 10, 10}, {0, -10, -10});
    const Vector3 centre = scene.picker.unproject(320, 240);
    EXPECT_NEAR(centre.x, 0.0f, 1e-3f);
    EXPECT_EQ(centre.y, 0.0f);
    EXPECT_NEAR(centre.z, 0.0f, 1e-3f);

    // Left of centre lands left (-x), lower in the window lands nearer the eye (+z).
    const Vector3 left = scene.picker.unproject(100, 240);
    EXPECT_LT(left.x, -1.0f);
    const Vector3 low = scene.picker.unproject(320, 20);
    EXPECT_GT(low.z, 1.0f);
    EXPECT_LT(low.z, 10.0f);
}

TEST(GroundPicker, SamePointReturnsTheCachedResultEvenAfterTheCameraMoved) {
    Scene scene({0, 10, 10}, {0, -10, -10});
    const Vector3 first = scene.picker.unproject(400, 300);
    scene.camera.setPosition({50, 10, 10});
    EXPECT_EQ(scene.picker.unproject(400, 300), first);
    // A new point is computed from the eye as it is now.
    const Vector3 moved = scene.picker.unproject(400, 301);
    EXPECT_GT(moved.x, first.x + 40.0f);
}

TEST(GroundPicker, AnswersZeroWithoutCameraOrAtTheInitialPoint) {
    GroundPicker bare;
    bare.setViewport(VIEWPORT);
    EXPECT_EQ(bare.unproject(320, 240), Vector3());

    // The corner (0, 0) matches the initial cached point, so nothing is computed for it.
    Scene scene({0, 10, 10}, {0, -10, -10});
    EXPECT_EQ(scene.picker.unproject(0, 0), Vector3());
    const Vector3 beside = scene.picker.unproject(1, 0);
    EXPECT_NE(beside, Vector3());
    const Vector3 corner = scene.picker.unproject(0, 0);
    EXPECT_NE(corner, Vector3());
    EXPECT_LT(corner.x, beside.x);
}

TEST(GroundPicker, PointAboveTheHorizonLandsBehindTheEye) {
    // Looking along -z, tilted slightly down: the top of the window shows the sky.
    Scene scene({0, 10, 0}, {0, -1, -10});
    const Vector3 ground = scene.picker.unproject(320, 10);
    EXPECT_LT(ground.z, 0.0f);
    const Vector3 sky = scene.picker.unproject(320, 470);
    EXPECT_EQ(sky.y, 0.0f);
    EXPECT_GT(sky.z, 0.0f);
}

TEST(GroundPicker, RayParallelToTheGroundKeepsTheCachedResult) {
    Scene scene({0, 5, 0}, {0, 0, -1});
    const Unprojection far = Unprojection::of(320, 240, 1.0, scene.picker.modelview(),
                                              scene.picker.projection(), VIEWPORT);
    ASSERT_TRUE(far.found);
    ASSERT_EQ(static_cast<float>(far.y), 5.0f) << "the centre ray must run level with the eye";

    const Vector3 below = scene.picker.unproject(320, 100);
    ASSERT_NE(below, Vector3());
    EXPECT_EQ(scene.picker.unproject(320, 240), below);
    EXPECT_EQ(scene.picker.unproject(320, 240), below);
}

TEST(GroundPicker, UnusableMatricesKeepTheCachedResult) {
    Scene scene({0, 10, 10}, {0, -10, -10});
    const Vector3 good = scene.picker.unproject(320, 240);
    // A singular projection cannot be inverted.
    scene.picker.setProjection(std::array<double, 16>{});
    EXPECT_EQ(scene.picker.unproject(10, 10), good);
    // An empty viewport turns the window point into infinities.
    scene.picker.setProjection(Matrix4::perspective(60, 640.0 / 480.0, 0.1, 100).toDoubles());
    scene.picker.setViewport({0, 0, 0, 0});
    const Vector3 kept = scene.picker.unproject(20, 20);
    EXPECT_EQ(kept, good);
    EXPECT_TRUE(std::isfinite(kept.x) && std::isfinite(kept.z));
}

}  // namespace
}  // namespace zelmor
