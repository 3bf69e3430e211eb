#!/usr/bin/python3
"""Windows end to end, under Wine: the SDK bundle's font installer, then GDI.

For each architecture that can run here (x64 always, through wine64 alone;
x86 where 32-bit programs run; the two side by side, the x86 half's output
printed whole after the x64 half's), in a throwaway Wine prefix:
  1. fonts\\tavo-fonts(-x64).exe installs the bundle's fonts for the user;
     the files in %LOCALAPPDATA%\\Microsoft\\Windows\\Fonts and the values
     under HKCU\\...\\CurrentVersion\\Fonts are checked; a second run changes
     nothing; /list says "installed" for each face.
  2. gdi_fonts_test (tests/win32) loads the bundle's tavo32.dll: every face
     name BC_FontGetFaceName gives is created with CreateFontA, and
     GetTextFaceA must name that face, the TAVO font.
  3. Sample values of every symbology are translated, drawn with TextOutA
     into a DIB section and read by zbarimg; MSI and PostNet are measured
     and compared bar for bar with zint.
  4. With one font held open by another program, /uninstall fails and
     changes nothing; then /uninstall removes files and registry values,
     and GDI falls back to a substitute for every face.

usage: windows_fonts_test.py --zip SDK.zip --work DIR --source SRC --manifest fonts.manifest
Environment: TAVO_WIN32_RUNS=1/0 says whether 32-bit programs run (probed
when unset).  Prints one line of counts per architecture and step.
"""

import argparse
import base64
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

FONTS_KEY = r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\Fonts"
failures = []


def fail(message):
    failures.append(message)
    print("FAILED: " + message, flush=True)


def run(cmd, env=None, check=True, timeout=600):
    p = subprocess.run(cmd, env=env, capture_output=True, timeout=timeout)
    out = p.stdout.decode("utf-8", "replace").replace("\r", "")
    if check and p.returncode != 0:
        raise SystemExit("failed (%d): %s\n%s\n%s" % (p.returncode, " ".join(cmd), out,
                                                      p.stderr.decode("utf-8", "replace")))
    return p.returncode, out


# ---------------------------------------------------------------------------
# Can this machine run 32-bit programs?  A static i386 ELF that only exits 0.

def tiny_i386_elf():
    code = bytes([0x31, 0xDB, 0xB8, 0x01, 0, 0, 0, 0xCD, 0x80])  # xor ebx,ebx; mov eax,1; int 0x80
    base, header = 0x08048000, 52 + 32
    ehdr = (b"\x7fELF\x01\x01\x01" + b"\0" * 9 + (2).to_bytes(2, "little") + (3).to_bytes(2, "little") +
            (1).to_bytes(4, "little") + (base + header).to_bytes(4, "little") + (52).to_bytes(4, "little") +
            (0).to_bytes(4, "little") + (0).to_bytes(4, "little") + (52).to_bytes(2, "little") +
            (32).to_bytes(2, "little") + (1).to_bytes(2, "little") + b"\0" * 6)
    size = header + len(code)
    phdr = b"".join(v.to_bytes(4, "little") for v in (1, 0, base, base, size, size, 5, 0x1000))
    return ehdr + phdr + code


def win32_runs():
    said = os.environ.get("TAVO_WIN32_RUNS")
    if said in ("0", "1"):
        return said == "1", "TAVO_WIN32_RUNS=" + said
    with tempfile.NamedTemporaryFile(delete=False) as f:
        f.write(tiny_i386_elf())
    os.chmod(f.name, 0o755)
    try:
        ok = subprocess.run([f.name], capture_output=True, timeout=10).returncode == 0
    except OSError:
        ok = False
    os.unlink(f.name)
    return ok, "a static 32-bit program " + ("ran" if ok else "did not run")


# ---------------------------------------------------------------------------
# Sample values and what a reader must return, by symbology code.

CODE39_CHARS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"
ASCII = "".join(chr(c) for c in range(1, 128))


def rand(rng, alphabet, lo, hi):
    return "".join(rng.choice(alphabet) for _ in range(rng.randint(lo, hi)))


