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
// of the step.
//
// The cells wrap around a table of bounded size (cell (x, z) shares a bucket with cell
// (x + width, z)): any spread of positions fits, and a shared bucket only adds candidates that
// the contact test rejects. Objects that no cell can hold (a position that is not finite or too
// far out for a cell number, a radius that is not finite or very large) stay in short lists
// that every search tests, and a unit of that kind is searched against every object.
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

private:
    static constexpr uint32_t NONE = UINT32_MAX;

    struct Entry {
        float x = 0.0f;  // where the object is, as far as the grid knows
        float z = 0.0f;
        // A unit's index in its list, or the unit count plus a static object's index; NONE once
        // a unit has left its cell.
        uint32_t index = NONE;
    };

    void setUpCells(double size, std::size_t objects, double extent);
    // The bucket of the cell holding (x, z), or NONE when no cell can hold it.
    uint32_t bucketOf(float x, float z) const;
    // Sorts the units and static objects into the buckets that buckets_ names.
    void sortIn();
    // Calls visit(entry) for each entry of the nine buckets around the cell of (x, z), which
    // a cell must be able to hold.
    template <class Visit>
    void visitNeighbours(float x, float z, Visit&& visit) const;
    uint32_t indexOf(const Unit& unit) const;

    const std::vector<Unit>* units_ = nullptr;
    const std::vector<StaticObject>* statics_ = nullptr;
    float unitReach_ = 0.0f;    // largest |radius| of a unit the cells hold
    float staticReach_ = 0.0f;  // largest |radius()| of a static object the cells hold

    // Square cells over a square table of buckets; the objects sorted by bucket, so that bucket
    // b holds entries_[starts_[b]] up to entries_[starts_[b + 1]], in list order.
    double inverse_ = 1.0;  // 1 / the cell size
    uint32_t shift_ = 0;    // log2 of the table width
    uint32_t mask_ = 0;     // table width - 1
    std::vector<uint32_t> starts_;
    std::vector<Entry> entries_;
    std::vector<uint32_t> outsideUnits_;    // units that no cell holds
    std::vector<uint32_t> outsideStatics_;  // static objects that no cell holds
    std::vector<uint32_t> unitSlots_;       // each unit's entry, or NONE outside the cells
    std::vector<Vector3> places_;           // units where they stood at the build, then statics
    std::vector<uint32_t> buckets_;         // scratch of the build: each object's bucket
};

}  // namespace zelmor
