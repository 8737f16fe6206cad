#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "geometry/Vector3.h"

// One fixed, seeded set of cameras, lenses, window sizes and window points, the same on every
// platform: the GL test holds our view arithmetic against Mesa and GLU on it, and the unit test
// pins a hash of our values over it so that Windows and the browser are held to Linux's bits.
// Header-only, so that the Node build of the unit tests needs no extra source.
namespace zelmor::test {

// splitmix64, scaled with exact operations only: the standard library's distributions are not
// the same across standard libraries.
class CaseRandom {
public:
    explicit CaseRandom(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // In [0, 1).
    double unit() { return double(next() >> 11) * 0x1.0p-53; }
    double between(double low, double high) { return low + (high - low) * unit(); }
    int below(int n) { return int(next() % uint64_t(n)); }
    bool chance(int percent) { return below(100) < percent; }
    // Any sign and any magnitude from far below the smallest float to far beyond the largest,
    // so zeros, denormals and infinities come out too.
    float anyMagnitude() {
        // One draw per statement: the order in which arguments are evaluated is not fixed.
        const double sign = chance(50) ? -1.0 : 1.0;
        const double mantissa = 1.0 + unit();
        const int exponent = below(300) - 160;
        return float(sign * std::ldexp(mantissa, exponent));
    }
    template <class T>
    T pick(const std::vector<T>& values) {
        return values[below(int(values.size()))];
    }

private:
    uint64_t state_;
};

struct CameraCase {
    Vector3 position;
    Vector3 lookOffset;
};

// The camera's lens fields, floats as the camera keeps them.
struct LensCase {
    float fieldOfView;
    float nearPlane;
    float farPlane;
};

// A window's client size, and the aspect ratio the view computes from it.
struct SizeCase {
    int width;
    int height;
    double aspect() const { return double(width) / double(height); }
};

// A window point under one camera, lens and window size (indices into ViewCases), at a depth
// from 0 (near) to 1 (far; the depth picking uses).
struct PickCase {
    int camera;
    int lens;
    int size;
    int x;
    int y;
    double depth;
};

// A lens on a window of one size (indices into ViewCases).
struct LensOnSize {
    int lens;
    int size;
};

struct ViewCases {
    std::vector<CameraCase> cameras;
    std::vector<LensCase> lenses;
    std::vector<SizeCase> sizes;
    // Each lens on three sizes.
    std::vector<LensOnSize> projections;
    std::vector<PickCase> picks;
    // Sizes handed to glViewport one after the other; some negative, which GL refuses.
    std::vector<SizeCase> viewportRequests;
};

inline const std::vector<float>& oddFloats() {
    static const std::vector<float> values{0.0f,
                                           -0.0f,
                                           1.0f,
                                           -1.0f,
                                           1e-45f,
                                           -1e-38f,
                                           1e30f,
                                           3.4e38f,
                                           -3.4e38f,
                                           std::numeric_limits<float>::infinity(),
                                           -std::numeric_limits<float>::infinity(),
                                           std::numeric_limits<float>::quiet_NaN()};
    return values;
}

inline std::vector<CameraCase> makeCameras(CaseRandom& random) {
    std::vector<CameraCase> cameras;
    // Over a field, looking down at it from a height.
    for (int i = 0; i < 300; ++i) {
        const Vector3 eye{float(random.between(-200, 200)), float(random.between(0.5, 60)),
                          float(random.between(-200, 200))};
        const Vector3 look{float(random.between(-20, 20)), float(random.between(-30, 5)),
                           float(random.between(-20, 20))};
        cameras.push_back({eye, look});
    }
    // Straight down or up: the up vector becomes (1, 0, 0).
    for (int i = 0; i < 40; ++i) {
        const Vector3 eye{float(random.between(-200, 200)), float(random.between(-10, 60)),
                          float(random.between(-200, 200))};
        const float reach = float(random.between(0.001, 50));
        cameras.push_back({eye, {0.0f, random.chance(80) ? -reach : reach, 0.0f}});
    }
    // Any magnitude in any component.
    for (int i = 0; i < 100; ++i) {
        cameras.push_back({{random.anyMagnitude(), random.anyMagnitude(), random.anyMagnitude()},
                           {random.anyMagnitude(), random.anyMagnitude(), random.anyMagnitude()}});
    }
    // Zeros, signed zeros, the largest floats, infinities and NaN, mixed with plain values.
    for (int i = 0; i < 80; ++i) {
        auto component = [&random] {
            return random.chance(60) ? random.pick(oddFloats()) : float(random.between(-50, 50));
        };
        cameras.push_back(
            {{component(), component(), component()}, {component(), component(), component()}});
    }
    const float inf = std::numeric_limits<float>::infinity();
    cameras.push_back({{0, 0, 0}, {0, 0, 0}});
    cameras.push_back({{0, 0, 0}, {inf, 0, 0}});
    cameras.push_back({{0, 0, 0}, {0, -inf, 0}});
    cameras.push_back({{0, 0, 0}, {0, 0, -1}});
    cameras.push_back({{-0.0f, 0, 0}, {0, 0, -1}});
    cameras.push_back({{5, 8, 5}, {1, -1, 1}});
    cameras.push_back({{1e8f, 10, 0}, {0.001f, -10, 0}});
    return cameras;
}

inline std::vector<LensCase> makeLenses(CaseRandom& random) {
    std::vector<LensCase> lenses;
    for (int i = 0; i < 200; ++i) {
        const float nearPlane = float(random.between(0.01, 10));
        lenses.push_back({float(random.between(0.5, 179.5)), nearPlane,
                          float(nearPlane + random.between(0.5, 5000))});
    }
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float fov : {0.0f, -0.0f, 180.0f, -60.0f, 360.0f, 720.0f, 1e-30f, 1e-45f, 179.99998f,
                      90.0f, 3.4e38f, inf, -inf, nan}) {
        lenses.push_back({fov, 0.1f, 100.0f});
    }
    const LensCase odd[] = {{60, 1, 1},           {60, 100, 0.1f},      {60, 0, 100},
                            {60, -1, 100},        {60, 0.1f, inf},      {60, nan, 100},
                            {60, 3e38f, 3.4e38f}, {60, 1e-45f, 2e-45f}, {60, -0.0f, 0.0f},
                            {60, 0.1f, -inf},     {60, -inf, inf},      {60, 0.1f, 1e-45f}};
    lenses.insert(lenses.end(), std::begin(odd), std::end(odd));
    for (int i = 0; i < 40; ++i) {
        lenses.push_back({random.anyMagnitude(), random.anyMagnitude(), random.anyMagnitude()});
    }
    return lenses;
}

inline std::vector<SizeCase> makeSizes(CaseRandom& random) {
    std::vector<SizeCase> sizes;
    for (int i = 0; i < 150; ++i) {
        sizes.push_back({1 + random.below(4096), 1 + random.below(4096)});
    }
    // The window procedure passes 16-bit sizes: 0 (minimised) up to 65535.
    const SizeCase odd[] = {{640, 480},   {632, 446}, {1, 1},         {0, 480},
                            {640, 0},     {0, 0},     {16384, 16384}, {16385, 100},
                            {100, 16385}, {65535, 1}, {1, 65535},     {65535, 65535}};
    sizes.insert(sizes.end(), std::begin(odd), std::end(odd));
    return sizes;
}

inline int windowCoordinate(CaseRandom& random, int extent) {
    const int roll = random.below(10);
    if (roll < 7) {
        return random.below(extent + 1);
    }
    if (roll < 9) {
        return int(random.between(-2.0 * extent - 10, 3.0 * extent + 10));
    }
    return random.chance(50) ? -32768 - random.below(32768) : 65535 + random.below(65535);
}

inline ViewCases makeViewCases() {
    CaseRandom random(0x5EED2026u);
    ViewCases cases;
    cases.cameras = makeCameras(random);
    cases.lenses = makeLenses(random);
    cases.sizes = makeSizes(random);
    const int sizeCount = int(cases.sizes.size());
    for (int lens = 0; lens < int(cases.lenses.size()); ++lens) {
        for (int size : {lens, 7 * lens + 3, 13 * lens + 5}) {
            cases.projections.push_back({lens, size % sizeCount});
        }
    }
    for (int i = 0; i < 4000; ++i) {
        PickCase pick{random.below(int(cases.cameras.size())),
                      random.below(int(cases.lenses.size())),
                      random.below(int(cases.sizes.size())),
                      0,
                      0,
                      1.0};
        const SizeCase& size = cases.sizes[pick.size];
        pick.x = windowCoordinate(random, size.width);
        pick.y = windowCoordinate(random, size.height);
        pick.depth = random.chance(90) ? 1.0 : random.pick(std::vector<double>{0.0, 0.5});
        cases.picks.push_back(pick);
    }
    for (const SizeCase& size : cases.sizes) {
        cases.viewportRequests.push_back(size);
        if (random.chance(15)) {
            const int bad = random.pick(std::vector<int>{-1, -640, -65535, -2147483647 - 1});
            cases.viewportRequests.push_back(random.chance(50) ? SizeCase{bad, size.height}
                                                               : SizeCase{size.width, bad});
        }
    }
    return cases;
}

}  // namespace zelmor::test
