"""The keyboard in the main window of the Windows build under Wine, as a Windows 98
user expects it: Tab and Shift+Tab move among the standard controls in their tab
order (Defrag, Scandisk, the drive list, ...), Space ticks the focused box, Home
picks the first drive, Alt+R and Alt+D work the captions' access keys. The mouse
still presses Execute; the choices reach Brivane.ini. Screenshots stay in
out/keyboard/."""

import shutil
import time

import pytest
import wine
from lab import Ini


@pytest.fixture(scope="module")
def app(prefix, screen, out, work):
    wine.require(wine.BUILD / "brivane.exe", wine.BUILD / "tools" / "winprobe.exe")
    folder = prefix.drive_c / "Brivane"
    folder.mkdir()
    shutil.copy(wine.BUILD / "brivane.exe", folder)
    prefix.start("brivane.exe", log=out / "brivane.log", cwd=folder)
    window = prefix.window("Brivane", "BrivaneForm", wait=60)
    assert window, "the main window did not appear"
    screen.wait_x_window("^Brivane$", 10)
    time.sleep(1)
    screen.focus("^Brivane$")
    box = window.in_window(window.control("chkDefrag"))

    def defrag_box(name):
        """The Defrag box as it looks now."""
        whole = screen.shot(out / f"{name}.png", window.rect)
        return wine.crop(whole, box, work / f"box_{name}.png")

    return window, defrag_box, folder


def test_tab_reaches_defrag_and_space_unticks_it(app, screen):
    _, defrag_box, _ = app
    start = defrag_box("start")
    # The first Tab reaches the Defrag box (tab index 5), the first standard control.
    screen.keys("Tab", "space")
    n = wine.differing_pixels(start, defrag_box("tab_space"), 1)
    assert n > 10, f"only {n} px of the Defrag box changed"


def test_access_keys_tick_defrag_again(app, screen, work):
    _, defrag_box, _ = app
    # Tab, Tab: Scandisk, the list; Home: its first drive. Shift+Tab back to Scandisk,
    # Space: unticked. Alt+R: Restart; Alt+D: Defrag ticked again.
    screen.keys("Tab", "Tab", "Home", "shift+Tab", "space", "alt+r", "alt+d")
    wine.assert_picture(defrag_box("access_keys"), work / "box_start.png")


def test_mouse_presses_execute_and_the_keyed_choices_are_kept(app, screen, prefix):
    window, _, folder = app
    screen.click_at(window.control("PicExecute"), pause=0)
    assert prefix.window("Restart Computer?", "#32770", wait=10), \
        "no \"Restart Computer?\" box"
    screen.keys("Return")  # Yes, the default button

    def armed():
        ini = Ini.read(folder / "Brivane.ini")
        return ini if ini and ini.get("Configeration", "Set") == "Yes" else None

    ini = wine.wait_for(armed, 10, 0.2)
    got = {k: ini.get("Configeration", k) if ini else None
           for k in ("Drive", "Scandisk", "Defrag", "Shutdown", "Restart")}
    assert got == {"Drive": "C:\\", "Scandisk": "0", "Defrag": "1", "Shutdown": "False",
                   "Restart": "True"}
