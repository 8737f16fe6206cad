#include "platform/win32/WindowNative.h"

#include <cstdint>

namespace zelmor::platform {

namespace {

constexpr const char* CLASS_NAME = "OpenGL";
constexpr DWORD WINDOW_STYLE = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;

HINSTANCE moduleInstance = nullptr;  // set once the window class is registered
// The window whose CreateWindowExA is under way: it receives the messages sent during
// creation, before the handle is known outside.
Window* windowBeingCreated = nullptr;

using SwapIntervalFunction = BOOL(WINAPI*)(int);

// Every message of our windows passes here on its way to the window's procedure.
LRESULT CALLBACK classProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = windowFromHandle(handle);
    if (window == nullptr && windowBeingCreated != nullptr) {
        window = windowBeingCreated;
        window->native().window = handle;
        SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    if (window == nullptr) {
        return DefWindowProcA(handle, message, wParam, lParam);
    }
    if (message == WM_MOUSEMOVE && GetCapture() != handle) {
        trackMouseLeave(handle);
    }
    const LRESULT result = window->callProcedure(message, wParam, lParam);
    // Frames are drawn by the main loop; a client area left invalid would bring WM_PAINT at
    // every poll that finds nothing else.
    if (message == WM_PAINT) {
        ValidateRect(handle, nullptr);
    }
    return result;
}

PIXELFORMATDESCRIPTOR pixelFormatWanted() {
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 16;
    format.cDepthBits = 16;
    return format;
}

}  // namespace

Window* windowFromHandle(HWND handle) {
    return handle != nullptr ? reinterpret_cast<Window*>(GetWindowLongPtrA(handle, GWLP_USERDATA))
                             : nullptr;
}

void trackMouseLeave(HWND handle) {
    TRACKMOUSEEVENT request{sizeof(TRACKMOUSEEVENT), TME_LEAVE, handle, 0};
    TrackMouseEvent(&request);
}

Window::Window(std::unique_ptr<Native> native, WindowProcedure procedure)
    : native_(std::move(native)), procedure_(procedure) {}

Window::~Window() {
    destroy();
}

bool Window::registerClass() {
    if (moduleInstance != nullptr) {
        return true;
    }
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = classProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = CLASS_NAME;
    if (RegisterClassA(&windowClass) == 0) {
        return false;
    }
    moduleInstance = instance;
    return true;
}

// Here width and height are those of the whole window, frame included; the size message tells
// the procedure the client area that remains.
std::unique_ptr<Window> Window::create(const std::string& title, int x, int y, int width,
                                       int height, WindowProcedure procedure) {
    std::unique_ptr<Window> window(new Window(std::make_unique<Native>(), procedure));
    windowBeingCreated = window.get();
    const HWND handle = CreateWindowExA(0, CLASS_NAME, title.c_str(), WINDOW_STYLE, x, y, width,
                                        height, nullptr, nullptr, moduleInstance, nullptr);
    windowBeingCreated = nullptr;
    if (handle == nullptr) {
        window->native_->window = nullptr;
        return nullptr;
    }
    window->native_->window = handle;
    return window;
}

// A failed SetPixelFormat is told by makeCurrent, the next step of the start-up.
bool Window::createContext() {
    Native& native = *native_;
    native.deviceContext = GetDC(native.window);
    PIXELFORMATDESCRIPTOR format = pixelFormatWanted();
    const int chosen = ChoosePixelFormat(native.deviceContext, &format);
    if (chosen == 0) {
        return false;
    }
    native.pixelFormatSet = SetPixelFormat(native.deviceContext, chosen, &format) != FALSE;
    if (!native.pixelFormatSet) {
        return true;
    }
    DescribePixelFormat(native.deviceContext, chosen, sizeof format, &format);
    native.context = wglCreateContext(native.deviceContext);
    return true;
}

bool Window::makeCurrent() {
    if (!native_->pixelFormatSet) {
        return false;
    }
    return wglMakeCurrent(native_->deviceContext, native_->context) != FALSE;
}

void Window::setTitle(const std::string& title) {
    if (native_->window != nullptr) {
        SetWindowTextA(native_->window, title.c_str());
    }
}

bool Window::show(int showCommand) {
    return ShowWindow(native_->window, showCommand) != FALSE;
}

void Window::swapBuffers() {
    Native& native = *native_;
    if (!native.swapIntervalTried) {
        native.swapIntervalTried = true;
        const auto setInterval =
            reinterpret_cast<SwapIntervalFunction>(procAddress("wglSwapIntervalEXT"));
        native.swapIntervalSet = setInterval != nullptr && setInterval(1) != FALSE;
        // The display's refresh rate; 0 and 1 mean the hardware's default, which is unknown.
        const int refresh = GetDeviceCaps(native.deviceContext, VREFRESH);
        native.pacer = FramePacer(refresh > 1 ? refresh : 0);
    }
    SwapBuffers(native.deviceContext);
    // Without vertical sync the pacer waits for the next frame time of the display instead.
    if (!native.swapIntervalSet) {
        native.pacer.waitForNextFrame();
    }
}

bool Window::isMinimised() const {
    return IsIconic(native_->window) != FALSE || IsWindowVisible(native_->window) == FALSE;
}

void Window::waitFrame() {
    native_->pacer.waitOnePeriod();
}

uint32_t Window::handle() const {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(native_->window));
}

void* Window::procAddress(const char* name) const {
    const PROC found = wglGetProcAddress(name);
    // Some drivers answer a miss with a small number or -1 instead of null.
    const auto value = reinterpret_cast<intptr_t>(found);
    return value >= -1 && value <= 3 ? nullptr : reinterpret_cast<void*>(found);
}

void Window::deleteContext() {
    Native& native = *native_;
    if (native.deviceContext != nullptr) {
        ReleaseDC(native.window, native.deviceContext);
        native.deviceContext = nullptr;
    }
    if (native.context != nullptr) {
        wglDeleteContext(native.context);
        native.context = nullptr;
    }
}

void Window::destroy() {
    deleteContext();
    if (native_->window == nullptr) {
        return;
    }
    const HWND handle = native_->window;
    native_->window = nullptr;
    SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
    DestroyWindow(handle);
}

int64_t Window::callProcedure(uint32_t message, uint64_t wParam, int64_t lParam) {
    if (procedure_ == nullptr) {
        return DefWindowProcA(native_->window, message, wParam, lParam);
    }
    return procedure_(this, message, wParam, lParam);
}

}  // namespace zelmor::platform
