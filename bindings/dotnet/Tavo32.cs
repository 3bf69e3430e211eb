// TAVO32 bar code font translation for .NET: the P/Invoke declarations of
// tavo32.dll / libtavo32.so and a small layer over them (Tavo.Translate and
// friends) that converts text and turns error codes into exceptions.
//
// Add this file to your project.  On Windows the process needs the tavo32.dll
// of its own bitness: x86 for a 32-bit process, x64 for a 64-bit one (the
// wrong one fails with BadImageFormatException, a missing one with
// DllNotFoundException).  Either put that DLL beside the program, or ship the
// SDK's x86 and x64 folders and call Tavo.UseLibraryFrom(folder) once at
// start-up, before any other call: it picks folder\x64 or folder\x86 to match
// the process (under .NET Core 3 and later .NET through
// NativeLibrary.SetDllImportResolver; under .NET Framework and Mono on
// Windows by loading that DLL first, so that every DllImport of "tavo32"
// binds to it).  On Linux (Mono, .NET) libtavo32.so must be on the loader's
// path (LD_LIBRARY_PATH, or an installed library); UseLibraryFrom serves
// .NET there too.
//
// Text crosses the boundary as bytes.  Font bytes above 127 are Windows-1252
// characters, so strings are converted through Windows-1252 here, with a
// table of its own: no code-page support of the runtime is needed, and the
// result does not depend on the machine's ANSI code page.
using System;
using System.IO;
using System.Runtime.InteropServices;

namespace Tavo32
{
    /// <summary>Symbology codes, argument 1 of BC_FontTranslate.</summary>
    public enum Symbology
    {
        Code39FullAscii = 0,
        Code39 = 1,
        I2of5 = 2,
        Codabar = 3,
        Msi = 4,
        Code93 = 5,
        UpcA = 6,
        UpcE = 7,
        PostNet = 8,
        Ean8 = 9,
        Ean13 = 10,
        Code128 = 11,
        Gs1128 = 12,
        /// <summary>Intelligent Mail: the 20-digit tracking code, then the
        /// routing code (0, 5, 9 or 11 digits; "-" and spaces may follow the
        /// tracking code).  65 characters A, D, F, T for the TAVO IMB font.</summary>
        Imb = 13,
        /// <summary>QR Code: check is the error correction level (0 = M,
        /// 1..4 = L, M, Q, H); text goes as UTF-8.</summary>
        Qr = 14,
        /// <summary>Data Matrix ECC 200; the check argument 0 square, 1 rectangles
        /// too, 2 and 3 the same as GS1 (use NativeMethods.BC_FontTranslate for 2, 3).</summary>
        DataMatrix = 15,
        Gtin13 = 16,
        Gtin8 = 17,
        Gtin12 = 18,
        UpcE8 = 19,
        /// <summary>GS1 DataBar from a GTIN (13 or 14 digits, "(01)" optional):
        /// lines of the TAVO DATABAR face.  Omnidirectional: check 1 is Truncated.</summary>
        DataBar = 21,
        DataBarStacked = 23,
        DataBarStackedOmni = 24,
        /// <summary>GS1 DataBar Limited: the GTIN's first digit 0 or 1.</summary>
        DataBarLimited = 25,
    }

    /// <summary>The exports, declared as the library defines them.  Buffers
    /// are byte arrays; values are NUL-terminated byte arrays.</summary>
    public static class NativeMethods
    {
        /// <summary>Resolves to tavo32.dll on Windows and libtavo32.so elsewhere.</summary>
        public const string Library = "tavo32";

        // Winapi is stdcall on 32-bit Windows (the DLL's convention) and the
        // platform's only C convention on 64-bit Windows and on Linux.
        private const CallingConvention Convention = CallingConvention.Winapi;

        [DllImport(Library, CallingConvention = Convention, ExactSpelling = true)]
        public static extern int BC_FontTranslate(int symbology, byte[] value, int check,
                                                  [Out] byte[] buf, int cap, out int len);

        [DllImport(Library, CallingConvention = Convention, ExactSpelling = true)]
        public static extern int BC_StrErr(int code, [Out] byte[] buf, int cap);

        [DllImport(Library, CallingConvention = Convention, ExactSpelling = true)]
        public static extern int BC_FontGetFaceName(byte[] prefix, int symbology, int height,
                                                    int caption, [Out] byte[] buf, int cap,
                                                    out int len);

        [DllImport(Library, CallingConvention = Convention, ExactSpelling = true)]
        public static extern int BC_CharCheck(int symbology, int ch, int alt, [Out] byte[] buf,
                                              int cap, out int len);

