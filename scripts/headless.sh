# Sourced by the scripts that drive the real program without a display. It makes a scratch
# folder with a copy of data/ (no old logs or recordings), ends the program ($pid, once started) and Xvfb and
# removes the folder on exit, and starts Xvfb on a display it picks itself, exported as DISPLAY.
# The caller names itself in $name for its messages.
work=$(mktemp -d)
xvfb=""
pid=""
cleanup() {
    [[ -n "$pid" ]] && kill -9 "$pid" 2>/dev/null || true
    [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cp -r data "$work/data"
rm -rf "$work/data/"*.log "$work/data/replays"

# Xvfb picks a free display itself and writes its number to the descriptor.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 10 -u "$displayfd" number || { echo "$name: Xvfb did not start" >&2; exit 1; }
exec {displayfd}>&-
export DISPLAY=:$number
