#!/usr/bin/env python3
"""The executable's static imports against the list of functions known to be
exported by Windows 95 and Windows NT 4.0.

Windows' loader refuses to start an image that imports a function the system
DLL does not export ("The procedure entry point ... could not be located"),
before a line of the program runs.  Wine exports everything whatever version it
emulates, so only this review catches such an import.  Every imported function
must stand in the list with the first Windows of each family that exports it;
one that is missing from the list, or first came after Windows 95 or NT 4.0,
fails with its name.  Such a function belongs in the run-time lookup table
(foundation/DynamicCalls.h) instead.

    check-imports.py OBJDUMP IMAGE LIST
"""
import re
import subprocess
import sys

# The two oldest systems the program runs on; a later first version fails.
WINDOWS_9X = ["95", "98", "ME", "none"]
WINDOWS_NT = ["3.1", "3.5", "3.51", "4.0", "2000", "XP", "2003", "Vista", "none"]
OLDEST_9X = "95"
OLDEST_NT = "4.0"


def read_list(path):
    """{(dll, function): (first 9x, first NT)} from the list's lines
    'DLL FUNCTION 9X NT SOURCE...'; '#' starts a comment."""
    entries, problems = {}, []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split()
            where = f"{path}:{number}"
            if len(fields) < 5:
                problems.append(f"{where}: needs DLL, function, 9x version, NT version and a source")
                continue
            dll, function, first_9x, first_nt = fields[0].lower(), fields[1], fields[2], fields[3]
            if first_9x not in WINDOWS_9X:
                problems.append(f"{where}: 9x version {first_9x!r} is not one of {' '.join(WINDOWS_9X)}")
            if first_nt not in WINDOWS_NT:
                problems.append(f"{where}: NT version {first_nt!r} is not one of {' '.join(WINDOWS_NT)}")
            if (dll, function) in entries:
                problems.append(f"{where}: {fields[0]} {function} is listed twice")
            entries[(dll, function)] = (first_9x, first_nt)
    return entries, problems


def read_imports(objdump, image):
    """[(dll, function)] from objdump's import tables; by ordinal as '#N'."""
    text = subprocess.run([objdump, "-p", image], check=True, capture_output=True, text=True).stdout
    imports, dll = [], None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        if dll is None:
            continue
        m = re.match(r"\t[0-9a-f]+\t\s*(\d+)\s+(\S+)\s*$", line)
        if m:
            imports.append((dll, m.group(2)))
            continue
        m = re.match(r"\t[0-9a-f]+\t\s*<none>\s+([0-9a-f]+)\s*$", line)
        if m:
            imports.append((dll, f"#{int(m.group(1), 16)}"))
            continue
        if line.startswith("The ") or line.startswith("There is"):
            dll = None   # past the import tables
    return imports


def main():
    objdump, image, list_path = sys.argv[1:4]
    entries, problems = read_list(list_path)
    imports = read_imports(objdump, image)
    if not imports:
        problems.append(f"{image}: no imports found (objdump's format changed?)")
    late = []
    for dll, function in imports:
        if (dll, function) not in entries:
            problems.append(f"{dll} {function}: imported but not in {list_path}; "
                            "add it with the first Windows 9x and NT versions that export it "
                            "and the documentation that says so")
            continue
        first_9x, first_nt = entries[(dll, function)]
        if WINDOWS_9X.index(first_9x) > WINDOWS_9X.index(OLDEST_9X) or \
           WINDOWS_NT.index(first_nt) > WINDOWS_NT.index(OLDEST_NT):
            late.append(f"{dll} {function}: first in Windows {first_9x} / NT {first_nt}; "
                        "Windows 95 or NT 4.0 would refuse to start the program: "
                        "look it up at run time (foundation/DynamicCalls.h)")
    problems += late
    for p in problems:
        print("FAILED:", p)
    print(f"{len(imports)} imports of {image} reviewed, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
