"""What the Calc functions TAVO, TAVOFACE, TAVOCHECK and TAVOGS1HRI compute.

Kept apart from the UNO glue (tavo32_calc.py) so that it runs, and is
tested, with plain Python.  Every function returns the text a cell shows:
the result, or the library's error message; none raises.

The names a user types (symbologies, aliases, options and their values) come
from symbologies.json, which the extension's build writes from
`tavo list --json` (docs/list-json.md); nothing here lists them by hand.
"""

import json
import os

import tavo32

HERE = os.path.dirname(os.path.abspath(__file__))
FACE_PREFIX = "TAVO "
_FLAG_VALUES = {"1": 1, "true": 1, "yes": 1, "on": 1, "0": 0, "false": 0, "no": 0, "off": 0}


def fold(name):
    """A name as the registry compares it: no case, no - _ . or spaces."""
    return "".join(ch for ch in str(name).lower() if ch not in "-_. ")


class Registry:
    """The registry's description, indexed by the names a user may type."""

    def __init__(self, description):
        self.errors = {e["code"]: e["message"] for e in description.get("errors", [])}
        self.by_name = {}
        self.by_code = {}
        for entry in description["symbologies"]:
            self.by_code[entry["code"]] = entry
            for name in [entry["name"]] + entry.get("aliases", []):
                self.by_name[fold(name)] = entry

    @classmethod
    def load(cls, path=None):
        with open(path or os.path.join(HERE, "symbologies.json"), encoding="utf-8") as f:
            return cls(json.load(f))

    def symbology(self, given):
        """The entry a cell names, by name, alias or code; ValueError if none."""
        if isinstance(given, float) and given.is_integer():
            given = int(given)
        if isinstance(given, int) and given in self.by_code:
            return self.by_code[given]
        entry = self.by_name.get(fold(given))
        if entry is None and str(given).strip().isdigit():
            entry = self.by_code.get(int(str(given).strip()))
        if entry is None:
            raise ValueError("unknown symbology %r; one of: %s"
                             % (given, ", ".join(e["name"] for e in self.by_code.values())))
        return entry


def _option_value(option, text):
    kind = option["type"]
    if kind == "flag":
        on = _FLAG_VALUES.get(fold(text)) if text is not None else 1
        if on is None:
            raise ValueError("%s takes on or off, not %r" % (option["name"], text))
        return on * option["check"]
    if kind == "choice":
        for choice in option["values"]:
            if text is not None and fold(choice["name"]) == fold(text):
                return choice["check"]
        raise ValueError("%s takes one of %s" % (option["name"],
                                                 ", ".join(c["name"] for c in option["values"])))
    try:
        number = int(str(text).strip())
    except ValueError:
        number = None
    if number is None or not option["min"] <= number <= option["max"]:
        raise ValueError("%s takes a number from %d to %d" % (option["name"], option["min"], option["max"]))
    return number * option["check"]


def check_of(entry, options):
    """The integer `check` that options such as "level=H" or "gs1;shape=rect"
    add up to; a number is taken as the check value itself."""
    if options is None or (isinstance(options, str) and not options.strip()):
        return 0
    if isinstance(options, (int, float)) and not isinstance(options, bool):
        return int(options)
    if isinstance(options, bool):
        return int(options)
    by_name = {fold(o["name"]): o for o in entry.get("options", [])}
    check = 0
    for item in str(options).replace(",", ";").split(";"):
        if not item.strip():
            continue
        name, _, text = item.partition("=")
        option = by_name.get(fold(name))
        if option is None:
            raise ValueError("%s has no option %r; its options: %s"
                             % (entry["name"], name.strip(), ", ".join(o["name"] for o in entry.get("options", []))
                                or "none"))
        check += _option_value(option, text if "=" in item else None)
    return check


def value_bytes(entry, value):
    """The bytes a cell's value stands for, by the symbology's text rule."""
    if isinstance(value, float) and value.is_integer():
        value = str(int(value))  # a number typed into a cell: its digits
    text = "" if value is None else str(value)  # an empty cell is no text, not "None"
    if entry.get("text", "windows-1252") == "windows-1252":
        data = tavo32._to_bytes(text)
        if data is None:
            raise tavo32.TavoError(tavo32.ILLEGAL_CHARACTER, "")
        return data
    return text.encode("utf-8", "strict")


class Cells:
    """The four functions, on one loaded library and one registry."""

    def __init__(self, library=None, registry=None):
        self.library = library or tavo32.load(library_path())
        self.registry = registry or Registry.load()

    def message(self, error):
        if isinstance(error, tavo32.TavoError):
            return self.library.error_message(error.code) or "error %d" % error.code
        return "ERROR: %s" % error

    def _guard(self, compute):
        try:
            return compute()
        except (tavo32.TavoError, ValueError, UnicodeError) as error:
            return self.message(error)
        except MemoryError:
            return self.library.error_message(32529)

    def tavo(self, symbology, value, options=None):
        """The font string; several lines (LF between them) for 2D symbols."""
        def compute():
            entry = self.registry.symbology(symbology)
            data = self.library.translate(entry["code"], value_bytes(entry, value), check_of(entry, options))
            text = tavo32._to_text(data)
            return text.replace("\r\n", "\n") if entry.get("multi_line") else text
        return self._guard(compute)

    def face(self, symbology, height=None, caption=None):
        """The face to set the string in: "TAVO " and the family's suffix."""
        def compute():
            entry = self.registry.symbology(symbology)
            level = height_of(height)
            # A code printed in another code's font (Code 39 Full ASCII) has that code's faces.
            return self.library.face_name(entry.get("font", entry["code"]), FACE_PREFIX, level, bool(caption))
        return self._guard(compute)

    def check(self, symbology, character):
        """What an input form shows for `character`; "" when it is not allowed."""
        def compute():
            entry = self.registry.symbology(symbology)
            ch = character
            if isinstance(ch, float) and ch.is_integer():
                ch = str(int(ch))
            shown = self.library.char_check(entry["code"], str(ch)) if len(str(ch)) == 1 else None
            return "" if shown is None else shown
        return self._guard(compute)

    def gs1_hri(self, value):
        """The text under a GS1-128 symbol, "(01)...(10)..."."""
        return self._guard(lambda: self.library.gs1_human_readable("" if value is None else str(value)))


def height_of(height):
    if height is None or (isinstance(height, str) and not height.strip()):
        return 0
    if isinstance(height, (int, float)):
        if height in (0, 1, 2):
            return int(height)
    elif height.strip().upper() in ("L", "M", "H"):
        return "LMH".index(height.strip().upper())
    raise ValueError("height is L, M or H (or 0, 1, 2), not %r" % (height,))


def library_path():
    """The copy of the library shipped in the extension for this system."""
    import platform
    import sys
    if sys.platform == "win32":
        sub = "windows-x64" if sys.maxsize > 2 ** 32 else "windows-x86"
        return os.path.join(HERE, "lib", sub, "tavo32.dll")
    return os.path.join(HERE, "lib", "%s-%s" % (sys.platform.rstrip("0123456789"), platform.machine()),
                        "libtavo32.so.3")
