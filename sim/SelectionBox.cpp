#include "sim/SelectionBox.h"

#include <algorithm>

#include "scene/SceneRenderer.h"

namespace zelmor {

float SelectionBox::pulseLevel = 0.0f;
float SelectionBox::pulseStep = 0.01f;

namespace {

Vector3 onGround(const Vector3& point) {
    return {point.x, 0.0f, point.z};
}

bool between(float value, float a, float b) {
    return std::min(a, b) <= value && value <= std::max(a, b);
}

}  // namespace

void SelectionBox::begin(const Vector3& point) {
    startCorner = onGround(point);
    position = (startCorner + endCorner) * 0.5f;
}

void SelectionBox::drag(const Vector3& point) {
    endCorner = onGround(point);
    position = (startCorner + endCorner) * 0.5f;
}

bool SelectionBox::contains(const Vector3& point) const {
    if (!active) {
        return false;
    }
    return between(point.x, startCorner.x, endCorner.x) &&
           between(point.z, startCorner.z, endCorner.z);
}

void SelectionBox::draw() const {
    if (!active) {
        return;
    }
    // The level may overshoot the range by a rounding error; it is still used for this frame and
    // the step turns so the next frame heads back.
    pulseLevel = static_cast<float>(double(pulseLevel) + pulseStep);
    if (pulseLevel >= 1.0 || pulseLevel <= 0.0) {
        pulseStep = -pulseStep;
    }
    if (SceneRenderer* renderer = SceneRenderer::installed()) {
        renderer->drawSelectionBox(*this);
    }
}

}  // namespace zelmor
