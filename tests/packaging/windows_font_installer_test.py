#!/usr/bin/python3
"""tavo-fonts.exe under Wine, in a user profile that already holds other fonts.

A fresh Wine prefix is prepared with what belongs to someone else:
  - a foreign font file under one of our file names in the user's font folder;
  - a foreign registration (REG_SZ naming another file) of one of our faces;
  - values of our face names that are no registration: REG_BINARY, a REG_SZ
    longer than MAX_PATH, a REG_DWORD;
  - an unrelated value beside them.
Then, checking the registry (reg export: type and bytes of every value) and
the font folder (every file's bytes) after each step:
  1. install skips the two fonts held by others, saves the three odd values
     exactly and installs the rest; a second run changes nothing;
  2. /uninstall with one of our fonts held open changes nothing; then it
     leaves everything exactly as prepared;
  3. another version of one font is updated, and an /uninstall from a bundle
     whose file differs keeps it;
  4. a bundle whose last font Windows refuses rolls back to exactly that;
  5. a bundle in a folder too deep for its paths is refused with a message;
  6. 600 fonts (more than the installer once held) install and uninstall.

usage: windows_font_installer_test.py --installer tavo-fonts.exe --wine LOADER --arch x64|x86
                                     --holder gdi_fonts_test.exe --work DIR
Exit status 77 (a skip for CTest) where the architecture's programs cannot
run here.  Needs fontTools (python3-fonttools) to write the test fonts.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

FONTS_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Fonts"
SAVED_KEY = r"HKEY_CURRENT_USER\Software\TAVO32\Fonts"
MAX_PATH = 260
failures = []


def check(ok, message):
    if not ok:
        failures.append(message)
        print("FAILED: " + message, flush=True)
    return ok


# ---------------------------------------------------------------------------
# Fonts: a square glyph and a name, enough for Windows to take the file.

def font_bytes(face):
    """The same bytes for the same face on every call (no time stamps)."""
    fb = FontBuilder(1000, isTTF=True)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder([".notdef", "A"])
    fb.setupCharacterMap({0x41: "A"})
    pen = TTGlyphPen(None)
    pen.moveTo((100, 0))
    pen.lineTo((100, 700))
    pen.lineTo((600, 700))
    pen.lineTo((600, 0))
    pen.closePath()
    square = pen.glyph()
    fb.setupGlyf({".notdef": square, "A": square})
    fb.setupHorizontalMetrics({".notdef": (700, 100), "A": (700, 100)})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": face, "styleName": "Regular", "fullName": face,
                       "psName": re.sub(r"[^A-Za-z0-9]", "", face)})
    fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    fb.setupPost()
    fb.updateHead(created=0, modified=0)
    path = tempfile.mktemp(suffix=".ttf")
    fb.save(path)
    data = open(path, "rb").read()
    os.unlink(path)
    return data


def name_only_font(face):
    """An sfnt with a name table and nothing else: the installer reads its
    name, Windows refuses it as a font."""
    name = font_bytes(face)
    tables = int.from_bytes(name[4:6], "big")
    for i in range(tables):
        rec = name[12 + 16 * i: 28 + 16 * i]
        if rec[:4] == b"name":
            offset, length = int.from_bytes(rec[8:12], "big"), int.from_bytes(rec[12:16], "big")
            body = name[offset: offset + length]
            header = b"\0\1\0\0" + (1).to_bytes(2, "big") + (16).to_bytes(2, "big") + b"\0\0\0\0"
            return header + b"name" + b"\0\0\0\0" + (28).to_bytes(4, "big") + len(body).to_bytes(4, "big") + body
    raise SystemExit("fontTools wrote no name table")


def make_bundle(folder, installer, faces, extra=()):
    os.makedirs(folder, exist_ok=True)
    shutil.copy(installer, os.path.join(folder, os.path.basename(installer)))
    for letter in faces:
        with open(os.path.join(folder, "TAVO-Test-Font-%s.ttf" % letter), "wb") as f:
            f.write(FONTS[letter])
    for file_name, data in extra:
        with open(os.path.join(folder, file_name), "wb") as f:
            f.write(data)
    return os.path.join(folder, os.path.basename(installer))


# ---------------------------------------------------------------------------
# Wine, the registry and the font folder.

class Wine:
    def __init__(self, loader, prefix):
        self.loader, self.prefix = loader, prefix
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        LANG="en_US.UTF-8")

    def run(self, *args):
        p = subprocess.run([self.loader] + list(args), env=self.env, capture_output=True, timeout=600)
        return p.returncode, p.stdout.decode("utf-8", "replace").replace("\r", "")

    def unix(self, windows_path):
        m = re.match(r"([A-Za-z]):\\(.*)", windows_path)
        return os.path.join(self.prefix, "drive_%s" % m.group(1).lower(), *m.group(2).split("\\"))

    def export(self, key):
        """Every value of key as its .reg text (type and bytes), by name; None without the key."""
        path = os.path.join(self.prefix, "export.reg")
        if os.path.exists(path):
            os.unlink(path)
        code, _ = self.run("reg", "export", key, "Z:" + path.replace("/", "\\"), "/y")
        if code != 0 or not os.path.exists(path):
            return None
        text = open(path, "rb").read().decode("utf-16").replace("\r\n", "\n").replace("\\\n  ", "")
        values = {}
        for line in text.split("\n"):
            m = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
            if m:
                values[m.group(1).replace("\\\\", "\\")] = m.group(2)
        return values

    def import_reg(self, lines, work):
        path = os.path.join(work, "prepare.reg")
        with open(path, "w", encoding="utf-16") as f:
            f.write("\r\n".join(["Windows Registry Editor Version 5.00", ""] + lines) + "\r\n")
        code, out = self.run("reg", "import", "Z:" + path.replace("/", "\\"))
        if code != 0:
            raise SystemExit("reg import failed: " + out)


def folder_bytes(folder):
    return {n: open(os.path.join(folder, n), "rb").read() for n in sorted(os.listdir(folder))}


def snapshot(wine, font_dir):
    return {"fonts": wine.export(FONTS_KEY), "saved": wine.export(SAVED_KEY), "files": folder_bytes(font_dir)}


def same_as(before, after, step):
    same = True
    for part in ("fonts", "saved", "files"):
        if before[part] != after[part]:
            b, a = before[part] or {}, after[part] or {}
            diff = sorted(k for k in set(b) | set(a) if b.get(k) != a.get(k))
            same = check(False, "%s: %s differ from the prepared profile: %s" % (step, part, diff[:8]))
    return same


# ---------------------------------------------------------------------------
# The prepared profile.

LETTERS = "ABCDEF"
HOLDER = []  # tests/win32/gdi_fonts_test.c, built for the architecture
FONTS = {}
LONG_TEXT = "C:\\" + "x" * 300 + ".ttf"


def value_name(letter):
    return "TAVO Test %s (TrueType)" % letter


def prepare(wine, font_dir, work):
    """The profile as above, from whatever an earlier step left (so a fault
    shows in the step that makes it)."""
    shutil.rmtree(font_dir, ignore_errors=True)
    os.makedirs(font_dir)
    with open(os.path.join(font_dir, "TAVO-Test-Font-A.ttf"), "wb") as f:
        f.write(font_bytes("Foreign Sans"))  # another product's font under our file name
    long_hex = ",".join("%02x" % b for b in (LONG_TEXT + "\0").encode("utf-16-le"))
    wine.import_reg([
        "[-%s]" % FONTS_KEY, "[%s]" % FONTS_KEY,
        '"%s"="C:\\\\Foreign\\\\foreign-b.ttf"' % value_name("B"),  # another font's registration
        '"%s"=hex:00,01,02,fe,ff' % value_name("C"),                 # REG_BINARY
        '"%s"=hex(1):%s' % (value_name("D"), long_hex),              # REG_SZ longer than MAX_PATH
        '"%s"=dword:00000007' % value_name("E"),                     # REG_DWORD
        '"Unrelated Font (TrueType)"="C:\\\\Foreign\\\\unrelated.ttf"',
        "", "[-HKEY_CURRENT_USER\\Software\\TAVO32]"], work)


def check_installed(wine, font_dir, prepared, sdk_dir, out, code):
    now = snapshot(wine, font_dir)
    check(code == 3, "install: exit %d, not 3 (done, some skipped)" % code)
    for letter, why in (("A", "another font's file"), ("B", "registered to another file")):
        check(re.search(r"^skipped: TAVO Test %s: .*%s" % (letter, why), out, re.M) is not None,
              "install did not skip %s (%s):\n%s" % (letter, why, out))
    check(now["files"]["TAVO-Test-Font-A.ttf"] == prepared["files"]["TAVO-Test-Font-A.ttf"],
          "install changed the foreign file TAVO-Test-Font-A.ttf")
    for name in (value_name("B"), "Unrelated Font (TrueType)"):
        check(now["fonts"].get(name) == prepared["fonts"][name], "install changed the foreign value " + name)
    check(value_name("A") not in now["fonts"], "install registered A over a foreign file")
    saved = now["saved"] or {}
    for letter in "CDE":
        name = value_name(letter)
        check(saved.get(name) == prepared["fonts"][name],
              "the value %s was not saved exactly: %r" % (name, saved.get(name)))
    for letter in "CDEF":
        file_name = "TAVO-Test-Font-%s.ttf" % letter
        check(now["files"].get(file_name) == FONTS[letter], "install did not copy " + file_name)
        value = now["fonts"].get(value_name(letter), "")
        check(value.endswith('Fonts\\\\%s"' % file_name) and value.startswith('"'),
              "install did not register %s: %r" % (letter, value))
    leftovers = [n for n in now["files"] if n.endswith(".tavo-old") or n == "TAVO-Test-Font-B.ttf"]
    check(not leftovers, "install left %r" % leftovers)
    return now


def held(wine, path, *command):
    """Runs command while the holder program keeps path open with no sharing
    (until it is killed). A file that cannot be held at once, being briefly
    open elsewhere, is tried again for a few seconds; a hold that is never
    taken, or that ends before the command does, is a failure of its own,
    and the command's result is then (-1, the reason)."""
    said = ""
    for attempt in range(10):
        holder = subprocess.Popen([wine.loader, HOLDER[0], "hold", "Z:" + path.replace("/", "\\"), "0"],
                                  env=wine.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        said = holder.stdout.readline().decode("utf-8", "replace").strip()
        if said == "holding":
            break
        holder.kill()
        holder.wait()
        time.sleep(0.5)
    else:
        check(False, "the test could not hold %s open: %s" % (path, said or "the holder said nothing"))
        return -1, "not run"
    try:
        code, out = wine.run(*command)
        if not check(holder.poll() is None, "the hold on %s ended (exit %s) before the run did" %
                     (path, holder.returncode)):
            return -1, out
        return code, out
    finally:
        holder.kill()
        holder.wait()


def profile_steps(wine, installer, font_dir, work, prepared):
    failed = len(failures)
    code, out = wine.run(installer)
    installed = check_installed(wine, font_dir, prepared, os.path.dirname(installer), out, code)
    code, out = wine.run(installer)
    check(code == 3 and len(re.findall(r"^already installed: ", out, re.M)) == 4 and
          snapshot(wine, font_dir) == installed, "a second install was not a no-op (exit %d):\n%s" % (code, out))
    code, out = wine.run(installer, "/list")
    check(re.search(r"^TAVO Test A: not installed \(another font's file", out, re.M) and
          re.search(r"^TAVO Test B: not installed \(the name is registered to another file", out, re.M) and
          len(re.findall(r": installed$", out, re.M)) == 4, "/list:\n" + out)
    code, out = held(wine, os.path.join(font_dir, "TAVO-Test-Font-C.ttf"), installer, "/uninstall")
    check(code == 1 and re.search(r"^in use: TAVO Test C ", out, re.M) and snapshot(wine, font_dir) == installed,
          "/uninstall with a font open did not fail cleanly (exit %d):\n%s" % (code, out))
    if len(failures) == failed:
        print("install: skipped 2 fonts held by others, saved 3 odd values exactly, installed 4; "
              "a second run changed nothing; /uninstall with a font open changed nothing", flush=True)
    code, out = wine.run(installer, "/uninstall")
    check(code == 0 and len(re.findall(r"^removed: ", out, re.M)) == 4 and
          re.search(r"^kept: TAVO Test A: ", out, re.M) and re.search(r"^kept: TAVO Test B: ", out, re.M),
          "/uninstall (exit %d):\n%s" % (code, out))
    code, out = wine.run(installer, "/uninstall")
    check(code == 0 and "0 fonts removed" in out, "a second /uninstall (exit %d):\n%s" % (code, out))
    if same_as(prepared, snapshot(wine, font_dir), "after /uninstall"):
        print("uninstall: every foreign file and value byte for byte as prepared, the saved values back",
              flush=True)


def update_step(wine, installer, installer_exe, font_dir, work, prepared):
    """Another version of one of our fonts: an install updates it; an
    /uninstall from a bundle whose file differs keeps it."""
    prepare(wine, font_dir, work)
    failed = len(failures)
    newer = make_bundle(os.path.join(work, "bundle-newer"), installer_exe, LETTERS)
    with open(os.path.join(os.path.dirname(newer), "TAVO-Test-Font-F.ttf"), "ab") as f:
        f.write(b"\0\0\0\0")  # padding after the last table: the same face, other bytes
    copy = os.path.join(font_dir, "TAVO-Test-Font-F.ttf")
    wine.run(installer)
    installed = snapshot(wine, font_dir)
    code, out = held(wine, copy, newer)
    check(code == 1 and re.search(r"^in use: TAVO Test F ", out, re.M) and snapshot(wine, font_dir) == installed,
          "an update of a font held open did not fail cleanly (exit %d):\n%s" % (code, out))
    code, out = wine.run(newer)
    updated = re.findall(r"^updated: (TAVO Test .) ", out, re.M)
    check(code == 3 and updated == ["TAVO Test F"] and open(copy, "rb").read() == FONTS["F"] + b"\0\0\0\0",
          "the update (exit %d):\n%s" % (code, out))
    code, out = wine.run(installer, "/uninstall")
    check(code == 0 and re.search(r"^kept: TAVO Test F: ", out, re.M) and
          len(re.findall(r"^removed: ", out, re.M)) == 3 and os.path.exists(copy) and
          value_name("F") in wine.export(FONTS_KEY), "/uninstall of another version (exit %d):\n%s" % (code, out))
    code, out = wine.run(newer, "/uninstall")
    if same_as(prepared, snapshot(wine, font_dir), "after updating and uninstalling") and len(failures) == failed:
        print("update: refused while the font was open, then done; an /uninstall from the older bundle kept it, "
              "the newer one's removed it", flush=True)


def rollback_step(wine, installer_exe, font_dir, work, prepared):
    prepare(wine, font_dir, work)
    bad = ("TAVO-Test-Font-Z.ttf", name_only_font("TAVO Test Z"))
    installer = make_bundle(os.path.join(work, "bundle-rollback"), installer_exe, LETTERS, [bad])
    code, out = wine.run(installer)
    refused = check(code == 1 and "TAVO-Test-Font-Z.ttf" in out and "nothing changed" in out,
                    "a bundle with a font Windows refuses (exit %d):\n%s" % (code, out))
    if same_as(prepared, snapshot(wine, font_dir), "after a rollback") and refused:
        print("rollback: Windows refused the last font; everything byte for byte as prepared", flush=True)


def deep_step(wine, installer_exe, font_dir, work, prepared):
    """Folders whose Windows paths (Z:\\...) leave the fonts' paths, then the
    program's own path, no room within MAX_PATH."""
    prepare(wine, font_dir, work)
    for spare, expect in ((len("TAVO-Test-Font-A.ttf") - 3, "is longer than 259 characters"),
                          (len("tavo-fonts.exe") - 4, "the program's own path is longer")):
        base = os.path.join(work, "deep")
        shutil.rmtree(base, ignore_errors=True)
        folder = base
        while len("Z:" + folder) < MAX_PATH - 1 - spare - 60:
            folder = os.path.join(folder, "d" * 50)
        folder = os.path.join(folder, "e" * (MAX_PATH - 1 - spare - len("Z:" + folder) - 1))
        installer = make_bundle(folder, installer_exe, "F")
        code, out = wine.run(installer)
        refused = check(code == 1 and expect in out, "a bundle %d characters deep (exit %d): wanted %r:\n%s" %
                        (len("Z:" + folder), code, expect, out))
        if same_as(prepared, snapshot(wine, font_dir), "after a deep bundle") and refused:
            print("deep folder (%d characters): refused: %s" %
                  (len("Z:" + folder), out.strip().splitlines()[-1][:100]), flush=True)


def many_step(wine, installer_exe, font_dir, work, prepared, count):
    prepare(wine, font_dir, work)
    folder = os.path.join(work, "bundle-many")
    installer = make_bundle(folder, installer_exe, "")
    template = font_bytes("TAVO Many 0000")
    needle = "TAVO Many 0000".encode("utf-16-be")
    for i in range(count):
        data = template.replace(needle, ("TAVO Many %04d" % i).encode("utf-16-be"))
        with open(os.path.join(folder, "TAVO-Many-%04d.ttf" % i), "wb") as f:
            f.write(data)
    failed = len(failures)
    code, out = wine.run(installer)
    check(code == 0 and len(re.findall(r"^installed: ", out, re.M)) == count,
          "%d fonts: install exit %d, %d installed:\n%s" % (count, code, len(re.findall(r"^installed: ", out, re.M)),
                                                           out[-500:]))
    code, out = wine.run(installer, "/uninstall")
    check(code == 0 and "%d fonts removed" % count in out, "%d fonts: /uninstall (exit %d):\n%s" %
          (count, code, out[-500:]))
    if same_as(prepared, snapshot(wine, font_dir), "after %d fonts" % count) and len(failures) == failed:
        print("%d fonts: all installed and removed" % count, flush=True)


def _i386_runs():
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import windows_fonts_test
    ok, _ = windows_fonts_test.win32_runs()
    return ok


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--installer", required=True)
    ap.add_argument("--wine", required=True)
    ap.add_argument("--arch", choices=["x64", "x86"], required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--holder", required=True, help="gdi_fonts_test.exe (its hold mode)")
    ap.add_argument("--many", type=int, default=600)
    a = ap.parse_args()
    if a.arch == "x86" and not _i386_runs():
        print("x86: SKIPPED: 32-bit programs cannot run on this machine", flush=True)
        return 77
    HOLDER.append(os.path.abspath(a.holder))
    work = os.path.abspath(a.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    for letter in LETTERS:
        FONTS[letter] = font_bytes("TAVO Test %s" % letter)
    wine = Wine(a.wine, os.path.join(work, "wineprefix"))
    wine.run("wineboot", "-i")
    code, out = wine.run("cmd", "/c", "echo", "%LOCALAPPDATA%")
    font_dir = wine.unix(out.strip() + "\\Microsoft\\Windows\\Fonts")
    prepare(wine, font_dir, work)
    prepared = snapshot(wine, font_dir)
    fonts = prepared["fonts"] or {}
    if (prepared["saved"] is not None or fonts.get(value_name("C")) != "hex:00,01,02,fe,ff" or
            fonts.get(value_name("E")) != "dword:00000007" or len(fonts.get(value_name("D"), "")) < 300):
        raise SystemExit("the profile was not prepared (or reg export reads otherwise): %r" % fonts)
    installer = make_bundle(os.path.join(work, "bundle"), a.installer, LETTERS)
    profile_steps(wine, installer, font_dir, work, prepared)
    update_step(wine, installer, a.installer, font_dir, work, prepared)
    rollback_step(wine, a.installer, font_dir, work, prepared)
    deep_step(wine, a.installer, font_dir, work, prepared)
    many_step(wine, a.installer, font_dir, work, prepared, a.many)
    server = os.path.join(os.path.dirname(a.wine), "wineserver")
    subprocess.run([server if os.path.exists(server) else "wineserver", "-k"], env=wine.env, capture_output=True)
    if failures:
        print("%d failed; the Wine prefix stays in %s" % (len(failures), work))
        return 1
    shutil.rmtree(work, ignore_errors=True)
    print("%s: font installer: all checks passed" % a.arch)
    return 0


if __name__ == "__main__":
    sys.exit(main())
