#include "sim/ContactCells.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zelmor {

namespace {

// Cells are never narrower, so that radii of 0 still give a usable grid.
constexpr double MIN_CELL_SIZE = 1.0;
// At least this many buckets per object held in hashed cells, so that few cells share one.
constexpr std::size_t BUCKETS_PER_OBJECT = 4;
// The box of direct buckets is used while it has at most this many cells per held object.
constexpr std::size_t BOX_BUCKETS_PER_OBJECT = 8;
constexpr uint32_t MIN_HASH_BITS = 4;
constexpr uint32_t MAX_HASH_BITS = 24;

uint32_t magnitudeBits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits & 0x7FFFFFFFu;
}

}  // namespace

void ContactCells::Extent::add(float x, float z) {
    if (std::fabs(x) <= BOX_LIMIT && std::fabs(z) <= BOX_LIMIT) {
        ++count;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minZ = std::min(minZ, z);
        maxZ = std::max(maxZ, z);
    }
}

void ContactCells::setUp(double size, std::size_t held, const Extent& near) {
    const double cellSize = std::max(size * SLACK, MIN_CELL_SIZE);
    inverse_ = 1.0 / cellSize;
    farKey_ = key(FAR_COORDINATE);
    nearKey_ = key(-FAR_COORDINATE);
    boxWidth_ = 0;
    boxHeight_ = 0;
    std::size_t hashed = held;
    if (near.count > 0) {
        // One cell more on each side, so that the neighbours of every object inside are too.
        boxColumn_ = key(near.minX) - 1;
        boxRow_ = key(near.minZ) - 1;
        const auto width = static_cast<uint64_t>(key(near.maxX) + 1 - boxColumn_ + 1);
        const auto height = static_cast<uint64_t>(key(near.maxZ) + 1 - boxRow_ + 1);
        if (double(width) * double(height) <= double(BOX_BUCKETS_PER_OBJECT * held)) {
            boxWidth_ = width;
            boxHeight_ = height;
            hashed = held - near.count;
        }
    }
    hashStart_ = static_cast<uint32_t>(boxWidth_ * boxHeight_);
    // Enough block starts that a typical block's 64 buckets rarely meet another's.
    const std::size_t wanted = BUCKETS_PER_OBJECT * std::max<std::size_t>(hashed, 1);
    uint32_t bits = MIN_HASH_BITS;
    while (bits < MAX_HASH_BITS && (std::size_t(1) << bits) < wanted) {
        ++bits;
    }
    hashShift_ = 64 - bits;
}

// The cell size is at most about 2 * 64 + 0.2, and floats from FAR_COORDINATE on are 256
// apart: two different ones there never lie within a cell.
int64_t ContactCells::farKey(float coordinate) const {
    // Beyond FAR_COORDINATE each float is a cell of its own, numbered on from the cell of
    // FAR_COORDINATE: neighbouring floats get neighbouring numbers and the numbers keep their
    // order, so the cells of two points within a cell's width still differ by at most 1.
    const int64_t steps = int64_t(magnitudeBits(coordinate)) - magnitudeBits(FAR_COORDINATE);
    return coordinate > 0.0f ? farKey_ + steps : nearKey_ - steps;
}

uint32_t ContactCells::blockBase(int64_t row, int64_t block) const {
    uint64_t h =
        static_cast<uint64_t>(row >> 2) * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(block);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    return hashStart_ + static_cast<uint32_t>(h >> hashShift_) +
           static_cast<uint32_t>(row & (BLOCK_ROWS - 1)) * BLOCK;
}

uint32_t ContactCells::bucketOfCell(int64_t column, int64_t row) const {
    if (inBox(column, row)) {
        return static_cast<uint32_t>(static_cast<uint64_t>(row - boxRow_) * boxWidth_ +
                                     static_cast<uint64_t>(column - boxColumn_));
    }
    return blockBase(row, column >> 4) + static_cast<uint32_t>(column & (BLOCK - 1));
}

std::size_t ContactCells::bucketCount() const {
    return hashStart_ + (std::size_t(1) << (64 - hashShift_)) + BLOCK * BLOCK_ROWS;
}

}  // namespace zelmor
