"""Brivane's runs end to end on a fresh lab machine each (tools/lab): the real
brivane.exe of the Windows build with the stand-in disk tools.
    cycle-shutdown-both     armed through the window, both tools, Shutdown
    cycle-restart-scandisk  armed through the window, Defrag unticked, Restart
    cycle-german-shutdown, cycle-french-shutdown
                            the same on a German and a French Windows 98 (Wine in
                            that locale, the tools' editions): Defrag's final prompt
                            answered, in German also ScanDisk's question after its run
    cycle-defrag-no-prompt  both tools, Shutdown, a Defrag that ends without a prompt
    exit-during-scandisk    Exit clicked while ScanDisk works: ScanDisk closed, run done,
                            the screen saver back; then Brivane on the desktop again
    exit-during-defrag-french
                            Exit clicked while a French Defrag works, its window
                            captioned without "Defrag": Defrag closed, run done
    cut-scandisk, cut-defrag, cut-completion
                            power cut during ScanDisk, Defrag and completion's pause,
                            then boots until the machine rests at its shell
Screenshots and logs of each case in out/lab/CASE/; out/lab/cases.txt has the last
result of each case, out/lab/power_cuts.txt the power cuts."""

import time

import pytest
import wine
from brivane import EXE, INTERRUPTED, SCANDISK_COMMAND, Brivane, cycle_log, in_order, run_text
from conftest import REPORTS, out_folder
from lab import Outcome

CASES = ["cycle-shutdown-both", "cycle-restart-scandisk", "cycle-german-shutdown",
         "cycle-french-shutdown", "cycle-defrag-no-prompt", "exit-during-scandisk", "exit-during-defrag-french",
         "cut-scandisk", "cut-defrag", "cut-completion"]
# The machines that are not the English one with the tools' defaults: language
# (lab.EDITIONS) and the stand-ins' settings.
MACHINES = {
    "cycle-german-shutdown": {"language": "de", "BRIVANE_LAB_SCANDISK_PROMPT_MS": 1500},
    "cycle-french-shutdown": {"language": "fr"},
    "cycle-defrag-no-prompt": {"BRIVANE_LAB_DEFRAG_NO_PROMPT": 1},
    "exit-during-defrag-french": {"language": "fr"},
}
LAB = wine.OUT / "lab"
CUTS_HEADER = ("cut during (ending)", "just after the cut", "boots after it, as they ended",
               "tools over the whole run", "end state")


def table_row(cells):
    return "{:<21} | {:<46} | {:<33} | {:<35} | {}".format(*cells)


def gather(name, header):
    """out/lab/NAME.txt from the rows the cases left in out/lab/CASE/NAME.txt."""
    rows = [(LAB / case / f"{name}.txt").read_text() for case in CASES
            if (LAB / case / f"{name}.txt").is_file()]
    (LAB / f"{name}.txt").write_text(header + "\n" + "".join(rows))


@pytest.fixture
def brivane(request, new_lab):
    name = request.node.callspec.params["name"]
    folder = out_folder(request.node, "lab", name)
    started = time.monotonic()
    lab = new_lab(folder, boot_timeout=120, BRIVANE_LAB_SCANDISK_MS=2500,
                  BRIVANE_LAB_DEFRAG_MS=2500, **MACHINES.get(name, {}))
    yield Brivane(lab, folder)
    lab.teardown()
    call = request.node.stash.get(REPORTS, {}).get("call")
    verdict = "PASS" if call and call.passed else "FAIL"
    (folder / "cases.txt").write_text(
        f"{name:<24} {verdict:<6} {time.monotonic() - started:4.0f} s\n")
    gather("cases", "case                     result   time")


