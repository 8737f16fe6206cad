#!/usr/bin/env bash
# The Debian package on this machine (as root): lintian, installed with dpkg, the launcher on a
# fresh home folder under Xvfb (the bundled scene drawn, Escape, the logs in the player's
# folder), an upgrade's scene with lines of the player's own, the bad cases of the player's
# folder, then removed: nothing of it may remain outside the player's folder.
# Usage: tests/package/package_test.sh out/zelmor_<version>_amd64.deb
set -euo pipefail
deb=$(readlink -f "$1")
cd "$(dirname "$0")/../.."
name=package
step() { echo "== package: $* ($(date +%H:%M:%S))"; }
fail() {
    echo "package: $*" >&2
    exit 1
}
[[ $(id -u) -eq 0 ]] || fail "installing the package needs root"
installed=/usr/share/zelmor

step "lintian"
# Any error or warning fails; the README explains the info tags that remain.
if ! report=$(lintian --fail-on error,warning --display-info "$deb" 2>&1); then
    echo "$report" >&2
    fail "lintian finds errors or warnings"
fi
grep -v '^running with root' <<<"$report" || true

# The package's paths that this machine did not have: all must be gone after the removal.
dpkg -s zelmor >/dev/null 2>&1 && dpkg --purge zelmor >/dev/null
mapfile -t paths < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||')
new_paths=()
for path in "${paths[@]}"; do
    [[ -n $path && ! -e $path ]] && new_paths+=("$path")
done

# Xvfb (DISPLAY), a scratch folder ($work) and their clean-up; the package goes too.
source scripts/headless.sh
trap 'dpkg --purge zelmor >/dev/null 2>&1 || true; cleanup' EXIT
homes=$(mktemp -d -p "$work")
chmod 755 "$work" "$homes"

step "installing with dpkg"
dpkg -i "$deb" >/dev/null

# Runs the launcher as a user's menu would, with HOME and DISPLAY (none when empty), through
# the commands in $runner; with a display it waits for the window, takes a shot of it and ends
# it with Escape. Sets $code and $errors.
runner=()
play() {
    local home=$1 display=$2 deadline=$((SECONDS + 30)) window=""
    "${runner[@]}" env -i PATH=/usr/bin:/bin:/usr/games HOME="$home" \
        ${display:+DISPLAY="$display"} zelmor 2>"$work/errors" &
    pid=$!
    if [[ -n $display ]]; then
        while kill -0 "$pid" 2>/dev/null && [[ -z $window ]] && ((SECONDS < deadline)); do
            window=$(xdotool search --onlyvisible --name '^zelmor$' 2>/dev/null | head -n 1) ||
                sleep 0.1
        done
        [[ -n $window ]] || fail "no zelmor window: $(cat "$work/errors")"
        sleep 1.5
        shot "$window"
        xdotool windowfocus --sync "$window" key Escape
    fi
    code=0
    timeout 30 tail --pid="$pid" -f /dev/null || fail "zelmor still runs after Escape"
    wait "$pid" || code=$?
    pid=""
    errors=$(cat "$work/errors")
}
shot() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/shot.png"
}
# Pixels of the shot whose colour passes an awk test of r, g and b.
count() {
    convert "$work/shot.png" -depth 8 -format %c histogram:info:- |
        awk -F '[(,)]+' "{ n = \$1; r = \$2; g = \$3; b = \$4 } $1 { sum += n } END { print sum + 0 }"
}
last_line() { tail -n 1 "$1" 2>/dev/null || true; }

step "the launcher on a fresh home folder"
home=$homes/fresh
mkdir "$home"
play "$home" "$DISPLAY"
folder=$home/.local/share/zelmor
[[ $code -eq 0 ]] || fail "zelmor ended with exit code $code: $errors"
[[ $errors != *zelmor:* ]] || fail "the launcher complained on a fresh start: $errors"
[[ $(last_line "$folder/gl.log") == "End OpenGL" ]] || fail "gl.log in $folder does not end well"
cp "$work/shot.png" "$work/fresh.png"
steel=$(count 'b > r + 20 && b > g + 15 && r > 50 && b < 220')
sand=$(count 'r > 150 && r > g + 40 && g > b + 40')
((steel > 2000 && sand > 1000)) || fail "no bundled scene drawn ($steel tank, $sand scout pixels)"
for entry in models.lst models units; do
    [[ $(readlink "$folder/$entry") == "$installed/$entry" ]] || fail "$entry is no installed link"
