// The arcsine and arccosine of zelmor::maths (see geometry/Maths.h). Small arguments are tried
// as a Taylor series first; the rest, and the series' unsure cases, go through the smaller of
// the two angles of (x, sqrt(1 - x^2)) around the nodes of the sine and cosine table, and the
// few that stay unsure through the 256-bit evaluation.
#include "geometry/Maths.h"

#include <cmath>

#include "geometry/Maths_detail.h"

namespace zelmor::maths {

using detail::DoubleDouble;
using detail::fastTwoSum;
using detail::HALF_PI;
using detail::nearestInteger;
using detail::NODE_SINE_COSINE;
using detail::NODE_SPACING;
using detail::NODES_PER_RADIAN;
using detail::NOT_A_NUMBER;
using detail::roundsSurely;
using detail::SIGNS;
using detail::SINE_IS_ARGUMENT;
using detail::SQRT_HALF;
using detail::twoProduct;
using detail::twoSum;

namespace {

// How far the node evaluation's angles may lie from the exact value, relative to it (see
// angleNearNode).
constexpr double ANGLE_ERROR = 0x1p-69;

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

// The arcsine and arccosine from the smaller angle (see arcOf), as base + sign * angle:
// asin |x| = 0 + asin |x| or pi / 2 - acos |x|; acos x = pi / 2 - asin |x|, pi / 2 + asin |x|,
// 0 + acos |x| or pi - acos |x| (by the smaller angle's kind, then x's sign).
constexpr DoubleDouble ZERO_ANGLE = {0.0, 0.0};
constexpr DoubleDouble PI = {2.0 * HALF_PI.hi, 2.0 * HALF_PI.lo};
constexpr DoubleDouble ARCSINE_BASE[2] = {ZERO_ANGLE, HALF_PI};
constexpr DoubleDouble ARCCOSINE_BASE[4] = {HALF_PI, HALF_PI, ZERO_ANGLE, PI};
constexpr double ARCCOSINE_SIGN[4] = {-1.0, 1.0, 1.0, -1.0};

// The helpers below are marked always_inline: asin, acos and smallerAngle each use them, and
// GCC would otherwise keep them as calls that pass their pairs through memory.

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
