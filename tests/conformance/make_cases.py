#!/usr/bin/env python3
"""Writes tests/conformance/cases.jsonl, the cases every surface runs.

    python3 tests/conformance/make_cases.py TAVO [OUT]

The symbologies, their aliases and their options come from `TAVO list
--json`; a symbology needs a sample value below (SAMPLES) to get its cases,
and one without is named on stderr, with exit status 1, so that a new row is
not left out unnoticed.  The hand-written cases after the generated ones
cover text rules, bytes, GS1 forms and errors.
"""
import json
import os
import subprocess
import sys
import tempfile

GS1 = "(01)09501101530003(17)250101(10)ABC123"
GS1_BRACKETS = "[01]09501101530003[17]250101[10]ABC123"

# A valid value of each symbology, by canonical name.
SAMPLES = {
    "code39ascii": "Hello-39",
    "code39": "CODE39-TEST",
    "i2of5": "1234567",
    "codabar": "A12345B",
    "msi": "1234567",
    "code93": "CODE 93",
    "upca": "01234567890",
    "upce": "654321",
    "postnet": "12345-6789",
    "ean8": "1234567",
    "ean13": "590123412345",
    "code128": "Code 128 abc",
    "gs1-128": "(01)09501101530003(17)250101(10)ABC123",
    "gtin13": "5901234123457",
    "gtin8": "96385074",
    "gtin12": "036000291452",
    "upce8": "01234565",
    "imb": "01234567094987654321-01234567891",
    "qr": "HELLO WORLD",
    "datamatrix": "Hello Data Matrix",
    "itf14": "1540014128876",
    "databar": "(01)20012345678909",
    "databar-stacked": "2001234567890",
    "databar-stacked-omni": "(01)20012345678909",
    "databar-limited": "(01)15012345678907",
    "databar-expanded": "(01)98898765432106(3202)012345(15)991231",
    "databar-expanded-stacked": "(01)98898765432106(3103)001750(15)991231(10)ABC123",
    "pdf417": "PDF417 label 2026-12-08",
    "micropdf417": "MicroPDF417 2026-12-08",
    "aztec": "Hello Aztec Code",
}


def odd_spelling(name):
    """The canonical name as a user might type it: upper case, with '-'
    between letters and digits ("CODE-39", "GS1-128", "EAN-13")."""
    out = ""
    for i, ch in enumerate(name):
        if i and ch.isdigit() != name[i - 1].isdigit() and "-" not in (ch, name[i - 1]):
            out += "-"
        out += ch.upper()
    return out


def option_cases(sym, sample):
    """One case for each value of each option, and the option's name spelled
    oddly once.  A GS1 option gets a GS1 element string."""
    name = sym["name"]
    for opt in sym["options"]:
        oname = opt["name"]
        value = GS1 if oname == "gs1" else sample
        if opt["type"] == "flag":
            choices = [("on", True), ("off", False)]
        elif opt["type"] == "choice":
            choices = [(v["name"].lower(), v["name"]) for v in opt["values"]]
        else:
            choices = [("min", opt["min"]), ("max", opt["max"])]
        for label, v in choices:
            yield f"{name}-{oname}-{label}", name, value, {oname: v}
        odd = oname.replace("_", "-").title()
        first = choices[0][1]
        if isinstance(first, str):
            first = first.lower() if first != first.lower() else first.upper()
        yield f"{name}-{oname}-odd-spelling", name, value, {odd: first}


def generated_cases(symbologies):
    missing = []
    for sym in symbologies:
        name = sym["name"]
        value = SAMPLES.get(name)
        if value is None:
            missing.append(name)
            continue
        yield f"{name}", name, value, {}
        yield f"{name}-odd-name", odd_spelling(name), value, {}
        for alias in sym["aliases"]:
            yield f"{name}-alias-{alias}", alias, value, {}
        yield from option_cases(sym, value)
    if missing:
        print("make_cases.py: no sample value for " + ", ".join(missing) +
              " (add one to SAMPLES)", file=sys.stderr)
        sys.exit(1)


