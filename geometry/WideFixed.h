#pragma once

#include <array>
#include <cstdint>

namespace zelmor::maths {

// An unsigned fixed-point number with 32 integer bits and 256 fraction bits, for the few
// arguments whose sine, cosine or arcsine the double-double evaluation cannot round with
// certainty. Sums and differences wrap modulo 2^32 like unsigned integers, so a difference that
// went below zero shows as a number of 2^31 or more; products and quotients drop the bits below
// 2^-256 (truncation). Plain 32-bit limbs with 64-bit products: the same bits on every platform.
class WideFixed {
public:
    static constexpr int FRACTION_LIMBS = 8;
    static constexpr int LIMBS = FRACTION_LIMBS + 1;
    static constexpr int FRACTION_BITS = 32 * FRACTION_LIMBS;

    WideFixed() = default;
    // Limbs from the integer part down to the last 32 fraction bits.
    static WideFixed fromLimbs(const uint32_t (&mostSignificantFirst)[LIMBS]);
    // v >= 0 and below 2^32, exactly, but for the bits below 2^-256.
    static WideFixed fromDouble(double v);
    // 2^-n for 0 <= n <= 256: a unit in the last place is 2^-256.
    static WideFixed powerOfTwo(int n);

    WideFixed operator+(const WideFixed& b) const;
    WideFixed operator-(const WideFixed& b) const;
    WideFixed operator*(const WideFixed& b) const;
    WideFixed dividedBy(uint32_t divisor) const;
    bool operator==(const WideFixed&) const = default;
    bool operator<(const WideFixed& b) const;

    bool isZero() const { return *this == WideFixed(); }
    // Whether the wrapped value stands for a negative difference (2^31 or more).
    bool isNegative() const { return (limbs_[LIMBS - 1] >> 31) != 0; }
    // The two's complement: the magnitude of a negative difference.
    WideFixed negated() const { return WideFixed() - *this; }
    uint32_t integerPart() const { return limbs_[LIMBS - 1]; }
    WideFixed fractionPart() const;

    // The nearest double, ties to even.
    double nearest() const;
    // The leading 106 bits as hi + lo, both truncated: a relative error below 2^-105.
    void leadingDoubles(double& hi, double& lo) const;

private:
    // Bit i of the number counts 2^(i - 256); bits from `lowest` upward taken as an integer.
    uint64_t bitsFrom(int lowest) const;
    int highestBit() const;
    bool anyBitBelow(int position) const;

    std::array<uint32_t, LIMBS> limbs_{};  // least significant first
};

}  // namespace zelmor::maths
