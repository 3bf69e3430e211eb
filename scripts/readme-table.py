#!/usr/bin/env python3
"""Writes README.md's table of symbology names, aliases, options and text
rules from `tavo list --json`, between its two marker comments.

    python3 scripts/readme-table.py --tavo build/native/bin/tavo [--check]

--check changes nothing: it exits 1, naming this script, when the table in
README.md is not the one the registry gives (the ctest readme_symbology_table).
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

BEGIN = "<!-- symbology-table: begin (written by scripts/readme-table.py from `tavo list --json`) -->"
END = "<!-- symbology-table: end -->"
TEXT_RULES = {
    "windows-1252": "Windows-1252",
    "utf-8-eci": "UTF-8, ECI 26 when not ASCII",
    "utf-8": "UTF-8",
}


def option_text(o):
    """`level` L 1, M 2, Q 3, H 4 (default M); `gs1` 2; `n` 1..30 ×4."""
    name = f"`{o['name']}`"
    if o["type"] == "flag":
        return f"{name} {o['check']}"
    if o["type"] == "choice":
        values = ", ".join(f"`{v['name']}` {v['check']}" for v in o["values"])
        return f"{name} {values} (default `{o['default']}`)"
    return f"{name} {o['min']}..{o['max']} ×{o['check']}"


def table(listing):
    lines = [
        "| Code | Name | Aliases | Options and their `check` values | Text |",
        "|---|---|---|---|---|",
    ]
    for s in sorted(listing["symbologies"], key=lambda s: s["code"]):
        aliases = ", ".join(f"`{a}`" for a in s["aliases"]) or "—"
        options = "; ".join(option_text(o) for o in s["options"]) or "—"
        text = TEXT_RULES.get(s["text"], s["text"])
        lines.append(f"| {s['code']} | `{s['name']}` | {aliases} | {options} | {text} |")
    return "\n".join(lines) + "\n"


def rewritten(readme, body):
    """README's text with the table between the markers replaced."""
    start = readme.find(BEGIN)
    end = readme.find(END)
    if start < 0 or end < start:
        raise ValueError(f"README.md lacks the markers {BEGIN!r} ... {END!r}")
    return readme[:start + len(BEGIN)] + "\n" + body + readme[end:]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tavo", required=True, help="the tavo tool")
    ap.add_argument("--readme", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "README.md"))
    ap.add_argument("--check", action="store_true", help="only check that the table is current")
    args = ap.parse_args()
    p = subprocess.run([args.tavo, "list", "--json"], capture_output=True)
    if p.returncode != 0:
        print(f"readme-table.py: `{args.tavo} list --json` failed", file=sys.stderr)
        return 2
    with open(args.readme, encoding="utf-8", newline="") as f:
        readme = f.read()
    try:
        new = rewritten(readme, table(json.loads(p.stdout)))
    except ValueError as e:
        print(f"readme-table.py: {e}", file=sys.stderr)
        return 2
    if args.check:
        if new != readme:
            print("README.md's symbology table is not what the registry says: run "
                  "python3 scripts/readme-table.py --tavo PATH/TO/tavo", file=sys.stderr)
            return 1
        print("README.md's symbology table is current")
        return 0
    if new != readme:
        directory = os.path.dirname(os.path.abspath(args.readme))
        fd, tmp = tempfile.mkstemp(dir=directory)
        with os.fdopen(fd, "w", encoding="utf-8", newline="") as f:
            f.write(new)
        os.chmod(tmp, os.stat(args.readme).st_mode & 0o777)
        os.replace(tmp, args.readme)
    print("readme-table.py: README.md's symbology table " + ("rewritten" if new != readme else "was current"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
