#!/usr/bin/env python3
"""Plants each fault of a list into a scratch copy of the working tree, one at a time, builds the
unit and GL test programs there and runs them; prints which faults the suite lets through.

A tool for developers, not a CI step: the suite should kill every fault listed here.
    python3 scripts/mutants.py [--scratch DIR] [NAME-SUBSTRING ...]
"""
import argparse
import os
import pathlib
import re
import subprocess
import sys

# Each fault: a name, a file, the text it replaces, the text put in its place.
FAULTS = [
    ("friction before the move", "sim/Unit.cpp",
     "    position = movedAlong(position, direction.sin, direction.cos, speed_, seconds);\n"
     "    speed_ = static_cast<float>(speed_ - speed_ * FRICTION);",
     "    speed_ = static_cast<float>(speed_ - speed_ * FRICTION);\n"
     "    position = movedAlong(position, direction.sin, direction.cos, speed_, seconds);"),
    ("move product rounded in float", "sim/Unit.cpp",
     "from.x + sin * speed * seconds", "from.x + static_cast<float>(sin * speed * seconds)"),
    ("heading to radians in float", "sim/Unit.cpp",
     "const double a = heading * PI_APPROX", "const float a = heading * PI_APPROX"),
    ("accelerate below 7.5 only", "sim/Unit.cpp", "speed_ <= TOP_SPEED", "speed_ < TOP_SPEED"),
    ("friction inside nextPosition", "sim/Unit.cpp",
     "direction.cos, speed_, secondsOf(ms));",
     "direction.cos, static_cast<float>(speed_ - speed_ * FRICTION), secondsOf(ms));"),
    ("turn step rounded separately", "sim/Unit.cpp",
     "angles.y + diff * TURN_GAIN", "angles.y + static_cast<float>(diff * TURN_GAIN)"),
    ("halt threshold inclusive", "sim/Unit.cpp", "speed_ > HALT_SPEED", "speed_ >= HALT_SPEED"),
    ("stop threshold inclusive", "sim/Unit.cpp", "speed_ < STOP_SPEED", "speed_ <= STOP_SPEED"),
    ("picking row off by one", "app/InputHandlers.cpp",
     "state_.viewHeight - y", "state_.viewHeight - 1 - y"),
    ("loop feeds the pass time", "app/MainLoop.cpp",
     "        client.buildVisibleLists();\n        const int32_t start = clock.now();",
     "        const int32_t start = clock.now();\n        client.buildVisibleLists();"),
    ("model reader without 's'", "scene/ModelFile.cpp",
     "        case 's':\n            return readIgnored();\n", ""),
    ("second 'o' appended", "scene/ModelFile.cpp",
     "draft_.colours = std::move(colours);",
     "draft_.colours.insert(draft_.colours.end(), colours.begin(), colours.end());"),
]

TARGETS = ["zelmor_tests", "zelmor_gl_tests"]


def run(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          **kwargs)


def copy_tree(source, scratch):
    files = run(["git", "ls-files", "-co", "--exclude-standard"], cwd=source).stdout.split()
    for name in files:
        target = scratch / name
        target.parent.mkdir(parents=True, exist_ok=True)
        data = (source / name).read_bytes() if (source / name).is_file() else None
        if data is not None and (not target.exists() or target.read_bytes() != data):
            target.write_bytes(data)


def build(build_dir):
    jobs = str(os.cpu_count() or 2)
    return run(["cmake", "--build", str(build_dir), "-j", jobs, "--target", *TARGETS])


def first_failure(binary, build_dir):
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen")
    result = run([str(build_dir / "tests" / binary), "--gtest_brief=1"], env=env)
    if result.returncode == 0:
        return None
    failed = re.search(r"\[  FAILED  \] (\S+)", result.stdout)
    return failed.group(1) if failed else f"{binary} exit {result.returncode}"


def verdict(build_dir):
    if build(build_dir).returncode != 0:
        return "killed (does not build)"
    for binary in TARGETS:
        failure = first_failure(binary, build_dir)
        if failure:
            return f"killed by {failure}"
    return "SURVIVED"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scratch", default="/tmp/zelmor-mutants")
    parser.add_argument("only", nargs="*", help="run only the faults whose name holds one of these")
    args = parser.parse_args()
    source = pathlib.Path(__file__).resolve().parent.parent
    scratch = pathlib.Path(args.scratch)
    tree, build_dir = scratch / "src", scratch / "build"
    copy_tree(source, tree)
    run(["cmake", "-S", str(tree), "-B", str(build_dir), "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
         "-DZELMOR_BENCH=OFF"], check=True)
    baseline = verdict(build_dir)
    if baseline != "SURVIVED":
        sys.exit(f"the unchanged suite does not pass: {baseline}")
    survivors = 0
    chosen = [f for f in FAULTS if not args.only or any(o in f[0] for o in args.only)]
    for name, file, old, new in chosen:
        path = tree / file
        original = path.read_text()
        if original.count(old) != 1:
            print(f"{name:32} NOT PLANTED: the text to replace is not in {file} exactly once")
            survivors += 1
            continue
        path.write_text(original.replace(old, new))
        try:
            result = verdict(build_dir)
        finally:
            path.write_text(original)
        survivors += result == "SURVIVED"
        print(f"{name:32} {result}", flush=True)
    build(build_dir)
    print(f"{len(chosen) - survivors} of {len(chosen)} faults killed")
    sys.exit(1 if survivors else 0)


if __name__ == "__main__":
    main()
