#include "app/Application.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/MessageQueue.h"
#include "scene/FileSource.h"
#include "scene/World.h"

namespace zelmor {

using namespace platform;

namespace {

// The readers are silent, so a program started in the wrong folder would show an empty field
// and say nothing: one line tells a newcomer where it looked and where to run it instead.
void tellWhenThereIsNoScene(const char* scenePath) {
    if (FileSource::disk().open(scenePath)) {
        return;
    }
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    std::fprintf(stderr,
                 "zelmor: no readable %s in %s; run zelmor in the data folder, the one that holds "
                 "%s (in the repository: cd data && ../build/zelmor)\n",
                 scenePath, error ? "the working directory" : here.string().c_str(), scenePath);
}

}  // namespace

Application* Application::current_ = nullptr;

Application::Application()
    : fpsLog_("zelmorGL.log", std::ios::out | std::ios::trunc),
      frames_(fpsLog_, clock_),
      input_(state_, view_.picker()) {
    current_ = this;
}

Application::~Application() {
    current_ = nullptr;
}

int Application::run() {
    Application app;
    // Without a window nothing could ever post the quit message: do not enter the loop.
    if (!app.openWindow()) {
        return 1;
    }
    app.loadWorld();
    const int result = MainLoop::run(app, app.clock_);
    app.close();
    return result;
}

bool Application::openWindow() {
    Window* window = view_.createWindow(WINDOW_TITLE, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT,
                                        &Application::windowProcedure);
    if (window == nullptr) {
        return false;
    }
    view_.show(1);
    return true;
}

void Application::loadWorld() {
    World& world = World::instance();
    world.initTerrain();
    tellWhenThereIsNoScene(SCENE_PATH);
    world.loadScene(SCENE_PATH);
    view_.setCamera(world.camera);
    state_.world = &world;
}

int64_t Application::windowProcedure(Window* window, uint32_t message, uint64_t wParam,
                                     int64_t lParam) {
    if (current_ == nullptr) {
        return MessageQueue::defaultProcedure(window, message, wParam, lParam);
    }
    return current_->handleMessage(window, message, wParam, lParam);
}

int64_t Application::handleMessage(Window* window, uint32_t message, uint64_t wParam,
                                   int64_t lParam) {
    MessageQueue& queue = MessageQueue::instance();
    switch (message) {
        case WM_SIZE:
            view_.resize(sizeWidth(lParam), sizeHeight(lParam));
            queue.post(window, WM_PAINT, 0, 0);
            return 0;
        case WM_PAINT:
            return 0;
        case WM_CLOSE:
            queue.postQuit(0);
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (input_.onKey(wParam, lParam) != 0) {
                queue.postQuit(0);
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
            MessageQueue::setCapture(window);
            input_.onMouseDown(pointX(lParam), pointY(lParam), wParam, message);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            MessageQueue::releaseCapture();
            input_.onMouseUp(pointX(lParam), pointY(lParam), wParam, message);
            return 0;
        default:
            return MessageQueue::defaultProcedure(window, message, wParam, lParam);
    }
}

bool Application::pollMessage(Message& out) {
    return MessageQueue::instance().peek(out, view_.window());
}

void Application::dispatchMessage(const Message& message) {
    MessageQueue::translate(message);
    MessageQueue::dispatch(message);
}

void Application::step() {
    input_.scrollCamera();
    state_.world->update(STEP_MS);
}

void Application::buildVisibleLists() {
    const World& world = *state_.world;
    state_.visibleUnits.clear();
    for (Unit& unit : state_.world->units) {
        if (world.isVisible(unit)) {
            state_.visibleUnits.push_back(&unit);
        }
    }
    state_.visibleStatics.clear();
    for (StaticObject& object : state_.world->staticObjects) {
        if (world.isVisible(object)) {
            state_.visibleStatics.push_back(&object);
        }
    }
    for (SceneObject& object : state_.world->extras) {
        if (world.isVisible(object)) {
            state_.visibleStatics.push_back(&object);
        }
    }
}

void Application::renderFrame() {
    view_.beginFrame();
    state_.viewHeight = view_.height();
    state_.viewWidth = view_.width();
    view_.drawList(state_.visibleStatics);
    view_.drawList(state_.visibleUnits);
    // The rubber band is drawn over everything, whatever the depth buffer holds.
    view_.drawOnTop(state_.selectionBox);
    view_.endFrame();
}

}  // namespace zelmor
