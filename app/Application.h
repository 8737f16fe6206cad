#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/FrameCounter.h"
#include "app/MainLoop.h"
#include "app/RecordingClock.h"
#include "app/ReplayFileSink.h"
#include "app/Session.h"
#include "app/SessionHost.h"
#include "app/SessionRecorder.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "view/GLView.h"

namespace zelmor {

// The program: its window and GL view, the frame-rate log, and the session they host, which
// the main loop drives. The window procedure hands each message to the session. The program's
// session is recorded into replays/ as it runs. There is one Application at a time: run() makes
// the program's; tests make their own and drive its passes through the LoopClient calls.
class Application : public LoopClient, private SessionHost {
public:
    static constexpr const char* SCENE_PATH = "wdf/test.wdf";
    static constexpr const char* WINDOW_TITLE = "zelmor";
    static constexpr int WINDOW_WIDTH = 640;
    static constexpr int WINDOW_HEIGHT = 480;

    // The entry point: window, main loop, shutdown. Returns the process exit code.
    static int run();

    Application();
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The window procedure handed to the window; it reaches the one Application.
    static int64_t windowProcedure(platform::Window* window, uint32_t message, uint64_t wParam,
                                   int64_t lParam);

    // Records the session from here on into a new file in replays/ (in the working directory);
    // a recording that cannot begin says why in "gl.log" once the window has opened it.
    void startRecording();
    // Makes and shows the window; false (after the message box) when it cannot be made.
    bool openWindow();
    // Reads the scene in the working directory into the one World and aims the view at it.
    void loadWorld();
    // Ends the recording, writes the last "gl.log" line and destroys the window.
    void close();
    // A session that never had a window is not worth a replay: the file goes.
    void discardRecording();
    const AppState& state() const { return session_.state(); }
    GLView& view() { return view_; }

private:
    // LoopClient: the session's steps, lists and frames in the window.
    bool pollMessage(platform::Message& out) override;
    void dispatchMessage(const platform::Message& message) override;
    void step() override;
    void buildVisibleLists() override { session_.buildVisibleLists(); }
    void renderFrame() override { session_.renderFrame(); }
    void countFrame() override { frames_.countFrame(); }
    bool isMinimised() override;
    void waitFrame() override { view_.window()->waitFrame(); }

    // SessionHost: the GL view draws, the window system does the rest.
    void resizeView(int width, int height) override { view_.resize(width, height); }
    void setCamera(Camera& camera) override { view_.setCamera(camera); }
    void beginFrame() override { view_.beginFrame(); }
    void drawFrame(const AppState& state) override;
    void postPaint() override;
    void postQuit(int exitCode) override;
    void setCapture(bool captured) override;
    int64_t passOn(uint32_t message, uint64_t wParam, int64_t lParam) override;

    static Application* current_;

    std::ofstream fpsLog_;
    platform::Clock clock_;
    FrameCounter frames_;
    GLView view_;
    Session session_;
    // The window whose message the session is handling; the window procedure may run while the
    // window is still being made, before the view holds it.
    platform::Window* messageWindow_ = nullptr;
    RecordingClock loopClock_{clock_};
    std::filesystem::path replayPath_;
    std::unique_ptr<replay::ReplayFileSink> replayFile_;
    std::unique_ptr<SessionRecorder> recorder_;
    std::string recordingProblem_;  // why no recording began, told once gl.log is open
};

}  // namespace zelmor