def mod10_31(digits):
    total, weight = 0, 3
    for d in reversed(digits):
        total += int(d) * weight
        weight = 4 - weight
    return str((10 - total % 10) % 10)


def full_ascii_decode(text):
    percent = "\x1b\x1c\x1d\x1e\x1f;<=>?[\\]^_{|}~\x7f\0@`"
    out, i = "", 0
    while i < len(text):
        c, n = text[i], text[i + 1] if i + 1 < len(text) else ""
        if c not in "$%+/" or not ("A" <= n <= "Z"):
            out += c
            i += 1
            continue
        k = ord(n) - ord("A")
        out += {"$": chr(1 + k), "+": chr(ord("a") + k),
                "/": ":" if n == "Z" else chr(ord("!") + k),
                "%": percent[k] if k < len(percent) else "\x7f"}[c]
        i += 2
    return out


def code39_value(rng):
    v = list(rand(rng, ASCII, 1, 12))
    for i in range(len(v) - 1):  # no shift character before a capital
        if v[i] in "$%+/" and "A" <= v[i + 1] <= "Z":
            v[i + 1] = "9"
    return "".join(v), rng.random() < 0.5


def code39_expect(value, check, readings):
    if len(readings) != 1 or readings[0][0] != "CODE-39":
        return "wanted one Code 39 symbol"
    text = readings[0][1]
    if check:
        if not text or text[-1] != CODE39_CHARS[sum(CODE39_CHARS.index(c) for c in text[:-1]) % 43]:
            return "wrong check character"
        text = text[:-1]
    return None if full_ascii_decode(text) == value else "decoded %r" % text


def exactly(*want):
    return lambda readings: None if sorted(readings) == sorted(want) else "wanted %r" % (want,)


def i2of5(rng):
    return rand(rng, "0123456789", 1, 16), rng.random() < 0.5


def i2of5_expect(value, check, readings):
    want = value
    if (len(want) + check) % 2:
        want = "0" + want
    if check:
        want += mod10_31(want)
    return exactly(("I2/5", want))(readings)


CODABAR_CHARS = "0123456789-$:/.+ABCD"


def codabar(rng):
    v = rand(rng, "0123456789-$:/.+", 1, 12)
    if rng.random() < 0.5:
        v = rng.choice("ABCDabcd") + v + rng.choice("ABCDabcd")
    return v, rng.random() < 0.5


def codabar_expect(value, check, readings):
    start = stop = "A"
    if value[0] in "ABCDabcd":
        start, stop, value = value[0].upper(), value[-1].upper(), value[1:-1]
    want = start + value
    if check:
        total = CODABAR_CHARS.index(stop) + sum(CODABAR_CHARS.index(c) for c in want)
        want += CODABAR_CHARS[(16 - total % 16) % 16]
    return exactly(("Codabar", want + stop))(readings)


def retail(n):
    return lambda rng: (rand(rng, "0123456789", n, n) + rng.choice(["", "", "12", "34567"]), False)


def addons(value, n):
    extra = value[n:]
    return [("EAN-%d" % len(extra), extra)] if extra else []


def retail_expect(n, kind):
    def expect(value, check, readings):
        main = value[:n]
        return exactly((kind, main + mod10_31(main)), *addons(value, n))(readings)
    return expect


def expand_upce(e):
    n = "0" + e[:2]
    if e[5] in "012":
        return n + e[5] + "0000" + e[2:5]
    if e[5] == "3":
        return n + e[2] + "00000" + e[3:5]
    if e[5] == "4":
        return n + e[2:4] + "00000" + e[4]
    return n + e[2:5] + "0000" + e[5]


def upce_expect(value, check, readings):
    main = [r for r in readings if r[0] == "UPC-E"]
    number = expand_upce(value)
    if len(main) != 1 or len(main[0][1]) != 8 or expand_upce(main[0][1][1:7]) != number:
        return "wanted a UPC-E of " + number
    return exactly(main[0], *addons(value, 6))(readings)


