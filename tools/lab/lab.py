"""The lab: a Windows 98 machine emulated under Wine, with its system.ini, the stand-in
disk tools, and boots that start the Shell of system.ini and tell a restart, a
shutdown and a power cut apart. See README.md next to this file."""

import difflib
import enum
import os
import re
import shutil
import subprocess
import time
from dataclasses import dataclass, field
from pathlib import Path

import wine

OWNER = os.environ.get("BRIVANE_LAB_OWNER", "Lab Owner")
TOOLS_LOG = r"C:\lab\tools.log"
# Where the user's screen saver setting is stored; each new session starts from it
# (a change without SPIF_UPDATEINIFILE lasts for its session only).
SCREEN_SAVER_KEY = r"HKCU\Control Panel\Desktop"
HELPERS = ("labpress", "labstart", "labexit", "labini", "labclose", "labguard")
# The control IDs of a Yes/No box's buttons, in every language.
IDYES, IDNO = 6, 7


@dataclass(frozen=True)
class Edition:
    """A language edition of Windows 98 the machine plays: the stand-ins' texts
    (BRIVANE_LAB_LANGUAGE, tools/standins/edition.h) and the locale Wine runs under,
    from which it takes its message boxes' buttons (yes, no: what they should read)."""
    code: str
    locale: str  # None: whatever the tests run under
    yes: str
    no: str
    defrag_window: str  # with the drive letter
    defrag_prompt: str


EDITIONS = {e.code: e for e in (
    Edition("en", None, "&Yes", "&No", "Defragmenting Drive {}", "Disk Defragmenter"),
    Edition("de", "de_DE.UTF-8", "&Ja", "&Nein", "Defragmentierung von Laufwerk {}",
            "Defragmentierung"),
    Edition("fr", "fr_FR.UTF-8", "&Oui", "&Non", "Défragmentation du lecteur {}",
            "Défragmenteur de disque"))}


def locale_generated(name):
    """Whether the system has the locale (de_DE.UTF-8): `locale -a` names it
    de_DE.utf8."""
    wanted = name.lower().replace("utf-8", "utf8")
    listed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout
    return wanted in (line.lower() for line in listed.split())


def locale_env(edition):
    """What Wine's environment needs to run as that edition."""
    if edition.locale is None:
        return {}
    assert locale_generated(edition.locale), \
        f"locale {edition.locale} is not generated (bash scripts/deps.sh)"
    # LC_ALL first in Wine's search, and the tests' own may be set to something else.
    return {"LANG": edition.locale, "LC_ALL": edition.locale,
            "BRIVANE_LAB_LANGUAGE": edition.code}


# ---------------------------------------------------------------- profile files


class Ini:
    """A profile file as Windows reads one: section and key names in any case,
    blanks around names and values dropped, the first key of a name counts."""

    def __init__(self, text):
        self.lines = text.split("\n")

    @classmethod
    def read(cls, path):
        return cls(Path(path).read_text(encoding="latin-1")) if Path(path).is_file() else None

    def write(self, path):
        Path(path).write_text("\n".join(self.lines), encoding="latin-1")

    def entries(self):
        """(line number, section, key, value) of each line, section and key in lower
        case; key None for a section line, value the whole line for a line without '='."""
        section = None
        for i, raw in enumerate(self.lines):
            line = raw.rstrip("\r").strip()
            if not line:
                continue
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].lower()
                yield i, section, None, line
            elif "=" in line:
                key, value = line.split("=", 1)
                yield i, section, key.rstrip().lower(), value.lstrip()
            else:
                yield i, section, "", line

    def get(self, section, key):
        for _, s, k, value in self.entries():
            if s == section.lower() and k == key.lower():
                return value
        return None

    def set(self, section, key, value):
        """Sets the first such key in place; False when there is none."""
        for i, s, k, _ in self.entries():
            if s == section.lower() and k == key.lower():
                raw = self.lines[i]
                name = raw.rstrip("\r").strip().split("=", 1)[0]
                self.lines[i] = f"{name}={value}" + ("\r" if raw.endswith("\r") else "")
                return True
        return False

    def normalised(self, leave_out=()):
        """The file as lines "[section] key=value", without blank lines and the
        (section, key) pairs of leave_out."""
        out = []
        for _, section, key, value in self.entries():
            if key is None:
                out.append(f"[{section}]")
            elif (section, key) not in leave_out:
                out.append(f"[{section}] {key}={value}" if key else f"[{section}] {value}")
        return out


