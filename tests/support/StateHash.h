#pragma once

#include <cstdint>
#include <cstring>

namespace zelmor::test {

// FNV-1a over the bits of the values added, so that two runs compare bit for bit.
class StateHash {
public:
    template <class Value>
    void add(const Value& value) {
        unsigned char bytes[sizeof value];
        std::memcpy(bytes, &value, sizeof value);
        for (const unsigned char byte : bytes) {
            value_ = (value_ ^ byte) * 1099511628211ull;
        }
    }
    uint64_t value() const { return value_; }

private:
    uint64_t value_ = 1469598103934665603ull;
};

}  // namespace zelmor::test
