#!/usr/bin/env bash
# Builds zelmor and runs every test: logic, GL on a Mesa context, the real program under its own
# Xvfb, the web build (its simulation and the recorded sessions under Node, the page in headless
# Chromium) and the Windows build, proven under wine (scripts/windows.sh), both verifying the
# tour's recording (out/tour/tour.replay, kept by the end-to-end suite) to the native bits, and
# the Debian package, installed and played (scripts/package.sh). Installs the Debian packages it
# needs when they are missing. Then the hardening runs: a 60 s soak of the real program under
# random input, the unit and GL suites built with AddressSanitizer and UndefinedBehaviorSanitizer
# (leaks included), the real program under LeakSanitizer, and 60 s of fuzzing for each file
# reader.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
step() { echo "== $* ($(date +%H:%M:%S))"; }
step "building into build/"
scripts/build.sh build
step "ctest: unit, GL and end-to-end suites"
ctest --test-dir build --output-on-failure -j2
# The tour's end-to-end test keeps its recording for the web and Windows stages to verify.
[[ -f out/tour/tour.replay ]] ||
    { echo "test: the tour's end-to-end test left no out/tour/tour.replay" >&2; exit 1; }

step "web: the simulation's pinned hashes and the replays under Node, the page in headless Chromium"
scripts/web.sh --check

step "windows: cross-build, unit and GL suites, the replays and the program under wine, out/zelmor-win64.zip"
scripts/windows.sh

step "package: the Debian package, lintian, installed and played under Xvfb, its bad cases, removed"
scripts/package.sh --check

step "soak: 60 s of random input to the program"
scripts/soak.sh 60

# The sanitizer build stops at the first finding (-fno-sanitize-recover). GCC's UBSan leaves
# float-to-integer overflow out of "undefined", so it is asked for by name; its uninitialised
# warnings are unreliable under ASan and only add noise here.
cmake --preset asan >/dev/null
step "building the sanitizer suites into build-asan/"
cmake --build build-asan -j2 --target zelmor zelmor_tests zelmor_gl_tests
(
    export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    step "unit suite under AddressSanitizer and UndefinedBehaviorSanitizer"
    ctest --test-dir build-asan -L unit --output-on-failure -j2
    # Mesa unloads its EGL driver when the last GL window goes, before LeakSanitizer looks at
    # the end, and the memory the driver's globals still hold would then show as leaked from an
    # unknown module. Preloaded, the driver stays mapped and that memory stays reachable.
    libasan=$(ldd build-asan/tests/zelmor_gl_tests | awk '/libasan/ { print $3 }')
    dri=$(ls /usr/lib/*/dri/swrast_dri.so | head -n 1)
    step "GL suite under the sanitizers"
    LD_PRELOAD="$libasan libEGL_mesa.so.0 $dri" \
        ctest --test-dir build-asan -L gl --output-on-failure -j2
    # The real program under LeakSanitizer, driven for a while and ended with Escape.
    step "the program under LeakSanitizer: 20 s of random input"
    ZELMOR=build-asan/zelmor SOAK_RSS_BOUND_KB=none scripts/soak.sh 20
)

step "fuzzing: 60 s for each of the 4 readers and the replay file"
scripts/fuzz.sh 60

# Every step above stops the script on its first failure, so reaching here means all passed.
count() { ctest --test-dir "$1" -N "${@:2}" | awk '/Total Tests:/ { print $3 }'; }
checks=$(($(count build) + $(count build-asan -L unit) + $(count build-asan -L gl) + 3 + 1 + 1 + 2 + 5))
echo "tests, 3 web checks, the Windows and package stages, sanitizer suites, 2 soaks and 5 fuzz"\
    "targets:"
echo "all: $checks passed, 0 failed"
