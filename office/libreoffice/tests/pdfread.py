"""Reading the PDFs LibreOffice wrote: fonts embedded, symbols read back.

pdftoppm renders (a whole page, or one label cut out of it), zbarimg reads
the linear symbols and QR Code, dmtxread (libdmtx) Data Matrix, and
Intelligent Mail, which neither reads, is compared bar by bar with what
zint encodes for the same value.
"""

import glob
import os
import subprocess
import tempfile
import xml.etree.ElementTree as ET


ZBAR = ["zbarimg", "-q", "--nodbus", "-Sean2.enable", "-Sean5.enable", "-Supca.enable", "-Supce.enable",
        "-Si25.enable", "-Scodabar.enable", "-Scode93.enable"]
ZBAR_TYPES = {"EAN-13", "EAN-8", "UPC-A", "UPC-E", "CODE-128", "CODE-39", "CODE-93", "I2/5", "Codabar", "QR-Code"}


def embedded_fonts(pdf):
    """The base names of the fonts the PDF embeds (subset tags removed)."""
    out = subprocess.run(["pdffonts", pdf], capture_output=True, text=True, check=True).stdout.splitlines()[2:]
    return {line.split()[0].split("+")[-1] for line in out if line.split() and " yes " in line}


def postscript_name(face):
    return "TAVO-" + face[len("TAVO "):].replace(" ", "")


def zbar(images):
    """What zbar reads in each image: {path: sorted ["TYPE:data", ...]}."""
    out = subprocess.run(ZBAR + ["--xml"] + images, capture_output=True, text=True).stdout
    reads = {path: [] for path in images}
    root = ET.fromstring(out) if out.strip() else None
    for source in ([] if root is None else root.iter("{http://zbar.sourceforge.net/2008/barcode}source")):
        for symbol in source.iter("{http://zbar.sourceforge.net/2008/barcode}symbol"):
            data = symbol.find("{http://zbar.sourceforge.net/2008/barcode}data").text or ""
            reads[source.get("href")].append("%s:%s" % (symbol.get("type"), data))
    return {path: sorted(found) for path, found in reads.items()}


def dmtx(image):
    """What dmtxread reads in the image: first at half size, which closes the
    hairline gaps Calc can leave between the lines of a symbol, then whole."""
    for shrink in (["-S", "2"], []):
        out = subprocess.run(["dmtxread", "-N1", "-m", "3000"] + shrink + [image], capture_output=True)
        found = ["DataMatrix:" + line for line in out.stdout.decode("utf-8", "replace").splitlines() if line]
        if found:
            return found
    return []


def render(pdf, stem, dpi=300, png=True):
    """The PDF's pages as images, in page order."""
    subprocess.run(["pdftoppm", "-r", str(dpi), "-gray"] + (["-png"] if png else []) + [pdf, stem], check=True)
    return sorted(glob.glob(stem + "*." + ("png" if png else "pgm")))


def read_pgm(path):
    """(width, height, pixels) of a binary PGM that pdftoppm wrote."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:  # P5 width height maxval, separated by white space
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    return int(fields[1]), int(fields[2]), data[pos + 1:]


INK = bytes(1 if b < 128 else 0 for b in range(256))


def _runs(flags, gap):
    """(start, end) of the runs of true flags, runs less than `gap` apart joined."""
    runs = []
    for i, on in enumerate(flags):
        if not on:
            continue
        if runs and i - runs[-1][1] <= gap:
            runs[-1][1] = i
        else:
            runs.append([i, i])
    return runs


def blobs(width, height, pixels, gap_y=10, gap_x=40):
    """The bounding boxes (x0, y0, x1, y1) of the inked regions, in reading
    order: bands of inked rows top to bottom, and in each, clusters of
    inked columns left to right."""
    rows = [pixels[y * width:(y + 1) * width].translate(INK) for y in range(height)]
    found = []
    for y0, y1 in _runs([1 in row for row in rows], gap_y):
        band = rows[y0:y1 + 1]
        columns = bytes(max(c) for c in zip(*band))
        for x0, x1 in _runs(columns, gap_x):
            found.append((x0, y0, x1, y1))
    return found


def write_pgm(path, width, pixels, box, margin=60):
    x0, y0, x1, y1 = box
    height = len(pixels) // width
    x0, y0, x1, y1 = max(0, x0 - margin), max(0, y0 - margin), min(width - 1, x1 + margin), min(height - 1, y1 + margin)
    w = x1 - x0 + 1
    with open(path, "wb") as f:
        f.write(b"P5 %d %d 255\n" % (w, y1 - y0 + 1))
        for y in range(y0, y1 + 1):
            f.write(pixels[y * width + x0:y * width + x0 + w])


def imb_bars(width, pixels, box):
    """The bars of an Intelligent Mail symbol in a box: F full, A ascender,
    D descender, T tracker, by where each bar's ink starts and ends."""
    x0, y0, x1, y1 = box
    tall = y1 - y0 + 1
    bars = []  # several symbols side by side (labels close together) come as one run of 65 bars each
    for start, end in _runs([any(pixels[y * width + x] < 128 for y in range(y0, y1 + 1))
                             for x in range(x0, x1 + 1)], 1):
        inked = [y for y in range(y0, y1 + 1)
                 if any(pixels[y * width + x] < 128 for x in range(x0 + start, x0 + end + 1))]
        top, bottom = inked[0] - y0 < tall * 0.2, inked[-1] - y0 > tall * 0.8
        bars.append({(True, True): "F", (True, False): "A", (False, True): "D", (False, False): "T"}[top, bottom])
    return "".join(bars)


