#include "app/SessionSnapshot.h"

#include "app/Session.h"

namespace zelmor {

SessionSnapshot SessionSnapshot::of(const Session& session) {
    SessionSnapshot snapshot;
    snapshot.steps_ = session.steps();
    snapshot.geometry_ = session.geometry();
    snapshot.state_ = session.state();
    if (const World* world = session.world()) {
        snapshot.camera_ = world->camera;
        snapshot.units_.reserve(world->units.size());
        for (const Unit& unit : world->units) {
            snapshot.units_.push_back(unit.motion());
        }
    }
    return snapshot;
}

void SessionSnapshot::restore(Session& session) const {
    session.restoreSteps(steps_);
    session.geometry() = geometry_;
    session.state() = state_;
    World* world = session.world();
    if (world == nullptr) {
        return;
    }
    world->camera = camera_;
    for (std::size_t i = 0; i < units_.size() && i < world->units.size(); ++i) {
        world->units[i].restoreMotion(units_[i]);
    }
}

}  // namespace zelmor
