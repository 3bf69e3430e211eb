#!/usr/bin/python3
"""A Calc sheet of bar codes made with the TAVO32 functions, headless.

    calc.py PROFILE CASES RESULTS.json [--pdf OUT.pdf] [--ods OUT.ods]

CASES is a JSON list of rows {"symbology", "value", "options"}, or text
lines "symbology|value|options" (tests/cases.txt).  The sheet
gets one row each: the symbology, the value, the options, then the formulas
=TAVO(A;B;C) in the face =TAVOFACE(A;"M") names, =TAVOFACE(A;"M";1),
=TAVOCHECK(A;LEFT(B;1)) and, for GS1-128, =TAVOGS1HRI(B).  After a full
recalculation every formula cell's text goes to RESULTS.json; the sheet,
bar codes set in their fonts, goes to PDF.  The profile must have the
extension (unopkg add -env:UserInstallation=file:///PROFILE tavo32.oxt).
"""

import argparse
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from office import Office, props, url  # noqa: E402

COLUMNS = ("tavo", "face", "face_caption", "check", "gs1_hri")
CM = 1000  # Calc's sizes are in 1/100 mm


def formulas(row, case):
    r = row + 1
    out = ['=TAVO(A%d;B%d;C%d)' % (r, r, r) if case.get("options") not in (None, "") else
           '=TAVO(A%d;B%d)' % (r, r),
           '=TAVOFACE(A%d;"M")' % r, '=TAVOFACE(A%d;"M";1)' % r, '=TAVOCHECK(A%d;LEFT(B%d;1))' % (r, r),
           '=TAVOGS1HRI(B%d)' % r if case["symbology"] == "gs1-128" else '=""']
    return out


def fill(sheet, cases):
    for row, case in enumerate(cases):
        sheet.getCellByPosition(0, row).setString(case["symbology"])
        sheet.getCellByPosition(1, row).setString(case["value"])
        sheet.getCellByPosition(2, row).setString(case.get("options") or "")
        for col, formula in enumerate(formulas(row, case)):
            sheet.getCellByPosition(3 + col, row).setFormula(formula)


def lay_out(sheet, cases):
    """Each bar code in its face and a size it reads at; the help columns hidden."""
    columns = sheet.Columns
    for col, width in enumerate((2.2, 5.3, 1.8, 7.7)):
        columns.getByIndex(col).Width = int(width * CM)
    for col in range(4, 8):
        columns.getByIndex(col).IsVisible = False
    for row, case in enumerate(cases):
        cell = sheet.getCellByPosition(3, row)
        face = sheet.getCellByPosition(4, row).getString()
        if face.startswith("ERROR") or cell.getString().startswith("ERROR"):
            continue
        two_d = face in ("TAVO QR", "TAVO DM")
        cell.CharFontName = face
        # QR Code and Data Matrix: a module is a third of the size; Intelligent
        # Mail at 14.5 pt has its 65 bars at about 24 to the inch.
        cell.CharHeight = 6 if two_d else 14.5 if face == "TAVO IMB" else 20
        cell.IsTextWrapped = two_d
        cell.VertJustify = 2  # centred, and apart from the text beside it
        cell.HoriJustify = 2
        if two_d:  # as tall as the lines need, as Calc measures them
            sheet.Rows.getByIndex(row).OptimalHeight = True
        else:
            sheet.Rows.getByIndex(row).Height = int(2.2 * CM)


def export_pdf(doc, path):
    for name in doc.Sheets.getByIndex(0).PageStyle, "Default":
        if doc.StyleFamilies.getByName("PageStyles").hasByName(name):
            style = doc.StyleFamilies.getByName("PageStyles").getByName(name)
            style.HeaderIsOn = False
            style.FooterIsOn = False
    doc.storeToURL(url(path), props(FilterName="calc_pdf_Export"))


def make_sheet(office, cases, pdf=None, ods=None):
    """The sheet of `cases`, recalculated: each row's formula results."""
    doc = office.open()
    try:
        sheet = doc.Sheets.getByIndex(0)
        fill(sheet, cases)
        doc.calculateAll()
        results = [{name: sheet.getCellByPosition(3 + i, row).getString() for i, name in enumerate(COLUMNS)}
                   for row in range(len(cases))]
        lay_out(sheet, cases)
        if ods:
            doc.storeToURL(url(ods), ())
        if pdf:
            export_pdf(doc, pdf)
        return results
    finally:
        doc.close(True)


def read_cases(path):
    """Rows from JSON, or from text lines "symbology|value|options[|...]"."""
    with open(path, encoding="utf-8") as f:
        if path.endswith(".json"):
            return json.load(f)
        return [dict(zip(("symbology", "value", "options"), line.rstrip("\n").split("|")[:3]))
                for line in f if line.strip() and not line.startswith("#")]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("profile")
    parser.add_argument("cases")
    parser.add_argument("results")
    parser.add_argument("--pdf")
    parser.add_argument("--ods")
    args = parser.parse_args()
    cases = read_cases(args.cases)
    office = Office(args.profile)
    try:
        results = make_sheet(office, cases, args.pdf, args.ods)
    finally:
        office.close()
    with open(args.results, "w", encoding="utf-8") as f:
        json.dump(results, f, ensure_ascii=False, indent=0)


if __name__ == "__main__":
    main()
