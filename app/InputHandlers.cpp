#include "app/InputHandlers.h"

#include "platform/WindowMessages.h"

namespace zelmor {

namespace {

using platform::SCAN_DOWN;
using platform::SCAN_END;
using platform::SCAN_HOME;
using platform::SCAN_LEFT;
using platform::SCAN_PAGE_DOWN;
using platform::SCAN_PAGE_UP;
using platform::SCAN_RIGHT;
using platform::SCAN_UP;

constexpr uint64_t VK_STOP = 'S';

constexpr Vector3 EYE_UP{0.0f, 0.5f, 0.0f};
constexpr Vector3 EYE_DOWN{0.0f, -0.5f, 0.0f};
constexpr Vector3 LOOK_FORWARD{1.0f, 0.0f, 1.0f};
constexpr Vector3 LOOK_BACK{-1.0f, 0.0f, -1.0f};

void moveEye(World* world, const Vector3& delta) {
    if (world == nullptr) {
        return;
    }
    world->camera.setPosition(world->camera.position() + delta);
}

void moveLook(World* world, const Vector3& delta) {
    if (world == nullptr) {
        return;
    }
    world->camera.setLookOffset(world->camera.lookOffset() + delta);
}

// The direct camera keys act on every message, key-up included, so a press and release moves
// twice; the scroll keys follow the pressed state.
void applyScanCode(int scan, bool pressed, World* world, ScrollFlags& flags) {
    switch (scan) {
        case SCAN_HOME:
            moveEye(world, EYE_UP);
            break;
        case SCAN_END:
            moveEye(world, EYE_DOWN);
            break;
        case SCAN_PAGE_UP:
            moveLook(world, LOOK_FORWARD);
            break;
        case SCAN_PAGE_DOWN:
            moveLook(world, LOOK_BACK);
            break;
        case SCAN_UP:
            flags.scrollUp = pressed;
            break;
        case SCAN_DOWN:
            flags.scrollDown = pressed;
            break;
        case SCAN_LEFT:
            flags.scrollLeft = pressed;
            break;
        case SCAN_RIGHT:
            flags.scrollRight = pressed;
            break;
        default:
            break;
    }
}

// One axis of the edge zones: outside the margin sets the flag of that side (and leaves the
// other alone); the inner zone, borders included, clears both.
void edgeScroll(int coordinate, int extent, bool& lowSide, bool& highSide) {
    if (coordinate < EDGE_MARGIN) {
        lowSide = true;
    } else if (coordinate > extent - EDGE_MARGIN) {
        highSide = true;
    } else {
        lowSide = false;
        highSide = false;
    }
}

}  // namespace

int InputHandlers::onKey(uint64_t wParam, int64_t lParam) {
    // The extended-key bit is not looked at, so the keypad and the cursor block act alike.
    applyScanCode(platform::keyScanCode(lParam), !platform::keyReleased(lParam), state_.world,
                  state_.scrollFlags);
    if (wParam == platform::VK_ESCAPE) {
        return 1;
    }
    if (wParam == VK_STOP) {
        for (Unit* unit : state_.selectedUnits) {
            unit->clearOrders();
            unit->giveOrder(Order::halt());
        }
    }
    return 0;
}

void InputHandlers::onMouseDown(int x, int y, uint64_t /*keyState*/, uint32_t message) {
    if (message != platform::WM_LBUTTONDOWN) {
        return;
    }
    state_.selectionBox.setActive(true);
    state_.selectionBox.begin(groundPoint(x, y));
}

void InputHandlers::onMouseMove(int x, int y, uint64_t /*keyState*/) {
    // The second corner follows the cursor even with no button down; only an active box counts.
    state_.selectionBox.drag(groundPoint(x, y));
    ScrollFlags& flags = state_.scrollFlags;
    edgeScroll(x, state_.viewWidth, flags.scrollLeft, flags.scrollRight);
    edgeScroll(y, state_.viewHeight, flags.scrollUp, flags.scrollDown);
}

void InputHandlers::onMouseUp(int x, int y, uint64_t keyState, uint32_t message) {
    const bool shift = (keyState & platform::MK_SHIFT) != 0;
    const Vector3 point = groundPoint(x, y);
    if (message == platform::WM_LBUTTONUP) {
        state_.selectionBox.drag(point);
        selectUnderBox(shift);
        state_.selectionBox.setActive(false);
        return;
    }
    if (message == platform::WM_RBUTTONUP) {
        orderSelectedUnits(point, shift);
    }
}

void InputHandlers::scrollCamera() {
    const ScrollFlags& flags = state_.scrollFlags;
    if (state_.world == nullptr || !flags.any()) {
        return;
    }
    // Each flag moves the eye along one diagonal of the ground grid; the view turns nowhere.
    Vector3 p = state_.world->camera.position();
    if (flags.scrollUp) {
        p += Vector3(SCROLL_STEP, 0.0f, SCROLL_STEP);
    }
    if (flags.scrollDown) {
        p += Vector3(-SCROLL_STEP, 0.0f, -SCROLL_STEP);
    }
    if (flags.scrollLeft) {
        p += Vector3(SCROLL_STEP, 0.0f, -SCROLL_STEP);
    }
    if (flags.scrollRight) {
        p += Vector3(-SCROLL_STEP, 0.0f, SCROLL_STEP);
    }
    // Set even when opposite flags cancel: the camera is then marked changed all the same.
    state_.world->camera.setPosition(p);
}

Vector3 InputHandlers::groundPoint(int x, int y) {
    // The picker counts y upwards from the bottom edge; the window counts it downwards.
    return picker_.unproject(x, state_.viewHeight - y);
}

void InputHandlers::selectUnderBox(bool addToSelection) {
    if (!addToSelection) {
        for (Unit* unit : state_.selectedUnits) {
            unit->deselect();
        }
        state_.selectedUnits.clear();
    }
    const SelectionBox& box = state_.selectionBox;
    for (Unit* unit : state_.visibleUnits) {
        // A click without a drag makes a box of no size: its centre then picks the unit under it.
        const bool hit = box.contains(unit->position) || unit->containsPoint(box.position);
        if (!hit || unit->isSelected()) {
            continue;
        }
        unit->select();
        state_.selectedUnits.push_back(unit);
    }
}

void InputHandlers::orderSelectedUnits(const Vector3& point, bool queue) {
    const Unit* target = nullptr;
    for (const Unit* unit : state_.visibleUnits) {
        if (unit->containsPoint(point)) {
            target = unit;
        }
    }
    for (Unit* unit : state_.selectedUnits) {
        if (!queue) {
            unit->clearOrders();
        }
        // A unit cannot follow itself; the clicked unit drives to the point instead.
        if (target != nullptr && target != unit) {
            unit->giveOrder(Order::follow(target));
        } else {
            unit->giveOrder(Order::moveTo(point));
        }
    }
}

}  // namespace zelmor
