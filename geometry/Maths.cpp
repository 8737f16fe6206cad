#include "geometry/Maths.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "geometry/Maths_detail.h"

namespace zelmor::maths {

using detail::DoubleDouble;
using detail::fastTwoSum;
using detail::HALF_PI;
using detail::NODE_HEADS;
using detail::NODE_SINE_COSINE;
using detail::NODES_PER_RADIAN;
using detail::roundsSurely;
using detail::SQRT_HALF;
using detail::twoProduct;
using detail::twoSum;

namespace {

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
constexpr double LARGEST = std::numeric_limits<double>::max();

// Below 2^-26, sin x and asin x lie within x^3 / 6 < 2^-54.5 |x| of x, closer than any
// neighbouring midpoint, so they round to x; below 2^-27, cos x rounds to 1 the same way.
constexpr double SINE_IS_ARGUMENT = 0x1p-26;
constexpr double COSINE_IS_ONE = 0x1p-27;
// Cody and Waite's reduction stays exact while the count of quarter turns stays below 2^20.
constexpr double CODY_WAITE_LIMIT = 0x1p20;
constexpr double TWO_OVER_PI = 0x1.45f306dc9c883p-1;
constexpr double NODE_SPACING = 1.0 / detail::NODES_PER_RADIAN;
// Adding and taking away 1.5 * 2^52 rounds a double below 2^51 to an integer.
constexpr double ROUNDING_SHIFTER = 0x1.8p52;
// Adding and taking away 1.5 * 2^17 rounds a number below 2^-9 to a multiple of 2^-35; adding
// and taking away 0 changes nothing.
constexpr double T_HEAD_SHIFTERS[2] = {0.0, 0x1.8p17};

// How far the double-double results may lie from the exact value, relative to it (see
// alongNode and angleNearNode), and the absolute error a reduction adds to the angle (2^-105 at
// most for Cody and Waite's, 2^-105 of pi / 4 for the wide one's leading 106 bits).
constexpr double SINE_ERROR = 0x1p-67;
constexpr double ANGLE_ERROR = 0x1p-69;
constexpr double REDUCTION_ERROR = 0x1p-100;

// Taylor coefficients of cos t - 1 and sin t - t: for |t| <= 2^-9 the terms left out stay
// below 2^-86 of the result.
constexpr double COS_2 = -0.5;
constexpr double COS_4 = 1.0 / 24;
constexpr double COS_6 = -1.0 / 720;
constexpr double SIN_3 = -1.0 / 6;
constexpr double SIN_5 = 1.0 / 120;
constexpr double SIN_7 = -1.0 / 5040;
// Taylor coefficients of (asin x - x) / x^3 in powers of x^2: (2k)! / (4^k (k!)^2 (2k + 1)).
constexpr double ARCSINE_TAYLOR[11] = {1.0 / 6,           3.0 / 40,          5.0 / 112,
                                       35.0 / 1152,       63.0 / 2816,       231.0 / 13312,
                                       143.0 / 10240,     6435.0 / 557056,   12155.0 / 1245184,
                                       46189.0 / 5505024, 88179.0 / 12058624};
// Up to here asin x is first tried as a series (see arcsineSeriesTail), and its error bound
// is SERIES_ERROR * |x| * x^2; arccosines from it add up to SERIES_SUM_ERROR.
constexpr double SERIES_LIMIT = 0.21;
constexpr double SERIES_ERROR = 0x1p-52;
constexpr double SERIES_SUM_ERROR = 0x1p-61;
// asin s within 2^-14 for 0 <= s <= 0.71: enough to pick the nearest node of the table.
constexpr double GUESS[] = {0.9999632961937411, 0.16898592447592634, 0.0533299415180228,
                            0.1029793098990906};

// +1 and -1 by a sign bit: signs applied by multiplying, without a branch that random
// quadrants would mispredict.
constexpr double SIGNS[2] = {1.0, -1.0};

// The arcsine and arccosine from the smaller angle (see arcOf), as base + sign * angle:
// asin |x| = 0 + asin |x| or pi / 2 - acos |x|; acos x = pi / 2 - asin |x|, pi / 2 + asin |x|,
// 0 + acos |x| or pi - acos |x| (by the smaller angle's kind, then x's sign).
constexpr DoubleDouble ZERO_ANGLE = {0.0, 0.0};
constexpr DoubleDouble PI = {2.0 * HALF_PI.hi, 2.0 * HALF_PI.lo};
constexpr DoubleDouble ARCSINE_BASE[2] = {ZERO_ANGLE, HALF_PI};
constexpr DoubleDouble ARCCOSINE_BASE[4] = {HALF_PI, HALF_PI, ZERO_ANGLE, PI};
constexpr double ARCCOSINE_SIGN[4] = {-1.0, 1.0, 1.0, -1.0};

// The helpers below are marked always_inline: left as calls, they pass their pairs through
// memory and take a third longer than inlined (GCC keeps them out of line otherwise, as sin, cos
// and sincos each use them).

// v rounded to the nearest integer, returned as a double and in `n`, for 0 <= v < 2^31:
// adding 1.5 * 2^52 leaves the integer in the low bits of the sum.
[[gnu::always_inline]] inline double nearestInteger(double v, int& n) {
    const double shifted = v + ROUNDING_SHIFTER;
    uint64_t bits = 0;
    std::memcpy(&bits, &shifted, sizeof bits);
    n = static_cast<int>(bits & 0x7fffffff);
    return shifted - ROUNDING_SHIFTER;
}

// An angle of quadrant * pi / 2 + hi + lo, within `error` of the argument.
struct Reduction {
    int quadrant = 0;
    double hi = 0.0;
    double lo = 0.0;
    double error = 0.0;
};

// Cody and Waite's reduction for 0 <= ax < 2^20, arguments below pi / 4 included (k = 0 leaves
// them exact, and one path for all avoids a branch). hi + lo is left unnormalised so that hi is
// ready early: lo may exceed half a unit of hi's last place, but stays below 2^-40 of hi.
[[gnu::always_inline]] inline Reduction reduceCodyWaite(double ax) {
    int n = 0;
    const double k = nearestInteger(ax * TWO_OVER_PI, n);
    // k * part is exact for the first three parts, and the first difference is exact because
    // k * pi / 2 lies within a quarter turn of ax.
    const double first = ax - k * detail::HALF_PI_PARTS[0];
    const DoubleDouble second = twoSum(first, -k * detail::HALF_PI_PARTS[1]);
    const DoubleDouble third = twoSum(second.hi, -k * detail::HALF_PI_PARTS[2]);
    const double low = (second.lo + third.lo) - k * detail::HALF_PI_PARTS[3];
    return {n & 3, third.hi, low, REDUCTION_ERROR};
}

Reduction reduceLarge(double ax) {
    const detail::WideReduction wide = detail::reduceWide(ax);
    double hi = 0.0;
    double lo = 0.0;
    wide.r.leadingDoubles(hi, lo);
    const double sign = SIGNS[wide.negative ? 1 : 0];
    return {wide.quadrant, sign * hi, sign * lo, REDUCTION_ERROR};
}

[[gnu::always_inline]] inline Reduction reduce(double ax) {
    return ax < CODY_WAITE_LIMIT ? reduceCodyWaite(ax) : reduceLarge(ax);
}

// The reduced angle a = aHi + aLo, 0 <= aHi <= pi / 4 + 2^-30, as a node u = i / 256 of the
// table plus t, |t| <= 2^-9, with what sine and cosine share of t's powers.
struct NearNode {
    const double* node = nullptr;
    const double* heads = nullptr;
    double aLo = 0.0;
    double tHi = 0.0;  // exact
    double tHead = 0.0;
    double tTail = 0.0;
    double t = 0.0;
    double cosMinusOne = 0.0;  // cos t - 1
    double sinMinusT = 0.0;    // sin t - t
};

[[gnu::always_inline]] inline NearNode nearNode(double aHi, double aLo) {
    NearNode n;
    int i = 0;
    n.tHi = aHi - nearestInteger(aHi * NODES_PER_RADIAN, i) * NODE_SPACING;
    // tHead is tHi to a multiple of 2^-35, 26 bits at most. Around the node 0, where B below is
    // 1 for the sine and 0 for the cosine, t stays whole: the sine's result is about t there,
    // and the tail t - tHead would be large beside it.
    const double shifter = T_HEAD_SHIFTERS[i == 0 ? 0 : 1];
    n.tHead = (n.tHi + shifter) - shifter;
    n.tTail = n.tHi - n.tHead;
    n.node = NODE_SINE_COSINE[i];
    n.heads = NODE_HEADS[i];
    n.aLo = aLo;
    n.t = n.tHi + aLo;
    const double z = n.t * n.t;
    n.cosMinusOne = z * (COS_2 + z * (COS_4 + z * COS_6));
    n.sinMinusT = n.t * z * (SIN_3 + z * (SIN_5 + z * SIN_7));
    return n;
}

// sin a (cosine = 0) or cos a (cosine = 1) as f(u + t) = A cos t + B sin t, with A = sin u,
// B = cos u (for the cosine A = cos u, B = -sin u) from the table. B * t, the only large term,
// has an exact part: B's 26-bit head times t's leading 26 bits. The error stays below 2^-68 of
// the result: at most twice the result's size, A (cos t - 1) <= 2^-19 A carries about five
// roundings of 2^-53, and SINE_ERROR doubles that.
[[gnu::always_inline]] inline DoubleDouble alongNode(const NearNode& n, int cosine) {
    const int aAt = cosine == 0 ? detail::SINE : detail::COSINE;
    const int bAt = detail::SINE + detail::COSINE - aAt;
    const double bSign = SIGNS[cosine];
    const double aHigh = n.node[aAt];
    const double bHigh = bSign * n.node[bAt];
    const double bHead = bSign * n.heads[1 - cosine];
    const DoubleDouble head = fastTwoSum(aHigh, bHead * n.tHead);
    const double bt = (bHead * n.tTail + (bHigh - bHead) * n.tHi) + bSign * n.node[bAt + 1] * n.t;
    const double small = ((head.lo + n.node[aAt + 1]) + (bt + bHigh * n.aLo)) + bHigh * n.sinMinusT;
    return fastTwoSum(head.hi, small + aHigh * n.cosMinusOne);
}

// sin(angle + shift * pi / 2) of a reduced angle, through its expansion at the node; false when
// its rounding is not sure.
[[gnu::always_inline]] inline bool sineOfReduced(const Reduction& reduced, const NearNode& n,
                                                 int shift, double& result) {
    const int quadrant = reduced.quadrant + shift;
    const int cosine = quadrant & 1;
    const int restNegative = std::signbit(reduced.hi) ? 1 : 0;
    const DoubleDouble value = alongNode(n, cosine);
    double rounded = 0.0;
    const bool sure = roundsSurely(value, SINE_ERROR * value.hi + reduced.error, rounded);
    result = SIGNS[((quadrant >> 1) ^ (restNegative & (cosine ^ 1))) & 1] * rounded;
    return sure;
}

[[gnu::always_inline]] inline NearNode nearNode(const Reduction& reduced) {
    return nearNode(std::fabs(reduced.hi), SIGNS[std::signbit(reduced.hi) ? 1 : 0] * reduced.lo);
}

// asin x - x for 0 <= x <= SERIES_LIMIT, given z = x^2, as x z (1/6 + z Q(z)) with the
// eleven Taylor coefficients, Q evaluated in pairs. The result is at most 0.0016 x. The
// roundings of z, x z, the product, the last sum and of 1/6 itself each count fully, those
// inside z Q (below 0.021 of the sum) hardly: 4.8 roundings of 2^-53, and the terms left out
// add at most 2^-56.8 x z. The error stays below 2^-53 x z, half of SERIES_ERROR's.
[[gnu::always_inline]] inline double arcsineSeriesTail(double x, double z) {
    const double* c = ARCSINE_TAYLOR;
    const double z2 = z * z;
    const double z4 = z2 * z2;
    const double z8 = z4 * z4;
    const double low = (c[1] + z * c[2]) + z2 * (c[3] + z * c[4]);
    const double middle = (c[5] + z * c[6]) + z2 * (c[7] + z * c[8]);
    const double high = c[9] + z * c[10];
    return x * z * (c[0] + z * ((low + z4 * middle) + z8 * high));
}

// sqrt(1 - x^2) for |x| <= 1 as root + correction, within 2^-103 of it: 1 - x^2 is exact as
// a double-double, and one Newton step refines the rounded root. The root is taken from the
// leading part as soon as it is known, and the reciprocal that scales the correction is worked
// out while the rest of the difference is summed.
[[gnu::always_inline]] inline DoubleDouble complementRoot(double x) {
    const DoubleDouble square = twoProduct(x, x);
    const DoubleDouble w = twoSum(1.0, -square.hi);
    const double root = std::sqrt(w.hi);
    // 2^-1000 keeps 1 / 0 out at x = +-1 and changes no other quotient.
    const double halfReciprocal = 1.0 / (2.0 * root + 0x1p-1000);
    const DoubleDouble rootSquared = twoProduct(root, root);
    // Exact: root^2 lies within two units of w.hi.
    const double excess = w.hi - rootSquared.hi;
    const double rest = (excess - rootSquared.lo) + (w.lo - square.lo);
    return {root, rest * halfReciprocal};
}

// base + sign * angle for the angle in [0, pi / 4 + 2^-9] with sine s and cosine c
// (s <= 0.7072), where base is 0, pi / 2 or pi, and the sign -1 only with a base above 0. The
// angle is the node v = i / 256 nearest to it plus asin d, d = sin(angle - v) = s cos v - c sin v,
// |d| <= 2^-8.9. The products are exact, so d is good to 2^-100; asin d - d, below 2^-20.5 of d,
// is summed in double with eight roundings: the error stays below 2^-70 of the result.
[[gnu::always_inline]] inline DoubleDouble angleNearNode(const DoubleDouble& s,
                                                         const DoubleDouble& c,
                                                         const DoubleDouble& base, double sign) {
    // asin s within 2^-14, evaluated in pairs, to pick the node.
    const double s2 = s.hi * s.hi;
    const double guess =
        s.hi * ((GUESS[0] + s2 * GUESS[1]) + (s2 * s2) * (GUESS[2] + s2 * GUESS[3]));
    int i = 0;
    const double v = nearestInteger(guess * NODES_PER_RADIAN, i) * NODE_SPACING;
    const double* node = NODE_SINE_COSINE[i];
    const double sineHi = node[detail::SINE];
    const double cosineHi = node[detail::COSINE];
    const DoubleDouble sc = twoProduct(s.hi, cosineHi);
    const DoubleDouble cs = twoProduct(c.hi, sineHi);
    const DoubleDouble d = twoSum(sc.hi, -cs.hi);
    // asin d - d at d.hi, while the low parts of d are still being summed; they add
    // (d.hi^2 / 2) low to it.
    const double z = d.hi * d.hi;
    const double z2 = z * z;
    const double tailAtHi = d.hi * z *
                            ((ARCSINE_TAYLOR[0] + z * ARCSINE_TAYLOR[1]) +
                             z2 * (ARCSINE_TAYLOR[2] + z * ARCSINE_TAYLOR[3]));
    const double crossLow = (s.hi * node[detail::COSINE + 1] + s.lo * cosineHi) -
                            (c.hi * node[detail::SINE + 1] + c.lo * sineHi);
    const double low = (d.lo + (sc.lo - cs.lo)) + crossLow;
    const double tail = tailAtHi + (0.5 * z) * low;
    // base + sign * v is exact: pi / 2 and pi rounded are multiples of 2^-49 and 2^-48, v of
    // 2^-8, and the sum lies below 4.
    const DoubleDouble head = fastTwoSum(base.hi + sign * v, sign * d.hi);
    return fastTwoSum(head.hi, head.lo + (base.lo + sign * (low + tail)));
}

// asin |x| when `complement` is 0 (|x| <= sqrt(1/2)), acos |x| when it is 1, both at most
// pi / 4, turned into base + sign * that angle. The sine and cosine swap places by index,
// without a branch.
[[gnu::always_inline]] inline DoubleDouble arcOf(double ax, int complement,
                                                 const DoubleDouble& base, double sign) {
    const DoubleDouble sides[2] = {{ax, 0.0}, complementRoot(ax)};
    return angleNearNode(sides[complement], sides[1 - complement], base, sign);
}

}  // namespace

namespace detail {

DoubleDouble smallerAngle(double ax) {
    return arcOf(ax, ax > SQRT_HALF ? 1 : 0, ZERO_ANGLE, 1.0);
}

}  // namespace detail

double sin(double x) {
    const double ax = std::fabs(x);
    if (ax < SINE_IS_ARGUMENT) {
        return x;
    }
    if (!(ax <= LARGEST)) {
        return NOT_A_NUMBER;
    }
    const Reduction reduced = reduce(ax);
    double result = 0.0;
    if (sineOfReduced(reduced, nearNode(reduced), 0, result)) {
        return SIGNS[std::signbit(x) ? 1 : 0] * result;
    }
    return detail::accurateSin(x);
}

double cos(double x) {
    const double ax = std::fabs(x);
    if (ax < COSINE_IS_ONE) {
        return 1.0;
    }
    if (!(ax <= LARGEST)) {
        return NOT_A_NUMBER;
    }
    const Reduction reduced = reduce(ax);
    double result = 0.0;
    if (sineOfReduced(reduced, nearNode(reduced), 1, result)) {
        return result;
    }
    return detail::accurateCos(x);
}

SinCos sincos(double x) {
    const double ax = std::fabs(x);
    if (ax < COSINE_IS_ONE || !(ax <= LARGEST)) {
        return {sin(x), cos(x)};
    }
    const Reduction reduced = reduce(ax);
    const NearNode n = nearNode(reduced);
    SinCos both;
    if (ax < SINE_IS_ARGUMENT) {
        both.sin = x;
    } else if (sineOfReduced(reduced, n, 0, both.sin)) {
        both.sin = SIGNS[std::signbit(x) ? 1 : 0] * both.sin;
    } else {
        both.sin = detail::accurateSin(x);
    }
    if (!sineOfReduced(reduced, n, 1, both.cos)) {
        both.cos = detail::accurateCos(x);
    }
    return both;
}

double asin(double x) {
    const double ax = std::fabs(x);
    if (ax < SINE_IS_ARGUMENT) {
        return x;
    }
    if (!(ax <= 1.0)) {
        return NOT_A_NUMBER;
    }
    double rounded = 0.0;
    if (ax <= SERIES_LIMIT) {
        const double z = ax * ax;
        const DoubleDouble series = fastTwoSum(ax, arcsineSeriesTail(ax, z));
        if (roundsSurely(series, SERIES_ERROR * ax * z, rounded)) {
            return SIGNS[std::signbit(x) ? 1 : 0] * rounded;
        }
    }
    // asin |x| itself, or pi / 2 - acos |x|.
    const int complement = ax > SQRT_HALF ? 1 : 0;
    const DoubleDouble angle = arcOf(ax, complement, ARCSINE_BASE[complement], SIGNS[complement]);
    if (roundsSurely(angle, ANGLE_ERROR * angle.hi, rounded)) {
        return SIGNS[std::signbit(x) ? 1 : 0] * rounded;
    }
    return detail::accurateAsin(x);
}

double acos(double x) {
    const double ax = std::fabs(x);
    if (!(ax <= 1.0)) {
        return NOT_A_NUMBER;
    }
    double rounded = 0.0;
    if (ax <= SERIES_LIMIT) {
        // pi / 2 - x - (asin x - x).
        const double z = ax * ax;
        const double sign = SIGNS[std::signbit(x) ? 1 : 0];
        const DoubleDouble head = twoSum(HALF_PI.hi, -sign * ax);
        const DoubleDouble series =
            fastTwoSum(head.hi, (head.lo + HALF_PI.lo) - sign * arcsineSeriesTail(ax, z));
        if (roundsSurely(series, SERIES_ERROR * ax * z + SERIES_SUM_ERROR, rounded)) {
            return rounded;
        }
    }
    const int complement = ax > SQRT_HALF ? 1 : 0;
    const int form = 2 * complement + (std::signbit(x) ? 1 : 0);
    const DoubleDouble angle = arcOf(ax, complement, ARCCOSINE_BASE[form], ARCCOSINE_SIGN[form]);
    if (roundsSurely(angle, ANGLE_ERROR * angle.hi, rounded)) {
        return rounded;
    }
    return detail::accurateAcos(x);
}

}  // namespace zelmor::maths
