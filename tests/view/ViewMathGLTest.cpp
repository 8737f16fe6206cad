// Our view arithmetic against the real calls on Linux's Mesa and GLU, bit for bit, over the
// seeded cases the unit test pins: the model-view of gluLookAt, the projection of gluPerspective,
// the viewport glViewport leaves, the frustum planes of the matrices read back, and the points
// gluUnProject finds, there also through matrices with no zero in them. Only this pair of
// libraries is the reference, so the Windows build leaves this test out.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <type_traits>

#include "geometry/Camera.h"
#include "geometry/Frustum.h"
#include "geometry/Matrix4.h"
#include "geometry/Unprojection.h"
#include "geometry/Viewport.h"
#include "tests/support/GlCalls.h"
#include "tests/support/GlContext.h"
#include "tests/support/ViewCases.h"

namespace zelmor {
namespace {

using test::CameraCase;
using test::LensCase;
using test::SizeCase;

// The same bits (so 0 does not match -0), or both NaN. Where two NaNs meet in one operation, x86
// keeps the one its instruction names first, so the sign of Mesa's and GLU's NaN follows the
// operand order their compiler chose: no portable code can follow it, and WebAssembly leaves a
// NaN's sign open anyway. No decision of the program looks at it.
template <class T>
bool same(T ours, T gl) {
    if constexpr (std::is_floating_point_v<T>) {
        using Bits = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
        return std::bit_cast<Bits>(ours) == std::bit_cast<Bits>(gl) ||
               (std::isnan(ours) && std::isnan(gl));
    }
    return ours == gl;
}

// " [i] ours ... gl ..." for every element that differs; empty when all agree.
template <class T, size_t N>
std::string differences(const std::array<T, N>& ours, const std::array<T, N>& gl) {
    std::ostringstream out;
    out << std::hexfloat;
    for (size_t i = 0; i < N; ++i) {
        if (!same(ours[i], gl[i])) {
            out << " [" << i << "] ours " << ours[i] << " gl " << gl[i];
        }
    }
    return out.str();
}

// Counts the cases that differ and reports the first few in full.
class Mismatches {
public:
    void check(const std::string& difference, const std::string& what) {
        if (difference.empty()) {
            return;
        }
        if (++count_ <= 10) {
            ADD_FAILURE() << what << ":" << difference;
        }
    }
    int count() const { return count_; }

private:
    int count_ = 0;
};

Camera cameraFor(const CameraCase& c) {
    Camera camera;
    camera.setPosition(c.position);
    camera.setLookOffset(c.lookOffset);
    return camera;
}

std::string describe(const char* kind, size_t index) {
    return std::string(kind) + " " + std::to_string(index);
}

class ViewMathGL : public test::GlTest {
protected:
    void TearDown() override {
        test::GlCalls::reset();
        GlTest::TearDown();
    }

    static const test::ViewCases& cases() {
        static const test::ViewCases all = test::makeViewCases();
        return all;
    }

    // glLoadIdentity and gluLookAt as the camera makes them: centre = eye + look offset.
    static void lookAtByGl(const Camera& camera) {
        const Vector3 eye = camera.position();
        const Vector3 centre = eye + camera.lookOffset();
        const Vector3 up = camera.upVector();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
    }

    // glLoadIdentity and gluPerspective on the projection, as the view makes them.
    static void perspectiveByGl(const LensCase& lens, const SizeCase& size) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(lens.fieldOfView, size.aspect(), lens.nearPlane, lens.farPlane);
        glMatrixMode(GL_MODELVIEW);
    }

    static Matrix4 ours(const LensCase& lens, const SizeCase& size) {
        return Matrix4::perspective(lens.fieldOfView, size.aspect(), lens.nearPlane, lens.farPlane);
    }

    static Matrix4::Floats floatsOf(GLenum matrix) {
        Matrix4::Floats m{};
        glGetFloatv(matrix, m.data());
        return m;
    }

    static Matrix4::Doubles doublesOf(GLenum matrix) {
        Matrix4::Doubles m{};
        glGetDoublev(matrix, m.data());
        return m;
    }

    static std::array<int, 4> viewportOfGl() {
        std::array<int, 4> v{};
        glGetIntegerv(GL_VIEWPORT, v.data());
        return v;
    }
};

TEST_F(ViewMathGL, ModelviewIsWhatGluLookAtBuilds) {
    Mismatches mismatches;
    for (size_t i = 0; i < cases().cameras.size(); ++i) {
        const Camera camera = cameraFor(cases().cameras[i]);
        lookAtByGl(camera);
        mismatches.check(differences(camera.viewMatrix().values(), floatsOf(GL_MODELVIEW_MATRIX)),
                         describe("camera", i));
        test::GlCalls::reset();
    }
    EXPECT_EQ(mismatches.count(), 0) << "of " << cases().cameras.size() << " cameras";
}

TEST_F(ViewMathGL, ProjectionIsWhatGluPerspectiveBuilds) {
    Mismatches mismatches;
    for (size_t i = 0; i < cases().projections.size(); ++i) {
        const LensCase& lens = cases().lenses[cases().projections[i].lens];
        const SizeCase& size = cases().sizes[cases().projections[i].size];
        perspectiveByGl(lens, size);
        // Read back as the view reads it, in double.
        mismatches.check(differences(ours(lens, size).toDoubles(), doublesOf(GL_PROJECTION_MATRIX)),
                         describe("lens on size", i));
    }
    EXPECT_EQ(mismatches.count(), 0) << "of " << cases().projections.size() << " lenses";
}

TEST_F(ViewMathGL, ViewportIsWhatGlViewportLeaves) {
    std::array<int, 2> limits{};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, limits.data());
    EXPECT_EQ(limits, (std::array<int, 2>{Viewport::MAX_SIZE, Viewport::MAX_SIZE}));

