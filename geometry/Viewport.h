#pragma once

#include <array>

namespace zelmor {

// The window rectangle the view maps to, as glViewport(0, 0, width, height) sets it on Mesa and
// glGetIntegerv(GL_VIEWPORT) reads it back: x, y, width, height in pixels. Kept by our own code so
// that picking sees the same viewport on every platform, whatever the driver's limits.
class Viewport {
public:
    // GL_MAX_VIEWPORT_DIMS of Mesa's software drivers; larger sizes are cut down to it.
    static constexpr int MAX_SIZE = 16384;

    // All zero until the first resize.
    Viewport() = default;

    // The viewport glViewport(0, 0, width, height) leaves. A negative size is an error that
    // leaves the viewport as it was; 0 stays 0.
    Viewport resized(int width, int height) const;

    int x() const { return x_; }
    int y() const { return y_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // x, y, width, height, as glGetIntegerv(GL_VIEWPORT) fills them.
    std::array<int, 4> values() const { return {x_, y_, width_, height_}; }

private:
    int x_ = 0;
    int y_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace zelmor