def reg_values(text):
    """`reg query` output as {name in lower case: "TYPE DATA"} ("(default)" for the
    key's own value)."""
    values = {}
    for line in text.splitlines():
        if m := re.match(r"\s+(.*?)\s+(REG_\w+)\s*(.*)$", line):
            values[m[1].lower()] = f"{m[2]} {m[3].strip()}".strip()
    return values


# ---------------------------------------------------------------- boots


class Outcome(str, enum.Enum):
    DESKTOP = "desktop back"
    RESTART = "restart requested"
    SHUTDOWN = "shutdown requested"
    ENDED = "no request: ended"
    KILLED = "no request: still running at the time limit, killed"
    POWER_CUT = "power cut"
    NO_SHELL = "no Shell in section Boot"


@dataclass
class Boot:
    """A boot (kind "boot") or a program started on the desktop (kind "run"): its
    outcome is None while it runs."""
    n: int
    kind: str
    command: str
    outcome: Outcome = None
    seconds: int = 0
    status: int = 0
    trace: Path = None
    process: subprocess.Popen = field(default=None, repr=False)
    started: float = field(default_factory=time.monotonic, repr=False)
    cut: bool = False

    def summary(self):
        """What ended how, without number and times: "boot: shell=X -> restart requested"."""
        who = f"shell={self.command}" if self.kind == "boot" else self.command
        detail = f" with status {self.status}" if self.outcome == Outcome.ENDED else ""
        return f"{self.kind}: {who} -> {self.outcome.value}{detail}"

    def line(self, trace=True):
        """The transcript's line: "boot 2: shell=X -> restart requested (34 s, trace T)"."""
        text = self.summary().replace(":", f" {self.n}:", 1)
        if self.trace:
            text += f" ({self.seconds} s, trace {self.trace})" if trace else f" ({self.seconds} s)"
        return text

    def __str__(self):
        return self.line()


def requested(trace):
    """The request a session made of Windows, read from its process trace:
    ExitWindowsEx starts "wineboot.exe --end-session" (or --kill when forced), with
    --shutdown unless it is a restart."""
    try:
        text = Path(trace).read_bytes().decode("latin-1")
    except OSError:
        return None
    for line in text.splitlines():
        if "CreateProcessInternalW" in line and re.search(r"wineboot\.exe --(end-session|kill)",
                                                          line):
            return Outcome.SHUTDOWN if "--shutdown" in line else Outcome.RESTART
    return None


# ---------------------------------------------------------------- the machine


