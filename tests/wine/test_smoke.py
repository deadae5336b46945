"""The Windows build starts under Wine: the splash comes up first (491 x 265, no
caption), then the main window "Brivane", centred on the 1024 x 768 screen, with a
427 x 348 client area and its child windows where the layout puts them; the splash
is gone by then. Leaves out/smoke/main.png (the main window) behind."""

import shutil
import subprocess
import time

import pytest
import wine

# The main window's children in the probe's order: depth first, each parent's
# children top-most first (the standard controls, which never overlap, in their tab
# order, which is the order Tab follows). A parent is named by its own rectangle; *
# matches anything (the picture holder takes the size of the skin picture).
CHILDREN = """
picAbout     form         BrivanePicture ""                   66 303  73  39 1
picPicture   form         BrivanePicture ""                   32 384   *   * 0
picMain      form         BrivanePicture ""                    0  21 427 327 1
picHelp      0,21,427,327 BrivanePicture ""                   18 251  73  39 1
chkDefrag    0,21,427,327 Button         "&Defrag"           216 137  12  13 1
chkScanDisk  0,21,427,327 Button         "&Scandisk"         302 137  12  13 1
lstDrive     0,21,427,327 ListBox        ""                   16 120 153 121 1
optShutdown  0,21,427,327 Button         "&Shutdown Computer" 216 203 137  17 1
optRestart   0,21,427,327 Button         "&Restart Computer" 216 227 121  17 1
picExit      0,21,427,327 BrivanePicture ""                  347 288  57  25 1
PicExecute   0,21,427,327 BrivanePicture ""                  284 257 105  28 1
picTitlebar  form         BrivanePicture ""                    0  -1 427  22 1
picClose     0,-1,427,22  BrivanePicture ""                  404   5  13  12 1
"""


@pytest.fixture(scope="module")
def started(prefix, screen, out):
    """Brivane started in C:\\Brivane, watched by the probe from before its splash."""
    wine.require(wine.BUILD / "brivane.exe", wine.BUILD / "tools" / "winprobe.exe")
    app = prefix.drive_c / "Brivane"
    app.mkdir()
    shutil.copy(wine.BUILD / "brivane.exe", app)
    # The probe looks before Brivane starts so that it sees the splash, which lasts
    # only as long as the main window's load.
    probe = prefix.start(wine.BUILD / "tools" / "winprobe.exe", "--class", "BrivaneForm",
                         "--caption", "Brivane", "--wait", 90, "--watch",
                         log=out / "probe.txt")
    assert wine.wait_for(lambda: "watching" in (out / "probe.txt").read_text(), 60), \
        "the probe did not start"
    prefix.start("brivane.exe", log=out / "brivane.log", cwd=app)
    try:
        assert probe.wait(timeout=120) == 0, "the main window did not appear"
    except subprocess.TimeoutExpired:
        probe.kill()
        raise
    windows, seen = wine.parse_probe((out / "probe.txt").read_text().replace("\r", ""))
    screen.wait_x_window("^Brivane$", 10)
    splash_left = prefix.window("", "BrivaneForm")
    time.sleep(2)  # painted a moment after it first shows
    screen.shot(out / "main.png", windows[0].rect)
    return windows[0], seen, splash_left


def test_splash_before_the_main_window(started):
    _, seen, _ = started
    splash = [(cls, caption, str(r)) for cls, caption, r in seen if caption == ""][:1]
    assert splash == [("BrivaneForm", "", "266,251,491,265")], f"windows seen first: {seen}"


def test_splash_gone_once_the_main_window_is_up(started):
    assert started[2] is None, f"the splash is still there: {started[2]}"


def test_main_window_centred_with_its_client_area(started):
    main = started[0]
    assert (str(main.rect), main.client.w, main.client.h) == ("298,210,427,348", 427, 348)


def test_children_where_the_layout_puts_them(started):
    main = started[0]
    by_id = {c.id: c for c in main.children()}
    got = [[c.name, "form" if c.parent == 0 else str(by_id[c.parent].rect), c.cls, c.caption,
            *str(c.rect).split(","), "1" if c.visible else "0"] for c in main.children()]
    want = [[name, parent, cls, caption, *rest] for name, parent, cls, caption, *rest in
            (parse_row(line) for line in CHILDREN.strip().splitlines())]
    problems = [f"expected {w}, got {g}" for w, g in zip(want, got)
                if any(a != "*" and a != b for a, b in zip(w, g))]
    if len(got) != len(want):
        problems += [f"{len(got)} children, {len(want)} expected:", *map(str, got)]
    assert not problems, "\n".join(problems)


def parse_row(line):
    """name parent class "caption" x y w h visible"""
    head, caption, tail = line.split('"')
    return [*head.split(), caption, *tail.split()]
