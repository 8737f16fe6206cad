#include "scene/StaticObject.h"

namespace zelmor {

// Scenery is never selected, so a copy never carries a selection mark over.
StaticObject::StaticObject(const StaticObject& other) : SceneObject(other) {
    selected = false;
}

StaticObject& StaticObject::operator=(const StaticObject& other) {
    SceneObject::operator=(other);
    selected = false;
    return *this;
}

bool StaticObject::collidesWith(const SceneObject& /*other*/) const {
    return false;
}

void StaticObject::select() {}

void StaticObject::deselect() {}

}  // namespace zelmor
