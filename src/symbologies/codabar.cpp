// Codabar: data characters pass through; the start and stop letters are taken
// from the value or supplied, and put in the case the font expects; an
// optional modulo-16 check character goes before the stop.
#include "symbologies/codabar.h"

#include <array>

#include "symbologies/encoders.h"

namespace tavo {
namespace {

// The font draws the start/stop letters A..D under their upper-case codes as
// start characters and under their lower-case codes as stop characters.
constexpr char kDefaultStart = 'A';
constexpr char kDefaultStop = 'a';

// Codabar characters in value order: the data characters are worth their
// index 0..15; the letters A..D are worth 16..19 in either case.
// Values as in ANSI/AIM BC3-1995 (Codabar), for the modulo-16 check.
constexpr std::string_view kCodabarValues = "0123456789-$:/.+ABCDabcd";
static_assert(kCodabarValues.size() == 24);
constexpr int32_t kDataCharacters = 16;

constexpr bool IsStartStopLetter(char c) {
  return (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd');
}

// '$', '+', and the run '-' '.' '/' '0'..'9' ':'.
constexpr bool IsDataCharacter(char c) { return c == '$' || c == '+' || (c >= '-' && c <= ':'); }

constexpr char UpperCase(char c) { return (c >= 'a' && c <= 'd') ? static_cast<char>(c - 32) : c; }
constexpr char LowerCase(char c) { return (c >= 'A' && c <= 'D') ? static_cast<char>(c + 32) : c; }

// Value of each byte for the check character: 0..15 for the data characters,
// 16..19 for the letters in either case, 0 for bytes outside the table (never
// present in an accepted symbol).
constexpr std::array<int8_t, 256> kValueOfByte = [] {
  std::array<int8_t, 256> values{};
  for (size_t i = 0; i < kCodabarValues.size(); ++i) {
    const size_t v = i < kDataCharacters ? i : kDataCharacters + (i - kDataCharacters) % 4;
    values[static_cast<unsigned char>(kCodabarValues[i])] = static_cast<int8_t>(v);
  }
  return values;
}();

constexpr int32_t ValueOf(char c) { return kValueOfByte[static_cast<unsigned char>(c)]; }
static_assert(ValueOf('+') == 15 && ValueOf('A') == 16 && ValueOf('d') == 19);

}  // namespace

char CodabarCheckChar(std::string_view symbol) {
  uint32_t remainder = 0;  // kept modulo 16, so no length can overflow it
  for (char c : symbol) remainder = (remainder + static_cast<uint32_t>(ValueOf(c))) & 15;
  return remainder == 0 ? '0' : kCodabarValues[16 - remainder];
}

int32_t EncodeCodabar(std::string_view value, const Options& options, FontString& out) {
  // An empty value makes no symbol at all: no start or stop is supplied.
  if (value.empty()) return kOk;
  const size_t begin = out.size();
  const size_t last = value.size() - 1;
  out.reserve(out.size() + value.size() + 3);
  for (size_t i = 0; i <= last; ++i) {
    const char c = value[i];
    const bool first = i == 0;
    const bool is_last = i == last;
    if ((first || is_last) && IsStartStopLetter(c)) {
      // A letter given first is the start (upper case), one given last the
      // stop (lower case).  A lone letter is first and last at once and ends
      // up as a stop character alone: one font character, not a readable
      // symbol, but what callers of this encoder have always received.
      out.push_back(is_last ? LowerCase(c) : UpperCase(c));
      continue;
    }
    if (!IsDataCharacter(c)) return kIllegalCharacter;
    if (first) out.push_back(kDefaultStart);
    out.push_back(c);
    if (is_last) out.push_back(kDefaultStop);
  }
  if (options.check) {
    const char check = CodabarCheckChar(std::string_view(out).substr(begin));
    out.insert(out.end() - 1, check);
  }
  return kOk;
}

}  // namespace tavo