CODE128_RUNS = [("0123456789", 9), ("0123456789", 9), ("ABCXYZ !#$%&()*+,-./:;<=>?@[]^_", 5),
                 ("abcxyz`{|}~\x7f", 5), ("\x01\x02\x09\x0a\x0d\x1b\x1d\x1f", 3)]


def code128(rng):
    """Runs of one kind, so code sets, shifts and changes are all met."""
    v = ""
    for _ in range(rng.randint(1, 4)):
        alphabet, longest = rng.choice(CODE128_RUNS)
        v += rand(rng, alphabet, 1, longest)
    return v, False


def msi(rng):
    return rand(rng, "0123456789", 1, 12), rng.random() < 0.5


def postnet(rng):
    n = rng.choice([5, 9, 11])
    v = rand(rng, "0123456789", n, n)
    if n == 9 and rng.random() < 0.5:
        v = v[:5] + "-" + v[5:]
    return v, False


# code: (name, generator, zbar settings or "zint", expectation)
SYMBOLOGIES = {
    0: ("Code 39 Full ASCII", code39_value, ["disable", "code39.enable"], code39_expect),
    1: ("Code 39", code39_value, ["disable", "code39.enable"], code39_expect),
    2: ("Interleaved 2 of 5", i2of5, ["disable", "i25.enable", "i25.min-length=2"], i2of5_expect),
    3: ("Codabar", codabar, ["disable", "codabar.enable", "codabar.min-length=1"], codabar_expect),
    4: ("MSI", msi, "zint", None),
    5: ("Code 93", lambda rng: (rand(rng, ASCII, 1, 16), False), ["disable", "code93.enable"],
        lambda v, c, r: exactly(("CODE-93", v))(r)),
    6: ("UPC-A", retail(11), ["disable", "ean13.enable", "upca.enable", "ean2.enable", "ean5.enable"],
        retail_expect(11, "UPC-A")),
    7: ("UPC-E", retail(6), ["disable", "ean13.enable", "upce.enable", "ean2.enable", "ean5.enable"],
        upce_expect),
    8: ("PostNet", postnet, "zint", None),
    9: ("EAN-8", retail(7), ["disable", "ean8.enable", "ean2.enable", "ean5.enable"], retail_expect(7, "EAN-8")),
    10: ("EAN-13", retail(12), ["disable", "ean13.enable", "ean2.enable", "ean5.enable"],
         retail_expect(12, "EAN-13")),
    11: ("Code 128", code128, ["disable", "code128.enable"], lambda v, c, r: exactly(("CODE-128", v))(r)),
}


# ---------------------------------------------------------------------------
# Pictures: PGM files written by the Win32 program.

def read_pgm(path):
    with open(path, "rb") as f:
        data = f.read()
    m = re.match(rb"P5\s+(\d+)\s+(\d+)\s+255\s", data)
    w, h = int(m.group(1)), int(m.group(2))
    return w, h, data[m.end():]


def runs_along(pixels, w, row):
    """Dark and light run widths along a row, from the first dark pixel to the last."""
    line = [pixels[row * w + x] < 128 for x in range(w)]
    if True not in line:
        return 0, []
    first = line.index(True)
    last = w - 1 - line[::-1].index(True)
    runs, x = [], first
    while x <= last:
        k = x
        while k <= last and line[k] == line[x]:
            k += 1
        runs.append(k - x)
        x = k
    return first, runs


def zint_rows(args):
    p = subprocess.run(["zint", "--dump"] + args, capture_output=True)
    rows = []
    for line in p.stdout.decode().splitlines():
        bits = "".join(format(int(h, 16), "08b") for h in line.split())
        rows.append(bits.rstrip("0"))
    return rows if p.returncode == 0 else []


def compare_msi(sample, pgm):
    w, h, px = pgm
    row = sample["baseline"] - round((sample["bar_bottom"] + sample["bar_top"]) / 2 * sample["em"] / 1000)
    _, runs = runs_along(px, w, row)
    ours = ""
    for r in runs:
        modules = r / sample["module_px"]
        if abs(modules - 1) > 0.75 and abs(modules - 3) > 0.75:
            return "an element %.2f modules wide" % modules
        ours += "n" if modules < 2 else "w"
    rows = zint_rows(["-b", "47", "--vers=" + ("2" if sample["check"] else "1"), "-d", sample["value"]])
    zint = "".join("n" if len(m.group(0)) == 1 else "w" for m in re.finditer(r"1+|0+", rows[0])) if rows else "?"
    return None if ours == zint else "elements %s, zint %s" % (ours, zint)


