"""The declarations of the VBA, C# and Python bindings against res/tavo32.def.

The 32-bit export names carry the stdcall decoration NAME@bytes: every
argument of every export is 4 bytes on 32-bit Windows (a 32-bit integer or an
address), so a declaration must name an export and take bytes/4 arguments.
The Windows-1252 tables of the bindings are checked against Python's codec.
Runs without the library: python3 tests/packaging/check_bindings.py
"""
import os
import re
import sys
import unittest

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir))


def read(*parts, mode="r"):
    with open(os.path.join(ROOT, *parts), mode) as f:
        return f.read()


def def_exports():
    """{name: (argument bytes, ordinal)} from res/tavo32.def."""
    exports = {}
    for line in read("res", "tavo32.def").splitlines():
        m = re.match(r"\s+([A-Za-z_]\w*)@(\d+)\s+@(\d+)\s*$", line)
        if m:
            exports[m.group(1)] = (int(m.group(2)), int(m.group(3)))
    return exports


# Exports after the first sixteen that the bindings declare before the
# definitions file lists them: {name: (argument bytes, ordinal)}.  Calling
# one in a library without it is a clear error in every binding.
LATER_EXPORTS = {"BC_GS1DigitalLink": (20, 17), "BC_GS1FromDigitalLink": (16, 18)}


def known_exports():
    """The exports of res/tavo32.def, and the later ones it does not list yet."""
    exports = def_exports()
    for name, (arg_bytes, ordinal) in LATER_EXPORTS.items():
        if name in exports:
            assert exports[name] == (arg_bytes, ordinal), "%s: the definitions file and LATER_EXPORTS differ" % name
        exports.setdefault(name, (arg_bytes, ordinal))
    return exports


def cp1252_expected():
    table = []
    for b in range(0x80, 0xA0):
        try:
            table.append(ord(bytes([b]).decode("cp1252")))
        except UnicodeDecodeError:
            table.append(b)  # unassigned: Windows keeps the number
    return table


class Definitions(unittest.TestCase):
    def test_the_def_lists_seventeen_exports_with_distinct_ordinals(self):
        exports = def_exports()
        self.assertEqual(len(exports), 17)
        self.assertEqual(sorted(o for _, o in exports.values()), [1, 2, 3] + list(range(5, 19)))


