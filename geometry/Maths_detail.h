#pragma once

// The pieces shared by geometry/Maths.cpp (the double-double evaluation that answers almost
// every call), geometry/MathsAccurate.cpp (the wide evaluation for the rest) and the tables.

#include <cstdint>
#include <cstring>
#include <limits>

#include "geometry/WideFixed.h"

namespace zelmor::maths::detail {

// Every NaN result has these bits, on every platform.
constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
// Below 2^-26, sin x and asin x lie within x^3 / 6 < 2^-54.5 |x| of x, closer than any
// neighbouring midpoint, so they round to x.
constexpr double SINE_IS_ARGUMENT = 0x1p-26;

// +1 and -1 by a sign bit: signs applied by multiplying, without a branch that random
// quadrants or signs would mispredict.
constexpr double SIGNS[2] = {1.0, -1.0};

// v rounded to the nearest integer, returned as a double and in `n`, for 0 <= v < 2^31:
// adding 1.5 * 2^52 leaves the integer in the low bits of the sum, and taking it away again
// leaves the integer itself.
[[gnu::always_inline]] inline double nearestInteger(double v, int& n) {
    constexpr double ROUNDING_SHIFTER = 0x1.8p52;
    const double shifted = v + ROUNDING_SHIFTER;
    uint64_t bits = 0;
    std::memcpy(&bits, &shifted, sizeof bits);
    n = static_cast<int>(bits & 0x7fffffff);
    return shifted - ROUNDING_SHIFTER;
}

// An unevaluated sum hi + lo with |lo| at most half a unit in the last place of hi, or close to
// that: about 106 bits. Every operation below is exact or says what it loses; none needs a
// fused multiply-add, which the build forbids.
struct DoubleDouble {
    double hi = 0.0;
    double lo = 0.0;
};

// a + b exactly, when a is zero or |a| >= |b|.
inline DoubleDouble fastTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// a + b exactly, whatever their sizes.
inline DoubleDouble twoSum(double a, double b) {
    const double s = a + b;
    const double bPart = s - a;
    return {s, (a - (s - bPart)) + (b - bPart)};
}

// a * b exactly (Dekker), for factors and products far from overflow and underflow: each factor
// is split into halves of 26 bits whose products are exact.
inline DoubleDouble twoProduct(double a, double b) {
    constexpr double SPLITTER = 134217729.0;  // 2^27 + 1
    const double ca = SPLITTER * a;
    const double aHi = ca - (ca - a);
    const double aLo = a - aHi;
    const double cb = SPLITTER * b;
    const double bHi = cb - (cb - b);
    const double bLo = b - bHi;
    const double p = a * b;
    return {p, ((aHi * bHi - p) + aHi * bLo + aLo * bHi) + aLo * bLo};
}

// The rounding test: y's value lies within `error` of y.hi + y.lo, and when both ends of that
// band round to the same double, so does the value. y must be normalised (fastTwoSum).
inline bool roundsSurely(const DoubleDouble& y, double error, double& rounded) {
    const double below = y.hi + (y.lo - error);
    rounded = y.hi + (y.lo + error);
    return below == rounded;
}

// Sine and cosine of i / 256 for i = 0 .. NODE_COUNT - 1, rounded to double-double: sine hi,
// sine lo, cosine hi, cosine lo. Kept as numbers in a row so that the sine or the cosine can
// be picked by index rather than by a branch that random quadrants would mispredict.
constexpr int NODE_COUNT = 203;
constexpr double NODES_PER_RADIAN = 256.0;
constexpr double NODE_SPACING = 1.0 / NODES_PER_RADIAN;
constexpr int SINE = 0;
constexpr int COSINE = 2;
extern const double NODE_SINE_COSINE[NODE_COUNT][4];
// The sine hi and cosine hi of each node rounded to 26 bits: their products with a number of
// 26 bits are exact.
extern const double NODE_HEADS[NODE_COUNT][2];

// pi / 2 as four doubles, the first three of 33 bits (so that k times each is exact for k below
// 2^20), the last rounded: together within 2^-150 of pi / 2.
extern const double HALF_PI_PARTS[4];
constexpr DoubleDouble HALF_PI = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
// The bits of 2 / pi, 32 to a limb, the first limb holding 2^-1 .. 2^-32.
constexpr int TWO_OVER_PI_LIMBS = 48;
extern const uint32_t TWO_OVER_PI_BITS[TWO_OVER_PI_LIMBS];
// pi / 2 as a WideFixed, most significant limb first.
extern const uint32_t HALF_PI_FIXED[WideFixed::LIMBS];

// An angle as a quarter turn count plus a rest: angle = quadrant * pi / 2 + (negative ? -r : r),
// with 0 <= r <= pi / 4 within 2^-250.
struct WideReduction {
    int quadrant = 0;  // modulo 4
    bool negative = false;
    WideFixed r;
};

// x >= 0, finite.
WideReduction reduceWide(double x);

// The arcsine and arccosine first find the smaller angle: asin |x| up to here, acos |x| above.
constexpr double SQRT_HALF = 0x1.6a09e667f3bcdp-1;

// asin ax (ax <= SQRT_HALF) or acos ax (above), 0 <= ax <= 1, from the double-double
// evaluation: within 2^-69 of it.
DoubleDouble smallerAngle(double ax);

// Correctly rounded results for finite arguments, from the 256-bit evaluation: sine and cosine
// for |x| >= 2^-27, arcsine and arccosine for |x| <= 1.
double accurateSin(double x);
double accurateCos(double x);
double accurateAsin(double x);
double accurateAcos(double x);

}  // namespace zelmor::maths::detail