def compare_postnet(sample, pgm):
    w, h, px = pgm
    scale = sample["em"] / 1000
    low = sample["baseline"] - round(sample["half_top"] / 2 * scale)
    high = sample["baseline"] - round((sample["half_top"] + sample["bar_top"]) / 2 * scale)
    x, runs = runs_along(px, w, low)
    ours, bar = "", True
    for r in runs:
        if bar:
            ours += "T" if px[high * w + x + r // 2] < 128 else "s"
        bar, x = not bar, x + r
    rows = zint_rows(["-b", "40", "-d", sample["value"].replace("-", "")])
    zint = "".join(("T" if i < len(rows[0]) and rows[0][i] == "1" else "s")
                   for i, b in enumerate(rows[1]) if b == "1") if len(rows) == 2 else "?"
    return None if ours == zint else "bars %s, zint %s" % (ours, zint)


def zbar_read(files, settings):
    cmd = ["zbarimg", "--xml", "--nodbus", "-q"] + ["-S" + s for s in settings] + files
    p = subprocess.run(cmd, capture_output=True)
    xml = p.stdout.decode("utf-8", "replace")
    found = {}
    for src in re.finditer(r"<source href='([^']*)'>(.*?)</source>", xml, re.S):
        readings = []
        for sym in re.finditer(r"<symbol type='([^']*)'[^>]*>.*?<data( format='base64')?[^>]*><!\[CDATA\[(.*?)\]\]></data>",
                               src.group(2), re.S):
            data = sym.group(3)
            if sym.group(2):
                data = base64.b64decode(data).decode("latin-1")
            readings.append((sym.group(1), data))
        found[os.path.basename(src.group(1))] = readings
    return found


# ---------------------------------------------------------------------------
# One architecture, start to finish.

class Wine:
    def __init__(self, loader, prefix):
        self.loader = loader
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        LANG="en_US.UTF-8")
        self.prefix = prefix

    def __call__(self, *args, check=True):
        return run([self.loader] + list(args), env=self.env, check=check)

    def start(self, *args):
        return subprocess.Popen([self.loader] + list(args), env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL)

    def unix(self, windows_path):
        m = re.match(r"([A-Za-z]):\\(.*)", windows_path)
        return os.path.join(self.prefix, "drive_%s" % m.group(1).lower(), *m.group(2).split("\\"))

    def registry(self):
        code, out = self("reg", "query", FONTS_KEY, check=False)
        values = {}
        for line in out.splitlines():
            m = re.match(r"\s+(.+?)\s+REG_(?:EXPAND_)?SZ\s+(.*)$", line)
            if m:
                values[m.group(1)] = m.group(2)
        return values


def hklm(wine, work, values, add):
    """Writes (or deletes) `values` under HKLM's Fonts key with one reg import."""
    path = os.path.join(work, "hklm-fonts.reg")
    lines = ["Windows Registry Editor Version 5.00", "",
             r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]"]
    for name, data in values.items():
        lines.append('"%s"=%s' % (name, '"%s"' % data.replace("\\", "\\\\") if add else "-"))
    with open(path, "w", encoding="utf-16") as f:
        f.write("\r\n".join(lines) + "\r\n")
    wine("reg", "import", "Z:" + path.replace("/", "\\"))


def faces_step(wine, gdi, dll, want, fallback_dir, arch):
    args = ["faces", dll, want] + ([fallback_dir] if fallback_dir else [])
    code, out = wine(gdi, *args, check=False)
    summary = [l for l in out.splitlines() if l.startswith("faces:")]
    codes = [l for l in out.splitlines() if l.startswith("codes:")]
    print("%s: GetTextFaceA, %s: %s" % (arch, want, summary[0] if summary else out.strip()[-300:]), flush=True)
    bad = [l for l in out.splitlines() if l.endswith("FAILED")]
    return code == 0, bad, [int(c) for c in codes[0].split()[1:]] if codes else []


