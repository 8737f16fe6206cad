#!/usr/bin/env bash
# Builds zelmor for the web with Debian's emscripten into build-web/ and leaves the page in
# out/zelmor-web/ (zelmor.html with its .js, .wasm and .data), ready for any static web server,
# and zelmor-replay for Node, build-web/zelmor-replay.js. Installs emscripten (and chromium for
# the checks) when missing. With --check it then runs the web checks: the simulation's pinned
# hashes under Node, the recorded sessions (tests/replays/*.replay and the tour's
# out/tour/tour.replay) verified under Node to the native tool's final step and hash, and the page
# in headless Chromium, which also plays a recorded session and records one of its own, which
# must then verify natively and under Node alike.
set -euo pipefail
cd "$(dirname "$0")/.."
check=false
[[ "${1:-}" == "--check" ]] && check=true

packages=(emscripten nodejs)
$check && packages+=(chromium)
missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    if [[ $(id -u) -ne 0 ]]; then
        echo "These Debian packages are missing; run as root or install them: ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Debian's emscripten finds its JavaScript parser among Debian's Node modules.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
targets=(zelmor zelmor-replay)
$check && targets+=(zelmor_sim_tests)
cmake --preset web >/dev/null
cmake --build build-web -j"$(nproc)" --target "${targets[@]}"

rm -rf out/zelmor-web
mkdir -p out/zelmor-web
cp build-web/zelmor.html build-web/zelmor.js build-web/zelmor.wasm build-web/zelmor.data \
    out/zelmor-web/
echo "The page is in out/zelmor-web/ (serve it, e.g. cd out/zelmor-web && python3 -m http.server)."

if $check; then
    echo "== the simulation's pinned hashes under Node"
    # Node's fetch cannot read a .wasm file path; the generated loader then reads the file.
    node --no-experimental-fetch build-web/zelmor_sim_tests.js --gtest_brief=1

    echo "== recorded sessions under Node: the native tool's final step and hash"
    # The native tool gives the lines to match (seconds to build when build/ is there).
    scripts/install-deps.sh
    cmake --preset default >/dev/null
    cmake --build build -j"$(nproc)" --target zelmor-replay
    native=build-web/replays-native.txt
    scripts/replays.sh --save "$native" -- build/tools/zelmor-replay
    scripts/replays.sh --expect "$native" -- node build-web/zelmor-replay.js

    echo "== the page in headless Chromium"
    # It plays the tour's recording, or else a golden replay, and keeps its own.
    played=""
    for replay in out/tour/tour.replay tests/replays/*.replay; do
        [[ -f "$replay" ]] && { played=$replay; break; }
    done
    page=build-web/page.replay
    rm -f "$page"
    node tests/platform/web/browser_test.mjs out/zelmor-web "$played" "$page"
    echo "== the page's recording natively and under Node"
    scripts/replays.sh --save "$native" "$page" -- build/tools/zelmor-replay
    scripts/replays.sh --expect "$native" "$page" -- node build-web/zelmor-replay.js
fi
