"""What the tests under Wine and the lab share: an X display, a Wine prefix set up as
Windows 98 with its fonts, the loader, the window probe, real input through xdotool,
screenshots and picture comparisons (ImageMagick).

    BRIVANE_WINE_ARCH    win32: the i686 build under 32-bit Wine; win64: the x86-64
                         build under 64-bit Wine, for machines that run no 32-bit
                         programs (default: what scripts/winearch.sh answers)
    BRIVANE_WIN32_BUILD  the Windows build to run (default build/win32 or build/win64)
    BRIVANE_OUT          where screenshots and logs go (default out/)
    BRIVANE_WINE_FONTS   Wine's own fonts (default /usr/share/wine/fonts)
"""

import ctypes
import os
import re
import select
import signal
import shutil
import subprocess
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]


def _arch():
    arch = os.environ.get("BRIVANE_WINE_ARCH")
    if not arch:
        asked = subprocess.run(["bash", str(REPO / "scripts" / "winearch.sh")],
                               capture_output=True, text=True)
        arch = asked.stdout.strip()
    if arch not in ("win32", "win64"):
        raise SystemExit(f"wine: BRIVANE_WINE_ARCH is \"{arch}\"; it must be win32 or win64")
    return arch


ARCH = _arch()
BUILD = Path(os.environ.get("BRIVANE_WIN32_BUILD") or REPO / "build" / ARCH)
OUT = Path(os.environ.get("BRIVANE_OUT") or REPO / "out")

# The loader of Debian's 32-bit Wine (wine32:i386) for the i686 build, or of its
# 64-bit one (wine64) for the x86-64 build, and the server that belongs to each. The
# prefixes are of one architecture only: one registry view, as on Windows 9x.
if ARCH == "win32":
    LOADER, WINESERVER, WINE_PACKAGE = ("/usr/lib/wine/wine", "/usr/lib/wine/wineserver32",
                                        "wine32:i386")
else:
    LOADER, WINESERVER, WINE_PACKAGE = ("/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64",
                                        "wine64")


class Unavailable(RuntimeError):
    """Wine or the display cannot start here; the message says what is missing."""


def _dies_with_parent():
    # A program started for a test ends with the process that started it, even
    # when that one is killed at a time limit and has no chance to clean up.
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


_wine_checked = False


def check_wine():
    """Raises Unavailable with one sentence when this Wine cannot run here."""
    global _wine_checked
    if _wine_checked:
        return
    for program in (LOADER, WINESERVER):
        if not os.access(program, os.X_OK):
            raise Unavailable(f"no {program}: install Debian's {WINE_PACKAGE} "
                              "(bash scripts/deps.sh)")
    try:
        subprocess.run([WINESERVER, "--version"], capture_output=True, timeout=30, check=True)
    except (OSError, subprocess.SubprocessError) as e:
        hint = (" (this machine runs no 32-bit programs: the x86-64 build runs under 64-bit "
                "Wine, BRIVANE_WINE_ARCH=win64 or ctest --preset wine64)"
                if ARCH == "win32" else "")
        reason = e.strerror if isinstance(e, OSError) else str(e)
        raise Unavailable(f"{WINESERVER} cannot start: {reason}{hint}") from None
    _wine_checked = True


# The fonts of a Windows 98 machine (code page 1252, 96 dpi), from Wine's own set
# (Debian's fonts-wine). This Wine build never reads its own font folder: it looks in
# C:\windows\Fonts and in fontconfig's folders only, so without these "MS Sans Serif"
# (and Tahoma, the face behind "MS Shell Dlg") fall back to DejaVu Sans, which is
# wider, and captions sized for the bitmap font are cut off.
FONTS = Path(os.environ.get("BRIVANE_WINE_FONTS") or "/usr/share/wine/fonts")
FONT_FILES = ("sserife.fon", "coure.fon", "smalle.fon", "vgasys.fon", "vgafix.fon",
              "marlett.ttf", "symbol.ttf", "wingding.ttf", "tahoma.ttf", "tahomabd.ttf")


