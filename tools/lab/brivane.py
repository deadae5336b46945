"""Brivane on the lab machine: arming it through its window with real clicks at the
places the window probe reads from its layout, booting until the machine rests,
screenshots of a run's stages, and the checks of what a run leaves behind."""

import re
import shutil
import threading
import time
from contextlib import contextmanager
from datetime import datetime, timedelta
from pathlib import Path

import wine
from lab import EDITIONS, Ini, Outcome

EXE = r"C:\Program Files\Brivane\brivane.exe"
MAIN = "Brivane"  # the main window's caption
FORM = "BrivaneForm"  # the window class of Brivane's own windows

# The first entry of the drive list, from the list's top left: inside its 2-pixel
# edge, half an item down.
FIRST_ITEM = (9, 8)
# The labels size themselves to their captions (MS Sans Serif bold): the painted
# width and height, from their places in the layout.
LABEL_SIZES = {"lblDefrag": (50, 16), "lblScandisk": (66, 16)}

# The disk tools' registry presets a run writes: key, value name ("" for the key's
# own value), what `reg query` shows as type and data.
REG_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion"
REG_PRESETS = [
    (REG_KEY + r"\Applets\Check Drive", "Settings", "REG_BINARY 80040000"),
    (REG_KEY + r"\Applets\Check Drive", "Autochk", "REG_BINARY 00000000"),
    (REG_KEY + r"\Applet\Check Drive", "NoUnknownDDErrDrvs", "REG_BINARY 00000000"),
    (REG_KEY + r"\Applets\Defrag\Settings\scandisk", "", "REG_SZ FALSE"),
    (REG_KEY + r"\Applets\Defrag\Settings\method", "", "REG_SZ FULLNOAPPLOG"),
]

# The tools' log of a whole run.
SCANDISK_COMMAND = r"C:\windows\scandskw.exe C: /n"
SCANDISK_RUN = [f"scandskw start show=4 cmdline={SCANDISK_COMMAND}",
                "scandskw window shown caption=ScanDisk - C: foreground=no",
                "scandskw exit"]
DEFRAG_START = "Defrag start show=1 cmdline=Defrag.exe C:"
# Brivane.log's line for a Defrag that ended without its final prompt.
DEFRAG_ENDED = "Defrag ended without its final prompt after H:MM:SS"


def tools_run(tools, env, edition=EDITIONS["en"]):
    """The tools' log of a whole run (in this order, other lines between) on a machine
    of that edition whose stand-ins have the settings `env`: ScanDisk, and its
    question answered No when it asks one; then, unless tools is "scandisk", Defrag
    with its final prompt answered Yes, or ending without one."""
    e = edition
    run = SCANDISK_RUN[:2]
    if "BRIVANE_LAB_SCANDISK_PROMPT_MS" in env:
        run += ["scandskw prompt shown caption=ScanDisk - C:",
                f"scandskw prompt buttons 6={e.yes} 7={e.no}", "scandskw answer No"]
    run.append("scandskw exit")
    if tools == "scandisk":
        return run
    run.append(DEFRAG_START)
    if env.get("BRIVANE_LAB_DEFRAG_NO_PROMPT") == "1":
        return run + ["Defrag no prompt", "Defrag exit"]
    return run + [f"Defrag prompt shown caption={e.defrag_prompt}",
                  f"Defrag prompt buttons 6={e.yes} 7={e.no}", "Defrag answer Yes",
                  "Defrag exit"]


# Brivane.log: "YYYY-MM-DD HH:MM:SS", two spaces, the text; CR LF after each line.
LOG_LINE = re.compile(r"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)  (\S.*)")
# A duration ends the line, or comes before what the line says next.
DURATION = re.compile(r"after \d+:[0-5]\d:[0-5]\d(?=$| )")
ENDINGS = {"shutdown": "shut down", "restart": "restart"}
INTERRUPTED = ("The last run was interrupted after a tool had started (a power cut?); "
               "it starts over")


