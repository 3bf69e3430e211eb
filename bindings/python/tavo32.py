"""TAVO32 bar code font translation for Python (ctypes, standard library only).

    >>> import tavo32
    >>> tavo32.translate("ean13", "978012345678")
    '+~7ia1c3|EFGHIG*_'
    >>> tavo32.face_name("ean13", prefix="TAVO ")
    'TAVO UPC EAN JAN'

Set the returned text in the font whose face name face_name() gives.

Text crosses the library boundary as bytes.  Font bytes above 127 are
Windows-1252 characters (the bar code fonts are Windows fonts), so a str value
is converted to bytes, and the font string back to str, through Windows-1252;
pass bytes to get bytes back unchanged.  The two-dimensional symbologies (QR
Code) carry any text: their str values go as UTF-8, which the symbol marks so
that a scanner shows the same text, and `check` is their error correction
level (QR Code: 0 = M, 1..4 = L, M, Q, H).

The library is looked for, in this order:
  1. the path given to load() (a file, or the directory that holds it);
  2. the environment variable TAVO32_LIBRARY (a file or a directory);
  3. the directory of this module, then two levels up (the library directory
     when the module is installed under <libdir>/tavo32/python), then the
     Windows SDK folder x86/ or x64/ that matches this Python;
  4. the system's own search (libtavo32.so.3, tavo32.dll).
A path given in 1 or 2 is used alone: if it does not load, no other copy is
tried.
"""

import ctypes
import os
import sys
import threading

__all__ = [
    "TavoError", "Library", "load", "translate", "face_name", "char_check",
    "error_message", "version", "translation_version", "SYMBOLOGIES",
    "gs1_human_readable", "gs1_check_digit",
    "FNC1", "FNC2", "FNC3", "FNC4", "CODE128_NUL",
]

# Symbology codes and the names the tavo tool accepts for them.
SYMBOLOGIES = {
    "code39ascii": 0, "code39": 1, "i2of5": 2, "codabar": 3, "msi": 4,
    "code93": 5, "upca": 6, "upce": 7, "postnet": 8, "ean8": 9, "ean13": 10,
    "code128": 11, "gs1-128": 12, "qr": 14, "datamatrix": 15, "gtin13": 16, "gtin8": 17,
    "gtin12": 18, "upce8": 19, "databar": 21, "databar-stacked": 23, "databar-stacked-omni": 24,
    "databar-limited": 25,
    "imb": 13,  # Intelligent Mail: "TRACKING-ROUTING", set in the TAVO IMB font
}

# Symbologies whose str values are sent as UTF-8 rather than Windows-1252.
TEXT_AS_UTF8 = {14}

# Code 128 function characters and NUL as data, as str characters of a value.
FNC1, FNC2, FNC3, FNC4, CODE128_NUL = "\xb9", "\xb2", "\xb3", "\xbc", "\xc7"

ENV_VARIABLE = "TAVO32_LIBRARY"
ILLEGAL_CHARACTER = 32505
TOO_MANY_CHARACTERS = 32510

# Windows-1252 bytes 0x80..0x9F as Unicode; every other byte is the code point
# of the same number.  The five bytes that code page leaves unassigned (0x81,
# 0x8D, 0x8F, 0x90, 0x9D) map to themselves, as Windows converts them.
_CP1252_80_9F = (
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
)
assert len(_CP1252_80_9F) == 32
_BYTE_TO_CHAR = "".join(
    chr(_CP1252_80_9F[b - 0x80]) if 0x80 <= b <= 0x9F else chr(b) for b in range(256))
_CHAR_TO_BYTE = {ch: b for b, ch in enumerate(_BYTE_TO_CHAR)}


class TavoError(Exception):
    """A code the library returned (32500..32549) with its English message."""

    def __init__(self, code, message):
        super().__init__(message)
        self.code = code
        self.message = message


def _to_bytes(text):
    """Windows-1252 bytes of `text`, or None when a character has none."""
    try:
        return bytes(_CHAR_TO_BYTE[ch] for ch in text)
    except KeyError:
        return None


def _to_utf8(text):
    """UTF-8 bytes of `text`, or None for a lone surrogate."""
    try:
        return text.encode("utf-8")
    except UnicodeEncodeError:
        return None


def _to_text(data):
    return "".join(_BYTE_TO_CHAR[b] for b in data)


