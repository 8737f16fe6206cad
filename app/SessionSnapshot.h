#pragma once

#include <cstdint>
#include <vector>

#include "app/AppState.h"
#include "geometry/Camera.h"
#include "sim/Unit.h"
#include "view/ViewGeometry.h"

namespace zelmor {

class Session;

// Everything of a session that its messages, steps and frames change, kept so that a replay can
// return to this point: the units' motion and orders, the camera, the view's geometry, the
// selection, the visible lists, the scroll flags and the step count. The World's other objects,
// its terrain and the meshes never change once the scene is read, and the references into the
// World's lists stay valid, so they are kept as they are.
class SessionSnapshot {
public:
    static SessionSnapshot of(const Session& session);
    // Puts the session back where it was when the snapshot was taken; the session must be the
    // one it was taken of.
    void restore(Session& session) const;

    uint64_t steps() const { return steps_; }

private:
    uint64_t steps_ = 0;
    std::vector<Unit::Motion> units_;
    Camera camera_;
    ViewGeometry geometry_;
    AppState state_;
};

}  // namespace zelmor
