"""The skinned interface of the Windows build under Wine, through real mouse input:
- the main window as shown equals the picture its sprite sheet predicts (title strip,
  body and button faces at their places, one-pixel borders), apart from the standard
  controls and labels that stand on it;
- Execute lights up under the mouse and goes back to normal over the body;
- dragging the title bar moves the window;
- About opens the 265 x 320 about window, painted from its own sheet, and the main
  window's title bar turns inactive meanwhile;
- Help with Help.chm opens the viewer without "No Help!", and without the file shows
  "No Help!" with only OK, after which the main window still responds;
- Help.chm holds what help/ compiles into it (chmls).
Screenshots stay in out/skin/."""

import shutil
import subprocess
import time
from types import SimpleNamespace

import pytest
import wine
from brivane import control_masks
from wine import Rect

MAIN_SHEET = wine.REPO / "resources" / "main.jpg"
ABOUT_SHEET = wine.REPO / "resources" / "about.jpg"

# The main sheet's pieces as the surfaces show them after the load, in pixels from
# the window's top left (a bordered box's inside starts one pixel in).
TITLE_ACTIVE, TITLE_INACTIVE = "0,48,425,21", "0,72,425,21"
CLOSE_ACTIVE, CLOSE_INACTIVE = "209,478,14,14", "258,479,14,14"
EXECUTE_NORMAL, EXECUTE_HOVER = "0,431,106,33", "110,431,106,33"


def main_pieces(title, close, execute):
    return ["fill:000000", "frame:0,-1,427,22", "frame:0,21,427,327",
            f"piece:{title}@1,0,425,20", "piece:0,97,425,329@1,22,425,325",
            "piece:0,502,73,39@19,273,73,39", f"piece:{execute}@285,279,105,28",
            "piece:0,469,66,32@348,310,57,25", "piece:0,544,73,39@66,303,73,39",
            f"piece:{close}@405,5,13,12"]


# The about window: title strip and glyph, body (its last row keeps the dark red),
# Close; masked: the version and owner labels, and the form's own first column left
# of the title bar (a system colour).
ABOUT_PIECES = ["fill:800000", "piece:0,0,265,22@1,0,265,21", "piece:0,46,265,299@0,21,265,300",
                "piece:0,351,74,38@182,251,74,38", "piece:100,437,14,14@245,4,13,12"]
ABOUT_MASKS = [Rect(0, 0, 1, 21), Rect(160, 76, 127, 20), Rect(8, 158, 248, 17)]


@pytest.fixture(scope="module")
def app(prefix, screen, out, work):
    wine.require(wine.BUILD / "brivane.exe", wine.BUILD / "Help.chm",
                 *(wine.BUILD / "tools" / t for t in ("winprobe.exe", "skincomp.exe")),
                 wine.BUILD / "standins" / "labpress.exe")
    folder = prefix.drive_c / "Brivane"
    folder.mkdir()
    for name in ("brivane.exe", "Help.chm"):
        shutil.copy(wine.BUILD / name, folder)
    prefix.start("brivane.exe", log=out / "brivane.log", cwd=folder)
    main = prefix.window("Brivane", "BrivaneForm", wait=60)
    assert main, "the main window did not appear"
    time.sleep(1.5)  # the focus timer has ticked, the window is painted

    def expected(name, sheet, w, h, ops):
        return prefix.skincomp(sheet, work / f"{name}.ppm", w, h, ops)

    return SimpleNamespace(
        prefix=prefix, screen=screen, out=out, work=work, folder=folder, expected=expected,
        masks=control_masks(main),
        want=expected("main", MAIN_SHEET, 427, 348,
                      main_pieces(TITLE_ACTIVE, CLOSE_ACTIVE, EXECUTE_NORMAL)),
        hover=expected("main_hover", MAIN_SHEET, 427, 348,
                       main_pieces(TITLE_ACTIVE, CLOSE_ACTIVE, EXECUTE_HOVER)))


def main_window(app):
    window = app.prefix.window("Brivane", "BrivaneForm")
    assert window, "the main window is gone"
    return window


def shot(app, name, window):
    return app.screen.shot(app.out / f"{name}.png", window.rect)


def part(app, image, rect, name):
    return wine.crop(image, rect, app.work / name)


def over(app, window, name, dx=None, dy=None):
    """The mouse over control `name`: at its middle, or dx, dy from its top left."""
    r = window.control(name).screen
    x, y = r.centre() if dx is None else (r.x + dx, r.y + dy)
    app.screen.move(x, y)
    time.sleep(0.5)


def execute_face(app, window, name):
    execute = window.in_window(window.control("PicExecute"))
    return part(app, shot(app, name, window), execute, f"{name}_execute.png")


def test_main_window_is_its_sheet_composite(app):
    window = main_window(app)
    wine.assert_picture(shot(app, "main", window), app.want, masks=app.masks)


def test_controls_stand_on_the_body(app):
    # The masks must not hide everything: unmasked, the composite differs where the
    # controls stand.
    n = wine.differing_pixels(app.out / "main.png", app.want, 1)
    assert n > 500, f"only {n} px differ from the bare sheet"


@pytest.mark.parametrize("option", ["optShutdown", "optRestart"])
def test_option_caption_whole(app, option):
    # The yellow text ends inside its button (MS Sans Serif; a wider stand-in face
    # runs to the button's edge and is cut off).
    window = main_window(app)
    r = window.in_window(window.control(option))
    text = wine.colour_box(app.out / "main.png", r, "FFFF00")
    assert text.x + text.w <= r.w - 3 and text.w > 40, \
        f"the caption's text runs to x={text.x + text.w} of {r.w}, {text.w} px wide"


