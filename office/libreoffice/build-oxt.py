#!/usr/bin/env python3
"""Builds tavo32.oxt, the LibreOffice extension of the Calc functions.

    office/libreoffice/build-oxt.py BUILD_DIR OUT.oxt [--dll32 PATH] [--dll64 PATH]

The extension holds the add-in (ext/), the Python binding
(bindings/python/tavo32.py), the registry's description written by the
build's own `tavo list --json` (so the names Calc accepts are the CLI's),
and the library: BUILD_DIR/lib*/libtavo32.so.3 for Linux on this machine,
and the Windows DLLs when given.  The file is written whole or not at all.
"""

import argparse
import json
import os
import platform
import shutil
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, os.pardir, os.pardir))


def find(build, names):
    for sub in ("lib", "bin", ""):
        for name in names:
            path = os.path.join(build, sub, name)
            if os.path.isfile(path):
                return path
    raise SystemExit("build-oxt: none of %s in %s; build the tavo32 target first" % (names, build))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def stripped(path):
    """The library without its debugging sections (a build with -g is ten
    times larger); as it is where `strip` is missing."""
    if not shutil.which("strip"):
        return read(path)
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "lib")
        subprocess.run(["strip", "--strip-debug", "-o", out, path], check=True)
        return read(out)


def members(build, dll32, dll64):
    """(name in the archive, bytes) of every file, in a fixed order."""
    tavo = find(build, ["tavo"])
    description = subprocess.run([tavo, "list", "--json"], check=True, capture_output=True).stdout
    version = json.loads(description)["version"]
    out = [("mimetype", b"application/vnd.openofficeorg.extension")]
    for name in ("META-INF/manifest.xml", "XTavo32.idl", "tavo32_calc.py", "pythonpath/tavo32_cells.py"):
        with open(os.path.join(HERE, "ext", name), "rb") as f:
            out.append((name, f.read()))
    with open(os.path.join(HERE, "ext", "description.xml"), "rb") as f:
        out.append(("description.xml", f.read().replace(b"@VERSION@", version.encode())))
    with open(os.path.join(ROOT, "bindings", "python", "tavo32.py"), "rb") as f:
        out.append(("pythonpath/tavo32.py", f.read()))
    out.append(("pythonpath/symbologies.json", description))
    libraries = [("linux-%s/libtavo32.so.3" % platform.machine(), find(build, ["libtavo32.so.3"]))]
    libraries += [("windows-x86/tavo32.dll", dll32)] if dll32 else []
    libraries += [("windows-x64/tavo32.dll", dll64)] if dll64 else []
    for name, path in libraries:
        out.append(("pythonpath/lib/" + name, stripped(path) if name.startswith("linux") else read(path)))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("out")
    parser.add_argument("--dll32")
    parser.add_argument("--dll64")
    args = parser.parse_args()
    files = members(os.path.abspath(args.build), args.dll32, args.dll64)
    directory = os.path.dirname(os.path.abspath(args.out))
    fd, temporary = tempfile.mkstemp(suffix=".oxt", dir=directory)
    try:
        with os.fdopen(fd, "wb") as f, zipfile.ZipFile(f, "w") as z:
            for name, data in files:
                info = zipfile.ZipInfo(name, (2026, 1, 1, 0, 0, 0))
                info.compress_type = zipfile.ZIP_STORED if name == "mimetype" else zipfile.ZIP_DEFLATED
                info.external_attr = 0o644 << 16
                z.writestr(info, data)
        os.replace(temporary, args.out)
    except BaseException:
        os.unlink(temporary)
        raise
    print("build-oxt: %s (%d files)" % (args.out, len(files)))


if __name__ == "__main__":
    sys.exit(main())
