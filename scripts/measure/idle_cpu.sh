#!/usr/bin/env bash
# Runs the real program on the bundled scene under its own Xvfb with a window manager (openbox,
# so the window can be minimised), leaves it alone and prints the processor time it used, as a
# share of one core, first while its window is shown and then while it is minimised, with the
# frame rates it logged meanwhile and the machine's load.
#
# Environment: ZELMOR (the program, default build/zelmor), SECONDS_EACH (default 10).
set -euo pipefail
cd "$(dirname "$0")/../.."
program=$(realpath -m "${ZELMOR:-build/zelmor}")
span=${SECONDS_EACH:-10}
[[ -x "$program" ]] || { echo "idle_cpu: no program at $program" >&2; exit 2; }

name=idle_cpu
source scripts/headless.sh
wm=""
trap '[[ -n "$wm" ]] && kill "$wm" 2>/dev/null; cleanup' EXIT

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for ((i = 0; i < 100; i++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

(cd "$work/data" && exec "$program" 2>"$work/stderr.txt") &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^zelmor$' | head -n 1)
sleep 2  # the scene is loaded and frames are being drawn

ticks=$(getconf CLK_TCK)
# User and system time of the program so far, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
# Share of one core used over the next $span seconds, in per cent.
measure() {
    local before after start end
    before=$(cpu_ticks)
    start=$(date +%s%N)
    sleep "$span"
    after=$(cpu_ticks)
    end=$(date +%s%N)
    awk -v t=$((after - before)) -v hz="$ticks" -v ns=$((end - start)) \
        'BEGIN { printf "%.1f", 100 * t / hz / (ns / 1e9) }'
}
# The frame-rate lines written since line $1 of the log, joined.
fps_since() { tail -n +"$(($1 + 1))" "$work/data/zelmorGL.log" | awk '{ printf "%s ", $1 }'; }

lines=$(wc -l <"$work/data/zelmorGL.log")
shown=$(measure)
shown_fps=$(fps_since "$lines")

xdotool windowminimize --sync "$window"
sleep 1
lines=$(wc -l <"$work/data/zelmorGL.log")
minimised=$(measure)
minimised_fps=$(fps_since "$lines")

kill -TERM "$pid"
code=0
wait "$pid" || code=$?
pid=""
echo "idle_cpu: shown ${shown}% of a core (fps: ${shown_fps:-none}), minimised ${minimised}% (fps: ${minimised_fps:-none}); exit code $code; load:$(uptime | sed 's/.*load average://')"
