#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/Window.h"
#include "view/GLRenderer.h"
#include "view/GLState.h"

namespace zelmor::test {

// Asks the window layer for windows that need no display where it can make them (SDL's offscreen
// driver on Linux); elsewhere windows open on the display, hidden.
void useOffscreenWindows();

// A real Mesa GL context in a hidden window (no X server on Linux), made current for the test
// program. The first call creates it; later calls return the same one. It never outlives the
// test run: a global test environment finishes its GL work and deletes it before the program's
// static destructors, so a driver that fails while flushing shows up inside the run, with its
// message, instead of crashing at exit after the libraries under it are gone.
class GlContext {
public:
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;
    ~GlContext();
    static GlContext& get();
    // Finishes pending GL work and deletes the context and its window, if there is one.
    static void release();
    static constexpr int WIDTH = 64;
    static constexpr int HEIGHT = 64;
    platform::Window& window() { return *window_; }
    // The context's tracked state, and the renderer that draws the scene's objects with it; the
    // renderer is installed while the context exists.
    GLState& state() { return state_; }
    // Clears colour and depth, resets matrices to identity and the viewport to the window, sets
    // the draw state the program's GL set-up leaves (vertex array on, colour array, blending,
    // depth test, lighting and culling off), forgets the last mesh drawn and the counted calls.
    void resetState();

private:
    GlContext();
    std::unique_ptr<platform::Window> window_;
    GLState state_;
    GLRenderer renderer_{state_};
    SceneRenderer* previousRenderer_ = nullptr;
};

// A test on the shared context in its reset state. It finishes its GL work before it ends (so
// the driver compiles and runs every draw inside the test) and must leave no GL error behind.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace zelmor::test
