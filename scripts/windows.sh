#!/usr/bin/env bash
# The Windows build, proven under wine: installs what it needs (as root, when missing),
# cross-builds with MinGW-w64 into build-win/, runs the unit and GL suites under wine on its own
# Xvfb, verifies the recorded sessions (tests/replays/*.replay and the tour's out/tour/tour.replay)
# with zelmor-replay.exe to the native tool's final step and hash, plays one of them with
# zelmor.exe --replay to its verdict, plays the bundled scene with zelmor.exe (a rubber band, a
# right-click order, S, Escape) and packs out/zelmor-win64.zip:
# zelmor.exe, zelmor-check.exe, zelmor-replay.exe, the data files and a text for Windows users.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
name=windows
step() { echo "== windows: $* ($(date +%H:%M:%S))"; }
fail() {
    echo "windows: $*" >&2
    exit 1
}

scripts/install-deps.sh windows

step "building into build-win/"
# The windows preset: the optimisation of the Linux build without its debug information, which
# would only slow the build and the link of these static programs.
cmake --preset windows >/dev/null
cmake --build build-win -j2 --target zelmor zelmor-check zelmor-replay zelmor_tests \
    zelmor_gl_tests
# The native tool gives the final lines the recorded sessions must verify to.
cmake --preset default >/dev/null
cmake --build build -j2 --target zelmor-replay

# A prefix of our own, made once, without the installer dialogs of Mono and Gecko.
export WINEPREFIX=$root/build-win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    step "making the wine prefix"
    wine wineboot -u >/dev/null 2>&1
    wineserver -w
fi

# The scratch copy of data/, Xvfb (DISPLAY) and their clean-up; wine's server goes too, so no
# wine process outlives this display.
source scripts/headless.sh
trap 'wineserver -k 2>/dev/null || true; cleanup' EXIT
wineserver -k 2>/dev/null || true

step "unit suite under wine"
wine build-win/tests/zelmor_tests.exe --gtest_brief=1
step "GL suite under wine (Mesa through wine's opengl32)"
wine build-win/tests/zelmor_gl_tests.exe --gtest_brief=1

step "recorded sessions under wine: the native tool's final step and hash"
native=build-win/replays-native.txt
scripts/replays.sh --save "$native" -- build/tools/zelmor-replay
scripts/replays.sh --expect "$native" -- wine build-win/tools/zelmor-replay.exe

# The viewer plays the tour's recording (or else a golden replay) as fast as the frames allow to
# its last step, with the verdict in the title bar; Escape ends it with exit code 0.
step "zelmor.exe --replay under wine"
played=""
for replay in out/tour/tour.replay tests/replays/*.replay; do
    [[ -f "$replay" ]] && { played=$replay; break; }
done
wine build-win/zelmor.exe --replay "$played" >"$work/replay.out" 2>&1 &
pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^zelmor replay' | head -n 1)
[[ -n "$window" ]] || fail "no replay window for $played"
xdotool windowfocus --sync "$window"
for _ in 1 2 3 4 5; do xdotool key Up; done
title=""
for _ in $(seq 120); do
    title=$(xdotool getwindowname "$window")
    # The verdicts that end a replay: verified, a hash that differs, a damaged or cut file.
    case "$title" in *", verified" | *": recorded "* | *damaged* | *truncated*) break ;; esac
    sleep 0.5
done
[[ "$title" == *", verified" ]] || fail "the replay of $played ends with the title \"$title\""
echo "$title"
xdotool key Escape
code=0
timeout 30 tail --pid="$pid" -f /dev/null || fail "zelmor.exe --replay still runs after Escape"
wait "$pid" || code=$?
pid=""
[[ $code -eq 0 ]] || fail "zelmor.exe --replay ended with exit code $code"

step "zelmor.exe under wine on the bundled scene"
cd "$work/data"
wine "$root/build-win/zelmor.exe" >"$work/zelmor.out" 2>&1 &
pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^zelmor$' | head -n 1)
[[ -n "$window" ]] || fail "no zelmor window"
xdotool windowfocus --sync "$window"
# The X window is the client area; shots and pointer positions are taken inside it.
eval "$(xdotool getwindowgeometry --shell "$window")"
shot() { import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$1.png"; }
changed() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 || true; }
at() { xdotool mousemove --window "$window" "$1" "$2"; }

gl=$(tr -d '\r' <gl.log)
for line in "Start OpenGL Init" "OpenGL Version: " "OpenGL init extensions: " \
    "End OpenGL Init. Window Handle: " "Resize: "; do
    grep -q "^$line" <<<"$gl" || fail "gl.log has no line \"$line\""
done
sleep 1
shot still
sleep 1
shot still-later
[[ $(changed still still-later) -eq 0 ]] || fail "the scene moves before any order"

# The six tanks in the lower left: a rubber band over them, drawn while the button is held.
at 41 285
xdotool mousedown 1
sleep 0.2
at 140 300
sleep 0.2
at 248 330
sleep 0.3
shot band
xdotool mouseup 1
sleep 0.3
shot selected
[[ $(changed still band) -gt 100 ]] || fail "no rubber band drawn"
[[ $(changed still selected) -gt 100 ]] || fail "no selection markers after the band"

# A right click sends them across the field; S halts them.
at 430 150
xdotool click 3
sleep 1.5
shot driving
sleep 0.5
shot driving-later
[[ $(changed driving driving-later) -gt 100 ]] || fail "the tanks do not drive after the order"
at 316 226
xdotool key s
sleep 1.5
shot halted
sleep 1
shot halted-later
[[ $(changed halted halted-later) -eq 0 ]] || fail "the tanks still move after S"

xdotool key Escape
code=0
timeout 30 tail --pid="$pid" -f /dev/null || fail "zelmor.exe still runs after Escape"
wait "$pid" || code=$?
pid=""
[[ $code -eq 0 ]] || fail "zelmor.exe ended with exit code $code"
last=$(tr -d '\r' <gl.log | tail -n 1)
[[ "$last" == "End OpenGL" ]] || fail "the last line of gl.log is \"$last\""
cd "$root"

step "packing out/zelmor-win64.zip"
package=$work/zelmor-win64
mkdir -p "$package" out
cp -r data/wdf data/models data/units data/models.lst "$package/"
x86_64-w64-mingw32-strip -o "$package/zelmor.exe" build-win/zelmor.exe
x86_64-w64-mingw32-strip -o "$package/zelmor-check.exe" build-win/tools/zelmor-check.exe
x86_64-w64-mingw32-strip -o "$package/zelmor-replay.exe" build-win/tools/zelmor-replay.exe
sed 's/$/\r/' docs/windows-readme.txt >"$package/README.txt"
rm -f out/zelmor-win64.zip
(cd "$work" && zip -qr "$root/out/zelmor-win64.zip" zelmor-win64)
echo "windows: unit and GL suites passed under wine, the recorded sessions verified to the native"\
    "lines and one played to its verdict, zelmor.exe played the scene and ended with 0"
echo "windows: out/zelmor-win64.zip"
