#!/usr/bin/env python3
"""The setup program's exit codes, read from their one table, src/record/exit_codes.h.

As a module: ROWS (name, code, ReturnResponse, Intune type, meaning) and BY_NAME; also
VERSION, the program's version text without its leading blank. As a program: prints the
README's table of exit codes (`exit_codes.py --readme`).
"""
import re
import sys
from pathlib import Path

SOURCES = Path(__file__).resolve().parents[1] / "src"
ROW = re.compile(r'^\s*row\((\w+), (\d+), "([^"]*)", "([^"]*)", "([^"]*)"\) *\\?$')


def read_rows(header=SOURCES / "record" / "exit_codes.h"):
    rows = []
    for line in header.read_text().splitlines():
        found = ROW.match(line)
        if found:
            name, code, response, intune, meaning = found.groups()
            rows.append((name, int(code), response, intune, meaning))
    if not rows or len({r[1] for r in rows}) != len(rows):
        raise SystemExit(f"{header}: no table of exit codes, or a code given twice")
    return rows


def read_version(header=SOURCES / "record" / "setup_state.h"):
    found = re.search(r'kVersionText\[\] = "([^"]*)";', header.read_text())
    if not found:
        raise SystemExit(f"{header}: no kVersionText")
    return found.group(1).strip()


ROWS = read_rows()
BY_NAME = {row[0]: row[1] for row in ROWS}
VERSION = read_version()


def readme_table():
    lines = ["| code | meaning | winget ReturnResponse | Intune / Configuration Manager |",
             "|---|---|---|---|"]
    for _, code, response, intune, meaning in ROWS:
        kind = {"Failed": "Failed / Failure", "Retry": "Retry / Fast retry"}.get(intune, intune)
        lines.append(f"| `{code}` | {meaning} | {response or '(success)'} | {kind} |")
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    if sys.argv[1:] != ["--readme"]:
        raise SystemExit("usage: exit_codes.py --readme")
    sys.stdout.write(readme_table())
