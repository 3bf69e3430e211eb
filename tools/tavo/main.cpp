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
#include "list_json.h"
#include "picture_options.h"
#include "tavo32.h"
#include "tavo_model.h"
#include "text_encoding.h"

namespace {

using tavo::cli::ParseInt;
using tavo::cli::ParseSymbology;

constexpr char kUsage[] =
    "usage:\n"
    "  tavo translate SYMBOLOGY VALUE [OPTIONS] [--check | --check-value N] [--raw] [-- ...]\n"
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
    "      OPTIONS are the symbology's named options (`tavo list --json` has them all):\n"
    "      QR Code --level L|M|Q|H, Data Matrix --shape square|rect and --gs1, and --check\n"
    "      (the same as --check-digit) for an optional check character.  --check-value N\n"
    "      passes N itself as the library's check argument.  After \"--\" every argument\n"
    "      is SYMBOLOGY or VALUE, so a value may begin with \"--\".\n"
    "  tavo decode SYMBOLOGY FONTSTRING\n"
    "                               read a font string back: its symbol characters, data\n"
    "                               and check characters; exit status 1 when they do not\n"
    "                               hold together\n"
    "  tavo glyphs SYMBOLOGY [--ratio R] [--caption]\n"
    "                               print every glyph of the symbology's bar code font\n"
    "                               (advance, bars, captions, in modules) as JSON\n"
    "  tavo error CODE              print the message of an error code\n"
    "  tavo face SYMBOLOGY [--height L|M|H] [--caption] [--prefix TEXT]\n"
    "                               print the face name of the font that prints the\n"
    "                               symbology, as installed (prefix \"TAVO \" unless given)\n"
    "  tavo check SYMBOLOGY CHAR [--alt]\n"
    "                               is CHAR (itself, or a decimal code of 2+ digits) valid,\n"
    "                               and how an input form shows it; --alt adds the Alt-key\n"
    "                               code to a label; exit status 1 when not valid\n"
    "  tavo batch SYMBOLOGY --column NAME [-i IN.csv] [-o OUT.csv | --in-place]\n"
    "             [--output-column NAME] [OPTIONS] [--check] [--empty keep|fail] [--raw]\n"
    "             [--encoding auto|utf-8|windows-1252|utf-16] [--output-encoding ENC]\n"
    "             [--delimiter ,|;|tab]\n"
    "                               add to a CSV file (standard input and output by\n"
    "                               default) a column with each row's font string; the\n"
    "                               file is read and written in its own encoding and\n"
    "                               delimiter; failed rows get an empty cell and a\n"
    "                               message; exit status 1 when a row failed, 2 when the\n"
    "                               run could not be done (the output is then untouched)\n"
    "  tavo version | --version     print the library's version numbers\n"
    "  tavo list [--json]           print each symbology: code, short name, face family\n"
    "                               and number of faces, tab-separated; --json prints\n"
    "                               everything the registry says of each (docs/list-json.md)\n"
    "Symbology names and option names are matched without regard to case, '-' or '_'.\n";

// The one line of usage an error on each command ends with.
constexpr std::pair<std::string_view, std::string_view> kCommandLines[] = {
    {"translate", "tavo translate SYMBOLOGY VALUE [OPTIONS] [--check] [--raw] [--svg FILE] [--png FILE]"},
    {"decode", "tavo decode SYMBOLOGY FONTSTRING"},
    {"glyphs", "tavo glyphs SYMBOLOGY [--ratio R] [--caption]"},
    {"error", "tavo error CODE"},
    {"face", "tavo face SYMBOLOGY [--height L|M|H] [--caption] [--prefix TEXT]"},
    {"check", "tavo check SYMBOLOGY CHAR [--alt]"},
    {"batch", "tavo batch SYMBOLOGY --column NAME [-i IN.csv] [-o OUT.csv | --in-place] [OPTIONS]"},
    {"version", "tavo version"},
    {"list", "tavo list [--json]"},
    {"help", "tavo help"},
};

// The command being run, for the usage line of its errors.
std::string_view g_command;

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

// A usage error: the reason, then the one usage line of the command (the
// whole help only when no command was given); exit status 2.
int Usage(std::string_view why) {
  if (!why.empty()) std::fprintf(stderr, "tavo: %.*s\n", static_cast<int>(why.size()), why.data());
  for (auto& [command, line] : kCommandLines) {
    if (command == g_command) {
      std::fprintf(stderr, "usage: %.*s  (tavo help: all commands)\n", static_cast<int>(line.size()), line.data());
      return 2;
    }
  }
  if (why.empty()) {
    std::fputs(UsageText().c_str(), stderr);
  } else {
    std::fputs("usage: tavo COMMAND ...  (tavo help: all commands)\n", stderr);
  }
  return 2;
}

int Usage(const char* why) { return Usage(std::string_view(why ? why : "")); }

// One line a symbology: code, short name, face family, number of faces.
int List() {
  for (const tavo::cli::SymbologyEntry& row : tavo::cli::SymbologyEntries()) {
    std::printf("%d\t%.*s\t%.*s\t%zu\n", row.code, static_cast<int>(row.name.size()), row.name.data(),
                static_cast<int>(row.family.size()), row.family.data(), tavo::FaceCount(row.faces));
  }
  return 0;
}

int ListJson() {
  std::fputs(tavo::cli::SymbologiesJson().c_str(), stdout);
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
// the next argument (or follow '=': --level=H).  The named options of the
// symbologies (--level, --gs1 ...) are collected apart when `symbology_options`.
struct Args {
  std::vector<std::string_view> positional;
  std::vector<std::pair<std::string_view, std::string_view>> flags;
  std::vector<tavo::cli::NamedOption> named;
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

// The option of any symbology called `flag` ("--check-digit"), or nullptr.
const tavo::OptionInfo* AnySymbologyOption(std::string_view flag) {
  for (const tavo::SymbologyInfo& row : tavo::Symbologies()) {
    if (const tavo::OptionInfo* o = tavo::FindOption(row, flag.substr(2))) return o;
  }
  return nullptr;
}

// Every flag a command knows, for suggestions.
std::vector<std::string> KnownFlags(std::initializer_list<std::string_view> known,
                                    std::initializer_list<std::string_view> with_value, bool symbology_options) {
  std::vector<std::string> all(known.begin(), known.end());
  all.insert(all.end(), with_value.begin(), with_value.end());
  for (const tavo::SymbologyInfo& row : tavo::Symbologies()) {
    if (!symbology_options) break;
    for (const tavo::OptionInfo& o : row.options) {
      std::string flag = "--";
      for (char c : o.name) flag.push_back(c == '_' ? '-' : c);
      all.push_back(flag);
    }
  }
  return all;
}

// Fills `args`; on a bad flag, says which in `why`.  The first "--" ends
// the flags: every argument after it is positional (a value "--x").
bool ParseArgs(int argc, char** argv, std::initializer_list<std::string_view> known,
               std::initializer_list<std::string_view> with_value, Args& args, std::string& why,
               bool symbology_options = false) {
  bool flags_ended = false;
  for (int i = 2; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "--" && !flags_ended) {
      flags_ended = true;
      continue;
    }
    if (flags_ended || a.size() <= 2 || a.substr(0, 2) != "--") {
      args.positional.push_back(a);
      continue;
    }
    std::string_view inline_value;
    const size_t eq = a.find('=');
    const bool has_inline = eq != std::string_view::npos;
    if (has_inline) {
      inline_value = a.substr(eq + 1);
      a = a.substr(0, eq);
    }
    const bool takes = std::find(with_value.begin(), with_value.end(), a) != with_value.end();
    const bool plain = std::find(known.begin(), known.end(), a) != known.end();
    const tavo::OptionInfo* named = symbology_options && !takes && !plain ? AnySymbologyOption(a) : nullptr;
    if (named) {
      const bool flag = named->type == tavo::OptionType::kFlag;
      if (!flag && !has_inline && i + 1 == argc) return why = std::string(a) + " lacks its value", false;
      args.named.push_back({std::string(a.substr(2)),
                            std::string(has_inline || flag ? inline_value : std::string_view(argv[++i]))});
      continue;
    }
    if (!takes && !plain) {
      std::vector<std::string> nearest = tavo::cli::NearestWords(a, KnownFlags(known, with_value, symbology_options));
      return why = "unknown option " + std::string(a) + tavo::cli::DidYouMean(nearest), false;
    }
    if (takes) {
      if (!has_inline && i + 1 == argc) return why = std::string(a) + " lacks its value", false;
      args.flags.emplace_back(a, has_inline ? inline_value : std::string_view(argv[++i]));
    } else {
      if (has_inline) return why = std::string(a) + " takes no value", false;
      args.flags.emplace_back(a, "");
    }
  }
  return true;
}

// " (given: 'a', 'b')" or " (given none)": the positional arguments, for
// a message saying how many a command takes.
std::string Given(const Args& args) {
  if (args.positional.empty()) return " (given none)";
  std::string text = " (given: ";
  for (size_t i = 0; i < args.positional.size(); ++i) {
    text += (i ? ", '" : "'") + std::string(args.positional[i]) + "'";
  }
  return text + ")";
}

// The registry row of a symbology typed on the command line, or nullptr
// after a usage message naming it.  A bare code without a row is left to
// the library (nullptr, `code` set, no message).
const tavo::SymbologyInfo* SymbologyArgument(std::string_view text, std::optional<int32_t>& code) {
  code = ParseSymbology(text);
  if (!code) {
    Usage(tavo::cli::UnknownSymbologyMessage(text));
    return nullptr;
  }
  return tavo::FindSymbology(*code);
}

// The check argument from --check, --check-value and the named options;
// nullopt after a usage message.
std::optional<int32_t> CheckArgument(int32_t sym, const tavo::SymbologyInfo* row, const Args& args) {
  std::vector<tavo::cli::NamedOption> named = args.named;
  if (args.Has("--check")) {
    const bool has_digit = row && tavo::FindOption(*row, "check_digit");
    named.push_back({has_digit ? "check_digit" : "check", ""});
  }
  if (args.Has("--check-value")) {
    if (!named.empty()) {
      Usage("--check-value sets the check argument itself: it takes no named options or --check");
      return std::nullopt;
    }
    auto n = ParseInt(args.Get("--check-value"));
    if (!n) Usage("--check-value takes a whole number, not '" + std::string(args.Get("--check-value")) + "'");
    return n;
  }
  if (named.empty()) return 0;
  if (!row) {
    Usage("symbology " + std::to_string(sym) + " has no row in the registry, so no named options (use --check-value)");
    return std::nullopt;
  }
  std::string why;
  auto check = tavo::cli::ResolveCheck(*row, named, why);
  if (!check) Usage(why);
  return check;
}

// The value's bytes by the symbology's text rule: typed UTF-8 becomes
// Windows-1252 for the font-table symbologies (a character without a byte
// there is 32505); the 2D symbologies take UTF-8 as it is.  Text that is
// not UTF-8 goes as bytes.  The escapes are decoded afterwards, so \xHH is
// always the byte HH.
int ApplyTextRule(const tavo::SymbologyInfo* row, std::string_view typed, std::string& out) {
  out.assign(typed);
  if (!row || row->text != tavo::TextRule::kWindows1252 || tavo::text::IsAscii(typed)) return 0;
  std::string converted;
  uint32_t bad = 0;
  if (tavo::text::Utf8To1252(typed, converted, bad)) {
    out = std::move(converted);
  } else if (bad != tavo::text::kBadCodePoint) {
    std::fprintf(stderr, "tavo: %d %s (%s has no Windows-1252 byte, so no character in the %.*s font)\n",
                 BC_FONT_ERR_ILLEGAL_CHARACTER, Message(BC_FONT_ERR_ILLEGAL_CHARACTER).c_str(),
                 tavo::text::DescribeCodePoint(bad).c_str(), static_cast<int>(row->name.size()), row->name.data());
    return 1;
  }
  return 0;
}

// After an incomplete EAN-13, UPC-A, EAN-8 or UPC-E: a value with its check
// digit typed in full belongs to the code that takes a full number.
void HintFullNumber(int32_t symbology, int32_t rc, std::string_view value) {
  struct Hint {
    int32_t symbology, error;
    size_t digits;
    const char* other;
  };
  static constexpr Hint kHints[] = {{BC_SYM_EAN13, BC_FONT_ERR_INCOMPLETE_EANJAN_13, 13, "gtin13"},
                                    {BC_SYM_UPCA, BC_FONT_ERR_INCOMPLETE_UPCA, 12, "gtin12"},
                                    {BC_SYM_EAN8, BC_FONT_ERR_INCOMPLETE_EANJAN_8, 8, "gtin8"},
                                    {BC_SYM_UPCE, BC_FONT_ERR_INCOMPLETE_UPCE, 8, "upce8"}};
  const bool digits = !value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos;
  for (const Hint& h : kHints) {
    if (h.symbology == symbology && h.error == rc && digits && value.size() == h.digits) {
      std::fprintf(stderr, "tavo: hint: %zu digits with their check digit are a full number: use %s\n",
                   h.digits, h.other);
    }
  }
}

int Translate(const Args& args) {
  if (args.positional.size() != 2) return Usage("translate takes SYMBOLOGY and VALUE" + Given(args));
  std::optional<int32_t> sym;
  const tavo::SymbologyInfo* row = SymbologyArgument(args.positional[0], sym);
  if (!sym) return 2;
  std::string typed;
  if (ApplyTextRule(row, args.positional[1], typed)) return 1;
  size_t bad = 0;
  auto value = tavo::cli::DecodeValueEscapes(typed, &bad);
  if (!value) {
    return Usage("malformed escape " + tavo::cli::DescribeBadEscape(typed, bad) +
                 " in VALUE (\\xHH, \\\\, \\F1..\\F4 or \\0)");
  }
  if (value->find('\0') != std::string::npos) return Usage("VALUE may not hold \\x00 (use \\0)");
  std::string picture_error;
  auto pictures = tavo::cli::ParsePictureOptions(args.flags, picture_error);
  if (!pictures) return Usage(picture_error);
  const std::optional<int32_t> check = CheckArgument(*sym, row, args);
  if (!check) return 2;
  // A 2D symbol of a short value is many times its length (a QR Code of
  // one byte is 168 bytes); 8 KiB more holds the largest.
  std::vector<char> out(value->size() * 8 + 8192);
  int32_t len = 0;
  int32_t rc = BC_FontTranslate(*sym, value->c_str(), *check, out.data(), static_cast<int32_t>(out.size()), &len);
  if (rc) {
    Fail(rc);
    HintFullNumber(*sym, rc, *value);
    return 1;
  }
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
  if (args.positional.size() != 2) return Usage("decode takes SYMBOLOGY and FONTSTRING" + Given(args));
  std::optional<int32_t> sym;
  SymbologyArgument(args.positional[0], sym);
  if (!sym) return 2;
  size_t bad = 0;
  auto font_string = tavo::cli::DecodeValueEscapes(args.positional[1], &bad);
  if (!font_string) return Usage("malformed escape " + tavo::cli::DescribeBadEscape(args.positional[1], bad) + " in FONTSTRING");
  return RunDecode(*sym, *font_string);
}

int Glyphs(const Args& args) {
  if (args.positional.size() != 1) return Usage("glyphs takes SYMBOLOGY" + Given(args));
  std::optional<int32_t> sym;
  SymbologyArgument(args.positional[0], sym);
  if (!sym) return 2;
  std::string error;
  auto options = tavo::cli::ParsePictureOptions(args.flags, error);
  if (!options) return Usage(error);
  return RunGlyphs(*sym, options->model);
}

int Error(const Args& args) {
  if (args.positional.size() != 1) return Usage("error takes CODE" + Given(args));
  auto code = ParseInt(args.positional[0]);
  if (!code) return Usage("CODE must be a number, not '" + std::string(args.positional[0]) + "'");
  std::printf("%s\n", Message(*code).c_str());
  return 0;
}

int Face(const Args& args) {
  if (args.positional.size() != 1) return Usage("face takes SYMBOLOGY" + Given(args));
  std::optional<int32_t> sym;
  const tavo::SymbologyInfo* row = SymbologyArgument(args.positional[0], sym);
  if (!sym) return 2;
  int32_t height = 0;
  if (args.Has("--height")) {
    std::string_view h = args.Get("--height");
    height = h == "L" ? 0 : h == "M" ? 1 : h == "H" ? 2 : -1;
    if (height < 0) return Usage("--height takes L, M or H, not '" + std::string(h) + "'");
  }
  // The installed fonts' families begin "TAVO "; the font that prints a
  // symbology may be another's (Code 39 Full ASCII prints in Code 39's).
  std::string prefix(args.Has("--prefix") ? args.Get("--prefix") : "TAVO ");
  const int32_t font = row ? row->font : *sym;
  // Room for any prefix: the longest suffix is 10 bytes, and the library
  // asks for one byte beyond the name.
  std::vector<char> buf(prefix.size() + 32);
  int32_t len = 0;
  int32_t rc = BC_FontGetFaceName(prefix.c_str(), font, height, args.Has("--caption") ? 1 : 0,
                                  buf.data(), static_cast<int32_t>(buf.size()), &len);
  if (rc) return Fail(rc);
  std::printf("%.*s\n", len, buf.data());
  return 0;
}

int Check(const Args& args) {
  if (args.positional.size() != 2) return Usage("check takes SYMBOLOGY and CHAR" + Given(args));
  std::optional<int32_t> sym;
  const tavo::SymbologyInfo* row = SymbologyArgument(args.positional[0], sym);
  if (!sym) return 2;
  // A symbology without faces of its own (Code 39 Full ASCII) is typed in
  // its font's characters, as the bindings check it.
  const int32_t code = row && row->faces == tavo::FaceVariants::kNone ? row->font : *sym;
  std::string_view c = args.positional[1];
  int32_t ch;
  if (c.size() == 1) {
    ch = static_cast<unsigned char>(c[0]);
  } else if (auto n = ParseInt(c)) {
    ch = *n;
  } else {
    return Usage("CHAR is one character or a decimal code, not '" + std::string(c) + "'");
  }
  char buf[64];
  int32_t len = 0;
  if (!BC_CharCheck(code, ch, args.Has("--alt") ? 1 : 0, buf, sizeof buf, &len)) {
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

// The flags of each command: without a value, then with one.
struct CommandFlags {
  std::string_view command;
  std::initializer_list<std::string_view> known;
  std::initializer_list<std::string_view> with_value;
  bool symbology_options;
};

int Run(int argc, char** argv) {
  if (argc < 2) return Usage(nullptr);
  const std::string_view cmd = argv[1];
  g_command = cmd;
  if (cmd == "batch") return tavo::batch::RunBatchCommand(argc, argv);
  if (cmd == "gs1") return tavo::gs1cmd::RunGs1Command(argc, argv);
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (cmd == "--version") return Version();
  static const CommandFlags kCommands[] = {
      {"translate", {"--check", "--raw", "--caption"},
       {"--svg", "--png", "--module", "--height", "--ratio", "--check-value", "--xdim", "--dpi", "--fg", "--bg"},
       true},
      {"decode", {}, {}, false},
      {"glyphs", {"--caption"}, {"--ratio"}, false},
      {"error", {}, {}, false},
      {"face", {"--caption"}, {"--height", "--prefix"}, false},
      {"check", {"--alt"}, {}, false},
      {"version", {}, {}, false},
      {"list", {"--json"}, {}, false},
  };
  const CommandFlags* command = nullptr;
  for (const CommandFlags& c : kCommands) {
    if (c.command == cmd) command = &c;
  }
  if (!command) {
    std::vector<std::string> names;
    for (auto& [name, line] : kCommandLines) names.emplace_back(name);
    g_command = {};
    return Usage("unknown command '" + std::string(cmd) + "'" +
                 tavo::cli::DidYouMean(tavo::cli::NearestWords(cmd, names)) + "; tavo help lists them");
  }
  Args args;
  std::string why;
  if (!ParseArgs(argc, argv, command->known, command->with_value, args, why, command->symbology_options)) {
    return Usage(why);
  }
  if (cmd == "translate") return Translate(args);
  if (cmd == "decode") return Decode(args);
  if (cmd == "glyphs") return Glyphs(args);
  if (cmd == "error") return Error(args);
  if (cmd == "face") return Face(args);
  if (cmd == "check") return Check(args);
  if (!args.positional.empty()) return Usage(std::string(cmd) + " takes no arguments" + Given(args));
  if (cmd == "version") return Version();
  return args.Has("--json") ? ListJson() : List();
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
