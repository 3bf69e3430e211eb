// tavo: try the bar code font translation library from a shell or a script.
#include <algorithm>
#include <climits>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch.h"
#include "cli.h"
#include "decode.h"
#include "glyphs.h"
#include "picture_options.h"
#include "tavo32.h"
#include "tavo_model.h"

namespace {

using tavo::cli::ParseInt;
using tavo::cli::ParseSymbology;

constexpr char kUsage[] =
    "usage:\n"
    "  tavo translate SYMBOLOGY VALUE [--check | --check-value N | --level L|M|Q|H] [--raw]\n"
    "                [--svg FILE] [--png FILE] [--caption] [--height MODULES] [--ratio R]\n"
    "                [--module SIZE | --xdim LENGTH] [--dpi N] [--fg COLOUR] [--bg COLOUR]\n"
    "      print the font string (bytes outside printable ASCII as \\xHH) and its length;\n"
    "      --raw writes the bare bytes instead.  In VALUE, \\xHH is any byte, \\\\ a backslash,\n"
    "      \\F1..\\F4 the Code 128 function characters and \\0 NUL as Code 128 data.\n"
    "      --svg and --png also draw the symbol with its quiet zones and captions:\n"
    "      --module is the narrow bar in pixels (PNG, default 2; QR Code and Data Matrix 8)\n"
    "      or in 1/96 inch (SVG, default 1); --xdim gives it as a length (0.33mm, 13mil),\n"
    "      which a PNG rounds to whole pixels at --dpi N pixels per inch (a warning when\n"
    "      that is 5% off); --dpi is also stored in the PNG.  The SVG is sized in mm.\n"
    "      --fg and --bg colour the bars and the paper (#rrggbb, #rgb or a CSS name such\n"
    "      as navy; --bg none leaves the paper transparent).  --height is the bar height\n"
    "      in modules (default 50, PostNet 6), --ratio the wide:narrow ratio of two-width\n"
    "      symbologies (2 to 3, default 3), --caption the caption variant of the font\n"
    "      (text under the bars; a GS1-128 picture prints the human-readable text with\n"
    "      its parentheses, as from BC_GS1HumanReadable).\n"
    "      --check passes 1 as the check argument, --check-value N any number (Data Matrix:\n"
    "      0 square, 1 rectangles too, 2 and 3 the same as GS1), --level the error\n"
    "      correction level of a QR Code (check 1 to 4; the default is M).\n"
    "  tavo decode SYMBOLOGY FONTSTRING\n"
    "                               read a font string back: its symbol characters, data\n"
    "                               and check characters; exit status 1 when they do not\n"
    "                               hold together\n"
    "  tavo glyphs SYMBOLOGY [--ratio R] [--caption]\n"
    "                               print every glyph of the symbology's bar code font\n"
    "                               (advance, bars, captions, in modules) as JSON\n"
    "  tavo error CODE              print the message of an error code\n"
    "  tavo face SYMBOLOGY [--height L|M|H] [--caption] [--prefix TEXT]\n"
    "                               print the face name of the symbology's font\n"
    "  tavo check SYMBOLOGY CHAR [--alt]\n"
    "                               is CHAR (itself, or a decimal code of 2+ digits) valid,\n"
    "                               and how an input form shows it; --alt adds the Alt-key\n"
    "                               code to a label; exit status 1 when not valid\n"
    "  tavo batch SYMBOLOGY --column NAME [-i IN.csv] [-o OUT.csv | --in-place]\n"
    "             [--output-column NAME] [--check] [--empty keep|fail] [--raw]\n"
    "             [--encoding auto|utf-8|windows-1252|utf-16] [--output-encoding ENC]\n"
    "             [--delimiter ,|;|tab]\n"
    "                               add to a CSV file (standard input and output by\n"
    "                               default) a column with each row's font string; the\n"
    "                               file is read and written in its own encoding and\n"
    "                               delimiter; failed rows get an empty cell and a\n"
    "                               message; exit status 1 when a row failed, 2 when the\n"
    "                               run could not be done (the output is then untouched)\n"
    "  tavo version                 print the library's version numbers\n"
    "  tavo list                    print each symbology: code, short name, face family\n"
    "                               and number of faces, tab-separated\n";

// The usage text and, from the registry, the symbologies it knows.
std::string UsageText() {
  std::string text = kUsage;
  int32_t low = INT32_MAX;
  int32_t high = INT32_MIN;
  for (const tavo::cli::SymbologyEntry& row : tavo::cli::SymbologyEntries()) {
    low = std::min(low, row.code);
    high = std::max(high, row.code);
  }
  std::string line = "SYMBOLOGY is a code " + std::to_string(low) + ".." + std::to_string(high) + " or one of:";
  for (const tavo::cli::SymbologyEntry& row : tavo::cli::SymbologyEntries()) {
    if (line.size() + 1 + row.name.size() > 80) {
      text += line + "\n";
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += row.name;
  }
  return text + line + "\n";
}

int Usage(const char* why) {
  if (why) std::fprintf(stderr, "tavo: %s\n", why);
  std::fputs(UsageText().c_str(), stderr);
  return 2;
}

// One line a symbology: code, short name, face family, number of faces.
int List() {
  for (const tavo::cli::SymbologyEntry& row : tavo::cli::SymbologyEntries()) {
    std::printf("%d\t%.*s\t%.*s\t%zu\n", row.code, static_cast<int>(row.name.size()), row.name.data(),
                static_cast<int>(row.family.size()), row.family.data(), tavo::FaceCount(row.faces));
  }
  return 0;
}

std::string Message(int32_t code) {
  char buf[128] = {};
  BC_StrErr(code, buf, sizeof buf - 1);  // the last byte stays the terminator
  return buf;
}

// Reports a library error on stderr; exit status 1.
int Fail(int32_t code) {
  std::fprintf(stderr, "tavo: %d %s\n", code, Message(code).c_str());
  return 1;
}

// Splits arguments into positionals and flags; flags that take a value take
// the next argument.
struct Args {
  std::vector<std::string_view> positional;
  std::vector<std::pair<std::string_view, std::string_view>> flags;
  bool Has(std::string_view flag) const {
    for (auto& [name, value] : flags) {
      if (name == flag) return true;
    }
    return false;
  }
  std::string_view Get(std::string_view flag) const {
    for (auto& [name, value] : flags) {
      if (name == flag) return value;
    }
    return {};
  }
};

bool ParseArgs(int argc, char** argv, std::initializer_list<std::string_view> known,
               std::initializer_list<std::string_view> with_value, Args& args) {
  for (int i = 2; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a.size() > 2 && a.substr(0, 2) == "--") {
      bool takes = std::find(with_value.begin(), with_value.end(), a) != with_value.end();
      bool ok = takes || std::find(known.begin(), known.end(), a) != known.end();
      if (!ok) return false;
      if (takes) {
        if (++i == argc) return false;
        args.flags.emplace_back(a, argv[i]);
      } else {
        args.flags.emplace_back(a, "");
      }
    } else {
      args.positional.push_back(a);
    }
  }
  return true;
}

int Translate(const Args& args) {
  if (args.positional.size() != 2) return Usage("translate takes SYMBOLOGY and VALUE");
  auto sym = ParseSymbology(args.positional[0]);
  if (!sym) return Usage("unknown symbology");
  auto value = tavo::cli::DecodeValueEscapes(args.positional[1]);
  if (!value) return Usage("malformed escape in VALUE");
  if (value->find('\0') != std::string::npos) return Usage("VALUE may not hold \\x00 (use \\0)");
  std::string picture_error;
  auto pictures = tavo::cli::ParsePictureOptions(args.flags, picture_error);
  if (!pictures) return Usage(picture_error.c_str());
  int32_t check = args.Has("--check") ? 1 : 0;
  if (args.Has("--check-value")) {
    auto n = ParseInt(args.Get("--check-value"));
    if (!n) return Usage("--check-value takes a number");
    check = *n;
  }
  if (args.Has("--level")) {
    const std::string_view level = args.Get("--level");
    const size_t at = std::string_view("LMQH").find(level);
    if (level.size() != 1 || at == std::string_view::npos) return Usage("--level takes L, M, Q or H");
    check = static_cast<int32_t>(at) + 1;
  }
  // A 2D symbol of a short value is many times its length (a QR Code of
  // one byte is 168 bytes); 8 KiB more holds the largest.
  std::vector<char> out(value->size() * 8 + 8192);
  int32_t len = 0;
  int32_t rc = BC_FontTranslate(*sym, value->c_str(), check, out.data(), static_cast<int32_t>(out.size()),
                                &len);
  if (rc) return Fail(rc);
  if (args.Has("--raw")) {
    std::fwrite(out.data(), 1, static_cast<size_t>(len), stdout);
  } else {
    std::printf("%s\nlength %d\n",
                tavo::cli::EscapeBytes(std::string_view(out.data(), static_cast<size_t>(len))).c_str(),
                len);
  }
  if (args.Has("--svg") || args.Has("--png")) {
    return tavo::cli::WritePictures(*sym, *value, std::string_view(out.data(), static_cast<size_t>(len)),
                                    *pictures);
  }
  return 0;
}

int Decode(const Args& args) {
  if (args.positional.size() != 2) return Usage("decode takes SYMBOLOGY and FONTSTRING");
  auto sym = ParseSymbology(args.positional[0]);
  if (!sym) return Usage("unknown symbology");
  auto font_string = tavo::cli::DecodeValueEscapes(args.positional[1]);
  if (!font_string) return Usage("malformed escape in FONTSTRING");
  return RunDecode(*sym, *font_string);
}

int Glyphs(const Args& args) {
  if (args.positional.size() != 1) return Usage("glyphs takes SYMBOLOGY");
  auto sym = ParseSymbology(args.positional[0]);
  if (!sym) return Usage("unknown symbology");
  std::string error;
  auto options = tavo::cli::ParsePictureOptions(args.flags, error);
  if (!options) return Usage(error.c_str());
  return RunGlyphs(*sym, options->model);
}

int Error(const Args& args) {
  if (args.positional.size() != 1) return Usage("error takes CODE");
  auto code = ParseInt(args.positional[0]);
  if (!code) return Usage("CODE must be a number");
  std::printf("%s\n", Message(*code).c_str());
  return 0;
}

int Face(const Args& args) {
  if (args.positional.size() != 1) return Usage("face takes SYMBOLOGY");
  auto sym = ParseSymbology(args.positional[0]);
  if (!sym) return Usage("unknown symbology");
  int32_t height = 0;
  if (args.Has("--height")) {
    std::string_view h = args.Get("--height");
    height = h == "L" ? 0 : h == "M" ? 1 : h == "H" ? 2 : -1;
    if (height < 0) return Usage("--height takes L, M or H");
  }
  std::string prefix(args.Get("--prefix"));
  // Room for any prefix: the longest suffix is 10 bytes, and the library
  // asks for one byte beyond the name.
  std::vector<char> buf(prefix.size() + 32);
  int32_t len = 0;
  int32_t rc = BC_FontGetFaceName(prefix.c_str(), *sym, height, args.Has("--caption") ? 1 : 0,
                                  buf.data(), static_cast<int32_t>(buf.size()), &len);
  if (rc) return Fail(rc);
  std::printf("%.*s\n", len, buf.data());
  return 0;
}

int Check(const Args& args) {
  if (args.positional.size() != 2) return Usage("check takes SYMBOLOGY and CHAR");
  auto sym = ParseSymbology(args.positional[0]);
  if (!sym) return Usage("unknown symbology");
  std::string_view c = args.positional[1];
  int32_t ch;
  if (c.size() == 1) {
    ch = static_cast<unsigned char>(c[0]);
  } else if (auto n = ParseInt(c)) {
    ch = *n;
  } else {
    return Usage("CHAR is one character or a decimal code");
  }
  char buf[64];
  int32_t len = 0;
  if (!BC_CharCheck(*sym, ch, args.Has("--alt") ? 1 : 0, buf, sizeof buf, &len)) {
    std::printf("invalid\n");
    return 1;
  }
  std::printf("valid \"%s\"\n",
              tavo::cli::EscapeBytes(std::string_view(buf, static_cast<size_t>(len))).c_str());
  return 0;
}

int Version() {
  std::printf("translation %d\nfile %d.%d.%d\n", BC_FontGetVer(), TAVO_VersionMajor(),
              TAVO_VersionMinor(), TAVO_VersionRevision());
  return 0;
}

int Run(int argc, char** argv) {
  if (argc < 2) return Usage(nullptr);
  std::string_view cmd = argv[1];
  Args args;
  if (cmd == "batch") return tavo::batch::RunBatchCommand(argc, argv);
  if (cmd == "translate") {
    if (!ParseArgs(argc, argv, {"--check", "--raw", "--caption"},
                   {"--svg", "--png", "--module", "--height", "--ratio", "--check-value", "--level", "--xdim",
                    "--dpi", "--fg", "--bg"},
                   args)) {
      return Usage("bad option");
    }
    return Translate(args);
  }
  if (cmd == "decode") {
    if (!ParseArgs(argc, argv, {}, {}, args)) return Usage("bad option");
    return Decode(args);
  }
  if (cmd == "glyphs") {
    if (!ParseArgs(argc, argv, {"--caption"}, {"--ratio"}, args)) return Usage("bad option");
    return Glyphs(args);
  }
  if (cmd == "error") {
    if (!ParseArgs(argc, argv, {}, {}, args)) return Usage("bad option");
    return Error(args);
  }
  if (cmd == "face") {
    if (!ParseArgs(argc, argv, {"--caption"}, {"--height", "--prefix"}, args)) {
      return Usage("bad option");
    }
    return Face(args);
  }
  if (cmd == "check") {
    if (!ParseArgs(argc, argv, {"--alt"}, {}, args)) return Usage("bad option");
    return Check(args);
  }
  if (cmd == "version") return Version();
  if (cmd == "list") return List();
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  return Usage("unknown command");
}

}  // namespace

// Nothing escapes as an abort: running out of memory, or any other failure
// the commands do not report themselves, is a message and exit status 2.
// Files are written whole or not at all, so none is left in part.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("tavo: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavo: %s\n", e.what());
  } catch (...) {
    std::fputs("tavo: unexpected failure\n", stderr);
  }
  return 2;
}