def run_text(tools, ending):
    """How Brivane.log names a run of drive C:\\ (tools: both or scandisk)."""
    names = "ScanDisk and Defrag" if tools == "both" else "ScanDisk"
    return f"drive C:\\, {names}, then {ENDINGS[ending]}"


def cycle_log(tools, ending, prompt=True, edition=EDITIONS["en"], question=False):
    """Brivane.log of a whole cycle armed on a fresh machine of that edition,
    durations as H:MM:SS; prompt False: Defrag ended without its final prompt;
    question: ScanDisk asked one after its run. Another language's questions are
    answered by the button's ID, and said so."""
    run, english = run_text(tools, ending), edition.code == "en"
    lines = [f"Armed: {run}", f"Run resumed after the restart: {run}",
             f"Started: {SCANDISK_COMMAND}", "ScanDisk finished after H:MM:SS"]
    if tools == "both":
        lines.append("Started: Defrag.exe C:")
    if question and not english:
        lines.append("A question of ScanDisk's process (\"ScanDisk - C:\") answered No by the "
                     "button's ID")
    if tools == "both":
        lines.append(DEFRAG_ENDED if not prompt else
                     "Defrag's final prompt answered after H:MM:SS" if english else
                     f"Defrag's final prompt answered after H:MM:SS (\"{edition.defrag_prompt}\""
                     ", a question of Defrag's process, by the Yes button's ID)")
    return lines + [f"Run completed: {ENDINGS[ending]} requested"]


def read_log(data, since):
    """Brivane.log's bytes as (texts, problems): the texts without their times and
    with durations as "after H:MM:SS"; problems with the lines' form, and times out
    of order or outside `since` to now."""
    texts, problems, last = [], [], None
    lines = data.split(b"\r\n")
    if lines[-1]:
        problems.append(f"Brivane.log does not end in CR LF: {lines[-1]!r}")
    for raw in lines[:-1]:
        line = raw.decode("latin-1")
        if not (m := LOG_LINE.fullmatch(line)):
            problems.append(f"Brivane.log line not \"YYYY-MM-DD HH:MM:SS  text\": {line!r}")
            continue
        at = datetime.strptime(m[1], "%Y-%m-%d %H:%M:%S")
        if not since - timedelta(seconds=5) <= at <= datetime.now() + timedelta(seconds=5):
            problems.append(f"Brivane.log line dated outside the case ({since:%H:%M:%S} to "
                            f"now): {line!r}")
        if last and at < last:
            problems.append(f"Brivane.log line dated before the one above it: {line!r}")
        last = at
        texts.append(DURATION.sub("after H:MM:SS", m[2]))
    return texts, problems


def label_masks(window):
    """Where the tool labels are painted on the main window, in pixels from its top left."""
    return [wine.Rect(at.x, at.y, w, h) for at, (w, h) in
            ((window.in_window(window.control(name)), size) for name, size in LABEL_SIZES.items())]


def control_masks(window):
    """Where the live controls and labels stand on the main window's body, in
    pixels from its top left: the list, the check boxes and option buttons, and the
    tool labels."""
    return [window.in_window(window.control(name)) for name in
            ("lstDrive", "chkScanDisk", "chkDefrag", "optShutdown", "optRestart")] + \
        label_masks(window)


def in_order(events, wanted):
    """The first of `wanted` missing from `events` (whole lines, in this order), or None."""
    at = 0
    for want in wanted:
        try:
            at = events.index(want, at) + 1
        except ValueError:
            return want
    return None


