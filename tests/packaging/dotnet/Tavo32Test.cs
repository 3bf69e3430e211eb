// The C# binding against the built library, run with Mono: compiled together
// with bindings/dotnet/Tavo32.cs, with libtavo32.so on LD_LIBRARY_PATH.
using System;
using System.IO;
using System.Reflection;
using System.Runtime.InteropServices;
using Tavo32;

static class Tavo32Test
{
    static int passed, failed;

    static void Check(bool ok, string why)
    {
        if (ok) { ++passed; return; }
        ++failed;
        Console.Error.WriteLine("FAILED: " + why);
    }

    static void Equal(string want, string got, string why)
    {
        Check(want == got, why + ": want \"" + want + "\", got \"" + got + "\"");
    }

    // The code of the TavoException that `action` throws, or 0.
    static int CodeOf(Action action)
    {
        try { action(); }
        catch (TavoException e)
        {
            Check(e.Message == Tavo.ErrorMessage(e.Code), "the exception carries the library's message");
            return e.Code;
        }
        return 0;
    }

    struct Case
    {
        public int Symbology; public string Value; public bool Check; public string Want; public string Why;
    }

    static void Translations()
    {
        Case[] cases = {
            new Case { Symbology = 10, Value = "978012345678", Want = "+~7ia1c3|EFGHIG*_",
                       Why = "EAN-13, check digit 6, parity ABBABA" },
            new Case { Symbology = 0, Value = "Code 39", Check = true, Want = "*C+O+D+E_39L*",
                       Why = "Code 39 Full ASCII shift pairs and check character L" },
            // 'Code 128': bytes 232 163 207 196 197 243 249 145 151 192 234;
            // 145 and 151 are Windows-1252 quotation mark and em dash.
            new Case { Symbology = 11, Value = "Code 128",
                       Want = "\u00E8\u00A3\u00CF\u00C4\u00C5\u00F3\u00F9\u2018\u2014\u00C0\u00EA",
                       Why = "font bytes above 127 come back as Windows-1252 characters" },
        };
        foreach (Case c in cases)
            Equal(c.Want, Tavo.Translate(c.Symbology, c.Value, c.Check), c.Why);

        Equal("+~7ia1c3|EFGHIG*_", Tavo.Translate(Symbology.Ean13, "978012345678"),
              "the enum gives what the code gives");
        byte[] raw = Tavo.TranslateBytes(11, new byte[] { 0x43, 0x6F, 0x64, 0x65, 0x20, 0x31, 0x32, 0x38 });
        Check(raw.Length == 11 && raw[7] == 145 && raw[8] == 151 && raw[9] == 192,
              "bytes in, bytes out, unchanged");
        Equal(Tavo.Translate(11, "\u00B90112345"), Tavo.Translate(11, Tavo.Fnc1 + "0112345"),
              "FNC1 is the character of byte 185");
        Equal("*+A*", Tavo.Translate(0, "a"), "a lower-case letter is a shift pair");
        Equal("AADTFFDFTDADTAADAATFDTDDAAADDTDTTDAFADADDDTFFFDDTTTADFAAADFTDAADA",
              Tavo.Translate(Symbology.Imb, "01234567094987654321-01234567891"),
              "Intelligent Mail: the published example with an 11-digit routing code");
        string longValue = new string('a', 5000);
        Check(Tavo.Translate(0, longValue).Length == 2 * 5000 + 2, "long values get a buffer large enough");
    }

    static void Errors()
    {
        Check(CodeOf(() => Tavo.Translate(Symbology.Ean13, "12a")) == 32507, "a letter in EAN-13");
        Equal("ERROR: Illegal character for this symbology.  Character must be numeric.",
              Tavo.ErrorMessage(32507), "message of 32507");
        Check(CodeOf(() => Tavo.Translate(99, "1")) == 32511, "symbology 99 is unknown");
        Equal("(01)09501101530003(10)A(", Tavo.Gs1HumanReadable("(01)09501101530003(10)A\\("),
              "GS1 text without the escapes");
        Check(CodeOf(() => Tavo.Gs1HumanReadable("(23)1")) == 32530, "unknown AI");
        Check(Tavo.Gs1CheckDigit("0950110153000") == 3, "GS1 check digit");
        Check(CodeOf(() => Tavo.Gs1CheckDigit("09501101530004", true)) == 32547, "wrong check digit");
        Check(CodeOf(() => Tavo.Translate(0, "A\0B")) == 32505, "a NUL would cut the value");
        Check(CodeOf(() => Tavo.Translate(0, "A\u0416")) == 32505, "Cyrillic has no Windows-1252 byte");
        Check(CodeOf(() => Tavo.FaceName(-1)) == 32511, "no font for code -1");
    }

