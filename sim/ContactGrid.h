#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/SceneObject.h"
#include "scene/StaticObject.h"
#include "sim/ContactBuckets.h"
#include "sim/ContactCells.h"
#include "sim/Unit.h"

namespace zelmor {

// The contact search of the tick without testing every pair. Units and static objects are
// sorted into the square cells of ContactCells, wider than the longest contact distance, so a
// unit can only touch what lies in its own cell or in the eight around it. The contact tests
// themselves are the units' own overlaps and collidesWith, and among the objects they accept
// the first in list order wins, so the answer is exactly that of the search through every
// object.
//
// A unit keeps the bucket it was sorted into while it moves on (the grid tracks its position),
// so the cells are wider by the distance a unit may drift from where it stood when it was
// sorted; a unit that drifts further leaves the cells and is tested by every search until the
// next sort. The tick sorts again only when a unit may drift that far in the coming step, when
// the lists, a radius or a static object changed, or when a unit strayed.
//
// An object at a NaN or infinite coordinate, or with a NaN radius, touches nothing and nothing
// touches it (the squared distance is infinite or NaN, or the reach is NaN, and every test is a
// strict <): it is left out of every search. An object with a radius that the cells do not
// cover (huge or infinite) stays in a short list that every search tests, and a unit of that
// kind is searched against every object.
class ContactGrid {
public:
    // Sorts the units and static objects in at their current positions and radii. Both lists
    // must keep their elements in place, and the radii must stay, until the next build or
    // refresh.
    void build(const std::vector<Unit>& units, const std::vector<StaticObject>& statics);
    // Brings the grid up to date with the lists as they are now, whatever changed since the
    // grid last saw them, and sorts again only when it must: at the start of each step.
    void refresh(const std::vector<Unit>& units, const std::vector<StaticObject>& statics);
    // The first unit in list order, other than unit itself, that unit overlaps; else the first
    // static object it collides with; else null. The units indexed must be where the grid
    // last saw them (build or refresh, then moved after each one moves).
    const SceneObject* findContact(const Unit& unit) const;
    // Whether units[index] overlaps another unit or collides with a static object: all that
    // the tick asks. The object it touched last is tested first, since in a crowd a contact
    // lasts for many steps.
    bool touchesAny(std::size_t index);
    // Follows units[index] to its current position, so that later searches see where it went.
    void moved(std::size_t index);
    // The plain search through every unit (unit itself excluded) and then every static object,
    // with the same answer.
    static const SceneObject* searchAll(const std::vector<Unit>& units,
                                        const std::vector<StaticObject>& statics, const Unit& unit);

    static constexpr float FAR_COORDINATE = ContactCells::FAR_COORDINATE;

private:
    // What a slot holds in place of an entry or a bucket (every real one lies below UNPLACED),
    // and what names no object. A plain enum in the class's scope: its values are stored and
    // compared with indices.
    enum Mark : uint32_t {
        UNPLACED = UINT32_MAX - 4,    // held in the cells, bucket not yet known (sorting only)
        LEFT_OUT = UINT32_MAX - 3,    // touches nothing where it stands
        WIDE = UINT32_MAX - 2,        // in wideUnits_ or wideStatics_, tested by every search
        STRAY = UINT32_MAX - 1,       // a unit in strays_, tested by every search
        NONE = ContactBuckets::NONE,  // no object; also an entry whose unit has left it
    };

    // Reads every object's place and radius, sets up the cells for them and finds each one's
    // bucket or mark.
    void placeAll();
    // Sorts the objects that buckets_ gives a bucket into their buckets.
    void sortIn();
    // Whether the lists are those of the last sort, every radius and static object is as it
    // was then, and no unit left its cells or may leave them in the coming step; follows the
    // units moved since.
    bool stillSorted();
    // The bucket of the bottom-left of the nine cells around units[self] (or no unit: NONE) at
    // the finite point (x, z), when all nine lie in the box.
    bool boxStart(uint32_t self, float x, float z, uint32_t& first) const;
    // Calls visit(entry) for each entry of the nine cells around the finite point (x, z) until
    // a call returns true; returns whether one did.
    template <class Visit>
    bool visitNear(uint32_t self, float x, float z, Visit&& visit) const;
    uint32_t indexOf(const Unit& unit) const;
    // moved for a unit without an entry: a stray, a wide unit or one left out.
    void movedOutside(std::size_t index);
    // Takes a unit out of its entry at slot: it strays, or it is left out where it went.
    void leaveCells(std::size_t index, uint32_t slot);
    // The first object found touching units[self], in any order, or NONE.
    uint32_t anyContact(uint32_t self) const;
    // Whether units[self] touches the object named as an entry's index names it.
    bool touchesObject(uint32_t self, uint32_t object) const;

    const std::vector<Unit>* units_ = nullptr;
    const std::vector<StaticObject>* statics_ = nullptr;
    float unitReach_ = 0.0f;    // largest |radius| of a unit the cells hold
    float staticReach_ = 0.0f;  // largest |radius()| of a static object the cells hold
    double drift_ = 0.0;        // how far a unit may move from its place and keep its bucket
    double drifted_ = 0.0;      // the furthest any unit has gone from its place, on one axis
    bool extras_ = false;       // whether any unit strays or any object is wide

    ContactCells cells_;
    ContactBuckets sorted_;
    std::vector<uint32_t> strays_;       // units that left their cells since the sort
    std::vector<uint32_t> wideUnits_;    // units whose radius the cells do not cover
    std::vector<uint32_t> wideStatics_;  // static objects whose radius the cells do not cover
    std::vector<uint32_t> unitSlots_;    // each unit's entry, or STRAY, WIDE or LEFT_OUT
    std::vector<ContactBuckets::Place> places_;  // units where they stood at the sort, statics
    std::vector<uint32_t> buckets_;              // each object's bucket at the sort, or its mark
    std::vector<uint32_t> witnesses_;            // the object each unit touched last, or NONE
};

}  // namespace zelmor
