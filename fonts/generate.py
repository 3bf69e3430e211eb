#!/usr/bin/python3
"""Generates the TAVO bar code fonts (TrueType) from the symbol model.

The model is the single source of what each code point draws: `tavo glyphs`
prints every glyph's advance, bars and captions in modules, and this script
only scales them to font units, adds the caption text (outlines of DejaVu
Sans Mono) and writes the tables Windows, LibreOffice and FreeType need.
The family names come from the library itself (`tavo face`), so they are
exactly the names BC_FontGetFaceName gives with the prefix "TAVO ".

usage: generate.py --tavo PATH/TO/tavo --out DIR [--dejavu DejaVuSansMono.ttf]

Writes DIR/*.ttf (one font per face that `tavo list` counts) and
DIR/fonts.manifest, one line per font with
the design numbers the tests check the outlines against.

Runs with Debian's /usr/bin/python3 and python3-fonttools.
"""

import argparse
import json
import os
import subprocess
import sys

from fontTools.agl import UV2AGL
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.recordingPen import DecomposingRecordingPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

import font_tables
import matrix_faces

PREFIX = "TAVO "
VERSION = "1.000"
UNITS_PER_EM = 1000

# Font design, in font units (1000 to the em).  Linear symbols: one module
# (the narrow bar) is 50 units, so at 12 pt a module is 0.6 pt (0.21 mm);
# wide elements are 3 modules.  Bar heights L, M and H are 16, 24 and 36
# modules.  Caption faces put the text (DejaVu Sans Mono at 400 units to the
# em: digits about 290 units high) on the baseline and the bars above it,
# from 350 units up.
LINEAR = {
    "module": 50,
    "ratio": 3,
    "heights": {"L": 16, "M": 24, "H": 36},
    "caption_em": 400,
    "caption_band": 350,
}
# UPC/EAN/JAN: one face.  Digits (at 520 units to the em, about 380 high)
# on the baseline under the bars and beside them; ordinary bars 50 modules
# high from 450 units up; guard bars and the bars of digits printed outside
# reach 5 modules further down.
UPC_EAN = {"module": 50, "bar_bottom": 450, "bar_modules": 50, "guard_modules": 5, "caption_em": 520}
# PostNet: bars and spaces of 100 units; tall bars 550, short bars 220 units
# high, both standing on the baseline.  At 16 pt the bars are 0.022 in wide
# on a pitch of 0.044 in, 0.122 and 0.049 in high, as the Postal Service asks.
POSTNET = {"module": 100, "tall": 550, "short": 220}
# Intelligent Mail: bars 92 units wide on a pitch of 207 (the model's 1 and
# 2.25 modules); full bars 667 units from the baseline, the tracker from 230
# to 437, ascenders from 230 up, descenders up to 437 (the model's
# kImbTrackerBottom and kImbTrackerTop).  At 16 pt, 1 unit is 1/4500 inch:
# bars 0.0204 in wide, 21.7 bars per inch, full bars 0.148 in, ascenders and
# descenders 0.097 in, trackers 0.046 in, the 65 bars 2.96 in long, each
# within the Postal Service's ranges (which hold from 15 to 17.3 pt).
IMB = {"module": 92, "full": 667, "tracker_bottom": 230, "tracker_top": 437}
# ITF-14: the LINEAR module and caption, wide elements 2.5 modules (GS1's
# target ratio), bars 32, 40 and 48 modules high between bearer bars 5
# modules thick (the thickness comes with each glyph from the model).  Each
# glyph draws both bearer strokes over its whole advance, so they join into
# one from glyph to glyph; its bars reach through the strokes, so the
# vertical bearers of the frame glyphs close the box and every bar is one
# rectangle from the bottom of the frame to its top.
ITF14 = {"ratio": 2.5, "heights": {"L": 32, "M": 40, "H": 48}}

# The symbologies come from the library's registry (`tavo list`): each face
# family is built once, through the first code that has faces of its own.
# Families with six faces come in L, M and H, each plain and with caption,
# and use the LINEAR design; a family with one face has a design of its own,
# below, by family name.
HEIGHT_NAMES = ["L", "M", "H"]

OFL_NOTICE = (
    "This Font Software is licensed under the SIL Open Font License, Version 1.1. "
    "This license is available with a FAQ at: https://openfontlicense.org"
)
COPYRIGHT = "Copyright (c) TAVO32 developers. Bar glyphs generated from the TAVO32 symbol model."
MANUFACTURER = "TAVO32 developers"


def run(tavo, *args):
    return subprocess.run([tavo, *args], check=True, capture_output=True).stdout.decode("ascii")


