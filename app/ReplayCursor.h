#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelmor::replay {

// Reads the fields of a replay file (little-endian numbers, LEB128 varints, zigzag varints,
// length-prefixed byte strings) from bytes already in memory, never past their end. The first
// problem stops it: every later read gives zero or nothing, and problem() says what went wrong,
// so a decoder reads all its fields and checks once.
class ReplayCursor {
public:
    explicit ReplayCursor(std::string_view bytes) : bytes_(bytes) {}

    uint8_t u8();
    bool boolean();  // a byte that must be 0 or 1
    uint16_t u16();
    uint32_t u32();
    uint64_t u64();
    uint64_t varint();
    int64_t zigzag();
    // A varint length, at most maxBytes, then that many bytes (a view into the cursor's bytes).
    std::string_view bytes(std::size_t maxBytes);

    std::size_t offset() const { return at_; }
    std::size_t remaining() const { return bytes_.size() - at_; }
    bool failed() const { return !problem_.empty(); }
    const std::string& problem() const { return problem_; }
    // Stops the cursor with a problem of the caller's (a value out of range), unless one came
    // first.
    void fail(std::string problem);

private:
    // The next count bytes, or null (and a problem) when fewer are left.
    const unsigned char* take(std::size_t count);
    uint64_t littleEndian(std::size_t count);

    std::string_view bytes_;
    std::size_t at_ = 0;
    std::string problem_;
};

}  // namespace zelmor::replay
