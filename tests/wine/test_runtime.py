"""The program's own C library (platform/win32/crt) under Wine, in
tools/crt_check.exe, which is linked on it as brivane.exe is: the start (WinMain's
arguments, the global constructors), the end (atexit's functions and the
destructors, last first, and the exit status), the heap and the memory and string
functions, exceptions thrown and caught, std::bad_alloc, and std::terminate:
abort's message box, answered here, then status 3. Where no 32-bit program runs
this is the x86-64 build; test_release.py checks the i686 one statically."""

import shutil
import subprocess

import pytest
import wine

FOLDER = r"C:\Check Dir"
EXE = FOLDER + r"\crt_check.exe"


@pytest.fixture(scope="module")
def check(prefix):
    """crt_check.exe in a folder whose name has a blank; returns the folder."""
    wine.require(wine.BUILD / "tools" / "crt_check.exe", wine.BUILD / "tools" / "winprobe.exe",
                 wine.BUILD / "standins" / "labstart.exe")
    folder = prefix.drive_c / "Check Dir"
    folder.mkdir()
    shutil.copy(wine.BUILD / "tools" / "crt_check.exe", folder)
    return folder


def log(check):
    """The lines crt_check wrote, and a fresh log for the next case."""
    path = check / "crt_check.log"
    lines = path.read_text().splitlines() if path.exists() else []
    path.unlink(missing_ok=True)
    return lines


def test_start_and_end(prefix, check):
    # Started as Brivane starts the disk tools: a quoted program name, then blanks.
    status, out = prefix.run(wine.BUILD / "standins" / "labstart.exe", 7,
                             f'"{EXE}"  \tstart "two words" plain', "--wait")
    assert status == 7, out
    exits = [f"exit function {n}" for n in range(39, -1, -1)]
    assert log(check) == [
        'command tail [start "two words" plain]',
        "show 7",
        "constructed first 1 second 2",
        "constructed local static",
        "exit function that registers another",
        "exit function registered while exiting",
        *exits,
        "destroyed local static",
        "destroyed second",
        "destroyed first",
    ]


def test_heap_memory_and_strings(prefix, check):
    status, _ = prefix.run(EXE, "library")
    lines = log(check)
    assert status == 0 and lines[0].startswith("checked ") and lines[0].endswith(", 0 failed"), \
        "\n".join(lines)


def test_errors_are_thrown_and_caught(prefix, check):
    status, _ = prefix.run(EXE, "errors")
    assert (status, log(check)) == (0, [
        "caught error 13 Type mismatch, 6 frames unwound",
        "caught as std::exception: File not found",
        "rethrown 42",
        "caught basic_string::substr: __pos (which is 5) > this->size() (which is 3)",
        "caught bad_function_call",
        "caught std::bad_alloc",
        "destroyed second",
        "destroyed first",
    ])


def test_terminate_shows_a_box_then_ends(prefix, screen, check, out):
    process = prefix.start(EXE, "terminate", log=out / "terminate.txt")
    try:
        probe = ["--class", "#32770", "--caption", "Runtime Error"]
        status, found = prefix.run(wine.BUILD / "tools" / "winprobe.exe", *probe, "--wait", 60,
                                   timeout=120)
        assert status == 0, "no message box from abort"
        box = wine.parse_probe(found)[0]
        if box:
            screen.shot(out / "terminate.png", box[0].rect)
        text = f'caption="Program: {EXE}\n\nabnormal program termination"'
        assert text in found, found
        prefix.run(wine.BUILD / "tools" / "winprobe.exe", *probe, "--close")
        assert process.wait(timeout=60) == 3
    except subprocess.TimeoutExpired:
        process.kill()
        raise
    assert log(check) == [], "the process went on after std::terminate"
