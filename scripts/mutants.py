#!/usr/bin/env python3
"""Plants small faults into a scratch copy of the working tree, one at a time, builds the test
programs there and runs them; prints which faults the suites let through.

Two sources of faults:
  - a hand-chosen list (the default): faults that once slipped through and must stay caught;
  - a seeded sample (--sample N --seed S) drawn from every place in the C++ sources of sim/,
    geometry/, scene/, app/, view/ and platform/ (its shared files and the native platform's
    folders, sdl/ and posix/) where one of these small changes applies: a comparison flipped or
    made (non-)strict, an arithmetic operator swapped, a number literal plus one, a logical
    operator swapped or a negation dropped, an expression statement deleted, a returned value
    replaced by the type's default ({}). The same seed and tree give the same sample.

A fault that does not build is left out of the score; one that makes a suite fail, crash or hang
(past --timeout seconds) is killed. The unit and GL suites run first; slow tests run only for the
faults the rest let through, and the end-to-end suite (the real program under Xvfb) only for the
faults the unit and GL suites let through. An end-to-end test that fails is run once more, and
kills the fault only if it fails again: those tests wait on a real X server and program, and a
machine under load must not pass for a caught fault. Per folder, the score is killed / built.
A tool for developers, not a CI step: it is CPU heavy, so run it with `nice -n 19`.
    python3 scripts/mutants.py [--scratch DIR] [NAME-SUBSTRING ...]
    python3 scripts/mutants.py --sample 100 --seed 31 [--results FILE]
    python3 scripts/mutants.py --recheck FILE   # runs again the faults FILE lists as survivors
    python3 scripts/mutants.py --sample 100 --seed 31 --results FILE --resume
    python3 scripts/mutants.py --score FILE
"""
import argparse
import json
import os
import pathlib
import random
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
     "    client_.buildVisibleLists();\n    const int32_t start = clock_.now();",
     "    const int32_t start = clock_.now();\n    client_.buildVisibleLists();"),
    ("model reader without 's'", "scene/ModelFile.cpp",
     "        case 's':\n            return readIgnored();\n", ""),
    ("second 'o' appended", "scene/ModelFile.cpp",
     "draft_.colours = std::move(colours);",
     "draft_.colours.insert(draft_.colours.end(), colours.begin(), colours.end());"),
    ("culling with an opening in view", "view/CullPlan.cpp",
     "return dot(limit.normal, eye) < limit.offset - margin;", "return true;"),
    ("culling a unit the near plane cuts", "view/CullPlan.cpp",
     "if (!(near[3] - spread > VIEW_MARGIN", "if (false && !(near[3] - spread > VIEW_MARGIN"),
    ("inside-out solid not turned", "view/CullPlan.cpp",
     "return outwards ? Winding::KEEP : Winding::TURN;", "return Winding::KEEP;"),
    ("both ways round, the same way twice", "view/CullPlan.cpp",
     "bothWays_.insert(bothWays_.end(), {a, b, c, b, a, c});",
     "bothWays_.insert(bothWays_.end(), {a, b, c, a, b, c});"),
    ("terrain never wired at start-up", "app/Session.cpp", "    world.initTerrain();\n", ""),
    ("minimised window does not wait", "platform/sdl/Window.cpp",
     "    native_->pacer.waitOnePeriod();\n", ""),
    ("GL context kept at exit", "platform/sdl/Window.cpp",
     "        SDL_GL_DeleteContext(native_->context);\n", ""),
    ("window handle from SDL's own id", "platform/sdl/Window.cpp",
     "return static_cast<uint32_t>(info.info.x11.window);",
     "return SDL_GetWindowID(native_->window);"),
    ("merged parts share the first colour", "view/PartBatch.cpp",
     "(colourArray || sameColour(last.colour, mesh.colour())) &&", ""),
]

UNIT, GL, E2E = "zelmor_tests", "zelmor_gl_tests", "zelmor_e2e_tests"
# Where the sample is drawn from: the C++ sources directly in each of these folders. Faults are
# scored by their top folder, so platform/ counts its shared files with the native platform's.
FOLDERS = ["sim", "geometry", "scene", "app", "view", "platform", "platform/sdl",
           "platform/posix"]
SCORED = ["sim", "geometry", "scene", "app", "view", "platform"]
# A source whose first line says so is the output of a generator (a table of constants): a fault
# there is one of the generator's, and its thousands of numbers would crowd the code out of the
# sample.
GENERATED_MARK = "do not edit by hand"
# Tests that take tens of seconds; they run only when the rest of the suite lets a fault through.
SLOW_TESTS = ["ZelmorCheck.AHugeFileOfProblemsIsCheckedInLittleMemory"]


