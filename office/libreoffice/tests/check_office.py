#!/usr/bin/python3
"""The LibreOffice proof: the extension in a real, headless LibreOffice.

    check_office.py BUILD_DIR WORK OXT

1. The extension is installed in a profile of its own by `unopkg add`
   (which refuses root: run this as an ordinary user), and Calc computes tests/cases.txt: every cell must equal what
   `tavo translate` (face, check) prints for the same input, and the error
   rows must show an error message.
2. That sheet, its bar codes set in the faces TAVOFACE names, goes to PDF;
   the PDF must embed the fonts, and every symbol must read as its row says.
3. Label sheets: for each of EAN-13, Code 128, GS1-128, Intelligent Mail,
   QR Code and Data Matrix, thirty values get their font strings from
   `tavo batch`, Writer merges them into the 30-label US Letter template
   (Code 128 also into the 24-label A4 one), and every label of the PDF must
   read as its row's value (Intelligent Mail: the bars zint makes for it).
"""

import csv
import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "ext", "pythonpath"))
sys.path.insert(0, os.path.join(HERE, os.pardir, os.pardir, os.pardir, "bindings", "python"))
import calc  # noqa: E402
import labels  # noqa: E402
import pdfread  # noqa: E402
from label_sets import SETS  # noqa: E402
from office import Office  # noqa: E402
from tavo32 import _to_text  # noqa: E402

failures = []
# LibreOffice, like browsers, takes U+00AD for a soft hyphen and draws
# nothing for it, whatever the font maps it to: a symbol whose font string
# holds it loses a character and does not read.  Such rows are counted apart.
SOFT_HYPHEN = "\u00ad"


def fail(message):
    failures.append(message)
    print("FAIL  " + message)