class Brivane:
    """Brivane on a lab machine; `shots` is the case's folder for screenshots and logs."""

    def __init__(self, lab, shots):
        self.lab = lab
        self.wine = lab.wine
        self.screen = lab.screen
        self.shots = Path(shots)
        self.settings_file = lab.brivane_dir / "Brivane.ini"
        self.log_file = lab.brivane_dir / "Brivane.log"
        self.since = datetime.now().replace(microsecond=0)

    # ---- screen and input

    def shot(self, name):
        try:
            self.screen.shot(self.shots / f"{name}.png")
        except Exception:  # a screenshot is no check
            pass

    def main_window(self, seconds=20):
        window = self.wine.window(MAIN, FORM, wait=seconds)
        assert window, f"no main window within {seconds} s"
        return window

    def click(self, name, window=None):
        """A click at the middle of the main window's control `name`."""
        self.screen.click_at((window or self.main_window()).control(name))

    def click_button(self, caption, button, seconds=15):
        """A click on button `button` (its text, "&Yes", or its control ID) of the
        top-level window captioned `caption`, at the button's middle."""
        window = self.wine.window(caption, wait=seconds)
        assert window, f"no window captioned \"{caption}\" within {seconds} s"
        target = next((c for c in window.children() if c.id == button), None) \
            if isinstance(button, int) else window.child("Button", button)
        assert target, f"no button {button} in \"{caption}\": {window.children()}"
        self.screen.click_at(target, pause=0)

    @contextmanager
    def watching(self):
        """Screenshots of a run's stages while the block runs (see Watcher)."""
        watcher = Watcher(self)
        watcher.start()
        try:
            yield watcher
        finally:
            watcher.stop()

    # ---- the machine's state

    def guard(self):
        """Lab.guard() of the main window (a message box of Brivane's has its caption too)."""
        return self.lab.guard(MAIN, FORM)

    def setting(self, key):
        """A value of the settings file, or None."""
        ini = Ini.read(self.settings_file)
        return ini.get("Configeration", key) if ini else None

    def arm_direct(self, scandisk, defrag, ending):
        """The settings file and the shell entry as arming writes them, without the
        window (scandisk and defrag 1 or 0, ending shutdown or restart)."""
        self.lab.brivane_dir.mkdir(parents=True, exist_ok=True)
        shutdown = ending == "shutdown"
        self.settings_file.write_bytes(
            ("[Configeration]\r\nKeptShell=\"Explorer.exe\"\r\nDrive=C:\\\r\n"
             f"Scandisk={scandisk}\r\nDefrag={defrag}\r\nShutdown={shutdown}\r\n"
             f"Restart={not shutdown}\r\nSet=Yes\r\n").encode())
        status, out = self.wine.run("winepath", "-s", EXE)
        self.lab.kill_session()
        short = out.strip().splitlines()[-1] if status == 0 and out.strip() else ""
        assert short, "no short path of brivane.exe"
        self.lab.set_shell(short)

    # ---- arming and boots

    def arm(self, ending, tools="both", untick="box"):
        """Arms a run through the main window on the desktop: drive C:\\, ScanDisk,
        Defrag unless tools is "scandisk" (unticked by a click on `untick`: its box
        or its label), the ending (shutdown or restart), Execute, and Yes in
        "Restart Computer?". Checks that Brivane asked for the restart and wrote the
        choices and the shell entry."""
        self.lab.launch(EXE)
        window = self.main_window(30)
        time.sleep(1)
        self.shot("00-arm-1-desktop")
        drive = window.control("lstDrive").screen
        self.screen.click(drive.x + FIRST_ITEM[0], drive.y + FIRST_ITEM[1])
        if tools == "scandisk":
            self.click("lblDefrag" if untick == "label" else "chkDefrag", window)
        self.click("optShutdown" if ending == "shutdown" else "optRestart", window)
        self.shot("00-arm-2-chosen")
        self.click("PicExecute", window)
        assert self.wine.window("Restart Computer?", wait=10), "no \"Restart Computer?\" box"
        self.shot("00-arm-3-confirm")
        # Brivane's own box: Yes as the machine's language reads it.
        self.click_button("Restart Computer?", self.lab.edition.yes)
        boot = self.lab.finish()
        assert boot.outcome == Outcome.RESTART, f"arming ended: {boot}, not a restart request"
        shutdown = ending == "shutdown"
        want = {"Drive": "C:\\", "Scandisk": "1", "Defrag": "0" if tools == "scandisk" else "1",
                "Shutdown": str(shutdown), "Restart": str(not shutdown), "Set": "Yes"}
        got = {key: self.setting(key) for key in want}
        assert got == want, f"Brivane.ini holds {got}, expected {want}"
        shell = self.lab.shell() or ""
        assert shell.lower().endswith("\\brivane.exe"), f"the shell after arming is {shell!r}"

    def boot_until_rest(self, limit=5):
        """Boots from system.ini until the machine rests at its shell (a boot that
        brings the desktop back); after a restart or a shutdown it boots again, as
        the user would switch the machine on. The boots, the last at rest unless
        something else ended one or the limit came first."""
        boots = []
        while len(boots) < limit:
            boots.append(self.lab.boot())
            if boots[-1].outcome not in (Outcome.RESTART, Outcome.SHUTDOWN):
                break
        return boots

    # ---- checks

    def expect_events(self, *wanted):
        missing = in_order(self.lab.events(), wanted)
        assert missing is None, \
            f"tools' log: \"{missing}\" missing or out of order; the log:\n{self.lab.tools_log()}"

    def count_events(self, start):
        return sum(1 for e in self.lab.events() if e.startswith(start))

    def tools_problems(self, tools):
        """What is wrong with the tools' log of a whole run on this machine
        (tools_run): ScanDisk, then Defrag unless tools is "scandisk"; [] when nothing."""
        problems = []
        if missing := in_order(self.lab.events(),
                               tools_run(tools, self.lab.env, self.lab.edition)):
            problems.append(f"tools' log: \"{missing}\" missing or out of order; the log:\n"
                            f"{self.lab.tools_log()}")
        if tools == "scandisk" and self.count_events("Defrag"):
            problems.append("Defrag ran although it was unticked")
        return problems

    def saver_problem(self):
        """None when each start of a tool in the tools' log found the screen saver
        off, as a run's guard leaves it; else what was wrong."""
        events = self.lab.events()
        starts = sum(1 for e in events if e.startswith(("scandskw start", "Defrag start")))
        off = sum(1 for e in events if e.endswith(" screensaver active=0"))
        if starts and off == starts:
            return None
        return f"{off} of {starts} tool starts found the screen saver off:\n{self.lab.tools_log()}"

    def log_texts(self):
        """Brivane.log as read_log gives it ([] and no problems when there is none)."""
        return read_log(self.log_file.read_bytes(), self.since) if self.log_file.exists() \
            else ([], [])

    def log_problems(self, wanted):
        """What is wrong with Brivane.log, which should hold the texts `wanted` and
        nothing else: [] when nothing."""
        texts, problems = self.log_texts()
        if texts != wanted:
            problems.append("Brivane.log holds:\n  " + ("\n  ".join(texts) or "nothing") +
                            "\nexpected:\n  " + "\n  ".join(wanted))
        return problems

    def left_behind(self):
        """What is wrong with what a finished run left: the list of problems, [] when
        there is no settings file, Explorer.exe is the shell, the rest of system.ini
        is as it was and the disk tool presets are in the registry."""
        problems = []
        if self.settings_file.exists():
            problems.append(f"Brivane.ini is still there:\n{self.settings_file.read_text()}")
        if (shell := self.lab.shell()) != "Explorer.exe":
            problems.append(f"the shell is {shell!r}, not Explorer.exe")
        if diff := self.lab.ini_diff():
            problems.append("system.ini differs from the pristine copy:\n" + "\n".join(diff))
        for key, name, want in REG_PRESETS:
            if (got := self.lab.reg(key, name)) != want:
                problems.append(f"registry {key} [{name or '(Default)'}] is {got!r}, "
                                f"expected {want!r}")
        self.lab.kill_session()
        return problems

    def keep_logs(self):
        """The tools' log and Brivane.log next to the case's screenshots (the lab
        keeps the boots' transcript in its logs folder)."""
        self.shots.mkdir(parents=True, exist_ok=True)
        (self.shots / "tools.log").write_text(self.lab.tools_log())
        if self.log_file.exists():
            shutil.copy(self.log_file, self.shots / "Brivane.log")

    # ---- whole cases

    def cycle(self, ending, tools="both", untick="box"):
        """Brivane's full cycle from the desktop: armed through its window, the
        restart it asks for, the run booted into, then the machine shut down or
        restarted to the desktop. Checks the boots, the tools' log, the run's guard
        as another program sees it while ScanDisk works, Brivane.log and what the
        run left behind. Screenshots and logs in `shots`."""
        start = len(self.lab.transcript)
        try:
            with self.watching():
                self.arm(ending, tools, untick)
                armed = self.lab.shell()
                self.lab.clear_tools_log()
                # ScanDisk long enough for the helper to start and ask Brivane.
                scandisk_ms = max(6000, int(self.lab.env.get("BRIVANE_LAB_SCANDISK_MS", 0)))
                self.lab.start_boot(env={"BRIVANE_LAB_SCANDISK_MS": scandisk_ms})
                self.lab.wait_log("scandskw window shown", 60)
                guard = self.guard()
                if self.lab.finish().outcome == Outcome.RESTART:
                    self.lab.cycle(3)
            self.shot("99-end")
        finally:
            self.keep_logs()
        got = [b.summary() for b in self.lab.transcript[start:]]
        want = [f"run: {EXE} -> {Outcome.RESTART.value}",
                f"boot: shell={armed} -> {ending} requested"]
        if ending == "restart":
            want.append(f"boot: shell=Explorer.exe -> {Outcome.DESKTOP.value}")
        problems = [] if got == want else [
            "boots:\n  " + "\n  ".join(got) + "\nexpected:\n  " + "\n  ".join(want)]
        problems += self.tools_problems(tools)
        problems += [p for p in [self.saver_problem()] if p]
        if guard != ("0", "denied"):
            problems.append(f"during the run: screen saver active={guard[0]}, suspend query "
                            f"{guard[1]}")
        env = self.lab.env
        problems += self.log_problems(cycle_log(
            tools, ending, env.get("BRIVANE_LAB_DEFRAG_NO_PROMPT") != "1", self.lab.edition,
            "BRIVANE_LAB_SCANDISK_PROMPT_MS" in env)) + self.left_behind()
        assert not problems, "\n".join(problems)


