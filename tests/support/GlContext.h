#pragma once

#include <memory>

#include "platform/Window.h"

namespace zelmor::test {

// A real Mesa GL context on SDL's offscreen driver (no X server), made current for the whole
// test process. The first call creates it; later calls return the same one.
class GlContext {
  public:
    static GlContext& get();
    static constexpr int WIDTH = 64;
    static constexpr int HEIGHT = 64;
    platform::Window& window() { return *window_; }
    // Clears colour and depth, resets matrices to identity and the viewport to the window.
    void resetState();

  private:
    GlContext();
    std::unique_ptr<platform::Window> window_;
};

}  // namespace zelmor::test
