// Codabar: one glyph per character; the letters A..D draw the start/stop
// characters, under their upper-case codes as start and lower-case as stop.
#include <array>

#include "model_internal.h"

namespace tavo::model::detail {
namespace {

// Characters in value order (data 0..15, start/stop letters 16..19).
constexpr std::string_view kChars = "0123456789-$:/.+ABCD";

// Seven elements each, bar first: '1' narrow, 'w' wide.
// ANSI/AIM BC3-1995 (Codabar), the symbol character table; also EN 798.
constexpr std::array<std::string_view, 20> kPatterns = {
    "11111ww", "1111ww1", "111w11w", "ww11111", "11w11w1",  // 0-4
    "w1111w1", "1w1111w", "1w11w11", "1ww1111", "w11w111",  // 5-9
    "111ww11", "11ww111", "w111w1w", "w1w111w", "w1w1w11",  // - $ : / .
    "11w1w1w", "11ww1w1", "1w1w11w", "111w1ww", "111www1"};  // + A B C D
static_assert(kPatterns.size() == kChars.size());

bool IsStop(char c) { return c >= 'a' && c <= 'd'; }
bool IsStart(char c) { return c >= 'A' && c <= 'D'; }

// Value of a font character: data 0..15, letters 16..19 in either case; -1
// for bytes that are no glyph.
int ValueOf(char c) {
  if (IsStop(c)) c = static_cast<char>(c - 32);
  const size_t v = c == '\0' ? kChars.npos : kChars.find(c);
  return v == kChars.npos ? -1 : static_cast<int>(v);
}

bool Check(std::string_view s, ModelError& error) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (ValueOf(s[i]) < 0) {
      return Fail(error, i, DescribeByteAt(s, i) +
                                " is no glyph of the Codabar fonts (0-9 - $ : / . +, start A-D, "
                                "stop a-d)");
    }
  }
  return true;
}

// Draws the character `c` (a checked one) at byte index `i`.
void DrawGlyph(size_t i, char c, const ModelOptions& options, Layout& layout) {
  const double left = layout.x();
  const int v = ValueOf(c);
  layout.Widths(kPatterns[static_cast<size_t>(v)], options.wide_ratio);
  const char letter = kChars[static_cast<size_t>(v)];
  if (v < 16) {
    layout.AddCharacter(i, std::string(1, letter), v);
    if (options.caption) layout.AddCaption(std::string(1, letter), (left + layout.x()) / 2);
  } else {
    layout.AddCharacter(i, (IsStop(c) ? "STOP " : "START ") + std::string(1, letter), v,
                        IsStop(c) ? CharacterRole::kStop : CharacterRole::kStart);
  }
}

}  // namespace

bool BuildCodabar(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error) {
  if (!Check(s, error)) return false;
  Layout layout(symbol);
  for (size_t i = 0; i < s.size(); ++i) {
    if (i > 0) layout.Space(1);  // the narrow gap between characters
    DrawGlyph(i, s[i], options, layout);
  }
  layout.Finish(10, 10);
  return true;
}

bool DrawCodabarGlyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  const char c = static_cast<char>(code);
  ModelError ignored;
  if (!Check(std::string_view(&c, 1), ignored)) return false;
  DrawGlyph(0, c, options, layout);
  layout.Space(1);  // the gap before the next character
  return true;
}

bool ReadCodabar(int32_t, std::string_view s, Reading& reading, ModelError& error) {
  if (!Check(s, error)) return false;
  reading = {};
  if (s.size() == 1 && IsStop(s[0])) {
    reading.faults.push_back("a stop character alone: no start character and no data");
    return true;
  }
  if (s.empty() || !IsStart(s.front())) reading.faults.push_back("no start character");
  if (s.empty() || !IsStop(s.back())) reading.faults.push_back("no stop character");
  for (size_t i = 1; i + 1 < s.size(); ++i) {
    if (ValueOf(s[i]) >= 16) {
      reading.faults.push_back("start/stop letter inside the symbol at byte " + std::to_string(i));
    }
  }
  if (s.size() <= 2) reading.faults.push_back("no data");
  // The optional check character stands before the stop and brings the sum
  // of all values, start and stop included, to a multiple of 16; a data
  // character stands before it.
  int sum = 0;
  for (char c : s) sum += ValueOf(c);
  const bool present = s.size() >= 4 && ValueOf(s[s.size() - 2]) < 16 && sum % 16 == 0;
  std::string data(s);
  if (present) {
    reading.checks.push_back({.what = "modulo-16 check character",
                              .found = std::string(1, s[s.size() - 2]),
                              .expected = std::string(1, s[s.size() - 2]),
                              .optional = true});
    data.erase(data.size() - 2, 1);
  } else if (!s.empty()) {
    const int r = sum % 16;
    reading.checks.push_back({.what = "modulo-16 check character",
                              .found = "",
                              .expected = std::string(1, kChars[static_cast<size_t>((16 - r) % 16)]),
                              .optional = true});
  }
  reading.data = data;
  return true;
}

}  // namespace tavo::model::detail
