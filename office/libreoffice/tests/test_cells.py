#!/usr/bin/python3
"""The Calc functions' own logic (ext/pythonpath/tavo32_cells.py) with the
built library and the registry `tavo list --json` prints, without an office.

    test_cells.py BUILD_DIR
"""

import json
import os
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, os.pardir, "ext", "pythonpath"))
sys.path.insert(0, os.path.join(HERE, os.pardir, os.pardir, os.pardir, "bindings", "python"))
import tavo32  # noqa: E402
import tavo32_cells  # noqa: E402

BUILD = None


class CellsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        description = subprocess.run([os.path.join(BUILD, "bin", "tavo"), "list", "--json"],
                                     capture_output=True, check=True).stdout
        cls.registry = tavo32_cells.Registry(json.loads(description))
        cls.cells = tavo32_cells.Cells(tavo32.load(os.path.join(BUILD, "bin")), cls.registry)

    def test_symbology_names(self):
        # (what a cell holds, the code it names)
        for given, code in [("ean13", 10), ("EAN-13", 10), ("jan_13", 10), ("QR Code", 14), ("qrcode", 14),
                            (14, 14), (14.0, 14), ("14", 14), (" 0 ", 0), ("Code39 Full ASCII", 0),
                            ("GS1 DataMatrix", 15), ("Intelligent-Mail", 13)]:
            with self.subTest(given=given):
                self.assertEqual(self.registry.symbology(given)["code"], code)
        for given in ["nosuch", "", 99, 14.5, "ean 13 x"]:
            with self.subTest(given=given):
                self.assertRaises(ValueError, self.registry.symbology, given)

    def test_options_add_up_to_check(self):
        # (symbology, options text, check): the contributions the registry gives
        for symbology, options, check in [
                ("qr", "", 0), ("qr", None, 0), ("qr", "level=H", 4), ("qr", "Level = l", 1),
                ("qr", "LEVEL=q;", 3), ("datamatrix", "gs1;shape=rect", 3), ("datamatrix", "shape=square", 0),
                ("datamatrix", "gs1=off", 0), ("datamatrix", "gs1=yes, shape=rect", 3),
                ("code39", "check_digit", 1), ("code39", "Check-Digit=on", 1), ("code39", "check digit=0", 0),
                ("qr", 4, 4), ("qr", 2.0, 2), ("code39", True, 1)]:
            with self.subTest(symbology=symbology, options=options):
                self.assertEqual(tavo32_cells.check_of(self.registry.symbology(symbology), options), check)

    def test_bad_options_are_errors(self):
        for symbology, options in [("qr", "level=Z"), ("qr", "level"), ("code128", "level=H"),
                                   ("code39", "check_digit=maybe"), ("datamatrix", "shape=round")]:
            with self.subTest(symbology=symbology, options=options):
                self.assertRaises(ValueError, tavo32_cells.check_of, self.registry.symbology(symbology), options)
                self.assertTrue(self.cells.tavo(symbology, "1", options).startswith("ERROR: "))

    def test_translations(self):
        # (symbology, value, options, the font string the library gives for the
        # same bytes and check, or None for the library's error message)
        lib = self.cells.library
        for symbology, value, options, data, check in [
                ("ean13", "590123412345", "", b"590123412345", 0),
                ("ean13", 590123412345.0, "", b"590123412345", 0),  # a number typed in a cell
                ("code128", "Tab\tend", "", b"Tab\tend", 0),
                ("code39ascii", "Zo\u00e9"[:2], "", b"Zo", 0),
                ("qr", "Zürich", "level=H", "Zürich".encode("utf-8"), 4),
                ("datamatrix", "Zürich 東京", "", "Zürich 東京".encode("utf-8"), 0),
                ("code39", "CODE", "check_digit", b"CODE", 1)]:
            with self.subTest(symbology=symbology, value=value):
                entry = self.registry.symbology(symbology)
                want = tavo32._to_text(lib.translate(entry["code"], data, check))
                if entry["multi_line"]:
                    self.assertIn("\r\n", want)
                    want = want.replace("\r\n", "\n")
                self.assertEqual(self.cells.tavo(symbology, value, options), want)

    def test_errors_are_the_library_messages(self):
        lib = self.cells.library
        for symbology, value, code in [("ean13", "12x", 32507), ("code128", "東京", 32505),
                                       ("ean13", "", None)]:
            with self.subTest(symbology=symbology, value=value):
                got = self.cells.tavo(symbology, value)
                self.assertIn(got, self.registry.errors.values())
                if code:
                    self.assertEqual(got, lib.error_message(code))

    def test_faces(self):
        for symbology, height, caption, face in [
                ("code128", None, None, "TAVO 128 L"), ("code128", "m", 0, "TAVO 128 M"),
                ("code128", 2, True, "TAVO 128 HC"), ("code39ascii", "H", 1, "TAVO 39 HC"),
                ("ean13", "M", 0, "TAVO UPC EAN JAN"), ("qr", None, None, "TAVO QR")]:
            with self.subTest(symbology=symbology, height=height):
                self.assertEqual(self.cells.face(symbology, height, caption), face)
        self.assertTrue(self.cells.face("code128", "X").startswith("ERROR"))

    def test_char_check_and_gs1(self):
        self.assertEqual(self.cells.check("code39", "A"), "A")
        self.assertEqual(self.cells.check("ean13", "x"), "")
        self.assertEqual(self.cells.check("ean13", 7.0), "7")
        self.assertEqual(self.cells.check("ean13", "12"), "")
        self.assertEqual(self.cells.gs1_hri("(01)09501101530003(10)AB12"), "(01)09501101530003(10)AB12")
        self.assertTrue(self.cells.gs1_hri("(99").startswith("ERROR"))

    def test_an_empty_cell_is_no_text(self):
        for symbology in ["code128", "qr", "ean13"]:
            with self.subTest(symbology=symbology):
                self.assertEqual(self.cells.tavo(symbology, None), self.cells.tavo(symbology, ""))
        self.assertEqual(self.cells.gs1_hri(None), self.cells.gs1_hri(""))

    def test_nothing_raises(self):
        for args in [(None, None, None), (True, 1.5, []), ("qr", None, None), ("qr", "x" * 20000, None)]:
            with self.subTest(args=args):
                self.assertIsInstance(self.cells.tavo(*args), str)


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=1)