done
cmp -s "$folder/wdf/test.wdf" "$installed/wdf/test.wdf" || fail "the scene is not the installed"
[[ -f $folder/mine/scene.wdf && -f $folder/mine/models.lst ]] || fail "no mine/ made"

step "an upgrade: the scene of an older package, with lines of the player's own"
printf 'm models.lst\nx\n' >"$folder/wdf/test.wdf"
printf '# older\n%s  wdf/test.wdf\n' "$(sha256sum <"$folder/wdf/test.wdf" | cut -d ' ' -f 1)" \
    >"$folder/.generated"
own=$'p -4 0 -6\no 0 45 0\nu units/scout.unit\n'
printf '%s' "$own" >"$folder/mine/scene.wdf"
play "$home" ""
# The generator in the sources writes the same scene for the same lines.
python3 -B -c "import sys; sys.path.insert(0, 'scripts'); from scene_layout import scene_text; \
sys.stdout.write(scene_text(['mine/models.lst'], sys.argv[1]))" "$own" >"$work/expected.wdf"
cmp -s "$folder/wdf/test.wdf" "$work/expected.wdf" || fail "the upgraded scene is not the" \
    "installed one with the player's lines: $(diff "$work/expected.wdf" "$folder/wdf/test.wdf")"
[[ $(cat "$folder/mine/scene.wdf") == "${own%$'\n'}" ]] || fail "mine/scene.wdf was changed"
cp -a "$folder" "$work/template"

step "bad cases"
# The temporary folder that the launcher named holds this session's logs, ended well.
logs_went_to_temp() {
    local logs
    logs=$(grep -o '/tmp/zelmor\.[A-Za-z0-9]*' <<<"$errors")
    [[ $(last_line "$logs/gl.log") == "End OpenGL" ]] && rm -r "$logs"
}
# Each on a copy of that folder ($folder, in $home; the set-up runs in the folder), as root or
# as nobody, with a display or none. Columns: case | set-up | user | display | exit code |
# standard error holds (grep -E) | a test afterwards.
n=0
while IFS='|' read -r case setup user display expected message after; do
    home=$homes/$((++n))
    folder=$home/.local/share/zelmor
    mkdir -p "$home/.local/share"
    cp -a "$work/template" "$folder"
    (cd "$folder" && eval "$setup")
    runner=()
    [[ $user == nobody ]] && runner=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    play "$home" "$([[ $display == no ]] || echo "$DISPLAY")"
    runner=()
    [[ $code -eq $expected ]] || fail "$case: exit code $code, not $expected: $errors"
    grep -Eq -- "$message" <<<"$errors" || fail "$case: standard error says: $errors"
    (eval "$after") || fail "$case: afterwards, not: $after"
    echo "package: $case: $(grep -Em 1 -- "$message" <<<"$errors")"
done <<'EOF'
home folder that cannot be written|:|nobody|yes|0|cannot write .*zelmor \(not writable\); .* go to /tmp/zelmor\.|logs_went_to_temp
home that is no folder|rm -r "$home" && : >"$home"|root|yes|0|cannot write .*zelmor \(mkdir: .*\); .* go to /tmp/zelmor\.|logs_went_to_temp
mine/scene.wdf deleted|rm mine/scene.wdf|root|yes|0|/mine/scene.wdf is missing, .* touch .*/mine/scene.wdf|cmp -s "$folder/wdf/test.wdf" $installed/wdf/test.wdf
the scene changed by hand|echo "p 1 0 1" >>wdf/test.wdf|root|yes|0|kept .*/wdf/test.wdf: changed by hand|[[ $(last_line "$folder/wdf/test.wdf") == "p 1 0 1" ]]
an installed folder replaced|rm units && cp -r $installed/units units|root|yes|0|kept .*/units: not the installed one|[[ ! -L $folder/units ]]
own lines naming a missing file|echo "u mine/units/cart.unit" >mine/scene.wdf|root|yes|0|zelmor-check finds problems|grep -q "mine/units/cart.unit" <<<"$errors"
no display|:|root|no|1|No display to open a window on|[[ $(last_line "$folder/gl.log") == "Start OpenGL Init" ]]
EOF

step "removing the package"
user_files=$homes/fresh/.local/share/zelmor/mine/scene.wdf
dpkg --purge zelmor >/dev/null
for path in "${new_paths[@]}"; do
    [[ ! -e $path && ! -L $path ]] || fail "left behind after removal: $path"
done
[[ -f $user_files ]] || fail "the removal took the player's $user_files"
mkdir -p out
cp "$work/fresh.png" out/package-fresh-start.png
echo "package: lintian clean, installed, played, bad cases told, removed without a trace"
