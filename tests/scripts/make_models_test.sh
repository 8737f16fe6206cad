#!/usr/bin/env bash
# The model generator on a copy of the repository's scripts and data: a run on the unchanged
# copy writes nothing, a hand-edited scene survives a run (named, exit status 1), and --force
# brings the generated scene back. Then hand-made content beside generated content: a unit kind
# made by hand under data/mine/ and a model added to the generator afterwards both end up listed
# and placed without --force, the hand-made files untouched, and the scene checks clean.
set -euo pipefail
source_dir=$1
checker=$2
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

# A unit kind made by hand, placed by a hand-made scene line.
mkdir -p data/mine/models data/mine/units
printf 'v 3 0 0 0 1 0 0 0 1 0\ni 3 0 1 2\np 4\nc 1 0 0 1\nx\n' >data/mine/models/cart.mdl
echo "cart mine/models/cart.mdl" >data/mine/models.lst
printf 'm cart\np 0 0 0\no 0 0 0\na body\nm tank_turret\np 0 0.3 0\no 0 0 0\na top\nx\n' \
    >data/mine/units/cart.unit
printf 'p -4 0 -6\no 0 45 0\nu mine/units/cart.unit\n' >data/mine/scene.wdf
out=$(python3 scripts/make_models.py) || fail "run after a hand-made unit failed: $out"
[[ $(tail -n 2 data/wdf/test.wdf) == $'u mine/units/cart.unit\nx' ]] ||
    fail "hand-made unit not placed"

# A model added to the generator afterwards, placed by hand.
python3 - <<'PY'
path = "scripts/make_models.py"
text = open(path).read()
for old, new in (("\ndef all_models():",
                  "\ndef barrel_model():\n    barrel = Model(\"barrel\", RED)\n"
                  "    barrel.frustum((0, 0, 0), \"y\", 0.3, 0.3, 0.8, 8, RED)\n"
                  "    return barrel\n\n\ndef all_models():"),
                 ("+ shadow_models())", "+ shadow_models() + [barrel_model()])")):
    assert text.count(old) == 1, old
    text = text.replace(old, new)
open(path, "w").write(text)
PY
printf 'p 5 0 5\nb barrel\n' >>data/mine/scene.wdf
cp -r data/mine "$work/mine-before"
out=$(python3 scripts/make_models.py) || fail "run after a model added to the generator: $out"
[[ $out == *"wrote data/models/barrel.mdl"*"wrote data/models.lst"* ]] ||
    fail "barrel not written: $out"
grep -qx "barrel models/barrel.mdl" data/models.lst || fail "barrel not listed"
[[ $(tail -n 3 data/wdf/test.wdf) == $'p 5 0 5\nb barrel\nx' ]] || fail "barrel not placed"
diff -r "$work/mine-before" data/mine >/dev/null || fail "hand-made files changed"
out=$("$checker" data/wdf/test.wdf) || fail "the scene does not check clean: $out"
[[ $out == *"17 units, 209 static objects, 27 models; 0 problems, 0 notes" ]] || fail "$out"
echo "make_models.py keeps hand edits and hand-made content"
