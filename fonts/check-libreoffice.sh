#!/usr/bin/env bash
# One check through a real office program: the TAVO fonts installed for a
# user, a LibreOffice Writer document whose paragraphs hold the library's
# translations as Windows-1252 text (what a Windows application passes on)
# set in the fonts the library names, converted to PDF by LibreOffice
# headless, rasterised by pdftoppm and read by zbarimg.  Each symbol must
# read as what its value asks for (written out below from the symbologies'
# rules), and the PDF must embed the TAVO fonts, not substitutes.  QR Code
# symbols are several lines in one paragraph at single spacing, in three
# font sizes: they read only if the lines stack with no gap and no overlap.
#
# usage: fonts/check-libreoffice.sh [BUILD_DIR]   (default: build; needs
#        BUILD_DIR/bin/tavo and BUILD_DIR/fonts/truetype from the build)
# Needs: libreoffice-writer-nogui (or libreoffice-writer), poppler-utils,
#        zbar-tools, fontconfig.  KEEP=1 keeps the work directory.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
tavo=$build/bin/tavo
fonts=$build/fonts/truetype
for tool in soffice pdftoppm pdffonts zbarimg fc-cache; do
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
# For QR Code (several lines of text) the height column is the font size in
# points: a module is a third of it.
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
EOF

# The document: one sample to a page, a label in DejaVu Sans above it.
TAVO=$tavo WORK=$work /usr/bin/python3 - <<'EOF'
import os, subprocess
from xml.sax.saxutils import escape

tavo, work = os.environ["TAVO"], os.environ["WORK"]
heights = {"L": 0, "M": 1, "H": 2}

def windows_text(font_string):
    # Windows-1252, the five undefined bytes as U+0081 and so on.
    out = []
    for b in font_string:
        try:
            out.append(bytes([b]).decode("cp1252"))
        except UnicodeDecodeError:
            out.append(chr(b))
    return "".join(out)

faces, pages = [], []
for line in open(os.path.join(work, "samples.txt"), encoding="utf-8"):
    sym, value, check, height, caption = line.rstrip("\n").split("|")[:5]
    if sym == "qr":
        # Several lines at single spacing, in the size the height column gives.
        level = ["--level", "LMQH"[int(check) - 1]] if check != "0" else []
        font = subprocess.run([tavo, "translate", sym, value, "--raw"] + level,
                              check=True, capture_output=True).stdout
        face = "TAVO QR"
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
    pages.append(((face, "20"), "%s %r in %s" % (sym, value, face), [windows_text(font)]))

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
  [ "$sym" = qr ] && height=M  # the QR height column is a font size
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
ok=0 bad=0 n=0
while IFS='|' read -r sym value check height caption want; do
  page=${pages[$n]}
  n=$((n + 1))
  got_note=""
  got=$(read_page "$page")
  # zbar's QR Code finder misses a symbol on some whole pages at one
  # resolution and finds it at another; a symbol must read at one of three.
  for dpi in 200 400; do
    [ "$got" = "$want" ] && break
    pdftoppm -r "$dpi" -gray -png -f "$n" -l "$n" "$work/check.pdf" "$work/again-$dpi"
    got=$(read_page "$(ls "$work"/again-"$dpi"-*"$n".png | head -1)")
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
echo "LibreOffice $(soffice --version | awk '{print $2}'): $n symbols, $ok read as their values, $bad wrong; $missing faces not embedded"
[ "$bad" -eq 0 ] && [ "$missing" -eq 0 ]
