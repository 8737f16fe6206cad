#pragma once

#include <cstdint>

#include "app/AppState.h"
#include "view/GroundPicker.h"

namespace zelmor {

constexpr int EDGE_MARGIN = 20;        // pixels of the edge zones that scroll the view
constexpr float SCROLL_STEP = 0.125f;  // world units per step on each ground axis

// Turns key and mouse messages into camera moves, rubber-band selection and orders. Mouse
// points become ground points through the picker, always as (x, viewHeight - y).
class InputHandlers {
public:
    InputHandlers(AppState& state, GroundPicker& picker) : state_(state), picker_(picker) {}

    // Key-down and key-up alike; returns 1 to ask for the quit message (Escape), else 0.
    int onKey(uint64_t wParam, int64_t lParam);
    void onMouseDown(int x, int y, uint64_t keyState, uint32_t message);
    void onMouseMove(int x, int y, uint64_t keyState);
    void onMouseUp(int x, int y, uint64_t keyState, uint32_t message);
    // Once per simulation step: moves the eye by the set scroll flags.
    void scrollCamera();

private:
    Vector3 groundPoint(int x, int y);
    void selectUnderBox(bool addToSelection);
    void orderSelectedUnits(const Vector3& point, bool queue);

    AppState& state_;
    GroundPicker& picker_;
};

}  // namespace zelmor
