"""The stand-in tools as an English, a German and a French Windows 98 (tools/standins,
BRIVANE_LAB_LANGUAGE) under Wine in that locale, without Brivane: the captions a run
looks for, and the MessageBox of each prompt as the window probe (tools/winprobe)
reads it: class #32770, Yes and No as control IDs IDYES (6) and IDNO (7), their
texts from Wine in the locale's language. A press by control ID answers a box whose
English button text is not there. What the probe saw goes to
out/editions/messageboxes.txt."""

import re

import pytest
from lab import EDITIONS, IDNO, IDYES

FINDINGS = "messageboxes.txt"


@pytest.fixture(scope="module", params=list(EDITIONS))
def lab(request, new_lab, out):
    machine = new_lab(out / request.param, language=request.param,
                      BRIVANE_LAB_DEFRAG_MS=1500, BRIVANE_LAB_SCANDISK_MS=1000)
    yield machine
    machine.teardown()


def expect_log(lab, *texts, seconds=15):
    for text in texts:
        lab.wait_log(re.escape(text), seconds)


def buttons(window):
    """{control ID: text} of a box's buttons."""
    return {c.id: c.caption for c in window.children() if c.cls.lower() == "button"}


def record(out, lab, tool, window):
    """A line of what the probe saw of a box, for the findings."""
    e = lab.edition
    seen = " ".join(f"{i}={t}" for i, t in sorted(buttons(window).items()))
    with open(out / FINDINGS, "a", encoding="utf-8") as findings:
        findings.write(f"{e.code} (LANG={e.locale or 'as the tests run'}) {tool}: "
                       f"class {window.cls} caption \"{window.caption}\" buttons {seen}\n")


# How a prompt comes up, what it is captioned, and the button pressed by its ID.
PROMPTS = {
    "defrag": (1, "Defrag.exe C:", {}, lambda e: e.defrag_prompt, IDYES, "Yes"),
    "scandisk": (4, r"C:\windows\scandskw.exe C: /n", {"BRIVANE_LAB_SCANDISK_PROMPT_MS": 300},
                 lambda e: "ScanDisk - C:", IDNO, "No"),
}


@pytest.mark.parametrize("tool", list(PROMPTS))
def test_prompt_is_a_messagebox_with_the_standard_ids(lab, out, tool):
    show, command, env, caption_of, press, answer = PROMPTS[tool]
    e, program = lab.edition, command.split(".")[0].split("\\")[-1]
    caption = caption_of(e)
    lab.clear_tools_log()
    lab.start(show, command, env=env)
    box = lab.wine.window(caption, "#32770", wait=20)
    assert box, f"no #32770 box \"{caption}\":\n{lab.tools_log()}"
    record(out, lab, tool, box)
    assert buttons(box) == {IDYES: e.yes, IDNO: e.no}, \
        f"the box's buttons in {e.code}: {box.children()}"
    expect_log(lab, f"{program} prompt shown caption={caption}",
               f"{program} prompt buttons {IDYES}={e.yes} {IDNO}={e.no}")
    if e.code != "en":
        # What the English path presses is not in this box.
        assert lab.press(caption, "&Yes") == 2 and lab.press(caption, "&No") == 2
    assert lab.press(caption, f"#{press}", 5000) == 0
    expect_log(lab, f"{program} answer {answer}", f"{program} exit")


def test_work_windows_carry_the_editions_captions(lab):
    e = lab.edition
    lab.clear_tools_log()
    lab.start(1, "Defrag.exe D:", env={"BRIVANE_LAB_DEFRAG_MS": 60000})
    window = lab.wine.window(e.defrag_window.format("D"), wait=20)
    assert window, f"no Defrag window \"{e.defrag_window.format('D')}\":\n{lab.tools_log()}"
    lab.close(e.defrag_window.format("D"))
    expect_log(lab, f"Defrag window shown caption={e.defrag_window.format('D')}",
               "Defrag closed by WM_CLOSE", "Defrag exit")
    lab.start(4, r"C:\windows\scandskw.exe C: /n", env={"BRIVANE_LAB_SCANDISK_MS": 60000})
    assert lab.wine.window("ScanDisk - C:", wait=20), "no ScanDisk window"
    lab.close("ScanDisk - C:")
    expect_log(lab, "scandskw window shown caption=ScanDisk - C:", "scandskw exit")


def test_defrag_set_not_to_ask_ends_without_a_prompt(lab):
    lab.clear_tools_log()
    lab.start(1, "Defrag.exe C:", env={"BRIVANE_LAB_DEFRAG_NO_PROMPT": 1})
    expect_log(lab, "Defrag done after", "Defrag no prompt", "Defrag exit")
    assert "prompt shown" not in lab.tools_log()
    assert not lab.wine.window(lab.edition.defrag_prompt, "#32770")
