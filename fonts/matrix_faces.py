"""The module-grid faces (QR Code, Data Matrix, GS1 DataBar) of the TAVO fonts.

Every character of 2D font text draws one block of 2 x 3 modules (see
src/symbologies/matrix/matrix_text.h); `tavo glyphs SYMBOLOGY` gives the dark
modules of each of the 64 block glyphs.  The faces are built so that text
set at single line spacing stacks its lines with no gap and no overlap: the
line height every program takes from the vertical metrics (hhea ascender -
descender + line gap; OS/2 typographic ascender - descender + line gap with
USE_TYPO_METRICS set; OS/2 winAscent + winDescent) is exactly the block
height, and the advance is exactly the block width.

The GS1 DataBar face (src/symbologies/databar/databar.h, docs/databar.md)
is built the same way from blocks of 6 x 1 modules: one line of text per
module row.  The PDF417 face (docs/pdf417.md), for PDF417 and MicroPDF417,
draws the same runs of 6 modules 3 modules high: one line of text per row
of the symbol.
"""

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

import font_tables

# 1200 units to the em, 400 units to the module: a block is 800 wide and
# 1200 high, standing on the baseline, so the line height equals the em and
# at S points a module is S/3 points.
MATRIX = {"units_per_em": 1200, "module": 400, "block_width": 2, "block_height": 3}
# GS1 DataBar: 300 units to the module, a glyph 1800 wide and 300 high, so
# at S points a module is S/4 points (X = 0.33 mm near 3.75 pt).
DATABAR = {"units_per_em": 1200, "module": 300, "block_width": 6, "block_height": 1}
# PDF417 and MicroPDF417: 400 units to the module, a glyph 2400 wide and 1200
# high (a row of the symbol is 3 modules high), so the line height is the em
# and at S points a module is S/3 points, as in the QR Code face.
PDF417 = {"units_per_em": 1200, "module": 400, "block_width": 6, "block_height": 3}

# The face families of the module-grid symbologies, their block geometry,
# and what their fonts print.
FAMILIES = ("QR", "DM", "DATABAR", "PDF417", "AZTEC")
GEOMETRY = {"QR": MATRIX, "DM": MATRIX, "DATABAR": DATABAR, "PDF417": PDF417, "AZTEC": MATRIX}
DESCRIPTIONS = {
    "QR": "QR Code, 64 glyphs of 2 x 3 modules, one line of text per 3 module rows",
    "DM": "Data Matrix ECC 200, 64 glyphs of 2 x 3 modules, one line of text per 3 module rows",
    "DATABAR": "GS1 DataBar, 64 glyphs of runs of 6 modules, one line of text per module row",
    "PDF417": "PDF417 and MicroPDF417, 64 glyphs of runs of 6 modules 3 modules high, one line of text per row",
    "AZTEC": "Aztec Code, 64 glyphs of 2 x 3 modules, one line of text per 3 module rows",
}


def block_outline(modules, geometry):
    """The dark modules ([x, y], y down from the block's top) as
    rectangles, horizontal neighbours merged."""
    m = geometry["module"]
    top = geometry["block_height"] * m
    pen = TTGlyphPen(None)
    dark = {(x, y) for x, y in modules}
    for y in range(geometry["block_height"]):
        x = 0
        while x < geometry["block_width"]:
            if (x, y) not in dark:
                x += 1
                continue
            end = x
            while (end + 1, y) in dark:
                end += 1
            x0, x1 = x * m, (end + 1) * m
            y0, y1 = top - (y + 1) * m, top - y * m
            pen.moveTo((x0, y0))  # clockwise: an outer contour
            pen.lineTo((x0, y1))
            pen.lineTo((x1, y1))
            pen.lineTo((x1, y0))
            pen.closePath()
            x = end + 1
    return pen.glyph()


def build_matrix_font(family, description, glyphs, name_strings, version, geometry=MATRIX):
    """A face of the 64 block glyphs.  `name_strings` is the linear
    generator's and font_tables.finish_font adds the tables every face
    shares, so that both kinds of face carry the same names and tables."""
    m = geometry["module"]
    advance = geometry["block_width"] * m
    height = geometry["block_height"] * m
    # CR and LF map to an empty glyph of no width: a program that draws the
    # line break's characters instead of breaking (some spreadsheets show CR)
    # then draws nothing rather than the .notdef box.
    order = [".notdef", "linebreak"]
    outlines = {".notdef": notdef_glyph(advance, height, m), "linebreak": TTGlyphPen(None).glyph()}
    cmap = {0x0A: "linebreak", 0x0D: "linebreak"}
    for g in glyphs:
        name = "block%02d" % (len(order) - 2)
        order.append(name)
        outlines[name] = block_outline(g["modules"], geometry)
        cmap[g["code"]] = name
    fb = FontBuilder(geometry["units_per_em"], isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(outlines)
    metrics = {}
    for name in order:
        g = fb.font["glyf"][name]
        g.recalcBounds(fb.font["glyf"])
        width = 0 if name == "linebreak" else advance
        metrics[name] = (width, getattr(g, "xMin", 0) if g.numberOfContours else 0)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=height, descent=0, lineGap=0)
    ps_name, names = name_strings(family, description, False, None)
    fb.setupNameTable(names, windows=True, mac=True)
    font_tables.finish_font(fb, cmap, geometry["units_per_em"], version, {
        "ascent": height, "descent": 0, "avg_width": advance, "x_height": height,
        "underline": m // 4, "strikeout": (m // 4, height // 2)})
    return fb.font, ps_name


def notdef_glyph(width, height, module):
    # A hollow box the size of a block.
    t = module // 4
    pen = TTGlyphPen(None)
    pen.moveTo((0, 0))
    pen.lineTo((0, height))
    pen.lineTo((width, height))
    pen.lineTo((width, 0))
    pen.closePath()
    pen.moveTo((t, t))
    pen.lineTo((width - t, t))
    pen.lineTo((width - t, height - t))
    pen.lineTo((t, height - t))
    pen.closePath()
    return pen.glyph()
