// Interleaved 2 of 5: each font byte draws a digit pair, the first digit in
// the bars and the second in the spaces between them.
#include <array>
#include <vector>

#include "model_internal.h"

namespace tavo::model::detail {
namespace {

constexpr unsigned char kStart = 0x97;
constexpr unsigned char kStop = 0x98;

// The five elements of each digit, '1' narrow and 'w' wide; two are wide.
// ISO/IEC 16390:2007 Table 1 (Interleaved 2 of 5 digit encodation).
constexpr std::array<std::string_view, 10> kDigits = {"11ww1", "w111w", "1w11w", "ww111", "11w1w",
                                                      "w1w11", "1ww11", "111ww", "w11w1", "1w1w1"};

// Pair value of a font byte: 0x92..0x96 hold 00..04, 0xA1..0xFF 05..99;
// -1 for the start, the stop and bytes that are no glyph.
int PairOf(unsigned char b) {
  if (b >= 0x92 && b <= 0x96) return b - 0x92;
  if (b >= 0xA1) return b - 0x9C;
  return -1;
}

bool Check(std::string_view s, ModelError& error) {
  for (size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b != kStart && b != kStop && PairOf(b) < 0) {
      return Fail(error, i, DescribeByteAt(s, i) +
                                " is no glyph of the I2of5 fonts (pairs 0x92..0x96 and 0xA1..0xFF, "
                                "start 0x97, stop 0x98)");
    }
  }
  return true;
}

std::string PairText(int pair) {
  return std::string{static_cast<char>('0' + pair / 10), static_cast<char>('0' + pair % 10)};
}

// The modulo-10 check digit: weights 3, 1, 3 ... from the rightmost digit.
char CheckDigit(std::string_view digits) {
  int sum = 0;
  for (size_t r = 0; r < digits.size(); ++r) {
    sum += (r % 2 == 0 ? 3 : 1) * (digits[digits.size() - 1 - r] - '0');
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Draws the glyph of byte `b` (a checked one) at byte index `i`.
void DrawGlyph(size_t i, unsigned char b, const ModelOptions& options, Layout& layout) {
  const double wide = options.wide_ratio;
  if (b == kStart) {
    layout.Widths("1111");  // narrow bar, space, bar, space
    layout.AddCharacter(i, "START", -1, CharacterRole::kStart);
    return;
  }
  if (b == kStop) {
    layout.Widths("w11", wide);  // wide bar, narrow space, narrow bar
    layout.AddCharacter(i, "STOP", -1, CharacterRole::kStop);
    return;
  }
  const int pair = PairOf(b);
  const double left = layout.x();
  const std::string_view bars = kDigits[static_cast<size_t>(pair / 10)];
  const std::string_view spaces = kDigits[static_cast<size_t>(pair % 10)];
  for (size_t k = 0; k < 5; ++k) {
    layout.Bar(bars[k] == 'w' ? wide : 1);
    layout.Space(spaces[k] == 'w' ? wide : 1);
  }
  layout.AddCharacter(i, PairText(pair), pair);
  if (options.caption) layout.AddCaption(PairText(pair), (left + layout.x()) / 2);
}

}  // namespace

std::string_view I2of5DigitWidths(int digit) { return kDigits[static_cast<size_t>(digit)]; }

int I2of5PairOf(unsigned char b) { return PairOf(b); }

bool BuildI2of5(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error) {
  if (!Check(s, error)) return false;
  Layout layout(symbol);
  for (size_t i = 0; i < s.size(); ++i) DrawGlyph(i, static_cast<unsigned char>(s[i]), options, layout);
  layout.Finish(10, 10);
  return true;
}

bool DrawI2of5Glyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  ModelError ignored;
  if (!Check(std::string(1, static_cast<char>(code)), ignored)) return false;
  DrawGlyph(0, code, options, layout);
  return true;
}

bool ReadI2of5(int32_t, std::string_view s, Reading& reading, ModelError& error) {
  if (!Check(s, error)) return false;
  reading = {};
  if (s.empty() || static_cast<unsigned char>(s.front()) != kStart) {
    reading.faults.push_back("no start character");
  }
  if (s.empty() || static_cast<unsigned char>(s.back()) != kStop) {
    reading.faults.push_back("no stop character");
  }
  std::string digits;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int pair = PairOf(b);
    if (pair >= 0) {
      digits += PairText(pair);
    } else if ((b == kStart && i != 0) || (b == kStop && i + 1 != s.size())) {
      reading.faults.push_back((b == kStart ? "start" : "stop") +
                               std::string(" character inside the symbol at byte ") +
                               std::to_string(i));
    }
  }
  if (digits.empty()) reading.faults.push_back("no data");
  // The optional check digit is the last one, when it fits the digits
  // before it and there are any.
  const bool present = digits.size() >= 2 &&
                       CheckDigit(std::string_view(digits).substr(0, digits.size() - 1)) == digits.back();
  if (present) {
    reading.checks.push_back({.what = "modulo-10 check digit",
                              .found = std::string(1, digits.back()),
                              .expected = std::string(1, digits.back()),
                              .optional = true});
    digits.pop_back();
  } else {
    reading.checks.push_back(
        {.what = "modulo-10 check digit", .found = "", .expected = std::string(1, CheckDigit(digits)), .optional = true});
  }
  reading.data = digits;
  return true;
}

}  // namespace tavo::model::detail
