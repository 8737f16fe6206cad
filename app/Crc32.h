#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zelmor {

// CRC-32 as zlib, PNG and Ethernet compute it (polynomial 0xEDB88320, reflected, initial value
// and final XOR 0xFFFFFFFF), fed in pieces: "123456789" gives 0xCBF43926.
class Crc32 {
public:
    void update(const void* data, std::size_t size);
    void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
    uint32_t value() const { return ~state_; }

    static uint32_t of(std::string_view bytes);

private:
    uint32_t state_ = 0xFFFFFFFFu;
};

}  // namespace zelmor