def exit_during_scandisk(b):
    lab, problems = b.lab, []
    b.arm_direct(1, 1, "shutdown")

    def zorder():
        """The captions of the top-level windows, top first."""
        return ">".join(w.caption for w in lab.wine.probe())

    with b.watching():
        lab.start_boot(env={"BRIVANE_LAB_SCANDISK_MS": 60000})
        lab.wait_log("scandskw window shown", 40)
        if (guard := b.guard()) != ("0", "denied"):
            problems.append(f"before Exit: screen saver active={guard[0]}, suspend query "
                            f"{guard[1]}")
        time.sleep(0.5)
        b.shot("exit-1-scandisk")
        # A click on ScanDisk, then one on Brivane's body: Brivane is in front again
        # (Wine raises only a window that was not active already).
        scandisk = lab.screen.wait_x_window("^ScanDisk - C:$", visible=True)
        lab.screen.x("mousemove", "--window", scandisk, 200, 60, "click", 1)
        time.sleep(0.3)
        window = b.main_window()
        body = window.control("picMain").screen
        lab.screen.click(body.x + 60, body.y + 40)
        before = zorder()
        b.shot("exit-2-brivane-in-front")
        if not before.startswith("Brivane>ScanDisk - C:"):
            problems.append(f"Brivane is not in front of ScanDisk: {before}")
        b.click("picExit", window)
        if lab.wine.window("Exit?", wait=10):
            b.shot("exit-3-box")
            b.click_button("Exit?", "&Yes")
        else:
            problems.append("no \"Exit?\" box")
        time.sleep(0.5)
        after = zorder()
        b.shot("exit-4-after-yes")
        # Still the run's session: completion pauses 5 s before it asks to shut down.
        saver = lab.guard()[0]
        if lab.current.process.poll() is not None:
            problems.append("the run's session ended before the screen saver was read")
        elif saver != "1":
            problems.append(f"after Exit: screen saver active={saver}, not put back")
        boot = lab.finish()
    b.keep_logs()
    problems += b.log_problems([f"Run resumed after the restart: {run_text('both', 'shutdown')}",
                                f"Started: {SCANDISK_COMMAND}",
                                "Exit during the run: closing the tools",
                                "Run completed: shut down requested"])
    if in_order(lab.events(), ["scandskw closed by WM_CLOSE", "scandskw exit"]):
        problems.append(f"ScanDisk was not closed; Z-order before Exit: {before}; after "
                        f"\"Exit?\" was answered: {after}; the log:\n{lab.tools_log()}")
    if b.count_events("scandskw done"):
        problems.append("ScanDisk ran to its end")
    if b.count_events("Defrag"):
        problems.append("Defrag started after Exit")
    if boot.outcome != Outcome.SHUTDOWN:
        problems.append(f"the boot ended: {boot}, not with a shutdown request")
    if saver_problem := b.saver_problem():
        problems.append(saver_problem)
    problems += b.left_behind()
    problems += desktop_after_run(b)
    assert not problems, "\n".join(problems)


def exit_during_defrag(b):
    """Exit while Defrag works, on a machine whose Defrag window is captioned
    "Défragmentation du lecteur C": Defrag is closed, the run completes."""
    lab, problems = b.lab, []
    b.arm_direct(1, 1, "shutdown")
    with b.watching():
        lab.start_boot(env={"BRIVANE_LAB_DEFRAG_MS": 60000})
        lab.wait_log("Defrag window shown", 60)
        time.sleep(0.5)
        # Defrag was started in front: a click on Brivane's body brings it forward.
        window = b.main_window()
        body = window.control("picMain").screen
        lab.screen.click(body.x + 60, body.y + 40)
        b.shot("exit-1-brivane-in-front")
        b.click("picExit", window)
        if lab.wine.window("Exit?", wait=10):
            b.shot("exit-2-box")
            b.click_button("Exit?", lab.edition.yes)
        else:
            problems.append("no \"Exit?\" box")
        boot = lab.finish()
    b.keep_logs()
    problems += b.log_problems([f"Run resumed after the restart: {run_text('both', 'shutdown')}",
                                f"Started: {SCANDISK_COMMAND}", "ScanDisk finished after H:MM:SS",
                                "Started: Defrag.exe C:", "Exit during the run: closing the tools",
                                "Run completed: shut down requested"])
    if in_order(lab.events(), ["Defrag closed by WM_CLOSE", "Defrag exit"]):
        problems.append(f"Defrag was not closed; the log:\n{lab.tools_log()}")
    if b.count_events("Defrag done"):
        problems.append("Defrag ran to its end")
    if boot.outcome != Outcome.SHUTDOWN:
        problems.append(f"the boot ended: {boot}, not with a shutdown request")
    problems += b.left_behind()
    assert not problems, "\n".join(problems)


def desktop_after_run(b):
    """Switched on again after a run: the desktop's session has the screen saver
    on, and Brivane started there lets the system go to standby. The problems."""
    lab, problems = b.lab, []
    if (boot := lab.boot()).outcome != Outcome.DESKTOP:
        return [f"the boot after the run ended: {boot}, not at the desktop"]
    if (saver := lab.guard()[0]) != "1":
        problems.append(f"on the desktop after the run: screen saver active={saver}")
    lab.launch(EXE)
    window = b.main_window(30)
    if (suspend := b.guard()[1]) != "allowed":
        problems.append(f"Brivane on the desktop: suspend query {suspend}, not allowed")
    b.click("picExit", window)
    b.click_button("Exit?", "&Yes")
    if (run := lab.finish()).outcome != Outcome.ENDED:
        problems.append(f"Brivane on the desktop did not end on Exit: {run}")
    return problems


