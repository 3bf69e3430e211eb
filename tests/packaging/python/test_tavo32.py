"""The tavo32 Python module against the built library.

Run with TAVO32_LIBRARY naming libtavo32.so and bindings/python on PYTHONPATH.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import tavo32

NUMERIC_MESSAGE = "ERROR: Illegal character for this symbology.  Character must be numeric."


class Gs1(unittest.TestCase):
    def test_human_readable_text_and_check_digit(self):
        self.assertEqual(tavo32.gs1_human_readable("(01)09501101530003(10)A\\(1\\)"),
                         "(01)09501101530003(10)A(1)")
        self.assertEqual(tavo32.gs1_check_digit("0950110153000"), 3)
        self.assertEqual(tavo32.gs1_check_digit("106141411234567897", verify=True), 7)
        for call, code in [(lambda: tavo32.gs1_human_readable("(99999)1"), 32530),
                           (lambda: tavo32.gs1_human_readable("(01)09501101530004"), 32537),
                           (lambda: tavo32.gs1_check_digit("09501101530004", True), 32547),
                           (lambda: tavo32.gs1_check_digit("123"), 32548)]:
            with self.assertRaises(tavo32.TavoError) as caught:
                call()
            self.assertEqual(caught.exception.code, code)


class Translate(unittest.TestCase):
    def test_worked_examples(self):
        cases = [
            ("ean13", "978012345678", False, "+~7ia1c3|EFGHIG*_", "EAN-13, check digit 6, parity ABBABA"),
            (10, "978012345678", False, "+~7ia1c3|EFGHIG*_", "a code gives what its name gives"),
            ("code39ascii", "Code 39", True, "*C+O+D+E_39L*", "shift pairs, _ for space, check L"),
            ("CODE39ASCII", "Code 39", 1, "*C+O+D+E_39L*", "names in any case, check as int"),
        ]
        for symbology, value, check, want, why in cases:
            with self.subTest(why):
                self.assertEqual(tavo32.translate(symbology, value, check), want)

    def test_intelligent_mail_by_name_and_code(self):
        # The published example with an 11-digit routing code.
        bars = "AADTFFDFTDADTAADAATFDTDDAAADDTDTTDAFADADDDTFFFDDTTTADFAAADFTDAADA"
        self.assertEqual(tavo32.translate("imb", "01234567094987654321-01234567891"), bars)
        self.assertEqual(tavo32.translate(13, "01234567094987654321 01234567891"), bars)
        self.assertEqual(tavo32.face_name("imb", prefix="TAVO "), "TAVO IMB")
        with self.assertRaises(tavo32.TavoError) as caught:
            tavo32.translate("imb", "05234567094987654321")
        self.assertEqual(caught.exception.code, 32553)

    def test_font_bytes_above_127_are_windows_1252_characters(self):
        # 'Code 128' in set B: start 232, data, check value 64 (192), stop 234.
        want = bytes([232, 163, 207, 196, 197, 243, 249, 145, 151, 192, 234])
        self.assertEqual(tavo32.translate("code128", b"Code 128"), want)
        text = tavo32.translate("code128", "Code 128")
        self.assertEqual(text, want.decode("cp1252"))
        self.assertIn("\u2018", text, "0x91 is a left single quotation mark")
        self.assertIn("\u2014", text, "0x97 is an em dash")

    def test_code128_function_characters_travel_as_windows_1252(self):
        self.assertEqual(tavo32.translate("code128", tavo32.FNC1 + "0112345"),
                         tavo32.translate("code128", b"\xb90112345").decode("cp1252"))

    def test_long_values_get_a_buffer_large_enough(self):
        # Every lower-case letter is a two-character shift pair, framed by '*'.
        self.assertEqual(tavo32.translate("code39ascii", "a" * 5000), "*" + "+A" * 5000 + "*")

    def test_errors_carry_the_code_and_the_library_message(self):
        cases = [
            ("ean13", "12a", 32507, NUMERIC_MESSAGE),
            (99, "1", 32511, None),
            (-1, "1", 32511, None),
        ]
        for symbology, value, code, message in cases:
            with self.subTest(symbology=symbology, value=value):
                with self.assertRaises(tavo32.TavoError) as caught:
                    tavo32.translate(symbology, value)
                self.assertEqual(caught.exception.code, code)
                self.assertEqual(str(caught.exception), tavo32.error_message(code))
                if message:
                    self.assertEqual(caught.exception.message, message)

    def test_values_the_library_cannot_see_whole_are_refused(self):
        cases = [
            ("A\x00B", "a NUL would end the value after A"),
            (b"A\x00B", "the same as bytes"),
            ("A\u0416", "Cyrillic Zhe has no Windows-1252 byte"),
        ]
        for value, why in cases:
            with self.subTest(why):
                with self.assertRaises(tavo32.TavoError) as caught:
                    tavo32.translate("code39ascii", value)
                self.assertEqual(caught.exception.code, 32505)

    def test_qr_code_text_goes_as_utf8_and_check_is_the_level(self):
        # The same words as a str (sent as UTF-8) and as UTF-8 bytes give the
        # same symbol; the Windows-1252 bytes of the same text another one.
        for words in ("Z\u00fcrich", "\u6771\u4eac"):
            text = tavo32.translate("qr", words)
            self.assertEqual(text.encode("ascii"), tavo32.translate(14, words.encode("utf-8")))
            self.assertEqual(text.count("\r\n") + 1, len(text.splitlines()))
        self.assertNotEqual(tavo32.translate("qr", "Z\u00fcrich").encode("ascii"),
                            tavo32.translate("qr", "Z\u00fcrich".encode("cp1252")))
        # Levels L and H of the same value: H needs the larger symbol.
        self.assertLess(len(tavo32.translate("qr", "x" * 100, 1)), len(tavo32.translate("qr", "x" * 100, 4)))
        with self.assertRaises(tavo32.TavoError) as caught:
            tavo32.translate("qr", "x", 5)
        self.assertEqual(caught.exception.code, 32561)
        with self.assertRaises(tavo32.TavoError) as caught:
            tavo32.translate("qr", b"a" * 2954, 1)
        self.assertEqual(caught.exception.code, 32560)

    def test_unknown_symbology_name(self):
        with self.assertRaises(ValueError):
            tavo32.translate("maxicode", "1")  # "qr", then "aztec", were the example before they came


class NamedOptions(unittest.TestCase):
    """Names, named options and `check` as every surface takes them."""

    def code_of(self, call):
        with self.assertRaises(tavo32.TavoError) as caught:
            call()
        return caught.exception

    def test_named_options_give_the_documented_check(self):
        gs1 = "(01)09501101530003"
        cases = [  # (symbology, value, options, the same translation with an integer check)
            ("qr", "HELLO", {"level": "H"}, ("qr", "HELLO", 4)),
            ("QR-Code", "HELLO", {"LEVEL": "l"}, ("qr", "HELLO", 1)),
            ("qr", "HELLO", {"level": "M"}, ("qr", "HELLO", 0)),
            ("datamatrix", gs1, {"gs1": True, "shape": "rect"}, ("datamatrix", gs1, 3)),
            ("DM", gs1, {"gs1": "on"}, ("datamatrix", gs1, 2)),
            ("data_matrix", "ABC", {"shape": "Rect", "gs1": False}, ("datamatrix", "ABC", 1)),
            ("code39", "ABC", {"check_digit": True}, ("code39", "ABC", 1)),
            ("Code-39", "ABC", {"check": True}, ("code39", "ABC", 1)),
            ("msi", "1234", {"Check-Digit": "yes"}, ("msi", "1234", 1)),
            ("EAN-13", "978012345678", {}, ("ean13", "978012345678", 0)),
            ("ean_13", "978012345678", {}, ("ean13", "978012345678", 0)),
            ("GS1 128", "(01)09501101530003", {}, ("gs1-128", "(01)09501101530003", 0)),
            ("qr", "HELLO", {"check": 4}, ("qr", "HELLO", 4)),
            ("qr", "HELLO", {"check": None}, ("qr", "HELLO", 0)),
            ("14", "HELLO", {"level": "H"}, ("qr", "HELLO", 4)),
        ]
        for symbology, value, options, (name, same_value, check) in cases:
            with self.subTest(symbology=symbology, options=options):
                self.assertEqual(tavo32.translate(symbology, value, **options),
                                 tavo32.translate(name, same_value, check))

    def test_bad_names_and_options_are_errors_that_name_the_valid_ones(self):
        cases = [  # (call, code, words the message must hold)
            (lambda: tavo32.translate("qrcod", "x"), 32511, ["'qrcod'", "did you mean qr"]),
            (lambda: tavo32.translate("maxicode", "1"), 32511, ["ean13", "datamatrix"]),
            (lambda: tavo32.translate("99", "1"), 32511, ["'99'"]),
            (lambda: tavo32.translate("qr", "x", level="Z"), 32561, ["L|M|Q|H", "'Z'"]),
            (lambda: tavo32.translate("qr", "x", levl="H"), 32561, ["did you mean level"]),
            (lambda: tavo32.translate("qr", "x", level="H", LEVEL="L"), 32561, ["twice"]),
            (lambda: tavo32.translate("ean13", "978012345678", check=True), 32561, ["no optional check"]),
            (lambda: tavo32.translate("ean13", "978012345678", gs1=True), 32561, ["has no options"]),
            (lambda: tavo32.translate("code39", "A", check_digit="maybe"), 32561, ["True|False"]),
            (lambda: tavo32.translate("datamatrix", "A", shape=1), 32561, ["square|rect"]),
            # Above 32 bits is an error, never a wrapped level (2**32+4 was H).
            (lambda: tavo32.translate("qr", "x", check=2**32 + 4), 32561, ["32 bits"]),
            (lambda: tavo32.translate("qr", "x", check=-2**31 - 1), 32561, ["32 bits"]),
            # A string check was read as true, level L.
            (lambda: tavo32.translate("qr", "x", check="H"), 32561, ["level=L|M|Q|H"]),
        ]
        for call, code, words in cases:
            with self.subTest(words=words):
                error = self.code_of(call)
                self.assertEqual(error.code, code)
                self.assertIsInstance(error, ValueError)
                for word in words:
                    self.assertIn(word, error.message)

    def test_text_rule_of_each_symbology(self):
        cases = [  # (symbology, str value, the bytes it goes as, or an error code)
            ("datamatrix", "\u6771\u4eac", "\u6771\u4eac".encode("utf-8")),  # was 32505
            ("datamatrix", "Z\u00fcrich", "Z\u00fcrich".encode("utf-8")),
            ("qr", "\u6771\u4eac", "\u6771\u4eac".encode("utf-8")),
            ("code128", tavo32.FNC1 + "01", b"\xb901"),
            ("code39ascii", "A\u0416", 32505),
        ]
        for symbology, text, want in cases:
            with self.subTest(symbology=symbology, text=text):
                if isinstance(want, int):
                    self.assertEqual(self.code_of(lambda: tavo32.translate(symbology, text)).code, want)
                else:
                    self.assertEqual(tavo32.translate(symbology, text),
                                     tavo32._to_text(tavo32.translate(symbology, want)))

    def test_every_symbology_is_known_by_name_alias_and_code(self):
        for row in tavo32.REGISTRY:
            for name in [row["name"]] + row["aliases"]:
                with self.subTest(name=name):
                    self.assertEqual(tavo32.symbology_info(name.upper())["code"], row["code"])
            self.assertIs(tavo32.symbology_info(row["code"]), row)
            # Every symbology has a face, through the code whose font prints it.
            self.assertEqual(tavo32.face_name(row["name"]), tavo32.face_name(row["font"]))
        self.assertEqual(tavo32.face_name("code39ascii", height="H"), "TAVO 39 H")

    def test_digital_link_pair_or_a_clear_error(self):
        library = tavo32.load()
        if not hasattr(library._dll, "BC_GS1DigitalLink"):
            error = self.code_of(lambda: tavo32.gs1_digital_link("(01)09501101530003"))
            self.assertIsInstance(error, tavo32.TavoUnavailable)
            self.assertIn("has no Digital Link", error.message)
            self.assertIn("ordinal 17", error.message)
            print("\nDigital Link: this library lacks ordinals 17/18; only their error is tested",
                  file=sys.stderr)
            return
        uri = tavo32.gs1_digital_link("(01)09501101530003(10)AB1", "https://example.com")
        self.assertTrue(uri.startswith("https://example.com/01/09501101530003"), uri)
        self.assertEqual(tavo32.gs1_from_digital_link(uri), "(01)09501101530003(10)AB1")

    def test_digital_link_vectors_through_the_binding(self):
        """The GS1 Barcode Syntax Engine's vectors (data/gs1/digital-link-*.tsv,
        Apache-2.0), as the C suite runs them, through Python."""
        if not hasattr(tavo32.load()._dll, "BC_GS1DigitalLink"):
            self.skipTest("this library lacks ordinals 17/18")
        data = os.path.join(os.path.dirname(__file__), "..", "..", "..", "data", "gs1")

        def rows(name):
            with open(os.path.join(data, name), encoding="utf-8") as f:
                for line in f:
                    if line.startswith("#") or not line.strip("\n"):
                        continue
                    yield line.rstrip("\n").split("\t")

        for verdict, stem, value, uri in rows("digital-link-generate.tsv"):
            with self.subTest(value=value):
                if verdict == "ok":
                    self.assertEqual(tavo32.gs1_digital_link(value, stem or None), uri)
                else:
                    self.assertIsInstance(self.code_of(lambda: tavo32.gs1_digital_link(value, stem or None)),
                                          tavo32.TavoError)
        for fields in rows("digital-link-parse.tsv"):
            verdict, uri, caret = (fields + ["", ""])[:3]
            with self.subTest(uri=uri):
                if verdict == "ok":
                    # The vectors write FNC1 as '^'; our bracketed form, without
                    # its parentheses, holds the same AIs and data.
                    got = tavo32.gs1_from_digital_link(uri)
                    self.assertEqual(got.replace("(", "").replace(")", ""), caret.replace("^", ""))
                else:
                    self.assertIsInstance(self.code_of(lambda: tavo32.gs1_from_digital_link(uri)),
                                          tavo32.TavoError)


class FontSupport(unittest.TestCase):
    def test_face_names(self):
        self.assertEqual(tavo32.face_name("ean13", prefix="TAVO "), "TAVO UPC EAN JAN")
        self.assertEqual(tavo32.face_name(2, prefix="TV ", height=2, caption=True), "TV I2of5 HC")
        self.assertEqual(tavo32.face_name("code93", prefix="", height="M", caption=True), "93 MC")
        self.assertEqual(tavo32.face_name("code93", height="M", caption=True), "TAVO 93 MC",
                         "the installed family's prefix by default")
        with self.assertRaises(tavo32.TavoError) as caught:
            tavo32.face_name(-1)
        self.assertEqual(caught.exception.code, 32511)

    def test_char_check(self):
        # Each code by its own rule, except one without faces of its own.
        self.assertIsNone(tavo32.char_check("gs1-128", "#"))
        self.assertEqual(tavo32.char_check("code128", "#"), "#")
        self.assertEqual(tavo32.char_check("code39ascii", "C"), "C")
        cases = [
            (11, 65, False, "A", "a plain character shows as itself"),
            (11, 1, True, "<SOH>  Alt 001", "label, two spaces, Alt code"),
            (11, 185, True, "<FNC1> Alt 0185", "FNC1 typed as Alt 0185"),
            (11, tavo32.FNC1, False, "<FNC1>", "a one-character str names the byte"),
            (11, 199, False, None, "NUL as data is not offered to input forms"),
            (3, "a", False, None, "Codabar has no lower case"),
            (11, "\u0416", False, None, "no Windows-1252 byte"),
            # Code 0 prints in the Code 39 faces: checked as code 1 (it
            # refused every character).
            (0, "A", False, "A", "code39ascii through its font's code"),
            ("code39ascii", "*", False, "*", "by name too"),
        ]
        for symbology, ch, alt, want, why in cases:
            with self.subTest(why):
                self.assertEqual(tavo32.char_check(symbology, ch, alt), want)


class Queries(unittest.TestCase):
    def test_error_message(self):
        self.assertEqual(tavo32.error_message(32507), NUMERIC_MESSAGE)

    def test_versions(self):
        self.assertEqual(tavo32.version(), (3, 1, 8))
        self.assertEqual(tavo32.translation_version(), 9611080)

    def test_windows_1252_table_matches_the_code_page(self):
        for b in range(256):
            try:
                want = bytes([b]).decode("cp1252")
            except UnicodeDecodeError:
                want = chr(b)  # unassigned in the code page: Windows keeps the number
            with self.subTest(byte=b):
                self.assertEqual(tavo32._BYTE_TO_CHAR[b], want)


class Loading(unittest.TestCase):
    def setUp(self):
        self.library = os.path.realpath(os.environ["TAVO32_LIBRARY"])
        self.module = os.path.realpath(tavo32.__file__)
        self.dir = tempfile.mkdtemp(prefix="tavo32_py_")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def run_python(self, code, cwd, env_library=None):
        env = {k: v for k, v in os.environ.items() if k not in ("TAVO32_LIBRARY", "PYTHONPATH")}
        if env_library is not None:
            env["TAVO32_LIBRARY"] = env_library
        return subprocess.run([sys.executable, "-c", code], cwd=cwd, env=env,
                              capture_output=True, text=True)

    def test_explicit_path(self):
        library = tavo32.load(self.library)
        self.assertEqual(library.translate("ean8", "9638507"), tavo32.translate("ean8", "9638507"))
        self.assertEqual(tavo32.load(os.path.dirname(self.library)).version(), (3, 1, 8))

    def test_found_next_to_the_module(self):
        shutil.copy(self.module, self.dir)
        shutil.copy(self.library, os.path.join(self.dir, "libtavo32.so.3"))
        done = self.run_python(
            "import tavo32; print(tavo32.load().path); print(tavo32.translate(0, 'A1'))", self.dir)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(done.stdout.split(),
                         [os.path.join(self.dir, "libtavo32.so.3"), "*A1*"])

    def test_found_in_the_installed_library_directory(self):
        python_dir = os.path.join(self.dir, "lib", "tavo32", "python")
        os.makedirs(python_dir)
        shutil.copy(self.module, python_dir)
        shutil.copy(self.library, os.path.join(self.dir, "lib", "libtavo32.so.3"))
        done = self.run_python("import tavo32; print(tavo32.load().path)", python_dir)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(os.path.realpath(done.stdout.strip()),
                         os.path.join(self.dir, "lib", "libtavo32.so.3"))

    def test_a_named_library_that_does_not_load_is_not_replaced(self):
        shutil.copy(self.module, self.dir)
        shutil.copy(self.library, os.path.join(self.dir, "libtavo32.so.3"))
        missing = os.path.join(self.dir, "nowhere", "libtavo32.so.3")
        done = self.run_python("import tavo32; tavo32.load()", self.dir, env_library=missing)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn("cannot load the TAVO32 library", done.stderr)
        self.assertIn(missing, done.stderr)


if __name__ == "__main__":
    unittest.main()
