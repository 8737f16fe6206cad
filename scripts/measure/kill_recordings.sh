#!/usr/bin/env bash
# Kills the program at a random moment, 20 times (or the count given), and verifies what each
# recording left: every one should play up to its last complete record ("truncated after step
# S, verified up to step K", exit 2). Runs the native build on the bundled scene under its own
# Xvfb; between the start and the kill the tanks are sent across the field.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
name=kill_recordings
runs=${1:-20}
program=$root/build/zelmor
verifier=$root/build/tools/zelmor-replay
[[ -x "$program" && -x "$verifier" ]] || { echo "$name: build first" >&2; exit 1; }
source scripts/headless.sh

declare -A outcomes
for run in $(seq "$runs"); do
    rm -rf "$work/data/replays"
    (cd "$work/data" && exec "$program" 2>/dev/null) &
    pid=$!
    window=$(xdotool search --sync --onlyvisible --name '^zelmor$' | head -n 1)
    xdotool windowfocus --sync "$window"
    # Every unit in view, sent up the field.
    xdotool mousemove 30 30 mousedown 1 mousemove 320 240 mousemove 610 450 mouseup 1 \
        mousemove 200 120 click 3 mousemove 320 240
    wait_ms=$((500 + RANDOM % 7500))
    sleep "$(printf '%d.%03d' $((wait_ms / 1000)) $((wait_ms % 1000)))"
    kill -9 "$pid"
    wait "$pid" 2>/dev/null || true
    pid=""
    file=$(ls "$work/data/replays/"*.replay)
    status=0
    output=$("$verifier" verify "$file") || status=$?
    verdict=$(echo "$output" | sed -n 2p)
    echo "run $run: killed after $wait_ms ms, $(stat -c %s "$file") bytes: exit $status, $verdict"
    outcomes[$status]=$((${outcomes[$status]:-0} + 1))
done
echo "exit statuses: $(for s in "${!outcomes[@]}"; do printf '%s: %s  ' "$s" "${outcomes[$s]}"; done)"
