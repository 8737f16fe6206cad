#include "platform/web/KeyTranslator.h"

namespace zelmor::platform {

namespace {

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
        scanCode = digitScanCode(code[5]);
        virtualKey = static_cast<uint64_t>(code[5]);
    } else if (const KeyRow* row = keyRow(code)) {
        scanCode = row->scanCode;
        extended = row->extended;
        virtualKey = row->virtualKey;
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
