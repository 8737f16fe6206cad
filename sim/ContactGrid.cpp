#include "sim/ContactGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace zelmor {

namespace {

// A larger radius would make every cell huge; such an object waits in a list of wide ones.
constexpr float MAX_CELL_RADIUS = 64.0f;
// Cells are never narrower, so that radii of 0 still give a usable grid.
constexpr double MIN_CELL_SIZE = 1.0;
// The contact tests compare rounded squares (a pair may touch up to a few parts in 10^7 beyond
// the sum of the radii) and a cell number is a rounded product; the cells and the candidate
// filter are this much wider than the longest contact distance, so no contact is missed.
constexpr double SLACK = 1.001;
// How far, on x and on z, a unit may move from where it stood at the build and still be found
// through its cell. At its top speed of 7.6 a unit moves 0.076 in a step.
constexpr float DRIFT = 0.125f;
// Columns per block: a block row's cells take this many buckets side by side.
constexpr int64_t BLOCK = 16;
// Rows per block: a block's rows follow each other, so most searches stay within one block.
constexpr int64_t BLOCK_ROWS = 4;
// At least this many buckets per object held in cells, so that few cells share one.
constexpr std::size_t BUCKETS_PER_OBJECT = 4;
// The box of direct buckets is used while it has at most this many cells per held object.
constexpr std::size_t BOX_BUCKETS_PER_OBJECT = 8;
// Objects further out than this never widen the box: a few far ones would make it huge.
constexpr float BOX_LIMIT = 1048576.0f;
constexpr uint32_t MIN_HASH_BITS = 4;
constexpr uint32_t MAX_HASH_BITS = 24;
// An object that the cells hold, before its bucket is known.
constexpr uint32_t UNPLACED = UINT32_MAX - 3;
// The build asks for the unit this many places ahead while it reads one: the units are large and
// a large field does not fit the cache, and the build does little with each.
constexpr std::size_t PREFETCH_AHEAD = 128;

// The cell size is at most (2 * MAX_CELL_RADIUS + DRIFT) * SLACK, and floats from
// FAR_COORDINATE on are 256 apart: two different ones there never lie within a cell.
static_assert((2 * MAX_CELL_RADIUS + DRIFT) * SLACK < 256.0);

// floor(coordinate * inverse) for |coordinate| <= FAR_COORDINATE; the product stays within
// +-2^31, since cells are at least 1 wide.
int64_t cellNumber(float coordinate, double inverse) {
    const double scaled = double(coordinate) * inverse;
    const auto truncated = static_cast<int64_t>(scaled);
    return truncated - (scaled < double(truncated) ? 1 : 0);
}

bool finite(float x, float z) {
    return std::isfinite(x) && std::isfinite(z);
}

uint32_t magnitudeBits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits & 0x7FFFFFFFu;
}

}  // namespace

