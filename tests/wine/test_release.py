"""The release package of the win32 build, brivane-VERSION.zip: exactly brivane.exe,
Help.chm and README.txt, the first two byte for byte as built, the README in CRLF and
plain ASCII with what a Windows user needs to know; and the Windows 95 import check
of the brivane.exe it holds: every function it imports is exported by the Windows 95
DLLs (lists in ../shared/win9x), and one that 9x only stubs fails unless it stands
below with the reason its failure does no harm. (Instructions newer than the 486 fail
the build itself: cmake/runtime486/check486.sh.)"""

import os
import re
import subprocess
import zipfile
from pathlib import Path

import pytest

import wine

VERSION = re.search(r"set\(BRIVANE_VERSION ([0-9.]+)\)",
                    (wine.REPO / "cmake" / "Version.cmake").read_text()).group(1)
ZIP = wine.BUILD / f"brivane-{VERSION}.zip"
LISTS = Path(os.environ.get("BRIVANE_WIN9X_LISTS") or wine.REPO.parent / "shared" / "win9x")

# Stubbed on 9x, imported by the runtime, harmless there.
ALLOWED_STUBS = {
    # libgcc's thread and unwinder support creates a semaphore only when a second
    # thread contends for a lock; the program has one thread.
    ("kernel32", "CreateSemaphoreW"),
    # The CRT's codepage and rand_s emulation try the W call and fall back to the A
    # call when it fails, which it always does on 9x.
    ("kernel32", "GetModuleHandleW"),
    ("kernel32", "LoadLibraryW"),
}

README_MENTIONS = (f"Brivane {VERSION}", "Windows 95", "Windows 98", "Windows ME",
                   "486 processor", "MSVCRT.DLL", "support@brivane.co.uk", "Brivane.ini",
                   "[Configeration]", "shell=Explorer.exe", "system.ini", "Exit")


@pytest.fixture(scope="module")
def package():
    wine.require(ZIP)
    with zipfile.ZipFile(ZIP) as z:
        return {name: z.read(name) for name in z.namelist()}


@pytest.fixture(scope="module")
def readme(package):
    return package["README.txt"]


def test_the_zip_holds_the_three_files_as_built(package):
    assert sorted(package) == ["Help.chm", "README.txt", "brivane.exe"]
    for name in ("brivane.exe", "Help.chm"):
        assert package[name] == (wine.BUILD / name).read_bytes(), f"{name} is not the one built"


def test_the_readme_is_crlf_ascii_and_fits_79_columns(readme):
    assert readme.endswith(b"\r\n")
    assert readme.count(b"\n") == readme.count(b"\r\n") == readme.count(b"\r")
    bad = [b for b in set(readme) if not (32 <= b < 127 or b in b"\t\r\n")]
    assert not bad, f"bytes that are not plain ASCII: {sorted(bad)}"
    long = [n for n, line in enumerate(readme.split(b"\r\n"), 1) if len(line) > 79]
    assert not long, f"lines longer than 79 columns: {long}"


@pytest.mark.parametrize("text", README_MENTIONS)
def test_the_readme_mentions(readme, text):
    assert text.encode() in readme


def imports(exe):
    """(dll, name) pairs of the import table; '#N' for an import by ordinal."""
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(exe)], check=True,
                          capture_output=True, text=True).stdout
    found, dll = set(), None
    for line in dump.splitlines():
        if line.startswith("\tDLL Name:"):
            dll = line.split()[-1].lower().removesuffix(".dll")
        elif dll and re.match(r"\t[0-9a-f]+\t", line):
            fields = line.split()
            found.add((dll, "#" + fields[1] if fields[-1] == "<none>" else fields[-1]))
    return found


def test_every_import_is_in_windows_95(package, tmp_path):
    wine.require(LISTS / "kernel32.txt")
    exe = tmp_path / "brivane.exe"
    exe.write_bytes(package["brivane.exe"])
    found = imports(exe)
    assert found, "no import table"
    stubs = {tuple(line.split()) for line in (LISTS / "stubs.txt").read_text().splitlines()
             if line and not line.startswith("#")}
    unchecked, missing, stubbed = [], [], []
    for dll, name in sorted(found):
        listing = LISTS / f"{dll}.txt"
        if not listing.exists():
            unchecked.append(f"{dll} {name}")
        elif name not in listing.read_text().split():
            missing.append(f"{dll} {name}")
        elif (dll, name) in stubs and (dll, name) not in ALLOWED_STUBS:
            stubbed.append(f"{dll} {name}")
    print(f"{len(found)} functions from {' '.join(sorted({d for d, _ in found}))}")
    assert not unchecked, f"imports from DLLs without an export list: {unchecked}"
    assert not missing, f"Windows 95 does not export: {missing}"
    assert not stubbed, f"Windows 9x only stubs: {stubbed}"
