// MSI: one glyph per digit, drawn as its four bits from the most
// significant, each a bar and a space (1: wide bar, narrow space; 0: narrow
// bar, wide space), between a start and a stop pattern.
#include "model_internal.h"

namespace tavo::model::detail {
namespace {

constexpr char kStart = 0x60;  // grave accent
constexpr char kStop = '~';

bool Check(std::string_view s, ModelError& error) {
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c != kStart && c != kStop && (c < '0' || c > '9')) {
      return Fail(error, i, DescribeByteAt(s, i) +
                                " is no glyph of the MSI fonts (digits, start 0x60, stop '~')");
    }
  }
  return true;
}

// The MSI modulo-10 check digit: from the rightmost digit, every other digit
// doubled (the digits of the product added), the others added as they are.
char CheckDigit(std::string_view digits) {
  int sum = 0;
  for (size_t r = 0; r < digits.size(); ++r) {
    const int d = digits[digits.size() - 1 - r] - '0';
    sum += r % 2 == 0 ? (2 * d) / 10 + (2 * d) % 10 : d;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Draws the character `c` (a checked one) at byte index `i`.
void DrawGlyph(size_t i, char c, const ModelOptions& options, Layout& layout) {
  const double wide = options.wide_ratio;
  if (c == kStart) {
    layout.Widths("w1", wide);
    layout.AddCharacter(i, "START", -1, CharacterRole::kStart);
  } else if (c == kStop) {
    layout.Widths("1w1", wide);
    layout.AddCharacter(i, "STOP", -1, CharacterRole::kStop);
  } else {
    const double left = layout.x();
    const int d = c - '0';
    for (int bit = 3; bit >= 0; --bit) layout.Widths((d >> bit) & 1 ? "w1" : "1w", wide);
    layout.AddCharacter(i, std::string(1, c), d);
    if (options.caption) layout.AddCaption(std::string(1, c), (left + layout.x()) / 2);
  }
}

}  // namespace

bool BuildMsi(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error) {
  if (!Check(s, error)) return false;
  Layout layout(symbol);
  for (size_t i = 0; i < s.size(); ++i) DrawGlyph(i, s[i], options, layout);
  layout.Finish(12, 12);
  return true;
}

bool DrawMsiGlyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  const char c = static_cast<char>(code);
  ModelError ignored;
  if (!Check(std::string_view(&c, 1), ignored)) return false;
  DrawGlyph(0, c, options, layout);
  return true;
}

bool ReadMsi(int32_t, std::string_view s, Reading& reading, ModelError& error) {
  if (!Check(s, error)) return false;
  reading = {};
  if (s.empty() || s.front() != kStart) reading.faults.push_back("no start character");
  if (s.empty() || s.back() != kStop) reading.faults.push_back("no stop character");
  std::string digits;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9') {
      digits.push_back(s[i]);
    } else if ((s[i] == kStart && i != 0) || (s[i] == kStop && i + 1 != s.size())) {
      reading.faults.push_back("start/stop character inside the symbol at byte " + std::to_string(i));
    }
  }
  if (digits.size() < 2) {
    reading.faults.push_back("no data: the symbol needs a digit and its check digit");
    reading.data = digits;
    return true;
  }
  // The last digit is always the check digit of all before it, whether the
  // symbol has one check digit or two (the second covers the first).  Where
  // the digit before it is also the check digit of the digits before that,
  // the symbol may have been made with the second check digit; it reads as
  // the library's default, one check digit, and the finding tells.
  const std::string_view all(digits);
  reading.checks.push_back({.what = "modulo-10 check digit",
                            .found = std::string(1, digits.back()),
                            .expected = std::string(1, CheckDigit(all.substr(0, all.size() - 1)))});
  if (digits.size() >= 3 && CheckDigit(all.substr(0, all.size() - 2)) == all[all.size() - 2]) {
    reading.checks.push_back({.what = "first of two check digits, if made with the check option (the data then "
                                      "ends before it)",
                              .found = std::string(1, all[all.size() - 2]),
                              .expected = std::string(1, all[all.size() - 2]),
                              .optional = true});
  }
  reading.data = std::string(all.substr(0, all.size() - 1));
  return true;
}

}  // namespace tavo::model::detail
