#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/SceneObject.h"
#include "scene/StaticObject.h"
#include "sim/Unit.h"

namespace zelmor {

// The contact search of the tick without testing every pair. Units and static objects are
// sorted into square cells wider than the longest contact distance, so a unit can only touch
// what lies in its own cell or in the eight around it. The contact tests themselves are the
// units' own overlaps and collidesWith, and among the objects they accept the first in list
// order wins, so the answer is exactly that of the search through every object.
//
// The grid is built once per step. Units keep their cell while they move on within the step
// (the grid tracks their positions), so the cells are wider by the distance a unit may drift
// from where it stood at the build; a unit that drifts further leaves the cells for the rest
// of the step and is tested by every search.
//
// Every finite coordinate has a cell: near the origin its cell number counts cells, and from
// FAR_COORDINATE on, where neighbouring floats lie further apart than a cell is wide, it counts
// floats, so two objects close enough to touch are always in neighbouring cells. The cells of
// the box around the objects near the origin have a bucket each, row by row, when the box is
// not much larger than the number of objects; every other cell goes to a bucket by a hash of
// its block of 4 rows by 16 columns, so no layout of cells crowds one bucket more than
// chance does. A shared bucket only adds candidates that the contact tests reject.
//
// An object at a NaN or infinite coordinate, or with a NaN radius, touches nothing and nothing
// touches it (the squared distance is infinite or NaN, or the reach is NaN, and every test is a
// strict <): it is left out of every search. An object with a radius that the cells do not
// cover (huge or infinite) stays in a short list that every search tests, and a unit of that
// kind is searched against every object.
class ContactGrid {
public:
    // Indexes the units and static objects at their current positions and radii. Both lists
    // must keep their elements in place, and the radii must stay, until the next build.
    void build(const std::vector<Unit>& units, const std::vector<StaticObject>& statics);
    // The first unit in list order, other than unit itself, that unit overlaps; else the first
    // static object it collides with; else null. The units indexed must be where the grid
    // last saw them (build, then moved after each one moves).
    const SceneObject* findContact(const Unit& unit) const;
    // Follows units[index] to its current position, so that later searches see where it went.
    void moved(std::size_t index);
    // The plain search through every unit (unit itself excluded) and then every static object,
    // with the same answer.
    static const SceneObject* searchAll(const std::vector<Unit>& units,
                                        const std::vector<StaticObject>& statics, const Unit& unit);

    // From here on, floats are at least 256 apart: more than the widest cell.
    static constexpr float FAR_COORDINATE = 2147483648.0f;  // 2^31

private:
    static constexpr uint32_t NONE = UINT32_MAX;
    // Where a unit is kept other than in an entry (unitSlots_).
    static constexpr uint32_t STRAY = UINT32_MAX;         // in strays_, tested by every search
    static constexpr uint32_t WIDE = UINT32_MAX - 1;      // in wideUnits_, tested by every search
    static constexpr uint32_t LEFT_OUT = UINT32_MAX - 2;  // touches nothing where it stands

    struct Place {
        float x = 0.0f;
        float z = 0.0f;
        float radius = 0.0f;  // a unit's boundingRadius at the build
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

    // The cell size for the longest contact distance size, and the box of direct buckets over
    // [minX, maxX] x [minZ, maxZ] when it is small enough for the held objects, near of them
    // inside it; the hashed buckets for the rest.
    void setUpCells(double size, std::size_t held, std::size_t near, float minX, float maxX,
                    float minZ, float maxZ);
    // The cell number of a finite coordinate along one axis.
    int64_t cellKey(float coordinate) const;
    // The first of the 16 hashed buckets of row in the block of columns block * 16 on: the
    // block of 4 rows that holds row has 64 buckets side by side from a hashed start.
    uint32_t blockBase(int64_t row, int64_t block) const;
    bool inBox(int64_t column, int64_t row) const;
    // The bucket of cell (column, row).
    uint32_t bucketOfCell(int64_t column, int64_t row) const;
    // The bucket of the cell holding the finite point (x, z).
    uint32_t bucketOf(float x, float z) const;
    // Sorts the objects that buckets_ gives a bucket into their buckets.
    void sortIn();
    // Whether the nine cells around the finite point (x, z), where units[self] (or no unit:
    // NONE) searches from, lie inside the box; if so, first is the bucket of the bottom-left one.
    bool boxStart(uint32_t self, float x, float z, uint32_t& first) const;
    // Calls visit(entry) for each entry of the nine buckets from that bucket on, three runs of
    // three, one row of the box apart: where most searches go.
    template <class Visit>
    void visitBox(uint32_t first, Visit&& visit) const;
    // The same for the nine buckets around the cell of the finite point (x, z) when they do not
    // all lie inside the box.
    template <class Visit>
    void visitNeighbours(float x, float z, Visit&& visit) const;
    uint32_t indexOf(const Unit& unit) const;
    // Whether the entry lies within bound of (x, z) on both axes.
    static bool near(const Entry& entry, double x, double z, double bound);
    // Unit::overlaps against the unit of the entry, worked out from the entry alone.
    static bool overlaps(const Unit& unit, const Entry& entry);

    const std::vector<Unit>* units_ = nullptr;
    const std::vector<StaticObject>* statics_ = nullptr;
    float unitReach_ = 0.0f;    // largest |radius| of a unit the cells hold
    float staticReach_ = 0.0f;  // largest |radius()| of a static object the cells hold

    // Square cells; the objects sorted by bucket, so that bucket b holds entries_[starts_[b]]
    // up to entries_[starts_[b + 1]], in list order. Outside the box a block of 4 rows by 16
    // columns takes 64 buckets side by side from a hashed start, so a row's three neighbouring
    // cells are one run of buckets unless they cross into the next block.
    double inverse_ = 1.0;   // 1 / the cell size
    int64_t farKey_ = 0;     // cellKey(FAR_COORDINATE)
    int64_t nearKey_ = 0;    // cellKey(-FAR_COORDINATE)
    int64_t boxColumn_ = 0;  // the first column and row of the box of direct buckets
    int64_t boxRow_ = 0;
    uint64_t boxWidth_ = 0;  // in cells; 0 without a box
    uint64_t boxHeight_ = 0;
    uint32_t hashStart_ = 0;   // the first hashed bucket: the box's cells come before
    uint32_t hashShift_ = 60;  // 64 - log2 of the number of block starts
    std::vector<uint32_t> starts_;
    std::vector<Entry> entries_;
    std::vector<uint32_t> strays_;       // units that left their cells since the build
    std::vector<uint32_t> wideUnits_;    // units whose radius the cells do not cover
    std::vector<uint32_t> wideStatics_;  // static objects whose radius the cells do not cover
    std::vector<uint32_t> unitSlots_;    // each unit's entry, or STRAY, WIDE or LEFT_OUT
    std::vector<Place> places_;          // units where they stood at the build, then statics
    std::vector<uint32_t> buckets_;      // scratch of the build: each object's bucket or kind
};

}  // namespace zelmor