def scan_step(wine, gdi, dll, work, manifest, codes, fallback_dir, arch, per_code, module_choices):
    rng = random.Random(19)
    samples, lines = [], []
    for code in codes:
        if code not in SYMBOLOGIES:
            print("%s: code %d has no sample values in this test: its faces are checked, its text not scanned"
                  % (arch, code), flush=True)
            continue
        for i in range(per_code):
            value, check = SYMBOLOGIES[code][1](rng)
            height, caption, mono = rng.randint(0, 2), rng.randint(0, 1), rng.randint(0, 1)
            face_code = 1 if code == 0 else code
            design = manifest.get((face_code, height, caption)) or manifest.get((face_code, None, None))
            # Whole pixels to the module: GDI advances each glyph by whole
            # pixels, so at 2.5 pixels to the module the gaps between glyphs
            # drift by half a pixel (--fractional shows what that does).
            # At 2 pixels to the module Wine's anti-aliased rendering of the
            # caption faces sets bars half a pixel off the grid (a scan in 20
            # fails), so that size is drawn one bit per pixel, as a printer
            # driver at low resolution rasterises.
            module_px = rng.choice(module_choices) if code != 8 else rng.choice([3, 4])
            if module_px == 2:
                mono = 1
            em = round(module_px * 1000 / design["module"])
            module_px = em * design["module"] / 1000
            sid = "s%05d" % len(samples)
            samples.append(dict(id=sid, code=code, value=value, check=check, em=em, module_px=module_px,
                                margin=round(12 * module_px), **design))
            lines.append("%s %d %d %d %d %d %d %d %s" % (sid, code, int(check), height, caption, em,
                                                          round(12 * module_px), mono,
                                                          value.encode("latin-1").hex()))
    pictures = os.path.join(work, "pictures-" + arch)
    shutil.rmtree(pictures, ignore_errors=True)
    os.makedirs(pictures)
    listing = os.path.join(work, "samples-%s.txt" % arch)
    with open(listing, "w") as f:
        f.write("\n".join(lines) + "\n")
    win_pictures = "Z:" + pictures.replace("/", "\\")
    args = ["draw", dll, "Z:" + listing.replace("/", "\\"), win_pictures] + ([fallback_dir] if fallback_dir else [])
    code, out = wine(gdi, *args, check=False)
    drawn = {}
    for line in out.splitlines():
        m = re.match(r"(s\d+) ok (\d+) \"([^\"]*)\" ([0-9A-F]*)$", line)
        if m:
            drawn[m.group(1)] = (int(m.group(2)), m.group(3))
    counts = {}
    by_settings = {}
    for s in samples:
        if s["id"] not in drawn:
            fail("%s: %s %r was not drawn" % (arch, SYMBOLOGIES[s["code"]][0], s["value"]))
            continue
        s["baseline"] = s["margin"] + drawn[s["id"]][0]
        s["file"] = os.path.join(pictures, s["id"] + ".pgm")
        settings = SYMBOLOGIES[s["code"]][2]
        if settings != "zint":
            by_settings.setdefault(tuple(settings), []).append(s)
    readings = {}
    for settings, group in by_settings.items():
        readings.update(zbar_read([s["file"] for s in group], list(settings)))
    for s in samples:
        if s["id"] not in drawn:
            continue
        name, _, settings, expect = SYMBOLOGIES[s["code"]]
        if settings == "zint":
            pgm = read_pgm(s["file"])
            problem = compare_msi(s, pgm) if s["code"] == 4 else compare_postnet(s, pgm)
        else:
            problem = expect(s["value"], s["check"], readings.get(s["id"] + ".pgm", []))
        tally = counts.setdefault(name, [0, 0])
        tally[0] += 1
        if problem:
            fail("%s: %s value %r check %d in %s: %s (read %r)" % (arch, name, s["value"], s["check"],
                                                                 drawn[s["id"]][1], problem,
                                                                 readings.get(s["id"] + ".pgm")))
        else:
            tally[1] += 1
    total = sum(t[0] for t in counts.values())
    good = sum(t[1] for t in counts.values())
    print("%s: TextOutA pictures read back: %d of %d (%s)" % (
        arch, good, total, ", ".join("%s %d/%d" % (n, t[1], t[0]) for n, t in counts.items())), flush=True)
    if not os.environ.get("TAVO_SCAN_KEEP"):
        shutil.rmtree(pictures, ignore_errors=True)