def font_families(tavo):
    """(family, code, faces) of every font, from `tavo list`: the families
    with six faces first, then those with one, each in code order."""
    families = {}
    for line in run(tavo, "list").splitlines():
        code, _name, family, faces = line.split("\t")
        if int(faces) > 0 and family not in families:
            families[family] = (int(code), int(faces))
    fonts = sorted(((f, c, n) for f, (c, n) in families.items()), key=lambda t: (t[2] != 6, t[1]))
    return fonts


def face_name(tavo, symbology, height, caption):
    args = ["face", str(symbology), "--height", HEIGHT_NAMES[height], "--prefix", PREFIX]
    if caption:
        args.append("--caption")
    return run(tavo, *args).rstrip("\n")


def model_glyphs(tavo, symbology, caption, ratio):
    args = ["glyphs", str(symbology), "--ratio", str(ratio)]
    if caption:
        args.append("--caption")
    return json.loads(run(tavo, *args))["glyphs"]


def unicode_points(code):
    """The characters that reach font code `code`: the byte itself as
    Unicode, and for 0x80..0x9F first the Windows-1252 character the byte
    is in Windows text (0x82 is U+201A); the five bytes Windows-1252 leaves
    undefined keep their own code."""
    if 0x80 <= code <= 0x9F:
        try:
            cp1252 = ord(bytes([code]).decode("cp1252"))
            return [cp1252, code]
        except UnicodeDecodeError:
            pass
    return [code]


def glyph_name(code):
    uv = unicode_points(code)[0]
    return UV2AGL.get(uv, "uni%04X" % uv)


class CaptionText:
    """Caption text drawn with the outlines of DejaVu Sans Mono."""

    def __init__(self, path):
        self.font = TTFont(path)
        self.glyphs = self.font.getGlyphSet()
        self.cmap = self.font.getBestCmap()
        self.upem = self.font["head"].unitsPerEm
        self.licence = self.font["name"].getDebugName(13)
        self.copyright = self.font["name"].getDebugName(0)

    def draw(self, pen, text, centre, baseline, em):
        scale = em / self.upem
        names = [self.cmap.get(ord(c)) for c in text]
        width = sum(self.glyphs[n].width for n in names if n) * scale
        x = centre - width / 2
        for n in names:
            if not n:
                continue
            recording = DecomposingRecordingPen(self.glyphs)
            self.glyphs[n].draw(recording)
            recording.replay(TransformPen(pen, (scale, 0, 0, scale, x, baseline)))
            x += self.glyphs[n].width * scale


def rectangle(pen, x0, y0, x1, y1):
    # Clockwise, as TrueType wants outer contours.
    pen.moveTo((x0, y0))
    pen.lineTo((x0, y1))
    pen.lineTo((x1, y1))
    pen.lineTo((x1, y0))
    pen.closePath()


class Design:
    """Where one face puts bars and captions, in font units."""

    def __init__(self, module, bar_bottom, bar_top, guard_bottom=None, half_top=None, caption_em=0,
                 tracker=None, bearers=False):
        self.module = module
        self.bar_bottom = bar_bottom
        self.bar_top = bar_top
        self.guard_bottom = bar_bottom if guard_bottom is None else guard_bottom
        self.half_top = bar_top if half_top is None else half_top
        self.caption_em = caption_em
        self.tracker = tracker  # (bottom, top) of an Intelligent Mail tracker
        self.bearers = bearers  # ITF-14: bars span the frame, bearer strokes at its bottom and top

    def bar_span(self, height):
        if height == "guard":
            return self.guard_bottom, self.bar_top
        if height == "half":
            return self.bar_bottom, self.half_top
        if height == "tracker":
            return self.tracker
        if height == "ascender":
            return self.tracker[0], self.bar_top
        if height == "descender":
            return self.bar_bottom, self.tracker[1]
        return self.bar_bottom, self.bar_top


def draw_glyph(g, design, text):
    pen = TTGlyphPen(None)
    m = design.module
    for bar in g["bars"]:
        y0, y1 = design.bar_span(bar["height"])
        rectangle(pen, round(bar["x"] * m), y0, round((bar["x"] + bar["width"]) * m), y1)
    if design.bearers and g.get("bearer"):
        thickness, advance = round(g["bearer"] * m), round(g["advance"] * m)
        rectangle(pen, 0, design.bar_bottom, advance, design.bar_bottom + thickness)
        rectangle(pen, 0, design.bar_top - thickness, advance, design.bar_top)
    for caption in g["captions"]:
        if caption["text"].strip():
            text.draw(pen, caption["text"], caption["x"] * m, 0, design.caption_em)
    return pen.glyph(), round(g["advance"] * m)


