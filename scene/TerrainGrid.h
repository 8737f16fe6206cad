#pragma once

#include <cstdint>
#include <vector>

#include "geometry/Vector3.h"

namespace zelmor {

// A regular grid of points with pseudo-random heights in [0, 1]. Never drawn: it only tilts the
// units that drive over it. Point (i, k) is at index i * depth + k.
class TerrainGrid {
public:
    TerrainGrid() = default;

    static TerrainGrid build(unsigned width, unsigned depth, float spacing);
    // The unit normal (pointing down) of the cell under the ground point. Outside the covered
    // cells the nearest valid cell answers; a grid without cells answers (0, -1, 0).
    Vector3 normalAt(float x, float z) const;

    const std::vector<Vector3>& points() const { return points_; }
    unsigned width() const { return width_; }
    unsigned depth() const { return depth_; }
    float spacing() const { return spacing_; }

private:
    // Each cell's normal, worked out once by build: cell (i, k) is at index i * (depth - 1) + k.
    Vector3 cellNormal(unsigned i, unsigned k) const;

    std::vector<Vector3> points_;
    std::vector<Vector3> normals_;
    unsigned width_ = 0;
    unsigned depth_ = 0;
    float spacing_ = 4.0f;
};

}  // namespace zelmor
