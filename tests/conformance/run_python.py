"""The conformance runner of the Python binding.

    python3 tests/conformance/run_python.py CASES.jsonl

Each case of CASES.jsonl (one JSON object a line: id, symbology, value or
bytes_hex, options) goes through tavo32.translate(symbology, value,
**options): a str value through the symbology's text rule, bytes_hex as
bytes.  One line a case on stdout: ID<TAB>ok<TAB>HEX of the font string's
bytes, or ID<TAB>error<TAB>CODE.  The library is the one TAVO32_LIBRARY
names, else the one the module finds; the module is this checkout's
bindings/python/tavo32.py.  Exits 0 when every case ran, 2 when it could
not run at all.
"""
import json
import os
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir))
sys.path.insert(0, os.path.join(ROOT, "bindings", "python"))
import tavo32  # noqa: E402

BAD_OPTION = 32561


def run_case(case):
    """The result field pair ("ok", hex) or ("error", code) of one case."""
    value = bytes.fromhex(case["bytes_hex"]) if "bytes_hex" in case else case["value"]
    try:
        font = tavo32.translate(case["symbology"], value, **case.get("options", {}))
    except tavo32.TavoError as error:
        return "error", str(error.code)
    except TypeError:
        # An option spelled like a parameter of translate ("value"): still
        # an option the symbology does not take.
        return "error", str(BAD_OPTION)
    data = font if isinstance(font, bytes) else tavo32._to_bytes(font)
    return "ok", data.hex()


def main(argv):
    if len(argv) != 2:
        print("usage: run_python.py CASES.jsonl", file=sys.stderr)
        return 2
    try:
        tavo32.load()
        with open(argv[1], encoding="utf-8") as f:
            cases = [json.loads(line) for line in f if line.strip()]
    except (OSError, ValueError) as error:
        print("run_python.py: %s" % error, file=sys.stderr)
        return 2
    out = []
    for case in cases:
        out.append("%s\t%s\t%s" % ((case["id"],) + run_case(case)))
    sys.stdout.write("".join(line + "\n" for line in out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
