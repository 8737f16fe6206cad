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
      session_(view_.geometry(), *this) {
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
    tellWhenThereIsNoScene(SCENE_PATH);
    session_.loadWorld(world, SCENE_PATH);
}

int64_t Application::windowProcedure(Window* window, uint32_t message, uint64_t wParam,
                                     int64_t lParam) {
    if (current_ == nullptr) {
        return MessageQueue::defaultProcedure(window, message, wParam, lParam);
    }
    Window* const outer = current_->messageWindow_;
    current_->messageWindow_ = window;
    const int64_t result = current_->session_.handleMessage(message, wParam, lParam);
    current_->messageWindow_ = outer;
    return result;
}

bool Application::pollMessage(Message& out) {
    return MessageQueue::instance().peek(out, view_.window());
}

void Application::dispatchMessage(const Message& message) {
    MessageQueue::translate(message);
    MessageQueue::dispatch(message);
}

void Application::drawFrame(const AppState& state) {
    view_.drawList(state.visibleStatics);
    view_.drawList(state.visibleUnits);
    // The rubber band is drawn over everything, whatever the depth buffer holds.
    view_.drawOnTop(state.selectionBox);
    view_.endFrame();
}

void Application::postPaint() {
    MessageQueue::instance().post(messageWindow_, WM_PAINT, 0, 0);
}

void Application::postQuit(int exitCode) {
    MessageQueue::instance().postQuit(exitCode);
}

void Application::setCapture(bool captured) {
    if (captured) {
        MessageQueue::setCapture(messageWindow_);
    } else {
        MessageQueue::releaseCapture();
    }
}

int64_t Application::passOn(uint32_t message, uint64_t wParam, int64_t lParam) {
    return MessageQueue::defaultProcedure(messageWindow_, message, wParam, lParam);
}

}  // namespace zelmor
