#pragma once

#include <cstdint>
#include <string_view>

#include "platform/WindowMessages.h"

namespace zelmor::platform {

// What a browser key event means in the window message model: the virtual key (wParam) and the
// key data (lParam). The place of the key comes from the event's code ("KeyS", "ArrowUp"), which
// does not depend on the layout; letters and digits follow the character the layout gives
// (the event's key), so "S" is the key marked S wherever it sits.
struct KeyMessage {
    uint64_t virtualKey = 0;
    int64_t keyData = 0;
};

KeyMessage translateKey(std::string_view code, std::string_view key, bool repeat, bool released);

}  // namespace zelmor::platform
