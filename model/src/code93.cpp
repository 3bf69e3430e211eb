// Code 93: a glyph for each ASCII character draws the one or two symbol
// characters of its full-ASCII expansion; four glyphs draw the shift symbols
// alone (they serve as check characters); start and stop.
#include <array>
#include <vector>

#include "model_internal.h"
#include "symbologies/full_ascii.h"

namespace tavo::model::detail {
namespace {

// Symbol characters 0..42 in value order; 43..46 are the shifts ($) (%) (/)
// (+), 47 the start/stop character.
constexpr std::string_view kChars = tavo::kFullAsciiCharacters;
constexpr int kShiftDollar = 43;
constexpr int kStartStop = 47;
constexpr std::array<std::string_view, 4> kShiftNames = {"($)", "(%)", "(/)", "(+)"};

// Three bars and three spaces, bar first, in modules (nine in all).
// ANSI/AIM BC5-1995 (Uniform Symbology Specification Code 93), its
// symbol character table.
constexpr std::array<std::string_view, 48> kPatterns = {
    "131112", "111213", "111312", "111411", "121113", "121212", "121311", "111114",  // 0-7
    "131211", "141111", "211113", "211212", "211311", "221112", "221211", "231111",  // 8-F
    "112113", "112212", "112311", "122112", "132111", "111123", "111222", "111321",  // G-N
    "121122", "131121", "212112", "212211", "211122", "211221", "221121", "222111",  // O-V
    "112122", "112221", "122121", "123111", "121131", "311112", "311211", "321111",  // W-$
    "112131", "113121", "211131", "121221", "312111", "311121", "122211", "111141"};  // /-start
static_assert(kPatterns.size() == 48);

// Symbol values of the full-ASCII expansion of an ASCII character: a basic
// character, or a shift and a letter.
std::vector<int> Expansion(int ascii) {
  const size_t basic = kChars.find(static_cast<char>(ascii));
  if (ascii > 0 && basic != kChars.npos) return {static_cast<int>(basic)};
  // Otherwise the first shift and letter that pair to `ascii` (DEL is (%) T).
  for (int shift = 0; shift < 4; ++shift) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      if (FullAsciiPair("$%/+"[shift], letter) == ascii) {
        return {kShiftDollar + shift, static_cast<int>(kChars.find(letter))};
      }
    }
  }
  return {};
}

struct Glyph {
  size_t byte_index;
  std::vector<int> values;
  int ascii;  // the character it shows, -1 for none
};

bool Parse(std::string_view s, std::vector<Glyph>& glyphs, ModelError& error) {
  glyphs.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b >= 0x30 && b <= 0x50) {
      glyphs.push_back({i, Expansion(b - 0x30), b - 0x30});
    } else if (b >= 0xA1) {
      glyphs.push_back({i, Expansion(b - 0x80), b - 0x80});
    } else if (b >= 0x79 && b <= 0x7C) {
      glyphs.push_back({i, {kShiftDollar + (b - 0x79)}, -1});
    } else if (b == 0x7D || b == 0x7E) {
      glyphs.push_back({i, {kStartStop}, -1});
    } else {
      return Fail(error, i, DescribeByteAt(s, i) +
                                " is no glyph of the Code 93 fonts (0x30..0x50, 0x79..0x7E, "
                                "0xA1..0xFF)");
    }
  }
  return true;
}

std::string ValueName(int v) {
  if (v == kStartStop) return "START/STOP";  // outside the 43 characters of kChars
  if (v >= kShiftDollar && v < kStartStop) return std::string(kShiftNames[static_cast<size_t>(v - kShiftDollar)]);
  return CharacterName(static_cast<unsigned char>(kChars[static_cast<size_t>(v)]));
}

// A check character over `values`: weights 1, 2 ... `period`, repeating,
// from the rightmost value; the sum modulo 47.
int CheckValue(const std::vector<int>& values, int period) {
  int sum = 0;
  for (size_t r = 0; r < values.size(); ++r) {
    sum += values[values.size() - 1 - r] * static_cast<int>(r % static_cast<size_t>(period) + 1);
  }
  return sum % 47;
}

// How a glyph stands in its symbol: the stop (drawn with the termination
// bar), the start, one of the check characters C and K, or data.
enum class Role { kData, kCheck, kStart, kStop };