def wait_for(probe, seconds, step=0.1):
    """Calls probe until it returns something true, for up to `seconds`; returns
    that, or the last false answer."""
    deadline = time.monotonic() + seconds
    while True:
        answer = probe()
        if answer or time.monotonic() >= deadline:
            return answer
        time.sleep(step)


def require(*paths):
    """Fails when a built file the test needs is missing."""
    missing = [str(p) for p in paths if not Path(p).is_file()]
    assert not missing, f"not built: {', '.join(missing)} (build the win32 preset first)"


# ---------------------------------------------------------------- display


class Display:
    """$DISPLAY when set, else an Xvfb of our own on a free number, ended by stop()."""

    def __init__(self, log_dir):
        self.name, self.xvfb = os.environ.get("DISPLAY"), None
        if self.name:
            return
        Path(log_dir).mkdir(parents=True, exist_ok=True)
        # Xvfb writes the number it took and a newline to the pipe once it is up; the
        # pipe stays open as long as Xvfb runs, a write to a closed one ends it.
        self.pipe, write = os.pipe()
        with open(Path(log_dir) / "xvfb.log", "w") as log:
            try:
                self.xvfb = subprocess.Popen(
                    ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                     "-nolisten", "tcp"], stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                    pass_fds=(write,), preexec_fn=_dies_with_parent)
            except OSError as e:
                os.close(write)
                os.close(self.pipe)
                raise Unavailable(f"Xvfb cannot start: {e.strerror} (Debian package xvfb)") \
                    from None
        os.close(write)
        number = b""
        while not number.endswith(b"\n") and select.select([self.pipe], [], [], 10)[0]:
            if not (more := os.read(self.pipe, 16)):
                break
            number += more
        if not number.strip():
            self.stop()
            raise Unavailable(f"Xvfb did not start, see {log.name}")
        self.name = f":{number.decode().strip()}"

    def stop(self):
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
            os.close(self.pipe)
            self.xvfb = None


# ---------------------------------------------------------------- the window probe


@dataclass
class Rect:
    x: int
    y: int
    w: int
    h: int

    def centre(self):
        return self.x + self.w // 2, self.y + self.h // 2

    def moved(self, dx, dy):
        return Rect(self.x + dx, self.y + dy, self.w, self.h)

    def geometry(self):
        return f"{self.w}x{self.h}+{self.x}+{self.y}"

    def __str__(self):
        return f"{self.x},{self.y},{self.w},{self.h}"


@dataclass
class Control:
    """A child window, or a label of Brivane's, which has no window of its own.
    rect is inside the parent's client area, screen its place on the screen."""
    kind: str  # child or label
    id: int
    parent: int
    cls: str
    caption: str
    rect: Rect
    screen: Rect
    visible: bool = True
    enabled: bool = True
    name: str = ""


@dataclass
class Window:
    """A top-level window as the probe sees it: rect and client on the screen."""
    cls: str
    caption: str
    rect: Rect
    client: Rect
    visible: bool
    controls: list = field(default_factory=list)

    def control(self, name):
        """The control made from layout row `name` (Brivane's windows only)."""
        for c in self.controls:
            if c.name == name:
                return c
        raise AssertionError(f"no control {name} in window \"{self.caption}\": {self.controls}")

    def child(self, cls=None, caption=None):
        for c in self.controls:
            if c.kind == "child" and cls in (None, c.cls) and caption in (None, c.caption):
                return c
        return None

    def children(self):
        return [c for c in self.controls if c.kind == "child"]

    def in_window(self, c):
        """A control's rectangle in pixels from the window's top left."""
        return c.screen.moved(-self.rect.x, -self.rect.y)