def one_arch(arch, loader, sdk, work, source, manifest, per_code, module_choices):
    started = time.time()
    triple = {"x64": "x86_64-w64-mingw32", "x86": "i686-w64-mingw32"}[arch]
    installer_name = {"x64": "tavo-fonts-x64.exe", "x86": "tavo-fonts.exe"}[arch]
    prefix = os.path.join(work, "wineprefix-" + arch)
    shutil.rmtree(prefix, ignore_errors=True)
    wine = Wine(loader, prefix)
    wine("wineboot", "-i", check=False)

    gdi = os.path.join(work, "gdi_fonts_test-%s.exe" % arch)
    run([triple + "-gcc", "-std=c11", "-Wall", "-Wextra", "-Werror", "-O2", "-static",
         os.path.join(source, "tests", "win32", "gdi_fonts_test.c"), "-o", gdi, "-lgdi32"])
    dll = "Z:" + os.path.join(sdk, arch, "tavo32.dll").replace("/", "\\")
    fonts = sorted(f for f in os.listdir(os.path.join(sdk, "fonts")) if f.lower().endswith(".ttf"))
    installer = os.path.join(sdk, "fonts", installer_name)

    # Install, twice; the files and registry values.
    code, out = wine(installer, check=False)
    installed = [l for l in out.splitlines() if l.startswith("installed: ")]
    if code != 0 or len(installed) != len(fonts):
        fail("%s: the installer installed %d of %d fonts (exit %d):\n%s" % (arch, len(installed), len(fonts), code, out))
    code, out = wine(installer, check=False)
    again = [l for l in out.splitlines() if l.startswith("already installed: ")]
    if code != 0 or len(again) != len(fonts):
        fail("%s: a second run was not a no-op:\n%s" % (arch, out))
    code, out = wine(installer, "/list", check=False)
    listed = [l for l in out.splitlines() if l.endswith(": installed")]
    if len(listed) != len(fonts):
        fail("%s: /list shows %d of %d installed:\n%s" % (arch, len(listed), len(fonts), out))
    registry = wine.registry()
    ours = {name: path for name, path in registry.items() if name.startswith("TAVO ")}
    user_fonts = None
    for name, path in ours.items():
        unix = wine.unix(path)
        user_fonts = os.path.dirname(unix)
        if not name.endswith(" (TrueType)") or not re.search(r"\\AppData\\Local\\Microsoft\\Windows\\Fonts\\", path):
            fail("%s: registry value %r = %r" % (arch, name, path))
        if not os.path.exists(unix):
            fail("%s: %s names %s, which is missing" % (arch, name, path))
    copies = sorted(os.listdir(user_fonts)) if user_fonts else []
    for f in fonts:
        if f not in copies or open(os.path.join(user_fonts, f), "rb").read() != open(os.path.join(sdk, "fonts", f), "rb").read():
            fail("%s: %s is not in the user's font folder as shipped" % (arch, f))
    print("%s: installer: %d fonts copied to the user's font folder, %d registry values with full paths; "
          "second run changed nothing" % (arch, len([f for f in fonts if f in copies]), len(ours)), flush=True)
    fallback = None

    # GDI picks our faces by name (in a new process, as a program started later would).
    ok, bad, codes = faces_step(wine, gdi, dll, "ours", None, arch)
    if not ok:
        # Wine loads the fonts named under HKLM's Fonts key (full paths too)
        # but not those under HKCU's.  The installer's values, copied to
        # HKLM, must then make GDI choose every face: that proves the values
        # and files are what Windows needs.
        print("%s: WINE GAP: a new process does not load the per-user fonts named under HKCU\\...\\Fonts "
              "(%d faces substituted)" % (arch, len(bad)), flush=True)
        hklm(wine, work, ours, add=True)
        ok, bad, codes = faces_step(wine, gdi, dll, "ours", None, arch)
        hklm(wine, work, ours, add=False)
        if not ok:
            fail("%s: the installer's registry values, read from HKLM, do not give our faces:\n%s"
                 % (arch, "\n".join(bad)))
        print("%s: the same values under HKLM (which Wine reads) select every face; the test program now "
              "adds the user's font files itself with AddFontResourceA" % arch, flush=True)
        fallback = "Z:" + user_fonts.replace("/", "\\")
        ok, bad, codes = faces_step(wine, gdi, dll, "ours", fallback, arch)
        if not ok:
            fail("%s: GDI substituted faces:\n%s" % (arch, "\n".join(bad)))
    scan_step(wine, gdi, dll, work, manifest, codes, fallback, arch, per_code, module_choices)

    # A font in use: /uninstall refuses and changes nothing.
    held = os.path.join(user_fonts, fonts[0])
    holder = wine.start(gdi, "hold", "Z:" + held.replace("/", "\\"), "20")
    holder.stdout.readline()
    code, out = wine(installer, "/uninstall", check=False)
    holder.kill()
    holder.wait()
    if code == 0 or "in use" not in out or sorted(os.listdir(user_fonts)) != copies or wine.registry() != registry:
        fail("%s: /uninstall with %s open did not fail cleanly (exit %d):\n%s" % (arch, fonts[0], code, out))
    else:
        print("%s: /uninstall with a font open: refused, nothing changed (%s)" %
              (arch, [l for l in out.splitlines() if l.startswith("in use")][0]), flush=True)

    # A newer version of one font while the old one is open: the update is
    # refused and nothing changes; once it is closed, only that font changes.
    newer = os.path.join(work, "fonts-newer-" + arch)
    shutil.rmtree(newer, ignore_errors=True)
    shutil.copytree(os.path.join(sdk, "fonts"), newer)
    with open(os.path.join(newer, fonts[-1]), "ab") as f:
        f.write(b"\0\0\0\0")  # padding after the last table: the same font, other bytes
    newer_installer = os.path.join(newer, installer_name)
    holder = wine.start(gdi, "hold", "Z:" + os.path.join(user_fonts, fonts[-1]).replace("/", "\\"), "20")
    holder.stdout.readline()
    code, out = wine(newer_installer, check=False)
    holder.kill()
    holder.wait()
    unchanged = open(os.path.join(user_fonts, fonts[-1]), "rb").read() == open(os.path.join(sdk, "fonts", fonts[-1]), "rb").read()
    if code == 0 or "in use" not in out or not unchanged or sorted(os.listdir(user_fonts)) != copies:
        fail("%s: an update of an open font did not fail cleanly (exit %d):\n%s" % (arch, code, out))
    code, out = wine(newer_installer, check=False)
    updated = [l for l in out.splitlines() if l.startswith("updated: ")]
    if code != 0 or len(updated) != 1 or sorted(os.listdir(user_fonts)) != copies:
        fail("%s: the update changed %d fonts, not 1 (exit %d):\n%s" % (arch, len(updated), code, out))
    else:
        print("%s: update with the font open: refused, nothing changed; closed: %s" % (arch, updated[0]), flush=True)

    # Uninstall, twice; nothing left; GDI substitutes.  The bundle that
    # installed the newer font removes it: /uninstall takes away only files
    # with the bytes of the fonts beside it.
    code, out = wine(newer_installer, "/uninstall", check=False)
    removed = [l for l in out.splitlines() if l.startswith("removed: ")]
    left = [f for f in os.listdir(user_fonts) if f in fonts or f.endswith(".tavo-old")]
    left_values = [n for n in wine.registry() if n.startswith("TAVO ")]
    if code != 0 or len(removed) != len(fonts) or left or left_values:
        fail("%s: /uninstall left %r and %r (exit %d):\n%s" % (arch, left, left_values, code, out))
    code, out = wine(installer, "/uninstall", check=False)
    if code != 0 or "0 fonts removed" not in out:
        fail("%s: a second /uninstall was not a no-op:\n%s" % (arch, out))
    ok, bad, _ = faces_step(wine, gdi, dll, "substitute", None, arch)
    if not ok:
        fail("%s: after /uninstall GDI still finds:\n%s" % (arch, "\n".join(bad)))
    print("%s: uninstalled: %d fonts removed, no files or registry values left; %.0f s" %
          (arch, len(removed), time.time() - started), flush=True)
    run(["/usr/lib/wine/wineserver", "-k"], env=wine.env, check=False)