        [DllImport(Library, CallingConvention = Convention, ExactSpelling = true)]
        public static extern int BC_GS1HumanReadable(byte[] value, [Out] byte[] buf, int cap,
                                                     out int len);

        [DllImport(Library, CallingConvention = Convention, ExactSpelling = true)]
        public static extern int BC_GS1CheckDigit(byte[] key, int verify, out int digit);

        [DllImport(Library, CallingConvention = Convention, ExactSpelling = true)]
        public static extern int BC_FontGetVer();

        [DllImport(Library, CallingConvention = Convention, ExactSpelling = true)]
        public static extern int TAVO_VersionMajor();

        [DllImport(Library, CallingConvention = Convention, ExactSpelling = true)]
        public static extern int TAVO_VersionMinor();

        [DllImport(Library, CallingConvention = Convention, ExactSpelling = true)]
        public static extern int TAVO_VersionRevision();
    }

    /// <summary>An error code of the library (32500..32549) and its message.</summary>
    public class TavoException : Exception
    {
        public int Code { get; private set; }

        public TavoException(int code, string message) : base(message)
        {
            Code = code;
        }
    }

    /// <summary>Translation, face names, character check and messages, with
    /// strings in and out and a TavoException for every error code.</summary>
    public static class Tavo
    {
        public const int IllegalCharacter = 32505;
        public const int TooManyCharacters = 32510;

        /// <summary>Code 128 function characters and NUL as data, as characters of a value.</summary>
        public const char Fnc1 = '\u00B9', Fnc2 = '\u00B2', Fnc3 = '\u00B3', Fnc4 = '\u00BC',
                          Code128Nul = '\u00C7';

        // Windows-1252 bytes 0x80..0x9F as Unicode; every other byte is the
        // code point of the same number.  The five bytes the code page leaves
        // unassigned map to themselves, as Windows converts them.
        private static readonly char[] Cp1252From80 = {
            '\u20AC', '\u0081', '\u201A', '\u0192', '\u201E', '\u2026', '\u2020', '\u2021',
            '\u02C6', '\u2030', '\u0160', '\u2039', '\u0152', '\u008D', '\u017D', '\u008F',
            '\u0090', '\u2018', '\u2019', '\u201C', '\u201D', '\u2022', '\u2013', '\u2014',
            '\u02DC', '\u2122', '\u0161', '\u203A', '\u0153', '\u009D', '\u017E', '\u0178',
        };

        /// <summary>The font string of <paramref name="value"/>, to be set in
        /// the font that <see cref="FaceName"/> names.</summary>
        public static string Translate(Symbology symbology, string value, bool check = false)
        {
            return Translate((int)symbology, value, check);
        }

        public static string Translate(int symbology, string value, bool check = false)
        {
            return Translate(symbology, value, check ? 1 : 0);
        }

        /// <summary>The font string with the check argument as a number: the
        /// error correction level of a two-dimensional symbology.  Their text
        /// goes as UTF-8, which the symbol marks, so that a scanner shows the
        /// same text; other symbologies take Windows-1252 text.</summary>
        public static string Translate(Symbology symbology, string value, int check)
        {
            return Translate((int)symbology, value, check);
        }

        public static string Translate(int symbology, string value, int check)
        {
            byte[] bytes = TextAsUtf8(symbology) ? Utf8(value ?? "") : ToBytes(value ?? "");
            byte[] font = TranslateBytes(symbology, bytes, check);
            return ToText(font, 0, font.Length);
        }

        /// <summary>The font bytes of a value given as bytes (no conversion).</summary>
        public static byte[] TranslateBytes(int symbology, byte[] value, bool check = false)
        {
            return TranslateBytes(symbology, value, check ? 1 : 0);
        }

        public static byte[] TranslateBytes(int symbology, byte[] value, int check)
        {
            byte[] z = Terminated(value);
            int n = z.Length - 1;
            // No symbology writes more than about two bytes per value byte; a
            // second, much larger buffer covers any that might.
            int[] capacities = { 2 * n + 64, 8 * n + 1024 };
            int rc = 0, len = 0;
            byte[] buf = null;
            foreach (int cap in capacities)
            {
                buf = new byte[cap];
                rc = NativeMethods.BC_FontTranslate(symbology, z, check, buf, cap, out len);
                if (rc != TooManyCharacters) break;
            }
            if (rc != 0) throw Failure(rc);
            byte[] result = new byte[len];
            Array.Copy(buf, result, len);
            return result;
        }

