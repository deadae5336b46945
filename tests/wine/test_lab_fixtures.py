"""The lab without Brivane: the machine as set up, the stand-in disk tools come and go
as a run expects, their prompts give way to Brivane's button presses, system.ini
changes through the profile functions as Windows makes them, and a boot tells
Explorer, a restart, a shutdown, a shell that just ends and a power cut apart."""

import re
import time

import pytest
from lab import SCREEN_SAVER_KEY, Outcome

SHORT_PATH = r"C:\PROG~FBU\Brivane\brivane.exe"


@pytest.fixture(scope="module")
def lab(new_lab, out):
    machine = new_lab(out)
    yield machine
    machine.teardown()


def expect_log(lab, *texts, seconds=15):
    for text in texts:
        lab.wait_log(re.escape(text), seconds)


def test_machine_as_set_up(lab):
    assert lab.shell() == "Explorer.exe"
    assert lab.ini_get("system.ini", "Boot", "Shell") == "Explorer.exe"
    assert lab.ini_diff() == []
    assert (lab.windows / "scandskw.exe").is_file() and (lab.windows / "Defrag.exe").is_file()
    owner = lab.reg(r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion", "RegisteredOwner")
    assert owner == "REG_SZ Lab Owner"
    assert lab.reg(SCREEN_SAVER_KEY, "ScreenSaveActive") == "REG_SZ 1"


def test_new_session_reads_the_stored_screen_saver_setting(lab):
    # What makes "on again after the run" mean anything: Wine's default is on too.
    for stored in ("0", "1"):
        lab.wine.run("reg", "add", SCREEN_SAVER_KEY, "/v", "ScreenSaveActive", "/t", "REG_SZ",
                     "/d", stored, "/f")
        lab.kill_session()
        assert lab.guard() == (stored, None)
        lab.kill_session()


def test_scandisk_comes_works_and_goes(lab):
    lab.set_env(BRIVANE_LAB_SCANDISK_MS=3000)
    lab.start(4, r"c:\windows\scandskw.exe C: /n")
    lab.screen.wait_x_window("^ScanDisk - C:$", 10)
    shown = time.monotonic()
    lab.screen.wait_x_window_gone("^ScanDisk - C:$", 10)
    assert time.monotonic() - shown >= 2, "the ScanDisk window went at once"
    expect_log(lab, r"scandskw start show=4 cmdline=c:\windows\scandskw.exe C: /n",
               "scandskw screensaver active=1",
               "scandskw window shown caption=ScanDisk - C: foreground=no",
               "scandskw done after", "scandskw exit")


def test_scandisk_closed_early_as_exit_does(lab):
    lab.clear_tools_log()
    lab.start(4, r"c:\windows\scandskw.exe d: /n", env={"BRIVANE_LAB_SCANDISK_MS": 60000})
    lab.screen.wait_x_window("^ScanDisk - D:$", 10)
    assert lab.guard("ScanDisk - D:") == ("1", "allowed")
    assert lab.guard("ScanDisk") == ("1", "no window")  # whole captions only
    assert lab.close("scandisk") == 0
    expect_log(lab, "scandskw closed by WM_CLOSE", "scandskw exit")
    lab.screen.wait_x_window_gone("^ScanDisk - D:$", 5)
    assert "scandskw done" not in lab.tools_log(), "ScanDisk finished although it was closed"


def test_scandisk_question_answered_no(lab):
    lab.clear_tools_log()
    lab.start(4, r"c:\windows\scandskw.exe C: /n",
              env={"BRIVANE_LAB_SCANDISK_MS": 1000, "BRIVANE_LAB_SCANDISK_PROMPT_MS": 500})
    assert lab.press("ScanDisk - C:", "&No", 10000) == 0
    expect_log(lab, "scandskw answer No", "scandskw exit")


def test_defrag_final_box_answered_yes(lab, out):
    lab.clear_tools_log()
    lab.set_env(BRIVANE_LAB_DEFRAG_MS=2000)
    lab.start(1, "Defrag.exe C:")
    lab.screen.wait_x_window("^Defragmenting Drive C$", 10)
    expect_log(lab, "Defrag start show=1 cmdline=Defrag.exe C:", "Defrag screensaver active=1",
               "Defrag prompt shown caption=Disk Defragmenter")
    lab.screen.wait_x_window("^Disk Defragmenter$", 10)
    lab.screen.shot(out / "defrag-prompt.png")
    # Button captions keep their ampersand: "Yes" alone is no button of the box.
    assert lab.press("Disk Defragmenter", "Yes") == 2
    assert lab.press("Disk Defragmenter", "&Yes", 5000) == 0
    expect_log(lab, "Defrag answer Yes", "Defrag exit")
    assert lab.press("Disk Defragmenter", "&Yes") == 1


def test_defrag_final_box_answered_no(lab):
    lab.clear_tools_log()
    lab.start(4, r"c:\windows\Defrag.exe C: /n")
    assert lab.press("Disk Defragmenter", "&No", 10000) == 0
    expect_log(lab, "Defrag answer No", "Defrag exit")


def test_profile_functions_change_only_what_they_write(lab):
    assert lab.ini_set("system.ini", "Boot", "Shell", SHORT_PATH) == 0
    assert lab.shell() == SHORT_PATH
    assert lab.ini_diff() == []
    assert lab.ini_set("system.ini", "vcache", "MaxFileCache", "1") == 0
    assert "+[vcache] maxfilecache=1" in lab.ini_diff()
    assert lab.ini_set(r"C:\windows\system.ini", "vcache", "MaxFileCache", "16384") == 0
    assert lab.ini_diff() == []


@pytest.mark.parametrize("shell, outcome, logged", [
    ("EXPLORER.EXE", Outcome.DESKTOP, []),
    (r"C:\lab\labexit.exe reboot", Outcome.RESTART,
     ["labexit request reboot flags=2 accepted", "labexit WM_ENDSESSION ending=1"]),
    (r"C:\lab\labexit.exe shutdown", Outcome.SHUTDOWN,
     ["labexit request shutdown flags=1 accepted"]),
    (r"C:\lab\labexit.exe none 200", Outcome.ENDED, []),
])
def test_boot_tells_how_the_shell_ended(lab, shell, outcome, logged):
    lab.clear_tools_log()
    lab.set_shell(shell)
    boot = lab.boot()
    assert boot.outcome == outcome, str(boot)
    expect_log(lab, *logged)


def test_cycle_boots_again_after_each_restart(lab):
    # A shell that puts Explorer back and restarts, then the desktop.
    (lab.wine.drive_c / "lab" / "finish.bat").write_bytes(
        b"@echo off\r\nC:\\lab\\labini.exe set system.ini Boot Shell Explorer.exe\r\n"
        b"C:\\lab\\labexit.exe reboot\r\n")
    lab.set_shell(r"C:\windows\system32\cmd.exe /c C:\lab\finish.bat")
    boots = [b.outcome for b in lab.cycle(4)]
    assert boots == [Outcome.RESTART, Outcome.DESKTOP], str(lab.transcript[-len(boots):])
    assert lab.ini_diff() == []
    lab.set_shell(r"C:\lab\labexit.exe reboot")
    assert [b.outcome for b in lab.cycle(2)] == [Outcome.RESTART] * 2


def test_power_cut_in_the_middle_of_a_boot(lab):
    lab.clear_tools_log()
    lab.launch(r"C:\lab\labexit.exe", "none", "60000")
    lab.wait_log("labexit start", 15)
    cut = time.monotonic()
    lab.power_cut()
    boot = lab.finish()
    assert boot.outcome == Outcome.POWER_CUT, str(boot)
    assert time.monotonic() - cut < 30, "the boot outlived the power cut"
    assert "labexit exit" not in lab.tools_log(), "the shell ended normally despite the cut"
