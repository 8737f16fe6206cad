#include "app/Crc32.h"

#include <array>

namespace zelmor {

namespace {

constexpr uint32_t POLYNOMIAL = 0xEDB88320u;

// The CRC of each byte value on its own, made by the compiler.
constexpr std::array<uint32_t, 256> makeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) != 0 ? (crc >> 1) ^ POLYNOMIAL : crc >> 1;
        }
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<uint32_t, 256> TABLE = makeTable();

}  // namespace

void Crc32::update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint32_t crc = state_;
    for (std::size_t i = 0; i < size; ++i) {
        crc = TABLE[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    }
    state_ = crc;
}

uint32_t Crc32::of(std::string_view bytes) {
    Crc32 crc;
    crc.update(bytes);
    return crc.value();
}

}  // namespace zelmor
