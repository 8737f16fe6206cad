#pragma once

#include "scene/SceneRenderer.h"
#include "view/GLState.h"

namespace zelmor {

// Draws the scene's objects with OpenGL 1.1: client-side vertex arrays, glDrawElements, the
// fixed-function matrix stack and immediate-mode lines. Calls GL only for what changes, through
// the context's GLState.
class GLRenderer : public SceneRenderer {
public:
    // state must outlive the renderer.
    explicit GLRenderer(GLState& state) : state_(state) {}

    // Translate, rotate about x, y, z (no call for a zero angle), mesh, then each child between
    // a push and a pop.
    void drawObject(const SceneObject& object) override;
    // Translate, rotate about x, z, then y (the heading goes last so that it acts first), mesh,
    // children, then the parts in name order and the selection marker: merged through the parts'
    // PartBatch, or one by one between pushes and pops.
    void drawUnit(const Unit& unit) override;
    // The outline of the band, a line loop in the box's grey at its outline height.
    void drawSelectionBox(const SelectionBox& box) override;
    // Colour, colour array or additive blending, vertex pointer and one glDrawElements; the
    // set-up is skipped while the same mesh is drawn again and its state is still in place.
    void drawMesh(const Mesh& mesh) override;

    GLState& state() { return state_; }

private:
    void drawChildren(const SceneObject& object);
    void drawPartsOneByOne(const Unit& unit, const Mesh* marker);

    GLState& state_;
};

}  // namespace zelmor
