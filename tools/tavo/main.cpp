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
#include "gs1_command.h"
#include "render.h"
#include "tavo32.h"
#include "tavo_model.h"

namespace {

using tavo::cli::ParseInt;
using tavo::cli::ParseSymbology;

constexpr char kUsage[] =
    "usage:\n"
    "  tavo translate SYMBOLOGY VALUE [--check | --check-value N | --level L|M|Q|H] [--raw]\n"
    "                [--svg FILE] [--png FILE]\n"
    "                [--module SIZE] [--height MODULES] [--ratio R] [--caption]\n"
    "      print the font string (bytes outside printable ASCII as \\xHH) and its length;\n"
    "      --raw writes the bare bytes instead.  In VALUE, \\xHH is any byte, \\\\ a backslash,\n"
    "      \\F1..\\F4 the Code 128 function characters and \\0 NUL as Code 128 data.\n"
    "      --svg and --png also draw the symbol with its quiet zones and captions:\n"
    "      --module is the narrow bar in pixels (PNG, default 2) or user units (SVG,\n"
    "      default 1), --height the bar height in modules (default 50, PostNet 6),\n"
    "      --ratio the wide:narrow ratio of two-width symbologies (2 to 3, default 3),\n"
    "      --caption the caption variant of the font (text under the bars).\n"
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
  text += tavo::gs1cmd::kGs1Usage;
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

// A positive decimal number, whole or with a fraction.
std::optional<double> ParseNumber(std::string_view text) {
  double v = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || ptr != end || text.empty() || !(v > 0)) return std::nullopt;
  return v;
}

// How the pictures of `translate` are drawn.
struct PictureOptions {
  tavo::model::ModelOptions model;
  double module_png = 2;
  double module_svg = 1;
  double height = 0;  // 0: the default of the symbology
};

// Reads --module, --height, --ratio and --caption; nullopt after a usage
// message on stderr.
std::optional<PictureOptions> ParsePictureOptions(const Args& args) {
  PictureOptions p;
  if (args.Has("--module")) {
    auto m = ParseNumber(args.Get("--module"));
    if (!m || *m > 100 || (args.Has("--png") && *m < 1)) {
      Usage("--module takes a size above 0 and up to 100 (a PNG needs at least 1 pixel)");
      return std::nullopt;
    }
    p.module_png = p.module_svg = *m;
  }
  if (args.Has("--height")) {
    auto h = ParseNumber(args.Get("--height"));
    if (!h || *h > 1000) {
      Usage("--height takes a number of modules above 0 and up to 1000");
      return std::nullopt;
    }
    p.height = *h;
  }
  if (args.Has("--ratio")) {
    auto r = ParseNumber(args.Get("--ratio"));
    if (!r || *r < 2 || *r > 3) {
      Usage("--ratio takes a number from 2 to 3");
      return std::nullopt;
    }
    p.model.wide_ratio = *r;
  }
  p.model.caption = args.Has("--caption");
  return p;
}

// Draws the font string as the symbol it prints, into the --svg and --png
// files.
int WritePictures(int32_t symbology, std::string_view font_string, const Args& args,
                  const PictureOptions& p) {
  tavo::model::Symbol symbol;
  tavo::model::ModelError error;
  if (!tavo::model::BuildSymbol(symbology, font_string, p.model, symbol, error)) {
    std::fprintf(stderr, "tavo: cannot draw byte %zu of the font string: %s\n", error.byte_index,
                 error.reason.c_str());
    return 1;
  }
  tavo::render::Layout layout = tavo::render::LayOut(symbol, p.height, true);
  const tavo::render::PixelSize size = tavo::render::RasterSize(layout, p.module_png);
  if (args.Has("--png") && !size.Drawable()) {
    std::fprintf(stderr,
                 "tavo: the picture would be %.0f x %.0f pixels; at most %.0f million are drawn "
                 "(lower --module or --height)\n",
                 size.width, size.height, tavo::render::kMaxPixels / 1e6);
    return 2;
  }
  std::string why;
  if (args.Has("--svg") &&
      !tavo::render::WriteText(tavo::render::SvgDocument(layout, p.module_svg),
                               std::string(args.Get("--svg")), why)) {
    std::fprintf(stderr, "tavo: %s\n", why.c_str());
    return 1;
  }
  if (args.Has("--png") &&
      !tavo::render::WritePng(tavo::render::Rasterize(layout, p.module_png),
                              std::string(args.Get("--png")), why)) {
    std::fprintf(stderr, "tavo: %s\n", why.c_str());
    return 1;
  }
  return 0;
}

int Translate(const Args& args) {
  if (args.positional.size() != 2) return Usage("translate takes SYMBOLOGY and VALUE");
  auto sym = ParseSymbology(args.positional[0]);
  if (!sym) return Usage("unknown symbology");
  auto value = tavo::cli::DecodeValueEscapes(args.positional[1]);
  if (!value) return Usage("malformed escape in VALUE");
  if (value->find('\0') != std::string::npos) return Usage("VALUE may not hold \\x00 (use \\0)");
  auto pictures = ParsePictureOptions(args);
  if (!pictures) return 2;
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
    return WritePictures(*sym, std::string_view(out.data(), static_cast<size_t>(len)), args, *pictures);
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
  auto options = ParsePictureOptions(args);
  if (!options) return 2;
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
  if (cmd == "gs1") return tavo::gs1cmd::RunGs1Command(argc, argv);
  if (cmd == "translate") {
    if (!ParseArgs(argc, argv, {"--check", "--raw", "--caption"},
                   {"--svg", "--png", "--module", "--height", "--ratio", "--check-value", "--level"}, args)) {
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
