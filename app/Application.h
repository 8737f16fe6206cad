#pragma once

#include <cstdint>
#include <fstream>

#include "app/AppState.h"
#include "app/FrameCounter.h"
#include "app/InputHandlers.h"
#include "app/MainLoop.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "view/GLView.h"

namespace zelmor {

// The program: its window, the shared state of the loop and the handlers, and the window
// procedure that turns messages into handler calls. There is one at a time: run() makes the
// program's; tests make their own and drive its passes through the LoopClient calls.
class Application : public LoopClient {
public:
    static constexpr const char* SCENE_PATH = "wdf/test.wdf";
    static constexpr const char* WINDOW_TITLE = "zelmor";
    static constexpr int WINDOW_WIDTH = 640;
    static constexpr int WINDOW_HEIGHT = 480;

    // The entry point: window, main loop, shutdown. Returns the process exit code.
    static int run();

    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The window procedure handed to the window; it reaches the one Application.
    static int64_t windowProcedure(platform::Window* window, uint32_t message, uint64_t wParam,
                                   int64_t lParam);

    // Makes and shows the window; false (after the message box) when it cannot be made.
    bool openWindow();
    // Reads the scene in the working directory into the one World and aims the view at it.
    void loadWorld();
    // Writes the last "gl.log" line and destroys the window.
    void close() { view_.shutdown(); }
    const AppState& state() const { return state_; }
    GLView& view() { return view_; }

private:
    int64_t handleMessage(platform::Window* window, uint32_t message, uint64_t wParam,
                          int64_t lParam);

    bool pollMessage(platform::Message& out) override;
    void dispatchMessage(const platform::Message& message) override;
    void step() override;
    void buildVisibleLists() override;
    void renderFrame() override;
    void countFrame() override { frames_.countFrame(); }
    bool isMinimised() override {
        return view_.window() != nullptr && view_.window()->isMinimised();
    }
    void waitFrame() override { view_.window()->waitFrame(); }

    static Application* current_;

    AppState state_;
    std::ofstream fpsLog_;
    platform::Clock clock_;
    FrameCounter frames_;
    GLView view_;
    InputHandlers input_;
};

}  // namespace zelmor
