#!/usr/bin/env python3
"""Mutation check: puts each hand-made fault of tests/mutation/mutants.py into the
program in turn, builds the native tests, runs the fast suite and puts the
code back. A fault no test catches is a hole in the tests.

  python3 tests/mutation/mutation.py              # every fault, fast suite
  python3 tests/mutation/mutation.py 3 17         # some of them
  python3 tests/mutation/mutation.py --slow ...   # survivors also against the slow tests

Needs a configured native build (cmake --preset native), and for the faults in
code only the Windows builds have, a configured Windows build (--windows, default
the win64 one) whose tests under Wine run here: those faults build crt_check.exe
and run wine.runtime. The source tree is restored after every fault, also when
the script is interrupted.
"""
import argparse
import pathlib
import re
import runpy
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
SLOW = "LongRun|FailureSweep|PowerLoss"
# The source checks read the text, not what it does: a fault written on one line
# would be "caught" by clang-format.
SOURCE_CHECKS = "^format$|^layering$"
# What the fast suite runs: both test executables, not only the program's.
NATIVE_TARGETS = ["brivane_tests", "contract_tests"]
# The Windows-only code's checks: the own C library and the stand-ins in crt_check.exe.
WINDOWS_TARGETS = ["crt_check"]
WINDOWS_TESTS = "^wine.runtime$"


def load(path):
    return runpy.run_path(path)["MUTANTS"]


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=ROOT, capture_output=True, text=True, **kw)


def failed_tests(output):
    tail = output.split("The following tests FAILED:")[-1]
    return re.findall(r"^\s*\d+ - (\S+)", tail, re.M)


# A fault is caught by its first failing test: the rest of the suite is not run.
def ctest(build, args):
    r = run(["ctest", "--test-dir", build, "-j2", "--stop-on-failure"] + args)
    return [] if r.returncode == 0 else failed_tests(r.stdout) or ["(ctest failed)"]


def build_targets(build, targets):
    return run(["cmake", "--build", build, "-j2", "--target"] + targets)


def check(mutant, opts):
    number, path, before, after, what = mutant[:5]
    windows = len(mutant) > 5
    build = opts.windows if windows else opts.build
    source = ROOT / path
    text = source.read_text()
    if text.count(before) != 1:
        return "NOT APPLIED", [f"the text occurs {text.count(before)} times in {path}"]
    try:
        source.write_text(text.replace(before, after))
        r = build_targets(build, WINDOWS_TARGETS if windows else NATIVE_TARGETS)
        if r.returncode != 0:
            return "DOES NOT BUILD", [r.stdout[-2000:]]
        caught = ctest(build, ["-R", WINDOWS_TESTS] if windows else ["-E", f"{SLOW}|{SOURCE_CHECKS}"])
        if caught:
            return "caught", caught
        if opts.slow and not windows:
            caught = ctest(build, ["-R", SLOW])
            if caught:
                return "caught by the slow tests only", caught
        return "SURVIVED", []
    finally:
        source.write_text(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("ids", nargs="*", type=int)
    parser.add_argument("--list", default=str(ROOT / "tests" / "mutation" / "mutants.py"))
    parser.add_argument("--build", default="build/native")
    parser.add_argument("--windows", default="build/win64")
    parser.add_argument("--slow", action="store_true")
    parser.add_argument("--native-only", action="store_true")
    opts = parser.parse_args()
    mutants = [m for m in load(opts.list) if (not opts.ids or m[0] in opts.ids) and
               not (opts.native_only and len(m) > 5)]
    survivors = 0
    started = time.monotonic()
    for mutant in mutants:
        verdict, detail = check(mutant, opts)
        survivors += verdict != "caught"
        print(f"{mutant[0]:2}  {verdict:14}  {mutant[4]}")
        for line in detail[:4]:
            print(f"      {line}")
        sys.stdout.flush()
    # The last fault's file is back: build once more so the tree's tests are current.
    build_targets(opts.build, NATIVE_TARGETS)
    if any(len(m) > 5 for m in mutants):
        build_targets(opts.windows, WINDOWS_TARGETS)
    minutes = (time.monotonic() - started) / 60
    print(f"{len(mutants) - survivors} of {len(mutants)} caught by the fast suite"
          f" (or, for the Windows-only code, {WINDOWS_TESTS}) in {minutes:.1f} min")
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
