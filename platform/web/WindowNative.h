#pragma once

#include <emscripten/html5.h>

#include "platform/Window.h"

namespace zelmor::platform {

// The canvas is the window; its WebGL context stands in for the GL context.
struct Window::Native {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    bool shown = false;
};

// The element the program draws on and takes the mouse from.
inline constexpr const char* CANVAS = "#canvas";

}  // namespace zelmor::platform
