#pragma once

namespace zelmor::maths {

// Sine, cosine, arcsine and arccosine of our own, so that every platform's simulation gets the
// same bits: the C libraries of Linux, Windows and the browser differ in the last bit for a few
// arguments in a thousand. Each result is the exact value rounded to the nearest double, for
// every finite argument (a double-double evaluation decides almost every call; a 256-bit one
// decides the rest). NaN, infinities and arcsine or arccosine arguments outside [-1, 1] give
// NaN, always with the bits of std::numeric_limits<double>::quiet_NaN(). Zeros keep their sign
// where the function is odd: sin(-0) = asin(-0) = -0.

// Radians in, any finite size: arguments of 1e300 are reduced exactly.
double sin(double x);
double cos(double x);

struct SinCos {
    double sin = 0.0;
    double cos = 1.0;
};
// Both of x at once, the same bits as sin(x) and cos(x), with one argument reduction.
SinCos sincos(double x);

// Radians out: asin in [-pi/2, pi/2], acos in [0, pi].
double asin(double x);
double acos(double x);

}  // namespace zelmor::maths
