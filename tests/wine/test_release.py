"""The release package of the win32 build, brivane-VERSION.zip: exactly brivane.exe,
Help.chm and README.txt, the first two byte for byte as built, the README in CRLF and
plain ASCII with what a Windows user needs to know; and the Windows 95 import check
of the brivane.exe it holds: it imports from KERNEL32, USER32, GDI32 and ADVAPI32
only, every function it imports is exported by the Windows 95 DLLs (lists in
../shared/win9x), and one that 9x only stubs fails unless it stands below with the
reason its failure does no harm. Its start-up, which no test here runs (the tests
under Wine run the x86-64 build where no 32-bit program runs), is checked in the
linker's map: the own C library's entry point, the exception tables registered.
(Instructions newer than the 486 fail the build itself: cmake/runtime486/check486.sh.)"""

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

# Every Windows 95 has these; the C runtime is the program's own (platform/win32/crt),
# and anything else is loaded at run time.
SYSTEM_DLLS = {"kernel32", "user32", "gdi32", "advapi32"}

# Stubbed on 9x, imported by the runtime, harmless there.
ALLOWED_STUBS = {
    # libgcc's thread and unwinder support creates a semaphore only when a second
    # thread contends for a lock; the program has one thread.
    ("kernel32", "CreateSemaphoreW"),
}

README_MENTIONS = (f"Brivane {VERSION}", "Windows 95 (every release", "Windows 98",
                   "Windows 98 SE", "Windows ME", "nothing else installed", "486 processor",
                   "support@brivane.co.uk", "Brivane.ini", "[Configeration]",
                   "shell=Explorer.exe", "system.ini", "Exit")


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


@pytest.fixture(scope="module")
def shipped_exe(package, tmp_path_factory):
    """The brivane.exe of the zip, as a file."""
    exe = tmp_path_factory.mktemp("shipped") / "brivane.exe"
    exe.write_bytes(package["brivane.exe"])
    return exe


def objdump(*args):
    return subprocess.run(["i686-w64-mingw32-objdump", *map(str, args)], check=True,
                          capture_output=True, text=True).stdout


def imports(exe):
    """(dll, name) pairs of the import table; '#N' for an import by ordinal."""
    found, dll = set(), None
    for line in objdump("-p", exe).splitlines():
        if line.startswith("\tDLL Name:"):
            dll = line.split()[-1].lower().removesuffix(".dll")
        elif dll and re.match(r"\t[0-9a-f]+\t", line):
            fields = line.split()
            found.add((dll, "#" + fields[1] if fields[-1] == "<none>" else fields[-1]))
    return found


def test_it_imports_from_the_four_system_dlls_only(shipped_exe):
    found = imports(shipped_exe)
    assert found, "no import table"
    others = sorted({dll for dll, _ in found} - SYSTEM_DLLS)
    assert not others, f"brivane.exe imports from {others}, which a Windows 95 may lack"


def test_every_import_is_in_windows_95(shipped_exe):
    wine.require(LISTS / "kernel32.txt")
    found = imports(shipped_exe)
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


def symbols():
    """name -> address of brivane.sym, the shipped file's symbols."""
    dump = subprocess.run(["i686-w64-mingw32-nm", str(wine.BUILD / "brivane.sym")],
                          check=True, capture_output=True, text=True).stdout
    return {f[2]: int(f[0], 16) for f in map(str.split, dump.splitlines()) if len(f) == 3}


def words(exe, address, count):
    """`count` 32-bit words of the executable's image from `address` on."""
    dump = objdump("-s", f"--start-address={address:#x}", f"--stop-address={address + 4 * count:#x}",
                   exe)
    data = b"".join(bytes.fromhex("".join(line[1:45].split()[1:]))
                    for line in dump.splitlines() if re.match(r" [0-9a-f]+ ", line))
    return [int.from_bytes(data[i:i + 4], "little", signed=True) for i in range(0, len(data), 4)]


def test_the_start_up_is_the_own_c_librarys(shipped_exe):
    wine.require(wine.BUILD / "brivane.sym", wine.BUILD / "brivane.exe.map")
    syms = symbols()
    start = int(re.search(r"start address (0x[0-9a-f]+)", objdump("-f", shipped_exe))[1], 16)
    assert start == syms["_WinMainCRTStartup"], "the entry point is not the own C library's"
    layout = (wine.BUILD / "brivane.exe.map").read_text()
    assert re.search(r"\.text\$WinMainCRTStartup\s+0x[0-9a-f]+\s+0x[0-9a-f]+ \S*\(startup\.cpp\.obj\)",
                     layout), "WinMainCRTStartup does not come from platform/win32/crt/startup.cpp"
    # The i686 unwinder walks .eh_frame from crtbegin.o's start to crtend.o's end mark.
    tables = [f for _, size, f in re.findall(r"^ \.eh_frame\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+) (\S+)",
                                             layout, re.M) if int(size, 16)]
    assert tables[0].endswith("/crtbegin.o") and tables[-1].endswith("/crtend.o"), tables
    # The constructors, -1 then the functions up to a 0: crtend.o's registers the
    # tables with the unwinder, and runs first, as the list runs from its end.
    ctors = words(shipped_exe, syms["___CTOR_LIST__"], 16)
    assert ctors[0] == -1 and 0 in ctors, ctors
    listed = ctors[1:ctors.index(0)]
    assert listed[-1] == syms["_register_frame_ctor"], [hex(c) for c in listed]
    # crtbegin.o calls the unwinder's registration only if it is linked (a weak call).
    assert syms.get("___register_frame_info"), "the unwinder's registration is not linked"
