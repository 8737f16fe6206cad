#include "app/InputHandlers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/Matrix4.h"
#include "platform/WindowMessages.h"
#include "tests/support/ViewMath.h"

namespace zelmor {
namespace {

using namespace platform;

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
constexpr Vector3 EYE{0.0f, 20.0f, -10.0f};
constexpr Vector3 LOOK{0.0f, -20.0f, 10.0f};  // at the origin

// Key data as the window system reports it: set-1 scan code, extended and released bits.
int64_t keyData(int scan, bool released, bool extended = false) {
    return makeKeyParam(scan, extended, released, released);
}

// A World with three visible units and one outside the view, seen from above and behind the
// origin through a 640x480 window; ground points are reached through their window pixels.
class InputHandlersTest : public testing::Test {
protected:
    void SetUp() override {
        world.camera.setPosition(EYE);
        world.camera.setLookOffset(LOOK);
        picker.setModelview(Matrix4::lookAt(EYE, EYE + LOOK, {0.0f, 1.0f, 0.0f}).toDoubles());
        picker.setProjection(
            Matrix4::perspective(60.0, double(WIDTH) / HEIGHT, 0.1, 100.0).toDoubles());
        picker.setViewport({0, 0, WIDTH, HEIGHT});
        picker.setCamera(&world.camera);
        state.viewWidth = WIDTH;
        state.viewHeight = HEIGHT;
        state.world = &world;
        for (const Vector3& p :
             {Vector3(-4, 0, -2), Vector3(-2, 0, 2), Vector3(4, 0, 0), Vector3(-3, 0, 0)}) {
            world.units.emplace_back();
            world.units.back().position = p;
        }
        a = &world.units[0];
        b = &world.units[1];
        c = &world.units[2];
        hidden = &world.units[3];  // inside any box around a and b, but not in view
        state.visibleUnits = {a, b, c};
    }

    // Client coordinates (y downwards) of a ground point.
    std::pair<int, int> pixel(const Vector3& ground) const {
        const auto w = test::projectToWindow(ground, picker.modelview(), picker.projection(),
                                             picker.viewport());
        return {int(std::lround(w.x)), HEIGHT - int(std::lround(w.y))};
    }
    void leftDrag(const Vector3& from, const Vector3& to, uint64_t keys = 0) {
        const auto [x0, y0] = pixel(from);
        const auto [x1, y1] = pixel(to);
        handlers.onMouseDown(x0, y0, MK_LBUTTON | keys, WM_LBUTTONDOWN);
        handlers.onMouseMove((x0 + x1) / 2, (y0 + y1) / 2, MK_LBUTTON | keys);
        handlers.onMouseUp(x1, y1, keys, WM_LBUTTONUP);
    }
    void leftClick(const Vector3& at, uint64_t keys = 0) { leftDrag(at, at, keys); }
    void rightClick(const Vector3& at, uint64_t keys = 0) {
        const auto [x, y] = pixel(at);
        handlers.onMouseDown(x, y, MK_RBUTTON | keys, WM_RBUTTONDOWN);
        handlers.onMouseUp(x, y, keys, WM_RBUTTONUP);
    }
    std::vector<Unit*> selected() const { return state.selectedUnits; }

