#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/Unit.h"

namespace zelmor {

// The objects of the contact grid sorted by the bucket of their cell: bucket b holds the
// entries from start b up to start b + 1, in list order, so that the objects of neighbouring
// cells lie side by side and a search reads a few short runs of memory.
class ContactBuckets {
public:
    // Where an object stood when it was sorted in, and its radius.
    struct Place {
        float x = 0.0f;
        float z = 0.0f;
        float radius = 0.0f;  // a unit's boundingRadius, a static object's radius()
    };

    struct Entry {
        float x = 0.0f;  // where the object is, as far as the grid knows
        float z = 0.0f;
        // A unit's index in its list, or the unit count plus a static object's index; NONE once
        // a unit has left its cell.
        uint32_t index = NONE;
        // A unit's boundingRadius: with the place above, all that overlaps reads of the other
        // unit, so a search does not reach into the units' own memory, which a crowd would
        // scatter across the cache.
        float radius = 0.0f;
    };

    // The index of no object.
    static constexpr uint32_t NONE = UINT32_MAX;

    // Sorts object o, placed at places[o], into bucket buckets[o] when that is below
    // bucketCount (the others are kept elsewhere); slots[o] becomes the slot of its entry for
    // each o below slots.size() sorted in.
    void sort(const std::vector<Place>& places, const std::vector<uint32_t>& buckets,
              std::size_t bucketCount, std::vector<uint32_t>& slots);

    Entry& operator[](uint32_t slot) { return entries_[slot]; }
    const Entry& operator[](uint32_t slot) const { return entries_[slot]; }

    // Calls visit(entry) for each entry of the buckets [first, last) until a call returns true;
    // returns whether one did.
    template <class Visit>
    bool visitRun(uint32_t first, uint32_t last, Visit&& visit) const {
        const Entry* entries = entries_.data();
        for (uint32_t e = starts_[first], end = starts_[last]; e < end; ++e) {
            if (visit(entries[e])) {
                return true;
            }
        }
        return false;
    }

    // Whether the entry lies within bound of (x, z) on both axes.
    static bool near(const Entry& entry, double x, double z, double bound) {
        return (std::fabs(double(entry.x) - x) <= bound) &
               (std::fabs(double(entry.z) - z) <= bound);
    }
    // Unit::overlaps against the unit of the entry, worked out from the entry alone: the
    // arithmetic of SceneObject::collidesWith, step by step (y plays no part).
    static bool overlaps(const Unit& unit, const Entry& entry) {
        const double reach = double(unit.boundingRadius) + double(entry.radius);
        const Vector3 other{entry.x, 0.0f, entry.z};
        return double(unit.position.planarDistanceSquared(other)) < reach * reach;
    }

private:
    std::vector<uint32_t> starts_;
    std::vector<Entry> entries_;
};

}  // namespace zelmor
