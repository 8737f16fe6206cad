#include "platform/Window.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "platform/sdl/WindowNative.h"

namespace zelmor::platform {

namespace {

std::map<uint32_t, Window*>& registry() {
    static std::map<uint32_t, Window*> windows;
    return windows;
}

// Starts the video subsystem on a driver that shows a real window. SDL would otherwise fall
// back to its invisible offscreen driver when there is no display, and the user would get a
// program that runs unseen and can never be told to quit.
bool startVideo() {
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    if (requested != nullptr && *requested != '\0') {
        return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }
    std::string reasons;
    for (const char* driver : {"x11", "wayland"}) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            return true;
        }
        reasons += std::string(reasons.empty() ? "" : "; ") + driver + ": " + SDL_GetError();
    }
    std::fprintf(stderr, "No display to open a window on (%s).\n", reasons.c_str());
    return false;
}

// The refresh rate of the display the window is on; 0 when unknown.
int refreshRate(SDL_Window* window) {
    const int display = SDL_GetWindowDisplayIndex(window);
    SDL_DisplayMode mode;
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) {
        return 0;
    }
    return mode.refresh_rate;
}

}  // namespace

Window::Window(std::unique_ptr<Native> native, WindowProcedure procedure)
    : native_(std::move(native)), procedure_(procedure) {
    registry()[SDL_GetWindowID(native_->window)] = this;
}

Window::~Window() {
    destroy();
}

bool Window::registerClass() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        return true;
    }
    // One close message per click on the close box: the program decides when to quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    return startVideo();
}

std::unique_ptr<Window> Window::create(const std::string& title, int x, int y, int width,
                                       int height, WindowProcedure procedure) {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 6);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    const Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    SDL_Window* window =
        SDL_CreateWindow(title.c_str(), x, y, width, height, flags | SDL_WINDOW_OPENGL);
    if (window == nullptr) {
        // SDL ties GL to the window: on a display without GL it is the window that fails. A
        // plain window still shows whether the window itself can be made; its GL context then
        // cannot, and the failure is reported where the GL set-up fails.
        const std::string glError = SDL_GetError();
        window = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
        if (window == nullptr) {
            return nullptr;
        }
        std::fprintf(stderr, "No GL for the window (%s).\n", glError.c_str());
    }
    auto native = std::make_unique<Native>();
    native->window = window;
    return std::unique_ptr<Window>(new Window(std::move(native), procedure));
}

bool Window::createContext() {
    if (native_->window == nullptr) {
        return false;
    }
    if ((SDL_GetWindowFlags(native_->window) & SDL_WINDOW_OPENGL) == 0) {
        return false;
    }
    native_->context = SDL_GL_CreateContext(native_->window);
    return native_->context != nullptr;
}

bool Window::makeCurrent() {
    if (native_->window == nullptr || native_->context == nullptr) {
        return false;
    }
    if (SDL_GL_MakeCurrent(native_->window, native_->context) != 0) {
        return false;
    }
    // Vertical sync where the driver offers it. Where it does not (Xvfb, llvmpipe, many virtual
    // machines) the swap returns at once and the program would draw as fast as it can: the
    // pacer then waits for the display's refresh instead.
    native_->swapPaced = SDL_GL_SetSwapInterval(1) == 0;
    if (!native_->swapPaced) {
        native_->pacer = FramePacer(refreshRate(native_->window));
    }
    return true;
}

void Window::setTitle(const std::string& title) {
    if (native_->window != nullptr) {
        SDL_SetWindowTitle(native_->window, title.c_str());
    }
}

bool Window::show(int /*showCommand*/) {
    if (native_->window == nullptr) {
        return false;
    }
    const bool wasVisible = (SDL_GetWindowFlags(native_->window) & SDL_WINDOW_SHOWN) != 0;
    SDL_ShowWindow(native_->window);
    // A new window learns its client size from a size message; SDL sends none at creation.
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(native_->window, &width, &height);
    callProcedure(WM_SIZE, 0, makeSizeParam(width, height));
    return wasVisible;
}

// Where the swap does not wait for the display's refresh, the pacer waits for the next frame
// time of its refresh rate instead: the frame rate is the display's either way.
void Window::swapBuffers() {
    if (native_->window == nullptr) {
        return;
    }
    SDL_GL_SwapWindow(native_->window);
    if (!native_->swapPaced) {
        native_->pacer.waitForNextFrame();
    }
}

uint32_t Window::handle() const {
    if (native_->window == nullptr) {
        return 0;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(native_->window, &info) == SDL_TRUE &&
        info.subsystem == SDL_SYSWM_X11) {
        return static_cast<uint32_t>(info.info.x11.window);
    }
    return SDL_GetWindowID(native_->window);
}

void* Window::procAddress(const char* name) const {
    return SDL_GL_GetProcAddress(name);
}

void Window::deleteContext() {
    if (native_->context != nullptr) {
        SDL_GL_DeleteContext(native_->context);
        native_->context = nullptr;
    }
}

void Window::destroy() {
    deleteContext();
    if (native_->window == nullptr) {
        return;
    }
    registry().erase(SDL_GetWindowID(native_->window));
    SDL_DestroyWindow(native_->window);
    native_->window = nullptr;
}

int64_t Window::callProcedure(uint32_t message, uint64_t wParam, int64_t lParam) {
    if (procedure_ == nullptr) {
        return 0;
    }
    return procedure_(this, message, wParam, lParam);
}

bool Window::isMinimised() const {
    if (native_->window == nullptr) {
        return true;
    }
    const Uint32 flags = SDL_GetWindowFlags(native_->window);
    return (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0;
}

void Window::waitFrame() {
    native_->pacer.waitOnePeriod();
}

Window* windowFromSdlId(uint32_t id) {
    const auto found = registry().find(id);
    return found != registry().end() ? found->second : nullptr;
}

}  // namespace zelmor::platform