class Watcher(threading.Thread):
    """Screenshots of a run's stages, numbered in order: the main window each time
    one appears, the tools' windows and prompts each time the log reports them, the
    completion when the settings file goes."""

    STAGES = [("scandisk", "scandskw window shown"),
              ("scandisk-closed", "scandskw closed by WM_CLOSE"),
              ("defrag", "Defrag window shown"),
              ("defrag-prompt", "Defrag prompt shown")]

    def __init__(self, brivane):
        super().__init__(daemon=True)
        self.brivane = brivane
        self.halt = threading.Event()
        self.n = 0

    def take(self, stage):
        self.n += 1
        self.brivane.shot(f"{self.n:02d}-{stage}")

    def run(self):
        b = self.brivane
        shown, seen, armed = set(), {}, False
        while not self.halt.is_set():
            ids = b.screen.x_windows(f"^{MAIN}$", visible=True)
            if not ids:
                shown = set()  # a later session's window may get the X id of one gone
            for new in [i for i in ids if i not in shown]:
                shown.add(new)
                time.sleep(1.5)  # painted by then
                self.take("brivane-window")
            log = b.lab.tools_log()
            for stage, text in self.STAGES:
                if (count := log.count(text)) > seen.get(stage, 0):
                    seen[stage] = count
                    self.take(stage)
            if b.settings_file.exists():
                armed = True
            elif armed:
                armed = False
                self.take("completion")
            self.halt.wait(0.2)

    def stop(self):
        self.halt.set()
        self.join()
