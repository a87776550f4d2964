#!/usr/bin/env python3
"""Checks that every procedure of src/ that Windows calls is handed over guarded.

A procedure Windows calls is one declared CALLBACK or WINAPI. An exception
must never unwind out of one into the system, so each is handed to Windows
only inside a guard of platform/guard.h (Guarded...Proc<Name>, or
ThreadSlot's Start<Name>, which guards it). The check is at the level of the
text: every such name must appear inside <...> at least once, and nowhere as
a bare value (a use that is neither a call, "Name(", nor "<Name>"). The
process entry wWinMain is left out: the runtime's start-up code calls it,
not Windows, and an exception there ends the process by std::terminate.
The methods of the program's own COM objects (declared STDMETHODCALLTYPE)
are reached through their object, never handed over by name: each must be
declared noexcept, so that an exception ends the process there instead of
unwinding into COM's frames.
Prints every breach and exits with 1 if there is any.
"""
import re
import sys
from pathlib import Path

root = Path(__file__).resolve().parent.parent
src = root / "src"
exempt = {"wWinMain"}

procedure = re.compile(r"\b(?:CALLBACK|WINAPI)\s+(\w+)\s*\(")
texts = {}
for path in sorted(src.rglob("*")):
    if path.suffix in (".h", ".cpp") and path.relative_to(src).as_posix() != "platform/guard.h":
        text = path.read_text(encoding="utf-8")
        texts[path.relative_to(src).as_posix()] = re.sub(r"//[^\n]*", "", text)

names = {}
for relative, text in texts.items():
    for name in procedure.findall(text):
        if name not in exempt:
            names.setdefault(name, relative)

problems = []
for name, where in sorted(names.items()):
    token = re.compile(r"\b" + name + r"\b")
    guarded = False
    for relative, text in texts.items():
        for match in token.finditer(text):
            before = text[: match.start()].rstrip()
            after = text[match.end() :].lstrip()
            if before.endswith("<") and after.startswith(">"):
                guarded = True
            elif not after.startswith("("):
                line = text.count("\n", 0, match.start()) + 1
                problems.append(f"{relative}:{line}: {name} is handed over without a guard of platform/guard.h")
    if not guarded:
        problems.append(f"{where}: {name} is a CALLBACK/WINAPI procedure that is never wrapped in a guard")

com_method = re.compile(r"\bSTDMETHODCALLTYPE\s+(\w+)\s*\(")
for relative, text in texts.items():
    for match in com_method.finditer(text):
        end = min(i for i in (text.find("{", match.end()), text.find(";", match.end()), len(text)) if i >= 0)
        if "noexcept" not in text[match.end() : end]:
            line = text.count("\n", 0, match.start()) + 1
            problems.append(f"{relative}:{line}: the COM method {match.group(1)} is not declared noexcept")

if problems:
    print("check-guards: procedures that Windows calls must be guarded (platform/guard.h):", file=sys.stderr)
    for problem in problems:
        print("  " + problem, file=sys.stderr)
    sys.exit(1)
