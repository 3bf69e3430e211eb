// GS1 DataBar Omnidirectional, Stacked, Stacked Omnidirectional and Limited
// in the model: the text of the module-run face as its grid of modules, and
// a reader that measures the elements, turns each character's widths back
// into its value by counting the width patterns before it (not by the
// library's width algorithm), and recomputes the checksum that the finder
// pair or the Limited check character carries.
#include <array>
#include <string>
#include <vector>

#include "databar/databar_internal.h"
#include "model_internal.h"
#include "symbologies/codes.h"
#include "symbologies/databar/databar.h"
#include "symbologies/databar/databar_tables.h"
#include "symbologies/matrix/matrix_text.h"

namespace tavo::model::detail {
namespace {

using namespace tavo::symbology;

// The modules of the symbol proper, left of the light modules that fill
// the last glyph (Limited: of the 5 light modules after its guard too).
int32_t SymbolWidth(int32_t code) {
  if (code == kDatabarLimited) return 74;
  return code == kDatabar ? 96 : 50;
}

// Sequences of `k` widths from 1 to `widest` summing to `m` (with
// `without_one`, none of them 1): counted by recursion over the first.
int64_t Sequences(int k, int m, int widest, bool without_one) {
  if (k == 0) return m == 0 ? 1 : 0;
  if (m < k * (without_one ? 2 : 1) || m > k * widest) return 0;
  int64_t n = 0;
  for (int w = without_one ? 2 : 1; w <= widest && w <= m; ++w) n += Sequences(k - 1, m - w, widest, without_one);
  return n;
}

}  // namespace

// databar_internal.h describes these two.
bool TextModules(std::string_view s, ModuleGrid& grid, ModelError& error) {
  size_t cols = s.find("\r\n");
  if (cols == std::string_view::npos) cols = s.size();
  if (cols == 0) return Fail(error, 0, "the first line holds no glyph");
  grid.width = static_cast<int32_t>(cols) * kDatabarRun;
  grid.height = 0;
  grid.dark.clear();
  for (size_t at = 0;; at += cols + 2) {
    for (size_t i = at; i < at + cols; ++i) {
      const int bits = i < s.size() ? MatrixGlyphBits(s[i]) : -1;
      if (i >= s.size() || s[i] == '\r') return Fail(error, std::min(i, s.size()), "a line shorter than the first");
      if (bits < 0) return Fail(error, i, DescribeByteAt(s, i) + " is no glyph of the DataBar face");
      for (int m = 0; m < kDatabarRun; ++m) grid.dark.push_back(static_cast<uint8_t>(bits >> m & 1));
    }
    ++grid.height;
    if (at + cols == s.size()) return true;
    if (s.substr(at + cols, 2) != "\r\n") return Fail(error, at + cols, "a line longer than the first, or no CR LF");
    if (at + cols + 2 == s.size()) return Fail(error, at + cols, "a line break after the last line");
  }
}

int64_t PatternRank(const std::vector<int>& widths, int widest, bool need_one) {
  int rest = 0;
  for (int w : widths) {
    if (w < 1 || w > widest) return -1;
    rest += w;
  }
  int64_t rank = 0;
  bool had_one = false;
  for (size_t e = 0; e < widths.size(); ++e) {
    const int k = static_cast<int>(widths.size() - e - 1);
    for (int w = 1; w < widths[e]; ++w) {
      int64_t n = Sequences(k, rest - w, widest, false);
      if (need_one && !had_one && w != 1) n -= Sequences(k, rest - w, widest, true);
      rank += n;
    }
    if (widths[e] < 1 || widths[e] > widest) return -1;
    had_one = had_one || widths[e] == 1;
    rest -= widths[e];
  }
  return need_one && !had_one ? -1 : rank;
}

namespace {

// One character's value from its elements (odd first), or -1.  Outside and
// Limited characters take the odd pattern's rank times the even patterns;
// inside ones the even rank times the odd patterns.
template <size_t N>
int64_t CharacterValue(const uint8_t* elements, int count, const tavo::DatabarGroup (&groups)[N], bool inside) {
  std::vector<int> odd, even;
  for (int e = 0; e < count; ++e) (e % 2 == 0 ? odd : even).push_back(elements[e]);
  int odd_sum = 0;
  for (int w : odd) odd_sum += w;
  for (const tavo::DatabarGroup& g : groups) {
    if (g.odd_modules != odd_sum) continue;
    const int64_t o = PatternRank(odd, g.odd_widest, inside), v = PatternRank(even, g.even_widest, !inside);
    if (o < 0 || v < 0) return -1;
    const int64_t value = g.first + (inside ? v * g.even_patterns + o : o * g.even_patterns + v);
    const int64_t next = &g == &groups[N - 1] ? value + 1 : (&g)[1].first;
    return value < next ? value : -1;
  }
  return -1;
}

// The run lengths of a row's first `width` modules, light first.
std::vector<uint8_t> Runs(const ModuleGrid& grid, int32_t y, int32_t width, bool light_first) {
  std::vector<uint8_t> runs;
  bool dark = !light_first;
  uint8_t n = 0;
  for (int32_t x = 0; x < width; ++x) {
    if (grid.at(x, y) != dark) {
      runs.push_back(n);
      n = 0;
      dark = !dark;
    }
    ++n;
  }
  runs.push_back(n);
  return runs;
}

// The 46 elements of the symbol, light first, from its row or rows.
bool Elements(int32_t code, const ModuleGrid& g, std::array<uint8_t, 46>& w, std::string& why) {
  const int32_t width = SymbolWidth(code);
  if (code == kDatabar || code == kDatabarLimited) {
    const std::vector<uint8_t> runs = Runs(g, 0, width, true);
    if (runs.size() != 46 || runs[0] == 0) return why = "the row holds " + std::to_string(runs.size()) + " elements, not 46", false;
    std::copy(runs.begin(), runs.end(), w.begin());
    return true;
  }
  const std::vector<uint8_t> top = Runs(g, 0, width, true), bottom = Runs(g, g.height - 1, width, false);
  if (top.size() != 25 || bottom.size() != 25 || top[0] == 0) return why = "the rows do not hold 25 elements each", false;
  std::copy(top.begin(), top.begin() + 23, w.begin());
  std::copy(bottom.begin() + 2, bottom.end(), w.begin() + 23);
  return true;
}

void ReadOmni(const std::array<uint8_t, 46>& w, Reading& reading) {
  uint8_t chars[4][8];
  for (int e = 0; e < 8; ++e) {
    chars[0][e] = w[2 + e];
    chars[1][e] = w[22 - e];
    chars[3][e] = w[23 + e];
    chars[2][e] = w[43 - e];
  }
  int64_t value[4];
  int checksum = 0;
  for (int c = 0; c < 4; ++c) {
    value[c] = c % 2 ? CharacterValue(chars[c], 8, kDatabarInsideGroups, true)
                     : CharacterValue(chars[c], 8, kDatabarOutsideGroups, false);
    if (value[c] < 0) return reading.faults.push_back("character " + std::to_string(c + 1) + " has no valid width pattern");
    for (int e = 0; e < 8; ++e) checksum += kDatabarWeights[c][e] * chars[c][e];
  }
  checksum %= 79;
  checksum += checksum >= 8 ? 1 : 0;
  checksum += checksum >= 72 ? 1 : 0;
  int found[2] = {-1, -1};
  for (int f = 0; f < 9; ++f) {
    bool left = true, right = true;
    for (int e = 0; e < 5; ++e) {
      left = left && w[10 + e] == kDatabarFinders[f][e];
      right = right && w[35 - e] == kDatabarFinders[f][e];
    }
    if (left) found[0] = f;
    if (right) found[1] = f;
  }
  auto pair = [](int l, int r) { return l < 0 || r < 0 ? std::string("no finder pair") : std::to_string(l) + "," + std::to_string(r); };
  reading.checks.push_back({.what = "checksum modulo 79 (finder pair)", .found = pair(found[0], found[1]),
                            .expected = pair(checksum / 9, checksum % 9)});
  const int64_t gtin = (value[0] * 1597 + value[1]) * 4537077 + value[2] * 1597 + value[3];
  if (gtin >= 10000000000000) return reading.faults.push_back("the characters stand for more than 13 digits");
  std::string digits = std::to_string(gtin);
  reading.data = std::string(13 - digits.size(), '0') + digits;
}

void ReadLimited(const std::array<uint8_t, 46>& w, Reading& reading) {
  int64_t value[2];
  int checksum = 0;
  for (int c = 0; c < 2; ++c) {
    value[c] = CharacterValue(&w[2 + 28 * c], 14, kDatabarLimitedGroups, false);
    if (value[c] < 0) return reading.faults.push_back("character " + std::to_string(c + 1) + " has no valid width pattern");
    for (int e = 0; e < 14; ++e) checksum += kDatabarLimitedWeights[14 * c + e] * w[2 + 28 * c + e];
  }
  std::string check;
  for (int e = 0; e < 14; ++e) check += static_cast<char>('0' + w[16 + e]);
  int found = -1;
  for (int v = 0; v < 89; ++v) found = kDatabarLimitedChecks[v] == check ? v : found;
  reading.checks.push_back({.what = "check character modulo 89", .found = found < 0 ? "none" : std::to_string(found),
                            .expected = std::to_string(checksum % 89)});
  const int64_t gtin = value[0] * 2013571 + value[1];
  if (gtin >= 2000000000000) return reading.faults.push_back("the characters stand for a GTIN above 1999999999999");
  std::string digits = std::to_string(gtin);
  reading.data = std::string(13 - digits.size(), '0') + digits;
}

// The module rows the data makes (the library's layout: guards, separators,
// the rows' heights) against the text's, after the characters and checksum
// have been read on their own: one fault for the first module that differs,
// since scanners find the rows by the guards and the separators.
void CheckLayout(int32_t code, const std::string& data13, const ModuleGrid& g, Reading& reading) {
  const bool truncated = code == kDatabar && g.height == tavo::kDatabarTruncatedHeight;
  tavo::DatabarPattern p;
  tavo::DatabarLayout(code, std::stoull(data13), truncated, p);
  int32_t y = 0;
  for (int r = 0; r < p.rows; ++r) {
    const tavo::DatabarRow& row = p.row[static_cast<size_t>(r)];
    for (int h = 0; h < row.height; ++h, ++y) {
      if (y >= g.height) {
        return reading.faults.push_back("the text ends after " + std::to_string(g.height) + " module rows; the symbol has more");
      }
      for (int32_t x = 0; x < g.width; ++x) {
        const bool want = x < 96 && (row.bits[static_cast<size_t>(x >> 6)] >> (x & 63) & 1) != 0;
        if (g.at(x, y) != want) {
          return reading.faults.push_back(DamageFault("row, guard or separator", 1, y, x));
        }
      }
    }
  }
  if (y != g.height) reading.faults.push_back("module rows past the symbol's " + std::to_string(y));
}

}  // namespace

bool BuildDatabar(int32_t code, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  ModuleGrid text;
  if (!TextModules(s, text, error)) return false;
  const int32_t width = SymbolWidth(code) + (code == kDatabarLimited ? 5 : 0);
  if ((width + kDatabarRun - 1) / kDatabarRun * kDatabarRun != text.width) {
    return Fail(error, 0, "lines of " + std::to_string(text.width / kDatabarRun) + " glyphs; this form takes " +
                              std::to_string((width + kDatabarRun - 1) / kDatabarRun));
  }
  symbol.grid.width = width;
  symbol.grid.height = text.height;
  for (int32_t y = 0; y < text.height; ++y) {
    for (int32_t x = 0; x < text.width; ++x) {
      if (x < width) symbol.grid.dark.push_back(text.at(x, y) ? 1 : 0);
      if (x >= SymbolWidth(code) && text.at(x, y)) {
        const size_t byte = static_cast<size_t>(y) * (static_cast<size_t>(text.width / kDatabarRun) + 2) +
                            static_cast<size_t>(x / kDatabarRun);
        return Fail(error, byte, "a dark module right of the symbol, " + DescribeByteAt(s, byte));
      }
    }
  }
  symbol.quiet_left = symbol.quiet_right = 0;  // ISO/IEC 24724 asks for none beyond the guards
  return true;
}

bool ReadDatabar(int32_t code, std::string_view s, Reading& reading, ModelError& error) {
  Symbol symbol;
  if (!BuildDatabar(code, s, {}, symbol, error)) return false;
  std::array<uint8_t, 46> w{};
  std::string why;
  if (!Elements(code, symbol.grid, w, why)) {
    reading.faults.push_back(why);
    return true;
  }
  if (code == kDatabarLimited) {
    ReadLimited(w, reading);
  } else {
    ReadOmni(w, reading);
  }
  if (!reading.data.empty()) {
    CheckLayout(code, reading.data, symbol.grid, reading);
    int sum = 0;
    for (size_t i = 0; i < 13; ++i) sum += (reading.data[i] - '0') * (i % 2 == 0 ? 3 : 1);
    reading.data = "(01)" + reading.data + static_cast<char>('0' + (10 - sum % 10) % 10);
    reading.gs1 = true;
  }
  return true;
}

bool DrawDatabarGlyph(unsigned char code, const ModelOptions&, Layout& layout) {
  const int bits = MatrixGlyphBits(static_cast<char>(code));
  if (code == 0 || bits < 0) return false;
  ModuleGrid run;
  run.width = kDatabarRun;
  run.height = 1;
  std::string name = "RUN ";
  for (int m = 0; m < kDatabarRun; ++m) {
    run.dark.push_back(static_cast<uint8_t>(bits >> m & 1));
    name += bits >> m & 1 ? '1' : '0';
  }
  layout.AddCharacter(0, name);
  layout.Grid(std::move(run));
  return true;
}

}  // namespace tavo::model::detail
