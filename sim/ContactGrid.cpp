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
// How far, on x and on z, a unit may move from where it stood at the build and still be found
// through its cell. At its top speed of 7.6 a unit moves 0.076 in a step.
constexpr float DRIFT = 0.125f;
// Never fewer than 4 x 4 buckets, so that the nine buckets around a cell are distinct.
constexpr uint32_t MIN_TABLE_SHIFT = 2;
constexpr uint32_t MAX_TABLE_SHIFT = 12;
constexpr std::size_t BUCKETS_PER_OBJECT = 8;
// An object whose radius the cells cover, before its bucket is known.
constexpr uint32_t UNPLACED = UINT32_MAX - 1;

bool insideCells(float x, float z) {
    // Written so that NaN fails too.
    return std::fabs(x) <= MAX_CELL_COORDINATE && std::fabs(z) <= MAX_CELL_COORDINATE;
}

// floor(coordinate * inverse); the product stays far inside the range of int64_t.
int64_t cellNumber(float coordinate, double inverse) {
    const double scaled = double(coordinate) * inverse;
    const auto truncated = static_cast<int64_t>(scaled);
    return truncated - (scaled < double(truncated) ? 1 : 0);
}

bool farApart(float a, double b, double bound) {
    return std::fabs(double(a) - b) > bound;
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

}  // namespace

void ContactGrid::setUpCells(double size, std::size_t objects, double extent) {
    const double cellSize = std::max(size * SLACK, MIN_CELL_SIZE);
    inverse_ = 1.0 / cellSize;
    // Wide enough for the area (plus the neighbours at its edges), but never more than a few
    // buckets per object: a sparse scene spread over a huge area wraps instead.
    const double columns = std::fmin(extent * inverse_ + 3.0, double(1u << MAX_TABLE_SHIFT));
    const std::size_t bucketLimit = BUCKETS_PER_OBJECT * std::max<std::size_t>(objects, 1);
    shift_ = MIN_TABLE_SHIFT;
    while (shift_ < MAX_TABLE_SHIFT && double(1u << shift_) < columns &&
           (std::size_t(1) << (2 * shift_ + 2)) <= bucketLimit) {
        ++shift_;
    }
    mask_ = (1u << shift_) - 1;
}

uint32_t ContactGrid::bucketOf(float x, float z) const {
    if (!insideCells(x, z)) {
        return NONE;
    }
    // Negative cell numbers wrap like positive ones: two's complement keeps the low bits.
    const auto column = static_cast<uint64_t>(cellNumber(x, inverse_)) & mask_;
    const auto row = static_cast<uint64_t>(cellNumber(z, inverse_)) & mask_;
    return static_cast<uint32_t>((row << shift_) | column);
}

void ContactGrid::build(const std::vector<Unit>& units, const std::vector<StaticObject>& statics) {
    units_ = &units;
    statics_ = &statics;
    const std::size_t count = units.size();
    places_.resize(count + statics.size());
    buckets_.resize(places_.size());
    // Every unit whose radius the cells can cover counts, wherever it stands. radius() is
    // virtual: each static object is asked once and the answer kept for this build.
    unitReach_ = 0.0f;
    staticReach_ = 0.0f;
    Extent extent;
    for (std::size_t o = 0; o < places_.size(); ++o) {
        const SceneObject& object =
            o < count ? static_cast<const SceneObject&>(units[o]) : statics[o - count];
        places_[o] = object.position;
        extent.add(places_[o]);
        const float reach = std::fabs(o < count ? object.boundingRadius : object.radius());
        const bool fits = reach <= MAX_CELL_RADIUS;
        buckets_[o] = fits ? UNPLACED : NONE;
        float& largest = o < count ? unitReach_ : staticReach_;
        largest = fits ? std::max(largest, reach) : largest;
    }
    const double unitToUnit = 2.0 * unitReach_ + DRIFT;
    const double unitToStatic = double(unitReach_) + staticReach_;
    setUpCells(std::max(unitToUnit, unitToStatic), places_.size(), extent.size());
    for (std::size_t o = 0; o < places_.size(); ++o) {
        if (buckets_[o] == UNPLACED) {
            buckets_[o] = bucketOf(places_[o].x, places_[o].z);
        }
    }
    sortIn();
}

