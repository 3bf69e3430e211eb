#!/usr/bin/env python3
"""Conformance runner of `tavo batch`: one CSV file per symbology, options
and kind of value, the values in a column, the font strings read back.

    TAVO=path/to/tavo run_tavo_batch.py CASES.jsonl

Text goes in a UTF-8 file (the tool applies the text rule, and writes the
font strings back as the Unicode of their Windows-1252 bytes); bytes go in a
--raw file, read and written as they are.  A failed row's code is the one
its line "row N, column "value": CODE ..." on standard error begins with; a
run refused as a whole (exit status 2) gives every case of its group
32511 or 32561, like `tavo translate` (cases.usage_error_code).
"""
import csv
import io
import os
import re
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cases as conformance  # noqa: E402


def byte_of(ch):
    """The Windows-1252 byte a character of the output stands for; the five
    bytes Windows-1252 leaves undefined come back as U+0081 and the like."""
    try:
        return ch.encode("cp1252")
    except UnicodeEncodeError:
        if ord(ch) < 256:
            return bytes([ord(ch)])
        raise


def write_csv(path, group, raw):
    text = io.StringIO(newline="")
    w = csv.writer(text, quoting=csv.QUOTE_ALL, lineterminator="\n")
    w.writerow(["id", "value"])
    for c in group:
        w.writerow([c["id"], c["value"].decode("latin-1" if raw else "utf-8")])
    with open(path, "wb") as f:
        f.write(text.getvalue().encode("latin-1" if raw else "utf-8"))


def read_fonts(path, raw):
    """Font strings by id, from the output file."""
    with open(path, "rb") as f:
        data = f.read()
    rows = list(csv.reader(io.StringIO(data.decode("latin-1" if raw else "utf-8"), newline="")))
    fonts = {}
    for row in rows[1:]:
        cell = row[2] if len(row) > 2 else ""
        fonts[row[0]] = cell.encode("latin-1") if raw else b"".join(byte_of(ch) for ch in cell)
    return fonts


def run_group(tavo, work, symbology, flags, raw, group):
    src = os.path.join(work, "in.csv")
    dst = os.path.join(work, "out.csv")
    if os.path.exists(dst):
        os.remove(dst)
    write_csv(src, group, raw)
    args = [tavo, "batch", symbology.encode("utf-8"), "--column", "value", "-i", src, "-o", dst] + flags
    args += ["--raw"] if raw else ["--encoding", "utf-8"]
    p = subprocess.run(args, capture_output=True)
    err = p.stderr.decode("utf-8", "replace")
    if p.returncode == 2:
        return [(c["id"], False, conformance.usage_error_code(err)) for c in group]
    failed = {int(m.group(1)): m.group(2) for m in re.finditer(r'^row (\d+), column "value": (\S+)', err, re.M)}
    fonts = read_fonts(dst, raw) if p.returncode in (0, 1) else {}
    results = []
    for row, c in enumerate(group, 2):  # the header is row 1
        if row in failed:
            code = failed[row]
            results.append((c["id"], False, int(code) if code.isdigit() else "no-code"))
        elif c["id"] in fonts and p.returncode in (0, 1):
            results.append((c["id"], True, fonts[c["id"]]))
        else:
            results.append((c["id"], False, f"exit{p.returncode}"))
    return results


def main():
    tavo = os.environ.get("TAVO")
    if len(sys.argv) != 2 or not tavo:
        print("usage: TAVO=path/to/tavo run_tavo_batch.py CASES.jsonl", file=sys.stderr)
        return 2
    cases = conformance.read_cases(sys.argv[1])
    groups = {}
    for c in cases:
        key = (c["symbology"], tuple(conformance.option_flags(c["options"])), c["is_bytes"])
        groups.setdefault(key, []).append(c)
    results = {}
    with tempfile.TemporaryDirectory(prefix="tavo-batch-conformance-") as work:
        for (symbology, flags, raw), group in groups.items():
            for case_id, ok, payload in run_group(tavo, work, symbology, list(flags), raw, group):
                results[case_id] = (case_id, ok, payload)
    conformance.print_results([results[c["id"]] for c in cases])
    return 0


if __name__ == "__main__":
    sys.exit(main())