# What ran over a whole run cut at each point: ScanDisk and Defrag starts and
# Defrag's answer.
CUT_RUNS = {"scandisk": "ScanDisk ScanDisk Defrag Yes",
            "defrag": "ScanDisk Defrag ScanDisk Defrag Yes",
            "completion": "ScanDisk Defrag Yes"}


def reached(b, point):
    """Waits until the run is at `point`; None, or what went wrong."""
    lab = b.lab
    try:
        if point == "scandisk":
            lab.wait_log("scandskw window shown", 40)
        elif point == "defrag":
            lab.wait_log("Defrag window shown", 60)
        else:
            # Settings file gone and Explorer written back: the 5-second pause has begun.
            assert wine.wait_for(lambda: not b.settings_file.exists() and
                                 lab.shell() == "Explorer.exe", 60, 0.05), \
                "completion did not begin within 60 s"
            return None
        time.sleep(1)
    except AssertionError as e:
        return f"the run never reached {point}: {e}"
    return None


def cut(b, point, ending):
    """A run of both tools, cut at `point`; then boots until the machine rests."""
    lab, problems = b.lab, []
    b.arm_direct(1, 1, ending)
    armed = lab.shell()
    start = len(lab.transcript)
    with b.watching():
        lab.start_boot()
        if problem := reached(b, point):
            problems.append(problem)
        b.shot(f"cut-at-{point}")
        lab.power_cut()
        boot = lab.finish()
        if boot.outcome != Outcome.POWER_CUT:
            problems.append(f"the cut boot ended: {boot}")
        shell = lab.shell()
        after_cut = (f"Set={b.setting('Set')}, shell {shell}" if b.settings_file.exists()
                     else f"no Brivane.ini, shell {shell}")
        want = ("no Brivane.ini, shell Explorer.exe" if point == "completion"
                else f"Set=Yes, shell {armed}")
        if after_cut != want:
            problems.append(f"after the cut: {after_cut}, expected {want}")
        rest = b.boot_until_rest(5)
    b.shot("99-end")
    b.keep_logs()
    if rest[-1].outcome != Outcome.DESKTOP:
        problems.append(f"the machine did not come to rest: {rest[-1]}")
    happened = " > ".join(boot.summary().split(" -> ")[1] for boot in lab.transcript[start + 1:])
    runs = " ".join("Yes" if e.startswith("Defrag answer") else
                    "ScanDisk" if e.startswith("scandskw") else "Defrag"
                    for e in lab.events() if " start " in e or e.startswith("Defrag answer"))
    if runs != CUT_RUNS[point]:
        problems.append(f"tools ran: {runs!r}, expected {CUT_RUNS[point]!r}")
    if saver_problem := b.saver_problem():
        problems.append(saver_problem)
    problems += b.log_problems(cut_log(point, ending))
    left = b.left_behind()
    problems += left
    end = ("WRONG (see the failure)" if left else
           "at rest: shell Explorer.exe, no Brivane.ini, system.ini as before, presets set")
    (b.shots / "power_cuts.txt").write_text(
        table_row((f"{point} ({ending})", after_cut, happened, runs, end)) + "\n")
    gather("power_cuts", table_row(CUTS_HEADER))
    assert not problems, "\n".join(problems)


# How much of a run's Brivane.log the cut at each point leaves: during completion's
# pause, all but the request, which comes after the pause.
CUT_LOGS = {"scandisk": 2, "defrag": 4, "completion": -1}


def cut_log(point, ending):
    """Brivane.log of a run cut at `point` and the boots after it: a cut after a
    tool had started is told just before the run resumes again."""
    run = cycle_log("both", ending)[1:]
    cut = run[:CUT_LOGS[point]]
    return cut if point == "completion" else cut + [INTERRUPTED] + run


RUNS = {
    "cycle-shutdown-both": lambda b: b.cycle("shutdown", "both"),
    "cycle-restart-scandisk": lambda b: b.cycle("restart", "scandisk", "box"),
    "cycle-german-shutdown": lambda b: b.cycle("shutdown", "both"),
    "cycle-french-shutdown": lambda b: b.cycle("shutdown", "both"),
    "cycle-defrag-no-prompt": lambda b: b.cycle("shutdown", "both"),
    "exit-during-scandisk": exit_during_scandisk,
    "exit-during-defrag-french": exit_during_defrag,
    "cut-scandisk": lambda b: cut(b, "scandisk", "shutdown"),
    "cut-defrag": lambda b: cut(b, "defrag", "restart"),
    "cut-completion": lambda b: cut(b, "completion", "shutdown"),
}


@pytest.mark.parametrize("name", CASES)
def test_lab_run(name, brivane):
    RUNS[name](brivane)
