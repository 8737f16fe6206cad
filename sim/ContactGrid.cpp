#include "sim/ContactGrid.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace zelmor {

namespace {

// A larger radius would make every cell huge; such an object waits in the outside list.
constexpr float MAX_CELL_RADIUS = 64.0f;
// Beyond this a cell number would lose its meaning; such an object waits in the outside list.
constexpr float MAX_CELL_COORDINATE = 1.0e9f;
// Cells are never narrower, so that a coordinate of MAX_CELL_COORDINATE stays a small cell
// number and radii of 0 still give a usable grid.
constexpr double MIN_CELL_SIZE = 1.0;
// The contact tests compare rounded squares (a pair may touch up to a few parts in 10^7 beyond
// the sum of the radii) and a cell number is a rounded product; the cells and the candidate
// filter are this much wider than the longest contact distance, so no contact is missed.
constexpr double SLACK = 1.001;
// The table has never fewer than 4 x 4 buckets, so that the nine buckets around a cell are
// distinct, and never more than 4096 x 4096.
constexpr uint32_t MIN_TABLE_SHIFT = 2;
constexpr uint32_t MAX_TABLE_SHIFT = 12;
constexpr std::size_t BUCKETS_PER_OBJECT = 8;
// A static object whose radius the cells cover, before its bucket is known.
constexpr uint32_t UNPLACED = UINT32_MAX - 1;

bool insideCells(float x, float z) {
    // Written so that NaN fails too.
    return std::fabs(x) <= MAX_CELL_COORDINATE && std::fabs(z) <= MAX_CELL_COORDINATE;
}

int64_t cellNumber(float coordinate, double inverse) {
    return static_cast<int64_t>(std::floor(double(coordinate) * inverse));
}

// The larger side of the box around the points that cells can hold.
class Extent {
public:
    void add(const Vector3& at) {
        if (!insideCells(at.x, at.z)) {
            return;
        }
        minX_ = std::min(minX_, at.x);
        maxX_ = std::max(maxX_, at.x);
        minZ_ = std::min(minZ_, at.z);
        maxZ_ = std::max(maxZ_, at.z);
    }
    double size() const {
        if (minX_ > maxX_) {
            return 0.0;
        }
        return std::max(double(maxX_) - minX_, double(maxZ_) - minZ_);
    }

private:
    float minX_ = MAX_CELL_COORDINATE;
    float maxX_ = -MAX_CELL_COORDINATE;
    float minZ_ = MAX_CELL_COORDINATE;
    float maxZ_ = -MAX_CELL_COORDINATE;
};

bool farApart(float a, double b, double bound) {
    return std::fabs(double(a) - b) > bound;
}

}  // namespace

void ContactGrid::Cells::setUp(double size, std::size_t objects, double extent) {
    cellSize = std::max(size * SLACK, MIN_CELL_SIZE);
    inverse = 1.0 / cellSize;
    // Wide enough for the area (plus the neighbours at its edges), but never more than a few
    // buckets per object: a sparse scene spread over a huge area wraps instead.
    const double columns = std::fmin(extent * inverse + 3.0, double(1u << MAX_TABLE_SHIFT));
    const std::size_t bucketLimit = BUCKETS_PER_OBJECT * std::max<std::size_t>(objects, 1);
    shift = MIN_TABLE_SHIFT;
    while (shift < MAX_TABLE_SHIFT && double(1u << shift) < columns &&
           (std::size_t(1) << (2 * shift + 2)) <= bucketLimit) {
        ++shift;
    }
    mask = (1u << shift) - 1;
}

uint32_t ContactGrid::Cells::bucketOf(float x, float z) const {
    if (!insideCells(x, z)) {
        return NONE;
    }
    // Negative cell numbers wrap like positive ones: two's complement keeps the low bits.
    const auto column = static_cast<uint64_t>(cellNumber(x, inverse)) & mask;
    const auto row = static_cast<uint64_t>(cellNumber(z, inverse)) & mask;
    return static_cast<uint32_t>((row << shift) | column);
}

