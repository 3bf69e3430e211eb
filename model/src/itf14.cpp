// ITF-14: Interleaved 2 of 5 digit pairs framed by bearer bars.  Every glyph
// draws the top and bottom bearer strokes over its advance; the two frame
// glyphs add the vertical bearers and the quiet zones inside them.
#include "model_internal.h"
#include "symbologies/itf14.h"

namespace tavo::model::detail {
namespace {

constexpr auto kStart = static_cast<unsigned char>(tavo::itf14::kStart);
constexpr auto kStop = static_cast<unsigned char>(tavo::itf14::kStop);
constexpr auto kLeftFrame = static_cast<unsigned char>(tavo::itf14::kLeftFrame);
constexpr auto kRightFrame = static_cast<unsigned char>(tavo::itf14::kRightFrame);

// GS1 General Specifications (the ITF-14 symbol): wide:narrow 2.5 is the target
// (2.25 to 3 allowed), quiet zones of at least 10 modules inside the frame,
// and bearer bars about as thick as 5 narrow bars (4.8 mm recommended at
// the largest X of 1.016 mm; zint draws 5 modules too).
constexpr double kWide = 2.5;
constexpr double kQuiet = 10;
constexpr double kBearer = 5;
constexpr size_t kDigitCount = 14;

bool IsGlyph(unsigned char b) {
  return I2of5PairOf(b) >= 0 || b == kStart || b == kStop || b == kLeftFrame || b == kRightFrame;
}

bool Check(std::string_view s, ModelError& error) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (!IsGlyph(static_cast<unsigned char>(s[i]))) {
      return Fail(error, i, DescribeByteAt(s, i) +
                                " is no glyph of the ITF14 fonts (pairs 0x92..0x96 and 0xA1..0xFF, "
                                "start 0x97, stop 0x98, frame 0x99 and 0x9A)");
    }
  }
  return true;
}

std::string PairText(int pair) {
  return std::string{static_cast<char>('0' + pair / 10), static_cast<char>('0' + pair % 10)};
}

// The GS1 check digit: weights 3, 1, 3 ... from the rightmost data digit.
char Gs1Check(std::string_view digits) {
  int sum = 0;
  for (size_t r = 0; r < digits.size(); ++r) sum += (r % 2 == 0 ? 3 : 1) * (digits[digits.size() - 1 - r] - '0');
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

void DrawPair(size_t i, int pair, const ModelOptions& options, Layout& layout) {
  const double left = layout.x();
  const std::string_view bars = I2of5DigitWidths(pair / 10);
  const std::string_view spaces = I2of5DigitWidths(pair % 10);
  for (size_t k = 0; k < 5; ++k) {
    layout.Bar(bars[k] == 'w' ? kWide : 1);
    layout.Space(spaces[k] == 'w' ? kWide : 1);
  }
  layout.AddCharacter(i, PairText(pair), pair);
  if (options.caption) layout.AddCaption(PairText(pair), (left + layout.x()) / 2);
}

// Draws the glyph of byte `b` (a checked one) at byte index `i`.
void DrawGlyph(size_t i, unsigned char b, const ModelOptions& options, Layout& layout) {
  layout.Bearers(kBearer);
  if (b == kLeftFrame) {
    layout.Bar(kBearer, BarHeight::kFrame);
    layout.Space(kQuiet);
    layout.AddCharacter(i, "LEFT BEARER", -1, CharacterRole::kGuard);
  } else if (b == kRightFrame) {
    layout.Space(kQuiet);
    layout.Bar(kBearer, BarHeight::kFrame);
    layout.AddCharacter(i, "RIGHT BEARER", -1, CharacterRole::kGuard);
  } else if (b == kStart) {
    layout.Widths("1111");  // narrow bar, space, bar, space
    layout.AddCharacter(i, "START", -1, CharacterRole::kStart);
  } else if (b == kStop) {
    layout.Widths("w11", kWide);  // wide bar, narrow space, narrow bar
    layout.AddCharacter(i, "STOP", -1, CharacterRole::kStop);
  } else {
    DrawPair(i, I2of5PairOf(b), options, layout);
  }
}

// Where each kind of glyph belongs: frames at the ends, start and stop
// just inside them.
void PlaceFaults(std::string_view s, Reading& reading) {
  auto at = [s](size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; };
  const size_t n = s.size();
  if (at(0) != kLeftFrame) reading.faults.push_back("no left bearer");
  if (n < 1 || at(n - 1) != kRightFrame) reading.faults.push_back("no right bearer");
  const size_t first = at(0) == kLeftFrame ? 1 : 0;
  const size_t last = n > 0 && at(n - 1) == kRightFrame ? n - 1 : n;  // one past the stop
  if (first >= last || at(first) != kStart) reading.faults.push_back("no start character");
  if (last <= first || at(last - 1) != kStop) reading.faults.push_back("no stop character");
  for (size_t i = 0; i < n; ++i) {
    const unsigned char b = at(i);
    const bool misplaced = (b == kLeftFrame && i != 0) || (b == kRightFrame && i + 1 != n) ||
                           (b == kStart && i != first) || (b == kStop && i + 1 != last);
    if (misplaced) reading.faults.push_back(DescribeByteAt(s, i) + " out of place");
  }
}

}  // namespace

bool BuildItf14(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error) {
  if (!Check(s, error)) return false;
  Layout layout(symbol);
  for (size_t i = 0; i < s.size(); ++i) DrawGlyph(i, static_cast<unsigned char>(s[i]), options, layout);
  // The frame holds the quiet zones; none is needed outside it.
  layout.Finish(0, 0);
  return true;
}

bool DrawItf14Glyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  if (!IsGlyph(code)) return false;
  DrawGlyph(0, code, options, layout);
  return true;
}

bool ReadItf14(int32_t, std::string_view s, Reading& reading, ModelError& error) {
  if (!Check(s, error)) return false;
  reading = {};
  PlaceFaults(s, reading);
  std::string digits;
  for (char c : s) {
    const int pair = I2of5PairOf(static_cast<unsigned char>(c));
    if (pair >= 0) digits += PairText(pair);
  }
  if (digits.size() != kDigitCount) {
    reading.faults.push_back(std::to_string(digits.size()) + " digits where a GTIN-14 has 14");
  }
  const std::string_view data = std::string_view(digits).substr(0, digits.empty() ? 0 : digits.size() - 1);
  reading.checks.push_back({.what = "GS1 check digit",
                            .found = digits.empty() ? "" : std::string(1, digits.back()),
                            .expected = std::string(1, Gs1Check(data)),
                            .optional = false});
  reading.data = std::string(data);
  return true;
}

}  // namespace tavo::model::detail
