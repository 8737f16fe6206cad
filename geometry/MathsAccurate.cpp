// The 256-bit evaluation behind zelmor::maths, for the arguments (about one in 10,000) whose
// double-double value lies too close to a midpoint between two doubles to round with certainty.
// It works in WideFixed: exact reduction by 2 / pi and Taylor series give sines and cosines
// within 2^-240; Newton's method refines arcsines until their rounding is sure, to 2^-180 at
// most. That decides the rounding of every argument whose exact result does not lie that close
// to a midpoint (about 2^-120 is the closest to be expected among all doubles).
#include "geometry/Maths_detail.h"

#include <array>
#include <cmath>

namespace zelmor::maths::detail {

namespace {

constexpr double QUARTER_PI_BELOW = 0x1.921fb54442d18p-1;
constexpr int DOUBLE_DIGITS = 53;
// Limbs of 2 / pi multiplied with the argument's 53 digits: enough for 256 bits after the point
// and 2^-266 of what is left out.
constexpr int WINDOW = 12;
// The relative error of the arcsine's angle after each Newton step (see roundedArc).
constexpr int NEWTON_ERROR_BITS[] = {130, 180};

WideFixed halfPi() {
    return WideFixed::fromLimbs(HALF_PI_FIXED);
}

WideFixed sineSeries(const WideFixed& r) {
    const WideFixed square = r * r;
    WideFixed sum = r;
    WideFixed term = r;
    for (uint32_t n = 2; n < 200; n += 2) {
        term = (term * square).dividedBy(n * (n + 1));
        if (term.isZero()) {
            break;
        }
        sum = n % 4 == 2 ? sum - term : sum + term;
    }
    return sum;
}

WideFixed cosineSeries(const WideFixed& r) {
    const WideFixed square = r * r;
    WideFixed sum = WideFixed::fromDouble(1.0);
    WideFixed term = sum;
    for (uint32_t n = 1; n < 200; n += 2) {
        term = (term * square).dividedBy(n * (n + 1));
        if (term.isZero()) {
            break;
        }
        sum = n % 4 == 1 ? sum - term : sum + term;
    }
    return sum;
}

// Bits lowest .. lowest + 31 of a little-endian number; those past its end are zero.
uint32_t bitsAt(const std::array<uint32_t, WINDOW + 2>& number, int lowest) {
    const int limb = lowest / 32;
    const int shift = lowest % 32;
    const uint64_t low = limb < WINDOW + 2 ? number[limb] : 0;
    const uint64_t high = limb + 1 < WINDOW + 2 ? number[limb + 1] : 0;
    return static_cast<uint32_t>(((high << 32) | low) >> shift);
}

// sin(angle + shift * pi / 2), with its sign apart.
WideFixed sineInQuadrant(const WideReduction& reduced, int shift, bool& negative) {
    const int quadrant = (reduced.quadrant + shift) & 3;
    const bool cosine = (quadrant & 1) != 0;
    negative = (quadrant >= 2) != (reduced.negative && !cosine);
    return cosine ? cosineSeries(reduced.r) : sineSeries(reduced.r);
}

DoubleDouble leadingDoubleDouble(const WideFixed& w) {
    DoubleDouble d;
    w.leadingDoubles(d.hi, d.lo);
    return d;
}

// a / b within 2^-100 of it, for positive a and b far from overflow and underflow.
DoubleDouble quotient(const DoubleDouble& a, const DoubleDouble& b) {
    const double q = a.hi / b.hi;
    const DoubleDouble qb = twoProduct(q, b.hi);
    const double remainder = (((a.hi - qb.hi) - qb.lo) + a.lo) - q * b.lo;
    return fastTwoSum(q, remainder / b.hi);
}

WideFixed fromDoubleDouble(const DoubleDouble& d) {
    WideFixed w;
    for (const double part : {d.hi, d.lo}) {
        const WideFixed magnitude = WideFixed::fromDouble(std::fabs(part));
        w = part < 0.0 ? w - magnitude : w + magnitude;
    }
    return w;
}

// One Newton step for the angle phi in [0, pi / 4 + 2^-13] with sin phi = a (`sine`) or
// cos phi = a: phi - (sin phi - a) / cos phi, or phi + (cos phi - a) / sin phi. The quotient
// is taken in double-double: it is a correction, and its own error is 2^-100 of it.
WideFixed newtonStep(const WideFixed& phi, const WideFixed& a, bool sine) {
    const WideFixed sinePhi = sineSeries(phi);
    const WideFixed cosinePhi = cosineSeries(phi);
    const WideFixed excess = (sine ? sinePhi : cosinePhi) - a;
    const WideFixed& slope = sine ? cosinePhi : sinePhi;
    if (excess.isZero() || slope.isZero()) {
        return phi;
    }
    const bool negative = excess.isNegative();
    DoubleDouble step = quotient(leadingDoubleDouble(negative ? excess.negated() : excess),
                                 leadingDoubleDouble(slope));
    if (negative == sine) {
        return phi + fromDoubleDouble(step);
    }
    const WideFixed moved = phi - fromDoubleDouble(step);
    return moved.isNegative() ? WideFixed() : moved;
}

// Whether a value known within 2^-errorBits of itself (relative) rounds surely, and where to.
bool roundsSurely(const WideFixed& value, int errorBits, double& result) {
    result = value.nearest();
    const WideFixed error = WideFixed::fromDouble(std::ldexp(result, -errorBits));
    return (value - error).nearest() == (value + error).nearest();
}

// |asin x| or acos x from the smaller angle phi: asin |x| when |x| <= sqrt(1/2), else acos |x|.
WideFixed arcOf(double x, const WideFixed& phi, bool arccosine) {
    const bool phiIsArcsine = std::fabs(x) <= SQRT_HALF;
    if (!arccosine) {
        return phiIsArcsine ? phi : halfPi() - phi;
    }
    if (phiIsArcsine) {
        return x < 0.0 ? halfPi() + phi : halfPi() - phi;
    }
    return x < 0.0 ? (halfPi() + halfPi()) - phi : phi;
}

// The fast path's angle phi refined until the result rounds surely. The estimate lies within
// 2^-69 of phi, relative; one step leaves (2^-69)^2 / 2 of it, far inside 2^-130, and a
// second step reaches the 2^-190 that the series allow. Should that still not decide, the
// nearest double to the refined value is the answer.
double roundedArc(double x, bool arccosine) {
    const double ax = std::fabs(x);
    const WideFixed a = WideFixed::fromDouble(ax);
    WideFixed phi = fromDoubleDouble(smallerAngle(ax));
    double result = 0.0;
    for (const int errorBits : NEWTON_ERROR_BITS) {
        phi = newtonStep(phi, a, ax <= SQRT_HALF);
        if (roundsSurely(arcOf(x, phi, arccosine), errorBits, result)) {
            break;
        }
    }
    return result;
}

}  // namespace

WideReduction reduceWide(double x) {
    WideReduction reduced;
    if (x <= QUARTER_PI_BELOW) {
        reduced.r = WideFixed::fromDouble(x);
        return reduced;
    }
    int exponent = 0;
    const double fraction = std::frexp(x, &exponent);
    const auto digits = static_cast<uint64_t>(std::ldexp(fraction, DOUBLE_DIGITS));
    const int e = exponent - DOUBLE_DIGITS;  // x = digits * 2^e
    // Limbs of 2 / pi before `first` add whole multiples of four quarter turns.
    const int first = e >= 34 ? (e - 34) / 32 : 0;
    std::array<uint32_t, WINDOW + 2> product{};  // least significant limb first
    const uint32_t digitLimbs[2] = {static_cast<uint32_t>(digits),
                                    static_cast<uint32_t>(digits >> 32)};
    for (int j = 0; j < WINDOW; ++j) {
        const uint64_t limb = TWO_OVER_PI_BITS[first + WINDOW - 1 - j];
        uint64_t carry = 0;
        for (int k = 0; k < 2; ++k) {
            const uint64_t t = limb * digitLimbs[k] + product[j + k] + carry;
            product[j + k] = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        product[j + 2] = static_cast<uint32_t>(carry);
    }
    // x * 2 / pi = product * 2^-point: the quarter turns above bit `point`, the rest below.
    const int point = 32 * (first + WINDOW) - e;
    uint32_t limbs[WideFixed::LIMBS];
    for (int i = 0; i < WideFixed::LIMBS; ++i) {
        limbs[i] = bitsAt(product, point - 32 * i);
    }
    const WideFixed turns = WideFixed::fromLimbs(limbs);
    reduced.quadrant = static_cast<int>(turns.integerPart() & 3);
    WideFixed rest = turns.fractionPart();
    const WideFixed half = WideFixed::powerOfTwo(1);
    if (!(rest < half)) {
        reduced.quadrant = (reduced.quadrant + 1) & 3;
        reduced.negative = true;
        rest = WideFixed::fromDouble(1.0) - rest;
    }
    reduced.r = rest * halfPi();
    return reduced;
}

double accurateSin(double x) {
    bool negative = false;
    const WideFixed value = sineInQuadrant(reduceWide(std::fabs(x)), 0, negative);
    const double magnitude = value.nearest();
    return negative != (x < 0.0) ? -magnitude : magnitude;
}

double accurateCos(double x) {
    bool negative = false;
    const WideFixed value = sineInQuadrant(reduceWide(std::fabs(x)), 1, negative);
    const double magnitude = value.nearest();
    return negative ? -magnitude : magnitude;
}

double accurateAsin(double x) {
    const double magnitude = roundedArc(x, false);
    return x < 0.0 ? -magnitude : magnitude;
}

double accurateAcos(double x) {
    return roundedArc(x, true);
}

}  // namespace zelmor::maths::detail
