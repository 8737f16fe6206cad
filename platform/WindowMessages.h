#pragma once

#include <cstdint>
#include <string_view>

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
// The pointer left the client area while the mouse was not captured.
constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
// A window event that maps to none of the above still arrives as one message.
constexpr uint32_t WM_NULL = 0x0000;

constexpr uint64_t MK_LBUTTON = 1;
constexpr uint64_t MK_RBUTTON = 2;
constexpr uint64_t MK_SHIFT = 4;
constexpr uint64_t MK_CONTROL = 8;

constexpr uint64_t VK_ESCAPE = 0x1B;  // letters and digits are their upper-case ASCII codes

// The keys other than letters and digits that the program or its users may press, one row per
// key: where it sits (named as browsers name key places), its set-1 scan code (bits 16-22 of
// the key data), whether it is an extended key (the separate cursor block, as opposed to the
// keypad) and its virtual key. The keypad gives the navigation keys' codes, as it does with
// Num Lock off. Each platform finds its keys' rows by place; the input handlers act on the scan
// codes named below.
struct KeyRow {
    std::string_view place;
    int scanCode;
    bool extended;
    uint64_t virtualKey;
};

// clang-format off
inline constexpr KeyRow KEY_ROWS[] = {
    {"Escape",        1,  false, VK_ESCAPE},
    {"ShiftLeft",     42, false, 0x10},
    {"ShiftRight",    54, false, 0x10},
    {"ControlLeft",   29, false, 0x11},
    {"ControlRight",  29, true,  0x11},
    {"Space",         57, false, 0x20},
    {"Enter",         28, false, 0x0D},
    {"NumpadEnter",   28, true,  0x0D},
    {"Home",          71, true,  0x24},
    {"Numpad7",       71, false, 0x24},
    {"ArrowUp",       72, true,  0x26},
    {"Numpad8",       72, false, 0x26},
    {"PageUp",        73, true,  0x21},
    {"Numpad9",       73, false, 0x21},
    {"ArrowLeft",     75, true,  0x25},
    {"Numpad4",       75, false, 0x25},
    {"Numpad5",       76, false, 0x0C},
    {"ArrowRight",    77, true,  0x27},
    {"Numpad6",       77, false, 0x27},
    {"End",           79, true,  0x23},
    {"Numpad1",       79, false, 0x23},
    {"ArrowDown",     80, true,  0x28},
    {"Numpad2",       80, false, 0x28},
    {"PageDown",      81, true,  0x22},
    {"Numpad3",       81, false, 0x22},
    {"Insert",        82, true,  0x2D},
    {"Numpad0",       82, false, 0x2D},
    {"Delete",        83, true,  0x2E},
    {"NumpadDecimal", 83, false, 0x2E},
};
// clang-format on

// The row of the key at place, or null when the program knows no such key.
constexpr const KeyRow* keyRow(std::string_view place) {
    for (const KeyRow& row : KEY_ROWS) {
        if (row.place == place) {
            return &row;
        }
    }
    return nullptr;
}

// The scan codes the camera keys are read by.
constexpr int SCAN_HOME = keyRow("Home")->scanCode;
constexpr int SCAN_UP = keyRow("ArrowUp")->scanCode;
constexpr int SCAN_PAGE_UP = keyRow("PageUp")->scanCode;
constexpr int SCAN_LEFT = keyRow("ArrowLeft")->scanCode;
constexpr int SCAN_RIGHT = keyRow("ArrowRight")->scanCode;
constexpr int SCAN_END = keyRow("End")->scanCode;
constexpr int SCAN_DOWN = keyRow("ArrowDown")->scanCode;
constexpr int SCAN_PAGE_DOWN = keyRow("PageDown")->scanCode;

// Set-1 scan codes of the letter keys (by the letter of their place on a US keyboard, 'A' to
// 'Z') and of the digit row ('0' to '9'); 0 for any other character.
constexpr int letterScanCode(char letter) {
    constexpr std::string_view rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    constexpr int rowStarts[] = {16, 30, 44};
    for (int row = 0; row < 3; ++row) {
        const auto at = rows[row].find(letter);
        if (at != std::string_view::npos) {
            return rowStarts[row] + static_cast<int>(at);
        }
    }
    return 0;
}
constexpr int digitScanCode(char digit) {
    if (digit < '0' || digit > '9') {
        return 0;
    }
    return digit == '0' ? 11 : digit - '0' + 1;
}

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
