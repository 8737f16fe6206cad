#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/SceneObject.h"
#include "scene/StaticObject.h"
#include "sim/Unit.h"

namespace zelmor {

// The contact search of the tick without testing every pair. Units and static objects are
// sorted into square cells at least as wide as the longest contact distance, so a unit can only
// touch what lies in its own cell or in the eight around it. The contact tests themselves are
// the units' own overlaps and collidesWith, and among the objects they accept the first in list
// order wins, so the answer is exactly that of the search through every object.
//
// The cells wrap around a table of fixed size (cell (x, z) shares a bucket with cell
// (x + width, z)): any spread of positions fits, and a shared bucket only adds candidates that
// the contact test rejects. Objects that no cell can hold (a position that is not finite or too
// far out for a cell number, a radius that is not finite or very large) stay in a short list
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

private:
    static constexpr uint32_t NONE = UINT32_MAX;

    struct UnitEntry {
        float x = 0.0f;  // the unit's position when the grid last looked
        float z = 0.0f;
        uint32_t bucket = NONE;  // NONE: in the outside list
        uint32_t next = NONE;    // next unit in the same bucket
    };
    struct StaticEntry {
        float x = 0.0f;
        float z = 0.0f;
        uint32_t index = 0;
    };
    // A square table of buckets over wrapped cells of one size.
    struct Cells {
        double cellSize = 1.0;
        double inverse = 1.0;  // 1 / cellSize
        uint32_t shift = 0;    // log2 of the table width
        uint32_t mask = 0;     // table width - 1
        // Cells of at least size; the table covers extent (the larger side of the area the
        // objects take) without wrapping where that costs at most a few buckets per object.
        void setUp(double size, std::size_t objects, double extent);
        std::size_t bucketCount() const { return std::size_t(mask + 1) << shift; }
        // The bucket of the cell holding (x, z), or NONE when no cell can hold it.
        uint32_t bucketOf(float x, float z) const;
        // The nine buckets of the cell holding (x, z) and its neighbours; false when none.
        bool neighbourhood(float x, float z, uint32_t (&buckets)[9]) const;
    };

    void buildUnits();
    void buildStatics();
    void link(uint32_t index, uint32_t bucket);
    void unlink(uint32_t index);
    uint32_t indexOf(const Unit& unit) const;
    uint32_t firstUnitInGrid(const Unit& unit, uint32_t self, const uint32_t (&buckets)[9]) const;
    uint32_t firstStaticInGrid(const Unit& unit, const uint32_t (&buckets)[9]) const;
    const SceneObject* searchEverything(const Unit& unit) const;

    const std::vector<Unit>* units_ = nullptr;
    const std::vector<StaticObject>* statics_ = nullptr;
    float unitReach_ = 0.0f;    // largest |radius| of a unit the cells hold
    float staticReach_ = 0.0f;  // largest |radius()| of a static object the cells hold

    Cells unitCells_;
    std::vector<uint32_t> unitHeads_;  // first unit of each bucket
    std::vector<UnitEntry> unitEntries_;
    std::vector<uint32_t> outsideUnits_;

    Cells staticCells_;
    std::vector<uint32_t> staticStarts_;  // bucket b holds staticEntries_[starts[b], starts[b+1])
    std::vector<StaticEntry> staticEntries_;
    std::vector<uint32_t> outsideStatics_;
    std::vector<uint32_t> staticBuckets_;  // scratch of the build: each object's bucket
};

}  // namespace zelmor
