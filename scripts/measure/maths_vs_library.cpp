// Compares zelmor::maths with the C library over the arguments the program gives them, and
// with MPFR as the referee: for each function and range, how many results differ from the
// library's, which of the two is the correctly rounded one, and (on every AUDIT_EVERY-th
// argument) whether ours is correctly rounded even where both agree. Not part of the tests:
// maths_vs_library.sh builds and runs it. Arguments: the count per range (default 10^8).
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "geometry/Maths.h"

namespace {

using Reference = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

constexpr uint64_t AUDIT_EVERY = 16;
constexpr double PI_APPROX = 3.14159f;
constexpr double ONE_180TH = 0.005555555555555556;
constexpr double TILT_FACTOR = 0.2f;

uint64_t bitsOf(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

bool same(double a, double b) {
    return bitsOf(a) == bitsOf(b) || (std::isnan(a) && std::isnan(b));
}

double correctlyRounded(Reference f, double x) {
    mpfr_t in;
    mpfr_t out;
    mpfr_init2(in, 53);
    mpfr_init2(out, 53);
    mpfr_set_d(in, x, MPFR_RNDN);
    const int ternary = f(out, in, MPFR_RNDN);
    mpfr_subnormalize(out, ternary, MPFR_RNDN);
    const double r = mpfr_get_d(out, MPFR_RNDN);
    mpfr_clear(in);
    mpfr_clear(out);
    return r;
}

struct Numbers {
    uint64_t state = 1;
    uint64_t next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    double unit() { return static_cast<double>(next() >> 11) * 0x1p-53; }
};

struct Tally {
    uint64_t count = 0;
    uint64_t differ = 0;
    uint64_t oursRight = 0;
    uint64_t libraryRight = 0;
    uint64_t neitherRight = 0;
    uint64_t audited = 0;
    uint64_t oursWrongAudited = 0;
    uint64_t libraryWrongAudited = 0;
};

void compare(Tally& tally, Reference reference, double x, double ours, double library) {
    ++tally.count;
    const bool audit = tally.count % AUDIT_EVERY == 0;
    if (same(ours, library) && !audit) {
        return;
    }
    const double exact = correctlyRounded(reference, x);
    if (!same(ours, library)) {
        ++tally.differ;
        tally.oursRight += same(ours, exact);
        tally.libraryRight += same(library, exact);
        tally.neitherRight += !same(ours, exact) && !same(library, exact);
    }
    if (audit) {
        ++tally.audited;
        tally.oursWrongAudited += !same(ours, exact);
        tally.libraryWrongAudited += !same(library, exact);
    }
}

void report(const char* function, const char* range, const Tally& t) {
    std::printf("%-4s %-28s %11llu %9llu %9llu %9llu %7llu %10llu %9llu %9llu\n", function, range,
                static_cast<unsigned long long>(t.count), static_cast<unsigned long long>(t.differ),
                static_cast<unsigned long long>(t.oursRight),
                static_cast<unsigned long long>(t.libraryRight),
                static_cast<unsigned long long>(t.neitherRight),
                static_cast<unsigned long long>(t.audited),
                static_cast<unsigned long long>(t.oursWrongAudited),
                static_cast<unsigned long long>(t.libraryWrongAudited));
    std::fflush(stdout);
}

// The volatile keeps the compiler from folding a library call on a known argument (it would
// use MPFR itself).
double opaque(double x) {
    volatile double v = x;
    return v;
}

void sineAndCosine(const char* range, uint64_t count, double (*argument)(Numbers&)) {
    Numbers numbers;
    Tally sine;
    Tally cosine;
    for (uint64_t i = 0; i < count; ++i) {
        const double x = opaque(argument(numbers));
        compare(sine, mpfr_sin, x, zelmor::maths::sin(x), std::sin(x));
        compare(cosine, mpfr_cos, x, zelmor::maths::cos(x), std::cos(x));
    }
    report("sin", range, sine);
    report("cos", range, cosine);
}

void arc(const char* function, const char* range, uint64_t count, Reference reference,
         double (*ours)(double), double (*library)(double), double (*argument)(Numbers&)) {
    Numbers numbers;
    Tally tally;
    for (uint64_t i = 0; i < count; ++i) {
        const double x = opaque(argument(numbers));
        compare(tally, reference, x, ours(x), library(x));
    }
    report(function, range, tally);
}

double heading(Numbers& n) {
    return static_cast<float>(360.0 * n.unit()) * PI_APPROX * ONE_180TH;
}

double halfFieldOfView(Numbers& n) {
    return double(static_cast<float>(180.0 * n.unit())) / 2 * 3.14159265358979323846 / 180;
}

double anySize(Numbers& n) {
    const int e = -1074 + static_cast<int>(n.next() % 2098);
    const double v = std::ldexp(1.0 + n.unit(), e);
    return (n.next() & 1) != 0 ? -v : v;
}

double lean(Numbers& n) {
    return TILT_FACTOR * static_cast<float>(2.0 * n.unit() - 1.0);
}

double ratio(Numbers& n) {
    return n.unit();
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000000ull;
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    std::printf("%-4s %-28s %11s %9s %9s %9s %7s %10s %9s %9s\n", "fn", "range", "arguments",
                "differ", "ours ok", "libc ok", "neither", "audited", "ours bad", "libc bad");
    sineAndCosine("heading radians [0, 2pi]", count, heading);
    sineAndCosine("half field of view (0, pi/2)", count, halfFieldOfView);
    sineAndCosine("+-2^[-1074, 1023] any size", count, anySize);
    arc(
        "asin", "lean 0.2 * [-1, 1]", count, mpfr_asin, zelmor::maths::asin,
        [](double x) { return std::asin(x); }, lean);
    arc(
        "acos", "ratio [0, 1]", count, mpfr_acos, zelmor::maths::acos,
        [](double x) { return std::acos(x); }, ratio);
    return 0;
}