_QUOTED = r'class="(?P<cls>[^"]*)" caption="(?P<caption>[^"]*)"'
_WINDOW = re.compile(r"window \d+ " + _QUOTED + r" (-?\d+) (-?\d+) (\d+) (\d+)"
                     r" client (-?\d+) (-?\d+) (\d+) (\d+) visible (\d)$")
_CHILD = re.compile(r"child (-?\d+) parent (-?\d+) " + _QUOTED + r" (-?\d+) (-?\d+) (\d+) (\d+)"
                    r" screen (-?\d+) (-?\d+) visible (\d) enabled (\d)(?: name=(\S+))?$")
_LABEL = re.compile(r"label (\d+) parent (\d+) name=(\S+) (-?\d+) (-?\d+) (\d+) (\d+)"
                    r" screen (-?\d+) (-?\d+)$")
_SEEN = re.compile(r"seen " + _QUOTED + r" (-?\d+) (-?\d+) (\d+) (\d+)$")


def parse_probe(text):
    """The probe's output (tools/winprobe) as (windows, seen): Window objects, and
    the (class, caption, Rect) of the windows --watch saw on the way."""
    windows, seen = [], []
    for line in text.splitlines():
        if m := _WINDOW.match(line):
            n = [int(v) for v in m.groups()[2:]]
            windows.append(Window(m["cls"], m["caption"], Rect(*n[0:4]), Rect(*n[4:8]),
                                  n[8] == 1))
        elif m := _CHILD.match(line):
            g = m.groups()
            x, y, w, h, sx, sy, vis, en = (int(v) for v in g[4:12])
            windows[-1].controls.append(Control(
                "child", int(g[0]), int(g[1]), m["cls"], m["caption"], Rect(x, y, w, h),
                Rect(sx, sy, w, h), vis == 1, en == 1, g[12] or ""))
        elif m := _LABEL.match(line):
            ident, parent, name = int(m[1]), int(m[2]), m[3]
            x, y, w, h, sx, sy = (int(v) for v in m.groups()[3:])
            windows[-1].controls.append(Control("label", ident, parent, "", "", Rect(x, y, w, h),
                                                Rect(sx, sy, w, h), name=name))
        elif m := _SEEN.match(line):
            seen.append((m["cls"], m["caption"], Rect(*(int(v) for v in m.groups()[2:]))))
    return windows, seen


# ---------------------------------------------------------------- Wine


