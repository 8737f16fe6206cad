#!/usr/bin/env bash
# Builds the reader fuzz targets (the fuzz preset: clang-14, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz and runs each for the given number of seconds
# (default 60) on a copy of its seed corpus under fuzz/corpus. Fails on any finding; the input
# that caused it is kept under build-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
build=$root/build-fuzz
targets=(ModelFile ModelList UnitFile SceneFile ReplayFile)

echo "fuzz: building the targets into $build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/findings"
failed=()
for target in "${targets[@]}"; do
    cp -r "fuzz/corpus/$target" "$work/$target"
    log=$work/$target.log
    echo "fuzz_$target: running for $seconds s"
    # The readers open nothing on disk, but run in the scratch folder all the same.
    if (cd "$work" && "$build/fuzz/fuzz_$target" -max_len=4096 -timeout=5 -rss_limit_mb=2048 \
            -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$build/findings/$target-" "$work/$target" >"$log" 2>&1); then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz_$target: clean for $seconds s, ${runs:-?} inputs"
    else
        echo "fuzz_$target: FINDING (input kept in $build/findings)"
        tail -n 60 "$log"
        failed+=("$target")
    fi
done
if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzzing found problems in: ${failed[*]}" >&2
    exit 1
fi
