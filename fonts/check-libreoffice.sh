#!/usr/bin/env bash
# One check through a real office program: the TAVO fonts installed for a
# user, a LibreOffice Writer document whose paragraphs hold the library's
# translations as Windows-1252 text (what a Windows application passes on)
# set in the fonts the library names, converted to PDF by LibreOffice
# headless, rasterised by pdftoppm and read by zbarimg.  Each symbol must
# read as what its value asks for (written out below from the symbologies'
# rules), and the PDF must embed the TAVO fonts, not substitutes.  QR Code
# and Data Matrix symbols are several lines in one paragraph at single
# spacing, in three font sizes: they read only if the lines stack with no gap
# and no overlap.  Data Matrix is read by dmtxread (libdmtx).
#
# Then a mail merge's data path: an address list (name, ZIP, EAN-13 value,
# Intelligent Mail tracking and routing digits) gets its font-string columns
# from `tavo batch`, LibreOffice Calc imports the CSV (UTF-8, comma separated,
# through its own CSV filter), the two font-string columns are set in the
# TAVO faces the library names, and the sheet goes to PDF.  Every EAN-13
# must read back as its row's value.  Intelligent Mail, which zbar does not
# read, is measured from the rendered page instead: each of its 65 bars
# classed as full, ascender, descender or tracker by where its ink starts and
# ends, and compared with the bars zint encodes for the row's value
# (`zint -b 85 --dump`); the PDF must embed the TAVO IMB face too.  This
# is a spreadsheet import, not a Writer mail merge: the Python-UNO bridge is
# not installed here and a Writer merge needs a registered data source, so
# the script does what a merge does to the data (import the CSV, set the
# column in the font) without the merge dialog.
#
# usage: fonts/check-libreoffice.sh [BUILD_DIR]   (default: build; needs
#        BUILD_DIR/bin/tavo and BUILD_DIR/fonts/truetype from the build)
# Needs: libreoffice-writer-nogui and libreoffice-calc-nogui (or the GUI
#        ones), poppler-utils, zbar-tools, dmtx-utils, zint, fontconfig.  KEEP=1 keeps the work directory.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
tavo=$build/bin/tavo
fonts=$build/fonts/truetype
for tool in soffice pdftoppm pdffonts zbarimg dmtxread zint fc-cache; do
  command -v "$tool" >/dev/null || { echo "check-libreoffice: $tool not found" >&2; exit 2; }
done
[ -x "$tavo" ] && [ -f "$fonts/fonts.manifest" ] || { echo "check-libreoffice: build $build first" >&2; exit 2; }

