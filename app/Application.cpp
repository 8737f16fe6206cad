#include "app/Application.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/RecordingFileSource.h"
#include "app/ReplayFolder.h"
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
    app.startRecording();
    // Without a window nothing could ever post the quit message: do not enter the loop.
    if (!app.openWindow()) {
        app.discardRecording();
        return 1;
    }
    app.loadWorld();
    const int result = MainLoop::run(app, app.loopClock_);
    app.close();
    return result;
}

void Application::startRecording() {
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    std::string problem;
    const auto path = ReplayFolder::prepare(error ? "." : here, std::time(nullptr), problem);
    if (!path) {
        recordingProblem_ = "Replay recording stopped: " + problem;
        return;
    }
    replayPath_ = *path;
    replayFile_ = std::make_unique<replay::ReplayFileSink>(path->string());
    if (replayFile_->openFailure()) {
        recordingProblem_ =
            "Replay recording stopped: " + path->string() + ": " + *replayFile_->openFailure();
        replayFile_.reset();
        return;
    }
    const replay::Header header{ZELMOR_VERSION, ZELMOR_PLATFORM_NAME,
                                static_cast<int64_t>(std::time(nullptr))};
    recorder_ = std::make_unique<SessionRecorder>(
        *replayFile_, header, [this](const std::string& line) { view_.note(line); });
    loopClock_.recordTo(recorder_.get());
}

void Application::discardRecording() {
    loopClock_.recordTo(nullptr);
    recorder_.reset();
    if (replayFile_ != nullptr) {
        replayFile_.reset();
        std::error_code ignored;
        std::filesystem::remove(replayPath_, ignored);
    }
}

void Application::close() {
    if (recorder_ != nullptr) {
        recorder_->end(session_);
        loopClock_.recordTo(nullptr);
    }
    view_.shutdown();
}

bool Application::openWindow() {
    Window* window = view_.createWindow(WINDOW_TITLE, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT,
                                        &Application::windowProcedure);
    if (window == nullptr) {
        return false;
    }
    view_.show(1);
    if (!recordingProblem_.empty()) {
        view_.note(recordingProblem_);
    }
    return true;
}

void Application::loadWorld() {
    World& world = World::instance();
    tellWhenThereIsNoScene(SCENE_PATH);
    if (recorder_ == nullptr) {
        session_.loadWorld(world, SCENE_PATH);
        return;
    }
    // Every file the scene reads goes into the recording as the readers get it.
    SessionRecorder& recorder = *recorder_;
    const RecordingFileSource files(
        FileSource::disk(), [&recorder](const replay::EmbeddedFile& file) { recorder.embed(file); },
        [&recorder](const std::string& path) {
            recorder.stop(path + " is too large to go into a replay");
        });
    session_.loadWorld(world, SCENE_PATH, ReadContext{&files, nullptr});
    recorder.sceneLoaded();
}

int64_t Application::windowProcedure(Window* window, uint32_t message, uint64_t wParam,
                                     int64_t lParam) {
    if (current_ == nullptr) {
        return MessageQueue::defaultProcedure(window, message, wParam, lParam);
    }
    Application& app = *current_;
    if (app.recorder_ != nullptr) {
        app.recorder_->handled(app.session_.steps(), message, wParam, lParam);
    }
    Window* const outer = app.messageWindow_;
    app.messageWindow_ = window;
    const int64_t result = app.session_.handleMessage(message, wParam, lParam);
    app.messageWindow_ = outer;
    return result;
}

bool Application::pollMessage(Message& out) {
    if (!MessageQueue::instance().peek(out, view_.window())) {
        return false;
    }
    if (out.message == WM_QUIT && recorder_ != nullptr) {
        recorder_->quit(session_.steps(), static_cast<int>(out.wParam));
    }
    return true;
}

void Application::step() {
    session_.step();
    if (recorder_ != nullptr) {
        recorder_->stepped(session_);
    }
}

bool Application::isMinimised() {
    const bool minimised = view_.window() != nullptr && view_.window()->isMinimised();
    if (recorder_ != nullptr) {
        recorder_->flushIfDue(clock_.now());
        recorder_->passMinimised(minimised);
    }
    return minimised;
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
