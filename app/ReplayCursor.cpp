#include "app/ReplayCursor.h"

#include "app/ReplayFormat.h"

namespace zelmor::replay {

void ReplayCursor::fail(std::string problem) {
    if (problem_.empty()) {
        problem_ = std::move(problem);
    }
}

const unsigned char* ReplayCursor::take(std::size_t count) {
    if (failed()) {
        return nullptr;
    }
    if (count > remaining()) {
        fail("the record ends inside its fields");
        return nullptr;
    }
    const auto* start = reinterpret_cast<const unsigned char*>(bytes_.data()) + at_;
    at_ += count;
    return start;
}

uint64_t ReplayCursor::littleEndian(std::size_t count) {
    const unsigned char* bytes = take(count);
    if (bytes == nullptr) {
        return 0;
    }
    uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value |= uint64_t{bytes[i]} << (8 * i);
    }
    return value;
}

uint8_t ReplayCursor::u8() {
    return static_cast<uint8_t>(littleEndian(1));
}

bool ReplayCursor::boolean() {
    const uint8_t value = u8();
    if (value > 1) {
        fail("boolean byte " + std::to_string(value) + " is neither 0 nor 1");
    }
    return value == 1;
}

uint16_t ReplayCursor::u16() {
    return static_cast<uint16_t>(littleEndian(2));
}

uint32_t ReplayCursor::u32() {
    return static_cast<uint32_t>(littleEndian(4));
}

uint64_t ReplayCursor::u64() {
    return littleEndian(8);
}

// Seven bits a byte, low bits first; the tenth byte holds bit 63 alone.
uint64_t ReplayCursor::varint() {
    uint64_t value = 0;
    for (std::size_t i = 0; i < MAX_VARINT_BYTES; ++i) {
        const unsigned char* byte = take(1);
        if (byte == nullptr) {
            return 0;
        }
        const uint64_t bits = *byte & 0x7Fu;
        if (i == MAX_VARINT_BYTES - 1 && bits > 1) {
            fail("a varint over 64 bits");
            return 0;
        }
        value |= bits << (7 * i);
        if ((*byte & 0x80u) == 0) {
            return value;
        }
    }
    fail("a varint longer than 10 bytes");
    return 0;
}

int64_t ReplayCursor::zigzag() {
    const uint64_t encoded = varint();
    return static_cast<int64_t>((encoded >> 1) ^ (0 - (encoded & 1)));
}

std::string_view ReplayCursor::bytes(std::size_t maxBytes) {
    const uint64_t length = varint();
    if (length > maxBytes) {
        fail("a length of " + std::to_string(length) + " bytes over the cap of " +
             std::to_string(maxBytes));
        return {};
    }
    const auto count = static_cast<std::size_t>(length);
    const unsigned char* start = take(count);
    if (start == nullptr) {
        return {};
    }
    return {reinterpret_cast<const char*>(start), count};
}

}  // namespace zelmor::replay