# (id, symbology, value or {"bytes_hex": ...}, options)
HAND_CASES = [
    # Names with spaces, case and separators.
    ("name-qr-code-title", "QR Code", "HELLO", {}),
    ("name-data-matrix-title", "Data Matrix", "Hello", {}),
    ("name-ean-13-underscore", "ean_13", "590123412345", {}),
    ("name-code-128-dot", "Code.128", "abc", {}),
    ("name-gs1-datamatrix-spaced", "GS1 DataMatrix", "Hello", {}),
    ("name-i-2-of-5-mixed", "I2Of5", "1234", {}),
    # Unknown symbologies.
    ("unknown-ean31", "ean31", "12345", {}),
    ("unknown-qrcod", "qrcod", "HELLO", {}),
    ("unknown-empty-name", "", "12345", {}),
    ("unknown-code39x", "code 39 x", "ABC", {}),
    ("unknown-pdf417", "pdf417", "ABC", {}),
    # The check argument itself, and check=True.
    ("check-int-code39", "code39", "ABC", {"check": 1}),
    ("check-int-qr-h", "qr", "HELLO", {"check": 4}),
    ("check-int-qr-l", "qr", "HELLO", {"check": 1}),
    ("check-int-dm-rect-gs1", "datamatrix", GS1, {"check": 3}),
    ("check-int-qr-out-of-range", "qr", "HELLO", {"check": 99}),
    ("check-int-qr-negative", "qr", "HELLO", {"check": -1}),
    ("check-int-above-32-bits", "qr", "HELLO", {"check": 4294967300}),
    ("check-int-int32-max", "code39", "ABC", {"check": 2147483647}),
    ("check-int-int32-min", "code39", "ABC", {"check": -2147483648}),
    ("check-int-below-int32", "code39", "ABC", {"check": -2147483649}),
    ("check-true-code39", "code39", "ABC", {"check": True}),
    ("check-true-msi", "msi", "1234", {"check": True}),
    ("check-true-code93", "code93", "ABC", {"check": True}),
    ("check-true-qr", "qr", "HELLO", {"check": True}),
    ("check-true-ean13", "ean13", "590123412345", {"check": True}),
    # Bad options.
    ("option-unknown-qr-levle", "qr", "HELLO", {"levle": "H"}),
    ("option-bad-value-qr-level-x", "qr", "HELLO", {"level": "X"}),
    ("option-bad-value-qr-level-empty", "qr", "HELLO", {"level": ""}),
    ("option-bad-value-dm-shape-round", "datamatrix", "Hello", {"shape": "round"}),
    ("option-lacking-code39-level", "code39", "ABC", {"level": "H"}),
    ("option-lacking-code93-check-digit", "code93", "ABC", {"check_digit": True}),
    ("option-lacking-ean13-check-digit", "ean13", "590123412345", {"check_digit": True}),
    ("option-lacking-qr-shape", "qr", "HELLO", {"shape": "rect"}),
    ("option-lacking-dm-level", "datamatrix", "Hello", {"level": "H"}),
    ("option-flag-string-value", "code39", "ABC", {"check_digit": "maybe"}),
    ("option-choice-boolean", "qr", "HELLO", {"level": True}),
    # Options together.
    ("dm-rect-gs1", "datamatrix", GS1, {"shape": "rect", "gs1": True}),
    ("dm-square-gs1-off", "datamatrix", "Hello", {"shape": "square", "gs1": False}),
    ("qr-level-h-japanese", "qr", "東京タワー", {"level": "H"}),
    ("qr-level-l-long", "qr", "The quick brown fox jumps over the lazy dog " * 4, {"level": "L"}),
    # Text rules: UTF-8 (with ECI for QR Code) for the 2D symbologies.
    ("qr-japanese", "qr", "東京", {}),
    ("qr-accented", "qr", "Crème brûlée à la française", {}),
    ("qr-emoji", "qr", "😀 ok", {}),
    ("qr-euro", "qr", "€5", {}),
    ("qr-newline", "qr", "line 1\nline 2", {}),
    ("dm-japanese", "datamatrix", "東京", {}),
    ("dm-accented", "datamatrix", "Crème brûlée", {}),
    ("dm-emoji", "datamatrix", "😀", {}),
    ("dm-euro", "datamatrix", "€5", {}),
    # Windows-1252 for the linear symbologies.
    ("code128-e-acute", "code128", "café", {}),
    ("code128-euro", "code128", "€5", {}),
    ("code128-u-umlaut-upper", "code128", "ÜBER", {}),
    ("code128-no-cp1252-byte", "code128", "東京", {}),
    ("code128-emoji", "code128", "😀", {}),
    ("code39-e-acute", "code39", "CAFÉ", {}),
    ("code39-no-cp1252-byte", "code39", "Ω", {}),
    ("code39ascii-e-acute", "code39ascii", "café", {}),
    ("code93-e-acute", "code93", "é", {}),
    ("codabar-e-acute", "codabar", "A1é2B", {}),
    ("ean13-euro", "ean13", "€12345678901", {}),
    ("gs1-128-e-acute", "gs1-128", "(10)é", {}),
    ("imb-no-cp1252-byte", "imb", "0123456709498765432１", {}),
    # Bytes as they are.
    ("bytes-qr-utf8", "qr", {"bytes_hex": "c3a9"}, {}),
    ("bytes-qr-latin1", "qr", {"bytes_hex": "e9"}, {}),
    ("bytes-qr-ff", "qr", {"bytes_hex": "ff41"}, {}),
    ("bytes-dm-latin1", "datamatrix", {"bytes_hex": "e9"}, {}),
    ("bytes-dm-utf8", "datamatrix", {"bytes_hex": "c3a9"}, {}),
    ("bytes-code128-latin1", "code128", {"bytes_hex": "636166e9"}, {}),
    ("bytes-code128-utf8", "code128", {"bytes_hex": "636166c3a9"}, {}),
    ("bytes-code128-euro", "code128", {"bytes_hex": "8035"}, {}),
    ("bytes-code128-fnc1", "code128", {"bytes_hex": "b931323334"}, {}),
    ("bytes-code39-ascii", "code39", {"bytes_hex": "414243"}, {}),
    ("bytes-ean13-digits", "ean13", {"bytes_hex": "353930313233343132333435"}, {}),
    ("bytes-code39-check", "code39", {"bytes_hex": "414243"}, {"check_digit": True}),
    # GS1 in both bracket forms.
    ("gs1-128-parentheses", "gs1-128", GS1, {}),
    ("gs1-128-brackets", "gs1-128", GS1_BRACKETS, {}),
    ("gs1-128-sscc", "gs1-128", "(00)106141412345678908", {}),
    ("gs1-128-variable-then-fixed", "gs1-128", "(10)ABC(01)09501101530003", {}),
    ("gs1-128-bad-check-digit", "gs1-128", "(01)09501101530004", {}),
    ("gs1-128-unknown-ai", "gs1-128", "(89)123", {}),
    ("gs1-128-no-ai", "gs1-128", "0109501101530003", {}),
    ("gs1-128-brackets-bad-check", "gs1-128", "[01]09501101530004", {}),
    ("dm-gs1-parentheses", "datamatrix", GS1, {"gs1": True}),
    ("dm-gs1-brackets", "datamatrix", GS1_BRACKETS, {"gs1": True}),
    ("dm-gs1-bad-check-digit", "datamatrix", "(01)09501101530004", {"gs1": True}),
    ("dm-gs1-alias-name", "gs1datamatrix", GS1, {"gs1": True}),
    # Library errors.
    ("ean13-short", "ean13", "12345", {}),
    ("ean13-full-number", "ean13", "5901234123457", {}),
    ("ean13-letters", "ean13", "59012341234A", {}),
    ("ean13-add-on-2", "ean13", "590123412345 12", {}),
    ("ean13-add-on-5", "ean13", "590123412345 12345", {}),
    ("upca-full-number", "upca", "036000291452", {}),
    ("upca-short", "upca", "0360002", {}),
    ("upce-short", "upce", "6543", {}),
    ("upce-eleven", "upce", "65432112345", {}),
    ("ean8-short", "ean8", "123", {}),
    ("ean8-letters", "ean8", "123456A", {}),
    ("postnet-letters", "postnet", "12A45", {}),
    ("postnet-five", "postnet", "12345", {}),
    ("postnet-short", "postnet", "1234", {}),
    ("msi-too-long", "msi", "123456789012345", {}),
    ("msi-letters", "msi", "12A4", {}),
    ("i2of5-letters", "i2of5", "12A4", {}),
    ("i2of5-odd-length-check", "i2of5", "123456", {"check_digit": True}),
    ("codabar-bad-character", "codabar", "A12*34B", {}),
    ("code39-lower-case", "code39", "abc", {}),
    ("code39-full-ascii-lower", "code39ascii", "abc", {}),
    ("code93-lower-case", "code93", "abc", {}),
    ("gtin13-bad-check-digit", "gtin13", "5901234123458", {}),
    ("gtin13-short", "gtin13", "590123412345", {}),
    ("gtin8-bad-check-digit", "gtin8", "96385075", {}),
    ("gtin12-bad-check-digit", "gtin12", "036000291453", {}),
    ("upce8-bad-check-digit", "upce8", "01234566", {}),
    ("upce8-bad-number-system", "upce8", "21234565", {}),
    ("imb-short", "imb", "0123456709", {}),
    ("imb-bad-barcode-id", "imb", "01934567094987654321", {}),
    ("imb-bad-zip-length", "imb", "01234567094987654321-0123", {}),
    ("qr-too-long", "qr", "1" * 7090, {}),
    ("qr-numeric-max", "qr", "1" * 7089, {"level": "L"}),
    ("dm-too-long", "datamatrix", "1" * 3117, {}),
    # Values a command line or a CSV file could mangle.
    ("code39-leading-dash", "code39", "-ABC", {}),
    ("code128-double-dash", "code128", "--", {}),
    ("code128-dash-option-like", "code128", "--level", {}),
    ("code128-backslash", "code128", "a\\b", {}),
    ("code128-backslash-x", "code128", "\\x41", {}),
    ("code128-comma-quote", "code128", 'a,"b"', {}),
    ("code128-semicolon", "code128", "a;b", {}),
    ("code128-spaces", "code128", "  x  ", {}),
    ("code128-tab", "code128", "a\tb", {}),
    ("code128-control", "code128", "a\x01b", {}),
    ("qr-crlf", "qr", "a\r\nb", {}),
    ("qr-quote", "qr", '"quoted", and not', {}),
    # DataBar Expanded's longest texts: about 40 times the value's length,
    # past what a binding's first two buffers held.
    ("databar-expanded-longest", "databar-expanded",
     "(90)123456789012345678901234567890(400)123456789012345678901234567890", {}),
    ("databar-expanded-stacked-longest", "databar-expanded-stacked",
     "(90)123456789012345678901234567890(400)123456789012345678901234567890", {"segments": 20}),
]


def as_json(case_id, symbology, value, options):
    case = {"id": case_id, "symbology": symbology}
    if isinstance(value, dict):
        case.update(value)
    else:
        case["value"] = value
    if options:
        case["options"] = options
    return json.dumps(case, ensure_ascii=False)


def main():
    if len(sys.argv) not in (2, 3):
        print("usage: make_cases.py TAVO [OUT]", file=sys.stderr)
        return 2
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[2] if len(sys.argv) == 3 else os.path.join(here, "cases.jsonl")
    listing = json.loads(subprocess.run([sys.argv[1], "list", "--json"], check=True,
                                        capture_output=True).stdout)
    cases = list(generated_cases(listing["symbologies"])) + HAND_CASES
    ids = [c[0] for c in cases]
    duplicates = sorted({i for i in ids if ids.count(i) > 1})
    if duplicates:
        print("make_cases.py: ids given twice: " + ", ".join(duplicates), file=sys.stderr)
        return 1
    text = "".join(as_json(*c) + "\n" for c in cases)
    fd, tmp = tempfile.mkstemp(dir=os.path.dirname(os.path.abspath(out)))
    with os.fdopen(fd, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    os.replace(tmp, out)
    print(f"make_cases.py: {len(cases)} cases in {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
