"""The UNO side of the Calc functions: a Calc add-in written in Python.

Calc calls the methods of org.tavo32.calc.XTavo32 (XTavo32.idl) for the
cells; tavo32_cells does the work.  XAddIn gives Calc the names a user
types, TAVO, TAVOFACE, TAVOCHECK and TAVOGS1HRI, and their help.
"""

import unohelper
from com.sun.star.lang import XLocalizable, XServiceInfo, XServiceName
from com.sun.star.sheet import XAddIn
from org.tavo32.calc import XTavo32

IMPLEMENTATION = "org.tavo32.calc.Tavo32"
SERVICES = ("com.sun.star.sheet.AddIn", IMPLEMENTATION)

# programmatic name: (display name, description, (argument, help)...)
FUNCTIONS = {
    "tavo": ("TAVO", "The text that, set in the TAVO bar code font, prints the symbol.",
             ("symbology", "A name such as ean13, code128, qr, or a code number"),
             ("value", "The data to encode"),
             ("options", "Optional: named options such as \"level=H\" or \"gs1;shape=rect\"")),
    "tavoface": ("TAVOFACE", "The name of the font face to set the TAVO text in.",
                 ("symbology", "A name such as ean13, code128, qr, or a code number"),
                 ("height", "Optional: L, M or H (the bar height)"),
                 ("caption", "Optional: TRUE for the face that prints the text under the bars")),
    "tavocheck": ("TAVOCHECK", "What an input form shows for a character; empty when not allowed.",
                  ("symbology", "A name such as ean13, code128, qr, or a code number"),
                  ("character", "One character")),
    "tavogs1hri": ("TAVOGS1HRI", "The text printed under a GS1-128 symbol, such as (01)...(10)...",
                   ("value", "The GS1-128 value")),
}


def _given(value):
    """An omitted optional argument comes as void (None); keep it None."""
    return None if value is None or type(value).__name__ == "Any" and value.value is None else value


class Tavo32AddIn(unohelper.Base, XTavo32, XAddIn, XServiceName, XServiceInfo, XLocalizable):
    def __init__(self, ctx):
        self.ctx = ctx
        self.locale = None
        self._cells = None

    def cells(self):
        if self._cells is None:
            # Imported here, not at registration: a library that fails to
            # load shows its message in the cells instead of failing the install.
            import tavo32_cells
            self._cells = tavo32_cells.Cells()
        return self._cells

    def _run(self, method, *args):
        try:
            return getattr(self.cells(), method)(*[_given(a) for a in args])
        except Exception as error:  # a cell shows the fault; Calc never sees an exception
            return "ERROR: %s" % error

    # XTavo32: what the cells call.
    def tavo(self, symbology, value, options):
        return self._run("tavo", symbology, value, options)

    def tavoface(self, symbology, height, caption):
        return self._run("face", symbology, height, caption)

    def tavocheck(self, symbology, character):
        return self._run("check", symbology, character)

    def tavogs1hri(self, value):
        return self._run("gs1_hri", value)

    # XAddIn: the names and help Calc's function wizard shows.
    def getProgrammaticFuntionName(self, display):
        for name, info in FUNCTIONS.items():
            if info[0] == display.upper():
                return name
        return ""

    def getDisplayFunctionName(self, name):
        return FUNCTIONS[name][0] if name in FUNCTIONS else ""

    def getFunctionDescription(self, name):
        return FUNCTIONS[name][1] if name in FUNCTIONS else ""

    def _argument(self, name, index, part):
        arguments = FUNCTIONS.get(name, ("", ""))[2:]
        return arguments[index][part] if 0 <= index < len(arguments) else ""

    def getDisplayArgumentName(self, name, index):
        return self._argument(name, index, 0)

    def getArgumentDescription(self, name, index):
        return self._argument(name, index, 1)

    def getProgrammaticCategoryName(self, name):
        return "Add-In"

    def getDisplayCategoryName(self, name):
        return "Add-In"

    # XServiceName, XServiceInfo, XLocalizable.
    def getServiceName(self):
        return IMPLEMENTATION

    def getImplementationName(self):
        return IMPLEMENTATION

    def supportsService(self, name):
        return name in SERVICES

    def getSupportedServiceNames(self):
        return SERVICES

    def setLocale(self, locale):
        self.locale = locale

    def getLocale(self):
        return self.locale


g_ImplementationHelper = unohelper.ImplementationHelper()
g_ImplementationHelper.addImplementation(Tavo32AddIn, IMPLEMENTATION, SERVICES)
