#pragma once

#include <cstdint>
#include <vector>

#include "scene/SceneObject.h"
#include "scene/World.h"
#include "sim/SelectionBox.h"
#include "sim/Unit.h"

namespace zelmor {

// Set and cleared by the keyboard and by the mouse at the window's edges; read once per step.
struct ScrollFlags {
    bool scrollRight = false;
    bool scrollLeft = false;
    bool scrollUp = false;
    bool scrollDown = false;

    bool any() const { return scrollRight || scrollLeft || scrollUp || scrollDown; }
};

// What the main loop, the input handlers and the frame share. The lists hold non-owning
// pointers into the World's lists, which never change after the scene is read.
struct AppState {
    std::vector<Unit*> visibleUnits;           // rebuilt every pass
    std::vector<SceneObject*> visibleStatics;  // static objects, then extras
    SelectionBox selectionBox;
    std::vector<Unit*> selectedUnits;  // in the order they were selected
    ScrollFlags scrollFlags;
    int32_t viewWidth = 0;  // pixels, copied from the view every frame
    int32_t viewHeight = 0;
    World* world = nullptr;  // non-owning
};

}  // namespace zelmor
