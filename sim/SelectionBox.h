#pragma once

#include "scene/SceneObject.h"

namespace zelmor {

// The rubber band on the ground. position is always the midpoint of the two corners, whose y is
// always 0. Drawn as a grey outline whose level pulses, shared by all boxes.
class SelectionBox : public SceneObject {
public:
    Vector3 startCorner;
    Vector3 endCorner;
    bool active = false;

    static float pulseLevel;  // grey level of the outline
    static float pulseStep;   // change per drawn frame; flips at the ends of [0, 1]

    void begin(const Vector3& point);
    void drag(const Vector3& point);
    void setActive(bool flag) { active = flag; }
    // x and z inside the rectangle, bounds included, corners in any order; false when inactive.
    bool contains(const Vector3& point) const;
    // Advances the pulse and has the installed renderer draw the outline at height
    // OUTLINE_HEIGHT in world coordinates, in grey of the new level; nothing, and no pulse,
    // while inactive.
    void draw() const override;

    static constexpr float OUTLINE_HEIGHT = 0.5f;  // world units above the corners' ground
};

}  // namespace zelmor