def notdef_glyph(design):
    # A hollow box: a character the font has no glyph for shows as one.
    pen = TTGlyphPen(None)
    w, h, t = 10 * design.module, design.bar_top - design.bar_bottom, design.module
    rectangle(pen, 0, design.bar_bottom, w, design.bar_bottom + h)
    # Inner contour counter-clockwise: a hole.
    pen.moveTo((t, design.bar_bottom + t))
    pen.lineTo((w - t, design.bar_bottom + t))
    pen.lineTo((w - t, design.bar_bottom + h - t))
    pen.lineTo((t, design.bar_bottom + h - t))
    pen.closePath()
    return pen.glyph(), w + 2 * design.module


def name_strings(family, description, with_dejavu, text):
    ps_name = (PREFIX.strip() + "-" + family[len(PREFIX):]).replace(" ", "")
    copyright = COPYRIGHT
    licence = OFL_NOTICE
    if with_dejavu:
        copyright += " Caption glyphs from DejaVu Sans Mono: " + text.copyright.replace("\n", " ")
        licence += (" The caption glyphs are outlines of DejaVu Sans Mono and remain under its licence:\n\n"
                    + text.licence)
    return ps_name, {
        "copyright": copyright,
        "familyName": family,
        "styleName": "Regular",
        "uniqueFontIdentifier": "%s;%s" % (family, VERSION),
        "fullName": family,
        "version": "Version " + VERSION,
        "psName": ps_name,
        "manufacturer": MANUFACTURER,
        "description": description,
        "licenseDescription": licence,
        "licenseInfoURL": "https://openfontlicense.org",
    }