        /// <summary>The face name of the bar code font: the prefix, then the
        /// suffix for the symbology, bar height (0 L, 1 M, 2 H) and caption.
        /// Code 0 (Code 39 Full ASCII) prints in the Code 39 faces, so it
        /// gives the name of code 1.</summary>
        public static string FaceName(Symbology symbology, string prefix = "", int height = 0,
                                      bool caption = false)
        {
            return FaceName((int)symbology, prefix, height, caption);
        }

        public static string FaceName(int symbology, string prefix = "", int height = 0,
                                      bool caption = false)
        {
            byte[] p = Terminated(ToBytes(prefix ?? ""));
            int cap = p.Length + 64;
            byte[] buf = new byte[cap];
            int len;
            int rc = NativeMethods.BC_FontGetFaceName(p, FontCode(symbology), height, caption ? 1 : 0,
                                                      buf, cap, out len);
            if (rc != 0) throw Failure(rc);
            return ToText(buf, 0, len);
        }

        /// <summary>The text an input form shows for character code
        /// <paramref name="ch"/> (0..255), or null when it may not stand in a
        /// value of the symbology.  Code 0 is checked as code 1, whose
        /// characters it prints in.</summary>
        public static string CharCheck(Symbology symbology, int ch, bool alt = false)
        {
            return CharCheck((int)symbology, ch, alt);
        }

        public static string CharCheck(int symbology, int ch, bool alt = false)
        {
            byte[] buf = new byte[64];
            int len;
            int valid = NativeMethods.BC_CharCheck(FontCode(symbology), ch, alt ? 1 : 0, buf, buf.Length,
                                                   out len);
            return valid == 1 ? ToText(buf, 0, len) : null;
        }

        /// <summary>The text to print under a GS1-128 symbol in an ordinary
        /// font, "(01)09501101530003(10)AB12": the value (validated as code 12
        /// is) without its \( \) escapes.</summary>
        public static string Gs1HumanReadable(string value)
        {
            byte[] z = Terminated(ToBytes(value ?? ""));
            byte[] buf = new byte[z.Length + 16];
            int len;
            int rc = NativeMethods.BC_GS1HumanReadable(z, buf, buf.Length, out len);
            if (rc != 0) throw Failure(rc);
            return ToText(buf, 0, len);
        }

        /// <summary>The GS1 modulo-10 check digit (0..9) of a key of 7 to 17
        /// digits; with <paramref name="verify"/> the key includes its check
        /// digit, and a wrong one throws (code 32547).</summary>
        public static int Gs1CheckDigit(string key, bool verify = false)
        {
            int digit;
            int rc = NativeMethods.BC_GS1CheckDigit(Terminated(ToBytes(key ?? "")), verify ? 1 : 0,
                                                    out digit);
            if (rc != 0) throw Failure(rc);
            return digit;
        }

        /// <summary>The English message of an error code.</summary>
        public static string ErrorMessage(int code)
        {
            byte[] buf = new byte[256];  // zeroed: the text ends at the first NUL
            NativeMethods.BC_StrErr(code, buf, buf.Length);
            return ToText(buf, 0, -1);
        }

        /// <summary>File version of the library, 3.1.8.0 as the DLL's version
        /// resource and FileVersionInfo.FileVersion give it; on Windows of the
        /// copy installed in the system directory, 0.0.0.0 when there is none.
        /// The library's "revision" (TAVO_VersionRevision, 8) is the third
        /// field of the file version, which System.Version calls Build; the
        /// fourth field, Revision, is 0 in every release.</summary>
        public static Version FileVersion()
        {
            return new Version(NativeMethods.TAVO_VersionMajor(), NativeMethods.TAVO_VersionMinor(),
                               NativeMethods.TAVO_VersionRevision(), 0);
        }

        /// <summary>The translation version, 9611080.</summary>
        public static int TranslationVersion()
        {
            return NativeMethods.BC_FontGetVer();
        }

        /// <summary>The library file in <paramref name="folder"/> for this
        /// process: on Windows folder\x64\tavo32.dll in a 64-bit process and
        /// folder\x86\tavo32.dll in a 32-bit one (as the SDK lays them out),
        /// else folder\tavo32.dll; elsewhere folder/libtavo32.so.  Null when
        /// the file is not there.</summary>
        public static string LibraryPath(string folder)
        {
            string[] candidates = Path.DirectorySeparatorChar == '\\'
                ? new[] { Path.Combine(Path.Combine(folder, Environment.Is64BitProcess ? "x64" : "x86"), "tavo32.dll"),
                          Path.Combine(folder, "tavo32.dll") }
                : new[] { Path.Combine(folder, "libtavo32.so") };
            foreach (string path in candidates)
                if (File.Exists(path)) return Path.GetFullPath(path);
            return null;
        }

