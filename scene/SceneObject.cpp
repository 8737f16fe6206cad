#include "scene/SceneObject.h"

#include "scene/SceneRenderer.h"

namespace zelmor {

void SceneObject::draw() const {
    if (SceneRenderer* renderer = SceneRenderer::installed()) {
        renderer->drawObject(*this);
    }
}

bool SceneObject::containsPoint(const Vector3& p) const {
    return (position - p).length() < boundingRadius;
}

bool SceneObject::collidesWith(const SceneObject& other) const {
    // The other's radius comes from its field: a kind that overrides radius() still collides
    // with the size it was given.
    const double reach = double(boundingRadius) + double(other.boundingRadius);
    return double(position.planarDistanceSquared(other.position)) < reach * reach;
}

void SceneObject::update(int /*ms*/) {}

float SceneObject::radius() const {
    return boundingRadius;
}

void SceneObject::select() {
    selected = true;
}

void SceneObject::deselect() {
    selected = false;
}

}  // namespace zelmor
