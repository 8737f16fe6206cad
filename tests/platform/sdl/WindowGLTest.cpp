#include "platform/Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include <SDL.h>

#include "platform/sdl/WindowNative.h"
#include "tests/support/GlContext.h"

namespace zelmor::platform {
namespace {

// A GL window of its own on the offscreen driver, its context current.
class SdlWindow : public testing::Test {
protected:
    void SetUp() override {
        test::useOffscreenWindows();
        ASSERT_TRUE(Window::registerClass()) << SDL_GetError();
        window = Window::create("zelmor", 0, 0, 64, 64, nullptr);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        ASSERT_TRUE(window->createContext() && window->makeCurrent()) << SDL_GetError();
    }

    std::unique_ptr<Window> window;
};

// A minimised window draws nothing, so this wait is all that keeps the loop from spinning a
// core and its steps on the wall clock.
TEST_F(SdlWindow, APassThatDrawsNothingWaitsAWholeFramePeriod) {
    const auto start = std::chrono::steady_clock::now();
    window->waitFrame();
    EXPECT_GE(std::chrono::steady_clock::now() - start, window->native().pacer.period());
}

// At exit the context goes with the window: none is left current.
TEST_F(SdlWindow, DeletingTheContextLeavesNoneCurrent) {
    ASSERT_EQ(SDL_GL_GetCurrentContext(), window->native().context);
    window->deleteContext();
    EXPECT_EQ(window->native().context, nullptr);
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
}

// Events SDL still queues for a destroyed window (it sends some as it destroys it) must find no
// window, not the one that is gone.
TEST_F(SdlWindow, ADestroyedWindowIsNoLongerFoundByItsSdlId) {
    const uint32_t id = SDL_GetWindowID(window->native().window);
    ASSERT_EQ(windowFromSdlId(id), window.get());
    window->destroy();
    EXPECT_EQ(windowFromSdlId(id), nullptr);
}

}  // namespace
}  // namespace zelmor::platform
