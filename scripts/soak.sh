#!/usr/bin/env bash
# Soak test: runs the real program on the bundled scene (a temporary copy of data/) under its own
# Xvfb for the given number of seconds (default 60) and drives it with random input: clicks,
# drags, SHIFT clicks, right-button orders, and the keys s, S, the camera keys and their keypad
# twins. Fails when the program dies, stops writing frame-rate lines, does not end cleanly on
# Escape, or when its resident memory keeps growing after the warm-up.
#
# Environment: ZELMOR (the program, default build/zelmor), SOAK_SEED (the random seed),
# SOAK_RSS_BOUND_KB (allowed growth after warm-up, default 4096; "none" skips the check, as for
# a sanitizer build whose allocator keeps freed memory in quarantine), SOAK_LOG (keep the
# program's standard error here), SOAK_PRELOAD (LD_PRELOAD for the program alone), SOAK_SAMPLES
# (write "seconds VmRSS-kB" lines here).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
program=$(realpath -m "${ZELMOR:-build/zelmor}")
seed=${SOAK_SEED:-$((RANDOM * 32768 + RANDOM))}
bound=${SOAK_RSS_BOUND_KB:-4096}
sample_every=3              # seconds between memory samples
warmup=$((seconds / 4))     # memory before this is not judged
[[ $warmup -gt 60 ]] && warmup=60
[[ -x "$program" ]] || { echo "soak: no program at $program (build it first)" >&2; exit 2; }

name=soak
source scripts/headless.sh

(cd "$work/data" && LD_PRELOAD="${SOAK_PRELOAD:-}" exec "$program" 2>"$work/stderr.txt") &
pid=$!

fail() {
    echo "soak: FAILED: $*" >&2
    tail -n 20 "$work/stderr.txt" >&2 || true
    [[ -n "${SOAK_LOG:-}" ]] && cp "$work/stderr.txt" "$SOAK_LOG"
    exit 1
}
alive() { kill -0 "$pid" 2>/dev/null; }
fps_lines() { wc -l <"$work/data/zelmorGL.log" 2>/dev/null || echo 0; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0; }

# The window has its name before it is mapped, and focus can go only to a mapped window.
window=""
for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --name '^zelmor$' 2>/dev/null | head -n 1 || true)
    [[ -n "$window" ]] && break
    alive || fail "the program ended before its window appeared"
    sleep 0.1
done
[[ -n "$window" ]] || fail "no window after 20 s"
xdotool windowfocus --sync "$window"
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$X top=$Y

RANDOM=$seed
echo "soak: $seconds s on display $DISPLAY, seed $seed, warm-up $warmup s"

# A point inside the window, away from its outermost pixel.
point() { echo "$((left + 2 + RANDOM % 636)) $((top + 2 + RANDOM % 476))"; }
keys=(s S Home End Prior Next Left Right Up Down KP_Home KP_Up KP_Prior KP_Left KP_Right
      KP_End KP_Down KP_Next)
act() {
    local a b
    case $((RANDOM % 9)) in
        0) xdotool mousemove $(point) click 1 ;;
        1) xdotool mousemove $(point) mousedown 1 sleep 0.05 mousemove $(point) sleep 0.05 \
               mousemove $(point) mouseup 1 ;;
        2) xdotool keydown Shift_L mousemove $(point) click 1 keyup Shift_L ;;
        3) xdotool mousemove $(point) click 3 ;;
        4) xdotool keydown Shift_L mousemove $(point) click 3 mousemove $(point) click 3 \
               keyup Shift_L ;;
        5) xdotool key "${keys[RANDOM % ${#keys[@]}]}" ;;
        6) a=${keys[2 + RANDOM % (${#keys[@]} - 2)]}
           xdotool keydown "$a" sleep 0.$((1 + RANDOM % 4)) keyup "$a" ;;
        7) xdotool keydown Shift_L key "${keys[RANDOM % ${#keys[@]}]}" keyup Shift_L ;;
        8) b=$(point); xdotool mousemove $b sleep 0.$((RANDOM % 3)) ;;
    esac
}

start=$(date +%s)
next_sample=$start
last_fps=0
last_fps_time=$start
samples=()
actions=0
while :; do
    now=$(date +%s)
    elapsed=$((now - start))
    [[ $elapsed -ge $seconds ]] && break
    alive || fail "the program died after $elapsed s"
    if [[ $now -ge $next_sample ]]; then
        next_sample=$((now + sample_every))
        lines=$(fps_lines)
        if [[ $lines -gt $last_fps ]]; then
            last_fps=$lines
            last_fps_time=$now
        elif [[ $((now - last_fps_time)) -gt 10 ]]; then
            fail "no frame-rate line for $((now - last_fps_time)) s"
        fi
        rss=$(rss_kb)
        [[ -n "${SOAK_SAMPLES:-}" ]] && echo "$elapsed $rss" >>"$SOAK_SAMPLES"
        [[ $elapsed -ge $warmup ]] && samples+=("$rss")
    fi
    act >/dev/null 2>&1 || alive || fail "the program died after $elapsed s"
    actions=$((actions + 1))
done

# Ends the program the way a user does.
xdotool keyup Shift_L mouseup 1 mouseup 3 >/dev/null 2>&1 || true
xdotool windowfocus --sync "$window" key Escape >/dev/null 2>&1 || true
code=""
for _ in $(seq 300); do
    alive || break
    sleep 0.1
done
alive && fail "still running 30 s after Escape"
wait "$pid" && code=0 || code=$?
pid=""
[[ -n "${SOAK_LOG:-}" ]] && cp "$work/stderr.txt" "$SOAK_LOG"
[[ $code -eq 0 ]] || fail "exit code $code after Escape"
[[ "$(tail -n 1 "$work/data/gl.log")" == "End OpenGL" ]] || fail "gl.log does not end with End OpenGL"

count=${#samples[@]}
[[ $count -ge 2 ]] || { echo "soak: passed ($actions actions, too short to judge memory)"; exit 0; }
# Growth: the mean of the last quarter of the samples over the mean of the first quarter.
quarter=$(((count + 3) / 4))
stats=$(printf '%s\n' "${samples[@]}" | awk -v q="$quarter" -v n="$count" '
    { v[NR] = $1; if (NR == 1 || $1 > max) max = $1 }
    END {
        for (i = 1; i <= q; i++) first += v[i];
        for (i = n - q + 1; i <= n; i++) last += v[i];
        printf "%d %d %d %d", v[1], v[n], max, last / q - first / q
    }')
read -r rss_first rss_last rss_max growth <<<"$stats"
echo "soak: $actions actions, $last_fps frame-rate lines, $count memory samples"
echo "soak: VmRSS after warm-up ${rss_first} kB, at the end ${rss_last} kB, peak ${rss_max} kB," \
     "growth ${growth} kB (last quarter over first quarter)"
if [[ "$bound" != none && $growth -gt $bound ]]; then
    fail "resident memory grew by $growth kB after warm-up (bound $bound kB)"
fi
echo "soak: passed"
