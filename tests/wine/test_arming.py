"""Arming on the lab's Windows 98 machine (tools/lab), through real input: Brivane
installed in C:\\Program Files\\Brivane, a Windows 98 system.ini; the user picks drive
C:, unticks Defrag, chooses Restart, presses Execute and answers Yes. Then Brivane.ini
(exactly the six keys and the kept shell), system.ini (the 8.3 path of brivane.exe as
Shell, everything else unchanged) and that a restart, not a shutdown, was asked for.
Brivane started again shows the locked window (Execute gone, Exit moved, dim labels,
controls disabled), and the power is cut before its run timer would start the tools.
Screenshots stay in out/arming/."""

import re
import time
from pathlib import Path
from types import SimpleNamespace

import pytest
import wine
from brivane import EXE, FIRST_ITEM, Brivane, control_masks, label_masks
from lab import Outcome

SETTINGS = """[Configeration]
KeptShell="Explorer.exe"
Drive=C:\\
Scandisk=1
Defrag=0
Shutdown=False
Restart=True
Set=Yes"""


@pytest.fixture(scope="module")
def lab(new_lab, out):
    wine.require(*(wine.BUILD / f for f in ("brivane.exe", "tools/winprobe.exe",
                                            "tools/skincomp.exe")))
    machine = new_lab(out)
    yield machine
    machine.teardown()


@pytest.fixture(scope="module")
def armed(lab, out):
    """Armed through the window: drive C:, Defrag unticked, Restart, Execute, Yes."""
    brivane = Brivane(lab, out)
    lab.launch(EXE)
    window = brivane.main_window(60)
    time.sleep(1)
    lab.screen.shot(out / "interactive.png", window.rect)
    drive = window.control("lstDrive").screen
    lab.screen.click(drive.x + FIRST_ITEM[0], drive.y + FIRST_ITEM[1])
    for name in ("chkDefrag", "optRestart"):
        brivane.click(name, window)
    lab.screen.shot(out / "choices.png", window.rect)
    brivane.click("PicExecute", window)
    box = lab.wine.window("Restart Computer?", "#32770", wait=10)
    if box:
        time.sleep(0.3)
        lab.screen.shot(out / "confirm.png")
        lab.screen.focus("Restart Computer\\?")
        lab.screen.keys("Return")  # Yes is the box's default button
    boot = lab.finish()
    return SimpleNamespace(brivane=brivane, window=window, box=box, boot=boot)


def test_execute_asks_restart_computer_with_yes_and_no(armed):
    assert armed.box, "no \"Restart Computer?\" box"
    assert [c.caption for c in armed.box.children() if c.cls == "Button"] == ["&Yes", "&No"]


def test_a_restart_was_requested(armed):
    assert armed.boot.outcome == Outcome.RESTART, str(armed.boot)


def test_settings_file_holds_the_choices(armed):
    text = armed.brivane.settings_file.read_text().replace("\r", "")
    assert "\n".join(line for line in text.splitlines() if line) == SETTINGS


def test_shell_is_the_short_path_of_brivane(armed, lab):
    shell = lab.shell()
    assert re.fullmatch(r"[Cc]:(\\[^\\ ]{1,8}(\.[^\\ .]{1,3})?)+", shell), f"{shell} is not 8.3"
    _, unix = lab.wine.run("winepath", "-u", shell)
    assert unix.strip() and Path(unix.strip()).samefile(lab.brivane_dir / "brivane.exe"), \
        f"{shell} is {unix.strip()}, not brivane.exe"


def test_system_ini_otherwise_unchanged(armed, lab):
    assert lab.ini_diff() == []


@pytest.fixture(scope="module")
def locked(armed, lab, out, work):
    """Brivane started again after arming: its window, locked for the run, until the
    power is cut before the run timer (2 s) and the launcher's pause (10 s) are over."""
    lab.clear_tools_log()
    lab.launch(EXE)
    window = armed.brivane.main_window(60)
    shown = time.monotonic()
    time.sleep(1.5)
    picture = lab.screen.shot(out / "locked.png", window.rect)
    lab.power_cut()
    boot = lab.finish()
    want = lab.wine.skincomp(
        wine.REPO / "resources" / "main.jpg", work / "locked.ppm", 427, 348,
        ["fill:000000", "frame:0,-1,427,22", "frame:0,21,427,327", "piece:0,48,425,21@1,0,425,20",
         "piece:0,97,425,329@1,22,425,325", "piece:0,502,73,39@19,273,73,39",
         "piece:0,469,66,32@177,310,57,25", "piece:0,544,73,39@66,303,73,39",
         "piece:209,478,14,14@405,5,13,12"])
    return SimpleNamespace(window=window, picture=picture, boot=boot, want=want,
                           seconds=time.monotonic() - shown, tools_log=lab.tools_log())


def test_locked_window_ended_before_the_tools(locked):
    assert locked.boot.outcome == Outcome.POWER_CUT, str(locked.boot)
    assert locked.tools_log == "", f"the tools ran:\n{locked.tools_log}"
    assert locked.seconds < 12, f"the power cut came {locked.seconds:.0f} s after the window"


def test_locked_execute_gone_exit_moved(locked):
    # The body as the sheet has it, with Exit at 176 in the body and no Execute.
    wine.assert_picture(locked.picture, locked.want, masks=control_masks(locked.window))
    execute, exit_ = (locked.window.control(n) for n in ("PicExecute", "picExit"))
    assert (str(execute.rect), execute.visible, execute.enabled) == ("284,257,105,28", False, True)
    assert (str(exit_.rect), exit_.visible, exit_.enabled) == ("176,288,57,25", True, True)


def test_locked_labels_dim_and_captions_greyed(locked):
    w = locked.window
    labels = label_masks(w)
    options = [w.in_window(w.control(n)) for n in ("optShutdown", "optRestart")]
    dim = sum(wine.count_colour(locked.picture, r, "C0C000") for r in labels)
    bright = sum(wine.count_colour(locked.picture, r, "FFFF00") for r in labels)
    assert dim > 20 and bright == 0, f"tool labels: {dim} dim, {bright} bright yellow pixels"
    bright = sum(wine.count_colour(locked.picture, r, "FFFF00") for r in options)
    assert bright == 0, f"option captions: {bright} bright yellow pixels"


def test_locked_controls_disabled(locked, out, work):
    w = locked.window
    names = ("lstDrive", "chkDefrag", "chkScanDisk", "optShutdown", "optRestart")
    assert {n: w.control(n).enabled for n in names} == dict.fromkeys(names, False)
    # A disabled check box looks so: the ticked Scandisk box differs from its enabled look.
    box = w.in_window(w.control("chkScanDisk"))
    n = wine.differing_pixels(wine.crop(out / "choices.png", box, work / "box_on.png"),
                              wine.crop(locked.picture, box, work / "box_off.png"), 1)
    assert n > 10, f"the disabled Scandisk box differs from the enabled one by {n} px"