def _symbology_code(symbology):
    if isinstance(symbology, str):
        try:
            return SYMBOLOGIES[symbology.lower()]
        except KeyError:
            raise ValueError("unknown symbology name %r" % symbology) from None
    return int(symbology)


def _library_names():
    if sys.platform == "win32":
        return ["tavo32.dll"]
    if sys.platform == "darwin":
        return ["libtavo32.3.dylib", "libtavo32.dylib"]
    return ["libtavo32.so.3", "libtavo32.so"]


def _in_directory(directory):
    return [os.path.join(directory, name) for name in _library_names()]


def _given(path):
    return _in_directory(path) if os.path.isdir(path) else [path]


def _search_candidates():
    here = os.path.dirname(os.path.abspath(__file__))
    up = os.path.normpath(os.path.join(here, os.pardir, os.pardir))
    found = _in_directory(here) + _in_directory(up)
    if sys.platform == "win32":
        found.append(os.path.join(up, "x64" if sys.maxsize > 2**32 else "x86", "tavo32.dll"))
    return [p for p in found if os.path.isfile(p)] + _library_names()


def _open(candidates):
    # WinDLL calls through stdcall, the convention of the 32-bit DLL (and the
    # only one on 64-bit Windows); elsewhere the C convention.
    opener = ctypes.WinDLL if sys.platform == "win32" else ctypes.CDLL
    failures = []
    for candidate in candidates:
        try:
            return opener(candidate)
        except OSError as error:
            failures.append("%s: %s" % (candidate, error))
    raise OSError("cannot load the TAVO32 library:\n  " + "\n  ".join(failures))


def _check_argument(check):
    """True/False as 1/0; a number as given (QR Code: the error correction
    level; Data Matrix: 0 square, 1 rectangles too, 2 and 3 the same as GS1)."""
    if isinstance(check, int) and not isinstance(check, bool):
        return check
    return 1 if check else 0


