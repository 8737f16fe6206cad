// zelmor::maths against the C library over the arguments the program gives them: headings
// turned into radians (sine and cosine per turning unit), leans (arcsine), heading ratios
// (arccosine) and the half field of view of the projection. Each run calls the function on
// 4,096 arguments in turn; the counter per_call is the time of one call.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "geometry/Maths.h"

namespace zelmor::bench {

namespace {

enum class Range { Heading, Lean, Ratio, HalfFieldOfView };

constexpr int ARGUMENTS = 4096;
constexpr double PI_APPROX = 3.14159f;
constexpr double ONE_180TH = 0.005555555555555556;
constexpr double TILT_FACTOR = 0.2f;

std::vector<double> makeArguments(Range range) {
    std::mt19937_64 random(17);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> xs;
    for (int i = 0; i < ARGUMENTS; ++i) {
        const double u = unit(random);
        switch (range) {
            case Range::Heading:
                xs.push_back(static_cast<float>(360.0 * u) * PI_APPROX * ONE_180TH);
                break;
            case Range::Lean:
                xs.push_back(TILT_FACTOR * static_cast<float>(2.0 * u - 1.0));
                break;
            case Range::Ratio:
                xs.push_back(u);
                break;
            case Range::HalfFieldOfView:
                xs.push_back(double(static_cast<float>(180.0 * u)) / 2 * 3.14159265358979323846 /
                             180);
                break;
        }
    }
    return xs;
}

template <class Function>
void callEach(benchmark::State& state, Range range, Function function) {
    const std::vector<double> xs = makeArguments(range);
    for (auto _ : state) {
        double sum = 0.0;
        for (const double x : xs) {
            sum += function(x);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["per_call"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * ARGUMENTS,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

double librarySinCos(double x) {
    return std::sin(x) + std::cos(x);
}

double oursSinCos(double x) {
    const maths::SinCos both = maths::sincos(x);
    return both.sin + both.cos;
}

}  // namespace

BENCHMARK_CAPTURE(callEach, SinHeadingLibrary, Range::Heading,
                  [](double x) { return std::sin(x); });
BENCHMARK_CAPTURE(callEach, SinHeadingOurs, Range::Heading, [](double x) { return maths::sin(x); });
BENCHMARK_CAPTURE(callEach, CosHeadingLibrary, Range::Heading,
                  [](double x) { return std::cos(x); });
BENCHMARK_CAPTURE(callEach, CosHeadingOurs, Range::Heading, [](double x) { return maths::cos(x); });
BENCHMARK_CAPTURE(callEach, SinCosHeadingLibrary, Range::Heading, librarySinCos);
BENCHMARK_CAPTURE(callEach, SinCosHeadingOurs, Range::Heading, oursSinCos);
BENCHMARK_CAPTURE(callEach, AsinLeanLibrary, Range::Lean, [](double x) { return std::asin(x); });
BENCHMARK_CAPTURE(callEach, AsinLeanOurs, Range::Lean, [](double x) { return maths::asin(x); });
BENCHMARK_CAPTURE(callEach, AcosRatioLibrary, Range::Ratio, [](double x) { return std::acos(x); });
BENCHMARK_CAPTURE(callEach, AcosRatioOurs, Range::Ratio, [](double x) { return maths::acos(x); });
BENCHMARK_CAPTURE(callEach, SinHalfFieldOfViewLibrary, Range::HalfFieldOfView,
                  [](double x) { return std::sin(x); });
BENCHMARK_CAPTURE(callEach, SinHalfFieldOfViewOurs, Range::HalfFieldOfView,
                  [](double x) { return maths::sin(x); });
BENCHMARK_CAPTURE(callEach, CosHalfFieldOfViewLibrary, Range::HalfFieldOfView,
                  [](double x) { return std::cos(x); });
BENCHMARK_CAPTURE(callEach, CosHalfFieldOfViewOurs, Range::HalfFieldOfView,
                  [](double x) { return maths::cos(x); });

}  // namespace zelmor::bench
