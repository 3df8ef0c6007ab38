#!/usr/bin/python3
"""Writes the demo site's user file qxg/_files.dat from members.txt.

Each record is 60 bytes: nickname (30) and password (29) padded with
blanks, then the level (1), every byte complemented, Windows-1252.
"""
import pathlib
import sys

here = pathlib.Path(__file__).resolve().parent.parent
out = bytearray()
for line in (here / "members.txt").read_text(encoding="utf-8").splitlines():
    if not line.strip() or line.startswith("#"):
        continue
    name, password, level = (field.strip() for field in line.split("|")[:3])
    record = name.encode("cp1252")[:30].ljust(30) + password.encode("cp1252")[:29].ljust(29)
    record += bytes([int(level)])
    out += bytes(b ^ 0xFF for b in record)
target = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else here / "site" / "qxg" / "_files.dat"
target.write_bytes(out)
print(f"{target}: {len(out) // 60} members")