def run(command, timeout=None, **kwargs):
    try:
        return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              text=True, timeout=timeout, **kwargs)
    except subprocess.TimeoutExpired:
        return None


def copy_tree(source, scratch):
    files = run(["git", "ls-files", "-co", "--exclude-standard"], cwd=source).stdout.split()
    for name in files:
        target = scratch / name
        target.parent.mkdir(parents=True, exist_ok=True)
        data = (source / name).read_bytes() if (source / name).is_file() else None
        if data is not None and (not target.exists() or target.read_bytes() != data):
            target.write_bytes(data)


class Suites:
    """The test programs of one build folder, built and run as a fault's verdict needs them."""

    def __init__(self, build_dir, timeout, jobs):
        self.build_dir, self.timeout, self.jobs = build_dir, timeout, jobs

    def build(self, *targets):
        built = run(["cmake", "--build", str(self.build_dir), "-j", str(self.jobs), "--target",
                     *targets])
        return built is not None and built.returncode == 0

    def program(self, binary):
        return str(self.build_dir / "tests" / binary)

    @staticmethod
    def environment(binary):
        # The GL tests ask for SDL's offscreen driver; the end-to-end tests start the program on
        # their own X server, where it must find a real display.
        env = dict(os.environ)
        env.pop("SDL_VIDEODRIVER", None)
        if binary != E2E:
            env["SDL_VIDEODRIVER"] = "offscreen"
        return env

    def tests(self, binary, gtest_filter):
        listed = run([self.program(binary), "--gtest_list_tests", "--gtest_filter=" + gtest_filter],
                     env=self.environment(binary))
        names, suite = [], ""
        for line in (listed.stdout if listed else "").splitlines():
            if not line.startswith(" "):
                suite = line.strip()
            elif line.strip():
                names.append(suite + line.split()[0])
        return names

    def failure(self, binary, gtest_filter, timeout):
        """The first test of the filter that fails (or how the program failed), else None."""
        result = run([self.program(binary), "--gtest_brief=1", "--gtest_filter=" + gtest_filter],
                     timeout=timeout, env=self.environment(binary))
        if result is None:
            return f"{binary} hangs"
        if result.returncode == 0:
            return None
        failed = re.search(r"\[  FAILED  \] (\S+)", result.stdout)
        return failed.group(1) if failed else f"{binary} exit {result.returncode}"

    def first_failure(self, binary, gtest_filter, timeout, each_alone=False):
        # The GL and end-to-end tests make and tear down windows, contexts and X servers: like
        # CTest, run each in a process of its own.
        if not each_alone:
            return self.failure(binary, gtest_filter, timeout)
        for name in self.tests(binary, gtest_filter):
            failure = self.failure(binary, name, timeout)
            if failure and (binary != E2E or self.failure(binary, name, timeout)):
                return failure
        return None

    def verdict(self):
        """"does not build", "killed by TEST" with the suite that killed, or "SURVIVED"."""
        if not self.build(UNIT, GL):
            return "does not build", None
        quick = "-" + ":".join(SLOW_TESTS)
        stages = [(GL, quick, self.timeout, True, "gl"),  # the GL program first: it is quick
                  (UNIT, quick, self.timeout, False, "unit"),
                  (UNIT, ":".join(SLOW_TESTS), self.timeout * 10, False, "unit"),
                  (E2E, "*", self.timeout * 4, True, "e2e")]
        for binary, gtest_filter, timeout, each_alone, suite in stages:
            # The program and its tools are built only for faults the quicker suites let by.
            if binary == E2E and not self.build(E2E):
                return "does not build", None
            failure = self.first_failure(binary, gtest_filter, timeout, each_alone)
            if failure:
                return f"killed by {failure}", suite
        return "SURVIVED", None


# --- the seeded sample ---------------------------------------------------------------------------

def code_only(line):
    """The line with comments, string and character literals blanked (same length)."""
    out, i, quote = list(line), 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out[i] = " "
                if i + 1 < len(line):
                    out[i + 1] = " "
                i += 2
                continue
            if c == quote:
                quote = None
            else:
                out[i] = " "
        elif c in "\"'":
            quote = c
        elif line.startswith("//", i):
            return "".join(out[:i]) + " " * (len(line) - i)
        i += 1
    return "".join(out)


