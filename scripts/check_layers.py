#!/usr/bin/env python3
"""Checks that every #include under src/ follows the layering of the code.

Each top folder of src/ may include from itself and from the folders listed
for it below, nothing else: a lower folder never reaches up, and no two
folders include each other. The README's map of the code shows the same
table. Usage: check_layers.py [src folder]; exits 1 listing each offending
line.
"""

import os
import re
import sys

# folder: the folders it may use (besides itself), lowest first
ALLOWED = {
    "app": [],
    "transport": ["app"],
    "site": ["app", "transport"],
    "store": ["app", "transport", "site"],
    "users": ["app", "transport", "site"],
    "news": ["app", "transport", "site"],
    "editors": ["app", "transport", "site"],
    "explorer": ["app", "transport", "site", "users"],
    "ui": ["app", "transport", "site", "store", "users", "news", "editors", "explorer"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def folder_of(path, src):
    """The top folder of src/ that holds path; None for files at the top."""
    parts = os.path.relpath(path, src).split(os.sep)
    return parts[0] if len(parts) > 1 else None


def resolve(name, including_dir, src):
    """Where the compiler finds a quoted include: beside the including file
    first, then from the root of src/."""
    beside = os.path.normpath(os.path.join(including_dir, name))
    if os.path.exists(beside):
        return beside
    return os.path.normpath(os.path.join(src, name))


def problems(src):
    found = []
    for root, _, files in os.walk(src):
        for file in sorted(files):
            if not file.endswith((".cpp", ".h")):
                continue
            path = os.path.join(root, file)
            here = folder_of(path, src)
            if here is None:
                continue
            if here not in ALLOWED:
                found.append(f"{path}: folder '{here}' has no place in the layering table")
                continue
            with open(path, encoding="utf-8", errors="replace") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = resolve(match.group(1), root, src)
                    there = folder_of(target, src)
                    if there is None or there == here or there in ALLOWED[here]:
                        continue
                    found.append(f"{path}:{number}: {here} may not include {there} "
                                 f"(\"{match.group(1)}\")")
    return found


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src")
    src = os.path.normpath(src)
    found = problems(src)
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) against the layering; see the map of the code in README.md")
        return 1
    print("layering holds")
    return 0


if __name__ == "__main__":
    sys.exit(main())