class Vba(unittest.TestCase):
    def setUp(self):
        self.raw = read("bindings", "vba", "Tavo32.bas", mode="rb")
        text = self.raw.decode("ascii").replace("\r\n", "\n")
        self.text = re.sub(r" _\n\s*", " ", text)  # join continued lines
        self.exports = known_exports()

    def branch(self, which):
        m = re.search(r"^#If VBA7 Then\n(.*?)^#Else\n(.*?)^#End If", self.text, re.M | re.S)
        self.assertIsNotNone(m, "declarations stand in #If VBA7 ... #Else ... #End If")
        return m.group(1 if which == "VBA7" else 2)

    def declares(self, block):
        found = {}
        for line in block.splitlines():
            if 'Lib "tavo32.dll"' not in line:
                continue
            m = re.match(r'Private Declare (PtrSafe )?Function (\w+) Lib "tavo32\.dll"'
                         r'(?: Alias "([^"]+)")? \((.*)\) As Long$', line)
            self.assertIsNotNone(m, "unexpected Declare: " + line)
            params = [p.strip() for p in m.group(4).split(",") if p.strip()]
            found[m.group(2)] = (bool(m.group(1)), m.group(3), params)
        return found

    def test_module_is_ascii_and_names_itself(self):
        self.assertTrue(self.raw.isascii(), "the VBA editor reads modules in the ANSI code page")
        self.assertTrue(self.text.startswith('Attribute VB_Name = "Tavo32"\n'))

    def test_both_branches_declare_the_same_functions(self):
        vba7, vba6 = self.declares(self.branch("VBA7")), self.declares(self.branch("VBA6"))
        self.assertEqual(len(vba7), 12)
        self.assertEqual(sorted(vba7), sorted(vba6))
        for name in vba7:
            with self.subTest(name):
                self.assertTrue(vba7[name][0], "VBA7 declarations are PtrSafe")
                self.assertFalse(vba6[name][0], "VBA6 knows no PtrSafe")
                # The same, but that an address passed by value is a LongPtr in VBA7.
                self.assertEqual(vba7[name][1], vba6[name][1])
                self.assertEqual([p.replace("As LongPtr", "As Long") for p in vba7[name][2]], vba6[name][2])

    def test_declarations_match_the_exports(self):
        for branch, address in (("VBA7", "LongPtr"), ("VBA6", "Long")):
            declared = self.declares(self.branch(branch))
            self.assertEqual(set(declared), {n for n in self.exports if not n.startswith("BC_Font_ERR")},
                             "the VBA binding declares every function export")
            for name, (_, alias, params) in declared.items():
                with self.subTest(branch=branch, name=name):
                    arg_bytes, ordinal = self.exports[name]
                    # The VBA editor re-cases identifiers; an Alias keeps the
                    # export's exact name (else error 453).
                    self.assertEqual(alias, name, "every Declare is pinned with Alias \"%s\"" % name)
                    self.assertEqual(4 * len(params), arg_bytes)
                    for p in params:
                        self.assertRegex(p, r"^(ByVal \w+ As (Long|%s)|ByRef \w+ As (Byte|Long))$" % address,
                                         "32-bit integers and addresses only")

    def test_stored_with_crlf_as_is(self):
        # A raw download must import: the repository itself holds CRLF.
        self.assertNotIn(b"\n", self.raw.replace(b"\r\n", b""), "every line ends in CR LF")
        attributes = read("bindings", "vba", ".gitattributes")
        self.assertRegex(attributes, r"(?m)^\*\.bas\s+-text\s*$", "git keeps the bytes (-text)")

    def test_the_dll_can_be_loaded_by_full_path(self):
        for branch, ptr in (("VBA7", "LongPtr"), ("VBA6", "Long")):
            with self.subTest(branch):
                self.assertRegex(self.branch(branch),
                                 r'Private Declare (PtrSafe )?Function LoadLibraryW Lib "kernel32" '
                                 r'Alias "LoadLibraryW" \(\s*ByVal \w+ As %s\) As %s\n' % (ptr, ptr))
        self.assertIn("Public Function TavoLoadLibrary(", self.text)

    def test_faces_and_checks_go_through_the_font_code(self):
        # Faces through the font's code; the character check only for a code
        # without faces of its own (GS1-128 keeps the GS1 rule, not Code 128's).
        self.assertIn("BC_FontGetFaceName(prefixBytes(0), FontCode(SymbologyCode(Symbology))", self.text)
        self.assertIn("BC_CharCheck(RegistryCheckCode(SymbologyCode(Symbology))", self.text)
        self.assertIn("If RegistryRow(sym, fontOf, textRule, optionList, rowName) Then FontCode = fontOf", self.text)

    def test_header_symbology_constants_have_vba_constants(self):
        header = dict((int(v), n) for n, v in re.findall(r"\b(BC_SYM_\w+) = (\d+)", read("include", "tavo32.h")))
        constants = {int(v): n for n, v in re.findall(r"^Public Const (TAVO_\w+) As Long = (\d+)", self.text, re.M)}
        self.assertTrue(header)
        for code, name in sorted(header.items()):
            with self.subTest(name):
                self.assertIn(code, constants, "VBA: no constant for %s = %d" % (name, code))

    def test_named_functions_take_the_registry_options(self):
        rows = {r["code"]: r for r in registry_rows()}
        cases = [  # (function, parameter, option it feeds, symbology code)
            ("TavoQR", "Level", "level", 14),
            ("TavoDataMatrix", "Shape", "shape", 15),
            ("TavoDataMatrix", "Gs1", "gs1", 15),
        ]
        for function, parameter, option, code in cases:
            with self.subTest(function=function, parameter=parameter):
                m = re.search(r"^Public Function %s\((.*?)\) As Variant$" % function, self.text, re.M)
                self.assertIsNotNone(m, "VBA: %s is missing" % function)
                info = next((o for o in rows[code]["options"] if o["name"] == option), None)
                self.assertIsNotNone(info, "the registry has no option %s for code %d" % (option, code))
                default = re.search(r"Optional ByVal %s As Variant = ([^,\s]+)" % parameter, m.group(1)).group(1)
                want = '"%s"' % info["default"] if info["type"] == "choice" else "False"
                self.assertEqual(default, want, "VBA: %s's %s defaults as the registry does" % (function, parameter))
                self.assertRegex(self.text, r'"%s=' % option)

    def test_public_functions_take_variants(self):
        # An Access field with no value is Null: a String or Boolean
        # parameter raises error 94 before the function runs.
        for name, params in re.findall(r"^Public Function (\w+)\((.*?)\)(?: As \w+)?$", self.text, re.M):
            for p in filter(None, (p.strip() for p in params.split(","))):
                with self.subTest(name=name, param=p):
                    if "ErrorCode" not in p:
                        self.assertRegex(p, r"As Variant( = .*)?$")

    def test_windows_1252_table(self):
        rows = re.findall(r"Case &H([0-9A-F]{2})&: Cp1252Char = &H([0-9A-F]+)&", self.text)
        self.assertEqual([int(b, 16) for b, _ in rows], list(range(0x80, 0xA0)))
        self.assertEqual([int(c, 16) for _, c in rows], cp1252_expected())


