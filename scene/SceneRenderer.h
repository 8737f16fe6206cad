#pragma once

namespace zelmor {

class Mesh;
class SceneObject;
class SelectionBox;
class Unit;

// What draws the scene. The scene's classes keep their draw operations, and each hands itself
// to the renderer the view installed: the simulation links without any graphics library, and
// nothing the tick calls can reach GL. Without a renderer (the tools, the fuzzers, a session
// replayed without a window) drawing does nothing.
class SceneRenderer {
public:
    virtual ~SceneRenderer() = default;

    // Each with the current model-view matrix; the renderer pushes and pops what it changes
    // below the object's own transform, as the draw operations promise.
    virtual void drawObject(const SceneObject& object) = 0;
    virtual void drawUnit(const Unit& unit) = 0;
    virtual void drawSelectionBox(const SelectionBox& box) = 0;
    virtual void drawMesh(const Mesh& mesh) = 0;

    // The renderer the draw operations reach, or null. The process has one thread and at most
    // one window; tests install their own for a while. Non-owning.
    static SceneRenderer* installed() { return installed_; }
    // Installs renderer (null: none) and returns the one installed before, to restore later.
    static SceneRenderer* install(SceneRenderer* renderer);

private:
    static inline SceneRenderer* installed_ = nullptr;
};

}  // namespace zelmor
