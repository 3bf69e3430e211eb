// The conformance runner of the C# binding, under Mono:
//
//     mcs -out:RunDotnet.exe bindings/dotnet/Tavo32.cs tests/conformance/RunDotnet.cs
//     LD_LIBRARY_PATH=<dir of libtavo32.so> mono RunDotnet.exe CASES.jsonl
//
// Each case of CASES.jsonl (one JSON object a line: id, symbology, value or
// bytes_hex, options) goes through Tavo.Translate(symbology, value, options):
// a string value through the symbology's text rule, bytes_hex as a byte[].
// One line a case on stdout: ID<TAB>ok<TAB>HEX of the font string's bytes, or
// ID<TAB>error<TAB>CODE.  Exits 0 when every case ran, 2 when it could not
// run at all (no cases file, no library).
using System;
using System.Collections.Generic;
using System.Globalization;
using System.IO;
using System.Text;
using Tavo32;

static class RunDotnet
{
    static int Main(string[] args)
    {
        if (args.Length != 1)
        {
            Console.Error.WriteLine("usage: RunDotnet.exe CASES.jsonl");
            return 2;
        }
        string[] lines;
        try
        {
            lines = File.ReadAllLines(args[0], new UTF8Encoding(false));
            Tavo.TranslationVersion();  // loads the library, or fails here
        }
        catch (Exception e)
        {
            Console.Error.WriteLine("RunDotnet: " + e.Message);
            return 2;
        }
        var output = new StringBuilder();
        foreach (string line in lines)
        {
            if (line.Trim().Length == 0) continue;
            var c = (Dictionary<string, object>)new Json(line).Value();
            output.Append((string)c["id"]).Append('\t').Append(Run(c)).Append('\n');
        }
        var stdout = Console.OpenStandardOutput();
        byte[] bytes = Encoding.ASCII.GetBytes(output.ToString());
        stdout.Write(bytes, 0, bytes.Length);
        return 0;
    }

    // "ok\tHEX" or "error\tCODE" for one case.
    static string Run(Dictionary<string, object> c)
    {
        var options = new TavoOptions();
        object given;
        if (c.TryGetValue("options", out given))
            foreach (var pair in (Dictionary<string, object>)given) options.Add(pair.Key, pair.Value);
        string symbology = (string)c["symbology"];
        try
        {
            byte[] font = c.ContainsKey("bytes_hex")
                ? Tavo.Translate(symbology, FromHex((string)c["bytes_hex"]), options)
                : Tavo.Windows1252Bytes(Tavo.Translate(symbology, (string)c["value"], options));
            var hex = new StringBuilder();
            foreach (byte b in font) hex.Append(b.ToString("x2", CultureInfo.InvariantCulture));
            return "ok\t" + hex;
        }
        catch (TavoException e)
        {
            return "error\t" + e.Code.ToString(CultureInfo.InvariantCulture);
        }
    }

    static byte[] FromHex(string hex)
    {
        byte[] bytes = new byte[hex.Length / 2];
        for (int i = 0; i < bytes.Length; ++i)
            bytes[i] = byte.Parse(hex.Substring(2 * i, 2), NumberStyles.HexNumber, CultureInfo.InvariantCulture);
        return bytes;
    }

    // A reader of one JSON value: objects (Dictionary), strings, numbers
    // (long, or double with a fraction), true, false and null; enough for
    // the cases, with no library beyond Mono's own.
    sealed class Json
    {
        readonly string text;
        int at;

        public Json(string text) { this.text = text; }

        public object Value()
        {
            Skip();
            char c = text[at];
            if (c == '{') return Object();
            if (c == '"') return String();
            if (text.Substring(at).StartsWith("true")) { at += 4; return true; }
            if (text.Substring(at).StartsWith("false")) { at += 5; return false; }
            if (text.Substring(at).StartsWith("null")) { at += 4; return null; }
            int start = at;
            while (at < text.Length && "+-0123456789.eE".IndexOf(text[at]) >= 0) ++at;
            string number = text.Substring(start, at - start);
            long whole;
            if (long.TryParse(number, NumberStyles.AllowLeadingSign, CultureInfo.InvariantCulture, out whole))
                return whole;
            return double.Parse(number, CultureInfo.InvariantCulture);
        }

        Dictionary<string, object> Object()
        {
            var result = new Dictionary<string, object>();
            ++at;
            Skip();
            if (text[at] == '}') { ++at; return result; }
            while (true)
            {
                Skip();
                string key = String();
                Skip();
                ++at;  // ':'
                result[key] = Value();
                Skip();
                if (text[at++] == '}') return result;  // else ','
            }
        }

        string String()
        {
            var sb = new StringBuilder();
            ++at;  // '"'
            while (text[at] != '"')
            {
                char c = text[at++];
                if (c != '\\') { sb.Append(c); continue; }
                char e = text[at++];
                if (e == 'u') { sb.Append((char)Convert.ToInt32(text.Substring(at, 4), 16)); at += 4; }
                else sb.Append(e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == 'b' ? '\b' : e == 'f' ? '\f' : e);
            }
            ++at;
            return sb.ToString();
        }

        void Skip()
        {
            while (at < text.Length && char.IsWhiteSpace(text[at])) ++at;
        }
    }
}
