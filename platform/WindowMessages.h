#pragma once

#include <cstdint>

namespace zelmor::platform {

class Window;

// The message numbers, flags and key codes of the classic desktop message model that the window
// procedure and the input handlers are written against.
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
// A window event that maps to none of the above still arrives as one message.
constexpr uint32_t WM_NULL = 0x0000;

constexpr uint64_t MK_LBUTTON = 1;
constexpr uint64_t MK_RBUTTON = 2;
constexpr uint64_t MK_SHIFT = 4;
constexpr uint64_t MK_CONTROL = 8;

constexpr uint64_t VK_ESCAPE = 0x1B;  // letters are their upper-case ASCII codes

// The window procedure: handles one message for one window and returns its result.
using WindowProcedure = int64_t (*)(Window* window, uint32_t message, uint64_t wParam,
                                    int64_t lParam);

struct Message {
    Window* window = nullptr;
    uint32_t message = WM_NULL;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

// Mouse lParam: x in the low and y in the high 16 bits, each a signed 16-bit value.
constexpr int64_t makePointParam(int x, int y) {
    return static_cast<int64_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                                static_cast<uint16_t>(x));
}
constexpr int pointX(int64_t lParam) {
    return static_cast<int16_t>(lParam & 0xFFFF);
}
constexpr int pointY(int64_t lParam) {
    return static_cast<int16_t>((lParam >> 16) & 0xFFFF);
}
// Key data (lParam of WM_KEYDOWN / WM_KEYUP): repeat count 1 in bits 0-15, the seven-bit set-1
// scan code in bits 16-22, extended key (the separate cursor block) in bit 24, previous state
// (down before this message) in bit 30, released in bit 31.
constexpr int64_t KEY_EXTENDED_BIT = int64_t{1} << 24;
constexpr int64_t KEY_PREVIOUS_BIT = int64_t{1} << 30;
constexpr int64_t KEY_RELEASED_BIT = int64_t{1} << 31;
constexpr int64_t makeKeyParam(int scanCode, bool extended, bool previous, bool released) {
    return 1 | (static_cast<int64_t>(scanCode & 0x7F) << 16) | (extended ? KEY_EXTENDED_BIT : 0) |
           (previous ? KEY_PREVIOUS_BIT : 0) | (released ? KEY_RELEASED_BIT : 0);
}
constexpr int keyScanCode(int64_t lParam) {
    return static_cast<int>((lParam >> 16) & 0x7F);
}
constexpr bool keyExtended(int64_t lParam) {
    return (lParam & KEY_EXTENDED_BIT) != 0;
}
constexpr bool keyPrevious(int64_t lParam) {
    return (lParam & KEY_PREVIOUS_BIT) != 0;
}
constexpr bool keyReleased(int64_t lParam) {
    return (lParam & KEY_RELEASED_BIT) != 0;
}
constexpr int keyRepeatCount(int64_t lParam) {
    return static_cast<int>(lParam & 0xFFFF);
}
// WM_SIZE lParam: width and height as unsigned 16-bit halves.
constexpr int64_t makeSizeParam(int width, int height) {
    return static_cast<int64_t>((static_cast<uint32_t>(static_cast<uint16_t>(height)) << 16) |
                                static_cast<uint16_t>(width));
}
constexpr int sizeWidth(int64_t lParam) {
    return static_cast<int>(lParam & 0xFFFF);
}
constexpr int sizeHeight(int64_t lParam) {
    return static_cast<int>((lParam >> 16) & 0xFFFF);
}

}  // namespace zelmor::platform
