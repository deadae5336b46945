#!/usr/bin/env python3
"""Mutation check: puts each hand-made fault of tests/mutation/mutants.py into the
program in turn, builds the native tests, runs the fast suite and puts the
code back. A fault no test catches is a hole in the tests.

  python3 tests/mutation/mutation.py              # every fault, fast suite
  python3 tests/mutation/mutation.py 3 17         # some of them
  python3 tests/mutation/mutation.py --slow ...   # survivors also against the slow tests

Needs a configured native build (cmake --preset native). The source tree is
restored after every fault, also when the script is interrupted.
"""
import argparse
import pathlib
import re
import runpy
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
SLOW = "LongRun|FailureSweep|PowerLoss"


def load(path):
    return runpy.run_path(path)["MUTANTS"]


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=ROOT, capture_output=True, text=True, **kw)


def failed_tests(output):
    tail = output.split("The following tests FAILED:")[-1]
    return re.findall(r"^\s*\d+ - (\S+)", tail, re.M)


def ctest(build, args):
    r = run(["ctest", "--test-dir", build, "-j2"] + args)
    return [] if r.returncode == 0 else failed_tests(r.stdout) or ["(ctest failed)"]


def check(mutant, build, slow):
    number, path, before, after, what = mutant
    source = ROOT / path
    text = source.read_text()
    if text.count(before) != 1:
        return "NOT APPLIED", [f"the text occurs {text.count(before)} times in {path}"]
    try:
        source.write_text(text.replace(before, after))
        r = run(["cmake", "--build", build, "--target", "brivane_tests", "-j2"])
        if r.returncode != 0:
            return "DOES NOT BUILD", [r.stdout[-2000:]]
        caught = ctest(build, ["-E", SLOW])
        if caught:
            return "caught", caught
        if slow:
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
    parser.add_argument("--slow", action="store_true")
    opts = parser.parse_args()
    mutants = [m for m in load(opts.list) if not opts.ids or m[0] in opts.ids]
    survivors = 0
    for mutant in mutants:
        verdict, detail = check(mutant, opts.build, opts.slow)
        survivors += verdict != "caught"
        print(f"{mutant[0]:2}  {verdict:14}  {mutant[4]}")
        for line in detail[:4]:
            print(f"      {line}")
        sys.stdout.flush()
    # The last fault's file is back: build once more so the tree's tests are current.
    run(["cmake", "--build", opts.build, "--target", "brivane_tests", "-j2"])
    print(f"{len(mutants) - survivors} of {len(mutants)} caught by the fast suite")
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
