#include "geometry/WideFixed.h"

#include <bit>
#include <cmath>

namespace zelmor::maths {

namespace {

constexpr int TOTAL_BITS = 32 * WideFixed::LIMBS;
constexpr int DOUBLE_DIGITS = 53;

}  // namespace

WideFixed WideFixed::fromLimbs(const uint32_t (&mostSignificantFirst)[LIMBS]) {
    WideFixed w;
    for (int i = 0; i < LIMBS; ++i) {
        w.limbs_[i] = mostSignificantFirst[LIMBS - 1 - i];
    }
    return w;
}

WideFixed WideFixed::fromDouble(double v) {
    WideFixed w;
    if (!(v > 0.0)) {
        return w;
    }
    int exponent = 0;
    const double fraction = std::frexp(v, &exponent);
    // v = digits * 2^(exponent - 53), with digits a 53-bit integer; its last bit lands at bit
    // `position` of the number.
    auto digits = static_cast<uint64_t>(std::ldexp(fraction, DOUBLE_DIGITS));
    int position = exponent - DOUBLE_DIGITS + FRACTION_BITS;
    if (position < 0) {
        digits = -position < 64 ? digits >> -position : 0;
        position = 0;
    }
    for (int bit = 0; digits != 0 && position + bit < TOTAL_BITS; ++bit, digits >>= 1) {
        const int at = position + bit;
        w.limbs_[at / 32] |= static_cast<uint32_t>(digits & 1) << (at % 32);
    }
    return w;
}

WideFixed WideFixed::powerOfTwo(int n) {
    WideFixed w;
    const int at = FRACTION_BITS - n;
    w.limbs_[at / 32] = uint32_t{1} << (at % 32);
    return w;
}

WideFixed WideFixed::operator+(const WideFixed& b) const {
    WideFixed sum;
    uint64_t carry = 0;
    for (int i = 0; i < LIMBS; ++i) {
        const uint64_t t = uint64_t{limbs_[i]} + b.limbs_[i] + carry;
        sum.limbs_[i] = static_cast<uint32_t>(t);
        carry = t >> 32;
    }
    return sum;
}

WideFixed WideFixed::operator-(const WideFixed& b) const {
    WideFixed difference;
    uint64_t borrow = 0;
    for (int i = 0; i < LIMBS; ++i) {
        const uint64_t t = uint64_t{limbs_[i]} - b.limbs_[i] - borrow;
        difference.limbs_[i] = static_cast<uint32_t>(t);
        borrow = (t >> 32) != 0 ? 1 : 0;
    }
    return difference;
}

WideFixed WideFixed::operator*(const WideFixed& b) const {
    // The whole product, 2 * 256 fraction bits, then the 288 bits from 2^-256 upward.
    std::array<uint32_t, 2 * LIMBS> full{};
    for (int i = 0; i < LIMBS; ++i) {
        // The terms of a series shrink limb by limb: their zero limbs add nothing.
        if (limbs_[i] == 0) {
            continue;
        }
        uint64_t carry = 0;
        for (int j = 0; j < LIMBS; ++j) {
            const uint64_t t = uint64_t{limbs_[i]} * b.limbs_[j] + full[i + j] + carry;
            full[i + j] = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        full[i + LIMBS] = static_cast<uint32_t>(carry);
    }
    WideFixed product;
    for (int i = 0; i < LIMBS; ++i) {
        product.limbs_[i] = full[i + FRACTION_LIMBS];
    }
    return product;
}

WideFixed WideFixed::dividedBy(uint32_t divisor) const {
    WideFixed quotient;
    uint64_t remainder = 0;
    for (int i = LIMBS - 1; i >= 0; --i) {
        // Leading zero limbs divide to zero without a division.
        if (remainder == 0 && limbs_[i] == 0) {
            continue;
        }
        const uint64_t current = (remainder << 32) | limbs_[i];
        quotient.limbs_[i] = static_cast<uint32_t>(current / divisor);
        remainder = current % divisor;
    }
    return quotient;
}

bool WideFixed::operator<(const WideFixed& b) const {
    for (int i = LIMBS - 1; i >= 0; --i) {
        if (limbs_[i] != b.limbs_[i]) {
            return limbs_[i] < b.limbs_[i];
        }
    }
    return false;
}

WideFixed WideFixed::fractionPart() const {
    WideFixed w = *this;
    w.limbs_[LIMBS - 1] = 0;
    return w;
}

uint64_t WideFixed::bitsFrom(int lowest) const {
    uint64_t out = 0;
    for (int k = 63; k >= 0; --k) {
        const int at = lowest + k;
        out <<= 1;
        if (at >= 0 && at < TOTAL_BITS) {
            out |= (limbs_[at / 32] >> (at % 32)) & 1;
        }
    }
    return out;
}

int WideFixed::highestBit() const {
    for (int i = LIMBS - 1; i >= 0; --i) {
        if (limbs_[i] != 0) {
            return 32 * i + 31 - std::countl_zero(limbs_[i]);
        }
    }
    return -1;
}

bool WideFixed::anyBitBelow(int position) const {
    for (int at = 0; at < position && at < TOTAL_BITS; ++at) {
        if ((limbs_[at / 32] >> (at % 32)) & 1) {
            return true;
        }
    }
    return false;
}

double WideFixed::nearest() const {
    const int top = highestBit();
    if (top < 0) {
        return 0.0;
    }
    // 53 digits, the rounding bit below them and whether anything further down is set.
    const uint64_t bits = bitsFrom(top - 63);
    uint64_t digits = bits >> 11;
    const bool roundBit = ((bits >> 10) & 1) != 0;
    const bool sticky = (bits & 0x3ff) != 0 || anyBitBelow(top - 63);
    if (roundBit && (sticky || (digits & 1) != 0)) {
        ++digits;
    }
    return std::ldexp(static_cast<double>(digits), top - 52 - FRACTION_BITS);
}

void WideFixed::leadingDoubles(double& hi, double& lo) const {
    const int top = highestBit();
    if (top < 0) {
        hi = lo = 0.0;
        return;
    }
    constexpr uint64_t MASK = (uint64_t{1} << DOUBLE_DIGITS) - 1;
    hi = std::ldexp(static_cast<double>(bitsFrom(top - 52) & MASK), top - 52 - FRACTION_BITS);
    lo = std::ldexp(static_cast<double>(bitsFrom(top - 105) & MASK), top - 105 - FRACTION_BITS);
}

}  // namespace zelmor::maths