def test_execute_lights_up_under_the_mouse(app):
    window = main_window(app)
    execute = window.in_window(window.control("PicExecute"))
    want_hover = part(app, app.hover, execute, "execute_hover.ppm")
    want_normal = part(app, app.want, execute, "execute_normal.ppm")
    n = wine.differing_pixels(want_hover, want_normal, 1)
    assert n > 100, f"the hover and normal faces hardly differ ({n} px)"
    over(app, window, "PicExecute")
    wine.assert_picture(execute_face(app, window, "hover"), want_hover)
    over(app, window, "picMain", 200, 60)
    wine.assert_picture(execute_face(app, window, "body"), want_normal)


def test_dragging_the_title_bar_moves_the_window(app):
    window = main_window(app)
    title = window.control("picTitlebar").screen
    x, y = title.x + 150, title.y + title.h // 2
    app.screen.move(x, y)
    app.screen.x("mousedown", 1)
    for step in range(1, 9):
        app.screen.move(x + step * 10, y + step * 5)
        time.sleep(0.05)
    time.sleep(0.2)
    app.screen.x("mouseup", 1)
    time.sleep(0.5)
    moved = main_window(app)
    want = (window.rect.x + 80, window.rect.y + 40)
    assert (moved.rect.x, moved.rect.y) == want, f"{window.rect} -> {moved.rect}"
    wine.assert_picture(shot(app, "moved", moved), app.want, masks=app.masks)


def test_about_window(app):
    window = main_window(app)
    app.screen.click_at(window.control("picAbout"), pause=0)
    about = app.prefix.window("Form1", "BrivaneForm", wait=10)
    assert about, "About opened no window"
    assert (about.rect.w, about.rect.h, about.client.w, about.client.h) == (265, 320, 265, 320)
    time.sleep(1)
    got = app.screen.shot(app.out / "about.png", about.rect)
    want = app.expected("about", ABOUT_SHEET, 265, 320, ABOUT_PIECES)
    wine.assert_picture(got, want, masks=ABOUT_MASKS)
    # The part of the main title bar right of the about window is inactive.
    left = max(0, about.rect.x + about.rect.w - window.rect.x)
    assert left <= 427 - 100, "the about window covers the main title bar"
    strip = Rect(left, 0, 427 - left, 21)
    inactive = app.expected("main_inactive", MAIN_SHEET, 427, 348,
                            main_pieces(TITLE_INACTIVE, CLOSE_INACTIVE, EXECUTE_NORMAL))
    wine.assert_picture(part(app, shot(app, "main_behind", window), strip, "title_got.png"),
                        part(app, inactive, strip, "title_inactive.ppm"))
    app.screen.click_at(about.control("picClose"), pause=1)
    assert app.prefix.window("Form1", "BrivaneForm") is None, "Close left the about window open"


def test_help_with_the_help_file_opens_the_viewer(app):
    app.screen.click_at(main_window(app).control("picHelp"), pause=0)
    # The viewer takes a few seconds to come; a "No Help!" box would come first.
    viewer = app.prefix.window(cls="HH Parent", wait=20)
    time.sleep(0.5)
    app.screen.shot(app.out / "help.png")
    box = app.prefix.window("Brivane", "#32770")
    if box:
        app.prefix.probe("--class", "#32770", "--caption", "Brivane", "--close")
    app.prefix.probe("--class", "HH Parent", "--close")
    time.sleep(0.5)
    assert box is None, f"a box: {[c.caption for c in box.children()]}"
    assert viewer, "no viewer window (class HH Parent)"


def test_help_without_the_help_file_says_no_help(app):
    (app.folder / "Help.chm").unlink()
    app.screen.click_at(main_window(app).control("picHelp"), pause=0)
    box = app.prefix.window("Brivane", "#32770", wait=10)
    assert box, "no \"No Help!\" box"
    time.sleep(0.5)
    app.screen.shot(app.out / "nohelp.png")
    buttons = [c.caption for c in box.children() if c.cls == "Button"]
    texts = [c.caption for c in box.children() if c.caption == "No Help!"]
    assert (buttons, texts) == (["OK"], ["No Help!"]), f"the box holds {box.children()}"
    app.prefix.run(wine.BUILD / "standins" / "labpress.exe", "Brivane", "OK", 2000)
    time.sleep(0.5)
    assert app.prefix.window("Brivane", "#32770") is None, "OK left the box open"
    # The main window still answers the mouse.
    window = main_window(app)
    over(app, window, "picMain", 200, 60)
    time.sleep(0.3)
    over(app, window, "PicExecute")
    execute = window.in_window(window.control("PicExecute"))
    wine.assert_picture(execute_face(app, window, "after_help"),
                        part(app, app.hover, execute, "execute_hover.ppm"))


def test_help_file_holds_every_page():
    chm, chmls = wine.BUILD / "Help.chm", shutil.which("chmls")
    check = subprocess.run(["cmake", f"-DCHM={chm}", f"-DCHMLS={chmls}",
                            f"-DSOURCE={wine.REPO / 'help'}", "-P",
                            str(wine.REPO / "help" / "CheckChm.cmake")],
                           capture_output=True, text=True)
    assert check.returncode == 0, check.stdout + check.stderr
