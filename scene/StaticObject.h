#pragma once

#include "scene/SceneObject.h"

namespace zelmor {

// Scenery: drawn and hit by the mouse, never selected, and its own collision test is always
// false (units test against it with theirs).
class StaticObject : public SceneObject {
public:
    StaticObject() = default;
    StaticObject(const StaticObject& other);
    StaticObject& operator=(const StaticObject& other);

    bool collidesWith(const SceneObject& other) const override;
    void select() override;
    void deselect() override;
};

}  // namespace zelmor