    static void FontSupport()
    {
        Equal("TAVO UPC EAN JAN", Tavo.FaceName(10, "TAVO "), "EAN-13 face name");
        Equal("TV I2of5 HC", Tavo.FaceName(2, "TV ", 2, true), "height H with caption");
        Equal("93 MC", Tavo.FaceName(5, null, 1, true), "no prefix");
        Equal("A", Tavo.CharCheck(11, 65), "a plain character");
        Equal("<SOH>  Alt 001", Tavo.CharCheck(11, 1, true), "a control character with its Alt code");
        Equal("<FNC1> Alt 0185", Tavo.CharCheck(11, 185, true), "FNC1");
        Check(Tavo.CharCheck(3, 'a') == null, "Codabar has no lower case");

        // Code 0 prints in the Code 39 faces: its face names and character
        // checks are those of code 1, through the code and the enum alike.
        for (int height = 0; height < 3; ++height)
            foreach (bool caption in new[] { false, true })
            {
                string want = Tavo.FaceName(1, "TAVO ", height, caption);
                Equal(want, Tavo.FaceName(0, "TAVO ", height, caption), "code 0 face");
                Equal(want, Tavo.FaceName(Symbology.Code39FullAscii, "TAVO ", height, caption), "enum face");
            }
        Equal("TAVO UPC EAN JAN", Tavo.FaceName(Symbology.UpcE, "TAVO "), "the enum gives the code's face");
        for (int ch = 0; ch < 256; ++ch)
        {
            Equal(Tavo.CharCheck(1, ch, true), Tavo.CharCheck(0, ch, true), "code 0 checks as code 1, " + ch);
            Equal(Tavo.CharCheck(11, ch), Tavo.CharCheck(Symbology.Code128, ch), "enum check, " + ch);
        }
    }

    // UseLibraryFrom picks the library of the process's bitness from the
    // SDK's layout; here (Linux) the .so in the folder itself.
    static void LibraryChoice()
    {
        string root = Path.Combine(Path.GetTempPath(), "tavo32-choice-" + Guid.NewGuid().ToString("N"));
        Directory.CreateDirectory(root);
        Check(Tavo.LibraryPath(root) == null, "an empty folder has no library");
        string so = Path.Combine(root, "libtavo32.so");
        File.WriteAllText(so, "");
        Check(Tavo.LibraryPath(root) == so, "the library in the folder");
        bool threw = false;
        try { Tavo.UseLibraryFrom(Path.Combine(root, "missing")); }
        catch (DllNotFoundException) { threw = true; }
        Check(threw, "a folder without the library throws DllNotFoundException");
        Directory.Delete(root, true);
    }

    static void Versions()
    {
        Check(Tavo.TranslationVersion() == 9611080, "translation version");
        Version v = Tavo.FileVersion();
        Check(v.Equals(new Version(3, 1, 8, 0)) && v.Build == 8 && v.Revision == 0,
              "file version 3.1.8.0, the library's revision in the third field: " + v);
    }

    // Every declaration binds by its exact name with the platform's convention.
    static void Declarations()
    {
        int count = 0;
        foreach (MethodInfo m in typeof(NativeMethods).GetMethods(BindingFlags.Public | BindingFlags.Static))
        {
            object[] attrs = m.GetCustomAttributes(typeof(DllImportAttribute), false);
            if (attrs.Length == 0) continue;
            DllImportAttribute a = (DllImportAttribute)attrs[0];
            Check(a.CallingConvention == CallingConvention.Winapi, m.Name + " uses Winapi");
            Check(a.ExactSpelling && a.Value == "tavo32", m.Name + " binds tavo32 by its exact name");
            ++count;
        }
        Check(count == 12, "twelve entries declared (the Digital Link pair among them)");
    }

    // The code of the TavoException that `action` throws (0 for none), and
    // whether its message holds every one of `words`.
    static int SurfaceCode(Func<object> action, params string[] words)
    {
        try { action(); }
        catch (TavoException e)
        {
            foreach (string w in words)
                Check(e.Message.Contains(w), "the message names " + w + ": " + e.Message);
            return e.Code;
        }
        return 0;
    }

    static TavoOptions Options(params object[] pairs)
    {
        var o = new TavoOptions();
        for (int i = 0; i < pairs.Length; i += 2) o.Add((string)pairs[i], pairs[i + 1]);
        return o;
    }