void DrawGlyph(const Glyph& glyph, Role role, const ModelOptions& options, Layout& layout) {
  const double left = layout.x();
  for (int v : glyph.values) {
    layout.Widths(kPatterns[static_cast<size_t>(v)]);
    std::string name = ValueName(v);
    CharacterRole does = CharacterRole::kData;
    if (v == kStartStop) {
      const bool stop = role == Role::kStop;
      name = stop ? "STOP" : "START";
      does = stop ? CharacterRole::kStop : CharacterRole::kStart;
    }
    if (role == Role::kCheck && glyph.values.size() == 1 && v != kStartStop) {
      name = "CHECK " + name;
      does = CharacterRole::kCheck;
    }
    layout.AddCharacter(glyph.byte_index, name, v == kStartStop ? -1 : v, does);
  }
  if (role == Role::kStop) layout.Bar(1);  // the termination bar after the stop character
  if (options.caption && glyph.ascii >= 0) {
    layout.AddCaption(CaptionText(static_cast<unsigned char>(glyph.ascii)), (left + layout.x()) / 2);
  }
}

}  // namespace

bool BuildCode93(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error) {
  std::vector<Glyph> glyphs;
  if (!Parse(s, glyphs, error)) return false;
  Layout layout(symbol);
  // C and K are the last two symbol characters before the stop.
  size_t stop_at = glyphs.size();
  if (!glyphs.empty() && static_cast<unsigned char>(s.back()) == 0x7E) stop_at = glyphs.size() - 1;
  for (size_t g = 0; g < glyphs.size(); ++g) {
    const Role role = g == stop_at ? Role::kStop : g + 2 >= stop_at && g < stop_at ? Role::kCheck : Role::kData;
    DrawGlyph(glyphs[g], role, options, layout);
  }
  layout.Finish(10, 10);
  return true;
}

bool DrawCode93Glyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  std::vector<Glyph> glyphs;
  ModelError ignored;
  if (!Parse(std::string(1, static_cast<char>(code)), glyphs, ignored)) return false;
  // The stop glyph always draws the termination bar: the library puts it last.
  const Role role = code == 0x7E ? Role::kStop : code == 0x7D ? Role::kStart : Role::kData;
  DrawGlyph(glyphs.front(), role, options, layout);
  return true;
}

bool ReadCode93(int32_t, std::string_view s, Reading& reading, ModelError& error) {
  std::vector<Glyph> glyphs;
  if (!Parse(s, glyphs, error)) return false;
  reading = {};
  if (s.empty() || static_cast<unsigned char>(s.front()) != 0x7D) reading.faults.push_back("no start character");
  if (s.empty() || static_cast<unsigned char>(s.back()) != 0x7E) reading.faults.push_back("no stop character");
  std::vector<int> x;  // the symbol characters between start and stop
  for (size_t g = 0; g < glyphs.size(); ++g) {
    const auto b = static_cast<unsigned char>(s[glyphs[g].byte_index]);
    if ((b == 0x7D && g == 0) || (b == 0x7E && g + 1 == glyphs.size())) continue;
    if (b == 0x7D || b == 0x7E) {
      reading.faults.push_back("start/stop character inside the symbol at byte " + std::to_string(g));
      continue;
    }
    x.insert(x.end(), glyphs[g].values.begin(), glyphs[g].values.end());
  }
  if (x.size() < 2) {
    reading.faults.push_back("no check characters C and K");
    return true;
  }
  const std::vector<int> data(x.begin(), x.end() - 2);
  std::vector<int> with_c = data;
  with_c.push_back(CheckValue(data, 20));
  reading.checks.push_back({.what = "check character C", .found = ValueName(x[x.size() - 2]),
                            .expected = ValueName(with_c.back())});
  with_c.back() = x[x.size() - 2];  // K covers the C the symbol holds
  reading.checks.push_back({.what = "check character K", .found = ValueName(x.back()),
                            .expected = ValueName(CheckValue(with_c, 15))});
  if (data.empty()) reading.faults.push_back("no data");
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] < kShiftDollar) {
      reading.data.push_back(kChars[static_cast<size_t>(data[i])]);
      continue;
    }
    const int ascii = i + 1 < data.size() && data[i + 1] >= 10 && data[i + 1] <= 35
                          ? FullAsciiPair("$%/+"[data[i] - kShiftDollar], kChars[static_cast<size_t>(data[i + 1])])
                          : -1;
    if (ascii < 0) {
      reading.faults.push_back("shift " + ValueName(data[i]) + " not followed by a letter it pairs with");
      continue;
    }
    reading.data.push_back(static_cast<char>(ascii));
    ++i;
  }
  return true;
}

}  // namespace tavo::model::detail