def zint_imb(value):
    """The bars zint draws for an Intelligent Mail value "TRACKING-ROUTING"."""
    out = subprocess.run(["zint", "-b", "85", "-d", value, "--dump"], capture_output=True, text=True,
                         check=True).stdout.split()
    rows = ["".join(bin(int(h, 16))[2:].zfill(4) for h in line) for line in _dump_rows(out)]
    top, bottom = rows[0], rows[2]
    return "".join({("1", "1"): "F", ("1", "0"): "A", ("0", "1"): "D", ("0", "0"): "T"}[top[i], bottom[i]]
                   for i in range(0, len(top), 2))[:65]


def _dump_rows(words):
    """zint --dump prints each row as groups of hex digits: join a row's groups."""
    per_row = len(words) // 3
    return ["".join(words[r * per_row:(r + 1) * per_row]) for r in range(3)]


def read_symbols(pdf, tmp, dpi=300):
    """What is read in each inked region of each page, in reading order:
    [(box, ["TYPE:data", ...], "IMB bars")]."""
    out = []
    for page in render(pdf, os.path.join(tmp, "page"), dpi=dpi, png=False):
        width, height, pixels = read_pgm(page)
        boxes = blobs(width, height, pixels)
        names = []
        for i, box in enumerate(boxes):
            names.append("%s-%03d.pgm" % (page[:-4], i))
            write_pgm(names[-1], width, pixels, box)
        reads = zbar(names)
        for box, name in zip(boxes, names):
            got = reads[name]
            w, h = box[2] - box[0] + 1, box[3] - box[1] + 1
            if not got and h >= 60 and w <= 5 * h:
                got = dmtx(name)
            bars = imb_bars(width, pixels, box) if not got and w > 10 * h and h >= 20 else ""
            out.append((box, got, bars))
    return out


def check_pdf(pdf, cases, fail, what):
    """Every case's symbol somewhere in the PDF, and every TAVO face embedded."""
    fonts = embedded_fonts(pdf)
    faces = {c["face"] for c in cases if c.get("face")}
    for face in sorted(faces):
        if postscript_name(face) not in fonts:
            fail("%s PDF: %s is not embedded (embedded: %s)" % (what, face, ", ".join(sorted(fonts))))
    with tempfile.TemporaryDirectory() as tmp:
        found = read_symbols(pdf, tmp)
    read = sorted(sum((got for _, got, _ in found), []))
    bars = {b for _, _, b in found if b}
    want = sorted(c["want"] for c in cases if c["want"] != "-")
    missing = [w for w in want if w not in read]
    imbs = [c for c in cases if c["symbology"] == "imb"]
    missing += ["IMB " + c["value"] for c in imbs if zint_imb(c["value"]) not in bars]
    if missing:
        fail("%s PDF: not read: %s (read: %s)" % (what, missing, read))
    else:
        print("ok    %s PDF: %d symbols read as their values (%d Intelligent Mail as zint's bars); "
              "%d TAVO faces embedded" % (what, len(want) + len(imbs), len(imbs), len(faces)))
