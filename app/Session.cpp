#include "app/Session.h"

#include "app/MainLoop.h"
#include "platform/WindowMessages.h"

namespace zelmor {

using namespace platform;

Session::Session(ViewGeometry& geometry, SessionHost& host)
    : geometry_(geometry), host_(host), input_(state_, geometry.picker()) {}

void Session::loadWorld(World& world, const std::string& scenePath, const ReadContext& context) {
    world.initTerrain();
    world.loadScene(scenePath, context);
    host_.setCamera(world.camera);
    state_.world = &world;
}

int64_t Session::handleMessage(uint32_t message, uint64_t wParam, int64_t lParam) {
    switch (message) {
        case WM_SIZE:
            host_.resizeView(sizeWidth(lParam), sizeHeight(lParam));
            host_.postPaint();
            return 0;
        case WM_PAINT:
            return 0;
        case WM_CLOSE:
            host_.postQuit(0);
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (input_.onKey(wParam, lParam) != 0) {
                host_.postQuit(0);
            }
            return 0;
        case WM_MOUSEMOVE:
            input_.onMouseMove(pointX(lParam), pointY(lParam), wParam);
            return 0;
        case WM_MOUSELEAVE:
        case WM_KILLFOCUS:
            // No move comes once the pointer has gone, and no key-up once the focus has: a flag
            // set by the edge zone or a held key would otherwise scroll the view on and on.
            state_.scrollFlags = ScrollFlags{};
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            host_.setCapture(true);
            input_.onMouseDown(pointX(lParam), pointY(lParam), wParam, message);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            host_.setCapture(false);
            input_.onMouseUp(pointX(lParam), pointY(lParam), wParam, message);
            return 0;
        default:
            return host_.passOn(message, wParam, lParam);
    }
}

void Session::step() {
    input_.scrollCamera();
    if (state_.world != nullptr) {
        state_.world->update(STEP_MS);
    }
    ++steps_;
}

void Session::buildVisibleLists() {
    state_.visibleUnits.clear();
    state_.visibleStatics.clear();
    if (state_.world == nullptr) {
        return;
    }
    World& world = *state_.world;
    for (Unit& unit : world.units) {
        if (world.isVisible(unit)) {
            state_.visibleUnits.push_back(&unit);
        }
    }
    for (StaticObject& object : world.staticObjects) {
        if (world.isVisible(object)) {
            state_.visibleStatics.push_back(&object);
        }
    }
    for (SceneObject& object : world.extras) {
        if (world.isVisible(object)) {
            state_.visibleStatics.push_back(&object);
        }
    }
}

void Session::renderFrame() {
    host_.beginFrame();
    state_.viewHeight = geometry_.height();
    state_.viewWidth = geometry_.width();
    host_.drawFrame(state_);
}

}  // namespace zelmor
