"""The conformance runners of the Python and C# bindings against each other
and against `tavo translate`, on a few cases of each kind (named options,
text rules, bytes, the errors the bindings find themselves).

    python3 runners_test.py SOURCE_DIR TAVO LIBRARY WORK_DIR MCS MONO
"""
import json
import os
import subprocess
import sys

# (id, symbology, value or bytes, options, the `tavo translate` arguments
# giving the same bytes, or the error code every surface must give)
CASES = [
    ("qr-level", "QR-Code", "HELLO", {"level": "H"}, ["qr", "HELLO", "--level", "H"]),
    ("qr-check", "qr", "HELLO", {"check": 4}, ["qr", "HELLO", "--level", "H"]),
    ("dm-gs1-rect", "DM", "(01)09501101530003", {"gs1": True, "shape": "Rect"},
     ["datamatrix", "(01)09501101530003", "--gs1", "--shape", "rect"]),
    ("dm-text", "data_matrix", "\u6771\u4eac", {}, ["datamatrix", "\u6771\u4eac"]),
    ("dm-bytes", "datamatrix", b"\xe9", {}, ["datamatrix", "\\xE9"]),
    ("code39-check", "Code 39", "ABC", {"check": True}, ["code39", "ABC", "--check"]),
    ("msi-flag", "msi", "1234", {"check_digit": "yes"}, ["msi", "1234", "--check-digit"]),
    ("ean13-name", "EAN-13", "978012345678", {}, ["ean13", "978012345678"]),
    ("unknown-symbology", "qrcod", "1", {}, 32511),
    ("bad-level", "qr", "1", {"level": "Z"}, 32561),
    ("level-number", "qr", "1", {"level": 4}, 32561),
    ("unknown-option", "qr", "1", {"levl": "H"}, 32561),
    ("check-above-32-bits", "qr", "1", {"check": 2**32 + 4}, 32561),
    ("check-without-check-digit", "ean13", "978012345678", {"check": True}, 32561),
    ("no-windows-1252-byte", "code39", "A\u0416", {}, 32505),
    ("library-error", "ean13", "12a", {}, 32507),
]


def run(command, **kwargs):
    done = subprocess.run(command, capture_output=True, **kwargs)
    if done.returncode != 0:
        sys.exit("%s failed (%d): %s" % (command[0], done.returncode, done.stderr.decode(errors="replace")))
    return done.stdout


def expected(tavo, want):
    if isinstance(want, int):
        return "error\t%d" % want
    return "ok\t" + run([tavo, "translate"] + want + ["--raw"]).hex()


def main(source, tavo, library, work, mcs, mono):
    os.makedirs(work, exist_ok=True)
    cases_path = os.path.join(work, "cases.jsonl")
    with open(cases_path, "w", encoding="utf-8") as f:
        for case_id, symbology, value, options, _ in CASES:
            case = {"id": case_id, "symbology": symbology, "options": options}
            if isinstance(value, bytes):
                case["bytes_hex"] = value.hex()
            else:
                case["value"] = value
            f.write(json.dumps(case, ensure_ascii=False) + "\n")
    exe = os.path.join(work, "RunDotnet.exe")
    run([mcs, "-warn:4", "-warnaserror", "-out:" + exe, os.path.join(source, "bindings", "dotnet", "Tavo32.cs"),
         os.path.join(source, "tests", "conformance", "RunDotnet.cs")])
    env = dict(os.environ, TAVO32_LIBRARY=library, LD_LIBRARY_PATH=os.path.dirname(library))
    surfaces = {
        "python": run([sys.executable, "-B", os.path.join(source, "tests", "conformance", "run_python.py"),
                       cases_path], env=env),
        "dotnet": run([mono, exe, cases_path], env=env),
    }
    want = ["%s\t%s" % (c[0], expected(tavo, c[4])) for c in CASES]
    failures = 0
    for surface, out in surfaces.items():
        got = out.decode("ascii").splitlines()
        for w, g in zip(want, got + [""] * len(want)):
            if w != g:
                failures += 1
                print("FAILED %s: want %s, got %s" % (surface, w[:120], g[:120]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:7]))