class Wine:
    """A Wine prefix of the build's architecture on a display, and the programs run in
    it."""

    def __init__(self, prefix, display, debug=None):
        check_wine()
        self.prefix = Path(prefix)
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEARCH=ARCH,
                        WINESERVER=WINESERVER, WINEDLLOVERRIDES="mscoree,mshtml=",
                        WINEDEBUG=debug or os.environ.get("WINEDEBUG", "-all"),
                        DISPLAY=display.name)
        self.drive_c = self.prefix / "drive_c"

    def create(self, log, registry=()):
        """A fresh prefix that reports Windows 98, with its fonts, and nothing
        managing the windows on Xvfb (managed, a hidden window would stay on the
        screen, and take the mouse, for two seconds while Wine waits for a manager).
        registry: more (key, name, data) strings to set."""
        if self.prefix.exists():
            self.kill()
            shutil.rmtree(self.prefix)
        self.prefix.parent.mkdir(parents=True, exist_ok=True)
        with open(log, "a") as out:
            boot = subprocess.run([LOADER, "wineboot", "-i"], stdout=out, stderr=out,
                                  env=dict(self.env, WINEDEBUG="-all"), timeout=300)
            assert boot.returncode == 0, f"wineboot -i failed, see {log}"
            self.wait_idle(60)
            settings = [(r"HKCU\Software\Wine", "Version", "win98"),
                        (r"HKCU\Software\Wine\X11 Driver", "Managed", "N"), *registry]
            for key, name, data in settings:
                done = subprocess.run([LOADER, "reg", "add", key, "/v", name, "/t", "REG_SZ",
                                       "/d", data, "/f"], stdout=out, stderr=out, env=self.env,
                                      timeout=120)
                assert done.returncode == 0, f"could not set {key}\\{name}, see {log}"
        self.wait_idle(30)
        fonts = self.drive_c / "windows" / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        for name in FONT_FILES:
            assert (FONTS / name).is_file(), f"no {FONTS / name} (Debian package fonts-wine)"
            shutil.copy(FONTS / name, fonts)

    def run(self, *args, env=None, timeout=120):
        """Runs a Windows program to its end; returns its status and its output
        without carriage returns."""
        # A file, not a pipe: a program it starts would hold a pipe open.
        with tempfile.TemporaryFile() as output:
            done = subprocess.run([LOADER, *map(str, args)], stdout=output,
                                  stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                                  env=dict(self.env, **(env or {})), timeout=timeout)
            output.seek(0)
            out = output.read().decode("latin-1").replace("\r", "")
        return done.returncode, out

    def start(self, *args, log, env=None, cwd=None):
        """Starts a Windows program in the background; its output and Wine's
        messages go to the file `log`."""
        with open(log, "w") as out:
            return subprocess.Popen([LOADER, *map(str, args)], stdout=out, stderr=out,
                                    stdin=subprocess.DEVNULL, cwd=cwd,
                                    env=dict(self.env, **(env or {})))

    def server(self, *args, timeout=None):
        subprocess.run([WINESERVER, *args], env=self.env, capture_output=True, timeout=timeout)

    def kill(self):
        """Ends every process of the prefix's session at once."""
        self.server("-k")

    def wait_idle(self, seconds):
        """Waits up to `seconds` for the session to end by itself, then ends it."""
        try:
            self.server("-w", timeout=seconds)
        except subprocess.TimeoutExpired:
            pass
        self.kill()

    def close(self):
        self.kill()
        try:
            self.server("-w", timeout=20)
        except subprocess.TimeoutExpired:
            pass

    def windows_path(self, path):
        """Z:\\... for a file of the Linux side."""
        return "Z:" + str(path).replace("/", "\\")

    # ---- the build's helpers

    def probe(self, *args, wait=None):
        """The windows tools/winprobe finds (see there), or [] when none."""
        extra = ["--wait", str(wait)] if wait else []
        status, out = self.run(BUILD / "tools" / "winprobe.exe", *args, *extra,
                               timeout=(wait or 0) + 60)
        return parse_probe(out)[0] if status == 0 else []

    def window(self, caption=None, cls=None, wait=None):
        """The first visible top-level window with that caption (and class), or None."""
        args = (["--caption", caption] if caption is not None else []) + (
            ["--class", cls] if cls else [])
        found = self.probe(*args, wait=wait)
        return found[0] if found else None

    def skincomp(self, sheet, out, width, height, ops):
        """The picture tools/skincomp composes from a sprite sheet with the program's
        own decoder: `ops` as that tool takes them (fill:, frame:, piece:...)."""
        status, text = self.run(BUILD / "tools" / "skincomp.exe", self.windows_path(sheet),
                                self.windows_path(out), width, height, *ops)
        assert status == 0, f"skincomp could not compose {out}: {text}"
        return out


# ---------------------------------------------------------------- X input


def xdotool(*args, env=None):
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, env=env)
    return done.stdout.strip() if done.returncode == 0 else None


