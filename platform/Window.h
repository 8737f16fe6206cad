#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/FramePacer.h"
#include "platform/WindowMessages.h"

struct SDL_Window;

namespace zelmor::platform {

// The one top-level window with its GL context (double buffered, 16-bit colour and depth, a
// compatibility profile so GL 1.1 calls work). Creation happens in the steps the start-up report
// names, so each failure can be told apart.
class Window {
public:
    enum class Failure { None, RegisterClass, CreateWindow, ChoosePixelFormat, SetPixelFormat };

    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Starts the video system once per process. Without a display this fails rather than fall
    // back to SDL's invisible offscreen driver, unless SDL_VIDEODRIVER=offscreen was asked for.
    static bool registerClass();
    // A hidden window with a client area of width x height; null when no window can be made.
    // On a display without GL the window comes without it, and createContext fails.
    static std::unique_ptr<Window> create(const std::string& title, int x, int y, int width,
                                          int height, WindowProcedure procedure);
    // The GL context for the window (the pixel format is realised here), then made current.
    bool createContext();
    bool makeCurrent();
    // Shows the window and sends it the size message of its drawable, as a new window gets.
    bool show(int showCommand);
    void swapBuffers();
    // True while the window is minimised or hidden: nothing drawn there would be seen.
    bool isMinimised() const;
    // Waits one frame period of the display, for a pass that draws nothing.
    void waitFrame();
    // 32-bit native id (the X11 window) or SDL's window id.
    uint32_t handle() const;
    void* procAddress(const char* name) const;
    void deleteContext();
    void destroy();

    int64_t callProcedure(uint32_t message, uint64_t wParam, int64_t lParam);
    uint32_t sdlWindowId() const;
    // The window registered under the SDL window id, or null.
    static Window* fromSdlId(uint32_t id);

private:
    Window(SDL_Window* window, WindowProcedure procedure);

    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    WindowProcedure procedure_ = nullptr;
    FramePacer pacer_;
    bool swapPaced_ = false;  // the swap waits for the refresh itself
};

}  // namespace zelmor::platform