        /// <summary>Binds every DllImport of "tavo32" to the library in
        /// <paramref name="folder"/> that matches the process (see
        /// <see cref="LibraryPath"/>).  Call it once, before any other call.
        /// Throws DllNotFoundException when there is no such file, and
        /// BadImageFormatException when it is of the other bitness.</summary>
        public static void UseLibraryFrom(string folder)
        {
            string path = LibraryPath(folder);
            if (path == null)
                throw new DllNotFoundException("no tavo32 library for this " + (Environment.Is64BitProcess ? "64" : "32") +
                                               "-bit process in " + folder);
#if NETCOREAPP3_0_OR_GREATER
            IntPtr handle = NativeLibrary.Load(path);
            NativeLibrary.SetDllImportResolver(typeof(NativeMethods).Assembly, (name, assembly, searchPath) =>
                name == NativeMethods.Library ? handle : IntPtr.Zero);
#else
            if (Path.DirectorySeparatorChar != '\\')
                return;  // Mono on Linux: put libtavo32.so on LD_LIBRARY_PATH instead
            // .NET Framework and Mono on Windows look the DLL up by name, and
            // Windows gives them the module of that name already loaded.
            if (LoadLibraryW(path) == IntPtr.Zero)
            {
                int error = Marshal.GetLastWin32Error();
                if (error == 193)  // ERROR_BAD_EXE_FORMAT
                    throw new BadImageFormatException(path + " is not a DLL for this " +
                                                      (Environment.Is64BitProcess ? "64" : "32") + "-bit process");
                throw new DllNotFoundException(path + ": Windows error " + error);
            }
#endif
        }

#if !NETCOREAPP3_0_OR_GREATER
        [DllImport("kernel32", CharSet = CharSet.Unicode, SetLastError = true, ExactSpelling = true)]
        private static extern IntPtr LoadLibraryW(string path);
#endif

        // Code 0 strings are Code 39 characters, printed in the Code 39 faces.
        private static int FontCode(int symbology)
        {
            return symbology == (int)Symbology.Code39FullAscii ? (int)Symbology.Code39 : symbology;
        }

        private static TavoException Failure(int code)
        {
            return new TavoException(code, ErrorMessage(code));
        }

        // The value with its terminating NUL.  A NUL inside would end the value
        // early on the library's side, so it is refused rather than cut.
        private static byte[] Terminated(byte[] value)
        {
            if (value == null) value = new byte[0];
            if (Array.IndexOf(value, (byte)0) >= 0) throw Failure(IllegalCharacter);
            byte[] z = new byte[value.Length + 1];
            Array.Copy(value, z, value.Length);
            return z;
        }

        // The symbologies whose text is sent as UTF-8.
        private static bool TextAsUtf8(int symbology)
        {
            return symbology == (int)Symbology.Qr;
        }

        private static byte[] Utf8(string text)
        {
            try
            {
                return new System.Text.UTF8Encoding(false, true).GetBytes(text);
            }
            catch (ArgumentException)
            {
                throw Failure(IllegalCharacter);  // a lone surrogate
            }
        }

        private static byte[] ToBytes(string text)
        {
            byte[] bytes = new byte[text.Length];
            for (int i = 0; i < text.Length; ++i)
            {
                int b = ByteOf(text[i]);
                if (b < 0) throw Failure(IllegalCharacter);  // no Windows-1252 byte
                bytes[i] = (byte)b;
            }
            return bytes;
        }

        private static int ByteOf(char c)
        {
            if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
            int at = Array.IndexOf(Cp1252From80, c);
            return at >= 0 ? 0x80 + at : -1;
        }

        // Bytes [start, start + len) as text; len -1 stops at the first NUL.
        private static string ToText(byte[] bytes, int start, int len)
        {
            if (len < 0)
            {
                int end = Array.IndexOf(bytes, (byte)0, start);
                len = (end < 0 ? bytes.Length : end) - start;
            }
            char[] chars = new char[len];
            for (int i = 0; i < len; ++i)
            {
                byte b = bytes[start + i];
                chars[i] = b >= 0x80 && b <= 0x9F ? Cp1252From80[b - 0x80] : (char)b;
            }
            return new string(chars);
        }
    }
}
