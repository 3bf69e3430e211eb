"""Reading the conformance cases, shared by the Python runners of the tavo
tool (run_tavo_translate.py, run_tavo_batch.py)."""
import json
import re
import sys


def read_cases(path):
    """The cases of a .jsonl file: dicts with id, symbology, value (bytes),
    is_bytes and options (a dict, in the file's order)."""
    cases = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            if not line.strip():
                continue
            c = json.loads(line)
            if "bytes_hex" in c:
                value, is_bytes = bytes.fromhex(c["bytes_hex"]), True
            else:
                value, is_bytes = c["value"].encode("utf-8"), False
            cases.append({"id": c["id"], "symbology": c["symbology"], "value": value,
                          "is_bytes": is_bytes, "options": c.get("options", {})})
    return cases


def is_check(name):
    """Is an option's name `check` (the check argument itself), compared as
    every name is: without case, '-', '_', '.' or spaces."""
    return re.sub(r"[-_. ]", "", name).lower() == "check"


def option_flags(options):
    """A case's options as tavo's flags: check=N is --check-value N, check=true
    --check; a boolean option --name (on) or --name=off; others --name=value."""
    flags = []
    for name, v in options.items():
        if is_check(name):
            if v is True:
                flags.append("--check")
            elif v is not False:
                flags += ["--check-value", str(v)]
        elif v is True:
            flags.append("--" + name)
        elif v is False:
            flags.append(f"--{name}=off")
        else:
            flags.append(f"--{name}={v}")
    return flags


def usage_error_code(stderr_text):
    """The code of a tavo usage error (exit status 2): 32511 when it says the
    symbology is unknown, 32561 for every other (an option, its value, an
    option the symbology lacks, --check-value out of range)."""
    return 32511 if "unknown symbology" in stderr_text else 32561


def library_error_code(stderr_text):
    """The code of "tavo: CODE message" (exit status 1), or None."""
    m = re.search(r"^tavo: (\d+) ", stderr_text, re.M)
    return int(m.group(1)) if m else None


def print_results(results):
    """One line a case: ID, ok and the hex, or error and the code."""
    out = sys.stdout
    for case_id, ok, payload in results:
        out.write(f"{case_id}\t{'ok' if ok else 'error'}\t{payload.hex() if ok else payload}\n")
    out.flush()
