#include "geometry/Maths.h"

#include <cmath>
#include <limits>

#include "geometry/Maths_detail.h"

namespace zelmor::maths {

using detail::DoubleDouble;
using detail::fastTwoSum;
using detail::nearestInteger;
using detail::NODE_HEADS;
using detail::NODE_SINE_COSINE;
using detail::NODE_SPACING;
using detail::NODES_PER_RADIAN;
using detail::NOT_A_NUMBER;
using detail::roundsSurely;
using detail::SIGNS;
using detail::SINE_IS_ARGUMENT;
using detail::twoProduct;
using detail::twoSum;

namespace {

constexpr double LARGEST = std::numeric_limits<double>::max();

// Below 2^-27, cos x lies within x^2 / 2 < 2^-55 of 1, closer than the midpoint below it, and
// rounds to 1 (sin x rounds to x below SINE_IS_ARGUMENT the same way).
constexpr double COSINE_IS_ONE = 0x1p-27;
// Cody and Waite's reduction stays exact while the count of quarter turns stays below 2^20.
constexpr double CODY_WAITE_LIMIT = 0x1p20;
constexpr double TWO_OVER_PI = 0x1.45f306dc9c883p-1;
// Adding and taking away 1.5 * 2^17 rounds a number below 2^-9 to a multiple of 2^-35; adding
// and taking away 0 changes nothing.
constexpr double T_HEAD_SHIFTERS[2] = {0.0, 0x1.8p17};

// How far the double-double results may lie from the exact value, relative to it (see
// alongNode), and the absolute error a reduction adds to the angle (2^-105 at most for Cody and
// Waite's, 2^-105 of pi / 4 for the wide one's leading 106 bits).
constexpr double SINE_ERROR = 0x1p-67;
constexpr double REDUCTION_ERROR = 0x1p-100;

// Taylor coefficients of cos t - 1 and sin t - t: for |t| <= 2^-9 the terms left out stay
// below 2^-86 of the result.
constexpr double COS_2 = -0.5;
constexpr double COS_4 = 1.0 / 24;
constexpr double COS_6 = -1.0 / 720;
constexpr double SIN_3 = -1.0 / 6;
constexpr double SIN_5 = 1.0 / 120;
constexpr double SIN_7 = -1.0 / 5040;

// The helpers below are marked always_inline: left as calls, they pass their pairs through
// memory and take a third longer than inlined (GCC keeps them out of line otherwise, as sin, cos
// and sincos each use them).

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

}  // namespace

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

}  // namespace zelmor::maths
