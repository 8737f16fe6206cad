#include "scene/SceneObject.h"

#include <GL/gl.h>

namespace zelmor {

void SceneObject::draw() const {
    glTranslatef(position.x, position.y, position.z);
    // X, then Y, then Z: a vertex turns about Z first. A zero angle costs no call.
    if (angles.x != 0.0f) {
        glRotatef(angles.x, 1.0f, 0.0f, 0.0f);
    }
    if (angles.y != 0.0f) {
        glRotatef(angles.y, 0.0f, 1.0f, 0.0f);
    }
    if (angles.z != 0.0f) {
        glRotatef(angles.z, 0.0f, 0.0f, 1.0f);
    }
    if (mesh) {
        mesh->draw();
    }
    for (const SceneObject& child : children) {
        glPushMatrix();
        child.draw();
        glPopMatrix();
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
