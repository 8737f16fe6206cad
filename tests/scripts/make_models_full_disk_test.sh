#!/usr/bin/env bash
# The model generator on a full disk: on a copy of the repository whose generated files are all
# out of date, each write fails with ENOSPC once the given number of bytes has been written.
# Every run must exit non-zero, leave each file as it was or whole, leave no temporary file,
# never record a digest the file does not hold, and the next run must restore everything
# without --force. The last budget lets every data file through and fails the record itself.
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The generator with os.write failing like a full disk after $1 bytes.
full_disk_after() {
    python3 - "$1" <<'PY'
import errno, os, runpy, sys
budget = int(sys.argv[1])
real_write = os.write
def write(descriptor, data):
    global budget
    if budget <= 0:
        raise OSError(errno.ENOSPC, os.strerror(errno.ENOSPC))
    done = real_write(descriptor, bytes(data[:budget]))
    budget -= done
    return done
os.write = write
sys.path.insert(0, "scripts")
sys.argv = ["scripts/make_models.py"]
runpy.run_path("scripts/make_models.py", run_name="__main__")
PY
}

# Each generated file holds other text than the generator's, recorded as its own earlier output;
# one file in the generator's folders was made by hand.
cp -r "$source_dir/data" "$work/expected"
echo "v 3 0 0 0 1 0 0 0 1 0 i 3 0 1 2 p 4 x" >"$work/expected/models/by_hand.mdl"
make_stale() {
    rm -rf "$work/tree" && mkdir "$work/tree"
    cp -r "$source_dir/scripts" "$work/tree/"
    cp -r "$work/expected" "$work/tree/data"
    (cd "$work/tree" && python3 - <<'PY'
import hashlib
lines = []
for line in open("data/.generated", encoding="utf-8"):
    if not line.startswith("#"):
        relative = line.rstrip("\n").split("  ", 1)[1]
        data = f"x written by an older generator: {relative}\n".encode()
        open(f"data/{relative}", "wb").write(data)
        line = f"{hashlib.sha256(data).hexdigest()}  {relative}\n"
    lines.append(line)
open("data/.generated", "w", encoding="utf-8").write("".join(lines))
PY
    )
    rm -rf "$work/before" && cp -r "$work/tree/data" "$work/before"
}

data_bytes=$(cd "$work/expected" && grep -v '^#' .generated | cut -d' ' -f3- | xargs cat | wc -c)
for budget in 0 3000 20000 $((data_bytes + 100)); do
    make_stale
    cd "$work/tree"
    status=0
    full_disk_after "$budget" >"$work/out" 2>"$work/err" || status=$?
    [[ $status != 0 ]] || fail "$budget bytes: exit status 0"
    grep -q "cannot write data/.*: No space left on device" "$work/err" ||
        fail "$budget bytes: no message naming the file: $(cat "$work/err")"
    left=$(find data -name '*.tmp')
    [[ -z $left ]] || fail "$budget bytes: temporary files left: $left"
    python3 - "$work/before" "$work/expected" <<'PY' || fail "$budget bytes: see above"
import hashlib, os, sys
before, expected = sys.argv[1:]
def read(path):
    return open(path, "rb").read() if os.path.exists(path) else None
bad = []
for folder, _, names in os.walk("data"):
    for name in names:
        path = os.path.join(folder, name)
        relative = os.path.relpath(path, "data")
        now = read(path)
        if relative != ".generated" and now not in (read(os.path.join(before, relative)),
                                                    read(os.path.join(expected, relative))):
            bad.append(f"{path} is neither as it was nor whole")
for line in open("data/.generated", encoding="utf-8"):
    if not line.startswith("#"):
        sha, relative = line.rstrip("\n").split("  ", 1)
        old = hashlib.sha256(read(os.path.join(before, relative))).hexdigest()
        if sha not in (old, hashlib.sha256(read(f"data/{relative}")).hexdigest()):
            bad.append(f"the record lists data/{relative} with a digest it does not hold")
if bad:
    print("\n".join(bad), file=sys.stderr)
sys.exit(1 if bad else 0)
PY
    python3 scripts/make_models.py >"$work/out" 2>&1 ||
        fail "$budget bytes: the next run failed: $(cat "$work/out")"
    diff -r "$work/expected" data >/dev/null ||
        fail "$budget bytes: the next run did not restore data/"
done
echo "make_models.py survives a full disk after 0, 3000, 20000 and $((data_bytes + 100)) bytes"
