#!/usr/bin/env python3
"""Checks the layering of the product code by its #include lines.

    foundation -> toolkit -> sections (inventory, receiver, audio)
               -> report (driver, document, rendering) -> repair -> app

A folder may include its own layer or lower ones, never a higher one; no two
folders may include each other; and no section may include the report
document (sections see only foundation/LineWriter.h).  Tests, fixtures and
fuzz targets are left out: they may reach anywhere.

    check-layers.py SOURCE_DIR
"""
import os
import re
import sys

LAYERS = {"foundation": 0, "toolkit": 1, "inventory": 2, "receiver": 2, "audio": 2,
          "report": 3, "repair": 4, "app": 5}
SECTIONS = {"inventory", "receiver", "audio"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/([^"]+)"', re.M)


def product_files(root, folder):
    for directory, subdirs, files in os.walk(os.path.join(root, folder)):
        subdirs[:] = [d for d in subdirs if d not in ("tests", "fuzz", "resources")]
        for name in files:
            if name.endswith((".cpp", ".h")):
                yield os.path.join(directory, name)


def main(root):
    problems = []
    edges = set()
    for folder in LAYERS:
        for path in product_files(root, folder):
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            shown = os.path.relpath(path, root)
            for target, header in INCLUDE.findall(text):
                if target not in LAYERS or target == folder:
                    continue
                edges.add((folder, target))
                if LAYERS[target] > LAYERS[folder]:
                    problems.append(f"{shown}: includes {target}/{header} from a higher layer")
                if folder in SECTIONS and header == "ReportDocument.h":
                    problems.append(f"{shown}: a section includes the report document")
    for a, b in sorted(edges):
        if a < b and (b, a) in edges:
            problems.append(f"{a} and {b} include each other")
    for line in problems:
        print("FAILED:", line)
    print(f"{len(edges)} folder dependencies checked, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
