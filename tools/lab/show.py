"""Brivane's whole cycle on a fresh lab machine, as scripts/run.sh shows it: Brivane
started on the desktop and armed through its window with real clicks (drive C:\\, the
tools, the ending, Execute, Yes to "Restart Computer?"), the restart into Brivane as
the shell, the run with the stand-in disk tools, Explorer put back, and the restart
to the desktop (or the shutdown). On $DISPLAY when set, else on an Xvfb of its own.
Screenshots of each stage, the tools' log, Brivane.log and the boots go to
out/lab/run/; the machine stays in $BRIVANE_LAB_DIR (default /tmp/brivane-lab).

    python3 tools/lab/show.py [restart|shutdown] [both|scandisk]   (default restart both)
"""

import os
import shutil
import sys
from pathlib import Path

import wine
from brivane import Brivane
from lab import Lab


def main(ending="restart", tools="both"):
    if ending not in ("restart", "shutdown") or tools not in ("both", "scandisk"):
        sys.exit(__doc__)
    root = Path(os.environ.get("BRIVANE_LAB_DIR") or "/tmp/brivane-lab")
    shots = wine.OUT / "lab" / "run"
    shutil.rmtree(shots, ignore_errors=True)
    failure, lab, display = None, None, None
    try:
        display = wine.Display(root)
        lab = Lab(root, display, logs=shots, boot_timeout=180)
        lab.set_env(**{name: os.environ.get(name, "4000") for name in
                       ("BRIVANE_LAB_SCANDISK_MS", "BRIVANE_LAB_DEFRAG_MS")})
        lab.setup()
        print(f"show: on display {display.name}: arming {wine.BUILD / 'brivane.exe'} through "
              f"its window under {wine.LOADER}, then the run (about a minute)", flush=True)
        Brivane(lab, shots).cycle(ending, tools)
    except AssertionError as e:
        failure = str(e)
    except wine.Unavailable as e:
        sys.exit(f"show: cannot run: {e}")
    finally:
        # Nothing started here stays running, whatever went wrong.
        try:
            if lab:
                lab.teardown()
        finally:
            if display:
                display.stop()
    print("\nBoots:")
    for boot in lab.transcript:
        print(f"  {boot.line(trace=False)}")
    print("The disk tools' log (C:\\lab\\tools.log):")
    for line in lab.tools_log().splitlines():
        print(f"  {line}")
    if (log := shots / "Brivane.log").is_file():
        print("Brivane.log:")
        for line in log.read_text(encoding="latin-1").splitlines():
            print(f"  {line}")
    print(f"Screenshots and logs in {shots}/:")
    for path in sorted(shots.iterdir()):
        print(f"  {path.name}")
    if failure:
        sys.exit(f"show: FAIL: the run did not end as it should:\n{failure}")
    print(f"show: the whole cycle ran as it should: {wine.BUILD / 'brivane.exe'} under "
          f"{wine.LOADER}")


if __name__ == "__main__":
    main(*sys.argv[1:])
