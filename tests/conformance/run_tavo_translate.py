#!/usr/bin/env python3
"""Conformance runner of `tavo translate`: one run of the tool per case.

    TAVO=path/to/tavo run_tavo_translate.py CASES.jsonl

Named options go as flags (cases.option_flags), the value after "--" so that
it may begin with '-'.  Text goes as typed UTF-8 (the tool applies the text
rule), with backslashes doubled; bytes go as \\xHH escapes, which the tool
decodes after the text rule, so they arrive as they are.  Exit status 0 is
the font string (--raw); 1 "tavo: CODE ..." the library's or the text rule's
code; 2, a usage error, is 32511 or 32561 (cases.usage_error_code).
"""
import os
import subprocess
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cases as conformance  # noqa: E402


def escaped(value, is_bytes):
    """The VALUE argument: backslashes doubled, and for bytes every byte
    outside printable ASCII as \\xHH."""
    out = bytearray()
    for b in value:
        if b == 0x5C:
            out += b"\\\\"
        elif is_bytes and not 0x20 <= b < 0x7F:
            out += b"\\x%02x" % b
        else:
            out.append(b)
    return bytes(out)


def run_case(tavo, case):
    args = [tavo, "translate", "--raw"] + conformance.option_flags(case["options"])
    args += ["--", case["symbology"].encode("utf-8"), escaped(case["value"], case["is_bytes"])]
    p = subprocess.run(args, capture_output=True)
    err = p.stderr.decode("utf-8", "replace")
    if p.returncode == 0:
        return case["id"], True, p.stdout
    if p.returncode == 1 and conformance.library_error_code(err) is not None:
        return case["id"], False, conformance.library_error_code(err)
    if p.returncode == 2:
        return case["id"], False, conformance.usage_error_code(err)
    return case["id"], False, f"exit{p.returncode}"


def main():
    tavo = os.environ.get("TAVO")
    if len(sys.argv) != 2 or not tavo:
        print("usage: TAVO=path/to/tavo run_tavo_translate.py CASES.jsonl", file=sys.stderr)
        return 2
    conformance.print_results([run_case(tavo, c) for c in conformance.read_cases(sys.argv[1])])
    return 0


if __name__ == "__main__":
    sys.exit(main())
