#pragma once

#include "app/SessionHost.h"
#include "view/ViewGeometry.h"

namespace zelmor {

// The host of a session that runs without a window (a replay, a benchmark): the view's geometry
// follows the session's sizes, camera and frames as the windowed view's does, and nothing is
// drawn, posted or captured.
class GeometryHost : public SessionHost {
public:
    // geometry must outlive the host.
    explicit GeometryHost(ViewGeometry& geometry) : geometry_(geometry) {}

    void resizeView(int width, int height) override { geometry_.resize(width, height); }
    void setCamera(Camera& camera) override { geometry_.setCamera(camera); }
    void beginFrame() override { geometry_.beginFrame(); }
    void drawFrame(const AppState&) override {}
    void postPaint() override {}
    void postQuit(int) override {}
    void setCapture(bool) override {}
    int64_t passOn(uint32_t, uint64_t, int64_t) override { return 0; }

private:
    ViewGeometry& geometry_;
};

}  // namespace zelmor
