#!/usr/bin/env bash
# Runs the real program on the bundled scene under its own Xvfb, moves the pointer over its
# window MOVES times (default 1000), PAUSE seconds apart (default 0.0016: with xdotool's own time
# per move about 500 moves a second), presses Escape right after the last move and prints the
# rate of the moves and the time from the Escape to the program's exit.
#
# Environment: ZELMOR (the program, default build/zelmor), MOVES, PAUSE.
set -euo pipefail
cd "$(dirname "$0")/../.."
program=$(realpath -m "${ZELMOR:-build/zelmor}")
moves=${MOVES:-1000}
pause=${PAUSE:-0.0016}
[[ -x "$program" ]] || { echo "escape_latency: no program at $program" >&2; exit 2; }

name=escape_latency
source scripts/headless.sh

(cd "$work/data" && exec "$program" 2>"$work/stderr.txt") &
pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^zelmor$' | head -n 1)
xdotool windowfocus --sync "$window"
eval "$(xdotool getwindowgeometry --shell "$window")"
sleep 1  # the scene is loaded and frames are being drawn

# One xdotool command for the whole burst: starting a process per move would set the pace.
chain=()
for ((i = 0; i < moves; i++)); do
    chain+=(mousemove $((X + 100 + i % 400)) $((Y + 100 + (i * 7) % 250)) sleep "$pause")
done
burst_start=$(date +%s%N)
xdotool "${chain[@]}" key Escape
escape=$(date +%s%N)
code=0
wait "$pid" || code=$?
end=$(date +%s%N)
pid=""
awk -v b="$burst_start" -v e="$escape" -v x="$end" -v n="$moves" -v c="$code" 'BEGIN {
    printf "escape_latency: %d moves in %.2f s (%.0f a second), exit %.3f s after Escape" \
           " (exit code %d)\n", n, (e - b) / 1e9, n * 1e9 / (e - b), (x - e) / 1e9, c
}'
