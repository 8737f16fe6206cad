#!/usr/bin/env bash
# Builds zelmor in Release with its benchmarks and runs them all: the tick with both contact
# searches, scene and model loading, frames on a Mesa context (SDL's offscreen driver), the
# memory of 100,000 units, and the resident memory of the program itself on the bundled scene.
# Prints one table. Extra arguments go to the benchmark program, for example
#   scripts/bench.sh --benchmark_filter=Tick --benchmark_repetitions=3
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build-perf}

cmake --preset bench -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j2 --target zelmor_bench zelmor >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)" >&2
SDL_VIDEODRIVER=offscreen "$build_dir/bench/zelmor_bench" \
    --benchmark_out="$work/bench.json" --benchmark_out_format=json "$@" >"$work/bench.txt" 2>&1 ||
    { cat "$work/bench.txt" >&2; exit 1; }

# The program on the bundled scene, in a copy of data/ so that its logs stay out of the tree.
program_path="$(cd "$build_dir" && pwd)/zelmor"
cp -r data "$work/run"
rm -f "$work/run"/*.log
(cd "$work/run" && SDL_VIDEODRIVER=offscreen exec "$program_path") &
program=$!
sleep 4
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$program/status" 2>/dev/null || echo "")
peak=$(awk '/^VmHWM/ {print $2}' "/proc/$program/status" 2>/dev/null || echo "")
kill "$program" 2>/dev/null || true
for _ in 1 2 3 4 5 6; do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.5
done
kill -KILL "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true

python3 - "$work/bench.json" "${rss:-}" "${peak:-}" <<'EOF'
import json
import sys

runs = json.load(open(sys.argv[1]))["benchmarks"]
rss, peak = sys.argv[2], sys.argv[3]


SCALE = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def duration(value, unit):
    seconds = value * SCALE[unit]
    for name, size in (("s", 1.0), ("ms", 1e-3), ("us", 1e-6)):
        if seconds >= size:
            return f"{seconds / size:.3g} {name}"
    return f"{seconds / 1e-9:.3g} ns"


def rate(run):
    if "bytes_per_second" in run:
        return f"{run['bytes_per_second'] / 1e6:.1f} MB/s"
    if "items_per_second" in run:
        value = run["items_per_second"]
        return f"{value / 1e6:.2f} M items/s" if value >= 1e5 else f"{value:,.0f} items/s"
    return ""


SKIP = {"name", "run_name", "run_type", "repetitions", "repetition_index", "threads",
        "iterations", "real_time", "cpu_time", "time_unit", "items_per_second",
        "bytes_per_second", "family_index", "per_family_instance_index", "aggregate_name",
        "aggregate_unit", "error_occurred", "error_message"}
rows = [("benchmark", "time", "cpu", "rate", "counters")]
times = {}
for run in runs:
    name = run["name"]
    if run.get("error_occurred"):
        rows.append((name, "-", "-", "", run.get("error_message", "")))
        continue
    unit = run["time_unit"]
    # Fixed iteration counts add "/iterations:N" to a name; the comparisons below go without.
    # With repetitions they compare the medians.
    if run.get("run_type") != "aggregate" or run.get("aggregate_name") == "median":
        base = run.get("run_name", name).split("/iterations")[0]
        times[base] = (run["real_time"], run["cpu_time"], unit)
    counters = ", ".join(
        f"{key}={value:,.0f}" if value >= 100 else f"{key}={value:.3g}"
        for key, value in run.items() if key not in SKIP and isinstance(value, (int, float)))
    rows.append((name, duration(run["real_time"], unit), duration(run["cpu_time"], unit),
                 rate(run), counters))
if rss:
    rows.append(("program on the bundled scene", "-", "-", "",
                 f"resident={int(rss) / 1024:.1f} MB, peak={int(peak) / 1024:.1f} MB"))

widths = [max(len(row[i]) for row in rows) for i in range(5)]
for index, row in enumerate(rows):
    print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)).rstrip())
    if index == 0:
        print("  ".join("-" * width for width in widths))

# How much faster the grid steps than the search through every pair, where both ran, and the
# merged frame against the part-by-part one of the same run.
for name, (real, cpu, unit) in sorted(times.items()):
    if name.startswith("Tick/AllPairs/"):
        grid = times.get(name.replace("AllPairs", "Grid"))
        if grid and grid[2] == unit:
            label = " ".join(name.split("/")[2:])
            print(f"all pairs / grid at {label} units: {cpu / grid[1]:.0f}x (cpu)")
    if name.endswith("/part-by-part"):
        merged = times.get(name[: -len("/part-by-part")])
        if merged and merged[2] == unit:
            label = name[: -len("/part-by-part")].split("/", 1)[1]
            print(f"merged / part-by-part frame, {label}: {merged[0] / real:.2f} (wall), "
                  f"{merged[1] / cpu:.2f} (main thread)")
# The same ratio from the two drawings timed in turn (the median of the repetitions, if any).
for run in runs:
    if "ratio" in run and (run.get("run_type") != "aggregate" or
                           run.get("aggregate_name") == "median"):
        print(f"merged / part-by-part frame, drawn in turn: {run['ratio']:.2f} (wall)")
EOF
