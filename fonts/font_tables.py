"""The tables every TAVO face carries alike, linear (generate.py) and
two-dimensional (matrix_faces.py): OS/2, post, head, maxp, the Macintosh
cmap and gasp, set up once here from the few numbers in which faces differ.
"""

import os

from fontTools.misc.timeTools import timestampSinceEpoch
from fontTools.ttLib import newTable
from fontTools.ttLib.tables._c_m_a_p import cmap_format_0


def add_mac_cmap(font, cmap):
    # Macintosh Roman codes of the same characters, for older Mac programs.
    table = cmap_format_0(0)
    table.platformID, table.platEncID, table.language = 1, 0, 0
    table.cmap = {}
    for uv, name in sorted(cmap.items()):
        try:
            code = chr(uv).encode("mac_roman")[0]
        except UnicodeEncodeError:
            continue
        table.cmap.setdefault(code, name)
    font["cmap"].tables.append(table)


def finish_font(fb, cmap, units_per_em, version, face):
    """Adds the shared tables to a FontBuilder whose glyphs, metrics and
    names are set up.  `face` holds the face's own numbers, in font units:
    ascent and descent (the typographic and Windows line), avg_width,
    x_height (also the cap height), strikeout (size, position) and
    underline (its thickness; it lies that far below the baseline)."""
    fb.setupOS2(
        version=4,
        xAvgCharWidth=face["avg_width"],
        fsType=0,  # installable embedding: documents carry the font
        achVendID="TAVO",
        fsSelection=0x40 | 0x80,  # regular; USE_TYPO_METRICS: the typographic metrics hold
        sTypoAscender=face["ascent"],
        sTypoDescender=face["descent"],
        sTypoLineGap=0,
        usWinAscent=face["ascent"],
        usWinDescent=-face["descent"],
        ulCodePageRange1=1,  # Windows-1252, Latin 1
        ulCodePageRange2=0,
        sxHeight=face["x_height"],
        sCapHeight=face["x_height"],
        usDefaultChar=0,
        usBreakChar=0x20,
        yStrikeoutSize=face["strikeout"][0],
        yStrikeoutPosition=face["strikeout"][1],
        usFirstCharIndex=min(cmap),
        usLastCharIndex=min(max(cmap), 0xFFFF),
    )
    fb.font["OS/2"].recalcUnicodeRanges(fb.font)
    fb.setupPost(keepGlyphNames=True, underlinePosition=-face["underline"],
                 underlineThickness=face["underline"])
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "1735689600"))  # fixed: the same fonts on every build
    fb.setupHead(unitsPerEm=units_per_em, fontRevision=float(version), lowestRecPPEM=8, flags=0x0009,
                 created=timestampSinceEpoch(epoch), modified=timestampSinceEpoch(epoch))
    fb.setupMaxp()
    add_mac_cmap(fb.font, cmap)
    gasp = newTable("gasp")
    gasp.version = 1
    gasp.gaspRange = {0xFFFF: 0x000A}  # smoothing at every size, no grid-fitting
    fb.font["gasp"] = gasp
