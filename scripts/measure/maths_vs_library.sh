#!/usr/bin/env bash
# Builds scripts/measure/maths_vs_library.cpp with zelmor's maths sources and MPFR, in the
# project's floating-point mode, and runs it: zelmor::maths against the C library with MPFR
# as the referee. Installs libmpfr-dev when missing (as root). Not part of the tests; the
# optional argument is the count of arguments per range (default 10^8: several minutes).
set -euo pipefail
cd "$(dirname "$0")/../.."
if ! dpkg-query -W -f='${Status}' libmpfr-dev 2>/dev/null | grep -q "install ok installed"; then
    if [[ $(id -u) -ne 0 ]]; then
        echo "libmpfr-dev is missing; run as root or install it" >&2
        exit 1
    fi
    apt-get install -y -qq libmpfr-dev >/dev/null
fi
out=${BUILD_DIR:-build-measure}
mkdir -p "$out"
g++ -std=c++20 -O2 -ffp-contract=off -fno-fast-math -fno-math-errno -Wall -Wextra -Wpedantic \
    -I. scripts/measure/maths_vs_library.cpp geometry/Maths*.cpp geometry/WideFixed.cpp \
    -lmpfr -lgmp -o "$out/maths_vs_library"
echo "C library: $(ldd --version | head -n 1)"
"$out/maths_vs_library" "$@"
