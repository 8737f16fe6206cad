#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace zelmor {

// The square cells of the contact grid and the bucket of each. Near the origin a cell number
// counts cells, and from FAR_COORDINATE on, where neighbouring floats lie further apart than a
// cell is wide, it counts floats, so two points close enough to touch always lie in
// neighbouring cells. The cells of a box around the objects near the origin have a bucket each,
// row by row, when the box is not much larger than the number of objects; every other cell
// goes to a bucket by a hash of its block of 4 rows by 16 columns, so no layout of cells crowds
// one bucket more than chance does. A shared bucket only adds candidates that the contact tests
// reject.
class ContactCells {
public:
    // From here on, floats are at least 256 apart: more than the widest cell.
    static constexpr float FAR_COORDINATE = 2147483648.0f;  // 2^31
    // Objects further out than this never widen the box: a few far ones would make it huge.
    static constexpr float BOX_LIMIT = 1048576.0f;
    // The contact tests compare rounded squares (a pair may touch up to a few parts in 10^7
    // beyond the sum of the radii) and a cell number is a rounded product; the cells and the
    // candidate filters are this much wider than the longest contact distance, so no contact is
    // missed.
    static constexpr double SLACK = 1.001;

    // The extent of the objects within BOX_LIMIT of the origin on both axes.
    struct Extent {
        std::size_t count = 0;
        float minX = BOX_LIMIT;
        float maxX = -BOX_LIMIT;
        float minZ = BOX_LIMIT;
        float maxZ = -BOX_LIMIT;

        void add(float x, float z);
    };

    // Cells at least size wide (size is the longest contact distance) for held objects, the
    // extent of those near the origin giving the box of direct buckets.
    void setUp(double size, std::size_t held, const Extent& near);

    // The cell number of a finite coordinate along one axis: near the origin floor(coordinate /
    // the cell size), worked out here since every search asks for two.
    int64_t key(float coordinate) const {
        if (!(std::fabs(coordinate) <= FAR_COORDINATE)) {
            return farKey(coordinate);
        }
        // The product stays within +-2^31, since cells are at least 1 wide.
        const double scaled = double(coordinate) * inverse_;
        const auto truncated = static_cast<int64_t>(scaled);
        return truncated - (scaled < double(truncated) ? 1 : 0);
    }
    // The bucket of cell (column, row).
    uint32_t bucketOfCell(int64_t column, int64_t row) const;
    // The bucket of the cell holding the finite point (x, z).
    uint32_t bucketOf(float x, float z) const { return bucketOfCell(key(x), key(z)); }
    // Buckets number from 0 up to this, the last hashed block followed by a whole block.
    std::size_t bucketCount() const;
    // The buckets below this are the box's, row by row.
    uint32_t boxBuckets() const { return hashStart_; }
    // One row of the box further on is this many buckets further on.
    uint32_t boxWidth() const { return static_cast<uint32_t>(boxWidth_); }
    // Whether the nine cells around the finite point (x, z) lie inside the box; if so, first is
    // the bucket of the bottom-left one, so that the three rows are the runs of three buckets
    // from first, first + boxWidth() and first + 2 * boxWidth().
    bool boxStart(float x, float z, uint32_t& first) const {
        const int64_t column = key(x);
        const int64_t row = key(z);
        if (!inBox(column - 1, row - 1) || !inBox(column + 1, row + 1)) {
            return false;
        }
        first = static_cast<uint32_t>(static_cast<uint64_t>(row - 1 - boxRow_) * boxWidth_ +
                                      static_cast<uint64_t>(column - 1 - boxColumn_));
        return true;
    }
    // Calls visit(first, last) for each run of buckets [first, last) that the nine cells around
    // the finite point (x, z) take, until a call returns true; returns whether one did.
    template <class VisitRun>
    bool forEachNeighbourRun(float x, float z, VisitRun&& visit) const;

private:
    static constexpr int64_t BLOCK = 16;      // columns per block
    static constexpr int64_t BLOCK_ROWS = 4;  // rows per block

    // The cell number beyond FAR_COORDINATE, where each float is a cell of its own.
    int64_t farKey(float coordinate) const;
    bool inBox(int64_t column, int64_t row) const {
        return static_cast<uint64_t>(column - boxColumn_) < boxWidth_ &&
               static_cast<uint64_t>(row - boxRow_) < boxHeight_;
    }
    // The first of the 16 hashed buckets of row in the block of columns block * 16 on: the
    // block of 4 rows that holds row has 64 buckets side by side from a hashed start.
    uint32_t blockBase(int64_t row, int64_t block) const;

    double inverse_ = 1.0;   // 1 / the cell size
    int64_t farKey_ = 0;     // key(FAR_COORDINATE)
    int64_t nearKey_ = 0;    // key(-FAR_COORDINATE)
    int64_t boxColumn_ = 0;  // the first column and row of the box of direct buckets
    int64_t boxRow_ = 0;
    uint64_t boxWidth_ = 0;  // in cells; 0 without a box
    uint64_t boxHeight_ = 0;
    uint32_t hashStart_ = 0;   // the first hashed bucket: the box's cells come before
    uint32_t hashShift_ = 60;  // 64 - log2 of the number of block starts
};

template <class VisitRun>
bool ContactCells::forEachNeighbourRun(float x, float z, VisitRun&& visit) const {
    const int64_t column = key(x);
    const int64_t row = key(z);
    const int64_t block = column >> 4;
    const auto inBlock = static_cast<uint32_t>(column & (BLOCK - 1));
    for (int64_t r = row - 1; r <= row + 1; ++r) {
        bool found = false;
        if (inBox(column - 1, r) && inBox(column + 1, r)) {
            // Inside the box the three cells of a row lie side by side.
            const uint32_t first = bucketOfCell(column - 1, r);
            found = visit(first, first + 3);
        } else if (inBox(column - 1, r) || inBox(column + 1, r) || inBox(column, r)) {
            for (int64_t c = column - 1; c <= column + 1 && !found; ++c) {
                const uint32_t bucket = bucketOfCell(c, r);
                found = visit(bucket, bucket + 1);
            }
        } else if (inBlock == 0) {
            const uint32_t before = blockBase(r, block - 1) + (BLOCK - 1);
            const uint32_t base = blockBase(r, block);
            found = visit(before, before + 1) || visit(base, base + 2);
        } else if (inBlock == BLOCK - 1) {
            const uint32_t base = blockBase(r, block);
            const uint32_t next = blockBase(r, block + 1);
            found = visit(base + (BLOCK - 2), base + BLOCK) || visit(next, next + 1);
        } else {
            const uint32_t base = blockBase(r, block);
            found = visit(base + inBlock - 1, base + inBlock + 2);
        }
        if (found) {
            return true;
        }
    }
    return false;
}

}  // namespace zelmor