REPLACEMENTS = {
    "comparison": [(r"(?<=\s)<(?=\s)", "<="), (r"(?<=\s)<=(?=\s)", "<"), (r"(?<=\s)>(?=\s)", ">="),
                   (r"(?<=\s)>=(?=\s)", ">"), (r"(?<=\s)==(?=\s)", "!="),
                   (r"(?<=\s)!=(?=\s)", "==")],
    "arithmetic": [(r"(?<=\s)\+(?=\s)", "-"), (r"(?<=\s)-(?=\s)", "+"), (r"(?<=\s)\*(?=\s)", "/"),
                   (r"(?<=\s)/(?=\s)", "*"), (r"(?<=\s)%(?=\s)", "*"), (r"(?<=\s)\+=(?=\s)", "-="),
                   (r"(?<=\s)-=(?=\s)", "+="), (r"(?<=\s)\*=(?=\s)", "/="),
                   (r"(?<=\s)/=(?=\s)", "*="), (r"\+\+", "--"), (r"(?<![-\w])--(?!\w*-)", "++")],
    "logic": [(r"(?<=\s)&&(?=\s)", "||"), (r"(?<=\s)\|\|(?=\s)", "&&"), (r"!(?=[\w(])", ""),
              (r"\btrue\b", "false"), (r"\bfalse\b", "true")],
}
# Returned values that already are the type's default: replacing them would change nothing.
DEFAULT_VALUES = {"{}", "0", "0.0", "0.0f", "false", "nullptr"}
LITERAL = re.compile(r"(?<![\w.])(\d+\.?\d*(?:[eE][-+]?\d+)?)([fFuUlL]*)(?![\w.])")
DECLARATION = re.compile(r"^(return|const|constexpr|static|using|auto|unsigned|signed|int|float|"
                         r"double|bool|char|void|std::|case|default|namespace|template|class|"
                         r"struct|enum|public|private|protected|typename|[A-Z]\w*\s*[&*]?\s+\w+)")


def plus_one(number):
    if re.fullmatch(r"\d+", number):
        return str(int(number) + 1)
    mantissa, _, exponent = number.lower().partition("e")
    whole, _, fraction = mantissa.partition(".")
    return f"{int(whole or 0) + 1}.{fraction}" + (f"e{exponent}" if exponent else "")


def sites_in(name, text):
    """Every fault the kinds above make in one source file: (kind, line, column, old, new)."""
    lines = text.split("\n")
    depth = 0  # braces: only code inside function bodies and initialisers is changed
    for number, line in enumerate(lines):
        code = code_only(line)
        stripped = code.strip()
        opening = depth
        depth += code.count("{") - code.count("}")
        if not stripped or stripped.startswith("#") or "static_assert" in code or opening == 0:
            continue
        for kind, rules in REPLACEMENTS.items():
            for pattern, new in rules:
                for match in re.finditer(pattern, code):
                    yield kind, number, match.start(), match.group(0), new
        for match in LITERAL.finditer(code):
            yield ("literal", number, match.start(), match.group(0),
                   plus_one(match.group(1)) + match.group(2))
        returned = re.match(r"^(\s*)return (.+);\s*$", code)
        if returned and returned.group(2).strip() not in DEFAULT_VALUES:
            yield "returned value", number, 0, line, returned.group(1) + "return {};"
        previous = code_only(lines[number - 1]).rstrip() if number else ""
        whole = previous.endswith((";", "{", "}")) and stripped.endswith(";")
        balanced = stripped.count("(") == stripped.count(")")
        if whole and balanced and not DECLARATION.match(stripped) and stripped != "break;":
            yield "deleted statement", number, 0, line, ""


def all_sites(tree):
    sites = []
    for folder in FOLDERS:
        for path in sorted((tree / folder).glob("*.cpp")):
            name = f"{folder}/{path.name}"
            text = path.read_text()
            if GENERATED_MARK in text.split("\n", 1)[0]:
                continue
            for kind, line, column, old, new in sites_in(name, text):
                sites.append({"file": name, "kind": kind, "line": line + 1, "column": column,
                              "old": old, "new": new})
    return sites


def planted(text, site):
    lines = text.split("\n")
    index, column, old = site["line"] - 1, site["column"], site["old"]
    line = lines[index]
    if site["kind"] in ("returned value", "deleted statement"):
        if line != old:
            return None
        lines[index] = site["new"]
    else:
        if line[column:column + len(old)] != old:
            return None
        lines[index] = line[:column] + site["new"] + line[column + len(old):]
    return "\n".join(lines)


def describe(site):
    if site["kind"] in ("returned value", "deleted statement"):
        what = f"{site['old'].strip()!r} -> {site['new'].strip()!r}"
    else:
        what = f"{site['old']!r} -> {site['new']!r} at column {site['column'] + 1}"
    return f"{site['file']}:{site['line']} {site['kind']}: {what}"


def score(results):
    lines = []
    for folder in SCORED + ["all"]:
        mine = [r for r in results if folder == "all" or r["file"].startswith(folder + "/")]
        built = [r for r in mine if r["verdict"] != "does not build"]
        killed = [r for r in built if r["verdict"].startswith("killed")]
        late = [r for r in killed if r.get("suite") == "e2e"]
        share = f"{100.0 * len(killed) / len(built):.0f}%" if built else "-"
        lines.append(f"{folder:9} {len(killed):4} of {len(built):4} built faults killed ({share},"
                     f" {len(late)} by e2e), {len(mine) - len(built)} did not build")
    return "\n".join(lines)


