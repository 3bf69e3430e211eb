// Code 39: what the bytes of both Code 39 forms draw (code 0: one Code 39
// character per byte; code 1: the library's fonts, one glyph per ASCII
// character drawing its Full ASCII expansion), and how a reader reads them.
#include <array>
#include <vector>

#include "model_internal.h"
#include "symbologies/codes.h"
#include "symbologies/code39.h"
#include "symbologies/full_ascii.h"

namespace tavo::model::detail {

using namespace tavo::symbology;

namespace {

// Code 39 characters in check-value order ('0' is 0 ... '%' is 42), then the
// start/stop character.
constexpr std::string_view kChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";
constexpr int kStartStop = 43;

// Bars and spaces of each character, bar first: '1' narrow, 'w' wide; three
// of the nine elements are wide.
// ISO/IEC 16388:2007 Table 1 (Code 39 symbol character encodation).
constexpr std::array<std::string_view, 44> kPatterns = {
    "111ww1w11", "w11w1111w", "11ww1111w", "w1ww11111", "111ww111w",  // 0-4
    "w11ww1111", "11www1111", "111w11w1w", "w11w11w11", "11ww11w11",  // 5-9
    "w1111w11w", "11w11w11w", "w1w11w111", "1111ww11w", "w111ww111",  // A-E
    "11w1ww111", "11111ww1w", "w1111ww11", "11w11ww11", "1111www11",  // F-J
    "w111111ww", "11w1111ww", "w1w1111w1", "1111w11ww", "w111w11w1",  // K-O
    "11w1w11w1", "111111www", "w11111ww1", "11w111ww1", "1111w1ww1",  // P-T
    "ww111111w", "1ww11111w", "www111111", "1w11w111w", "ww11w1111",  // U-Y
    "1ww1w1111", "1w1111w1w", "ww1111w11", "1ww111w11", "1w1w1w111",  // Z - . space $
    "1w1w111w1", "1w111w1w1", "111w1w1w1", "1w11w1w11"};              // / + % *
static_assert(kPatterns.size() == kChars.size());

// Full ASCII expansion of each ASCII code, in Code 39 characters: the
// library's table (symbologies/full_ascii.h).
using tavo::kFullAsciiExpansion;
static_assert(kChars.substr(0, 43) == tavo::kFullAsciiCharacters);

// The ASCII character whose glyph each byte of the library's Code 39 fonts
// is, -1 for bytes that are no such glyph: the library's map
// (symbologies/code39.h) read backwards.
constexpr std::array<int16_t, 256> kGlyphAscii = [] {
  std::array<int16_t, 256> ascii{};
  for (auto& a : ascii) a = -1;
  for (size_t c = 0; c < tavo::kCode39GlyphMap.size(); ++c) ascii[tavo::kCode39GlyphMap[c]] = static_cast<int16_t>(c);
  return ascii;
}();

constexpr unsigned char kFontStart = tavo::kCode39Start;
constexpr unsigned char kFontStop = tavo::kCode39Stop;

int CharValue(char c) { return static_cast<int>(kChars.find(c)); }

// One glyph: the Code 39 characters it draws, and the ASCII character it
// shows (-1 where it shows none).
struct Glyph {
  size_t byte_index;
  std::string_view chars;
  int ascii;
};

bool Parse(int32_t symbology, std::string_view s, std::vector<Glyph>& glyphs, ModelError& error) {
  glyphs.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (symbology == kCode39FullAscii) {
      // One byte per Code 39 character; "_" is the space character.
      const char c = b == '_' ? ' ' : (b == ' ' ? '\0' : static_cast<char>(b));
      const size_t v = c == '\0' ? kChars.npos : kChars.find(c);
      if (v == kChars.npos) {
        return Fail(error, i, DescribeByteAt(s, i) + " is none of the 43 Code 39 characters, "
                              "\"_\" for the space, or the start/stop character \"*\"");
      }
      glyphs.push_back({i, kChars.substr(v, 1), c == '*' ? -1 : c});
    } else if (b == kFontStart || b == kFontStop) {
      glyphs.push_back({i, "*", -1});
    } else if (kGlyphAscii[b] >= 0) {
      glyphs.push_back({i, kFullAsciiExpansion[static_cast<size_t>(kGlyphAscii[b])], kGlyphAscii[b]});
    } else {
      return Fail(error, i, DescribeByteAt(s, i) + " is no glyph of the Code 39 fonts");
    }
  }
  return true;
}

// Name of a start/stop character by its place: the first of several is the
// start; the last, or a lone one, the stop.
struct StartStop {
  std::string_view name;
  CharacterRole role;
};
constexpr StartStop kStartChar{"START", CharacterRole::kStart};
constexpr StartStop kStopChar{"STOP", CharacterRole::kStop};

StartStop StartStopOf(int32_t symbology, std::string_view s, size_t i) {
  if (symbology == kCode39) return static_cast<unsigned char>(s[i]) == kFontStart ? kStartChar : kStopChar;
  if (i + 1 == s.size()) return kStopChar;
  return i == 0 ? kStartChar : StartStop{"*", CharacterRole::kData};
}

// Draws one glyph's Code 39 characters, the narrow gap between the two of a
// shift pair, and its caption; `start_stop` names a start/stop character.
void DrawGlyph(const Glyph& g, StartStop start_stop, const ModelOptions& options, Layout& layout) {
  const double left = layout.x();
  for (size_t k = 0; k < g.chars.size(); ++k) {
    if (k > 0) layout.Space(1);
    const size_t v = kChars.find(g.chars[k]);  // every parsed character is in the set
    if (v >= kPatterns.size()) continue;
    layout.Widths(kPatterns[v], options.wide_ratio);
    if (v == kStartStop) {
      layout.AddCharacter(g.byte_index, std::string(start_stop.name), -1, start_stop.role);
    } else {
      layout.AddCharacter(g.byte_index, CharacterName(static_cast<unsigned char>(g.chars[k])), static_cast<int>(v));
    }
  }
  if (options.caption && g.ascii >= 0) {
    layout.AddCaption(CaptionText(static_cast<unsigned char>(g.ascii)), (left + layout.x()) / 2);
  }
}

}  // namespace

