#include "sim/ContactGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace zelmor {

namespace {

// A larger radius would make every cell huge; such an object waits in a list of wide ones.
constexpr float MAX_CELL_RADIUS = 64.0f;
// How far, on x and on z, a unit may move from where it was sorted in and still be found
// through its cell, at least. At its top speed of 7.6 a unit moves 0.076 in a step. Where the
// static objects reach further than two units, the cells are wider anyway and a unit may
// drift that much more for free.
constexpr double DRIFT = 0.125;
// The furthest a unit driven by its orders moves on one axis in a step (at its top speed of 7.6,
// 0.076), with room for rounding. A unit given more speed by hand may leave its cells: it then
// strays, and the grid sorts again at the next step.
constexpr double MAX_MOVE = 0.08;
// Beyond this many strays every search pays too much for them: the grid sorts again at once.
constexpr std::size_t MAX_STRAYS = 64;
// The build asks for the unit this many places ahead while it reads one: the units are large and
// a large field does not fit the cache, and the build does little with each.
constexpr std::size_t PREFETCH_AHEAD = 128;

// The widest cell, (2 * MAX_CELL_RADIUS + DRIFT) or 2 * MAX_CELL_RADIUS with the slack, is
// narrower than the 256 between floats from FAR_COORDINATE on: two different ones there never
// lie within a cell.
static_assert((2 * MAX_CELL_RADIUS + DRIFT) * ContactCells::SLACK < 256.0);

bool finite(float x, float z) {
    return std::isfinite(x) && std::isfinite(z);
}

// The same float, bit for bit (NaN included).
bool same(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

void ContactGrid::build(const std::vector<Unit>& units, const std::vector<StaticObject>& statics) {
    units_ = &units;
    statics_ = &statics;
    placeAll();
    sortIn();
}

void ContactGrid::refresh(const std::vector<Unit>& units,
                          const std::vector<StaticObject>& statics) {
    if (&units != units_ || &statics != statics_ || !stillSorted()) {
        build(units, statics);
    }
}

void ContactGrid::placeAll() {
    const std::vector<Unit>& units = *units_;
    const std::vector<StaticObject>& statics = *statics_;
    const std::size_t count = units.size();
    const std::size_t total = count + statics.size();
    // A witness names an object by its place in the lists; other lists, other objects.
    if (witnesses_.size() != count || places_.size() != total) {
        witnesses_.assign(count, NONE);
    }
    places_.resize(total);
    buckets_.resize(total);
    unitReach_ = 0.0f;
    staticReach_ = 0.0f;
    std::size_t held = 0;
    ContactCells::Extent near;
    for (std::size_t o = 0; o < total; ++o) {
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
            near.add(places_[o].x, places_[o].z);
        }
    }
    drift_ = std::max(DRIFT, double(staticReach_) - unitReach_);
    const double unitToUnit = 2.0 * unitReach_ + drift_;
    const double unitToStatic = double(unitReach_) + staticReach_;
    cells_.setUp(std::max(unitToUnit, unitToStatic), held, near);
    for (std::size_t o = 0; o < total; ++o) {
        if (buckets_[o] == UNPLACED) {
            buckets_[o] = cells_.bucketOf(places_[o].x, places_[o].z);
        }
    }
    drifted_ = 0.0;
}

void ContactGrid::sortIn() {
    const auto count = static_cast<uint32_t>(units_->size());
    strays_.clear();
    wideUnits_.clear();
    wideStatics_.clear();
    unitSlots_.resize(count);
    for (uint32_t o = 0; o < places_.size(); ++o) {
        const uint32_t bucket = buckets_[o];
        if (bucket < UNPLACED) {
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
    extras_ = !wideUnits_.empty() || !wideStatics_.empty();
    sorted_.sort(places_, buckets_, cells_.bucketCount(), unitSlots_);
}

bool ContactGrid::stillSorted() {
    const std::vector<Unit>& units = *units_;
    const std::vector<StaticObject>& statics = *statics_;
    const std::size_t count = units.size();
    if (unitSlots_.size() != count || places_.size() != count + statics.size() ||
        !strays_.empty() || drifted_ + MAX_MOVE > drift_) {
        return false;
    }
    for (std::size_t k = 0; k < statics.size(); ++k) {
        const ContactBuckets::Place& place = places_[count + k];
        const StaticObject& object = statics[k];
        if (!same(object.position.x, place.x) || !same(object.position.z, place.z) ||
            !same(object.StaticObject::radius(), place.radius)) {
            return false;
        }
    }
    // Between steps the units stand where the grid followed them, unless something outside
    // the tick moved them or changed a radius.
    for (std::size_t i = 0; i < count; ++i) {
        if (i + PREFETCH_AHEAD < count) {
            __builtin_prefetch(&units[i + PREFETCH_AHEAD].position);
        }
        const Unit& unit = units[i];
        if (!same(unit.boundingRadius, places_[i].radius)) {
            return false;
        }
        const uint32_t slot = unitSlots_[i];
        if (slot < UNPLACED) {
            const ContactBuckets::ContactBuckets::Entry& entry = sorted_[slot];
            if (!same(unit.position.x, entry.x) || !same(unit.position.z, entry.z)) {
                return false;
            }
        } else if (slot == LEFT_OUT && finite(unit.position.x, unit.position.z) &&
                   !std::isnan(unit.boundingRadius)) {
            return false;
        }
    }
    return true;
}

bool ContactGrid::boxStart(uint32_t self, float x, float z, uint32_t& first) const {
    // A unit that stands where it was sorted in searches from the bucket it was given: inside
    // the box every held object near the origin has its eight neighbours too.
    constexpr float LIMIT = ContactCells::BOX_LIMIT;
    if (self != NONE && buckets_[self] < cells_.boxBuckets() && places_[self].x == x &&
        places_[self].z == z && std::fabs(x) <= LIMIT && std::fabs(z) <= LIMIT) {
        first = buckets_[self] - cells_.boxWidth() - 1;
        return true;
    }
    return cells_.boxStart(x, z, first);
}

template <class Visit>
bool ContactGrid::visitNear(uint32_t self, float x, float z, Visit&& visit) const {
    auto visitRun = [&](uint32_t first, uint32_t last) {
        return sorted_.visitRun(first, last, visit);
    };
    uint32_t first = 0;
    if (boxStart(self, x, z, first)) {
        // Where most searches go: three runs of three buckets, one row of the box apart.
        const uint32_t width = cells_.boxWidth();
        return visitRun(first, first + 3) || visitRun(first + width, first + width + 3) ||
               visitRun(first + 2 * width, first + 2 * width + 3);
    }
    return cells_.forEachNeighbourRun(x, z, visitRun);
}

void ContactGrid::moved(std::size_t index) {
    if (index >= unitSlots_.size()) {
        return;
    }
    const uint32_t slot = unitSlots_[index];
    if (slot >= UNPLACED) {
        movedOutside(index);
        return;
    }
    const Vector3& at = (*units_)[index].position;
    const ContactBuckets::Place& home = places_[index];
    const double driftX = std::fabs(double(at.x) - home.x);
    const double driftZ = std::fabs(double(at.z) - home.z);
    // Written so that NaN leaves the cells too.
    if (!(driftX <= drift_ && driftZ <= drift_)) {
        leaveCells(index, slot);
        return;
    }
    drifted_ = std::max(drifted_, std::max(driftX, driftZ));
    ContactBuckets::Entry& entry = sorted_[slot];
    entry.x = at.x;
    entry.z = at.z;
}

void ContactGrid::movedOutside(std::size_t index) {
    const Vector3& at = (*units_)[index].position;
    // Back at finite coordinates (its radius is not NaN: that stays until the next sort), a unit
    // left out can touch again; strays and wide units are tested where they are.
    if (unitSlots_[index] == LEFT_OUT && finite(at.x, at.z) &&
        !std::isnan((*units_)[index].boundingRadius)) {
        unitSlots_[index] = STRAY;
        strays_.push_back(static_cast<uint32_t>(index));
        extras_ = true;
    }
}

void ContactGrid::leaveCells(std::size_t index, uint32_t slot) {
    sorted_[slot].index = NONE;
    const Vector3& at = (*units_)[index].position;
    if (!finite(at.x, at.z)) {
        unitSlots_[index] = LEFT_OUT;
        return;
    }
    unitSlots_[index] = STRAY;
    strays_.push_back(static_cast<uint32_t>(index));
    extras_ = true;
    if (strays_.size() > MAX_STRAYS) {
        build(*units_, *statics_);
    }
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
    const double staticBound = (double(reach) + staticReach_) * ContactCells::SLACK;
    uint32_t firstUnit = NONE;
    uint32_t firstStatic = NONE;
    visitNear(self, at.x, at.z, [&](const ContactBuckets::Entry& entry) {
        const uint32_t o = entry.index;
        if (o < count) {
            // Whether a candidate touches is as likely one way as the other: worked out without
            // a branch, the lowest index that touches is kept.
            const bool touches = (o != self) & ContactBuckets::overlaps(unit, entry);
            firstUnit = std::min(firstUnit, touches ? o : uint32_t{NONE});
            return false;
        }
        // A unit that left its entry marks it NONE; static objects count only while no unit
        // is touched.
        if (o != NONE && ContactBuckets::near(entry, x, z, staticBound) && firstUnit == NONE &&
            o - count < firstStatic && unit.collidesWith(statics[o - count])) {
            firstStatic = o - count;
        }
        return false;
    });
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

bool ContactGrid::touchesAny(std::size_t index) {
    if (index >= witnesses_.size()) {
        return false;
    }
    const auto self = static_cast<uint32_t>(index);
    uint32_t& witness = witnesses_[index];
    if (witness != NONE && touchesObject(self, witness)) {
        return true;
    }
    witness = anyContact(self);
    return witness != NONE;
}

bool ContactGrid::touchesObject(uint32_t self, uint32_t object) const {
    const std::vector<Unit>& units = *units_;
    const Unit& unit = units[self];
    if (object < units.size()) {
        // The entry holds what overlaps needs, in memory that the search reads anyway.
        const uint32_t slot = unitSlots_[object];
        return object != self && (slot < UNPLACED ? ContactBuckets::overlaps(unit, sorted_[slot])
                                                  : unit.overlaps(units[object]));
    }
    return unit.collidesWith((*statics_)[object - units.size()]);
}

uint32_t ContactGrid::anyContact(uint32_t self) const {
    const std::vector<Unit>& units = *units_;
    const std::vector<StaticObject>& statics = *statics_;
    const auto count = static_cast<uint32_t>(units.size());
    const Unit& unit = units[self];
    const Vector3& at = unit.position;
    if (!finite(at.x, at.z) || std::isnan(unit.boundingRadius)) {
        return NONE;
    }
    const float reach = std::fabs(unit.boundingRadius);
    // A unit whose reach the cells do not cover looks everywhere.
    if (!(reach <= unitReach_)) {
        for (uint32_t j = 0; j < count + statics.size(); ++j) {
            if (j != self && touchesObject(self, j)) {
                return j;
            }
        }
        return NONE;
    }
    const double x = at.x;
    const double z = at.z;
    const double staticBound = (double(reach) + staticReach_) * ContactCells::SLACK;
    // The first object found that touches will do: the tick asks no more.
    uint32_t found = NONE;
    visitNear(self, at.x, at.z, [&](const ContactBuckets::Entry& entry) {
        const uint32_t o = entry.index;
        const bool touches = o < count
                                 ? o != self && ContactBuckets::overlaps(unit, entry)
                                 : o != NONE && ContactBuckets::near(entry, x, z, staticBound) &&
                                       unit.collidesWith(statics[o - count]);
        found = touches ? o : found;
        return touches;
    });
    if (found != NONE || !extras_) {
        return found;
    }
    // Order plays no part here either.
    auto touchesAnyOf = [&](const std::vector<uint32_t>& list, uint32_t base) {
        for (const uint32_t j : list) {
            if (j + base != self && touchesObject(self, j + base)) {
                return j + base;
            }
        }
        return uint32_t{NONE};
    };
    found = touchesAnyOf(strays_, 0);
    found = found != NONE ? found : touchesAnyOf(wideUnits_, 0);
    return found != NONE ? found : touchesAnyOf(wideStatics_, count);
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
