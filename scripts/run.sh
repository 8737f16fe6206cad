#!/usr/bin/env bash
# Builds zelmor and zelmor-check and runs zelmor on the bundled scene in data/. With a display
# it opens the window; without one it plays the scripted tour under its own Xvfb and saves
# screenshots and the session's recording into out/tour/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
# The program and its scene checker (seconds more); the tests and benchmarks are built by
# scripts/test.sh.
cmake --preset default >/dev/null
cmake --build build -j"$(nproc)" --target zelmor zelmor-check

if [[ -n "${DISPLAY:-}" ]]; then
    cd data && exec "$root/build/zelmor"
fi

display=":$((90 + RANDOM % 400))"
while [[ -e "/tmp/.X11-unix/X${display#:}" ]]; do display=":$((${display#:} + 1))"; done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break; sleep 0.05; done

shots="$root/out/tour"
rm -rf "$shots" && mkdir -p "$shots"
(cd data && DISPLAY=$display exec "$root/build/zelmor") &
program=$!
DISPLAY=$display scripts/tour.sh "$shots"
status=0
wait "$program" || status=$?
echo "zelmor exited with code $status"
echo "Screenshots of the tour: $shots"
# The session's recording, the newest in data/replays/, for scripts/replays.sh.
recording=$(ls -t data/replays/*.replay 2>/dev/null | head -n 1 || true)
if [[ -n "$recording" ]]; then
    cp "$recording" "$shots/tour.replay"
    echo "Its recording: $shots/tour.replay"
fi
echo "Last frame-rate line: $(tail -n 1 data/zelmorGL.log 2>/dev/null || echo none)"
exit "$status"
