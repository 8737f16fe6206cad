#pragma once

#include "platform/win32/WinApi.h"

#include "platform/FramePacer.h"
#include "platform/Window.h"

namespace zelmor::platform {

struct Window::Native {
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC context = nullptr;
    bool pixelFormatSet = false;
    bool swapIntervalTried = false;
    bool swapIntervalSet = false;
    FramePacer pacer;  // paces the swaps when the swap interval could not be set
};

// The Window object of a window handle, or null for a handle that is not one of ours.
Window* windowFromHandle(HWND handle);
// Asks for WM_MOUSELEAVE when the pointer leaves the client area; posted at once when it is
// already outside. One request covers one leave, so each uncaptured move asks again.
void trackMouseLeave(HWND handle);

}  // namespace zelmor::platform
