#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "app/ReplayRecord.h"
#include "platform/WindowMessages.h"

namespace zelmor::replay {

// The replay file's fixed numbers and the rules its writer and its reader share, so that the
// writer never writes what the reader would refuse. docs/replay-format.md describes the format.

constexpr std::string_view MAGIC = "ZELMORRP";
// A reader reads every minor version of its own major version: later minors only append fields
// to records and add record kinds, which older readers skip.
constexpr uint16_t FORMAT_MAJOR = 1;
constexpr uint16_t FORMAT_MINOR = 0;
// The magic, the major and minor versions (u16 LE each) and four reserved bytes.
constexpr std::size_t FILE_HEADER_BYTES = 16;
// A chunk's payload length (u32 LE) before it and its CRC-32 (u32 LE) after it.
constexpr std::size_t CHUNK_LENGTH_BYTES = 4;
constexpr std::size_t CHUNK_CRC_BYTES = 4;

// The writer writes a chunk out once it holds more than this, or once its first record is older
// than CHUNK_MAX_AGE_MS, so that a killed session loses little.
constexpr std::size_t CHUNK_TARGET_BYTES = 64 * 1024;
constexpr uint32_t CHUNK_MAX_AGE_MS = 1000;

// The limits every reader holds a file to before it allocates anything.
constexpr std::size_t MAX_TEXT_BYTES = 256;               // Header's strings
constexpr std::size_t MAX_PATH_BYTES = 4096;              // an embedded file's path
constexpr std::size_t MAX_FILE_BYTES = 64 * 1024 * 1024;  // an embedded file's content
// One embedded file of the largest size fits in a chunk of its own.
constexpr std::size_t MAX_CHUNK_PAYLOAD = MAX_FILE_BYTES + 64 * 1024;
// Steps count 10 ms each: 2^48 of them last 89,000 years, and any sum of two stays exact.
constexpr uint64_t STEP_LIMIT = uint64_t{1} << 48;
constexpr std::size_t MAX_VARINT_BYTES = 10;

// A record's kind byte: the 1-based index of its alternative in Record. Kinds above the last
// are later additions that this reader skips; 0 is no kind.
enum class RecordKind : uint8_t {
    Header = 1,
    EmbeddedFile,
    SceneLoaded,
    Handled,
    Pass,
    Quit,
    StateHash,
    End,
};
constexpr uint8_t LAST_KNOWN_KIND = static_cast<uint8_t>(RecordKind::End);
static_assert(std::variant_size_v<Record> == LAST_KNOWN_KIND);
static_assert(std::is_same_v<std::variant_alternative_t<7, Record>, End>);

constexpr uint8_t kindOf(const Record& record) {
    return static_cast<uint8_t>(record.index() + 1);
}

constexpr std::string_view kindName(uint8_t kind) {
    constexpr std::string_view NAMES[] = {"Header", "EmbeddedFile", "SceneLoaded", "Handled",
                                          "Pass",   "Quit",         "StateHash",   "End"};
    return kind >= 1 && kind <= LAST_KNOWN_KIND ? NAMES[kind - 1] : "unknown";
}

// Why a record of this kind cannot come next, after `recordsBefore` records of which one may
// have been the End; empty when it can. Unknown kinds obey the same order.
constexpr std::string_view orderProblem(uint8_t kind, uint64_t recordsBefore, bool ended) {
    const bool header = kind == static_cast<uint8_t>(RecordKind::Header);
    if (ended) {
        return "a record after the End record";
    }
    if (recordsBefore == 0 && !header) {
        return "the first record is not a Header";
    }
    if (recordsBefore > 0 && header) {
        return "a second Header";
    }
    return {};
}

// The window messages a session records, one row each, with the values each may carry. Keys
// carry a virtual-key code; mouse messages the desktop system's button and modifier flags (the
// four the program reads, and the middle and extra buttons that Windows adds to them). Key and
// mouse data are 32-bit values, which a 64-bit lParam may hold zero- or sign-extended.
struct MessageRule {
    uint32_t message;
    std::string_view name;
    uint64_t wParamMask;  // the bits wParam may set
    int64_t lParamMin;
    int64_t lParamMax;
};
constexpr uint64_t ANY_WPARAM = ~uint64_t{0};
constexpr uint64_t VIRTUAL_KEY_MASK = 0xFF;
constexpr uint64_t MOUSE_FLAGS_MASK = 0x7F;  // MK_LBUTTON ... MK_XBUTTON2
constexpr int64_t ANY_MIN = INT64_MIN;
constexpr int64_t ANY_MAX = INT64_MAX;
constexpr int64_t INT32_DATA_MIN = INT32_MIN;
constexpr int64_t UINT32_DATA_MAX = UINT32_MAX;

// clang-format off
inline constexpr MessageRule MESSAGE_RULES[] = {
    {platform::WM_SIZE,        "WM_SIZE",        ANY_WPARAM,       0,              UINT32_DATA_MAX},
    {platform::WM_KILLFOCUS,   "WM_KILLFOCUS",   ANY_WPARAM,       ANY_MIN,        ANY_MAX},
    {platform::WM_PAINT,       "WM_PAINT",       ANY_WPARAM,       ANY_MIN,        ANY_MAX},
    {platform::WM_CLOSE,       "WM_CLOSE",       ANY_WPARAM,       ANY_MIN,        ANY_MAX},
    {platform::WM_KEYDOWN,     "WM_KEYDOWN",     VIRTUAL_KEY_MASK, INT32_DATA_MIN, UINT32_DATA_MAX},
    {platform::WM_KEYUP,       "WM_KEYUP",       VIRTUAL_KEY_MASK, INT32_DATA_MIN, UINT32_DATA_MAX},
    {platform::WM_MOUSEMOVE,   "WM_MOUSEMOVE",   MOUSE_FLAGS_MASK, INT32_DATA_MIN, UINT32_DATA_MAX},
    {platform::WM_LBUTTONDOWN, "WM_LBUTTONDOWN", MOUSE_FLAGS_MASK, INT32_DATA_MIN, UINT32_DATA_MAX},
    {platform::WM_LBUTTONUP,   "WM_LBUTTONUP",   MOUSE_FLAGS_MASK, INT32_DATA_MIN, UINT32_DATA_MAX},
    {platform::WM_RBUTTONDOWN, "WM_RBUTTONDOWN", MOUSE_FLAGS_MASK, INT32_DATA_MIN, UINT32_DATA_MAX},
    {platform::WM_RBUTTONUP,   "WM_RBUTTONUP",   MOUSE_FLAGS_MASK, INT32_DATA_MIN, UINT32_DATA_MAX},
    {platform::WM_MOUSELEAVE,  "WM_MOUSELEAVE",  ANY_WPARAM,       ANY_MIN,        ANY_MAX},
};
// clang-format on

// The rule of a message, or null when sessions do not record it. The message is taken whole, so
// that a 64-bit number cannot pass for a message by its low bits.
constexpr const MessageRule* messageRule(uint64_t message) {
    for (const MessageRule& rule : MESSAGE_RULES) {
        if (rule.message == message) {
            return &rule;
        }
    }
    return nullptr;
}

// Why a Handled record cannot be in a replay, empty when it can.
constexpr std::string_view messageProblem(uint64_t message, uint64_t wParam, int64_t lParam) {
    const MessageRule* rule = messageRule(message);
    if (rule == nullptr) {
        return "a message that sessions do not record";
    }
    if ((wParam & ~rule->wParamMask) != 0) {
        return "wParam out of range";
    }
    if (lParam < rule->lParamMin || lParam > rule->lParamMax) {
        return "lParam out of range";
    }
    return {};
}

// A message by its name where it has one, with its parameters: "WM_SIZE wParam 0 lParam -1".
inline std::string describeMessage(uint64_t message, uint64_t wParam, int64_t lParam) {
    const MessageRule* rule = messageRule(message);
    const std::string name =
        rule != nullptr ? std::string(rule->name) : "message " + std::to_string(message);
    return name + " wParam " + std::to_string(wParam) + " lParam " + std::to_string(lParam);
}

}  // namespace zelmor::replay