bool ContactGrid::Cells::neighbourhood(float x, float z, uint32_t (&buckets)[9]) const {
    if (!insideCells(x, z)) {
        return false;
    }
    const int64_t column = cellNumber(x, inverse);
    const int64_t row = cellNumber(z, inverse);
    int count = 0;
    for (int64_t dz = -1; dz <= 1; ++dz) {
        const uint64_t rowBits = (static_cast<uint64_t>(row + dz) & mask) << shift;
        for (int64_t dx = -1; dx <= 1; ++dx) {
            buckets[count++] =
                static_cast<uint32_t>(rowBits | (static_cast<uint64_t>(column + dx) & mask));
        }
    }
    return true;
}

void ContactGrid::build(const std::vector<Unit>& units, const std::vector<StaticObject>& statics) {
    units_ = &units;
    statics_ = &statics;
    buildUnits();
    buildStatics();
}

void ContactGrid::buildUnits() {
    const std::vector<Unit>& units = *units_;
    // Every unit whose radius the cells can cover counts, wherever it stands: it may move into
    // the cells during the step.
    unitReach_ = 0.0f;
    Extent extent;
    for (const Unit& unit : units) {
        extent.add(unit.position);
        const float reach = std::fabs(unit.boundingRadius);
        if (reach <= MAX_CELL_RADIUS) {
            unitReach_ = std::max(unitReach_, reach);
        }
    }
    unitCells_.setUp(2.0 * unitReach_, units.size(), extent.size());
    unitHeads_.assign(unitCells_.bucketCount(), NONE);
    unitEntries_.assign(units.size(), UnitEntry{});
    outsideUnits_.clear();
    for (std::size_t i = 0; i < units.size(); ++i) {
        const Vector3& at = units[i].position;
        unitEntries_[i].x = at.x;
        unitEntries_[i].z = at.z;
        const bool fits = std::fabs(units[i].boundingRadius) <= unitReach_;
        link(static_cast<uint32_t>(i), fits ? unitCells_.bucketOf(at.x, at.z) : NONE);
    }
}

void ContactGrid::buildStatics() {
    const std::vector<StaticObject>& statics = *statics_;
    // radius() is virtual: ask each object once and keep the answer for this build.
    staticBuckets_.resize(statics.size());
    staticReach_ = 0.0f;
    Extent extent;
    for (std::size_t k = 0; k < statics.size(); ++k) {
        extent.add(statics[k].position);
        const float reach = std::fabs(statics[k].radius());
        staticBuckets_[k] = reach <= MAX_CELL_RADIUS ? UNPLACED : NONE;
        if (reach <= MAX_CELL_RADIUS) {
            staticReach_ = std::max(staticReach_, reach);
        }
    }
    staticCells_.setUp(double(unitReach_) + staticReach_, statics.size(), extent.size());
    outsideStatics_.clear();
    staticStarts_.assign(staticCells_.bucketCount() + 1, 0);
    for (std::size_t k = 0; k < statics.size(); ++k) {
        const Vector3& at = statics[k].position;
        if (staticBuckets_[k] == UNPLACED) {
            staticBuckets_[k] = staticCells_.bucketOf(at.x, at.z);
        }
        if (staticBuckets_[k] == NONE) {
            outsideStatics_.push_back(static_cast<uint32_t>(k));
            continue;
        }
        ++staticStarts_[staticBuckets_[k] + 1];
    }
    for (std::size_t b = 1; b < staticStarts_.size(); ++b) {
        staticStarts_[b] += staticStarts_[b - 1];
    }
    // Filled in list order, so each bucket lists its objects in list order.
    staticEntries_.resize(staticStarts_.back());
    std::vector<uint32_t>& fill = staticBuckets_;
    for (std::size_t k = 0; k < statics.size(); ++k) {
        const uint32_t bucket = fill[k];
        if (bucket == NONE) {
            continue;
        }
        const Vector3& at = statics[k].position;
        staticEntries_[staticStarts_[bucket]++] = {at.x, at.z, static_cast<uint32_t>(k)};
    }
    // The fill advanced each start to the next bucket's start; shift them back.
    for (std::size_t b = staticStarts_.size() - 1; b > 0; --b) {
        staticStarts_[b] = staticStarts_[b - 1];
    }
    staticStarts_[0] = 0;
}

void ContactGrid::link(uint32_t index, uint32_t bucket) {
    UnitEntry& entry = unitEntries_[index];
    entry.bucket = bucket;
    if (bucket == NONE) {
        outsideUnits_.push_back(index);
        return;
    }
    entry.next = unitHeads_[bucket];
    unitHeads_[bucket] = index;
}