def read_cases():
    cases = []
    with open(os.path.join(HERE, "cases.txt"), encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                symbology, value, options, want = line.rstrip("\n").split("|")
                cases.append({"symbology": symbology, "value": value, "options": options, "want": want})
    return cases


def cli_options(options):
    """"level=H;gs1" as the command line gives it: --level H --gs1."""
    out = []
    for item in filter(None, (i.strip() for i in options.split(";"))):
        name, _, value = item.partition("=")
        flag_on = value.strip().lower() in ("", "1", "yes", "true", "on")
        out += ["--" + name.strip().replace(" ", "-")] + ([] if flag_on else [value])
    return out


def expected(tavo, case, multi_line):
    """What the command line makes of a case: (font string, face, caption face, check)."""
    run = lambda *a: subprocess.run([tavo] + list(a), capture_output=True)
    symbology = case["symbology"]
    out = run("translate", symbology, case["value"].replace("\\", "\\\\"), "--raw", *cli_options(case["options"]))
    font = _to_text(out.stdout) if out.returncode == 0 else None
    if font is not None and multi_line:
        font = font.replace("\r\n", "\n")
    if font is None and out.stderr.startswith(b"tavo: 325"):
        font = out.stderr.decode().split(" ", 2)[2].strip()  # "tavo: 32507 MESSAGE"
    face = run("face", symbology, "--height", "M").stdout.decode().strip()
    caption = run("face", symbology, "--height", "M", "--caption").stdout.decode().strip()
    check = run("check", symbology, case["value"][:1])
    shown = check.stdout.decode().strip()
    shown = shown[len('valid "'):-1] if check.returncode == 0 and shown.startswith('valid "') else ""
    return font, face, caption, shown


def check_cells(tavo, cases, results, registry):
    multi = {fold(e["name"]) for e in registry["symbologies"] if e.get("multi_line")}
    codes = {str(e["code"]): fold(e["name"]) for e in registry["symbologies"]}
    for case, got in zip(cases, results):
        name = codes.get(case["symbology"], fold(case["symbology"]))
        font, face, caption, shown = expected(tavo, case, name in multi or name in ("qrcode", "dm"))
        label = "%s %r %s" % (case["symbology"], case["value"], case["options"])
        if case["want"] == "!":
            if not got["tavo"].startswith("ERROR"):
                fail("Calc %s: %r is not an error message" % (label, got["tavo"]))
            elif font is not None and font.startswith("ERROR") and got["tavo"] != font:
                fail("Calc %s: %r, the command line says %r" % (label, got["tavo"], font))
            continue
        for column, want in (("tavo", font), ("face", face), ("face_caption", caption), ("check", shown)):
            if got[column] != want:
                fail("Calc %s: %s is %r, the command line gives %r" % (label, column, got[column], want))
        if SOFT_HYPHEN in got["tavo"]:
            case["want"] = "-"
            print("known %s: the font string holds U+00AD, which LibreOffice does not draw" % label)
        if case["symbology"] == "gs1-128" and got["gs1_hri"] != case["value"]:
            fail("Calc %s: TAVOGS1HRI is %r" % (label, got["gs1_hri"]))
        case["face"] = face
    covered = {codes.get(c["symbology"], fold(c["symbology"])) for c in cases}
    for e in registry["symbologies"]:
        if fold(e["name"]) not in covered:
            fail("Calc: tests/cases.txt has no row for %s (every symbology of `tavo list --json` needs one)" % e["name"])
    print("ok    Calc: %d rows of %d symbologies, cell by cell as the command line" %
          (len(cases), len({c["symbology"] for c in cases})))


def check_reopened(office, ods, results):
    """The saved sheet, opened again and recalculated, gives the same cells:
    the file keeps the functions by their add-in names."""
    doc = office.open(ods)
    try:
        doc.calculateAll()
        sheet = doc.Sheets.getByIndex(0)
        again = [sheet.getCellByPosition(3, row).getString() for row in range(len(results))]
    finally:
        doc.close(True)
    if again != [r["tavo"] for r in results]:
        fail("Calc: the saved sheet, reopened, gives other cells")
    else:
        print("ok    Calc: the saved .ods, reopened and recalculated, gives the same %d cells" % len(again))


def check_labels(office, tavo, work, symbology, layout, count):
    """A sheet of labels merged from `count` rows that tavo batch translated:
    each label, in reading order, must read as its row's value."""
    size, row = SETS[symbology]
    rows = [row(i + 1) for i in range(count)]
    source, data = (os.path.join(work, "%s-%s.%s" % (symbology, layout, ext)) for ext in ("in.csv", "csv"))
    with open(source, "w", encoding="utf-8", newline="") as f:
        f.write("name,value\r\n" + "".join("Label %d,%s\r\n" % (i + 1, v) for i, (v, _) in enumerate(rows)))
    subprocess.run([tavo, "batch", symbology, "--column", "value", "-i", source, "-o", data],
                   check=True, capture_output=True)
    face = subprocess.run([tavo, "face", symbology, "--height", "H"], capture_output=True, text=True,
                          check=True).stdout.strip()
    template = os.path.join(work, "%s-%s.odt" % (symbology, layout))
    labels.write_template(template, layout, face, size, "value font")
    pdf = template[:-4] + ".pdf"
    labels.merge(office, template, data, pdf)
    name = "Writer %s labels (%s)" % (symbology, layout)
    if pdfread.postscript_name(face) not in pdfread.embedded_fonts(pdf):
        fail("%s: %s is not embedded" % (name, face))
    with tempfile.TemporaryDirectory() as tmp:
        found = pdfread.read_symbols(pdf, tmp)
    with open(data, encoding="utf-8", newline="") as f:
        fonts = [row["value font"] for row in csv.DictReader(f)]
    hidden = [i for i, font in enumerate(fonts) if SOFT_HYPHEN in font]
    for i in hidden:
        rows[i] = (rows[i][0], [])  # read as nothing: the soft hyphen is not drawn
    if symbology == "imb":
        got = [bars[i:i + 65] for _, _, bars in found for i in range(0, len(bars), 65)]
        want = [pdfread.zint_imb(value) for value, _ in rows]
    else:
        got = [reads[0] if len(reads) == 1 else reads for _, reads, _ in found]
        want = [reading for _, reading in rows]
    if got != want:
        wrong = [(i + 1, g, w) for i, (g, w) in enumerate(zip(got, want)) if g != w]
        fail("%s: %d labels found, %d wanted; first differences %s" % (name, len(got), len(want), wrong[:3]))
    else:
        print("ok    %s: %d labels read as their rows%s, %s embedded%s" %
              (name, len(got) - len(hidden), " (as zint's bars)" if symbology == "imb" else "", face,
               "; known: %d not drawn whole, their strings hold U+00AD" % len(hidden) if hidden else ""))


def fold(name):
    return "".join(ch for ch in str(name).lower() if ch not in "-_. ")


def main():
    build, work, oxt = sys.argv[1:4]
    tavo = os.path.join(build, "bin", "tavo")
    registry = json.loads(subprocess.run([tavo, "list", "--json"], capture_output=True, check=True).stdout)
    profile = os.path.join(work, "profile")
    cases = read_cases()
    started = time.time()
    subprocess.run(["unopkg", "add", "-env:UserInstallation=file://" + profile, oxt], check=True)
    office = Office(profile)
    try:
        pdf = os.path.join(work, "calc.pdf")
        ods = os.path.join(work, "calc.ods")
        results = calc.make_sheet(office, cases, pdf=pdf, ods=ods)
        check_cells(tavo, cases, results, registry)
        check_reopened(office, ods, results)
        pdfread.check_pdf(pdf, [c for c in cases if c["want"] != "!"], fail, "Calc")
        if "--no-labels" not in sys.argv:
            for symbology in SETS:
                check_labels(office, tavo, work, symbology, "letter30", 30)
            check_labels(office, tavo, work, "code128", "a4-24", 24)
    finally:
        office.close()
    print("%s  LibreOffice proof in %.0f s, %d failures" % ("ok" if not failures else "FAIL", time.time() - started,
                                                          len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
