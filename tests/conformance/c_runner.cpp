// The conformance runner of the C interface: reads the cases (one JSON object
// a line, see tests/conformance/README.md), resolves each symbology name and
// named option through the registry the way every surface must, converts text
// by the symbology's text rule, calls BC_FontTranslate and prints
//   ID<TAB>ok<TAB>HEX   or   ID<TAB>error<TAB>CODE
// Its output is the expected result of every other surface (expected.tsv).
// Exit status 0 when every case ran, 2 when the cases cannot be read.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "symbologies/registry.h"
#include "tavo32.h"
#include "text_encoding.h"

namespace {

// The error codes a surface gives for what it finds itself.
constexpr int32_t kUnknownSymbology = 32511;
constexpr int32_t kBadOption = 32561;
constexpr int32_t kNoCp1252Byte = 32505;

// An option's value in a case: a string, a boolean, or a number kept as its
// JSON text (so that a number beyond 64 bits is still seen whole).
struct Number {
  std::string text;
};
using OptionValue = std::variant<std::string, bool, Number>;

struct Case {
  std::string id;
  std::string symbology;
  std::string value;  // the bytes of "bytes_hex", or the UTF-8 of "value"
  bool is_bytes = false;
  std::vector<std::pair<std::string, OptionValue>> options;
};

// A small reader of the JSON the cases use: objects, strings, booleans and
// numbers (no arrays, no null).  Throws std::runtime_error naming the fault.
class JsonLine {
 public:
  explicit JsonLine(std::string_view text) : s_(text) {}

  Case Read() {
    Case c;
    bool has_value = false;
    Object([&](const std::string& key) {
      if (key == "options") {
        Object([&](const std::string& name) { c.options.emplace_back(name, Scalar()); });
      } else if (key == "bytes_hex") {
        c.value = HexBytes(String());
        c.is_bytes = has_value = true;
      } else {
        std::string text = String();
        if (key == "id") c.id = text;
        if (key == "symbology") c.symbology = text;
        if (key == "value") c.value = text, has_value = true;
      }
    });
    Space();
    if (pos_ != s_.size()) Fail("text after the object");
    if (c.id.empty() || !has_value) Fail("a case needs an id and a value or bytes_hex");
    // No surface can pass a NUL byte through a C string.
    if (c.value.find('\0') != std::string::npos) Fail("a value may not hold a NUL byte");
    return c;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) {
    throw std::runtime_error(why + " at column " + std::to_string(pos_ + 1));
  }
  void Space() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r')) ++pos_;
  }
  bool Take(char c) {
    Space();
    if (pos_ < s_.size() && s_[pos_] == c) return ++pos_, true;
    return false;
  }
  void Expect(char c) {
    if (!Take(c)) Fail(std::string("expected '") + c + "'");
  }

  template <class F>
  void Object(F&& member) {
    Expect('{');
    if (Take('}')) return;
    do {
      std::string key = String();
      Expect(':');
      member(key);
    } while (Take(','));
    Expect('}');
  }

  OptionValue Scalar() {
    Space();
    if (s_.substr(pos_, 4) == "true") return pos_ += 4, OptionValue(true);
    if (s_.substr(pos_, 5) == "false") return pos_ += 5, OptionValue(false);
    if (pos_ < s_.size() && s_[pos_] == '"') return String();
    const size_t start = pos_;
    while (pos_ < s_.size() && std::string_view("+-0123456789.eE").find(s_[pos_]) != std::string_view::npos) ++pos_;
    if (pos_ == start) Fail("expected a string, a boolean or a number");
    return Number{std::string(s_.substr(start, pos_ - start))};
  }

  uint32_t Hex4() {
    if (pos_ + 4 > s_.size()) Fail("a cut \\u escape");
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const int d = HexDigit(s_[pos_++]);
      if (d < 0) Fail("a bad \\u escape");
      v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
  }

  std::string String() {
    Expect('"');
    std::string out;
    while (pos_ < s_.size() && s_[pos_] != '"') {
      const char c = s_[pos_++];
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (pos_ == s_.size()) break;
      const char e = s_[pos_++];
      static constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
      if (e == 'u') {
        AppendUtf8(out, CodePoint());
      } else if (kFrom.find(e) != std::string_view::npos) {
        out.push_back(kTo[kFrom.find(e)]);
      } else {
        Fail("a bad escape");
      }
    }
    if (!Take('"')) Fail("an unterminated string");
    return out;
  }

  // After "\u": a code point, joining a surrogate pair.
  uint32_t CodePoint() {
    const uint32_t u = Hex4();
    if (u < 0xD800 || u > 0xDBFF) {
      if (u >= 0xDC00 && u <= 0xDFFF) Fail("a lone low surrogate");
      return u;
    }
    if (s_.substr(pos_, 2) != "\\u") Fail("a lone high surrogate");
    pos_ += 2;
    const uint32_t low = Hex4();
    if (low < 0xDC00 || low > 0xDFFF) Fail("a high surrogate without its low one");
    return 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
  }

