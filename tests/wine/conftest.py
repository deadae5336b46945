"""Fixtures of the tests under Wine: a display, a fresh Windows 98 prefix, the
case's folder in out/ (printed when a test fails), and the lab machine.
WT_KEEP=1 keeps the prefixes and work folders for a look afterwards."""

import os
import shutil
import sys
import tempfile
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "lab"))
import wine  # noqa: E402
from lab import Lab  # noqa: E402

# Folders in out/ by the node (module or test) that made them.
_FOLDERS = {}
REPORTS = pytest.StashKey[dict]()


def out_folder(node, *parts):
    """A fresh folder out/PARTS for a module's or a test's screenshots and logs."""
    folder = wine.OUT.joinpath(*parts)
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    _FOLDERS.setdefault(node.nodeid, []).append(folder)
    return folder


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    report = (yield).get_result()
    item.stash.setdefault(REPORTS, {})[report.when] = report
    if report.failed:
        folders = [str(f) for node, fs in _FOLDERS.items() for f in fs
                   if item.nodeid == node or item.nodeid.startswith(node + "::")]
        if folders:
            report.sections.append(("screenshots and logs", "\n".join(folders)))


def _work(prefix):
    folder = Path(tempfile.mkdtemp(prefix=prefix))
    yield folder
    if os.environ.get("WT_KEEP") == "1":
        print(f"kept {folder}")
    else:
        shutil.rmtree(folder, ignore_errors=True)


@pytest.fixture(scope="module")
def work():
    """A throwaway folder for the module: prefixes, pictures."""
    yield from _work("brivane-wine.")


@pytest.fixture(scope="module")
def out(request):
    """out/NAME for a test file test_NAME.py."""
    return out_folder(request.node, request.module.__name__.removeprefix("test_"))


@pytest.fixture(scope="module")
def display(work):
    d = wine.Display(work)
    yield d
    d.stop()


@pytest.fixture(scope="module")
def screen(display):
    return wine.Screen(display)


@pytest.fixture(scope="module")
def prefix(work, display, out):
    """A fresh prefix of the build's architecture set up as Windows 98, with its fonts."""
    machine = wine.Wine(work / "prefix", display)
    machine.create(out / "wineboot.log")
    yield machine
    machine.close()


@pytest.fixture(scope="module")
def new_lab(work, display):
    """Makes a fresh lab machine (see tools/lab) whose logs go to a folder, in a
    language of lab.EDITIONS; the test ends it with teardown()."""
    def make(logs, boot_timeout=300, language="en", **settings):
        lab = Lab(work / "lab", display, logs=logs, boot_timeout=boot_timeout,
                  language=language)
        lab.set_env(**settings)
        lab.setup()
        return lab
    return make