void ContactGrid::setUpCells(double size, std::size_t held, std::size_t near, float minX,
                             float maxX, float minZ, float maxZ) {
    const double cellSize = std::max(size * SLACK, MIN_CELL_SIZE);
    inverse_ = 1.0 / cellSize;
    farKey_ = cellNumber(FAR_COORDINATE, inverse_);
    nearKey_ = cellNumber(-FAR_COORDINATE, inverse_);
    boxWidth_ = 0;
    boxHeight_ = 0;
    std::size_t hashed = held;
    if (near > 0) {
        // One cell more on each side, so that the neighbours of every object inside are too.
        boxColumn_ = cellKey(minX) - 1;
        boxRow_ = cellKey(minZ) - 1;
        const auto width = static_cast<uint64_t>(cellKey(maxX) + 1 - boxColumn_ + 1);
        const auto height = static_cast<uint64_t>(cellKey(maxZ) + 1 - boxRow_ + 1);
        if (double(width) * double(height) <= double(BOX_BUCKETS_PER_OBJECT * held)) {
            boxWidth_ = width;
            boxHeight_ = height;
            hashed = held - near;
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

int64_t ContactGrid::cellKey(float coordinate) const {
    if (std::fabs(coordinate) <= FAR_COORDINATE) {
        return cellNumber(coordinate, inverse_);
    }
    // Beyond FAR_COORDINATE each float is a cell of its own, numbered on from the cell of
    // FAR_COORDINATE: neighbouring floats get neighbouring numbers and the numbers keep their
    // order, so the cells of two points within a cell's width still differ by at most 1.
    const int64_t steps = int64_t(magnitudeBits(coordinate)) - magnitudeBits(FAR_COORDINATE);
    return coordinate > 0.0f ? farKey_ + steps : nearKey_ - steps;
}

uint32_t ContactGrid::blockBase(int64_t row, int64_t block) const {
    uint64_t h =
        static_cast<uint64_t>(row >> 2) * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(block);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    return hashStart_ + static_cast<uint32_t>(h >> hashShift_) +
           static_cast<uint32_t>(row & (BLOCK_ROWS - 1)) * BLOCK;
}

bool ContactGrid::inBox(int64_t column, int64_t row) const {
    return static_cast<uint64_t>(column - boxColumn_) < boxWidth_ &&
           static_cast<uint64_t>(row - boxRow_) < boxHeight_;
}

uint32_t ContactGrid::bucketOfCell(int64_t column, int64_t row) const {
    if (inBox(column, row)) {
        return static_cast<uint32_t>(static_cast<uint64_t>(row - boxRow_) * boxWidth_ +
                                     static_cast<uint64_t>(column - boxColumn_));
    }
    return blockBase(row, column >> 4) + static_cast<uint32_t>(column & (BLOCK - 1));
}

uint32_t ContactGrid::bucketOf(float x, float z) const {
    return bucketOfCell(cellKey(x), cellKey(z));
}

void ContactGrid::build(const std::vector<Unit>& units, const std::vector<StaticObject>& statics) {
    units_ = &units;
    statics_ = &statics;
    const std::size_t count = units.size();
    places_.resize(count + statics.size());
    buckets_.resize(places_.size());
    unitReach_ = 0.0f;
    staticReach_ = 0.0f;
    std::size_t held = 0;
    // The extent of the held objects near the origin, for the box of direct buckets.
    std::size_t near = 0;
    float minX = BOX_LIMIT;
    float maxX = -BOX_LIMIT;
    float minZ = BOX_LIMIT;
    float maxZ = -BOX_LIMIT;
    for (std::size_t o = 0; o < places_.size(); ++o) {
        if (o + PREFETCH_AHEAD < count) {
            // The position and the radius share a cache line.
            __builtin_prefetch(&units[o + PREFETCH_AHEAD].position);
        }
        const bool isUnit = o < count;
        const SceneObject& object =
            isUnit ? static_cast<const SceneObject&>(units[o]) : statics[o - count];
        // The list holds StaticObjects themselves, so the virtual radius() is StaticObject's.
        const float radius =
            isUnit ? object.boundingRadius : statics[o - count].StaticObject::radius();
        places_[o] = {object.position.x, object.position.z, radius};
        const float reach = std::fabs(radius);
        uint32_t& kind = buckets_[o];
        if (!finite(object.position.x, object.position.z) || std::isnan(radius)) {
            kind = LEFT_OUT;
        } else if (!(reach <= MAX_CELL_RADIUS)) {
            kind = WIDE;
        } else {
            kind = UNPLACED;
            float& largest = isUnit ? unitReach_ : staticReach_;
            largest = std::max(largest, reach);
            ++held;
            const Place& at = places_[o];
            if (std::fabs(at.x) <= BOX_LIMIT && std::fabs(at.z) <= BOX_LIMIT) {
                ++near;
                minX = std::min(minX, at.x);
                maxX = std::max(maxX, at.x);
                minZ = std::min(minZ, at.z);
                maxZ = std::max(maxZ, at.z);
            }
        }
    }
    const double unitToUnit = 2.0 * unitReach_ + DRIFT;
    const double unitToStatic = double(unitReach_) + staticReach_;
    setUpCells(std::max(unitToUnit, unitToStatic), held, near, minX, maxX, minZ, maxZ);
    for (std::size_t o = 0; o < places_.size(); ++o) {
        if (buckets_[o] == UNPLACED) {
            buckets_[o] = bucketOf(places_[o].x, places_[o].z);
        }
    }
    sortIn();
}

void ContactGrid::sortIn() {
    const auto count = static_cast<uint32_t>(units_->size());
    // The last block start is followed by a whole block, and starts_ by one end more.
    const std::size_t bucketCount =
        hashStart_ + (std::size_t(1) << (64 - hashShift_)) + BLOCK * BLOCK_ROWS;
    starts_.assign(bucketCount + 1, 0);
    strays_.clear();
    wideUnits_.clear();
    wideStatics_.clear();
    unitSlots_.resize(count);
    for (uint32_t o = 0; o < places_.size(); ++o) {
        const uint32_t bucket = buckets_[o];
        if (bucket < UNPLACED) {
            ++starts_[bucket];
            continue;
        }
        if (o < count) {
            unitSlots_[o] = bucket;
            if (bucket == WIDE) {
                wideUnits_.push_back(o);
            }
        } else if (bucket == WIDE) {
            wideStatics_.push_back(o - count);
        }
    }
    // Each start becomes its bucket's end, and filling from the last object backwards moves it
    // back to its bucket's start, leaving each bucket in list order.
    for (std::size_t b = 1; b <= bucketCount; ++b) {
        starts_[b] += starts_[b - 1];
    }
    entries_.resize(starts_[bucketCount]);
    for (auto o = static_cast<uint32_t>(places_.size()); o-- > 0;) {
        const uint32_t bucket = buckets_[o];
        if (bucket >= UNPLACED) {
            continue;
        }
        const uint32_t slot = --starts_[bucket];
        entries_[slot] = {places_[o].x, places_[o].z, o, places_[o].radius};
        if (o < count) {
            unitSlots_[o] = slot;
        }
    }
}

bool ContactGrid::near(const Entry& entry, double x, double z, double bound) {
    return (std::fabs(double(entry.x) - x) <= bound) & (std::fabs(double(entry.z) - z) <= bound);
}

bool ContactGrid::overlaps(const Unit& unit, const Entry& entry) {
    // The arithmetic of SceneObject::collidesWith, which Unit::overlaps is, step by step: the
    // entry holds the other unit's x, z and radius exactly (y plays no part).
    const double reach = double(unit.boundingRadius) + double(entry.radius);
    const Vector3 other{entry.x, 0.0f, entry.z};
    return double(unit.position.planarDistanceSquared(other)) < reach * reach;
}

bool ContactGrid::boxStart(uint32_t self, float x, float z, uint32_t& first) const {
    // A unit of the tick searches from where the build found it, and its bucket is known: inside
    // the box every held object near the origin has its eight neighbours too.
    if (self != NONE && buckets_[self] < hashStart_ && places_[self].x == x &&
        places_[self].z == z && std::fabs(x) <= BOX_LIMIT && std::fabs(z) <= BOX_LIMIT) {
        first = buckets_[self] - static_cast<uint32_t>(boxWidth_) - 1;
        return true;
    }
    const int64_t column = cellKey(x);
    const int64_t row = cellKey(z);
    if (inBox(column - 1, row - 1) && inBox(column + 1, row + 1)) {
        first = bucketOfCell(column - 1, row - 1);
        return true;
    }
    return false;
}

template <class Visit>
void ContactGrid::visitBox(uint32_t first, Visit&& visit) const {
    // Local copies of the pointers: the visit may call out, which would make the compiler read
    // them again for every entry.
    const uint32_t* starts = starts_.data();
    const Entry* entries = entries_.data();
    for (int r = 0; r < 3; ++r, first += static_cast<uint32_t>(boxWidth_)) {
        for (uint32_t e = starts[first], end = starts[first + 3]; e < end; ++e) {
            visit(entries[e]);
        }
    }
}

template <class Visit>
void ContactGrid::visitNeighbours(float x, float z, Visit&& visit) const {
    const int64_t column = cellKey(x);
    const int64_t row = cellKey(z);
    const int64_t block = column >> 4;
    const auto inBlock = static_cast<uint32_t>(column & (BLOCK - 1));
    const uint32_t* starts = starts_.data();
    const Entry* entries = entries_.data();
    auto visitRange = [&](uint32_t first, uint32_t last) {
        for (uint32_t e = starts[first], end = starts[last]; e < end; ++e) {
            visit(entries[e]);
        }
    };
    for (int64_t r = row - 1; r <= row + 1; ++r) {
        if (inBox(column - 1, r) && inBox(column + 1, r)) {
            // Inside the box the three cells of a row lie side by side.
            const uint32_t first = bucketOfCell(column - 1, r);
            visitRange(first, first + 3);
        } else if (inBox(column - 1, r) || inBox(column + 1, r) || inBox(column, r)) {
            for (int64_t c = column - 1; c <= column + 1; ++c) {
                const uint32_t bucket = bucketOfCell(c, r);
                visitRange(bucket, bucket + 1);
            }
        } else if (inBlock == 0) {
            const uint32_t before = blockBase(r, block - 1) + (BLOCK - 1);
            visitRange(before, before + 1);
            const uint32_t base = blockBase(r, block);
            visitRange(base, base + 2);
        } else if (inBlock == BLOCK - 1) {
            const uint32_t base = blockBase(r, block);
            visitRange(base + (BLOCK - 2), base + BLOCK);
            const uint32_t next = blockBase(r, block + 1);
            visitRange(next, next + 1);
        } else {
            const uint32_t base = blockBase(r, block);
            visitRange(base + inBlock - 1, base + inBlock + 2);
        }
    }
}

void ContactGrid::moved(std::size_t index) {
    if (index >= unitSlots_.size()) {
        return;
    }
    const uint32_t slot = unitSlots_[index];
    const Vector3& at = (*units_)[index].position;
    if (slot == LEFT_OUT) {
        // Back at finite coordinates (its radius is not NaN: that stays until the next build),
        // it can touch again.
        if (finite(at.x, at.z) && !std::isnan((*units_)[index].boundingRadius)) {
            unitSlots_[index] = STRAY;
            strays_.push_back(static_cast<uint32_t>(index));
        }
        return;
    }
    // Strays and wide units are tested where they are.
    if (slot >= LEFT_OUT) {
        return;
    }
    const Place& home = places_[index];
    Entry& entry = entries_[slot];
    // Written so that NaN leaves the cells too.
    if (std::fabs(double(at.x) - home.x) <= DRIFT && std::fabs(double(at.z) - home.z) <= DRIFT) {
        entry.x = at.x;
        entry.z = at.z;
        return;
    }
    entry.index = NONE;
    if (!finite(at.x, at.z)) {
        unitSlots_[index] = LEFT_OUT;
        return;
    }
    unitSlots_[index] = STRAY;
    strays_.push_back(static_cast<uint32_t>(index));
}

uint32_t ContactGrid::indexOf(const Unit& unit) const {
    const std::vector<Unit>& units = *units_;
    const std::less<const Unit*> before;
    if (units.empty() || before(&unit, units.data()) ||
        !before(&unit, units.data() + units.size())) {
        return NONE;
    }
    return static_cast<uint32_t>(&unit - units.data());
}

const SceneObject* ContactGrid::findContact(const Unit& unit) const {
    // Nothing built yet: nothing to touch.
    if (units_ == nullptr) {
        return nullptr;
    }
    const Vector3& at = unit.position;
    // Every distance test of this unit is false (see the class comment).
    if (!finite(at.x, at.z) || std::isnan(unit.boundingRadius)) {
        return nullptr;
    }
    const float reach = std::fabs(unit.boundingRadius);
    // A unit whose reach the cells do not cover looks everywhere.
    if (!(reach <= unitReach_)) {
        return searchAll(*units_, *statics_, unit);
    }
    const std::vector<Unit>& units = *units_;
    const std::vector<StaticObject>& statics = *statics_;
    const auto count = static_cast<uint32_t>(units.size());
    const uint32_t self = indexOf(unit);
    const double x = at.x;
    const double z = at.z;
    const double staticBound = (double(reach) + staticReach_) * SLACK;
    uint32_t firstUnit = NONE;
    uint32_t firstStatic = NONE;
    auto visit = [&](const Entry& entry) {
        const uint32_t o = entry.index;
        if (o < count) {
            // Whether a candidate touches is as likely one way as the other: worked out without
            // a branch, the lowest index that touches is kept.
            const bool touches = (o != self) & overlaps(unit, entry);
            firstUnit = std::min(firstUnit, touches ? o : NONE);
            return;
        }
        // A unit that left its entry marks it NONE; static objects count only while no unit
        // is touched.
        if (o != NONE && near(entry, x, z, staticBound) && firstUnit == NONE &&
            o - count < firstStatic && unit.collidesWith(statics[o - count])) {
            firstStatic = o - count;
        }
    };
    uint32_t first = 0;
    if (boxStart(self, at.x, at.z, first)) {
        visitBox(first, visit);
    } else {
        visitNeighbours(at.x, at.z, visit);
    }
    // Usually both lists are empty.
    auto testEach = [&](const std::vector<uint32_t>& list) {
        for (const uint32_t j : list) {
            if (j < firstUnit && j != self && unit.overlaps(units[j])) {
                firstUnit = j;
            }
        }
    };
    testEach(strays_);
    testEach(wideUnits_);
    if (firstUnit != NONE) {
        return &units[firstUnit];
    }
    for (const uint32_t k : wideStatics_) {
        if (k < firstStatic && unit.collidesWith(statics[k])) {
            firstStatic = k;
        }
    }
    return firstStatic == NONE ? nullptr : &statics[firstStatic];
}

const SceneObject* ContactGrid::searchAll(const std::vector<Unit>& units,
                                          const std::vector<StaticObject>& statics,
                                          const Unit& unit) {
    for (const Unit& other : units) {
        if (&other != &unit && unit.overlaps(other)) {
            return &other;
        }
    }
    // Static objects count only when no unit is touched: one Halt per step at most.
    for (const StaticObject& object : statics) {
        if (unit.collidesWith(object)) {
            return &object;
        }
    }
    return nullptr;
}

}  // namespace zelmor