def read_manifest(path):
    designs = {}
    for line in open(path):
        if line.startswith("#"):
            continue
        f = line.strip().split("|")
        d = dict(module=int(f[5]), bar_bottom=int(f[6]), bar_top=int(f[7]), half_top=int(f[9]))
        code = int(f[2])
        if f[3] == "-":
            designs[(code, None, None)] = d
        else:
            designs[(code, "LMH".index(f[3]), int(f[4]))] = d
    # The UPC/EAN font prints codes 6, 7, 9 and 10.
    for code in (7, 9, 10):
        if (6, None, None) in designs:
            designs.setdefault((code, None, None), designs[(6, None, None)])
    return designs


LOADERS = {"x64": "/usr/lib/wine/wine64", "x86": "wine"}


def x86_beside(a):
    """Starts the x86 half as a program of its own, in a work folder of its
    own, to run beside the x64 half; returns it, or None where x86 is not run."""
    runs32, why = win32_runs()
    if a.x64_only:
        print("x86: SKIPPED: --x64-only", flush=True)
    elif not runs32:
        print("x86: SKIPPED: 32-bit programs cannot run on this machine (%s)" % why, flush=True)
    else:
        cmd = [sys.executable, "-B", os.path.abspath(__file__), "--arch", "x86", "--zip", a.zip,
               "--work", os.path.join(a.work, "x86"), "--source", a.source, "--manifest", a.manifest,
               "--per-code", str(a.per_code)] + (["--fractional"] if a.fractional else [])
        return subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return None


