// Code 93 in its full-ASCII form: one glyph per ASCII character, then the
// check characters C and K over the expanded symbol characters.
#include "symbologies/code93.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "symbologies/encoders.h"
#include "symbologies/full_ascii.h"

namespace tavo {
namespace {

// The 49 symbol characters in value order: '0' is 0 ... '%' is 42; the shift
// symbols ($) (%) (/) (+) are written 'y' 'z' '{' '|' (43..46), the start
// character '}' (47) and the stop character '~' (48).
constexpr std::string_view Code93Alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%yz{|}~";
static_assert(Code93Alphabet.size() == 49);

static_assert(Code93Alphabet.substr(0, 43) == kFullAsciiCharacters);

// Symbol value of each byte 0..127, 47 where the byte is no symbol character.
// ANSI/AIM BC5-1995, the Code 93 character values.
constexpr std::array<uint8_t, 128> kSymbolValues = [] {
  std::array<uint8_t, 128> values{};
  for (size_t b = 0; b < values.size(); ++b) {
    const size_t pos = Code93Alphabet.find(static_cast<char>(b));
    values[b] = static_cast<uint8_t>(pos == std::string_view::npos ? 47 : pos);
  }
  return values;
}();
static_assert(kSymbolValues['0'] == 0 && kSymbolValues['%'] == 42 && kSymbolValues['~'] == 48);

constexpr char kStartByte = '\x7D';
constexpr char kStopByte = '\x7E';
constexpr unsigned kCheckModulus = 47;

// The symbol values of each byte's Full ASCII expansion, last first (the
// order in which the check sums take them), so the sums read one row per
// value byte.
struct ExpansionValues {
  uint8_t count;
  std::array<uint8_t, 2> last_first;
};
constexpr std::array<ExpansionValues, 128> kExpansionValues = [] {
  std::array<ExpansionValues, 128> rows{};
  for (size_t b = 0; b < rows.size(); ++b) {
    const std::string_view e = kFullAsciiExpansion[b];
    rows[b].count = static_cast<uint8_t>(e.size());
    for (size_t i = 0; i < e.size(); ++i) {
      const size_t v = i == 0 && e.size() == 2 ? 43 + kFullAsciiShifts.find(e[0])
                                               : kSymbolValues[static_cast<unsigned char>(e[i])];
      rows[b].last_first[e.size() - 1 - i] = static_cast<uint8_t>(v);
    }
  }
  return rows;
}();
static_assert(kExpansionValues['A'].count == 1 && kExpansionValues['A'].last_first[0] == 10);
static_assert(kExpansionValues['a'].count == 2 && kExpansionValues['a'].last_first[1] == 46);

// A check sum whose weights count 1, 2, ... up to `period` and start over,
// taken from the rightmost symbol character leftwards.  Each term is at most
// 46 x 20, so a 64-bit sum cannot wrap for any value that fits in memory; it
// is reduced modulo 47 once, at the end.
struct WeightedSum {
  unsigned period;
  unsigned weight;
  uint64_t sum = 0;
  void Add(unsigned value) {
    sum += value * weight;
    weight = weight == period ? 1 : weight + 1;
  }
  unsigned Reduced() const { return static_cast<unsigned>(sum % kCheckModulus); }
};

}  // namespace

char Code93FontChar(unsigned char code) {
  return static_cast<char>(code <= 32 ? code + 48 : code + 128);
}

char Code93CheckFontChar(char symbol) {
  const int value = Code93CharValue(symbol);
  if (value >= 43 && value <= 46) return symbol;  // shift symbols keep their own glyphs
  return Code93FontChar(static_cast<unsigned char>(symbol));
}

int Code93CharValue(char symbol) {
  const auto b = static_cast<unsigned char>(symbol);
  return b < kSymbolValues.size() ? kSymbolValues[b] : 47;
}

char Code93ValueChar(unsigned value) {
  return value < Code93Alphabet.size() ? Code93Alphabet[value] : '\0';
}

void Code93CheckChars(std::string_view value, char& c, char& k) {
  // One walk from the last symbol character of the expansion to the first,
  // without building the expansion.  K covers the expansion followed by C, so
  // C takes K's weight 1 and the expansion's last character starts at 2.
  WeightedSum c_sum{.period = 20, .weight = 1};
  WeightedSum k_sum{.period = 15, .weight = 2};
  for (auto it = value.rbegin(); it != value.rend(); ++it) {
    const auto code = static_cast<unsigned char>(*it);
    if (code >= kExpansionValues.size()) continue;
    const ExpansionValues& row = kExpansionValues[code];
    for (size_t s = 0; s < row.count; ++s) {
      c_sum.Add(row.last_first[s]);
      k_sum.Add(row.last_first[s]);
    }
  }
  const unsigned c_value = c_sum.Reduced();
  const char c_symbol = Code93ValueChar(c_value);
  const unsigned k_value = (k_sum.Reduced() + c_value) % kCheckModulus;
  c = Code93CheckFontChar(c_symbol);
  k = Code93CheckFontChar(Code93ValueChar(k_value));
}

int32_t EncodeCode93(std::string_view value, const Options& /*options: the checks are mandatory*/, FontString& out) {
  // Room for the start, the value, C, K and the stop, made once.  The start
  // character belongs to the first value character, so an empty value gets
  // none.
  const size_t n = value.size();
  char* w = out.Extend(n + (n > 0 ? 4 : 3));
  if (n > 0) *w++ = kStartByte;
  for (char ch : value) {
    const auto code = static_cast<unsigned char>(ch);
    if (code > 127) return kIllegalCharacterAscii;
    *w++ = Code93FontChar(code);
  }
  // C and K are mandatory in Code 93: the check option does not apply.
  Code93CheckChars(value, w[0], w[1]);
  w[2] = kStopByte;
  return kOk;
}

}  // namespace tavo
