#pragma once

#include <gtest/gtest.h>

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
    // Clears colour and depth, resets matrices to identity and the viewport to the window, sets
    // the draw state the program's GL set-up leaves (vertex array on, colour array, blending,
    // depth test, lighting and culling off), forgets the last mesh drawn and the counted calls.
    void resetState();

private:
    GlContext();
    std::unique_ptr<platform::Window> window_;
};

// A test on the shared context in its reset state that must leave no GL error behind.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace zelmor::test