def x86_result(side):
    """Waits for the x86 half and prints its output whole, after the x64 lines."""
    out = side.communicate()[0].decode("utf-8", "replace")
    print(out, end="" if out.endswith("\n") else "\n", flush=True)
    if side.returncode != 0:
        failures.append("x86: exit %d" % side.returncode)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--zip", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--source", required=True)
    ap.add_argument("--manifest", required=True)
    ap.add_argument("--per-code", type=int, default=40)
    ap.add_argument("--x64-only", action="store_true")
    ap.add_argument("--arch", choices=sorted(LOADERS), help="this architecture alone")
    ap.add_argument("--fractional", action="store_true", help="2.5 pixels to the module (expect failures)")
    a = ap.parse_args()
    shutil.rmtree(a.work, ignore_errors=True)
    os.makedirs(a.work)
    with zipfile.ZipFile(a.zip) as z:
        z.extractall(a.work)
    sdk = os.path.join(a.work, [d for d in os.listdir(a.work) if d.startswith("tavo32-sdk-")][0])
    for root, _, files in os.walk(sdk):
        for f in files:
            if f.endswith(".exe"):
                os.chmod(os.path.join(root, f), 0o755)
    manifest = read_manifest(a.manifest)
    modules = [2.5] if a.fractional else [2, 3, 4]
    # The two architectures, each in Wine prefixes of its own, run side by side.
    side = None if a.arch else x86_beside(a)
    try:
        arch = a.arch or "x64"
        one_arch(arch, LOADERS[arch], sdk, a.work, a.source, manifest, a.per_code, modules)
    finally:
        if side:
            x86_result(side)
    if failures:
        print("%d failed; the Wine prefixes and pictures stay in %s" % (len(failures), a.work))
        return 1
    shutil.rmtree(a.work, ignore_errors=True)  # the Wine prefixes take about a gigabyte each
    if not a.arch:
        print("windows fonts: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
