#!/usr/bin/env python3
"""Writes geometry/MathsTables.cpp: the constants of zelmor's sin, cos, asin and acos.

Every value is worked out with mpmath at 2,000 bits and rounded once, so the file is the same
wherever it is made. Needs python3-mpmath (Debian). Run from the repository root:
    python3 scripts/measure/maths_tables.py > geometry/MathsTables.cpp
"""
import mpmath
from mpmath import mp, mpf

mp.prec = 2000

NODES = 203  # sine and cosine at i / 256 for i = 0 .. 202: past pi / 4 with room to spare
TWO_OVER_PI_LIMBS = 48  # 1,536 bits: enough for the reduction of the largest double
FRACTION_LIMBS = 8  # WideFixed's fraction: 256 bits


def double_of(v):
    return float(mpmath.mpf(v))  # round to nearest at 53 bits


def hex_of(d):
    return d.hex() if d != 0 else "0.0"


def split(v):
    hi = mpmath.mpf(double_of(v))
    lo = double_of(v - hi)
    return float(hi), lo


def rounded_to_bits(v, bits):
    e = int(mpmath.floor(mpmath.log(abs(v), 2)))
    scale = mpf(2) ** (bits - 1 - e)
    return mpmath.nint(v * scale) / scale


def limbs(fraction, count):
    out = []
    for _ in range(count):
        fraction *= 2**32
        digit = int(mpmath.floor(fraction))
        out.append(digit)
        fraction -= digit
    return out


def main():
    pi = mp.pi
    half_pi = pi / 2
    p1 = rounded_to_bits(half_pi, 33)
    p2 = rounded_to_bits(half_pi - p1, 33)
    p3 = rounded_to_bits(half_pi - p1 - p2, 33)
    p4 = double_of(half_pi - p1 - p2 - p3)
    print("// Made by scripts/measure/maths_tables.py (mpmath, 2,000 bits); do not edit by hand.")
    print('#include "geometry/Maths_detail.h"')
    print()
    print("namespace zelmor::maths::detail {")
    print()
    print("// clang-format off")
    print("const double HALF_PI_PARTS[4] = {")
    for p in (p1, p2, p3):
        print(f"    {hex_of(double_of(p))},")
    print(f"    {hex_of(p4)},")
    print("};")
    print()
    print("const double NODE_SINE_COSINE[NODE_COUNT][4] = {")
    for i in range(NODES):
        x = mpf(i) / 256
        sh, sl = split(mpmath.sin(x))
        ch, cl = split(mpmath.cos(x))
        print(f"    {{{hex_of(sh)}, {hex_of(sl)}, {hex_of(ch)}, {hex_of(cl)}}},")
    print("};")
    print()
    print("const double NODE_HEADS[NODE_COUNT][2] = {")
    heads = []
    for i in range(NODES):
        x = mpf(i) / 256
        heads.append(tuple(double_of(rounded_to_bits(mpf(double_of(f(x))), 26)) if i or f is mpmath.cos else 0.0
                           for f in (mpmath.sin, mpmath.cos)))
    for i in range(0, NODES, 2):
        print("    " + " ".join(f"{{{hex_of(a)}, {hex_of(b)}}}," for a, b in heads[i : i + 2]))
    print("};")
    print()
    digits = limbs(2 / pi, TWO_OVER_PI_LIMBS)
    print("const uint32_t TWO_OVER_PI_BITS[TWO_OVER_PI_LIMBS] = {")
    for i in range(0, len(digits), 6):
        print("    " + ", ".join(f"0x{d:08x}" for d in digits[i : i + 6]) + ",")
    print("};")
    half_pi_limbs = [int(mpmath.floor(half_pi))] + limbs(half_pi - 1, FRACTION_LIMBS)
    print()
    print("const uint32_t HALF_PI_FIXED[WideFixed::LIMBS] = {")
    for i in range(0, len(half_pi_limbs), 6):
        print("    " + ", ".join(f"0x{d:08x}" for d in half_pi_limbs[i : i + 6]) + ",")
    print("};")
    print("// clang-format on")
    print()
    print("}  // namespace zelmor::maths::detail")


main()