    ModelCache cache;
    World world{cache};
    AppState state;
    GroundPicker picker;
    InputHandlers handlers{state, picker};
    Unit* a = nullptr;
    Unit* b = nullptr;
    Unit* c = nullptr;
    Unit* hidden = nullptr;
};

TEST_F(InputHandlersTest, BoxSelectsTheVisibleUnitsInsideAndReplacesTheSelection) {
    leftDrag({-5.5f, 0, 3.5f}, {-0.5f, 0, -3.5f});
    EXPECT_EQ(selected(), (std::vector<Unit*>{a, b}));
    EXPECT_TRUE(a->isSelected() && b->isSelected());
    EXPECT_FALSE(c->isSelected());
    EXPECT_FALSE(hidden->isSelected()) << "units out of view are never picked";
    EXPECT_FALSE(state.selectionBox.active);

    leftDrag({5.5f, 0, 1.5f}, {2.5f, 0, -1.5f});
    EXPECT_EQ(selected(), std::vector<Unit*>{c});
    EXPECT_FALSE(a->isSelected() || b->isSelected());

    leftClick({0.0f, 0, -5.0f});
    EXPECT_TRUE(selected().empty()) << "a miss without shift still clears the selection";
    EXPECT_FALSE(c->isSelected());
}

TEST_F(InputHandlersTest, ClickPicksTheUnitUnderTheCursorAndShiftAdds) {
    leftClick({-1.8f, 0, 2.2f});
    EXPECT_EQ(selected(), std::vector<Unit*>{b});

    leftClick({4.2f, 0, -0.1f}, MK_SHIFT);
    EXPECT_EQ(selected(), (std::vector<Unit*>{b, c}));

    // A shifted box over a and b adds a and keeps b in its place, listed once.
    leftDrag({-5.5f, 0, 3.5f}, {-0.5f, 0, -3.5f}, MK_SHIFT);
    EXPECT_EQ(selected(), (std::vector<Unit*>{b, c, a}));

    leftClick({0.0f, 0, -5.0f}, MK_SHIFT);
    EXPECT_EQ(selected().size(), 3u) << "shift never removes";
}

TEST_F(InputHandlersTest, RightClickOrdersFollowTheClickedUnitOrMoveTo) {
    for (Unit* u : {a, b, c}) {
        u->giveOrder(Order::halt());
        u->select();
    }
    state.selectedUnits = {a, b, c};

    rightClick({-2.1f, 0, 1.9f});  // on b
    EXPECT_EQ(a->orders(), OrderQueue{Order::follow(b)});
    EXPECT_EQ(c->orders(), OrderQueue{Order::follow(b)});
    ASSERT_EQ(b->orders().size(), 1u);
    const Order own = b->orders().front();
    EXPECT_EQ(own.kind, OrderKind::MoveTo) << "the target itself drives to the point";
    EXPECT_EQ(own.point.y, 0.0f);
    EXPECT_LT(own.point.planarDistance({-2.1f, 0, 1.9f}), 0.1f);

    // Shift queues behind the existing orders; the hidden unit is no target.
    rightClick(hidden->position, MK_SHIFT);
    ASSERT_EQ(a->orders().size(), 2u);
    EXPECT_EQ(a->orders().front(), Order::follow(b));
    EXPECT_EQ(a->orders().back().kind, OrderKind::MoveTo);
    EXPECT_LT(a->orders().back().point.planarDistance(hidden->position), 0.1f);
    EXPECT_EQ(b->orders().size(), 2u);
}

TEST_F(InputHandlersTest, RightClickTargetIsTheLastVisibleUnitUnderTheCursor) {
    world.units[3].position = c->position;
    state.visibleUnits = {a, c, hidden, b};
    state.selectedUnits = {a};
    rightClick(c->position);
    EXPECT_EQ(a->orders(), OrderQueue{Order::follow(hidden)});

    state.selectedUnits.clear();
    rightClick({1.0f, 0, 1.0f});
    EXPECT_TRUE(b->orders().empty()) << "nothing selected: no orders";
}

TEST_F(InputHandlersTest, StopKeyHaltsTheSelectionOnPressAndRelease) {
    a->giveOrder(Order::moveTo({1, 0, 1}));
    c->giveOrder(Order::moveTo({2, 0, 2}));
    state.selectedUnits = {a};
    EXPECT_EQ(handlers.onKey('S', keyData(31, false)), 0);
    EXPECT_EQ(a->orders(), OrderQueue{Order::halt()}) << "the old queue is dropped";
    a->giveOrder(Order::moveTo({1, 0, 1}));
    EXPECT_EQ(handlers.onKey('S', keyData(31, true)), 0);
    EXPECT_EQ(a->orders(), OrderQueue{Order::halt()}) << "the release halts again";
    EXPECT_EQ(c->orders().size(), 1u) << "unselected units keep their orders";
    EXPECT_EQ(c->orders().front().kind, OrderKind::MoveTo);
}

TEST_F(InputHandlersTest, CameraKeysActOnPressAndReleaseInBothKeyBlocks) {
    float eyeHeight = 20.0f;
    for (bool extended : {false, true}) {
        handlers.onKey(0x24, keyData(71, false, extended));  // Home / keypad 7
        handlers.onKey(0x24, keyData(71, true, extended));
        eyeHeight += 1.0f;
        EXPECT_EQ(world.camera.position(), Vector3(0.0f, eyeHeight, -10.0f)) << extended;
    }
    handlers.onKey(0x23, keyData(79, false));  // End
    handlers.onKey(0x21, keyData(73, false));  // Page Up twice, Page Down once
    handlers.onKey(0x21, keyData(73, true, true));
    handlers.onKey(0x22, keyData(81, true));
    EXPECT_EQ(world.camera.position(), Vector3(0.0f, 21.5f, -10.0f));
    EXPECT_EQ(world.camera.lookOffset(), Vector3(1.0f, -20.0f, 11.0f));

    state.world = nullptr;
    handlers.onKey(0x24, keyData(71, false));
    handlers.onKey(0x26, keyData(72, false));
    handlers.scrollCamera();
    EXPECT_EQ(world.camera.position(), Vector3(0.0f, 21.5f, -10.0f)) << "no world, no camera";
    EXPECT_TRUE(state.scrollFlags.scrollUp) << "flags still follow the keys without a world";
}

TEST_F(InputHandlersTest, EscapeAsksToQuitOnPressAndRelease) {
    EXPECT_EQ(handlers.onKey(VK_ESCAPE, keyData(1, false)), 1);
    EXPECT_EQ(handlers.onKey(VK_ESCAPE, keyData(1, true)), 1);
    EXPECT_EQ(handlers.onKey('A', keyData(30, false)), 0);
}

// Every way to scroll: press, hold for three steps (the key's auto-repeat or the mouse reported
// again in its place changes nothing), release, two more steps. Keys move while held; the mouse
// within 20 pixels of an edge (the borders at 20 and at the size less 20 are inner) moves towards
// it, corners both ways.
TEST_F(InputHandlersTest, EveryScrollInputMovesTheEyeWhileHeldAndStopsOnRelease) {
    constexpr float S = 0.125f;
    struct Input {
        const char* name;
        int vk, scan;
        bool extended;
        int x, y;  // the mouse's place, for an edge; a key otherwise
        Vector3 step;
    };
    const Input inputs[] = {
        {"Up", 0x26, 72, true, 0, 0, {S, 0, S}},
        {"Down", 0x28, 80, true, 0, 0, {-S, 0, -S}},
        {"Left", 0x25, 75, true, 0, 0, {S, 0, -S}},
        {"Right", 0x27, 77, true, 0, 0, {-S, 0, S}},
        {"keypad 8", 0x68, 72, false, 0, 0, {S, 0, S}},
        {"keypad 2", 0x62, 80, false, 0, 0, {-S, 0, -S}},
        {"keypad 4", 0x64, 75, false, 0, 0, {S, 0, -S}},
        {"keypad 6", 0x66, 77, false, 0, 0, {-S, 0, S}},
        {"top edge", 0, 0, false, 320, 19, {S, 0, S}},
        {"bottom edge", 0, 0, false, 320, 461, {-S, 0, -S}},
        {"left edge", 0, 0, false, 19, 240, {S, 0, -S}},
        {"right edge", 0, 0, false, 621, 240, {-S, 0, S}},
        {"top left", 0, 0, false, 0, 0, {2 * S, 0, 0}},
        {"top right", 0, 0, false, 639, 0, {0, 0, 2 * S}},
        {"bottom left", 0, 0, false, 0, 479, {0, 0, -2 * S}},
        {"bottom right", 0, 0, false, 639, 479, {-2 * S, 0, 0}},
        {"top border", 0, 0, false, 320, 20, {}},
        {"bottom border", 0, 0, false, 320, 460, {}},
        {"left border", 0, 0, false, 20, 240, {}},
        {"right border", 0, 0, false, 620, 240, {}},
    };
    for (const Input& in : inputs) {
        world.camera.setPosition(EYE);
        const bool key = in.vk != 0;
        for (int i = 0; i < 3; ++i) {
            if (key) {
                handlers.onKey(in.vk, keyData(in.scan, false, in.extended));
            } else {
                handlers.onMouseMove(in.x, in.y, 0);
            }
            handlers.scrollCamera();
        }
        EXPECT_EQ(world.camera.position(), EYE + in.step * 3.0f) << in.name << " held";
        if (key) {
            handlers.onKey(in.vk, keyData(in.scan, true, in.extended));
        } else {
            handlers.onMouseMove(320, 240, 0);
        }
        EXPECT_FALSE(state.scrollFlags.any()) << in.name << " released";
        handlers.scrollCamera();
        handlers.scrollCamera();
        EXPECT_EQ(world.camera.position(), EYE + in.step * 3.0f) << in.name << " released";
    }

    // An edge sets its side and leaves the other side of that axis alone: left, then right,
    // cancel out. An inner move clears them both, and a key's flag with them.
    handlers.onMouseMove(19, 240, 0);
    handlers.onMouseMove(621, 240, 0);
    EXPECT_TRUE(state.scrollFlags.scrollLeft && state.scrollFlags.scrollRight);
    world.camera.setPosition(EYE);
    handlers.scrollCamera();
    EXPECT_EQ(world.camera.position(), EYE);
    handlers.onKey(0x26, keyData(72, false, true));
    handlers.onMouseMove(320, 240, 0);
    EXPECT_FALSE(state.scrollFlags.any());
}

// The ground point under the cursor lies exactly under it: projected back, it lands on the
// pixel the mouse reported, counted from the top edge.
TEST_F(InputHandlersTest, EveryMouseMoveDragsTheBoxCornerToTheGroundUnderTheCursor) {
    for (const auto& [x, y] : {std::pair{320, 240}, std::pair{0, 0}, std::pair{639, 479},
                               std::pair{100, 400}, std::pair{500, 50}}) {
        handlers.onMouseMove(x, y, 0);
        const Vector3 corner = state.selectionBox.endCorner;
        const auto w = test::projectToWindow(corner, picker.modelview(), picker.projection(),
                                             picker.viewport());
        EXPECT_NEAR(w.x, x, 0.01) << x << "," << y;
        EXPECT_NEAR(HEIGHT - w.y, y, 0.01) << x << "," << y;
        EXPECT_EQ(corner.y, 0.0f);
    }
    EXPECT_FALSE(state.selectionBox.active);
}

}  // namespace
}  // namespace zelmor