class Library:
    """One loaded copy of the library, with its entries declared."""

    def __init__(self, path=None):
        if path is None and os.environ.get(ENV_VARIABLE):
            path = os.environ[ENV_VARIABLE]
        self._dll = _open(_given(path) if path else _search_candidates())
        self.path = getattr(self._dll, "_name", None)
        self._declare()

    def _declare(self):
        i32, text, buf = ctypes.c_int32, ctypes.c_char_p, ctypes.c_char_p
        p_i32 = ctypes.POINTER(ctypes.c_int32)
        signatures = {
            "BC_FontTranslate": [i32, text, i32, buf, i32, p_i32],
            "BC_StrErr": [i32, buf, i32],
            "BC_FontGetFaceName": [text, i32, i32, i32, buf, i32, p_i32],
            "BC_CharCheck": [i32, i32, i32, buf, i32, p_i32],
            "BC_GS1HumanReadable": [text, buf, i32, p_i32],
            "BC_GS1CheckDigit": [text, i32, p_i32],
            "BC_FontGetVer": [],
            "TAVO_VersionMajor": [],
            "TAVO_VersionMinor": [],
            "TAVO_VersionRevision": [],
        }
        for name, argtypes in signatures.items():
            function = getattr(self._dll, name)
            function.argtypes = argtypes
            function.restype = i32

    def _fail(self, code):
        return TavoError(code, self.error_message(code))

    def _value_bytes(self, value, utf8=False):
        if isinstance(value, (bytes, bytearray)):
            data = value
        else:
            data = _to_utf8(value) if utf8 else _to_bytes(value)
        # A NUL would end the value early on the library's side: refuse it
        # rather than translate a shorter value than the caller meant.
        if data is None or 0 in data:
            raise self._fail(ILLEGAL_CHARACTER)
        return bytes(data)

    def translate(self, symbology, value, check=False):
        """The font string of `value`: str for a str value, bytes for bytes."""
        code = _symbology_code(symbology)
        data = self._value_bytes(value, utf8=code in TEXT_AS_UTF8)
        # No symbology writes more than about two bytes per value byte; a
        # second, much larger buffer covers any that might.
        for capacity in (2 * len(data) + 64, 8 * len(data) + 1024):
            out = ctypes.create_string_buffer(capacity)
            length = ctypes.c_int32(0)
            rc = self._dll.BC_FontTranslate(code, data, _check_argument(check), out, capacity,
                                            ctypes.byref(length))
            if rc != TOO_MANY_CHARACTERS:
                break
        if rc != 0:
            raise self._fail(rc)
        result = out.raw[:length.value]
        return result if isinstance(value, (bytes, bytearray)) else _to_text(result)

    def face_name(self, symbology, prefix="", height=0, caption=False):
        """Face name of the bar code font: `prefix` then the symbology's suffix.

        `height` is 0, 1, 2 or "L", "M", "H"."""
        if isinstance(height, str):
            height = "LMH".index(height.upper())
        data = self._value_bytes(prefix) if prefix else b""
        capacity = len(data) + 64
        out = ctypes.create_string_buffer(capacity)
        length = ctypes.c_int32(0)
        rc = self._dll.BC_FontGetFaceName(data, _symbology_code(symbology), height,
                                          1 if caption else 0, out, capacity,
                                          ctypes.byref(length))
        if rc != 0:
            raise self._fail(rc)
        return _to_text(out.raw[:length.value])

    def char_check(self, symbology, ch, alt=False):
        """The text an input form shows for character `ch` (an int 0..255 or
        a one-character str), or None when `ch` may not stand in a value."""
        if isinstance(ch, str):
            data = _to_bytes(ch) if len(ch) == 1 else None
            if data is None:
                return None
            ch = data[0]
        out = ctypes.create_string_buffer(64)
        length = ctypes.c_int32(0)
        valid = self._dll.BC_CharCheck(_symbology_code(symbology), int(ch), 1 if alt else 0,
                                       out, 64, ctypes.byref(length))
        return _to_text(out.raw[:length.value]) if valid == 1 else None

    def gs1_human_readable(self, value):
        """The text to print under a GS1-128 symbol: "(01)...(10)..." without
        the \\( \\) escapes of `value`, which is validated as code 12 is."""
        data = self._value_bytes(value)
        capacity = len(data) + 16
        out = ctypes.create_string_buffer(capacity)
        length = ctypes.c_int32(0)
        rc = self._dll.BC_GS1HumanReadable(data, out, capacity, ctypes.byref(length))
        if rc != 0:
            raise self._fail(rc)
        return _to_text(out.raw[:length.value])

    def gs1_check_digit(self, key, verify=False):
        """The GS1 modulo-10 check digit (0..9) of a key of 7 to 17 digits;
        with `verify`, `key` includes its check digit, and a wrong one raises
        TavoError 32547."""
        digit = ctypes.c_int32(0)
        rc = self._dll.BC_GS1CheckDigit(self._value_bytes(key), 1 if verify else 0,
                                        ctypes.byref(digit))
        if rc != 0:
            raise self._fail(rc)
        return digit.value

    def error_message(self, code):
        """The English message of an error code ("" for 0 and unknown codes)."""
        out = ctypes.create_string_buffer(256)  # zeroed: the text ends at the first NUL
        self._dll.BC_StrErr(int(code), out, 256)
        return _to_text(out.value)

    def version(self):
        """(major, minor, revision) of the library file's version, (3, 1, 8).
        On Windows this is the copy installed in the system directory; zeros
        when there is none."""
        return (self._dll.TAVO_VersionMajor(), self._dll.TAVO_VersionMinor(),
                self._dll.TAVO_VersionRevision())

    def translation_version(self):
        """The translation version, 9611080."""
        return self._dll.BC_FontGetVer()


_default = None
_default_lock = threading.Lock()


def load(path=None):
    """The library at `path`, or (without a path) the one the module uses,
    found as described at the top of this module and loaded once."""
    global _default
    if path is not None:
        return Library(path)
    with _default_lock:
        if _default is None:
            _default = Library()
        return _default


def translate(symbology, value, check=False):
    return load().translate(symbology, value, check)


def face_name(symbology, prefix="", height=0, caption=False):
    return load().face_name(symbology, prefix, height, caption)


def char_check(symbology, ch, alt=False):
    return load().char_check(symbology, ch, alt)


def error_message(code):
    return load().error_message(code)


def gs1_human_readable(value):
    return load().gs1_human_readable(value)


def gs1_check_digit(key, verify=False):
    return load().gs1_check_digit(key, verify)


def version():
    return load().version()


def translation_version():
    return load().translation_version()


for _function in (translate, face_name, char_check, error_message, version,
                  translation_version, gs1_human_readable, gs1_check_digit):
    _function.__doc__ = getattr(Library, _function.__name__).__doc__
del _function