    static void NamedOptions()
    {
        const string Gs1 = "(01)09501101530003";
        // (symbology, value, options, the same translation with an integer check)
        object[][] same = {
            new object[] { "qr", "HELLO", Options("level", "H"), 14, 4 },
            new object[] { "QR-Code", "HELLO", Options("LEVEL", "l"), 14, 1 },
            new object[] { "datamatrix", Gs1, Options("gs1", true, "shape", "rect"), 15, 3 },
            new object[] { "DM", Gs1, Options("gs1", "on"), 15, 2 },
            new object[] { "code39", "ABC", Options("check_digit", true), 1, 1 },
            new object[] { "Code_39", "ABC", Options("check", true), 1, 1 },
            new object[] { "EAN-13", "978012345678", null, 10, 0 },
            new object[] { "qr", "HELLO", Options("check", 4), 14, 4 },
            new object[] { "14", "HELLO", Options("level", "H"), 14, 4 },
        };
        foreach (object[] c in same)
            Equal(Tavo.Translate((int)c[3], (string)c[1], (int)c[4]),
                  Tavo.Translate((string)c[0], (string)c[1], (TavoOptions)c[2]), "named " + c[0]);

        // Errors the binding finds, with the code every surface gives.
        Check(SurfaceCode(() => Tavo.Translate("qrcod", "x"), "did you mean qr") == 32511, "unknown symbology");
        Check(SurfaceCode(() => Tavo.Translate("qr", "x", Options("level", "Z")), "L|M|Q|H") == 32561, "bad level");
        Check(SurfaceCode(() => Tavo.Translate("qr", "x", Options("levl", "H")), "did you mean level") == 32561,
              "unknown option");
        Check(SurfaceCode(() => Tavo.Translate("ean13", "978012345678", Options("check", true)),
                          "no optional check") == 32561, "check on a symbology without one");
        Check(SurfaceCode(() => Tavo.Translate("qr", "x", Options("check", 4294967300L)), "32 bits") == 32561,
              "a check above 32 bits is refused, not wrapped");
        Check(SurfaceCode(() => Tavo.Translate("qr", "x", Options("level", "H", "Level", "L")), "twice") == 32561,
              "an option given twice");
        Check(SurfaceCode(() => Tavo.Translate("qr", "x", Options("check", "H")), "level=L|M|Q|H") == 32561,
              "a string check is refused with the options (it threw FormatException)");
        Check(SurfaceCode(() => Tavo.Translate("qr", "x", Options("check", 4.5)), "check takes") == 32561,
              "a fractional check is refused, not rounded");

        // The text rule: Data Matrix and QR text as UTF-8, the others Windows-1252.
        string[] utf8Symbologies = { "datamatrix", "qr" };
        foreach (string sym in utf8Symbologies)
        {
            byte[] tokyo = System.Text.Encoding.UTF8.GetBytes("\u6771\u4eac");
            byte[] want = Tavo.Translate(sym, tokyo);
            Equal(System.Text.Encoding.ASCII.GetString(want), Tavo.Translate(sym, "\u6771\u4eac"), sym + " text as UTF-8");
        }
        Check(SurfaceCode(() => Tavo.Translate("code39", "A\u0416")) == 32505, "no Windows-1252 byte");

        // Every symbology of the registry by name and alias, with a face
        // through the code whose font prints it.
        foreach (SymbologyInfo row in Registry.All)
        {
            Check(Registry.Find(row.Name.ToUpperInvariant()).Code == row.Code, "name of " + row.Name);
            foreach (string alias in row.Aliases)
                Check(Registry.Find(alias).Code == row.Code, "alias " + alias);
            Equal(Tavo.FaceName(row.Font), Tavo.FaceName(row.Name), "face of " + row.Name);
            Check(Enum.IsDefined(typeof(Symbology), row.Code), "the enum has code " + row.Code);
        }
        Equal("TAVO 39 H", Tavo.FaceName("code39ascii", height: 2), "code 0 in the Code 39 faces");

        // The Digital Link pair, or the clear error of a library without it.
        try
        {
            string uri = Tavo.Gs1DigitalLink(Gs1 + "(10)AB1", "https://example.com");
            Check(uri.StartsWith("https://example.com/01/09501101530003"), "Digital Link URI " + uri);
            Equal(Gs1 + "(10)AB1", Tavo.Gs1FromDigitalLink(uri), "Digital Link back");
        }
        catch (NotSupportedException e)
        {
            Check(e.Message.Contains("has no Digital Link") && e.Message.Contains("ordinal 17"), e.Message);
            Console.Error.WriteLine("Digital Link: this library lacks ordinals 17/18; only their error is tested");
        }
    }

    static int Main()
    {
        NamedOptions();
        Translations();
        Errors();
        FontSupport();
        Versions();
        Declarations();
        LibraryChoice();
        Console.WriteLine(passed + " passed, " + failed + " failed");
        return failed == 0 ? 0 : 1;
    }
}
