"""Font strings as the Windows-1252 text a Windows application holds: the
one decoding that fonts/render_samples.py and fonts/check-libreoffice.sh
set in the fonts."""


def text_of(font_string):
    """The bytes as Windows-1252 characters; the five bytes Windows-1252
    leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stay U+0081 and so on."""
    out = []
    for b in font_string:
        try:
            out.append(bytes([b]).decode("cp1252"))
        except UnicodeDecodeError:
            out.append(chr(b))
    return "".join(out)