class Screen:
    """Real input and screenshots on one display."""

    def __init__(self, display):
        self.env = dict(os.environ, DISPLAY=display.name)

    def x(self, *args):
        return xdotool(*args, env=self.env)

    def click(self, x, y, pause=0.3):
        self.x("mousemove", x, y, "click", 1)
        time.sleep(pause)

    def click_at(self, control, pause=0.3):
        """A left click at the middle of a control, as the mouse would make it."""
        self.click(*control.screen.centre(), pause=pause)

    def move(self, x, y):
        self.x("mousemove", x, y)

    def keys(self, *keys, delay=150):
        self.x("key", "--delay", delay, *keys)
        time.sleep(0.5)

    def x_windows(self, name, visible=False):
        """X ids of the windows whose name matches the regular expression."""
        found = self.x("search", *(["--onlyvisible"] if visible else []), "--name", name)
        return found.split() if found else []

    def wait_x_window(self, name, seconds=20, visible=False):
        ids = wait_for(lambda: self.x_windows(name, visible), seconds)
        assert ids, f"no X window named /{name}/ within {seconds} s"
        return ids[0]

    def wait_x_window_gone(self, name, seconds=20):
        assert wait_for(lambda: not self.x_windows(name), seconds, 0.2), \
            f"a window named /{name}/ is still there after {seconds} s"

    def focus(self, name):
        self.x("windowfocus", "--sync", self.wait_x_window(name))

    def shot(self, path, rect=None):
        """The screen, or the rectangle `rect` of it, as a PNG; returns the path."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        crop = ["-crop", rect.geometry(), "+repage"] if rect else []
        subprocess.run(["import", "-window", "root", *crop, str(path)], env=self.env,
                       capture_output=True, check=True)
        return path


# ---------------------------------------------------------------- pictures


def crop(image, rect, out):
    subprocess.run(["convert", str(image), "-crop", rect.geometry(), "+repage", str(out)],
                   check=True, capture_output=True)
    return out


def differing_pixels(a, b, fuzz, masks=()):
    """How many pixels of pictures a and b differ by more than fuzz percent, leaving
    out the rectangles `masks` (where live controls stand)."""
    draw = []
    for r in masks:
        draw += ["-draw", f"rectangle {r.x},{r.y},{r.x + r.w - 1},{r.y + r.h - 1}"]
    with tempfile.TemporaryDirectory() as work:
        pictures = [f"{work}/a.ppm", f"{work}/b.ppm"]
        for image, out in zip((a, b), pictures):
            subprocess.run(["convert", str(image), "-fill", "magenta", *draw, out],
                           check=True, capture_output=True)
        done = subprocess.run(["compare", "-metric", "AE", "-fuzz", f"{fuzz}%", *pictures,
                               "null:"], capture_output=True, text=True)
    # Status 2 and a text that is no count: sizes differ or a file is unreadable.
    text = done.stderr.strip()
    assert done.returncode <= 1 and re.fullmatch(r"\d+(\.\d+)?(e\+\d+)?", text), \
        f"compare {a} {b}: {text}"
    return int(float(text))


def assert_picture(got, want, limit=0, fuzz=1, masks=()):
    n = differing_pixels(got, want, fuzz, masks)
    assert n <= limit, f"{n} px of {got} differ from {want}, at most {limit} allowed"
    return n


def _colour(image, rect, rgb, answer):
    """ImageMagick's `answer` about the pixels of colour RRGGBB (white) among the rest
    (black) in the rectangle `rect` of a picture."""
    return subprocess.run(
        ["convert", str(image), "-crop", rect.geometry(), "+repage", "-fill", "black",
         "+opaque", f"#{rgb}", "-fill", "white", "-opaque", f"#{rgb}", "-format", answer,
         "info:"], capture_output=True, text=True, check=True).stdout


def count_colour(image, rect, rgb):
    """How many pixels of the rectangle `rect` of a picture have the colour RRGGBB."""
    return int(_colour(image, rect, rgb, "%[fx:round(mean*w*h)]"))


def colour_box(image, rect, rgb):
    """The bounding box (a Rect inside `rect`) of the pixels of colour RRGGBB."""
    box = re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", _colour(image, rect, rgb, "%@"))
    w, h, x, y = (int(v) for v in box.groups())
    return Rect(x, y, w, h)
