#!/usr/bin/env python3
"""Builds and runs every C example of README.md, so the README cannot drift.

Each ```c block is compiled with AddressSanitizer and UndefinedBehaviorSanitizer
against include/ and the built library, and run:
  - a block with its own main() is a program as it stands;
  - a block of file-level definitions (no main) is an excerpt: it must stand
    word for word in the file the paragraph before it names (`path/file.c`),
    and that file is built instead;
  - any other block is a list of statements, run as the body of main().
Each program runs once as written (exit status 0), then once for every error
code of the header, with BC_FontTranslate answering that code, so the
example's error path shows every message; no run may draw a sanitizer report.

usage: readme_c_examples.py --source-dir DIR --library-dir DIR --cc CC --work DIR
"""
import argparse
import os
import pathlib
import re
import subprocess
import sys

BLOCK = re.compile(r"^```c\n(.*?)^```", re.S | re.M)
PATH_BEFORE = re.compile(r"`([\w./-]+\.c)`")
ERROR_CODE = re.compile(r"^\s*BC_FONT_ERR_\w+ = (\d+),?", re.M)
SANITIZER_EXIT = 86

# Links in front of the library: BC_FontTranslate answers the code in
# TAVO_FORCE_TRANSLATE_RC, when set, without writing anything.
FORCING_SHIM = r"""
#include <stdlib.h>
#include "tavo32.h"
int32_t __real_BC_FontTranslate(int32_t, const char *, int32_t, char *, int32_t, int32_t *);
int32_t __wrap_BC_FontTranslate(int32_t sym, const char *value, int32_t check, char *buf,
                                int32_t cap, int32_t *len) {
  const char *forced = getenv("TAVO_FORCE_TRANSLATE_RC");
  if (forced) return (int32_t)atoi(forced);
  return __real_BC_FontTranslate(sym, value, check, buf, cap, len);
}
"""

STATEMENTS_MAIN = """#include <stdio.h>
#include "tavo32.h"

int main(void) {
%s
  return 0;
}
"""


def examples(readme):
    """(name, C source or None, excerpt's file or None, block) for each ```c block."""
    text = readme.read_text(encoding="utf-8")
    for number, match in enumerate(BLOCK.finditer(text), 1):
        block = match.group(1)
        line = text.count("\n", 0, match.start()) + 1
        name = "block%d_line%d" % (number, line)
        if re.search(r"\bmain\s*\(", block):
            yield name, block, None, block
        elif re.search(r"^[A-Za-z].*\)\s*\{\s*$", block, re.M):
            before = text[:match.start()].rstrip()
            paragraph = before[before.rfind("\n\n"):]
            named = PATH_BEFORE.findall(paragraph)
            yield name, None, (named[-1] if named else None), block
        else:
            yield name, STATEMENTS_MAIN % block, None, block


def build(args, name, source, work):
    """Compiles one program; returns its path or None after printing why."""
    src = work / (name + ".c")
    src.write_text(source, encoding="utf-8")
    exe = work / name
    command = [args.cc, "-std=c99", "-Wall", "-Wextra", "-Werror", "-g",
               "-fsanitize=address,undefined", "-fno-sanitize-recover=all",
               "-fno-omit-frame-pointer", "-I", str(args.source_dir / "include"),
               str(src), str(work / "forcing_shim.c"), "-Wl,--wrap=BC_FontTranslate",
               "-L", str(args.library_dir), "-ltavo32",
               "-Wl,-rpath," + str(args.library_dir), "-o", str(exe)]
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        print("%s: does not compile:\n%s" % (name, done.stderr))
        return None
    return exe


def run(exe, forced):
    """One run; returns a complaint or None."""
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = "exitcode=%d:detect_leaks=1" % SANITIZER_EXIT
    env["UBSAN_OPTIONS"] = "exitcode=%d:print_stacktrace=1" % SANITIZER_EXIT
    if forced is not None:
        env["TAVO_FORCE_TRANSLATE_RC"] = str(forced)
    done = subprocess.run([str(exe)], capture_output=True, env=env, timeout=60)
    report = done.stderr.decode("latin-1")
    what = "as written" if forced is None else "with BC_FontTranslate answering %d" % forced
    if done.returncode == SANITIZER_EXIT or "Sanitizer" in report or "runtime error" in report:
        # The report up to its summary line, without the shadow memory map.
        return "%s: sanitizer report:\n%s" % (what, report.split("Shadow bytes")[0])
    if done.returncode < 0:
        return "%s: killed by signal %d" % (what, -done.returncode)
    if forced is None and done.returncode != 0:
        return "%s: exit status %d\n%s" % (what, done.returncode, report)
    return None


def check(args, name, exe, codes):
    complaints = [c for c in [run(exe, None)] + [run(exe, code) for code in codes] if c]
    for complaint in complaints:
        print("%s: %s" % (name, complaint))
    if not complaints:
        print("%s: passed (as written and with %d error codes)" % (name, len(codes)))
    return not complaints


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source-dir", type=pathlib.Path, required=True)
    parser.add_argument("--library-dir", type=pathlib.Path, required=True)
    parser.add_argument("--cc", default="cc")
    parser.add_argument("--work", type=pathlib.Path, required=True)
    args = parser.parse_args()
    args.work.mkdir(parents=True, exist_ok=True)
    (args.work / "forcing_shim.c").write_text(FORCING_SHIM, encoding="utf-8")
    header = (args.source_dir / "include" / "tavo32.h").read_text(encoding="utf-8")
    codes = [int(c) for c in ERROR_CODE.findall(header)]
    ok = True
    count = 0
    for name, source, path, block in examples(args.source_dir / "README.md"):
        count += 1
        if source is None:
            source = excerpt_source(args, name, path, block)
            if source is None:
                ok = False
                continue
        exe = build(args, name, source, args.work)
        ok = exe is not None and check(args, name, exe, codes) and ok
    if count == 0:
        print("no ```c block in README.md")
        ok = False
    return 0 if ok else 1


def excerpt_source(args, name, path, block):
    """The whole file an excerpt comes from, when it stands there word for word."""
    if path is None:
        print("%s: an excerpt, but the paragraph before it names no .c file" % name)
        return None
    whole = (args.source_dir / path).read_text(encoding="utf-8")
    if block.strip() not in whole:
        print("%s: not word for word in %s" % (name, path))
        return None
    return whole


if __name__ == "__main__":
    sys.exit(main())