void ContactGrid::unlink(uint32_t index) {
    const uint32_t bucket = unitEntries_[index].bucket;
    if (bucket == NONE) {
        outsideUnits_.erase(std::find(outsideUnits_.begin(), outsideUnits_.end(), index));
        return;
    }
    uint32_t* slot = &unitHeads_[bucket];
    while (*slot != index) {
        slot = &unitEntries_[*slot].next;
    }
    *slot = unitEntries_[index].next;
}

void ContactGrid::moved(std::size_t index) {
    const Unit& unit = (*units_)[index];
    UnitEntry& entry = unitEntries_[index];
    entry.x = unit.position.x;
    entry.z = unit.position.z;
    const bool fits = std::fabs(unit.boundingRadius) <= unitReach_;
    const uint32_t bucket = fits ? unitCells_.bucketOf(entry.x, entry.z) : NONE;
    if (bucket == entry.bucket) {
        return;
    }
    const auto i = static_cast<uint32_t>(index);
    unlink(i);
    link(i, bucket);
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
    const Vector3& at = unit.position;
    uint32_t buckets[9];
    // A unit that the cells cannot place, or whose reach they do not cover, looks everywhere.
    if (!(std::fabs(unit.boundingRadius) <= unitReach_) ||
        !unitCells_.neighbourhood(at.x, at.z, buckets)) {
        return searchEverything(unit);
    }
    const uint32_t self = indexOf(unit);
    uint32_t best = firstUnitInGrid(unit, self, buckets);
    for (const uint32_t j : outsideUnits_) {
        if (j < best && j != self && unit.overlaps((*units_)[j])) {
            best = j;
        }
    }
    if (best != NONE) {
        return &(*units_)[best];
    }
    // Static objects count only when no unit is touched.
    staticCells_.neighbourhood(at.x, at.z, buckets);
    best = firstStaticInGrid(unit, buckets);
    for (const uint32_t k : outsideStatics_) {
        if (k < best && unit.collidesWith((*statics_)[k])) {
            best = k;
        }
    }
    return best == NONE ? nullptr : &(*statics_)[best];
}

uint32_t ContactGrid::firstUnitInGrid(const Unit& unit, uint32_t self,
                                      const uint32_t (&buckets)[9]) const {
    const double x = unit.position.x;
    const double z = unit.position.z;
    const double bound = (double(std::fabs(unit.boundingRadius)) + unitReach_) * SLACK;
    uint32_t best = NONE;
    for (const uint32_t bucket : buckets) {
        for (uint32_t j = unitHeads_[bucket]; j != NONE; j = unitEntries_[j].next) {
            const UnitEntry& entry = unitEntries_[j];
            if (j >= best || j == self || farApart(entry.x, x, bound) ||
                farApart(entry.z, z, bound)) {
                continue;
            }
            if (unit.overlaps((*units_)[j])) {
                best = j;
            }
        }
    }
    return best;
}

uint32_t ContactGrid::firstStaticInGrid(const Unit& unit, const uint32_t (&buckets)[9]) const {
    const double x = unit.position.x;
    const double z = unit.position.z;
    const double bound = (double(std::fabs(unit.boundingRadius)) + staticReach_) * SLACK;
    uint32_t best = NONE;
    for (const uint32_t bucket : buckets) {
        const uint32_t end = staticStarts_[bucket + 1];
        // A bucket lists its objects in list order: past the best found so far, nothing wins.
        for (uint32_t e = staticStarts_[bucket]; e < end && staticEntries_[e].index < best; ++e) {
            const StaticEntry& entry = staticEntries_[e];
            if (farApart(entry.x, x, bound) || farApart(entry.z, z, bound)) {
                continue;
            }
            if (unit.collidesWith((*statics_)[entry.index])) {
                best = entry.index;
            }
        }
    }
    return best;
}

const SceneObject* ContactGrid::searchEverything(const Unit& unit) const {
    for (const Unit& other : *units_) {
        if (&other != &unit && unit.overlaps(other)) {
            return &other;
        }
    }
    for (const StaticObject& object : *statics_) {
        if (unit.collidesWith(object)) {
            return &object;
        }
    }
    return nullptr;
}

}  // namespace zelmor
