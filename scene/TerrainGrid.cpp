#include "scene/TerrainGrid.h"

#include <cstdint>

namespace zelmor {

namespace {

// The largest grid that build makes; the program's is 10 by 10. Anything bigger is a mistake
// that would otherwise allocate without bound.
constexpr uint64_t MAX_POINTS = uint64_t{1} << 22;

// The float nearest to 1/32767: a generator value of 32767 gives a height of 1.
constexpr float HEIGHT_PER_STEP = 3.0518509e-05f;

// The terrain's own generator, seeded afresh by every build so that equal sizes give equal
// terrain. Values from 0 to 32767.
class TerrainRandom {
public:
    explicit TerrainRandom(uint32_t seed) : state_(seed) {}
    int next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    uint32_t state_;
};

// The cell number along one axis: truncated toward zero, then held to the cells that exist
// (0 to points - 2), so that far-off, infinite or NaN positions read the nearest edge cell.
// The clamping happens in double, before the conversion, which is undefined out of range.
unsigned cellIndex(double position, unsigned points) {
    const unsigned last = points - 2;
    if (!(position >= 1.0)) {
        return 0;
    }
    if (position >= double(last)) {
        return last;
    }
    return static_cast<unsigned>(position);
}

}  // namespace

TerrainGrid TerrainGrid::build(unsigned width, unsigned depth, float spacing) {
    TerrainGrid grid;
    if (uint64_t{width} * depth > MAX_POINTS) {
        return grid;
    }
    grid.width_ = width;
    grid.depth_ = depth;
    grid.spacing_ = spacing;
    grid.points_.resize(std::size_t{width} * depth);
    TerrainRandom random(0);
    for (unsigned i = 0; i < width; ++i) {
        for (unsigned k = 0; k < depth; ++k) {
            const double x = (double(i) - 0.5 * width) * spacing;
            const double height = double(random.next()) * HEIGHT_PER_STEP;
            const double z = (double(k) - 0.5 * depth) * spacing;
            grid.points_[std::size_t{i} * depth + k] = {
                static_cast<float>(x), static_cast<float>(height), static_cast<float>(z)};
        }
    }
    // Every moving unit asks for a normal in every step; the cells never change.
    if (width >= 2 && depth >= 2) {
        grid.normals_.reserve(std::size_t{width - 1} * (depth - 1));
        for (unsigned i = 0; i + 1 < width; ++i) {
            for (unsigned k = 0; k + 1 < depth; ++k) {
                grid.normals_.push_back(grid.cellNormal(i, k));
            }
        }
    }
    return grid;
}

Vector3 TerrainGrid::cellNormal(unsigned i, unsigned k) const {
    const Vector3& p00 = points_[std::size_t{i} * depth_ + k];
    const Vector3& p10 = points_[std::size_t{i + 1} * depth_ + k];
    const Vector3& p01 = points_[std::size_t{i} * depth_ + k + 1];
    return (p00 - p10).unitNormal(p00 - p01);
}

Vector3 TerrainGrid::normalAt(float x, float z) const {
    if (width_ < 2 || depth_ < 2) {
        return {0.0f, -1.0f, 0.0f};
    }
    const unsigned i = cellIndex(double(x) / spacing_ + width_ / 2, width_);
    const unsigned k = cellIndex(double(z) / spacing_ + depth_ / 2, depth_);
    return normals_[std::size_t{i} * (depth_ - 1) + k];
}

}  // namespace zelmor
