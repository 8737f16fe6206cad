#include "platform/web/KeyTranslator.h"

namespace zelmor::platform {

namespace {

struct KeyPlace {
    std::string_view code;
    int scanCode;
    bool extended;
    uint64_t virtualKey;
};

// The keys other than letters and digits that the program or its users may press. The keypad
// gives the navigation keys' codes (as it does with Num Lock off) unless its key is a digit.
constexpr KeyPlace places[] = {
    {"Escape", 1, false, VK_ESCAPE},    {"ShiftLeft", 42, false, 0x10},
    {"ShiftRight", 54, false, 0x10},    {"ControlLeft", 29, false, 0x11},
    {"ControlRight", 29, true, 0x11},   {"Space", 57, false, 0x20},
    {"Enter", 28, false, 0x0D},         {"NumpadEnter", 28, true, 0x0D},
    {"Home", 71, true, 0x24},           {"Numpad7", 71, false, 0x24},
    {"ArrowUp", 72, true, 0x26},        {"Numpad8", 72, false, 0x26},
    {"PageUp", 73, true, 0x21},         {"Numpad9", 73, false, 0x21},
    {"ArrowLeft", 75, true, 0x25},      {"Numpad4", 75, false, 0x25},
    {"Numpad5", 76, false, 0x0C},       {"ArrowRight", 77, true, 0x27},
    {"Numpad6", 77, false, 0x27},       {"End", 79, true, 0x23},
    {"Numpad1", 79, false, 0x23},       {"ArrowDown", 80, true, 0x28},
    {"Numpad2", 80, false, 0x28},       {"PageDown", 81, true, 0x22},
    {"Numpad3", 81, false, 0x22},       {"Insert", 82, true, 0x2D},
    {"Numpad0", 82, false, 0x2D},       {"Delete", 83, true, 0x2E},
    {"NumpadDecimal", 83, false, 0x2E},
};

// Set-1 scan codes of the three letter rows and the digit row, in the order of their places.
constexpr std::string_view letterRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
constexpr int letterRowStarts[] = {16, 30, 44};

int letterScanCode(char letter) {
    for (int row = 0; row < 3; ++row) {
        const auto at = letterRows[row].find(letter);
        if (at != std::string_view::npos) {
            return letterRowStarts[row] + static_cast<int>(at);
        }
    }
    return 0;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

KeyMessage translateKey(std::string_view code, std::string_view key, bool repeat, bool released) {
    int scanCode = 0;
    bool extended = false;
    uint64_t virtualKey = 0;
    if (code.size() == 4 && code.substr(0, 3) == "Key") {
        scanCode = letterScanCode(code[3]);
        virtualKey = static_cast<uint64_t>(code[3]);
    } else if (code.size() == 6 && code.substr(0, 5) == "Digit") {
        scanCode = code[5] == '0' ? 11 : code[5] - '0' + 1;
        virtualKey = static_cast<uint64_t>(code[5]);
    } else {
        for (const KeyPlace& place : places) {
            if (place.code == code) {
                scanCode = place.scanCode;
                extended = place.extended;
                virtualKey = place.virtualKey;
            }
        }
    }
    // A letter or a digit from the layout names the key; a keypad digit is VK_NUMPAD0..9.
    if (key.size() == 1) {
        const char character = upper(key[0]);
        const bool keypad = code.substr(0, 6) == "Numpad";
        if (character >= '0' && character <= '9') {
            virtualKey = keypad ? 0x60 + static_cast<uint64_t>(character - '0')
                                : static_cast<uint64_t>(character);
        } else if (character >= 'A' && character <= 'Z') {
            virtualKey = static_cast<uint64_t>(character);
        }
    }
    return {virtualKey, makeKeyParam(scanCode, extended, released || repeat, released)};
}

}  // namespace zelmor::platform
