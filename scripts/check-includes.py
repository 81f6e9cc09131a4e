#!/usr/bin/env python3
"""Checks the include graph of src/: a floor includes only its own headers and
those of the floors below it, and no two files of one floor include each
other (a header and its source count as one file). Prints each fault; exit 1
when there is one."""
import os
import re
import sys

# Lowest first; a floor may include the floors before it in this list.
FLOORS = ["base", "map", "stream", "camera", "refilm", "autogen", "inspect", "film", "run", "console", "system"]
# Floors that stand side by side and must not include each other.
SIDE_BY_SIDE = {frozenset(["stream", "camera"]), frozenset(["stream", "map"]), frozenset(["camera", "map"])}

src = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
include = re.compile(r'^#include "([a-z_]+)/([a-z_0-9]+)\.h"', re.M)
faults = []
edges = {}
for floor in FLOORS:
    folder = os.path.join(src, floor)
    if not os.path.isdir(folder):
        continue
    for name in sorted(os.listdir(folder)):
        stem, ext = os.path.splitext(name)
        if ext not in (".h", ".cpp"):
            continue
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            text = f.read()
        for other, header in include.findall(text):
            if other not in FLOORS:
                continue
            if FLOORS.index(other) > FLOORS.index(floor) or frozenset([floor, other]) in SIDE_BY_SIDE:
                faults.append(f"src/{floor}/{name} includes {other}/{header}.h, which is not below it")
            if other == floor and header != stem:
                edges.setdefault((floor, stem), set()).add((floor, header))

# A circle of files within a floor, found by a walk from each file.
def circle_from(start):
    path, seen = [start], set()
    def walk(module):
        for target in sorted(edges.get(module, ())):
            if target == start:
                return True
            if target in seen:
                continue
            seen.add(target)
            path.append(target)
            if walk(target):
                return True
            path.pop()
        return False
    return path if walk(start) else None

reported = set()
for module in sorted(edges):
    circle = circle_from(module)
    if circle and frozenset(circle) not in reported:
        reported.add(frozenset(circle))
        names = " -> ".join(f"{floor}/{stem}" for floor, stem in circle + [circle[0]])
        faults.append(f"files of one floor include each other: {names}")

for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
