#!/usr/bin/python3
"""Renders a sample of each TAVO font family to a small PNG, as text set in
the font: the library's translation of an example value, passed as
Windows-1252 text (what a Windows application sends), laid out with FreeType.

usage: render_samples.py --tavo PATH/TO/tavo --fonts DIR --out DIR

Runs with Debian's /usr/bin/python3 and python3-freetype.
"""

import argparse
import os
import struct
import subprocess
import sys
import zlib

import freetype

from windows1252 import text_of

# Face name suffix, symbology, value, check option, file name.
SAMPLES = [
    ("39 MC", "code39", "TAVO-39", True, "code39.png"),
    ("I2of5 MC", "i2of5", "1234567890", True, "i2of5.png"),
    ("CODABAR MC", "codabar", "A40156B", False, "codabar.png"),
    ("MSI MC", "msi", "80523", False, "msi.png"),
    ("93 MC", "code93", "TAVO93", False, "code93.png"),
    ("128 MC", "code128", "Tavo 128", False, "code128.png"),
    ("UPC EAN JAN", "ean13", "590123412345", False, "upc_ean_jan.png"),
    ("POSTNET", "postnet", "12345-6789", False, "postnet.png"),
    ("QR", "qr", "https://example.com/tavo", False, "qr.png"),
    ("ITF14 LC", "itf14", "1540014128876", False, "itf14.png"),
]
PIXELS_PER_EM = 40  # 2 pixels to a module of the linear fonts
MATRIX_PIXELS_PER_EM = 12  # 4 pixels to a module of the 2D fonts
MARGIN = 24


def render(face, text):
    """Sets the text, several lines (CR LF between them) one under the
    other, each at the font's own line height."""
    lines = text.split("\r\n")
    if len(lines) > 1:
        return render_lines(face, lines)
    face.set_pixel_sizes(0, PIXELS_PER_EM)
    ascent = face.size.ascender >> 6
    descent = -(face.size.descender >> 6)
    pen = 0
    marks = []
    for ch in text:
        face.load_char(ch, freetype.FT_LOAD_RENDER | freetype.FT_LOAD_NO_HINTING)
        g = face.glyph
        b = g.bitmap  # FreeType reuses the slot: copy what is needed now
        marks.append((pen + g.bitmap_left, ascent - g.bitmap_top, b.rows, b.width, b.pitch, bytes(b.buffer)))
        pen += g.linearHoriAdvance / 65536.0
    width = int(pen + 0.999) + 2 * MARGIN
    height = ascent + descent + 2 * MARGIN
    pixels = bytearray([255]) * (width * height)
    for x0, y0, rows, columns, pitch, buffer in marks:
        x0 = int(round(x0)) + MARGIN
        y0 += MARGIN
        for row in range(rows):
            for col in range(columns):
                v = buffer[row * pitch + col]
                if v:
                    i = (y0 + row) * width + x0 + col
                    pixels[i] = max(0, pixels[i] - v)
    return width, height, pixels


def render_lines(face, lines):
    face.set_pixel_sizes(0, MATRIX_PIXELS_PER_EM)
    step = face.size.height >> 6  # the line height: one block
    width = 0
    marks = []
    for n, line in enumerate(lines):
        pen = 0
        for ch in line:
            face.load_char(ch, freetype.FT_LOAD_RENDER | freetype.FT_LOAD_NO_HINTING | freetype.FT_LOAD_TARGET_MONO)
            g = face.glyph
            b = g.bitmap
            marks.append((pen + g.bitmap_left, n * step + (face.size.ascender >> 6) - g.bitmap_top,
                          b.rows, b.width, b.pitch, bytes(b.buffer)))
            pen += g.linearHoriAdvance / 65536.0
        width = max(width, int(pen + 0.999))
    height = step * len(lines)
    pixels = bytearray([255]) * (width * height)
    for x0, y0, rows, columns, pitch, buffer in marks:
        x0 = int(round(x0))
        for row in range(rows):
            for col in range(columns):
                if buffer[row * pitch + col // 8] >> (7 - col % 8) & 1:
                    pixels[(y0 + row) * width + x0 + col] = 0
    return width, height, pixels


def write_png(path, width, height, pixels):
    rows = b"".join(b"\x00" + bytes(pixels[y * width:(y + 1) * width]) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


def font_files(directory):
    """Family name to font file, as FreeType reads the fonts' names."""
    files = {}
    for name in os.listdir(directory):
        if name.endswith(".ttf"):
            path = os.path.join(directory, name)
            files[freetype.Face(path).family_name.decode("ascii")] = path
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--tavo", required=True)
    parser.add_argument("--fonts", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    files = font_files(args.fonts)
    os.makedirs(args.out, exist_ok=True)
    for suffix, symbology, value, check, png in SAMPLES:
        command = [args.tavo, "translate", symbology, value, "--raw"] + (["--check"] if check else [])
        font_string = subprocess.run(command, check=True, capture_output=True).stdout
        face = freetype.Face(files["TAVO " + suffix])
        write_png(os.path.join(args.out, png), *render(face, text_of(font_string)))
        print("%s: %s in \"TAVO %s\"" % (png, value, suffix))


if __name__ == "__main__":
    sys.exit(main())
