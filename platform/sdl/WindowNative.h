#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/FramePacer.h"
#include "platform/Window.h"

namespace zelmor::platform {

struct Window::Native {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    FramePacer pacer;
    bool swapPaced = false;  // the swap waits for the refresh itself
};

// The window made for the SDL window id, or null: events name their window by that id.
Window* windowFromSdlId(uint32_t id);

}  // namespace zelmor::platform