def build_font(family, description, glyphs, design, text, with_dejavu):
    order = [".notdef", "space"]
    outlines = {}
    advances = {}
    outlines[".notdef"], advances[".notdef"] = notdef_glyph(design)
    outlines["space"], advances["space"] = TTGlyphPen(None).glyph(), 10 * design.module
    cmap = {0x20: "space"}
    for g in glyphs:
        name = glyph_name(g["code"])
        order.append(name)
        outlines[name], advances[name] = draw_glyph(g, design, text)
        for uv in unicode_points(g["code"]):
            cmap[uv] = name

    fb = FontBuilder(UNITS_PER_EM, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(outlines)
    glyf = fb.font["glyf"]
    metrics = {}
    y_min, y_max = 0, 0
    for name in order:
        g = glyf[name]
        g.recalcBounds(glyf)
        lsb = getattr(g, "xMin", 0) if g.numberOfContours else 0
        metrics[name] = (advances[name], lsb)
        if g.numberOfContours:
            y_min, y_max = min(y_min, g.yMin), max(y_max, g.yMax)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=y_max, descent=y_min, lineGap=0)
    ps_name, names = name_strings(family, description, with_dejavu, text)
    fb.setupNameTable(names, windows=True, mac=True)
    widths = [a for a, _ in metrics.values() if a]
    font_tables.finish_font(fb, cmap, UNITS_PER_EM, VERSION, {
        "ascent": y_max, "descent": y_min, "avg_width": round(sum(widths) / len(widths)),
        "x_height": design.bar_top, "underline": design.module,
        "strikeout": (design.module, (design.bar_bottom + design.bar_top) // 2)})
    return fb.font, ps_name


DESCRIPTIONS = {
    "39": "Code 39, one glyph per ASCII character (Full ASCII pairs), ` and ~ start/stop, * for Code 39 Full ASCII",
    "I2of5": "Interleaved 2 of 5, one glyph per digit pair",
    "CODABAR": "Codabar",
    "MSI": "MSI",
    "93": "Code 93 (full ASCII)",
    "128": "Code 128",
    "UPC EAN JAN": "UPC-A, UPC-E, EAN/JAN-8 and EAN/JAN-13 with add-ons",
    "POSTNET": "PostNet",
    "IMB": "Intelligent Mail (USPS 4-state): A ascender, D descender, F full bar, T tracker; set at 16 pt",
    "QR": matrix_faces.DESCRIPTIONS["QR"],
    "DM": matrix_faces.DESCRIPTIONS["DM"],
    "ITF14": "ITF-14 (the GTIN-14 in Interleaved 2 of 5, wide:narrow 2.5) with its bearer bars drawn by every glyph",
    "DATABAR": matrix_faces.DESCRIPTIONS["DATABAR"],
    "PDF417": matrix_faces.DESCRIPTIONS["PDF417"],
    "AZTEC": matrix_faces.DESCRIPTIONS["AZTEC"],
}


def single_face_design(family):
    """The design of a font with one face, by family."""
    if family == "UPC EAN JAN":
        m = UPC_EAN["module"]
        return Design(m, UPC_EAN["bar_bottom"], UPC_EAN["bar_bottom"] + UPC_EAN["bar_modules"] * m,
                      guard_bottom=UPC_EAN["bar_bottom"] - UPC_EAN["guard_modules"] * m,
                      caption_em=UPC_EAN["caption_em"]), True
    if family == "POSTNET":
        return Design(POSTNET["module"], 0, POSTNET["tall"], half_top=POSTNET["short"]), False
    if family == "IMB":
        # half_top: the top of a descender, for the manifest and the tests.
        return Design(IMB["module"], 0, IMB["full"], half_top=IMB["tracker_top"],
                      tracker=(IMB["tracker_bottom"], IMB["tracker_top"])), False
    raise SystemExit("generate.py: no design for the face family %r" % family)


def itf14_faces(tavo, symbology):
    """The six ITF-14 faces: the bars between the bearers are as high as
    ITF14 says, and the frame (bars and bearers) stands where the LINEAR
    bars would."""
    for caption in (False, True):
        glyphs = model_glyphs(tavo, symbology, caption, ITF14["ratio"])
        bearer = max(g.get("bearer", 0) for g in glyphs)
        for height, letter in enumerate(HEIGHT_NAMES):
            bottom = LINEAR["caption_band"] if caption else 0
            top = bottom + round((ITF14["heights"][letter] + 2 * bearer) * LINEAR["module"])
            design = Design(LINEAR["module"], bottom, top, caption_em=LINEAR["caption_em"], bearers=True)
            yield face_name(tavo, symbology, height, caption), symbology, letter, caption, design, glyphs


def faces(tavo, text):
    """Every face: (family, symbology, height letter, caption, design, glyphs);
    the two-dimensional faces have no design (matrix_faces.py draws them)."""
    for family, symbology, count in font_families(tavo):
        if family in matrix_faces.FAMILIES:
            yield face_name(tavo, symbology, 0, False), symbology, "-", False, None, model_glyphs(
                tavo, symbology, False, LINEAR["ratio"])
        elif count == 6 and family == "ITF14":
            yield from itf14_faces(tavo, symbology)
        elif count == 6:
            for caption in (False, True):
                glyphs = model_glyphs(tavo, symbology, caption, LINEAR["ratio"])
                for height, letter in enumerate(HEIGHT_NAMES):
                    bottom = LINEAR["caption_band"] if caption else 0
                    top = bottom + LINEAR["heights"][letter] * LINEAR["module"]
                    design = Design(LINEAR["module"], bottom, top, caption_em=LINEAR["caption_em"])
                    yield face_name(tavo, symbology, height, caption), symbology, letter, caption, design, glyphs
        else:
            design, caption = single_face_design(family)
            yield face_name(tavo, symbology, 0, False), symbology, "-", caption, design, model_glyphs(
                tavo, symbology, False, LINEAR["ratio"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--tavo", required=True, help="the tavo tool")
    parser.add_argument("--out", required=True, help="directory for the fonts")
    parser.add_argument("--dejavu", default="/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
                        help="DejaVu Sans Mono, for the caption text")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    text = CaptionText(args.dejavu)
    manifest = []
    family_of = {code: family for family, code, _ in font_families(args.tavo)}
    for family, symbology, letter, caption, design, glyphs in faces(args.tavo, text):
        with_dejavu = any(c["text"].strip() for g in glyphs for c in g["captions"])
        description = "%s bar code font, %s. Generated from the TAVO32 symbol model." % (
            family, DESCRIPTIONS[family_of[symbology]])
        if design is None:
            geometry = matrix_faces.GEOMETRY[family_of[symbology]]
            font, ps_name = matrix_faces.build_matrix_font(family, description, glyphs, name_strings,
                                                           VERSION, geometry)
            # A block is the "bar": module, bottom 0, top the line height.
            height = geometry["block_height"] * geometry["module"]
            numbers = (geometry["module"], 0, height, 0, height)
        else:
            font, ps_name = build_font(family, description, glyphs, design, text, with_dejavu)
            numbers = (design.module, design.bar_bottom, design.bar_top, design.guard_bottom, design.half_top)
        file = ps_name + ".ttf"
        font.save(os.path.join(args.out, file))
        manifest.append("|".join(str(v) for v in (file, family, symbology, letter, int(caption)) + numbers
                                 + (len(glyphs),)))
    with open(os.path.join(args.out, "fonts.manifest"), "w", encoding="ascii") as f:
        f.write("# file|family|symbology|height|caption|module|bar_bottom|bar_top|guard_bottom|half_top|glyphs\n")
        f.write("\n".join(manifest) + "\n")
    print("%d fonts in %s" % (len(manifest), args.out))


if __name__ == "__main__":
    sys.exit(main())
