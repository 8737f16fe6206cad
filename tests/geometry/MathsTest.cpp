#include "geometry/Maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <ios>
#include <limits>

#include "geometry/Maths_detail.h"
#include "tests/support/StateHash.h"

namespace zelmor::maths {
namespace {

uint64_t bitsOf(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

struct EdgeCase {
    const char* function;
    double (*f)(double);
    double x;
    double expected;
};

constexpr double NAN_RESULT = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();

// The exact values rounded to nearest, worked out once with MPFR: zeros, subnormals, the
// arguments where the evaluation changes method (2^-27, 2^-26, 2^-9, pi / 4, 2^20, 0.21,
// sqrt(1/2)), the doubles nearest to multiples of pi / 2, huge arguments (1e22, the double
// closest to a multiple of pi / 2 of all, DBL_MAX) and the ends of [-1, 1].
const EdgeCase EDGE_CASES[] = {
    {"sin", sin, 0x0p+0, 0x0p+0},
    {"sin", sin, -0x0p+0, -0x0p+0},
    {"sin", sin, 0x0.0000000000001p-1022, 0x0.0000000000001p-1022},
    {"sin", sin, -0x0.0000000000001p-1022, -0x0.0000000000001p-1022},
    {"sin", sin, 0x1p-1022, 0x1p-1022},
    {"sin", sin, 0x1.56e1fc2f8f359p-997, 0x1.56e1fc2f8f359p-997},
    {"sin", sin, 0x1.fffffffffffffp-27, 0x1.fffffffffffffp-27},
    {"sin", sin, 0x1p-26, 0x1p-26},
    {"sin", sin, 0x1.fffffffffffffp-28, 0x1.fffffffffffffp-28},
    {"sin", sin, 0x1p-27, 0x1p-27},
    {"sin", sin, -0x1.8p-27, -0x1.8p-27},
    {"sin", sin, 0x1p-1, 0x1.eaee8744b05fp-2},
    {"sin", sin, 0x1p+0, 0x1.aed548f090ceep-1},
    {"sin", sin, -0x1p+0, -0x1.aed548f090ceep-1},
    {"sin", sin, 0x1.921fb54442d18p-1, 0x1.6a09e667f3bccp-1},
    {"sin", sin, 0x1.921fb54442d19p-1, 0x1.6a09e667f3bcdp-1},
    {"sin", sin, 0x1.921fb54442d17p+0, 0x1p+0},
    {"sin", sin, 0x1.921fb54442d18p+0, 0x1p+0},
    {"sin", sin, 0x1.921fb54442d19p+0, 0x1p+0},
    {"sin", sin, 0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53},
    {"sin", sin, 0x1.921fb54442d19p+1, -0x1.72cece675d1fdp-52},
    {"sin", sin, -0x1.921fb54442d18p+1, -0x1.1a62633145c07p-53},
    {"sin", sin, 0x1.2d97c7f3321d2p+2, -0x1p+0},
    {"sin", sin, 0x1.921fb54442d18p+2, -0x1.1a62633145c07p-52},
    {"sin", sin, 0x1.fffffffffffffp+19, 0x1.526ccb2de52a8p-2},
    {"sin", sin, 0x1p+20, 0x1.526ccb2fc8656p-2},
    {"sin", sin, 0x1.0f0cf064dd592p+73, -0x1.b453ab76bf397p-1},
    {"sin", sin, -0x1.0f0cf064dd592p+73, 0x1.b453ab76bf397p-1},
    {"sin", sin, 0x1.6ac5b262ca1ffp+849, 0x1p+0},
    {"sin", sin, 0x1.7e43c8800759cp+996, -0x1.a2c16b010e385p-1},
    {"sin", sin, 0x1.fffffffffffffp+1023, 0x1.452fc98b34e97p-8},
    {"sin", sin, -0x1.fffffffffffffp+1023, -0x1.452fc98b34e97p-8},
    {"cos", cos, 0x0p+0, 0x1p+0},
    {"cos", cos, -0x0p+0, 0x1p+0},
    {"cos", cos, 0x0.0000000000001p-1022, 0x1p+0},
    {"cos", cos, -0x0.0000000000001p-1022, 0x1p+0},
    {"cos", cos, 0x1p-1022, 0x1p+0},
    {"cos", cos, 0x1.56e1fc2f8f359p-997, 0x1p+0},
    {"cos", cos, 0x1.fffffffffffffp-27, 0x1.fffffffffffffp-1},
    {"cos", cos, 0x1p-26, 0x1.fffffffffffffp-1},
    {"cos", cos, 0x1.fffffffffffffp-28, 0x1p+0},
    {"cos", cos, 0x1p-27, 0x1p+0},
    {"cos", cos, -0x1.8p-27, 0x1.fffffffffffffp-1},
    {"cos", cos, 0x1p-1, 0x1.c1528065b7d5p-1},
    {"cos", cos, 0x1p+0, 0x1.14a280fb5068cp-1},
    {"cos", cos, -0x1p+0, 0x1.14a280fb5068cp-1},
    {"cos", cos, 0x1.921fb54442d18p-1, 0x1.6a09e667f3bcdp-1},
    {"cos", cos, 0x1.921fb54442d19p-1, 0x1.6a09e667f3bccp-1},
    {"cos", cos, 0x1.921fb54442d17p+0, 0x1.469898cc51702p-52},
    {"cos", cos, 0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54},
    {"cos", cos, 0x1.921fb54442d19p+0, -0x1.72cece675d1fdp-53},
    {"cos", cos, 0x1.921fb54442d18p+1, -0x1p+0},
    {"cos", cos, 0x1.921fb54442d19p+1, -0x1p+0},
    {"cos", cos, -0x1.921fb54442d18p+1, -0x1p+0},
    {"cos", cos, 0x1.2d97c7f3321d2p+2, -0x1.a79394c9e8a0ap-53},
    {"cos", cos, 0x1.921fb54442d18p+2, 0x1p+0},
    {"cos", cos, 0x1.fffffffffffffp+19, 0x1.e33ada9352c61p-1},
    {"cos", cos, 0x1p+20, 0x1.e33ada92fe2aep-1},
    {"cos", cos, 0x1.0f0cf064dd592p+73, 0x1.0be2cef01c8f4p-1},
    {"cos", cos, -0x1.0f0cf064dd592p+73, 0x1.0be2cef01c8f4p-1},
    {"cos", cos, 0x1.6ac5b262ca1ffp+849, -0x1.14ae72e6ba22fp-61},
    {"cos", cos, 0x1.7e43c8800759cp+996, -0x1.2699022adc4c1p-1},
    {"cos", cos, 0x1.fffffffffffffp+1023, -0x1.fffe62ecfab75p-1},
    {"cos", cos, -0x1.fffffffffffffp+1023, -0x1.fffe62ecfab75p-1},
    {"asin", asin, 0x0p+0, 0x0p+0},
    {"asin", asin, -0x0p+0, -0x0p+0},
    {"asin", asin, 0x0.0000000000001p-1022, 0x0.0000000000001p-1022},
    {"asin", asin, -0x1p-1022, -0x1p-1022},
    {"asin", asin, 0x1.56e1fc2f8f359p-997, 0x1.56e1fc2f8f359p-997},
    {"asin", asin, 0x1.fffffffffffffp-27, 0x1.fffffffffffffp-27},
    {"asin", asin, 0x1p-26, 0x1p-26},
    {"asin", asin, -0x1p-26, -0x1p-26},
    {"asin", asin, 0x1p-1, 0x1.0c152382d7366p-1},
    {"asin", asin, -0x1p-1, -0x1.0c152382d7366p-1},
    {"asin", asin, 0x1.6a09e667f3bcdp-1, 0x1.921fb54442d19p-1},
    {"asin", asin, 0x1.6a09e667f3bcep-1, 0x1.921fb54442d1ap-1},
    {"asin", asin, -0x1.6a09e667f3bcdp-1, -0x1.921fb54442d19p-1},
    {"asin", asin, 0x1.fffffffffffffp-1, 0x1.921fb50442d18p+0},
    {"asin", asin, -0x1.fffffffffffffp-1, -0x1.921fb50442d18p+0},
    {"asin", asin, 0x1p+0, 0x1.921fb54442d18p+0},
    {"asin", asin, -0x1p+0, -0x1.921fb54442d18p+0},
    {"asin", asin, 0x1.0000000000001p+0, NAN_RESULT},
    {"asin", asin, -0x1p+1, NAN_RESULT},
    {"asin", asin, 0x1.fffffffffffffp+1023, NAN_RESULT},
    {"acos", acos, 0x0p+0, 0x1.921fb54442d18p+0},
    {"acos", acos, -0x0p+0, 0x1.921fb54442d18p+0},
    {"acos", acos, 0x0.0000000000001p-1022, 0x1.921fb54442d18p+0},
    {"acos", acos, -0x1p-1022, 0x1.921fb54442d18p+0},
    {"acos", acos, 0x1.56e1fc2f8f359p-997, 0x1.921fb54442d18p+0},
    {"acos", acos, 0x1.fffffffffffffp-27, 0x1.921fb50442d18p+0},
    {"acos", acos, 0x1p-26, 0x1.921fb50442d18p+0},
    {"acos", acos, -0x1p-26, 0x1.921fb58442d18p+0},
    {"acos", acos, 0x1p-1, 0x1.0c152382d7366p+0},
    {"acos", acos, -0x1p-1, 0x1.0c152382d7366p+1},
    {"acos", acos, 0x1.6a09e667f3bcdp-1, 0x1.921fb54442d18p-1},
    {"acos", acos, 0x1.6a09e667f3bcep-1, 0x1.921fb54442d16p-1},
    {"acos", acos, -0x1.6a09e667f3bcdp-1, 0x1.2d97c7f3321d2p+1},
    {"acos", acos, 0x1.fffffffffffffp-1, 0x1p-26},
    {"acos", acos, -0x1.fffffffffffffp-1, 0x1.921fb52442d18p+1},
    {"acos", acos, 0x1p+0, 0x0p+0},
    {"acos", acos, -0x1p+0, 0x1.921fb54442d18p+1},
    {"acos", acos, 0x1.0000000000001p+0, NAN_RESULT},
    {"acos", acos, -0x1p+1, NAN_RESULT},
    {"acos", acos, 0x1.fffffffffffffp+1023, NAN_RESULT},
    {"sin", sin, 0x1p-9, 0x1.ffffeaaaaaeefp-10},
    {"sin", sin, 0x1.0000000000001p-9, 0x1.ffffeaaaaaef1p-10},
    {"cos", cos, 0x1.8p-9, 0x1.ffff700006cp-1},
    {"asin", asin, 0x1.ae147ae147ae1p-3, 0x1.b14e3666821f8p-3},
    {"asin", asin, 0x1.ae147ae147ae2p-3, 0x1.b14e3666821f9p-3},
    {"acos", acos, -0x1.ae147ae147ae1p-3, 0x1.c8497c1113157p+0},
    {"acos", acos, 0x1.ae147ae147ae2p-3, 0x1.5bf5ee77728d9p+0},
    {"sin", sin, NAN_RESULT, NAN_RESULT},
    {"sin", sin, INF, NAN_RESULT},
    {"sin", sin, -INF, NAN_RESULT},
    {"cos", cos, -NAN_RESULT, NAN_RESULT},
    {"cos", cos, INF, NAN_RESULT},
    {"asin", asin, NAN_RESULT, NAN_RESULT},
    {"asin", asin, -INF, NAN_RESULT},
    {"acos", acos, -NAN_RESULT, NAN_RESULT},
    {"acos", acos, INF, NAN_RESULT},
};

TEST(Maths, EdgeCasesGiveTheCorrectlyRoundedBits) {
    for (const EdgeCase& c : EDGE_CASES) {
        EXPECT_EQ(bitsOf(c.f(c.x)), bitsOf(c.expected))
            << c.function << "(" << std::hexfloat << c.x << ") = " << c.f(c.x);
    }
}

// splitmix64: the same numbers on every platform, which the standard library's distributions
// do not promise.
class Numbers {
public:
    uint64_t next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // In [0, 1), a multiple of 2^-53.
    double unit() { return static_cast<double>(next() >> 11) * 0x1p-53; }
    // +-2^e (1 + f) for e uniform in [low, high].
    double spread(int low, int high) {
        const int e = low + static_cast<int>(next() % static_cast<uint64_t>(high - low + 1));
        const double v = std::ldexp(1.0 + unit(), e);
        return (next() & 1) != 0 ? -v : v;
    }

private:
    uint64_t state_ = 2026;
};

constexpr int HASHED_PER_RANGE = 60000;
constexpr double PI_APPROX = 3.14159f;
constexpr double ONE_180TH = 0.005555555555555556;
constexpr double TILT_FACTOR = 0.2f;

// Every result over the program's ranges, as the tick and the view form their arguments:
// headings in degrees as floats, leans of 0.2 times a normal's component, heading ratios in
// [0, 1], half fields of view as gluPerspective forms them, and doubles of every size. The pinned
// value was taken on Linux after MPFR had confirmed each of these results; a platform that
// rounds one of them differently fails here. Along the way, sincos must equal sin and cos, and
// the odd functions must be odd.
TEST(Maths, ResultsOverTheProgramsRangesGiveThePinnedHash) {
    Numbers numbers;
    test::StateHash hash;
    int disagreements = 0;
    const auto addSinCos = [&](double x) {
        const SinCos both = sincos(x);
        hash.add(both.sin);
        hash.add(both.cos);
        disagreements += bitsOf(both.sin) != bitsOf(sin(x)) || bitsOf(both.cos) != bitsOf(cos(x));
        disagreements +=
            bitsOf(sin(-x)) != bitsOf(-both.sin) || bitsOf(cos(-x)) != bitsOf(both.cos);
    };
    const auto addArcs = [&](double x) {
        const double arcsine = asin(x);
        hash.add(arcsine);
        hash.add(acos(x));
        disagreements += bitsOf(asin(-x)) != bitsOf(-arcsine);
    };
    for (int i = 0; i < HASHED_PER_RANGE; ++i) {
        const auto heading = static_cast<float>(360.0 * numbers.unit());
        addSinCos(heading * PI_APPROX * ONE_180TH);
        const auto component = static_cast<float>(2.0 * numbers.unit() - 1.0);
        addArcs(TILT_FACTOR * component);
        addArcs(numbers.unit());
        const auto fieldOfView = static_cast<float>(180.0 * numbers.unit());
        addSinCos(double(fieldOfView) / 2 * 3.14159265358979323846 / 180);
        addSinCos(numbers.spread(-1022, 1023));
        addArcs(numbers.spread(-1022, -1));
    }
    EXPECT_EQ(disagreements, 0);
    EXPECT_EQ(hash.value(), 12159884965601822067ull);
}

// The double-double evaluation answers almost every call and the 256-bit one the rest; each
// must round as the other where both answer. Arguments of every size and in every range.
TEST(Maths, TheFastAndTheWideEvaluationsAgree) {
    Numbers numbers;
    int disagreements = 0;
    for (int i = 0; i < 1500; ++i) {
        const double angle = i % 2 == 0 ? 7.0 * numbers.unit() : numbers.spread(-27, 1023);
        const double ratio = i % 2 == 0 ? 2.0 * numbers.unit() - 1.0 : numbers.spread(-26, -1);
        disagreements += bitsOf(sin(angle)) != bitsOf(detail::accurateSin(angle));
        disagreements += bitsOf(cos(angle)) != bitsOf(detail::accurateCos(angle));
        disagreements += bitsOf(asin(ratio)) != bitsOf(detail::accurateAsin(ratio));
        disagreements += bitsOf(acos(ratio)) != bitsOf(detail::accurateAcos(ratio));
    }
    EXPECT_EQ(disagreements, 0);
}

}  // namespace
}  // namespace zelmor::maths
