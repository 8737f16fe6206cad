#pragma once

#include <cstdint>
#include <string>

#include "app/AppState.h"
#include "app/InputHandlers.h"
#include "app/SessionHost.h"
#include "scene/World.h"
#include "view/ViewGeometry.h"

namespace zelmor {

// The program's state and what changes it: the World, the view's geometry, the selection, the
// visible lists and the scroll flags, changed by window messages, simulation steps and frames,
// always in that one way. The windowed program and a replayed session drive the same session;
// GL and the window system are reached only through the host.
class Session {
public:
    // geometry and host must outlive the session; geometry is the one the host's view draws
    // with.
    Session(ViewGeometry& geometry, SessionHost& host);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The window procedure's work for one message; its result.
    int64_t handleMessage(uint32_t message, uint64_t wParam, int64_t lParam);
    // One simulation step: the camera scrolls by the scroll flags, then the World advances by
    // STEP_MS.
    void step();
    // The units, then the static objects and extras, that the camera's frustum holds.
    void buildVisibleLists();
    // One frame: the view's frame begins, the view's size reaches the handlers, the frame draws.
    void renderFrame();
    // The session's World (which outlives it) gets its terrain and the scene at scenePath, and
    // the view takes its camera. Until then messages move no camera and steps move nothing.
    void loadWorld(World& world, const std::string& scenePath, const ReadContext& context = {});

    const AppState& state() const { return state_; }
    AppState& state() { return state_; }
    // Null until loadWorld.
    World* world() const { return state_.world; }
    const ViewGeometry& geometry() const { return geometry_; }
    ViewGeometry& geometry() { return geometry_; }
    // Steps run so far.
    uint64_t steps() const { return steps_; }
    // For a replay that returns to an earlier step (see SessionSnapshot).
    void restoreSteps(uint64_t steps) { steps_ = steps; }

private:
    ViewGeometry& geometry_;
    SessionHost& host_;
    AppState state_;
    InputHandlers input_;
    uint64_t steps_ = 0;
};

}  // namespace zelmor
