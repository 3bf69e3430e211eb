"""The label sheets the proof merges: per symbology, the values of its rows
and what a reader gives for each printed label."""


def gs1_check_digit(digits):
    """The GS1 modulo-10 check digit: weights 3 and 1 from the right."""
    total = sum(int(d) * (3 if i % 2 == 0 else 1) for i, d in enumerate(reversed(digits)))
    return str(-total % 10)


def _ean13(i):
    value = "5901234%05d" % (12000 + i)
    return value, "EAN-13:" + value + gs1_check_digit(value)


def _gs1_128(i):
    gtin = "0950110153%03d" % i
    gtin += gs1_check_digit(gtin)
    return "(01)%s(10)LOT%02d" % (gtin, i), "CODE-128:01%s10LOT%02d" % (gtin, i)


# symbology: (font size in points, value and reading of row i); the layout
# each is merged into is letter30 unless the run names another.
SETS = {
    "ean13": ("12", _ean13),
    "code128": ("14", lambda i: ("TAVO-%02d label" % i, "CODE-128:TAVO-%02d label" % i)),
    "gs1-128": ("12", _gs1_128),
    "imb": ("14.5", lambda i: ("00270123456200%06d-55431130809" % i, None)),
    "qr": ("6", lambda i: ("https://example.com/tavo/%02d" % i, "QR-Code:https://example.com/tavo/%02d" % i)),
    "datamatrix": ("6", lambda i: ("TAVO DM %02d" % i, "DataMatrix:TAVO DM %02d" % i)),
}
