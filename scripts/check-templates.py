#!/usr/bin/env python3
"""Checks what a screen reader says for each input of the dialog templates.

Reads the dialog templates of src/res/quillmarsh.rc (identifiers from
src/res/resource.h). An input is an Edit or ComboBox control. Its name is the
text of the nearest Static before it in template order; a control with both
WS_GROUP and WS_TABSTOP before that ends the search, and the input has no
name. A name is the input's own when it comes from a label that is not shown
and lies exactly on the input, or from a shown label that lies beside the
input (their rows overlap) and nearer to it than to any other input on that
row. A label names one input at most, and every input is a tab stop.

The radio buttons' groups are checked too: a group runs from a control with
WS_GROUP to the next one, and the last group goes on at the first control.
An auto radio button unchecks the others of its group, and the arrow keys
move within it, so every radio button must share its group with exactly the
radio buttons listed below.

Prints the table of names and every breach, and exits with 1 if there is any.
"""
import re
import sys
from pathlib import Path

root = Path(__file__).resolve().parent.parent
res = root / "src" / "res"

# The radio buttons that belong together, per template.
RADIO_GROUPS = {
    "IDD_MAIN": [
        {"IDC_MAIN_SHUTDOWN", "IDC_MAIN_REBOOT", "IDC_MAIN_LOGOFF", "IDC_MAIN_STANDBY", "IDC_MAIN_HIBERNATE"}
    ],
    "IDD_SETTINGS": [
        {"IDC_SET_NO_WAKE", "IDC_SET_WAKE_IDLE", "IDC_SET_RESUME_SCHEDULED", "IDC_SET_PROGRAM_THEN_END"},
        {"IDC_SET_PROGRAM_THEN_SCHEDULED"},
        {"IDC_SET_SILENT", "IDC_SET_TEN_COUNT", "IDC_SET_HEARTBEAT", "IDC_SET_BEEP", "IDC_SET_CHOSEN_SOUND"},
    ],
    "IDD_MANUAL": [],
    "IDD_PHRASE": [],
}


def split_arguments(text):
    """Splits at the commas that are outside double quotes."""
    parts, current, quoted = [], "", False
    for char in text:
        if char == '"':
            quoted = not quoted
        if char == "," and not quoted:
            parts.append(current.strip())
            current = ""
        else:
            current += char
    parts.append(current.strip())
    return parts


def parse_style(text):
    """The style's flag names; a CONTROL is visible unless it says NOT WS_VISIBLE."""
    flags = {"WS_VISIBLE"}
    for part in text.split("|"):
        words = part.split()
        if len(words) == 2 and words[0] == "NOT":
            flags.discard(words[1])
        elif len(words) == 1:
            flags.add(words[0])
        else:
            raise ValueError(f"style part {part!r}")
    return flags


def parse_templates(rc_text, names):
    templates = {}
    pattern = re.compile(r"^(\w+) DIALOGEX[^\n]*\n(.*?)^BEGIN\n(.*?)^END", re.MULTILINE | re.DOTALL)
    for match in pattern.finditer(rc_text):
        controls = []
        for line in match.group(3).splitlines():
            line = line.strip()
            if not line or line.startswith("//"):
                continue
            if not line.startswith("CONTROL "):
                raise ValueError(f"{match.group(1)}: not a CONTROL statement: {line}")
            text, ident, klass, style, x, y, w, h = split_arguments(line[len("CONTROL ") :])
            controls.append(
                {
                    "text": text.strip('"'),
                    "id": ident,
                    "name": ident if ident != "-1" else f'"{text.strip(chr(34))}"',
                    "class": klass.strip('"').lower(),
                    "style": parse_style(style),
                    "rect": tuple(int(v) for v in (x, y, w, h)),
                }
            )
        templates[match.group(1)] = controls
    return templates


def rows_overlap(a, b):
    return a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def gap(a, b):
    return max(0, a[0] - (b[0] + b[2]), b[0] - (a[0] + a[2]))


def is_input(control):
    return control["class"] in ("edit", "combobox")


def derive_label(controls, index):
    for control in reversed(controls[:index]):
        if {"WS_GROUP", "WS_TABSTOP"} <= control["style"]:
            return None
        if control["class"] == "static":
            return control
    return None


def check_names(dialog, controls, problems, table):
    inputs = [c for c in controls if is_input(c)]
    named = {}
    for index, control in enumerate(controls):
        if not is_input(control):
            continue
        label = derive_label(controls, index)
        verdict = "ok"
        if label is None or not label["text"]:
            verdict = "no name"
        elif "WS_VISIBLE" not in label["style"]:
            if label["rect"] != control["rect"]:
                verdict = "hidden label not on the input"
        else:
            beside = [i for i in inputs if rows_overlap(i["rect"], label["rect"])]
            nearest = sorted(beside, key=lambda i: gap(i["rect"], label["rect"]))
            if control not in beside:
                verdict = "label is not beside the input"
            elif len(nearest) > 1 and gap(nearest[1]["rect"], label["rect"]) <= gap(control["rect"], label["rect"]):
                verdict = "label is nearer to another input"
        if label is not None:
            if id(label) in named:
                verdict = f"label also names {named[id(label)]}"
            named[id(label)] = control["name"]
        if "WS_TABSTOP" not in control["style"]:
            verdict = "not a tab stop" if verdict == "ok" else verdict + "; not a tab stop"
        shown = label["text"] if label else "(none)"
        table.append((dialog, control["name"], shown, verdict))
        if verdict != "ok":
            problems.append(f"{dialog}: {control['name']} named {shown!r}: {verdict}")


def radio_groups(controls):
    """The names of the radio buttons of each group, the last group wrapped to the first."""
    starts = [i for i, c in enumerate(controls) if "WS_GROUP" in c["style"]]
    if not starts:
        starts = [0]
    groups = []
    for n, start in enumerate(starts):
        end = starts[n + 1] if n + 1 < len(starts) else len(controls) + starts[0]
        members = [controls[i % len(controls)] for i in range(start, end)]
        radios = {c["name"] for c in members if "BS_AUTORADIOBUTTON" in c["style"] or "BS_RADIOBUTTON" in c["style"]}
        if radios:
            groups.append(radios)
    return groups


def main():
    names = dict(re.findall(r"^#define (\w+) (\d+)", (res / "resource.h").read_text(encoding="utf-8"), re.MULTILINE))
    templates = parse_templates((res / "quillmarsh.rc").read_text(encoding="utf-8"), names)
    problems, table = [], []
    for dialog, expected in RADIO_GROUPS.items():
        controls = templates.get(dialog)
        if controls is None:
            problems.append(f"{dialog}: no such template")
            continue
        check_names(dialog, controls, problems, table)
        found = radio_groups(controls)
        if sorted(map(sorted, found)) != sorted(map(sorted, expected)):
            problems.append(f"{dialog}: radio groups {sorted(map(sorted, found))}, expected {sorted(map(sorted, expected))}")
    width = max(len(row[1]) for row in table)
    for dialog, control, label, verdict in table:
        print(f"{dialog:<13} {control:<{width}}  {label}  [{verdict}]")
    for problem in problems:
        print(f"check-templates: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
