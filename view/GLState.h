#pragma once

#include <cstdint>
#include <map>

namespace zelmor {

class Mesh;

// The GL state the program keeps track of, so that it calls GL only on a change: the
// capabilities the frames share (lighting, depth test, ...), back-face culling, and the mesh
// whose set-up (colour, colour array, vertex pointer) is still in place. One per context; the
// view owns the program's.
class GLState {
public:
    // The capabilities the frames switch, all recorded off, as a new context has them.
    GLState();

    // Switch a capability, calling GL only when the recorded state changes. A code not yet
    // recorded counts as off.
    void enable(uint32_t capability);
    void disable(uint32_t capability);
    const std::map<uint32_t, bool>& capabilities() const { return capabilities_; }

    // Back faces are culled only while merged unit parts that allow it are drawn (see
    // CullPlan); every mesh draw switches culling off again. GL hears of it only on a change.
    void cullBackFaces(bool on);
    // Switches culling off in GL whatever was last asked (a new context).
    void resetCulling();

    // Whether mesh is the one drawn last and its set-up is still in GL: no mesh anywhere has
    // changed since (a replaced or destroyed mesh may have released the arrays GL points to).
    bool isSetUp(const Mesh& mesh) const;
    void setUp(const Mesh& mesh);
    // Something else took the colour or the vertex pointer: the next mesh sets up in full.
    void forgetMesh() { lastMesh_ = nullptr; }

private:
    std::map<uint32_t, bool> capabilities_;
    bool culling_ = false;
    const Mesh* lastMesh_ = nullptr;  // compared for identity only
    uint64_t lastMeshAt_ = 0;         // Mesh::changes() when it was set up
};

}  // namespace zelmor
