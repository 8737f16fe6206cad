#!/bin/bash
# zelmor's launcher, installed as /usr/games/zelmor. The program reads its scene from, and writes
# its logs into, the folder it runs in; installed, that is the player's own folder,
# $XDG_DATA_HOME/zelmor (~/.local/share/zelmor by default), set up here at every start:
#
#   models.lst, models/, units/  links to the installed data: an upgrade's data shows at once
#   mine/                        the player's own model list, scene lines, models and units;
#                                made empty at the first start, never written after
#   wdf/test.wdf                 written at every start: the installed scene with the lines of
#                                mine/scene.wdf before its end, as make_models.py writes it in
#                                the sources; kept, and named, once changed by hand
#   .generated                   the SHA-256 of the scene as last written here
#   replays/                     the program's recordings of its last 20 sessions
#
# A folder that cannot be written leaves the program to run in a temporary one, which is named.
set -euo pipefail

prefix=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." && pwd)
installed=$prefix/share/zelmor
program=$prefix/lib/zelmor/zelmor
check=$prefix/games/zelmor-check
links=(models.lst models units)
failure=""

say() { echo "zelmor: $*" >&2; }

# The player's folder, following the XDG base directories: a relative XDG_DATA_HOME is ignored.
user_folder() {
    local base=${XDG_DATA_HOME:-}
    if [[ $base != /* ]]; then
        [[ -n ${HOME:-} ]] || return 1
        base=$HOME/.local/share
    fi
    echo "$base/zelmor"
}

# Makes the folder (with wdf/) when missing; fails with the reason when files cannot go there.
make_writable() {
    local folder=$1
    if ! failure=$(mkdir -p -- "$folder/wdf" 2>&1); then
        failure=${failure:-cannot make it}
        return 1
    fi
    [[ -w $folder && -w $folder/wdf ]] || { failure="not writable"; return 1; }
}

link_installed() {
    local folder=$1 entry
    for entry in "${links[@]}"; do
        if [[ -L $folder/$entry && $(readlink "$folder/$entry") == "$installed/$entry" ]]; then
            continue
        fi
        if [[ -e $folder/$entry || -L $folder/$entry ]]; then
            say "kept $folder/$entry: not the installed one (your own files belong in" \
                "$folder/mine/; remove it to use the installed $entry)"
            continue
        fi
        failure=$(ln -s -- "$installed/$entry" "$folder/$entry" 2>&1) || return 1
    done
}

# The installed scene, with the player's lines before its end record, read from position and
# orientation (0, 0, 0) as if they began a scene of their own.
compose_scene() {
    local own=$1/mine/scene.wdf lines=""
    [[ -f $own ]] && lines=$(tr -d '\0' <"$own")
    if [[ $lines != *[![:space:]]* ]]; then
        cat "$installed/wdf/test.wdf"
        return
    fi
    printf '%s\np 0 0 0\no 0 0 0\n%s\nx\n' "$(sed '$d' "$installed/wdf/test.wdf")" "$lines"
}

# True when the scene is a file that holds what the record says this launcher wrote.
written_here() {
    local scene=$1 record=$2 recorded current
    [[ -f $scene && ! -L $scene ]] || return 1
    recorded=$(sed -n 's|^\([0-9a-f]\{64\}\)  wdf/test.wdf$|\1|p' "$record" 2>/dev/null || true)
    current=$(sha256sum <"$scene" 2>/dev/null | cut -d ' ' -f 1)
    [[ -n $recorded && $current == "$recorded" ]]
}

# Writes the scene when it changed (an upgrade, the player's lines), whole or not at all, unless
# it was changed by hand. A scene left as it was writes nothing.
write_scene() {
    local folder=$1 scene=$1/wdf/test.wdf record=$1/.generated new sha text
    if ! new=$(mktemp "$folder/wdf/.test.wdf.XXXXXX" 2>&1); then
        failure=$new
        return 1
    fi
    if ! compose_scene "$folder" >"$new"; then
        failure="cannot write $new"
        rm -f "$new"
        return 1
    fi
    sha=$(sha256sum <"$new" | cut -d ' ' -f 1)
    if cmp -s "$new" "$scene"; then
        rm -f "$new"
    elif [[ -e $scene || -L $scene ]] && ! written_here "$scene" "$record"; then
        say "kept $scene: changed by hand since this launcher wrote it (lines of your own" \
            "belong in $folder/mine/scene.wdf; remove it to get the installed scene back)"
        rm -f "$new"
        return 0
    elif ! failure=$(mv -- "$new" "$scene" 2>&1); then
        rm -f "$new"
        return 1
    fi
    text=$(printf '%s\n' "# Written by zelmor's launcher: the SHA-256 of the scene it wrote." \
        "$sha  wdf/test.wdf")
    [[ $(cat "$record" 2>/dev/null) == "$text" ]] && return 0
    failure=$(printf '%s\n' "$text" 2>&1 >"$record")
}

set_up() {
    local folder=$1 first=false
    make_writable "$folder" || return 1
    [[ -e $folder/.generated ]] || first=true
    link_installed "$folder" || return 1
    if $first && [[ ! -e $folder/mine ]]; then
        failure=$({ mkdir -- "$folder/mine" && : >"$folder/mine/models.lst" &&
            : >"$folder/mine/scene.wdf"; } 2>&1) || return 1
    fi
    if [[ ! -f $folder/mine/scene.wdf ]]; then
        say "$folder/mine/scene.wdf is missing, so the scene has no lines of your own; if you" \
            "moved it, put it back, or start an empty one: mkdir -p $folder/mine &&" \
            "touch $folder/mine/scene.wdf"
    fi
    write_scene "$folder"
}

# The program skips what it cannot read without a word: the checker names it.
check_own_lines() {
    local folder=$1 report
    [[ -x $check ]] || return 0
    [[ -s $folder/mine/scene.wdf || -s $folder/mine/models.lst ]] || return 0
    report=$("$check" --data "$folder" 2>&1) && return 0
    say "zelmor-check finds problems in your scene (the program skips what it cannot read):"
    head -n 30 <<<"$report" >&2
}

# The installed scene in a temporary folder, for this session's logs.
run_elsewhere() {
    local folder=$1 work entry
    if ! work=$(mktemp -d "${TMPDIR:-/tmp}/zelmor.XXXXXX" 2>/dev/null); then
        say "cannot write $folder ($failure), nor a temporary folder in ${TMPDIR:-/tmp}:" \
            "zelmor needs a folder for its logs"
        exit 1
    fi
    for entry in "${links[@]}" wdf; do
        ln -s -- "$installed/$entry" "$work/$entry"
    done
    say "cannot write $folder ($failure); this session plays the installed scene and its logs" \
        "(gl.log, zelmorGL.log) go to $work"
    cd "$work"
    exec "$program"
}

# With arguments (--replay FILE) the program plays a recording: it reads nothing but that file
# and writes nothing, so it runs where it was started, where a relative FILE is found.
if [[ $# -gt 0 && -x $program ]]; then
    exec "$program" "$@"
fi
if [[ ! -f $installed/wdf/test.wdf || ! -x $program ]]; then
    say "the installation is incomplete (no $installed/wdf/test.wdf or $program):" \
        "reinstall it with: apt install --reinstall zelmor"
    exit 1
fi
if ! folder=$(user_folder); then
    failure="HOME is not set"
    run_elsewhere "the folder for your files"
fi
set_up "$folder" || run_elsewhere "$folder"
check_own_lines "$folder"
cd "$folder"
exec "$program"