work=$(mktemp -d /tmp/tavo-libreoffice-XXXXXX)
if [ -z "${KEEP:-}" ]; then trap 'rm -rf "$work"' EXIT; else echo "work directory: $work"; fi
# A home of its own: the LibreOffice profile and the user's font directory.
export HOME=$work/home
mkdir -p "$HOME/.local/share/fonts"
cp "$fonts"/*.ttf "$HOME/.local/share/fonts/"
fc-cache -f "$HOME/.local/share/fonts" >/dev/null

# symbology|value|check|height|caption|what zbar reads (TYPE:data, ";" between symbols, sorted)
# For QR Code and Data Matrix (several lines of text) the height column is the
# font size in points: a module is a third of it.  For Data Matrix the check
# column is the library's check value: 0 squares only, 1 rectangles too.
cat > "$work/samples.txt" <<'EOF'
code39ascii|CODE-39|0|M|0|CODE-39:CODE-39
code39|Code 39|1|L|1|CODE-39:C+O+D+E 39L
code39|Tab	end|0|H|0|CODE-39:T+A+B$I+E+N+D
i2of5|1234567|1|M|1|I2/5:12345670
codabar|a12345b|1|H|1|Codabar:A123450B
code93|Tavo 93|0|M|1|CODE-93:Tavo 93
code128|Code 128|0|L|1|CODE-128:Code 128
code128|HELLO	world 123456|0|H|0|CODE-128:HELLO	world 123456
upca|01234567890|0|M|0|UPC-A:012345678905
upce|123456|0|M|0|UPC-E:01234565
ean8|9638507|0|M|0|EAN-8:96385074
ean13|590123412345|0|M|0|EAN-13:5901234123457
ean13|97801234567852495|0|M|0|EAN-13:9780123456786;EAN-5:52495
qr|https://example.com/tavo|0|6|0|QR-Code:https://example.com/tavo
qr|Zürich|4|9|0|QR-Code:Zürich
qr|0123456789012345678901234567890123456789 TAVO QR CODE IN LIBREOFFICE|1|4.5|0|QR-Code:0123456789012345678901234567890123456789 TAVO QR CODE IN LIBREOFFICE
datamatrix|TAVO32 Data Matrix 2026|0|9|0|DataMatrix:TAVO32 Data Matrix 2026
datamatrix|12345678901234567890|1|6|0|DataMatrix:12345678901234567890
datamatrix|Zürich|0|6|0|DataMatrix:Zürich
datamatrix|https://example.com/tavo/0123456789/ABCDEFGHIJKLMNOPQRSTUVWXYZ|0|4.5|0|DataMatrix:https://example.com/tavo/0123456789/ABCDEFGHIJKLMNOPQRSTUVWXYZ
EOF

# The document: one sample to a page, a label in DejaVu Sans above it.
TAVO=$tavo WORK=$work PYTHONPATH=$here /usr/bin/python3 - <<'EOF'
import os, subprocess
from xml.sax.saxutils import escape

from windows1252 import text_of

tavo, work = os.environ["TAVO"], os.environ["WORK"]
heights = {"L": 0, "M": 1, "H": 2}

faces, pages = [], []
for line in open(os.path.join(work, "samples.txt"), encoding="utf-8"):
    sym, value, check, height, caption = line.rstrip("\n").split("|")[:5]
    if sym in ("qr", "datamatrix"):
        # Several lines at single spacing, in the size the height column gives.
        if sym == "qr":
            option = ["--level", "LMQH"[int(check) - 1]] if check != "0" else []
        else:
            option = ["--check-value", check]
        font = subprocess.run([tavo, "translate", sym, value, "--raw"] + option,
                              check=True, capture_output=True).stdout
        face = "TAVO QR" if sym == "qr" else "TAVO DM"
        if (face, height) not in faces:
            faces.append((face, height))
        pages.append(((face, height), "%s %r in %s %s pt" % (sym, value, face, height),
                      font.decode("ascii").split("\r\n")))
        continue
    font = subprocess.run([tavo, "translate", sym, value, "--raw"] + (["--check"] if check == "1" else []),
                          check=True, capture_output=True).stdout
    face_sym = "code39" if sym == "code39ascii" else sym
    face = subprocess.run([tavo, "face", face_sym, "--height", height, "--prefix", "TAVO "]
                          + (["--caption"] if caption == "1" else []),
                          check=True, capture_output=True, text=True).stdout.strip()
    if (face, "20") not in faces:
        faces.append((face, "20"))
    pages.append(((face, "20"), "%s %r in %s" % (sym, value, face), [text_of(font)]))

ns = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
      'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"')
decls = ['<style:font-face style:name="DejaVu Sans" svg:font-family="\'DejaVu Sans\'"/>']
styles = ['<style:style style:name="Label" style:family="paragraph"><style:paragraph-properties '
          'fo:break-before="page" fo:margin-bottom="0.5cm"/><style:text-properties style:font-name="DejaVu Sans" '
          'fo:font-size="10pt"/></style:style>']
declared = set()
for i, (face, size) in enumerate(faces):
    if face not in declared:
        declared.add(face)
        decls.append('<style:font-face style:name="%s" svg:font-family="\'%s\'"/>' % (face, face))
    # Single line spacing, as the font's own line height gives it.
    styles.append('<style:style style:name="B%d" style:family="paragraph"><style:paragraph-properties '
                  'fo:line-height="100%%"/><style:text-properties style:font-name="%s" fo:font-size="%spt"/>'
                  '</style:style>' % (i, face, size))
body = []
for face, label, lines in pages:
    body.append('<text:p text:style-name="Label">%s</text:p>' % escape(label))
    body.append('<text:p text:style-name="B%d">%s</text:p>' % (faces.index(face),
                                                              "<text:line-break/>".join(escape(t) for t in lines)))
with open(os.path.join(work, "check.fodt"), "w", encoding="utf-8") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n<office:document %s office:version="1.2" '
            'office:mimetype="application/vnd.oasis.opendocument.text">\n' % ns)
    f.write("<office:font-face-decls>%s</office:font-face-decls>\n" % "".join(decls))
    f.write("<office:automatic-styles>%s</office:automatic-styles>\n" % "".join(styles))
    f.write("<office:body><office:text>\n%s\n</office:text></office:body></office:document>\n" % "\n".join(body))
EOF

soffice --headless --norestore --convert-to pdf --outdir "$work" "$work/check.fodt" >"$work/soffice.log" 2>&1 ||
  { cat "$work/soffice.log" >&2; exit 1; }
[ -f "$work/check.pdf" ] || { echo "check-libreoffice: no PDF" >&2; cat "$work/soffice.log" >&2; exit 1; }

# Every TAVO face the document names is embedded under its own PostScript
# name (TAVO-39L and so on), so no substitute font drew the bars.
pdffonts "$work/check.pdf" >"$work/fonts.txt"
missing=0
while IFS='|' read -r sym value check height caption want; do
  [ "$sym" = code39ascii ] && fsym=code39 || fsym=$sym
  case $sym in qr | datamatrix) height=M ;; esac  # there the height column is a font size
  face=$("$tavo" face "$fsym" --height "$height" --prefix "TAVO " $([ "$caption" = 1 ] && echo --caption))
  ps="TAVO-${face#TAVO }"; ps=${ps// /}
  grep -q "+$ps " "$work/fonts.txt" || { echo "not embedded: $face ($ps)"; missing=$((missing + 1)); }
done < "$work/samples.txt"

pdftoppm -r 300 -gray -png "$work/check.pdf" "$work/page"
pages=("$work"/page-*.png)
read_page() {
  zbarimg -q --nodbus -Sean2.enable -Sean5.enable -Supca.enable -Supce.enable -Si25.enable \
    -Scodabar.enable -Scode93.enable "$1" 2>/dev/null | LC_ALL=C sort | paste -sd ';' || true
}
# dmtxread prints each symbol's data as it is; one symbol to a page.
read_dm_page() {
  printf 'DataMatrix:%s' "$(dmtxread -N1 -m 60000 -S 2 "$1" 2>/dev/null || true)"
}
ok=0 bad=0 n=0
while IFS='|' read -r sym value check height caption want; do
  page=${pages[$n]}
  n=$((n + 1))
  got_note=""
  reader=read_page
  [ "$sym" = datamatrix ] && reader=read_dm_page
  got=$($reader "$page")
  # zbar's QR Code finder misses a symbol on some whole pages at one
  # resolution and finds it at another; a symbol must read at one of three.
  for dpi in 200 400; do
    [ "$got" = "$want" ] && break
    pdftoppm -r "$dpi" -gray -png -f "$n" -l "$n" "$work/check.pdf" "$work/again-$dpi"
    got=$($reader "$(ls "$work"/again-"$dpi"-*"$n".png | head -1)")
    [ "$got" = "$want" ] && got_note=" (at $dpi dpi)"
  done
  if [ "$got" = "$want" ]; then
    ok=$((ok + 1))
    printf 'ok    %-11s %-22s %s%s\n' "$sym" "$(printf '%q' "$value")" "$(printf '%q' "$got")" "$got_note"
  else
    bad=$((bad + 1))
    printf 'WRONG %-11s %-22s read %s, wanted %s\n' "$sym" "$(printf '%q' "$value")" "$(printf '%q' "$got")" \
      "$(printf '%q' "$want")"
  fi
done < "$work/samples.txt"

# The mail merge's data: an address list, its font strings added by tavo
# batch (EAN-13, then Intelligent Mail), imported by LibreOffice Calc.  The
# EAN-13 check digit is the library's; the last column here is the full
# value a reader must give.
cat > "$work/addresses.csv" <<'EOF'
name,zip,ean13,imb
Ann Example,55431,400638133393,00270123456200800001554311308
"Bob Müller, Jr.",20500,501234567890,01234567094987654321
Chloé Martin,90210,871234567890,0123456709498765432190210
Dan O'Neil,10001,978014300723,00040123456789012345
EOF
want_ean=$(printf 'EAN-13:%s\n' 4006381333931 5012345678900 8712345678906 9780143007234 | LC_ALL=C sort | paste -sd ';')
"$tavo" batch ean13 --column ean13 -i "$work/addresses.csv" -o "$work/merge-ean.csv" 2>"$work/batch.log"
"$tavo" batch imb --column imb -i "$work/merge-ean.csv" -o "$work/merge.csv" 2>>"$work/batch.log"
ean_face=$("$tavo" face ean13 --height M --prefix "TAVO ")
imb_face=$("$tavo" face imb --height M --prefix "TAVO ")
# Calc's CSV filter: comma (44), double quote (34), UTF-8 (76), from row 1,
# the six columns as text (column/2), so that ZIPs and tracking digits stay
# digits, not numbers.
(cd "$work" && soffice --headless --norestore --infilter=CSV:44,34,76,1,1/2/2/2/3/2/4/2/5/2/6/2 --convert-to fods merge.csv) \
  >"$work/soffice-merge.log" 2>&1 || { cat "$work/soffice-merge.log" >&2; exit 1; }
[ -f "$work/merge.fods" ] || { echo "check-libreoffice: CSV import made no sheet" >&2; cat "$work/soffice-merge.log" >&2; exit 1; }
# Set the font-string columns in their faces, as a merge field would be:
# a cell style per face, wide columns, rows tall enough for the bars.
WORK=$work EAN_FACE=$ean_face IMB_FACE=$imb_face /usr/bin/python3 - <<'EOF'
import os
import xml.etree.ElementTree as ET

work = os.environ["WORK"]
path = os.path.join(work, "merge.fods")
for _, (prefix, uri) in ET.iterparse(path, events=["start-ns"]):
    ET.register_namespace(prefix, uri)
tree = ET.parse(path)
root = tree.getroot()
N = {"office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
     "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
     "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
     "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
     "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
     "svg": "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"}
q = lambda name: "{%s}%s" % (N[name.split(":")[0]], name.split(":")[1])
faces = {"ean13 font": (os.environ["EAN_FACE"], "20pt", "6cm"),
         "imb font": (os.environ["IMB_FACE"], "16pt", "14cm")}

decls = root.find(q("office:font-face-decls"))
if decls is None:
    decls = ET.Element(q("office:font-face-decls"))
    root.insert(0, decls)
auto = root.find(q("office:automatic-styles"))
for i, (face, size, width) in enumerate(faces.values()):
    ET.SubElement(decls, q("style:font-face"), {q("style:name"): face, q("svg:font-family"): "'%s'" % face})
    st = ET.SubElement(auto, q("style:style"), {q("style:name"): "tavo%d" % i, q("style:family"): "table-cell"})
    ET.SubElement(st, q("style:text-properties"), {q("style:font-name"): face, q("fo:font-size"): size})
    st = ET.SubElement(auto, q("style:style"), {q("style:name"): "tavocol%d" % i, q("style:family"): "table-column"})
    ET.SubElement(st, q("style:table-column-properties"), {q("style:column-width"): width})
st = ET.SubElement(auto, q("style:style"), {q("style:name"): "tavorow", q("style:family"): "table-row"})
ET.SubElement(st, q("style:table-row-properties"), {q("style:row-height"): "2.5cm",
                                                     q("style:use-optimal-row-height"): "false"})

table = root.find(".//" + q("table:table"))
rows = table.findall(".//" + q("table:table-row"))
def cells(row):
    out = []
    for c in row:
        if c.tag in (q("table:table-cell"), q("table:covered-table-cell")):
            out.extend([c] * int(c.get(q("table:number-columns-repeated"), "1")))
    return out
header = ["".join(c.itertext()).strip() for c in cells(rows[0])]
index = {name: header.index(name) for name in faces}
# One column element per column, the font-string ones wide.
parent = None
for col in table.iter(q("table:table-column")):
    parent = col
for el in list(table):
    if el.tag == q("table:table-column"):
        table.remove(el)
for group in table.findall(q("table:table-columns")):
    table.remove(group)
for i in reversed(range(len(header))):
    attrs = {}
    for j, name in enumerate(faces):
        if index[name] == i:
            attrs[q("table:style-name")] = "tavocol%d" % j
    table.insert(0, ET.Element(q("table:table-column"), attrs))
for row in rows[1:]:
    if not "".join(row.itertext()).strip():
        continue
    row.set(q("table:style-name"), "tavorow")
    cs = cells(row)
    for j, name in enumerate(faces):
        cs[index[name]].set(q("table:style-name"), "tavo%d" % j)
tree.write(os.path.join(work, "merged.fods"), encoding="UTF-8", xml_declaration=True)
EOF
soffice --headless --norestore --convert-to pdf --outdir "$work" "$work/merged.fods" >>"$work/soffice-merge.log" 2>&1 ||
  { cat "$work/soffice-merge.log" >&2; exit 1; }
[ -f "$work/merged.pdf" ] || { echo "check-libreoffice: no merge PDF" >&2; cat "$work/soffice-merge.log" >&2; exit 1; }
pdffonts "$work/merged.pdf" >"$work/merge-fonts.txt"
merge_missing=0
for face in "$ean_face" "$imb_face"; do
  ps="TAVO-${face#TAVO }"; ps=${ps// /}
  grep -q "+$ps " "$work/merge-fonts.txt" || { echo "not embedded in the merge: $face ($ps)"; merge_missing=$((merge_missing + 1)); }
done
pdftoppm -r 300 -gray -png "$work/merged.pdf" "$work/merge"
got_ean=$(for page in "$work"/merge-*.png; do zbarimg -q --nodbus "$page" 2>/dev/null || true; done | LC_ALL=C sort | paste -sd ';')
merge_read=$(printf '%s' "$got_ean" | tr ';' '\n' | grep -c . || true)
# Intelligent Mail: the bars zint makes for each row, in the font's letters
# (F full, A ascender, D descender, T tracker), against the bars on the page.
imb_bad=0
while IFS= read -r value; do
  tracking=${value:0:20} routing=${value:20}
  zint -b 85 -d "$tracking${routing:+-$routing}" --dump
  echo
done < <(tail -n +2 "$work/addresses.csv" | awk -F, '{print $NF}') >"$work/imb-zint.txt"
pdftoppm -r 300 -gray "$work/merged.pdf" "$work/merge-gray"
WORK=$work /usr/bin/python3 - <<'EOF' >"$work/imb-check.txt" || imb_bad=1
import glob, os, sys

work = os.environ["WORK"]
want = []
for block in open(os.path.join(work, "imb-zint.txt")).read().split("\n\n"):
    rows = ["".join(bin(int(h, 16))[2:].zfill(4) for h in line.replace(" ", "")) for line in block.split("\n") if line]
    if rows:
        top, bottom = rows[0], rows[2]
        # A bar in every other module column; rows: ascenders, tracker, descenders.
        want.append("".join({("1", "1"): "F", ("1", "0"): "A", ("0", "1"): "D", ("0", "0"): "T"}[top[i], bottom[i]]
                            for i in range(0, len(top), 2))[:65])

def read_pgm(path):
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < 4:  # P5 width height maxval, whitespace separated
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    return int(fields[1]), int(fields[2]), data[pos + 1:]

got = []
for path in sorted(glob.glob(os.path.join(work, "merge-gray-*.pgm"))):
    w, h, px = read_pgm(path)
    inked = [any(b < 128 for b in px[y * w:(y + 1) * w]) for y in range(h)]
    y = 0
    while y < h:  # each band of inked rows is one line: a symbol or a label
        if not inked[y]:
            y += 1
            continue
        y0 = y
        while y < h and inked[y]:
            y += 1
        y1 = y - 1
        band = [px[r * w:(r + 1) * w] for r in range(y0, y1 + 1)]
        cols = [[r for r in range(len(band)) if band[r][x] < 128] for x in range(w)]
        bars, x = [], 0
        while x < w:
            if not cols[x]:
                x += 1
                continue
            rows = []
            while x < w and cols[x]:
                rows += cols[x]
                x += 1
            bars.append((min(rows), max(rows)))
        if len(bars) != 65:
            continue
        tall = y1 - y0 + 1
        got.append("".join({(True, True): "F", (True, False): "A", (False, True): "D", (False, False): "T"}[
            t < tall * 0.2, b > tall * 0.8] for t, b in bars))
for i, w_ in enumerate(want):
    g = got[i] if i < len(got) else ""
    print("%s row %d: %s%s" % ("ok   " if g == w_ else "WRONG", i + 2, g or "(not found)",
                                "" if g == w_ else ", zint " + w_))
sys.exit(0 if got == want else 1)
EOF
cat "$work/imb-check.txt"
imb_read=$(grep -c '^ok' "$work/imb-check.txt" || true)
if [ "$got_ean" = "$want_ean" ]; then
  echo "ok    merge: the 4 EAN-13 of the imported CSV read as its values"
  merge_bad=0
else
  echo "WRONG merge: read $got_ean, wanted $want_ean"
  merge_bad=1
fi
echo "LibreOffice $(soffice --version | awk '{print $2}'): $n symbols, $ok read as their values, $bad wrong; $missing faces not embedded"
echo "merge: $merge_read of 4 EAN-13 read from the imported CSV$([ "$merge_bad" -eq 0 ] && echo ", all equal to its values" || echo ", NOT all equal"); $imb_read of 4 Intelligent Mail match zint's bars; $merge_missing of 2 faces (EAN-13, Intelligent Mail) not embedded"
[ "$bad" -eq 0 ] && [ "$missing" -eq 0 ] && [ "$merge_bad" -eq 0 ] && [ "$imb_bad" -eq 0 ] && [ "$merge_missing" -eq 0 ]
