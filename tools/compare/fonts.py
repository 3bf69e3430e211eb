"""Compares two builds' bar code fonts table by table (scripts/compare-outputs.sh).

    python3 fonts.py BASE_DIR HEAD_DIR

Every table of every .ttf is compared by its compiled bytes; `head` without
its creation and modification dates and checksum adjustment, and `glyf`
glyph by glyph, so a difference names the glyph.  Prints "identical (N fonts)"
or up to ten differences, exit status 1 on any difference.
"""
import pathlib
import sys

from fontTools.ttLib import TTFont

MAX_REPORTED = 10


def table_bytes(font, tag):
    if tag == "head":
        head = font["head"]
        saved = (head.created, head.modified, head.checkSumAdjustment)
        head.created = head.modified = head.checkSumAdjustment = 0
        data = head.compile(font)
        head.created, head.modified, head.checkSumAdjustment = saved
        return data
    return font.getTableData(tag)


def glyph_differences(base, head):
    base_glyf, head_glyf = base["glyf"], head["glyf"]
    names = sorted(set(base_glyf.keys()) | set(head_glyf.keys()))
    for name in names:
        if name not in base_glyf or name not in head_glyf:
            yield f"glyph {name} only in {'head' if name in head_glyf else 'base'}"
        elif base_glyf[name].compile(base_glyf) != head_glyf[name].compile(head_glyf):
            yield f"glyph {name} differs"


def font_differences(base_path, head_path):
    base, head = TTFont(base_path), TTFont(head_path)
    tags = sorted(set(base.keys()) | set(head.keys()))
    for tag in tags:
        if tag == "GlyphOrder":
            if base.getGlyphOrder() != head.getGlyphOrder():
                yield "glyph order differs"
        elif tag not in base or tag not in head:
            yield f"table {tag} only in {'head' if tag in head else 'base'}"
        elif tag == "glyf":
            yield from glyph_differences(base, head)
        elif table_bytes(base, tag) != table_bytes(head, tag):
            yield f"table {tag} differs"


def main(argv):
    base_dir, head_dir = pathlib.Path(argv[1]), pathlib.Path(argv[2])
    base_names = {p.name for p in base_dir.glob("*.ttf")}
    head_names = {p.name for p in head_dir.glob("*.ttf")}
    differences = [f"{n}: only in base" for n in sorted(base_names - head_names)]
    differences += [f"{n}: only in head" for n in sorted(head_names - base_names)]
    for name in sorted(base_names & head_names):
        for difference in font_differences(base_dir / name, head_dir / name):
            differences.append(f"{name}: {difference}")
            if len(differences) >= MAX_REPORTED:
                break
        if len(differences) >= MAX_REPORTED:
            break
    if not base_names and not head_names:
        print("no fonts in either build")
        return 1
    if differences:
        print("; ".join(differences[:MAX_REPORTED]))
        return 1
    print(f"identical ({len(base_names)} fonts)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