    // Each request starts from the one before: a refused size keeps the last viewport.
    Viewport viewport = Viewport().resized(test::GlContext::WIDTH, test::GlContext::HEIGHT);
    Mismatches mismatches;
    for (size_t i = 0; i < cases().viewportRequests.size(); ++i) {
        const SizeCase& size = cases().viewportRequests[i];
        glViewport(0, 0, size.width, size.height);
        const bool refused = size.width < 0 || size.height < 0;
        EXPECT_EQ(glGetError(), GLenum(refused ? GL_INVALID_VALUE : GL_NO_ERROR));
        viewport = viewport.resized(size.width, size.height);
        mismatches.check(differences(viewport.values(), viewportOfGl()),
                         describe("request", i) + " " + std::to_string(size.width) + "x" +
                             std::to_string(size.height));
        test::GlCalls::reset();
    }
    EXPECT_EQ(mismatches.count(), 0) << "of " << cases().viewportRequests.size() << " requests";
}

TEST_F(ViewMathGL, FrustumPlanesAreThoseOfTheMatricesReadBack) {
    Mismatches mismatches;
    for (size_t i = 0; i < cases().picks.size(); ++i) {
        const test::PickCase& pick = cases().picks[i];
        const Camera camera = cameraFor(cases().cameras[pick.camera]);
        const LensCase& lens = cases().lenses[pick.lens];
        const SizeCase& size = cases().sizes[pick.size];
        perspectiveByGl(lens, size);
        lookAtByGl(camera);
        Frustum gl;
        gl.extractFrom(floatsOf(GL_PROJECTION_MATRIX).data(), floatsOf(GL_MODELVIEW_MATRIX).data());
        Frustum ourFrustum;
        ourFrustum.extractFrom(ours(lens, size), camera.viewMatrix());
        mismatches.check(differences(std::bit_cast<std::array<float, 24>>(ourFrustum.planes()),
                                     std::bit_cast<std::array<float, 24>>(gl.planes())),
                         describe("pick", i));
        test::GlCalls::reset();
    }
    EXPECT_EQ(mismatches.count(), 0) << "of " << cases().picks.size() << " views";
}

TEST_F(ViewMathGL, UnprojectionIsWhatGluUnProjectFinds) {
    Mismatches mismatches;
    int found = 0;
    for (size_t i = 0; i < cases().picks.size(); ++i) {
        const test::PickCase& pick = cases().picks[i];
        const Camera camera = cameraFor(cases().cameras[pick.camera]);
        const LensCase& lens = cases().lenses[pick.lens];
        const SizeCase& size = cases().sizes[pick.size];
        perspectiveByGl(lens, size);
        lookAtByGl(camera);
        glViewport(0, 0, size.width, size.height);
        std::array<double, 3> gl{};
        const bool glFound =
            gluUnProject(pick.x, pick.y, pick.depth, doublesOf(GL_MODELVIEW_MATRIX).data(),
                         doublesOf(GL_PROJECTION_MATRIX).data(), viewportOfGl().data(), &gl[0],
                         &gl[1], &gl[2]) == GL_TRUE;

        const Unprojection point = Unprojection::of(
            pick.x, pick.y, pick.depth, camera.viewMatrix().toDoubles(),
            ours(lens, size).toDoubles(), Viewport().resized(size.width, size.height).values());
        const std::string what = describe("pick", i);
        if (point.found != glFound) {
            mismatches.check(point.found ? " found by us only" : " found by GLU only", what);
        } else if (glFound) {
            ++found;
            mismatches.check(differences(std::array<double, 3>{point.x, point.y, point.z}, gl),
                             what);
        }
        test::GlCalls::reset();
    }
    EXPECT_EQ(mismatches.count(), 0) << "of " << cases().picks.size() << " window points";
    // Most points must really be found, or the comparison would prove little.
    EXPECT_GT(found, int(cases().picks.size()) / 2);
}

// The program's cameras leave zeros in their matrices that hide a wrong term of the inverse;
// matrices with no zero at all leave every term to count.
TEST_F(ViewMathGL, UnprojectionThroughMatricesOfNoCameraIsWhatGluUnProjectFinds) {
    std::array<double, 16> modelview{};
    std::array<double, 16> projection{};
    for (int i = 0; i < 16; ++i) {
        modelview[i] = std::sin(i * i + 1.0);
        projection[i] = std::cos(0.7 * i * i + 0.5);
    }
    const std::array<int, 4> viewport{0, 0, 640, 480};
    Mismatches mismatches;
    const std::array<double, 3> points[] = {{0, 0, 0}, {320, 240, 0.5}, {17, 401, 1}};
    for (const auto& [x, y, depth] : points) {
        std::array<double, 3> gl{};
        ASSERT_EQ(gluUnProject(x, y, depth, modelview.data(), projection.data(), viewport.data(),
                               &gl[0], &gl[1], &gl[2]),
                  GL_TRUE);
        const Unprojection point = Unprojection::of(x, y, depth, modelview, projection, viewport);
        ASSERT_TRUE(point.found);
        mismatches.check(differences(std::array<double, 3>{point.x, point.y, point.z}, gl),
                         "window point " + std::to_string(int(x)) + ", " + std::to_string(int(y)));
    }
}

}  // namespace
}  // namespace zelmor
