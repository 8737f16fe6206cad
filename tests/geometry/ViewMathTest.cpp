// The view arithmetic without GL: the model-view, projection, viewport, frustum planes and
// unprojection over the seeded cases of ViewMathGLTest, pinned by a hash per quantity. On Linux
// the GL test proves these values equal to Mesa's and GLU's; the pins then hold the Windows build
// (under wine) and the browser build (under Node) to the same bits. The projection's pin (and so
// the frustum's and the unprojection's) needs the lens's sine and cosine to carry Linux's bits:
// MinGW's C library does not give them (it loses bits near multiples of pi / 2 and for huge
// angles), which is why the view must not take them from the platform.
#include "geometry/Matrix4.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "geometry/Camera.h"
#include "geometry/Frustum.h"
#include "geometry/Unprojection.h"
#include "geometry/Viewport.h"
#include "tests/support/StateHash.h"
#include "tests/support/ViewCases.h"

namespace zelmor {
namespace {

using test::StateHash;

// NaN is hashed as one pattern: WebAssembly leaves the sign and payload of a computed NaN to the
// engine, and no decision of the program looks at them. Everything else, signed zeros included,
// goes in bit for bit.
template <class T>
void addValue(StateHash& hash, T v) {
    hash.add(std::isnan(v) ? std::numeric_limits<T>::quiet_NaN() : v);
}

template <class Values>
void addAll(StateHash& hash, const Values& values) {
    for (const auto v : values) {
        addValue(hash, v);
    }
}

Camera cameraFor(const test::CameraCase& c) {
    Camera camera;
    camera.setPosition(c.position);
    camera.setLookOffset(c.lookOffset);
    return camera;
}

Matrix4 projectionFor(const test::ViewCases& cases, int lens, int size) {
    const test::LensCase& l = cases.lenses[lens];
    return Matrix4::perspective(l.fieldOfView, cases.sizes[size].aspect(), l.nearPlane, l.farPlane);
}

void hashModelviews(const test::ViewCases& cases, StateHash& hash) {
    for (const test::CameraCase& c : cases.cameras) {
        addAll(hash, cameraFor(c).viewMatrix().values());
    }
}

void hashProjections(const test::ViewCases& cases, StateHash& hash) {
    for (const test::LensOnSize& p : cases.projections) {
        addAll(hash, projectionFor(cases, p.lens, p.size).toDoubles());
    }
}

void hashViewports(const test::ViewCases& cases, StateHash& hash) {
    Viewport viewport;
    for (const test::SizeCase& size : cases.viewportRequests) {
        viewport = viewport.resized(size.width, size.height);
        hash.add(viewport.values());
    }
}

void hashFrustums(const test::ViewCases& cases, StateHash& hash) {
    for (const test::PickCase& pick : cases.picks) {
        Frustum frustum;
        frustum.extractFrom(projectionFor(cases, pick.lens, pick.size),
                            cameraFor(cases.cameras[pick.camera]).viewMatrix());
        for (const Plane& p : frustum.planes()) {
            addAll(hash, std::array<float, 4>{p.a, p.b, p.c, p.d});
        }
    }
}

void hashUnprojections(const test::ViewCases& cases, StateHash& hash) {
    for (const test::PickCase& pick : cases.picks) {
        const test::SizeCase& size = cases.sizes[pick.size];
        const Unprojection point =
            Unprojection::of(pick.x, pick.y, pick.depth,
                             cameraFor(cases.cameras[pick.camera]).viewMatrix().toDoubles(),
                             projectionFor(cases, pick.lens, pick.size).toDoubles(),
                             Viewport().resized(size.width, size.height).values());
        hash.add(point.found);
        addAll(hash, std::array<double, 3>{point.x, point.y, point.z});
    }
}

TEST(ViewMath, ValuesOverTheSharedCasesKeepTheirPinnedHashes) {
    struct Quantity {
        const char* name;
        void (*hashOf)(const test::ViewCases&, StateHash&);
        uint64_t pinned;
    };
    const Quantity quantities[] = {
        {"model-view", hashModelviews, 0x10d8438063eb48ffull},
        {"projection", hashProjections, 0x606499549baaac5eull},
        {"viewport", hashViewports, 0xdf9d706793782ee8ull},
        {"frustum", hashFrustums, 0x8e94bb6081642a60ull},
        {"unprojection", hashUnprojections, 0x55f0d10a027692f0ull},
    };
    const test::ViewCases cases = test::makeViewCases();
    for (const Quantity& q : quantities) {
        StateHash hash;
        q.hashOf(cases, hash);
        EXPECT_EQ(hash.value(), q.pinned) << q.name << std::hex << " 0x" << hash.value();
    }
}

// Mesa skips a multiplication by the exact identity; multiplying by it for real would turn an
// infinity into NaN through 0 * infinity. A -0 where the identity has 0 is not skipped.
TEST(ViewMath, OnlyTheExactIdentityIsSkipped) {
    const float inf = std::numeric_limits<float>::infinity();
    const Matrix4 infinite(Matrix4::Floats{inf, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    Matrix4::Floats identity = Matrix4().values();
    EXPECT_EQ(infinite.multiplied(identity).values(), infinite.values());

    identity[1] = -0.0f;
    const Matrix4::Floats product = infinite.multiplied(identity).values();
    EXPECT_EQ(product[0], inf);
    EXPECT_TRUE(std::isnan(product[4])) << "inf * 0 in the second column";
}

}  // namespace
}  // namespace zelmor
