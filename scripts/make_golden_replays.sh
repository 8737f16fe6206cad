#!/usr/bin/env bash
# Records the golden replays under tests/replays/: the real program on the small scene of
# tests/replays/scene, driven with xdotool under its own Xvfb, one session per scenario, each
# ended with Escape. Run it again (and commit the files) when the simulation's arithmetic changes
# on purpose; the suites verify these files on every platform. Needs the native build (build/).
# Screen points are those of the scene's first view in a 640x480 window at the screen's corner;
# the comments give the ground points (x, z) they show.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
program=$root/build/zelmor
verifier=$root/build/tools/zelmor-replay
out=$root/tests/replays
[[ -x "$program" && -x "$verifier" ]] || { echo "make_golden_replays: build first" >&2; exit 1; }

work=$(mktemp -d)
xvfb=""
wm=""
cleanup() {
    [[ -n "$wm" ]] && kill "$wm" 2>/dev/null || true
    [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 10 -u "$displayfd" number || { echo "make_golden_replays: no Xvfb" >&2; exit 1; }
exec {displayfd}>&-
export DISPLAY=:$number

window=""
at() { xdotool mousemove --window "$window" "$1" "$2"; }  # a point of the client area
drag() {  # x1 y1 x2 y2: a rubber band with the left button
    at "$1" "$2"
    xdotool mousedown 1 sleep 0.1
    at $((($1 + $3) / 2)) $((($2 + $4) / 2))
    sleep 0.1
    at "$3" "$4"
    xdotool sleep 0.1 mouseup 1
}
click() { at "$1" "$2"; xdotool click "$3"; }  # x y button
rest() { at 320 240; sleep "$1"; }

orders() {
    drag 413 240 270 194                  # the three tanks: (-7, -2) to (-1, -4)
    rest 0.3
    click 424 157 3                       # all to (-4, 3): they meet and halt
    rest 1.5
    click 436 194 1                       # the scout at (-6, 1) alone
    click 303 194 3                       # follows the tank at (-2, -3)
    rest 2
}

queue_and_halt() {
    click 376 240 1                       # the tank at (-6, -3)
    xdotool keydown shift
    click 384 300 3                       # (-8, -5)
    click 485 283 3                       # (-10, -2)
    click 389 337 3                       # (-9, -6)
    xdotool keyup shift
    rest 2.5
    xdotool key s
    rest 1
}

scrolling() {
    for key in Up Down Left Right; do
        xdotool keydown "$key" sleep 0.3 keyup "$key"
    done
    xdotool key Home Home End Prior Next KP_7 KP_1
    rest 0.2
    for point in "5 240" "635 240" "320 5" "320 475" "2 2"; do
        # shellcheck disable=SC2086
        at $point
        sleep 0.3
    done
    rest 0.3
}

# Under a window manager, which frames, places and minimises the window.
resize_and_minimise() {
    xdotool windowsize "$window" 800 500
    rest 0.5
    xdotool windowminimize "$window"
    sleep 1
    xdotool windowmap "$window" windowactivate "$window"
    sleep 0.5
    rest 0.5
    xdotool windowsize "$window" 500 400
    rest 0.5
    drag 300 220 200 160
    rest 0.5
}

start_window_manager() {
    openbox >/dev/null 2>&1 &
    wm=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return
        sleep 0.1
    done
    echo "make_golden_replays: openbox did not start" >&2
    exit 1
}

record() {  # name scenario
    local name=$1 scenario=$2
    rm -rf "$work/scene"
    cp -r tests/replays/scene "$work/scene"
    (cd "$work/scene" && exec "$program") &
    local pid=$!
    window=$(xdotool search --sync --onlyvisible --name '^zelmor$' | head -n 1)
    xdotool windowactivate "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    rest 0.5
    "$scenario"
    xdotool key Escape
    wait "$pid"
    cp "$work/scene"/replays/*.replay "$out/$name.replay"
    echo "$name: $("$verifier" verify "$out/$name.replay" | tail -n 1)"
}

record orders orders
record queue-and-halt queue_and_halt
record scrolling scrolling
start_window_manager
record resize-and-minimise resize_and_minimise
