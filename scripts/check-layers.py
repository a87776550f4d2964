#!/usr/bin/env python3
"""Checks the include structure of src/, and what its lower layers know.

The layers and their order, from the top down, are read from src/README.md
(its lines "- `name/`: ..."). A file may include headers of its own layer and
of the layers below it, never of a layer above. Modules (a .h with its .cpp)
must not include each other, directly or in a circle. The operations, the
end actions, the settings and the shared state report to a view and know no
window: no file of theirs names a control identifier (IDC_...) or the handle
of one of the program's windows. Prints every breach and exits with 1 if
there is any.
"""
import re
import sys
from pathlib import Path

root = Path(__file__).resolve().parent.parent
src = root / "src"

layers = re.findall(r"^- `([a-z_]+)/`", (src / "README.md").read_text(encoding="utf-8"), re.MULTILINE)
if not layers:
    sys.exit("check-layers: src/README.md names no layers")
rank = {name: index for index, name in enumerate(layers)}  # 0 is the top

include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
# The layers that know no window, and what naming one looks like: a control
# identifier, the record of a window's handle, or the lookup of a live one.
windowless = ("schedule", "power", "settings", "state")
window_names = re.compile(r"\b(IDC_\w+|mainWindow|settingsWindow|manualWindow|phraseWindow|OpenDialog)\b")
comment = re.compile(r"//[^\n]*|/\*.*?\*/", re.DOTALL)
problems = []
edges = {}
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    relative = path.relative_to(src).as_posix()
    layer = relative.split("/")[0]
    if layer not in rank:
        problems.append(f"{relative}: the folder {layer}/ is not a layer of src/README.md")
        continue
    module = relative.rsplit(".", 1)[0]
    text = path.read_text(encoding="utf-8")
    if layer in windowless:
        for number, line in enumerate(comment.sub(lambda m: "\n" * m.group(0).count("\n"), text).split("\n"), 1):
            for name in sorted(set(window_names.findall(line))):
                problems.append(f"{relative}:{number}: {layer}/ names {name}, a window's; it reports to its view")
    for header in include.findall(text):
        target_layer = header.split("/")[0]
        if "/" not in header or target_layer not in rank:
            problems.append(f"{relative}: includes \"{header}\", which is not under a layer")
            continue
        if rank[target_layer] < rank[layer]:
            problems.append(f"{relative}: {layer}/ includes \"{header}\" of {target_layer}/, a layer above it")
        target = header.rsplit(".", 1)[0]
        if target != module:
            edges.setdefault(module, set()).add(target)

# Modules that include each other, directly or in a circle: the strongly
# connected components of more than one module (Tarjan's algorithm).
index_of, low, stack, on_stack, counter = {}, {}, [], set(), [0]


def visit(module):
    index_of[module] = low[module] = counter[0]
    counter[0] += 1
    stack.append(module)
    on_stack.add(module)
    for target in sorted(edges.get(module, ())):
        if target not in index_of:
            visit(target)
            low[module] = min(low[module], low[target])
        elif target in on_stack:
            low[module] = min(low[module], index_of[target])
    if low[module] == index_of[module]:
        component = []
        while True:
            member = stack.pop()
            on_stack.discard(member)
            component.append(member)
            if member == module:
                break
        if len(component) > 1:
            problems.append("modules that include each other: " + ", ".join(sorted(component)))


sys.setrecursionlimit(10000)
for module in sorted(edges):
    if module not in index_of:
        visit(module)

if problems:
    print("check-layers: the structure breaks the layers of src/README.md:", file=sys.stderr)
    for problem in problems:
        print("  " + problem, file=sys.stderr)
    sys.exit(1)
print(f"check-layers: {len(edges)} modules in {len(layers)} layers, includes point down only, no circles;"
      f" {', '.join(windowless)} name no window")
