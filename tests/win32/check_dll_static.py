#!/usr/bin/env python3
"""Checks a built tavo32.dll without running it.

Machine type, exports by name and ordinal against the .def (and the
ordinals nobody may take), imports from operating-system DLLs only, the
version resource's numbers and strings, and the import library's symbols:
the stdcall-decorated names a 32-bit compiler calls (_BC_FontTranslate@24),
the plain names for 64-bit.  These need no Windows program to run, so they
hold on machines where Wine cannot start.

usage: check_dll_static.py --dll DLL --def DEF --implib LIB --nm NM --arch x86|x64
                           --version 3.1.8.0
"""
import argparse
import re
import subprocess
import sys

import pefile

OS_DLLS = {"kernel32.dll", "msvcrt.dll", "version.dll"}
UNASSIGNED_ORDINALS = {4}
STRINGS = {
    "FileDescription": "TAVO32 bar code font translation library",
    "ProductName": "TAVO32 bar code font translation library",
    "InternalName": "TAVO",
    "OriginalFilename": "tavo32.dll",
}


def def_exports(path):
    """{name: (ordinal, decorated name)} from the .def."""
    out = {}
    for line in open(path, encoding="ascii"):
        m = re.match(r"^\s+([A-Za-z_]\w*)(@\d+)?\s+@(\d+)", line)
        if m:
            out[m.group(1)] = (int(m.group(3)), m.group(1) + (m.group(2) or ""))
    return out


def main():
    ap = argparse.ArgumentParser()
    for a in ("--dll", "--implib", "--nm", "--arch", "--version"):
        ap.add_argument(a, required=True)
    ap.add_argument("--def", dest="deffile", required=True)
    args = ap.parse_args()
    faults = []
    pe = pefile.PE(args.dll)

    machine = {"x86": 0x14C, "x64": 0x8664}[args.arch]
    if pe.FILE_HEADER.Machine != machine:
        faults.append(f"machine {pe.FILE_HEADER.Machine:#x}, expected {machine:#x}")

    want = def_exports(args.deffile)
    got = {e.name.decode(): e.ordinal for e in pe.DIRECTORY_ENTRY_EXPORT.symbols if e.name}
    if got != {n: o for n, (o, _) in want.items()}:
        faults.append(f"exports {sorted(got.items())} differ from the .def {sorted(want.items())}")
    taken = {e.ordinal for e in pe.DIRECTORY_ENTRY_EXPORT.symbols}
    if taken & UNASSIGNED_ORDINALS:
        faults.append(f"ordinal(s) {sorted(taken & UNASSIGNED_ORDINALS)} must stay unassigned")

    imports = {i.dll.decode().lower() for i in pe.DIRECTORY_ENTRY_IMPORT}
    if not imports <= OS_DLLS:
        faults.append(f"imports {sorted(imports - OS_DLLS)}, not operating-system DLLs")

    numbers = tuple(int(x) for x in args.version.split("."))
    fixed = pe.VS_FIXEDFILEINFO[0]
    for what, ms, ls in (("file", fixed.FileVersionMS, fixed.FileVersionLS),
                         ("product", fixed.ProductVersionMS, fixed.ProductVersionLS)):
        have = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        if have != numbers:
            faults.append(f"{what} version {have}, expected {numbers}")
    strings = {}
    for info in pe.FileInfo[0]:
        if getattr(info, "Key", b"") == b"StringFileInfo":
            for table in info.StringTable:
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    expected = dict(STRINGS, FileVersion=args.version, ProductVersion=args.version)
    for key, value in expected.items():
        if strings.get(key) != value:
            faults.append(f"version string {key} is {strings.get(key)!r}, expected {value!r}")

    symbols = subprocess.run([args.nm, args.implib], capture_output=True, text=True,
                             check=True).stdout
    for name, (_, decorated) in want.items():
        callee = ("_" + decorated) if args.arch == "x86" else name
        if not re.search(r"\s__imp_" + re.escape(callee) + r"$", symbols, re.M):
            faults.append(f"import library lacks __imp_{callee}")

    for f in faults:
        print("FAULT:", f)
    print(f"{args.dll}: {len(got)} exports, imports {sorted(imports)}, "
          f"version {args.version}: {'ok' if not faults else 'FAILED'}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
