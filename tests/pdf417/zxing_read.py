#!/usr/bin/python3
"""Reads every picture a manifest names with zxing-cpp (Debian's
python3-zxing-cpp, so run it with /usr/bin/python3) and compares the bytes
of the PDF417 it finds with the manifest's.

    zxing_read.py MANIFEST

Each manifest line is `picture<TAB>hex of the expected bytes<TAB>label`;
pictures are binary PGM (P5).  Prints one line per picture not read as
expected and a count; exits 1 when any is not, 2 when zxing-cpp is missing.
"""
import sys

try:
    import numpy
    import zxingcpp
except ImportError as e:
    print("zxing_read.py: %s (install python3-zxing-cpp)" % e)
    sys.exit(2)


def read_pgm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, at = [], 0
    while len(fields) < 4:  # magic, width, height, maxval, separated by whitespace
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    at += 1
    width, height = int(fields[1]), int(fields[2])
    return numpy.frombuffer(data, dtype=numpy.uint8, count=width * height, offset=at).reshape(height, width)


def main():
    bad = total = 0
    with open(sys.argv[1], encoding="ascii") as manifest:
        for line in manifest:
            path, expected, label = line.rstrip("\n").split("\t")
            total += 1
            results = zxingcpp.read_barcodes(read_pgm(path), formats=zxingcpp.BarcodeFormat.PDF417)
            got = results[0].bytes if results else None
            if got != bytes.fromhex(expected):
                bad += 1
                print("not read: %s (%s): zxing-cpp gave %r" % (label, path, got))
    print("zxing-cpp read %d of %d PDF417 pictures" % (total - bad, total))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
