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

// Symbol value of the character at `index` of a Full ASCII expansion: the
// shift of a two-character expansion is one of the shift symbols 43..46.
unsigned ExpansionValue(std::string_view expansion, size_t index) {
  if (index == 0 && expansion.size() == 2) {
    return static_cast<unsigned>(43 + kFullAsciiShifts.find(expansion[0]));
  }
  return static_cast<unsigned>(Code93CharValue(expansion[index]));
}

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

// A check sum whose weights count 1, 2, ... up to `period` and start over,
// taken from the rightmost symbol character leftwards.  The sum is kept
// reduced modulo 47 after every term, so it is exact for values of any length
// and never wraps around.
struct WeightedSum {
  unsigned period;
  unsigned weight;
  unsigned sum = 0;
  void Add(unsigned value) {
    sum = (sum + value * weight) % kCheckModulus;
    weight = weight == period ? 1 : weight + 1;
  }
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
    if (code >= kFullAsciiExpansion.size()) continue;
    const std::string_view symbols = kFullAsciiExpansion[code];
    for (size_t s = symbols.size(); s-- > 0;) {
      const unsigned v = ExpansionValue(symbols, s);
      c_sum.Add(v);
      k_sum.Add(v);
    }
  }
  const char c_symbol = Code93ValueChar(c_sum.sum);
  const unsigned k_value = (k_sum.sum + c_sum.sum) % kCheckModulus;
  c = Code93CheckFontChar(c_symbol);
  k = Code93CheckFontChar(Code93ValueChar(k_value));
}

int32_t EncodeCode93(std::string_view value, const Options& /*options: the checks are mandatory*/, FontString& out) {
  out.reserve(out.size() + value.size() + 4);
  for (size_t i = 0; i < value.size(); ++i) {
    // The start character belongs to the first value character, so an empty
    // value gets none.
    if (i == 0) out.push_back(kStartByte);
    const auto code = static_cast<unsigned char>(value[i]);
    if (code > 127) return kIllegalCharacterAscii;
    out.push_back(Code93FontChar(code));
  }
  // C and K are mandatory in Code 93: the check option does not apply.
  char c = 0;
  char k = 0;
  Code93CheckChars(value, c, k);
  out.push_back(c);
  out.push_back(k);
  out.push_back(kStopByte);
  return kOk;
}

}  // namespace tavo