class Lab:
    """One lab machine: its prefix under `root`, traces and the transcript of its
    boots under `logs`. Settings of the stand-in tools go in `env` (BRIVANE_LAB_*,
    see README.md); boot_timeout is how long a boot's shell may run; language one
    of EDITIONS, the whole machine in that language."""

    def __init__(self, root, display, logs=None, boot_timeout=300, language="en"):
        self.root = Path(root)
        self.logs = Path(logs or root)
        self.screen = wine.Screen(display)
        self.edition = EDITIONS[language]
        self.env = {"BRIVANE_LAB_LOG": TOOLS_LOG}
        self.wine = wine.Wine(self.root / "prefix", display)
        self.wine.env.update(self.env, **locale_env(self.edition))
        self.boot_timeout = boot_timeout
        c = self.wine.drive_c
        self.windows = c / "windows"
        self.system_ini = self.windows / "system.ini"
        self.pristine_ini = self.root / "system.ini.pristine"
        self.tools_log_file = c / "lab" / "tools.log"
        self.brivane_dir = c / "Program Files" / "Brivane"
        self.transcript = []
        self.current = None
        self.count = 0

    def set_env(self, **values):
        """Settings for everything started from now on (the stand-ins read them)."""
        self.env.update({k: str(v) for k, v in values.items()})

    def _env(self, extra=None):
        return dict(self.env, **{k: str(v) for k, v in (extra or {}).items()})

    # ---- setup

    def setup(self):
        """A fresh machine: a new prefix, the Windows 98 system.ini (its pristine
        copy kept), Brivane and the stand-ins installed, a registered owner."""
        self.kill_session()
        self.logs.mkdir(parents=True, exist_ok=True)
        key = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion"
        self.wine.create(self.logs / "setup.log", registry=[
            (key, "RegisteredOwner", OWNER), (key, "RegisteredOrganization", "Lab"),
            (SCREEN_SAVER_KEY, "ScreenSaveActive", "1")])
        self.system_ini.write_bytes(SYSTEM_INI.replace("\n", "\r\n").encode())
        shutil.copy(self.system_ini, self.pristine_ini)
        self.tools_log_file.parent.mkdir(parents=True, exist_ok=True)
        self.tools_log_file.write_text("")
        self.install()

    def install(self):
        """Copies brivane.exe and Help.chm to C:\\Program Files\\Brivane, the stand-in
        tools to C:\\windows and the lab's helpers to C:\\lab."""
        standins = wine.BUILD / "standins"
        wine.require(standins / "scandskw.exe", standins / "Defrag.exe",
                     *(standins / f"{h}.exe" for h in HELPERS), wine.BUILD / "brivane.exe")
        self.brivane_dir.mkdir(parents=True, exist_ok=True)
        for tool in ("scandskw.exe", "Defrag.exe"):
            shutil.copy(standins / tool, self.windows)
        for helper in HELPERS:
            shutil.copy(standins / f"{helper}.exe", self.tools_log_file.parent)
        for name in ("brivane.exe", "Help.chm"):
            if (wine.BUILD / name).is_file():
                shutil.copy(wine.BUILD / name, self.brivane_dir)

    def kill_session(self):
        self.wine.kill()

    def teardown(self):
        if self.current:
            self.power_cut()
            self.finish()
        self.wine.close()

    # ---- system.ini

    def ini(self):
        return Ini.read(self.system_ini)

    def shell(self):
        """Shell of section Boot, as Windows reads it; None when there is none."""
        ini = self.ini()
        return ini.get("boot", "shell") if ini else None

    def set_shell(self, value):
        """Sets Shell in section Boot by hand (for cases that need a given shell)."""
        ini = self.ini()
        assert ini.set("boot", "shell", value), "system.ini has no Shell in section Boot"
        ini.write(self.system_ini)
        assert self.shell() == value, f"the shell is {self.shell()!r}, not {value!r}"

    def ini_diff(self):
        """The differences between system.ini and its pristine copy in every
        section, key and value but Shell (Wine's profile writer drops blank lines,
        so they do not count): unified diff lines, [] when there are none."""
        def lines(path):
            return Ini.read(path).normalised(leave_out={("boot", "shell")})
        return list(difflib.unified_diff(lines(self.pristine_ini), lines(self.system_ini),
                                         "pristine", "now", lineterm=""))

    # ---- the tools' log and the registry

    def tools_log(self):
        try:
            return self.tools_log_file.read_text(encoding="latin-1").replace("\r", "")
        except OSError:
            return ""

    def clear_tools_log(self):
        self.tools_log_file.write_text("")

    def events(self):
        """The tools' log without times: "program event" lines."""
        return [line.split(" ", 1)[1] for line in self.tools_log().splitlines() if " " in line]

    def wait_log(self, pattern, seconds=30):
        """The first line of the tools' log that matches the regular expression,
        waiting up to `seconds` for it."""
        def find():
            return next((line for line in self.tools_log().splitlines()
                         if re.search(pattern, line)), None)
        line = wine.wait_for(find, seconds, 0.2)
        assert line, f"no line /{pattern}/ in the tools' log within {seconds} s:\n" \
                     f"{self.tools_log()}"
        return line

    def reg(self, key, name=None):
        """What `reg query` shows for a value ("TYPE DATA"; name "" for the key's own
        value), or None when there is none."""
        args = ["/ve"] if name == "" else ["/v", name] if name else []
        status, out = self.wine.run("reg", "query", key, *args)
        if status != 0:
            return None
        values = reg_values(out)
        if name == "":
            # The key's own value is the one /ve lists, named in the machine's language:
            # "(Default)", "(Standard)", "(par défaut)".
            return next(iter(values.values()), None)
        return values.get((name or "").lower())

    # ---- the lab's helpers (tools/standins)

    def press(self, caption, button, wait_ms=0):
        """Presses button (its caption: "&Yes") of the dialog captioned `caption` as
        Brivane does. Status: 0 pressed, 1 no dialog, 2 no such button."""
        return self.wine.run(r"C:\lab\labpress.exe", caption, button, wait_ms,
                             timeout=wait_ms / 1000 + 60)[0]

    def start(self, show, command_line, env=None):
        """Starts a command line with a show state, as Brivane starts the tools."""
        status, out = self.wine.run(r"C:\lab\labstart.exe", show, command_line,
                                    env=self._env(env))
        assert status == 0, f"labstart {show} {command_line}: status {status}: {out}"

    def close(self, text):
        """WM_CLOSE to the first top-level window whose caption holds `text` (any
        case); 0 sent, 1 no such window."""
        return self.wine.run(r"C:\lab\labclose.exe", text)[0]

    def ini_get(self, file, section, key):
        """An entry read through Wine's own profile functions, or None."""
        status, out = self.wine.run(r"C:\lab\labini.exe", "get", file, section, key)
        return out.rstrip("\n") if status == 0 else None

    def ini_set(self, file, section, key, value):
        return self.wine.run(r"C:\lab\labini.exe", "set", file, section, key, value)[0]

    def guard(self, caption=None, cls=None):
        """What another program of the running session (or of a new one, when none
        runs) sees of a run's guard: the screen saver's state ("1", "0") and, with a
        window caption (and class), that window's answer to the query before a suspend
        ("denied", "allowed", "no answer"; "no window" when there is none, None
        without a caption)."""
        status, out = self.wine.run(r"C:\lab\labguard.exe", *[a for a in (caption, cls) if a])
        saver = re.search(r"^screensaver active=(\S+)", out, re.M)
        suspend = re.search(r"^suspend (denied|allowed|no answer)", out, re.M)
        return (saver[1] if saver else out.strip(),
                suspend[1] if suspend else "no window" if status == 1 else None)

    # ---- boots

    def launch(self, *command, kind="run", env=None):
        """Starts a program of the machine in the background, as Windows starts a
        shell, with the process channel traced so that a shutdown or restart request
        can be seen. One at a time; finish() waits for it."""
        assert self.current is None, f"{self.current.command} is still running"
        self.count += 1
        (self.logs / "boots").mkdir(parents=True, exist_ok=True)
        trace = self.logs / "boots" / f"{self.count}.log"
        process = self.wine.start(*command, log=trace,
                                  env=dict(self._env(env), WINEDEBUG="+process"))
        self.current = Boot(self.count, kind, " ".join(command), trace=trace, process=process)
        return self.current

    def finish(self):
        """Waits for the launched program to end (Wine may end it itself while it
        acts on a shutdown or restart), lets the session wind down, and reports."""
        boot, self.current = self.current, None
        assert boot is not None, "nothing launched"
        try:
            boot.status = boot.process.wait(
                timeout=max(0, boot.started + self.boot_timeout - time.monotonic()))
            killed = False
        except subprocess.TimeoutExpired:
            boot.process.kill()
            boot.status, killed = boot.process.wait(), True
        boot.outcome = requested(boot.trace) or (
            Outcome.POWER_CUT if boot.cut else Outcome.KILLED if killed else Outcome.ENDED)
        boot.seconds = round(time.monotonic() - boot.started)
        self.wine.wait_idle(20)
        return self._report(boot)

    def _report(self, boot):
        self.transcript.append(boot)
        with open(self.logs / "transcript.txt", "a") as out:
            out.write(f"{boot}\n")
        return boot

    def power_cut(self):
        """Ends every process of the session at once, as a power cut would."""
        if self.current:
            self.current.cut = True
        self.kill_session()

    def start_boot(self, env=None):
        """A boot, as far as starting its shell: Windows reads Shell from section
        Boot of system.ini and starts it; finish() waits for it. When there is
        nothing to wait for (Explorer.exe: the desktop is back) the boot is over
        at once."""
        shell = self.shell()
        if shell is None:
            return self._report(Boot(self.count + 1, "boot", "", Outcome.NO_SHELL))
        self.kill_session()  # a boot starts with a fresh session
        words = shell.split()
        if re.split(r"[\\/]", words[0])[-1].lower() == "explorer.exe":
            self.count += 1
            return self._report(Boot(self.count, "boot", shell, Outcome.DESKTOP))
        return self.launch(*words, kind="boot", env=env)

    def boot(self, env=None):
        """One boot, to its end."""
        started = self.start_boot(env)
        return started if started.outcome else self.finish()

    def cycle(self, limit=6):
        """Boots again after each restart: the boots, up to the first that ended
        otherwise, or `limit` boots that all restarted."""
        boots = []
        while len(boots) < limit:
            boots.append(self.boot())
            if boots[-1].outcome != Outcome.RESTART:
                break
        return boots


