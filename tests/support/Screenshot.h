#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelmor::test {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

// The pixels of an X display's root window, read with Xlib.
class Screenshot {
public:
    // Empty (width 0) when the display cannot be read.
    static Screenshot grab(const std::string& display);
    // A picture file in any format ImageMagick reads; empty when it cannot be read.
    static Screenshot load(const std::string& path);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const;
    // How many pixels of the rectangle satisfy the test.
    int count(int x, int y, int width, int height, const std::function<bool(Rgb)>& test) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> rgb_;
};

bool near(Rgb colour, Rgb expected, int tolerance);

// The top-level window with that title on the display: 0 when there is none.
unsigned long findWindow(const std::string& display, const std::string& title);
// The first top-level window whose title passes the test, its title put into title when given:
// 0 when there is none.
unsigned long findWindowTitled(const std::string& display,
                               const std::function<bool(const std::string&)>& test,
                               std::string* title = nullptr);
// Asks the window to close, as a window manager's close button does (WM_DELETE_WINDOW).
bool closeWindow(const std::string& display, unsigned long window);

}  // namespace zelmor::test
