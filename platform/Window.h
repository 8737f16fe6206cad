#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/WindowMessages.h"

namespace zelmor::platform {

// The one top-level window with its GL context (double buffered, 16-bit colour and depth, a
// compatibility profile so GL 1.1 calls work). Creation happens in the steps the start-up report
// names, so each failure can be told apart.
class Window {
public:
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Readies the window system once per process (the window class). Without a display this
    // fails rather than let the program run unseen, unless an offscreen driver was asked for.
    static bool registerClass();
    // A hidden window of width x height: its client area, or the whole window with its frame
    // where the window system sizes windows so (Windows); null when no window can be made.
    // On a display without GL the window comes without it, and createContext fails.
    static std::unique_ptr<Window> create(const std::string& title, int x, int y, int width,
                                          int height, WindowProcedure procedure);
    // The GL context for the window (the pixel format is realised here), then made current.
    bool createContext();
    bool makeCurrent();
    // Shows the window; its procedure gets the size message of the client area, as a new
    // window does.
    bool show(int showCommand);
    void swapBuffers();
    // The text of the window's title bar (the page's title in a browser).
    void setTitle(const std::string& title);
    // True while the window is minimised or hidden: nothing drawn there would be seen.
    bool isMinimised() const;
    // Waits one frame period of the display, for a pass that draws nothing.
    void waitFrame();
    // The native window's id as 32 bits, as the start-up log prints it.
    uint32_t handle() const;
    void* procAddress(const char* name) const;
    void deleteContext();
    void destroy();

    int64_t callProcedure(uint32_t message, uint64_t wParam, int64_t lParam);

    // Each platform's own part: its native window and GL context. Only that platform's code
    // knows what it holds.
    struct Native;
    Native& native() const { return *native_; }

private:
    Window(std::unique_ptr<Native> native, WindowProcedure procedure);

    std::unique_ptr<Native> native_;
    WindowProcedure procedure_ = nullptr;
};

}  // namespace zelmor::platform
