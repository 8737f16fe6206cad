#pragma once

#include <vector>

#include "geometry/Vector3.h"
#include "scene/Mesh.h"

namespace zelmor {

// The base of everything placed in the world. Objects live by value in typed lists and are
// never destroyed through a base pointer; the default copy is the deep copy of the children
// and a shared (non-owning) mesh pointer.
class SceneObject {
public:
    Vector3 position;
    Vector3 angles;  // degrees about x, y, z; a unit's heading is y
    // Beside the position, so that the contact search reads one cache line of each object.
    float boundingRadius = 1.0f;
    bool selected = false;
    std::vector<SceneObject> children;
    const Mesh* mesh = nullptr;  // non-owning; the ModelCache owns every Mesh

    SceneObject() = default;
    SceneObject(const SceneObject&) = default;
    SceneObject& operator=(const SceneObject&) = default;
    virtual ~SceneObject() = default;

    // Drawn by the installed renderer: translated, turned about x, y, z (no call for a zero
    // angle), the mesh, then the children, each between a push and a pop.
    virtual void draw() const;
    // Mouse hit test: 3-D distance to p strictly less than the bounding radius.
    virtual bool containsPoint(const Vector3& p) const;
    // Upright cylinders: planar distance strictly less than the sum of the two radius fields.
    virtual bool collidesWith(const SceneObject& other) const;
    virtual void update(int ms);
    virtual float radius() const;
    virtual void select();
    virtual void deselect();

    bool isSelected() const { return selected; }
};

}  // namespace zelmor
