#!/usr/bin/env python3
"""The conformance driver: runs the cases through every surface that can run
here and compares each with expected.tsv (see README.md beside it).

    run.py --c-runner PATH --tavo PATH --library PATH [--build-dir DIR]
           [--work DIR] [--regenerate] [--no-bindings]

--regenerate rewrites expected.tsv from the C runner (and cases.jsonl first,
from make_cases.py and `tavo list --json`).  Without it, the driver checks
that cases.jsonl is what make_cases.py writes for this registry, runs each
surface, prints the cases whose line differs, and ends with
    conformance: N cases x M surfaces agree; skipped: ...
Exit status 0 when every surface that ran agrees, 1 otherwise.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
CASES = os.path.join(HERE, "cases.jsonl")
EXPECTED = os.path.join(HERE, "expected.tsv")
PY = sys.executable
SKIP = 77  # a runner's exit status for "cannot run here" (its reason on stderr)


def dotnet(work):
    """RunDotnet.cs with the binding, compiled by mcs, run under Mono."""
    exe = os.path.join(work, "RunDotnet.exe")
    sources = [os.path.join(HERE, "RunDotnet.cs"), os.path.join(SOURCE, "bindings", "dotnet", "Tavo32.cs")]
    subprocess.run(["mcs", "-nologo", "-out:" + exe] + sources, check=True, capture_output=True)
    return ["mono", exe]


# One entry a surface: its name, the runner file, the tools it needs, and its
# command before CASES.jsonl (a function of the work directory).  A runner
# whose file or tool is absent is skipped, and says so.
SURFACES = [
    ("C", None, [], lambda a, w: [a.c_runner]),
    ("tavo translate", "run_tavo_translate.py", [], lambda a, w: [PY, "-B", os.path.join(HERE, "run_tavo_translate.py")]),
    ("tavo batch", "run_tavo_batch.py", [], lambda a, w: [PY, "-B", os.path.join(HERE, "run_tavo_batch.py")]),
    ("Python", "run_python.py", [], lambda a, w: [PY, "-B", os.path.join(HERE, "run_python.py")]),
    ("C# (Mono)", "RunDotnet.cs", ["mcs", "mono"], lambda a, w: dotnet(w)),
    ("JavaScript (Node)", "run_node.mjs", ["node"], lambda a, w: ["node", os.path.join(HERE, "run_node.mjs")]),
]


def environment(args):
    """What every runner finds its surface by."""
    env = dict(os.environ)
    lib_dir = os.path.dirname(os.path.abspath(args.library))
    env.update({
        "TAVO": os.path.abspath(args.tavo),
        "TAVO32_LIBRARY": os.path.abspath(args.library),
        "TAVO_BUILD_DIR": os.path.abspath(args.build_dir or os.path.dirname(lib_dir)),
        "TAVO_SOURCE_DIR": SOURCE,
        "PYTHONPATH": os.pathsep.join(filter(None, [os.path.join(SOURCE, "bindings", "python"),
                                                    env.get("PYTHONPATH")])),
        "LD_LIBRARY_PATH": os.pathsep.join(filter(None, [lib_dir, env.get("LD_LIBRARY_PATH")])),
        "PYTHONDONTWRITEBYTECODE": "1",
    })
    return env


def parse_lines(text):
    """{id: (kind, payload)} and the ids in order, from a runner's output."""
    results, order = {}, []
    for line in text.splitlines():
        parts = line.split("\t")
        if len(parts) != 3:
            parts = [line, "malformed", ""]
        results[parts[0]] = (parts[1], parts[2])
        order.append(parts[0])
    return results, order


def case_ids():
    import json
    with open(CASES, encoding="utf-8") as f:
        return [json.loads(line)["id"] for line in f if line.strip()]


def shown(result):
    kind, payload = result if result else ("missing", "")
    return f"{kind} {payload[:60]}{'...' if len(payload) > 60 else ''}"


def compare(name, output, expected, ids):
    """The differing cases of one surface, printed; their number."""
    got, order = parse_lines(output)
    differing = [i for i in ids if got.get(i) != expected.get(i)]
    if order != ids and not differing:
        differing = ["(the lines are not in the order of the cases)"]
    for i in differing[:40]:
        print(f"  {name}: {i}: expected {shown(expected.get(i))}, got {shown(got.get(i))}")
    if len(differing) > 40:
        print(f"  {name}: ... and {len(differing) - 40} more")
    return len(differing)


