#!/usr/bin/env bash
# The model generator on a copy of the repository's scripts and data: a run on the unchanged
# copy writes nothing, a hand-edited scene survives a run (named, exit status 1), and --force
# brings the generated scene back.
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$source_dir/scripts" "$source_dir/data" "$work/"
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$(python3 scripts/make_models.py) || fail "clean run failed: $out"
[[ $out == *"0 written"*"0 kept"* ]] || fail "clean run wrote something: $out"
diff -r "$source_dir/data" data >/dev/null || fail "clean run changed data/"

echo "u units/tank.unit" >>data/wdf/test.wdf
edited=$(cat data/wdf/test.wdf)
status=0
out=$(python3 scripts/make_models.py) || status=$?
[[ $status == 1 ]] || fail "exit status $status after a hand edit: $out"
[[ $out == *"kept data/wdf/test.wdf: changed by hand"* ]] || fail "scene not named: $out"
[[ $(cat data/wdf/test.wdf) == "$edited" ]] || fail "hand-edited scene overwritten"

python3 scripts/make_models.py --force >/dev/null || fail "--force failed"
cmp -s "$source_dir/data/wdf/test.wdf" data/wdf/test.wdf || fail "--force did not restore the scene"
echo "make_models.py keeps hand edits"