bool BuildCode39(int32_t symbology, std::string_view s, const ModelOptions& options, Symbol& symbol,
                 ModelError& error) {
  std::vector<Glyph> glyphs;
  if (!Parse(symbology, s, glyphs, error)) return false;
  Layout layout(symbol);
  for (const Glyph& g : glyphs) {
    if (g.byte_index > 0) layout.Space(1);  // the narrow gap between characters
    DrawGlyph(g, StartStopOf(symbology, s, g.byte_index), options, layout);
  }
  layout.Finish(10, 10);
  return true;
}

bool DrawCode39Glyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  // One font serves both forms: code 0's start/stop "*" beside the glyphs of
  // the library's fonts (which never emit "*").
  const std::string s(1, static_cast<char>(code));
  std::vector<Glyph> glyphs;
  ModelError ignored;
  if (!Parse(code == '*' ? kCode39FullAscii : kCode39, s, glyphs, ignored)) return false;
  DrawGlyph(glyphs.front(), code == '*' ? StartStop{"START/STOP", CharacterRole::kStart} : StartStopOf(kCode39, s, 0),
            options, layout);
  layout.Space(1);  // the gap before the next character
  return true;
}

bool ReadCode39(int32_t symbology, std::string_view s, Reading& reading, ModelError& error) {
  std::vector<Glyph> glyphs;
  if (!Parse(symbology, s, glyphs, error)) return false;
  reading = {};
  if (glyphs.empty() || glyphs.front().chars != "*" || glyphs.size() == 1) {
    reading.faults.push_back("no start character");
  }
  if (glyphs.empty() || glyphs.back().chars != "*") reading.faults.push_back("no stop character");
  const size_t begin = !glyphs.empty() && glyphs.front().chars == "*" ? 1 : 0;
  size_t end = !glyphs.empty() && glyphs.back().chars == "*" ? glyphs.size() - 1 : glyphs.size();
  if (end < begin) end = begin;
  for (size_t i = begin; i < end; ++i) {
    if (glyphs[i].chars == "*") {
      reading.faults.push_back("start/stop character inside the symbol at byte " +
                               std::to_string(glyphs[i].byte_index));
    }
  }
  // The optional check character: the last glyph, when it draws one
  // character, that is the modulo-43 sum of all characters before it, and
  // at least one data glyph stands before it.
  int sum = 0;
  for (size_t i = begin; i + 1 < end; ++i) {
    for (char c : glyphs[i].chars) sum += c == '*' ? 0 : CharValue(c);
  }
  const bool has_last = end > begin + 1 && glyphs[end - 1].chars.size() == 1;
  const char expected = kChars[static_cast<size_t>(sum % 43)];
  const bool present = has_last && glyphs[end - 1].chars[0] == expected;
  if (present) {
    --end;
  } else if (end > begin) {
    for (char c : glyphs[end - 1].chars) sum += c == '*' ? 0 : CharValue(c);
  }
  const char would_be = present ? expected : kChars[static_cast<size_t>(sum % 43)];
  reading.checks.push_back({.what = "modulo-43 check character",
                            .found = present ? std::string(1, expected) : "",
                            .expected = std::string(1, would_be),
                            .optional = true});
  // The data: code 1 glyphs show their ASCII characters; code 0 characters
  // are read as Full ASCII, a shift character and a letter being one.
  std::string code39;
  for (size_t i = begin; i < end; ++i) {
    if (symbology == kCode39 && glyphs[i].ascii >= 0) reading.data.push_back(static_cast<char>(glyphs[i].ascii));
    code39.append(glyphs[i].chars);
  }
  if (symbology == kCode39FullAscii) {
    for (size_t i = 0; i < code39.size(); ++i) {
      const int pair = i + 1 < code39.size() ? FullAsciiPair(code39[i], code39[i + 1]) : -1;
      reading.data.push_back(static_cast<char>(pair >= 0 ? pair : code39[i]));
      if (pair >= 0) ++i;
    }
  }
  return true;
}

}  // namespace tavo::model::detail