void ContactGrid::sortIn() {
    const auto count = static_cast<uint32_t>(units_->size());
    const std::size_t bucketCount = std::size_t(mask_ + 1) << shift_;
    starts_.assign(bucketCount + 1, 0);
    outsideUnits_.clear();
    outsideStatics_.clear();
    for (uint32_t o = 0; o < places_.size(); ++o) {
        if (buckets_[o] != NONE) {
            ++starts_[buckets_[o]];
        } else if (o < count) {
            outsideUnits_.push_back(o);
        } else {
            outsideStatics_.push_back(o - count);
        }
    }
    // Each start becomes its bucket's end, and filling from the last object backwards moves it
    // back to its bucket's start, leaving each bucket in list order.
    for (std::size_t b = 1; b <= bucketCount; ++b) {
        starts_[b] += starts_[b - 1];
    }
    entries_.resize(starts_[bucketCount]);
    unitSlots_.assign(count, NONE);
    for (auto o = static_cast<uint32_t>(places_.size()); o-- > 0;) {
        if (buckets_[o] == NONE) {
            continue;
        }
        const uint32_t slot = --starts_[buckets_[o]];
        entries_[slot] = {places_[o].x, places_[o].z, o};
        if (o < count) {
            unitSlots_[o] = slot;
        }
    }
}

template <class Visit>
void ContactGrid::visitNeighbours(float x, float z, Visit&& visit) const {
    const int64_t column = cellNumber(x, inverse_);
    const int64_t row = cellNumber(z, inverse_);
    const auto centre = static_cast<uint32_t>(static_cast<uint64_t>(column) & mask_);
    // Away from the table's side edges the three buckets of a row lie side by side.
    const bool together = centre >= 1 && centre < mask_;
    auto visitRange = [&](uint32_t first, uint32_t last) {
        for (uint32_t e = first; e < last; ++e) {
            visit(entries_[e]);
        }
    };
    for (int64_t dz = -1; dz <= 1; ++dz) {
        const auto rowStart =
            static_cast<uint32_t>((static_cast<uint64_t>(row + dz) & mask_) << shift_);
        if (together) {
            visitRange(starts_[rowStart + centre - 1], starts_[rowStart + centre + 2]);
            continue;
        }
        for (int64_t dx = -1; dx <= 1; ++dx) {
            const uint32_t bucket =
                rowStart + static_cast<uint32_t>(static_cast<uint64_t>(column + dx) & mask_);
            visitRange(starts_[bucket], starts_[bucket + 1]);
        }
    }
}

void ContactGrid::moved(std::size_t index) {
    if (index >= unitSlots_.size()) {
        return;
    }
    const uint32_t slot = unitSlots_[index];
    // A unit outside the cells stays in the outside list until the next build.
    if (slot == NONE) {
        return;
    }
    const Vector3& at = (*units_)[index].position;
    const Vector3& home = places_[index];
    Entry& entry = entries_[slot];
    // Written so that NaN leaves the cells too.
    if (std::fabs(double(at.x) - home.x) <= DRIFT && std::fabs(double(at.z) - home.z) <= DRIFT) {
        entry.x = at.x;
        entry.z = at.z;
        return;
    }
    entry.index = NONE;
    unitSlots_[index] = NONE;
    outsideUnits_.push_back(static_cast<uint32_t>(index));
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
    const float reach = std::fabs(unit.boundingRadius);
    // A unit that the cells cannot place, or whose reach they do not cover, looks everywhere.
    if (!(reach <= unitReach_) || !insideCells(at.x, at.z)) {
        return searchAll(*units_, *statics_, unit);
    }
    const std::vector<Unit>& units = *units_;
    const std::vector<StaticObject>& statics = *statics_;
    const auto count = static_cast<uint32_t>(units.size());
    const uint32_t self = indexOf(unit);
    const double x = at.x;
    const double z = at.z;
    const double unitBound = (double(reach) + unitReach_) * SLACK;
    const double staticBound = (double(reach) + staticReach_) * SLACK;
    uint32_t firstUnit = NONE;
    uint32_t firstStatic = NONE;
    visitNeighbours(at.x, at.z, [&](const Entry& entry) {
        const uint32_t o = entry.index;
        if (o < count) {
            if (o >= firstUnit || o == self || farApart(entry.x, x, unitBound) ||
                farApart(entry.z, z, unitBound)) {
                return;
            }
            if (unit.overlaps(units[o])) {
                firstUnit = o;
            }
            return;
        }
        // A unit that left its entry marks it NONE; static objects count only while no unit
        // is touched.
        if (o == NONE || firstUnit != NONE || o - count >= firstStatic ||
            farApart(entry.x, x, staticBound) || farApart(entry.z, z, staticBound)) {
            return;
        }
        if (unit.collidesWith(statics[o - count])) {
            firstStatic = o - count;
        }
    });
    for (const uint32_t j : outsideUnits_) {
        if (j < firstUnit && j != self && unit.overlaps(units[j])) {
            firstUnit = j;
        }
    }
    if (firstUnit != NONE) {
        return &units[firstUnit];
    }
    for (const uint32_t k : outsideStatics_) {
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
