#!/usr/bin/env bash
# Verifies recorded sessions with one platform's zelmor-replay and checks that each ends on the
# same step and state hash as with the native tool: a session replays to the same bits anywhere.
#
#   scripts/replays.sh [--save LINES | --expect LINES] [REPLAY...] -- VERIFIER [ARGUMENT...]
#
# For each replay it runs "VERIFIER ARGUMENT... verify REPLAY", which must end with status 0 and
# print "step S hash H" as its last line. --save writes each replay's last line into the file
# LINES (run it with the native tool first); --expect compares each with the line LINES holds for
# that replay. Without REPLAYs it takes the golden replays, tests/replays/*.replay, and the
# scripted tour's recording, out/tour/tour.replay, that the tour's end-to-end test leaves.
# Examples:
#   scripts/replays.sh --save /tmp/native.lines -- build/tools/zelmor-replay
#   scripts/replays.sh --expect /tmp/native.lines -- node build-web/zelmor-replay.js
#   scripts/replays.sh --expect /tmp/native.lines -- wine build-win/tools/zelmor-replay.exe
set -euo pipefail
cd "$(dirname "$0")/.."
fail() {
    echo "replays: $*" >&2
    exit 1
}
usage() {
    echo "usage: scripts/replays.sh [--save LINES | --expect LINES] [REPLAY...] -- VERIFIER [ARGUMENT...]" >&2
    exit 2
}

save="" expect=""
replays=()
while [[ $# -gt 0 && "$1" != "--" ]]; do
    case "$1" in
        --save | --expect)
            [[ $# -ge 2 ]] || usage
            [[ "$1" == --save ]] && save=$2 || expect=$2
            shift 2
            ;;
        -*) usage ;;
        *) replays+=("$1"); shift ;;
    esac
done
[[ $# -ge 2 && "$1" == "--" ]] || usage
shift
verifier=("$@")
[[ -n "$expect" && ! -f "$expect" ]] && fail "no file $expect with the native tool's lines"

if [[ ${#replays[@]} -eq 0 ]]; then
    shopt -s nullglob
    replays=(tests/replays/*.replay)
    shopt -u nullglob
    [[ -f out/tour/tour.replay ]] && replays+=(out/tour/tour.replay)
    [[ ${#replays[@]} -gt 0 ]] ||
        fail "nothing to verify: no tests/replays/*.replay and no out/tour/tour.replay (the tour's end-to-end test leaves it)"
fi

# The native tool's line for a replay, from LINES: "REPLAY<tab>step S hash H".
expected() { awk -F '\t' -v file="$1" '$1 == file { print $2; exit }' "$expect"; }

[[ -n "$save" ]] && : >"$save"
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
# What the verifier said, indented, for a failure's message.
said() { cat "$output" "$errors" | sed 's/^/    /' >&2; }
for replay in "${replays[@]}"; do
    start=$EPOCHREALTIME
    status=0
    "${verifier[@]}" verify "$replay" >"$output" 2>"$errors" || status=$?
    seconds=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
    # Windows programs end their lines with CR LF.
    last=$(tr -d '\r' <"$output" | tail -n 1)
    if [[ $status -ne 0 ]]; then
        said
        fail "$replay: \"${verifier[*]} verify\" ended with status $status" \
            "(1 a hash differs, 2 truncated, 3 damaged, 4 unreadable or usage)"
    fi
    if [[ ! "$last" =~ ^step\ ([0-9]+)\ hash\ [0-9a-f]{16}$ ]]; then
        said
        fail "$replay: \"${verifier[*]} verify\" printed no final \"step S hash H\" line"
    fi
    steps=${BASH_REMATCH[1]}
    if [[ -n "$expect" ]]; then
        native=$(expected "$replay")
        [[ -n "$native" ]] || fail "$replay: $expect holds no native line for it"
        [[ "$last" == "$native" ]] || {
            said
            fail "$replay: DIFFERS: \"${verifier[*]}\" ends on \"$last\", the native tool on \"$native\""
        }
    fi
    [[ -n "$save" ]] && printf '%s\t%s\n' "$replay" "$last" >>"$save"
    echo "replays: $replay: verified by ${verifier[*]}: $last${expect:+, as natively}" \
        "($steps steps in $seconds s)"
done