# A Windows 98 system.ini: the shell in [boot], and the usual sections around it.
SYSTEM_INI = r"""[boot]
oemfonts.fon=vgaoem.fon
shell=Explorer.exe
system.drv=system.drv
drivers=mmsystem.dll power.drv
user.exe=user.exe
mouse.drv=mouse.drv
fonts.fon=vgasys.fon
SCRNSAVE.EXE=
display.drv=pnpdrvr.drv
gdi.exe=gdi.exe
fixedfon.fon=vgafix.fon
keyboard.drv=keyboard.drv
language.dll=
comm.drv=comm.drv
sound.drv=mmsound.drv
386Grabber=vgafull.3gr
TaskMan.Exe=taskman.exe

[keyboard]
subtype=
type=4
keyboard.dll=
oemansi.bin=

[boot.description]
system.drv=Standard PC
aspect=100,96,96
display.drv=Standard PCI Graphics Adapter (VGA)
keyboard.typ=Standard 101/102-Key or Microsoft Natural Keyboard
mouse.drv=Standard mouse
codepage=1252
language.dll=English (American)

[386Enh]
ebios=*ebios
woafont=dosapp.fon
mouse=*vmouse, msmouse.vxd
device=*dynapage
device=*vcd
device=*vpd
device=*int13
keyboard=*vkd
display=*vdd,*vflatd
MinSPs=4
PagingDrive=C:
ConservativeSwapfileUsage=1

[power.drv]

[drivers]
wavemapper=*.drv
MSACM.imaadpcm=*.acm
MSACM.msadpcm=*.acm
MSACM.msgsm610=*.acm
midimapper=*.drv

[iccvid.drv]

[mciseq.drv]

[NonWindowsApp]
TTInitialSizes=4 5 6 7 8 9 10 11 12 13 14 15 16 18 20 22

[vcache]
MinFileCache=2048
MaxFileCache=16384

[mci]
cdaudio=mcicda.drv
sequencer=mciseq.drv
waveaudio=mciwave.drv
avivideo=mciavi.drv
videodisc=mcipionr.drv
vcr=mcivisca.drv
MPEGVideo=mciqtz.drv
MPEGVideo2=mciqtz.drv
MPEGAudio=mciqtz.drv

[drivers32]
msacm.imaadpcm=imaadp32.acm
msacm.msadpcm=msadp32.acm
msacm.msgsm610=msgsm32.acm
vidc.cvid=iccvid.dll
vidc.msvc=msvidc32.dll
vidc.mrle=msrle32.dll

[Password Lists]
LAB=C:\WINDOWS\LAB.PWL
"""