def registry_rows():
    """The symbologies of `tavo list --json` when TAVO_CLI names the tool,
    else the table generated into the Python binding."""
    tool = os.environ.get("TAVO_CLI")
    if tool:
        import json
        import subprocess
        out = subprocess.run([tool, "list", "--json"], check=True, capture_output=True).stdout
        return json.loads(out.decode("utf-8"))["symbologies"]
    sys.path.insert(0, os.path.join(ROOT, "bindings", "python"))
    import tavo32
    return tavo32.REGISTRY


def normal(name):
    return "".join(c for c in name.lower() if c not in "-_. ")


class VbaTables(unittest.TestCase):
    """The VBA module's constants and name lists against the registry, so
    that a symbology, alias or option added there fails here naming VBA."""

    def setUp(self):
        self.text = read("bindings", "vba", "Tavo32.bas", mode="rb").decode("ascii").replace("\r\n", "\n")
        self.rows = registry_rows()

    def test_every_symbology_has_its_constant_names_font_and_text_rule(self):
        rules = ["windows-1252", "utf-8-eci", "utf-8"]
        for row in self.rows:
            with self.subTest(row["name"]):
                const = "TAVO_" + re.sub(r"[^A-Z0-9]", "_", row["name"].upper())
                self.assertRegex(self.text, r"(?m)^Public Const %s As Long = %d\b" % (const, row["code"]),
                                 "VBA lacks the constant of %s" % row["name"])
                m = re.search(r'(?m)^    Case ((?:"[a-z0-9]+"(?:, )?)+): RegistryCode = %d$' % row["code"], self.text)
                self.assertIsNotNone(m, "VBA: RegistryCode does not know %s" % row["name"])
                self.assertEqual(set(re.findall(r'"([a-z0-9]+)"', m.group(1))),
                                 {normal(row["name"])} | set(row["aliases"]), "VBA: names of %s" % row["name"])
                self.assertRegex(self.text, r'(?m)^    Case %d: fontOf = %d: textRule = %d: .*rowName = "%s"$'
                                 % (row["code"], row["font"], rules.index(row["text"]), re.escape(row["name"])))

    def test_every_option_and_value_maps_to_its_check(self):
        for row in self.rows:
            if not row["options"]:
                continue
            m = re.search(r"(?ms)^    Case %d\n        Select Case optionName\n(.*?)^        End Select\n"
                          % row["code"], self.text)
            self.assertIsNotNone(m, "VBA: no options of %s" % row["name"])
            block = m.group(1)
            for o in row["options"]:
                with self.subTest(symbology=row["name"], option=o["name"]):
                    if o["type"] == "flag":
                        self.assertIn('Case "%s": RegistryOptionCheck = FlagCheck(optionValue, %d)'
                                      % (normal(o["name"]), o["check"]), block)
                    elif o["type"] == "number":
                        self.assertIn('Case "%s": RegistryOptionCheck = NumberCheck(optionValue, %d, %d, %d)'
                                      % (normal(o["name"]), o["min"], o["max"], o["check"]), block)
                    else:
                        for v in o["values"]:
                            self.assertIn('Case "%s": RegistryOptionCheck = %d' % (normal(v["name"]), v["check"]),
                                          block)


