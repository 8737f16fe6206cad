#include "tests/support/Screenshot.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/ProgramRun.h"

namespace zelmor::test {

namespace {

int channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1) == 0) {
        ++shift;
    }
    const unsigned long maximum = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / maximum);
}

}  // namespace

Screenshot Screenshot::grab(const std::string& display) {
    Screenshot shot;
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return shot;
    }
    const Window root = DefaultRootWindow(connection);
    XWindowAttributes attributes;
    XGetWindowAttributes(connection, root, &attributes);
    XImage* image = XGetImage(connection, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image != nullptr) {
        shot.width_ = attributes.width;
        shot.height_ = attributes.height;
        shot.rgb_.resize(static_cast<std::size_t>(shot.width_) * shot.height_ * 3);
        std::size_t at = 0;
        for (int y = 0; y < shot.height_; ++y) {
            for (int x = 0; x < shot.width_; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                shot.rgb_[at++] = static_cast<uint8_t>(channel(pixel, image->red_mask));
                shot.rgb_[at++] = static_cast<uint8_t>(channel(pixel, image->green_mask));
                shot.rgb_[at++] = static_cast<uint8_t>(channel(pixel, image->blue_mask));
            }
        }
        XDestroyImage(image);
    }
    XCloseDisplay(connection);
    return shot;
}

Screenshot Screenshot::load(const std::string& path) {
    Screenshot shot;
    std::string ppm;
    if (runCommand({"convert", path, "-depth", "8", "ppm:-"}, "", &ppm) != 0) {
        return shot;
    }
    std::istringstream in(ppm);
    std::string magic;
    int maximum = 0;
    in >> magic >> shot.width_ >> shot.height_ >> maximum;
    in.get();
    const std::size_t size = static_cast<std::size_t>(shot.width_) * shot.height_ * 3;
    if (magic != "P6" || maximum != 255 || ppm.size() < size) {
        return {};
    }
    shot.rgb_.resize(size);
    in.read(reinterpret_cast<char*>(shot.rgb_.data()), static_cast<std::streamsize>(size));
    return shot;
}

Rgb Screenshot::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return {};
    }
    const std::size_t i = (static_cast<std::size_t>(y) * width_ + x) * 3;
    return {rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

int Screenshot::count(int x, int y, int width, int height,
                      const std::function<bool(Rgb)>& test) const {
    int n = 0;
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column) {
            n += test(at(column, row)) ? 1 : 0;
        }
    }
    return n;
}

bool near(Rgb colour, Rgb expected, int tolerance) {
    return std::abs(colour.r - expected.r) <= tolerance &&
           std::abs(colour.g - expected.g) <= tolerance &&
           std::abs(colour.b - expected.b) <= tolerance;
}

unsigned long findWindow(const std::string& display, const std::string& title) {
    return findWindowTitled(display, [&title](const std::string& text) { return text == title; });
}

unsigned long findWindowTitled(const std::string& display,
                               const std::function<bool(const std::string&)>& test,
                               std::string* title) {
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return 0;
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    unsigned long found = 0;
    XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count && found == 0; ++i) {
        // The name as stored, whatever its encoding (SDL's message box stores UTF-8, which
        // XFetchName refuses); the titles looked for are ASCII.
        XTextProperty name{};
        if (XGetWMName(connection, children[i], &name) != 0 && name.value != nullptr) {
            const std::string text(reinterpret_cast<const char*>(name.value), name.nitems);
            if (test(text)) {
                found = children[i];
                if (title != nullptr) {
                    *title = text;
                }
            }
            XFree(name.value);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    XCloseDisplay(connection);
    return found;
}

bool closeWindow(const std::string& display, unsigned long window) {
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(connection, window, False, NoEventMask, &event);
    XFlush(connection);
    XCloseDisplay(connection);
    return sent != 0;
}

}  // namespace zelmor::test
