// PostNet: each digit is five bars, two of them tall, by the weights 7 4 2
// 1 0 (0 is 7 + 4); "*" is the tall frame bar.  Bars and the spaces between
// them are one module each.
#include <array>

#include "model_internal.h"

namespace tavo::model::detail {
namespace {

// '1' tall, '0' short, by the weights 7 4 2 1 0.
// USPS Publication 25 (Designing Letter and Reply Mail), the POSTNET code
// table; the same in the Domestic Mail Manual's POSTNET standards.
constexpr std::array<std::string_view, 10> kDigits = {"11000", "00011", "00101", "00110", "01001",
                                                      "01010", "01100", "10001", "10010", "10100"};

bool Check(std::string_view s, ModelError& error) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '*' && (s[i] < '0' || s[i] > '9')) {
      return Fail(error, i, DescribeByteAt(s, i) + " is no glyph of the PostNet font (digits, frame bar '*')");
    }
  }
  return true;
}

// Draws the character `c` (a checked one) at byte index `i`: its bars, each
// followed by its space.
void DrawGlyph(size_t i, char c, Layout& layout) {
  if (c == '*') {
    layout.Bar(1);
    layout.Space(1);
    layout.AddCharacter(i, "FRAME", -1, CharacterRole::kGuard);
    return;
  }
  const int d = c - '0';
  for (char tall : kDigits[static_cast<size_t>(d)]) {
    layout.Bar(1, tall == '1' ? BarHeight::kFull : BarHeight::kHalf);
    layout.Space(1);
  }
  layout.AddCharacter(i, std::string(1, c), d);
}

}  // namespace

bool BuildPostNet(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  if (!Check(s, error)) return false;
  Layout layout(symbol);
  for (size_t i = 0; i < s.size(); ++i) DrawGlyph(i, s[i], layout);
  layout.Finish(6, 6);
  return true;
}

bool DrawPostNetGlyph(unsigned char code, const ModelOptions&, Layout& layout) {
  const char c = static_cast<char>(code);
  ModelError ignored;
  if (!Check(std::string_view(&c, 1), ignored)) return false;
  DrawGlyph(0, c, layout);
  return true;
}

bool ReadPostNet(int32_t, std::string_view s, Reading& reading, ModelError& error) {
  if (!Check(s, error)) return false;
  reading = {};
  if (s.size() < 2 || s.front() != '*' || s.back() != '*') reading.faults.push_back("no frame bar at each end");
  std::string digits;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '*') {
      digits.push_back(s[i]);
    } else if (i != 0 && i + 1 != s.size()) {
      reading.faults.push_back("frame bar inside the symbol at byte " + std::to_string(i));
    }
  }
  if (digits.empty()) {
    reading.faults.push_back("no data");
    return true;
  }
  // The check digit brings the sum of all digits to a multiple of ten.
  int sum = 0;
  for (size_t i = 0; i + 1 < digits.size(); ++i) sum += digits[i] - '0';
  reading.checks.push_back({.what = "modulo-10 check digit", .found = std::string(1, digits.back()),
                            .expected = std::string(1, static_cast<char>('0' + (10 - sum % 10) % 10))});
  digits.pop_back();
  if (digits.size() != 5 && digits.size() != 9 && digits.size() != 11) {
    reading.faults.push_back(std::to_string(digits.size()) +
                             " data digits: a ZIP code has 5, 9 (ZIP+4) or 11 (with delivery point)");
  }
  reading.data = digits;
  return true;
}

}  // namespace tavo::model::detail