def key(site):
    return (site["file"], site["line"], site["column"], site["kind"], site["old"], site["new"])


def last_verdicts(results_file):
    """The latest result of each fault in a results file: a fault run again counts as rerun."""
    return {key(r): r for r in map(json.loads, open(results_file))}


def run_sites(sites, tree, suites, results_file):
    results = []
    for site in sites:
        path = tree / site["file"]
        original = path.read_text()
        changed = planted(original, site)
        result, suite = "not planted", None
        if changed is not None:
            path.write_text(changed)
            try:
                result, suite = suites.verdict()
            finally:
                path.write_text(original)
        results.append(dict(site, verdict=result, suite=suite))
        print(f"{describe(site)}  =>  {result}", flush=True)
        if results_file:
            with open(results_file, "a") as out:
                out.write(json.dumps(results[-1]) + "\n")
    return results


def run_hand_chosen(args, tree, suites):
    survivors = 0
    chosen = [f for f in FAULTS if not args.only or any(o in f[0] for o in args.only)]
    for name, file, old, new in chosen:
        path = tree / file
        original = path.read_text()
        if original.count(old) != 1:
            print(f"{name:36} NOT PLANTED: the text to replace is not in {file} exactly once")
            survivors += 1
            continue
        path.write_text(original.replace(old, new))
        try:
            result, suite = suites.verdict()
        finally:
            path.write_text(original)
        survivors += result == "SURVIVED"
        print(f"{name:36} {result}" + (f" ({suite})" if suite else ""), flush=True)
    print(f"{len(chosen) - survivors} of {len(chosen)} faults killed")
    return survivors == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scratch", default="/tmp/zelmor-mutants")
    parser.add_argument("--sample", type=int, help="plant this many faults drawn at random")
    parser.add_argument("--seed", type=int, default=1, help="seed of the sample")
    parser.add_argument("--list", action="store_true", help="print the sample, run nothing")
    parser.add_argument("--results", help="append one JSON line per fault to this file")
    parser.add_argument("--recheck", help="run again the survivors listed in this results file")
    parser.add_argument("--resume", action="store_true",
                        help="with --sample and --results: skip the faults the results file holds "
                        "as killed or not built; run the rest, its survivors again")
    parser.add_argument("--score", help="print the score of this results file (last verdicts)")
    parser.add_argument("--timeout", type=int, default=60,
                        help="seconds before a suite hangs (an end-to-end test: four times that)")
    parser.add_argument("--jobs", type=int, default=2, help="parallel jobs of each build")
    parser.add_argument("only", nargs="*", help="run only the faults whose name holds one of these")
    args = parser.parse_args()
    if args.score:
        print(score(list(last_verdicts(args.score).values())))
        return
    source = pathlib.Path(__file__).resolve().parent.parent
    scratch = pathlib.Path(args.scratch)
    tree, build_dir = scratch / "src", scratch / "build"
    copy_tree(source, tree)
    sites = None
    if args.sample:
        population = all_sites(tree)
        sites = random.Random(args.seed).sample(population, min(args.sample, len(population)))
        print(f"{len(sites)} faults drawn with seed {args.seed} from {len(population)} places",
              flush=True)
        if args.list:
            print("\n".join(describe(s) for s in sites))
            return
        if args.resume and args.results and os.path.exists(args.results):
            done = last_verdicts(args.results)
            sites = [s for s in sites
                     if done.get(key(s), {}).get("verdict", "SURVIVED") == "SURVIVED"]
            print(f"{len(sites)} of them still to run", flush=True)
    elif args.recheck:
        sites = [r for r in last_verdicts(args.recheck).values() if r["verdict"] == "SURVIVED"]
    # Without debug information and at -O1: the quickest to rebuild, and the results are the
    # same bits (no fused or reassociated arithmetic at any level).
    run(["cmake", "-S", str(tree), "-B", str(build_dir), "-DCMAKE_BUILD_TYPE=Release",
         "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG", "-DZELMOR_BENCH=OFF"], check=True)
    suites = Suites(build_dir, args.timeout, args.jobs)
    baseline, _ = suites.verdict()
    if baseline != "SURVIVED":
        sys.exit(f"the unchanged suite does not pass: {baseline}")
    if sites is None:
        passed = run_hand_chosen(args, tree, suites)
        suites.build(UNIT, GL, E2E)
        sys.exit(0 if passed else 1)
    results = run_sites(sites, tree, suites, args.results)
    suites.build(UNIT, GL, E2E)
    print(score(results))


if __name__ == "__main__":
    main()