def run_surface(entry, args, work, env):
    """("ran", output) or ("skipped", why) or ("failed", why)."""
    name, runner, tools, command = entry
    if runner and not os.path.exists(os.path.join(HERE, runner)):
        return "skipped", f"no tests/conformance/{runner}"
    missing = [t for t in tools if not shutil.which(t)]
    if missing:
        return "skipped", "no " + ", ".join(missing)
    try:
        p = subprocess.run(command(args, work) + [CASES], capture_output=True, env=env, timeout=900)
    except subprocess.CalledProcessError as e:
        return "failed", "its build failed: " + e.stderr.decode("utf-8", "replace").strip()[-800:]
    except (OSError, subprocess.TimeoutExpired) as e:
        return "failed", str(e)
    err = p.stderr.decode("utf-8", "replace").strip()
    if p.returncode == SKIP:
        return "skipped", err.splitlines()[-1] if err else "it cannot run here"
    if p.returncode != 0:
        return "failed", f"exit status {p.returncode}: {err[-800:]}"
    return "ran", p.stdout.decode("utf-8", "replace")


def cases_are_current(args, work):
    """cases.jsonl is what make_cases.py writes for this registry."""
    fresh = os.path.join(work, "cases.jsonl")
    p = subprocess.run([PY, "-B", os.path.join(HERE, "make_cases.py"), args.tavo, fresh], capture_output=True)
    if p.returncode != 0:
        print("conformance: make_cases.py failed: " + p.stderr.decode("utf-8", "replace").strip())
        return False
    with open(fresh, "rb") as a, open(CASES, "rb") as b:
        if a.read() != b.read():
            print("conformance: tests/conformance/cases.jsonl is not what make_cases.py writes for this "
                  "registry; rebuild the target conformance_expected (make_cases.py, then the C runner)")
            return False
    return True


def regenerate(args, work):
    subprocess.run([PY, "-B", os.path.join(HERE, "make_cases.py"), args.tavo], check=True)
    p = subprocess.run([args.c_runner, CASES], capture_output=True, check=True)
    fd, tmp = tempfile.mkstemp(dir=HERE)
    with os.fdopen(fd, "wb") as f:
        f.write(p.stdout)
    os.replace(tmp, EXPECTED)
    print(f"conformance: wrote {EXPECTED} ({len(p.stdout.splitlines())} cases)")
    return 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--c-runner", required=True)
    ap.add_argument("--tavo", required=True)
    ap.add_argument("--library", required=True)
    ap.add_argument("--build-dir")
    ap.add_argument("--work")
    ap.add_argument("--regenerate", action="store_true")
    ap.add_argument("--require", action="append", default=[],
                    help="a surface (by its name) that must run: its skip is a failure")
    ap.add_argument("--no-bindings", action="store_true",
                    help="run only the surfaces of the tool (the library is built with sanitizers)")
    args = ap.parse_args()
    if args.work:
        os.makedirs(args.work, exist_ok=True)
    with tempfile.TemporaryDirectory(dir=args.work) as work:
        if args.regenerate:
            return regenerate(args, work)
        current = cases_are_current(args, work)
        expected, expected_order = parse_lines(open(EXPECTED, encoding="utf-8").read())
        ids = case_ids()
        if expected_order != ids:
            print("conformance: expected.tsv does not hold the cases of cases.jsonl in order; "
                  "rebuild the target conformance_expected")
            current = False
        env = environment(args)
        ran, skipped, failed = [], [], []
        for entry in SURFACES:
            if args.no_bindings and entry[0] not in ("C", "tavo translate", "tavo batch"):
                skipped.append(f"{entry[0]} (a library built with sanitizers)")
                continue
            status, detail = run_surface(entry, args, work, env)
            if status == "ran":
                ran.append(entry[0])
                if compare(entry[0], detail, expected, ids):
                    failed.append(entry[0])
            elif status == "skipped" and entry[0] in args.require:
                print(f"  {entry[0]}: required, but skipped: {detail}")
                failed.append(entry[0])
            elif status == "skipped":
                skipped.append(f"{entry[0]} ({detail})")
            else:
                print(f"  {entry[0]}: could not run: {detail}")
                failed.append(entry[0])
        skip_text = "; skipped: " + ", ".join(skipped) if skipped else ""
        if failed or not current:
            what = ", ".join(failed) + " differ from expected.tsv or could not run" if failed else \
                "the case files are not current"
            print(f"conformance: FAILED: {what} ({len(ids)} cases){skip_text}")
            return 1
        print(f"conformance: {len(ids)} cases \u00d7 {len(ran)} surfaces agree ({', '.join(ran)}){skip_text}")
        return 0


if __name__ == "__main__":
    sys.exit(main())
