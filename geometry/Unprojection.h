#pragma once

#include <array>

namespace zelmor {

// The point that gluUnProject gives for a window point: window x and y (y counted upwards from
// the bottom edge) and a depth from 0 (near plane) to 1 (far plane), taken back through the
// viewport, the projection and the model-view into the model-view's source space (world
// coordinates for a pure view). Computed with the GLU library's own formulas in double, so that
// every platform picks the same point.
struct Unprojection {
    // False where gluUnProject fails: projection * model-view has a determinant of exactly 0,
    // or the point comes out with w = 0. The point is then (0, 0, 0).
    bool found = false;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    // Matrices column-major, as glGetDoublev reads them; viewport x, y, width, height.
    static Unprojection of(double windowX, double windowY, double windowZ,
                           const std::array<double, 16>& modelview,
                           const std::array<double, 16>& projection,
                           const std::array<int, 4>& viewport);
};

}  // namespace zelmor