class Tables(unittest.TestCase):
    def test_the_three_bindings_hold_the_same_generated_table(self):
        # The table inside the Python binding, written again into all three:
        # a hand edit of any one of them shows here, even without the tool.
        sys.path.insert(0, os.path.join(ROOT, "bindings"))
        sys.path.insert(0, os.path.join(ROOT, "bindings", "python"))
        import generate_tables
        import tavo32
        table = {"version": tavo32.REGISTRY_VERSION, "symbologies": tavo32.REGISTRY}
        for binding, path, text in generate_tables.outputs(table):
            with self.subTest(binding):
                self.assertEqual(read(path, mode="rb").decode("utf-8"), text,
                                 "the %s binding's generated tables were edited by hand" % binding)


class DotNet(unittest.TestCase):
    def setUp(self):
        self.text = read("bindings", "dotnet", "Tavo32.cs")

    def test_declarations_match_the_exports(self):
        exports = known_exports()
        found = re.findall(r"\[DllImport\(Library, CallingConvention = Convention, ExactSpelling = true\)\]"
                           r"\s*public static extern int (\w+)\(([^)]*)\);", self.text)
        self.assertEqual(len(found), 12)
        self.assertEqual(len(found), self.text.count("[DllImport(Library"), "every DllImport has that form")
        self.assertIn("private const CallingConvention Convention = CallingConvention.Winapi;", self.text)
        for name, params in found:
            with self.subTest(name):
                self.assertIn(name, exports)
                count = len([p for p in params.split(",") if p.strip()])
                self.assertEqual(4 * count, exports[name][0])
                self.assertNotIn("string", params, "text crosses as byte arrays")

    def test_windows_1252_table(self):
        m = re.search(r"Cp1252From80 = \{(.*?)\};", self.text, re.S)
        codes = [int(c, 16) for c in re.findall(r"'\\u([0-9A-F]{4})'", m.group(1))]
        self.assertEqual(codes, cp1252_expected())


class Python(unittest.TestCase):
    def test_declarations_match_the_exports(self):
        exports = known_exports()
        sys.path.insert(0, os.path.join(ROOT, "bindings", "python"))
        import tavo32
        m = re.search(r"signatures = \{(.*?)\n        \}", read("bindings", "python", "tavo32.py"), re.S)
        rows = re.findall(r'"(\w+)": \[([^\]]*)\]', m.group(1))
        self.assertEqual(len(rows), 12)
        self.assertEqual({n for n, _ in rows} - set(def_exports()), set(LATER_EXPORTS) - set(def_exports()))
        self.assertEqual(set(tavo32._LATER_EXPORTS), set(LATER_EXPORTS))
        for name, params in rows:
            with self.subTest(name):
                self.assertIn(name, exports)
                count = len([p for p in params.split(",") if p.strip()])
                self.assertEqual(4 * count, exports[name][0])
        self.assertEqual([ord(tavo32._BYTE_TO_CHAR[b]) for b in range(0x80, 0xA0)], cp1252_expected())


class IntelligentMail(unittest.TestCase):
    """Code 13 by name in every binding, and the VBA worksheet function."""

    def test_every_binding_knows_imb(self):
        self.assertRegex(read("bindings", "python", "tavo32.py"), r'"code": 13, .*"name": "imb",')
        self.assertRegex(read("bindings", "dotnet", "Tavo32.cs"), r"\bImb = 13,")
        vba = read("bindings", "vba", "Tavo32.bas", mode="rb").decode("ascii")
        self.assertRegex(vba, r'Case "imb", [^\r]*: RegistryCode = 13\r\n')
        self.assertRegex(vba, r"Public Function TavoIMb\(ByVal Tracking As Variant, Optional ByVal Routing As Variant")


if __name__ == "__main__":
    unittest.main()