  static void AppendUtf8(std::string& out, uint32_t cp) {
    auto put = [&](uint32_t b) { out.push_back(static_cast<char>(b)); };
    if (cp < 0x80) {
      put(cp);
    } else if (cp < 0x800) {
      put(0xC0 | cp >> 6), put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      put(0xE0 | cp >> 12), put(0x80 | (cp >> 6 & 0x3F)), put(0x80 | (cp & 0x3F));
    } else {
      put(0xF0 | cp >> 18), put(0x80 | (cp >> 12 & 0x3F)), put(0x80 | (cp >> 6 & 0x3F)), put(0x80 | (cp & 0x3F));
    }
  }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string HexBytes(const std::string& hex) {
    std::string out;
    if (hex.size() % 2) Fail("bytes_hex has an odd number of digits");
    for (size_t i = 0; i < hex.size(); i += 2) {
      const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
      if (hi < 0 || lo < 0) Fail("bytes_hex holds a character that is not a hex digit");
      out.push_back(static_cast<char>(hi * 16 + lo));
    }
    return out;
  }

  std::string_view s_;
  size_t pos_ = 0;
};

// A translation's outcome: the font string, or an error code.
struct Outcome {
  int32_t error = 0;
  std::string bytes;
};

// `check` itself: a whole number within int32 passes straight through;
// true means the symbology's check_digit option where it has one.
std::optional<int32_t> RawCheck(const tavo::SymbologyInfo& row, const OptionValue& v) {
  if (const bool* on = std::get_if<bool>(&v)) {
    const tavo::OptionInfo* digit = tavo::FindOption(row, "check_digit");
    if (!digit) return std::nullopt;
    return *on ? digit->check : 0;
  }
  const Number* n = std::get_if<Number>(&v);
  if (!n) return std::nullopt;
  const std::string& t = n->text;
  const size_t digits_from = !t.empty() && t[0] == '-' ? 1 : 0;
  if (t.size() == digits_from || t.size() - digits_from > 10 ||
      t.find_first_not_of("0123456789", digits_from) != std::string::npos) {
    return std::nullopt;
  }
  const long long n64 = std::stoll(t);
  if (n64 < std::numeric_limits<int32_t>::min() || n64 > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(n64);
}

// A named option's value as the registry's words: a boolean is on/off (for
// a flag only), a number its decimal text (for a number option only).
std::optional<std::string> OptionText(const tavo::OptionInfo& o, const OptionValue& v) {
  if (const bool* on = std::get_if<bool>(&v)) {
    if (o.type != tavo::OptionType::kFlag) return std::nullopt;
    return *on ? "on" : "off";
  }
  if (const Number* n = std::get_if<Number>(&v)) {
    if (o.type != tavo::OptionType::kNumber) return std::nullopt;
    return n->text;
  }
  if (o.type == tavo::OptionType::kFlag) return std::nullopt;  // flags take booleans
  return std::get<std::string>(v);
}

// The check argument of a case's options, or nullopt (error 32561).
std::optional<int32_t> ResolveOptions(const tavo::SymbologyInfo& row, const Case& c) {
  int32_t check = 0;
  for (const auto& [name, value] : c.options) {
    if (tavo::detail::NormalizedName(name).view() == "check") {
      if (c.options.size() != 1) return std::nullopt;  // check is the whole argument
      return RawCheck(row, value);
    }
    const tavo::OptionInfo* o = tavo::FindOption(row, name);
    if (!o) return std::nullopt;
    const std::optional<std::string> text = OptionText(*o, value);
    const int32_t add = text ? tavo::OptionContribution(*o, *text) : -1;
    if (add < 0) return std::nullopt;
    check += add;
  }
  return check;
}

Outcome Translate(int32_t code, const std::string& value, int32_t check) {
  Outcome out;
  std::vector<char> buf(value.size() * 16 + 65536);
  for (int attempt = 0; attempt < 2; ++attempt) {
    int32_t len = 0;
    const int32_t rc =
        BC_FontTranslate(code, value.c_str(), check, buf.data(), static_cast<int32_t>(buf.size()), &len);
    if (rc == BC_FONT_ERR_TOO_MANY_CHARACTERS && attempt == 0) {
      buf.resize(buf.size() * 8);  // too long for the buffer, or for the symbology
      continue;
    }
    if (rc) return out.error = rc, out;
    out.bytes.assign(buf.data(), static_cast<size_t>(len));
    return out;
  }
  return out;
}

Outcome Run(const Case& c) {
  Outcome failed;
  const tavo::SymbologyInfo* row = tavo::FindSymbologyByName(c.symbology);
  if (!row) return failed.error = kUnknownSymbology, failed;
  const std::optional<int32_t> check = ResolveOptions(*row, c);
  if (!check) return failed.error = kBadOption, failed;
  std::string value = c.value;
  if (!c.is_bytes && row->text == tavo::TextRule::kWindows1252) {
    uint32_t bad = 0;
    if (!tavo::text::Utf8To1252(c.value, value, bad)) return failed.error = kNoCp1252Byte, failed;
  }
  return Translate(row->code, value, *check);
}

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: conformance_c_runner CASES.jsonl\n", stderr);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "conformance_c_runner: cannot read %s\n", argv[1]);
    return 2;
  }
  std::string line, out;
  for (size_t number = 1; std::getline(in, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    try {
      const Case c = JsonLine(line).Read();
      const Outcome o = Run(c);
      out += c.id + (o.error ? "\terror\t" + std::to_string(o.error) : "\tok\t" + Hex(o.bytes)) + "\n";
    } catch (const std::exception& e) {
      std::fprintf(stderr, "conformance_c_runner: %s line %zu: %s\n", argv[1], number, e.what());
      return 2;
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 2;
}
