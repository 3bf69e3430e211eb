// GS1 DataBar Expanded in the model: the face's text as its grid of
// modules, and a reader that works as a scanner would: it measures the
// elements, checks the finder sequence the symbol's size calls for, turns
// each character's widths back into its 12-bit value by counting width
// patterns, recomputes the modulo-211 check character, and decodes the
// encodation methods of ISO/IEC 24724 7.2.5 back to element strings.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "databar/databar_internal.h"
#include "model_internal.h"
#include "symbologies/databar/databar.h"
#include "symbologies/databar/databar_expanded_stacked.h"
#include "symbologies/databar/databar_tables.h"

namespace tavo::model::detail {
namespace {

constexpr char kFnc1 = static_cast<char>(185);
constexpr int32_t kExpandedRows = 34;  // module rows the library prints

// Runs of a row's first `width` modules, light first.
std::vector<int> RowRuns(const ModuleGrid& g, int32_t y, int32_t width) {
  std::vector<int> runs{0};
  bool dark = false;
  for (int32_t x = 0; x < width; ++x) {
    if (g.at(x, y) != dark) runs.push_back(0), dark = !dark;
    ++runs.back();
  }
  return runs;
}

// The modules of the symbol: up to its last dark module, and one light
// module more where the element count calls for a light last element (a
// symbol has 4 + 21p elements, or 17 + 21(p - 1) for an odd number of
// characters; the runs up to the last dark module are even in number).
int32_t SymbolWidth(const ModuleGrid& text) {
  int32_t last = -1;
  for (int32_t y = 0; y < text.height; ++y) {
    for (int32_t x = last + 1; x < text.width; ++x) last = text.at(x, y) ? x : last;
  }
  if (last < 0) return 0;
  const size_t runs = RowRuns(text, 0, last + 1).size();
  return last + 1 + (runs % 21 == 16 || runs % 21 == 3 ? 1 : 0);
}

// A character's value from its 8 widths (odd elements first of each pair):
// the odd pattern's rank (patterns with a narrow element) times the group's
// even patterns, plus the even pattern's rank; -1 for no valid pattern.
int CharacterValue(const int* w) {
  const std::vector<int> odd{w[0], w[2], w[4], w[6]}, even{w[1], w[3], w[5], w[7]};
  const int odd_sum = odd[0] + odd[1] + odd[2] + odd[3], even_sum = even[0] + even[1] + even[2] + even[3];
  const size_t groups = std::size(tavo::kDatabarExpandedGroups);
  for (size_t i = 0; i < groups; ++i) {
    const tavo::DatabarGroup& g = tavo::kDatabarExpandedGroups[i];
    if (g.odd_modules != odd_sum) continue;
    if (g.even_modules != even_sum) return -1;
    const int64_t o = PatternRank(odd, g.odd_widest, true), v = PatternRank(even, g.even_widest, false);
    if (o < 0 || v < 0) return -1;
    const int64_t value = g.first + o * g.even_patterns + v;
    const int next = i + 1 < groups ? tavo::kDatabarExpandedGroups[i + 1].first : 4192;
    return value < next ? static_cast<int>(value) : -1;
  }
  return -1;
}

// The symbol's characters (check character first) as their 8 widths each,
// with the finders checked against the sequence of the symbol's size.
bool SplitCharacters(const std::vector<int>& runs, std::vector<std::array<int, 8>>& chars, std::string& why) {
  const size_t e = runs.size();
  if (e < 38 || ((e - 4) % 21 != 0 && (e - 4) % 21 != 13)) return why = std::to_string(e) + " elements: no Expanded symbol has that many", false;
  if (runs[0] != 1 || runs[1] != 1 || runs[e - 2] != 1 || runs[e - 1] != 1) return why = "a guard pattern is not 1 and 1 modules", false;
  const size_t count = 2 * ((e - 4) / 21) + ((e - 4) % 21 ? 1 : 0), pairs = (count + 1) / 2;
  if (count > 22) return why = std::to_string(count) + " characters: more than 22", false;
  for (size_t p = 0; p < pairs; ++p) {
    const size_t at = 2 + 21 * p;
    std::array<int, 8> left{}, right{};
    for (size_t k = 0; k < 8; ++k) left[k] = runs[at + k];
    chars.push_back(left);
    int finder = 0;
    for (int f = 0; f < 12 && finder == 0; ++f) {
      finder = std::equal(runs.begin() + static_cast<ptrdiff_t>(at + 8), runs.begin() + static_cast<ptrdiff_t>(at + 13),
                          tavo::kDatabarExpandedFinders[f]) ? f + 1 : 0;
    }
    if (finder != tavo::kDatabarFinderSequences[pairs - 2][p]) {
      return why = "finder " + std::to_string(p + 1) + " is not the one a symbol of " + std::to_string(pairs) + " pairs has there", false;
    }
    if (2 * p + 1 == count) break;
    for (size_t k = 0; k < 8; ++k) right[k] = runs[at + 20 - k];
    chars.push_back(right);
  }
  return true;
}

// Bits taken from the front of the data characters' bit string; taking past
// the end sets `overrun` and gives 0.
struct BitReader {
  std::string bits;
  size_t at = 0;
  bool overrun = false;
  size_t Left() const { return bits.size() - at; }
  unsigned Peek(size_t n) const {
    unsigned v = 0;
    for (size_t i = at; i < at + n; ++i) v = v << 1 | (i < bits.size() && bits[i] == '1' ? 1u : 0u);
    return v;
  }
  unsigned Take(size_t n) {
    overrun = overrun || n > Left();
    const unsigned v = Peek(n);
    at = std::min(bits.size(), at + n);
    return v;
  }
};

std::string Digits(unsigned value, size_t width) {
  std::string s = std::to_string(value);
  return std::string(width > s.size() ? width - s.size() : 0, '0') + s;
}

// A GTIN-14 from its first digit and 40 bits of four 3-digit groups, with
// its check digit computed; "" where a group is over 999.
std::string Gtin(char first, BitReader& r) {
  std::string gtin(1, first);
  for (int g = 0; g < 4; ++g) {
    const unsigned v = r.Take(10);
    if (v > 999) return "";
    gtin += Digits(v, 3);
  }
  int sum = 0;
  for (size_t i = 0; i < 13; ++i) sum += (gtin[i] - '0') * (i % 2 == 0 ? 3 : 1);
  return gtin + static_cast<char>('0' + (10 - sum % 10) % 10);
}

enum class Mode { kNumeric, kAlpha, kIso };

// One numeric-mode step: a digit pair (FNC1 counts as 10), a lone last digit
// in 4 bits, or the latch to alphanumeric.  False at the end of the data.
bool NumericStep(BitReader& r, std::string& out, Mode& mode, std::string& why) {
  if (r.Left() < 4) return false;
  if (r.Peek(4) == 0) return r.Take(4), mode = Mode::kAlpha, true;
  if (r.Left() < 7) {
    const unsigned v = r.Take(4);
    if (v > 10) why = "a lone digit of value " + std::to_string(v) + " in the last 4 bits";
    return out += static_cast<char>('0' + v - 1), false;
  }
  const unsigned v = r.Take(7);
  if (v < 8 || v - 8 >= 121) return why = "a numeric value past 10 and 10", false;
  for (unsigned d : {(v - 8) / 11, (v - 8) % 11}) out += d == 10 ? kFnc1 : static_cast<char>('0' + d);
  return true;
}

// One step in the alphanumeric or ISO/IEC 646 mode (7.2.5.5.2-3): a latch or
// a character.  False at the end of the data, or with `why` for a value no
// character has.
bool TextStep(BitReader& r, std::string& out, Mode& mode, std::string& why) {
  static constexpr std::string_view kAlphaMarks = "*,-./", kIsoMarks = "!\"%&'()*+,-./:;<=>?_ ";
  if (r.Left() >= 3 && r.Peek(3) == 0) return r.Take(3), mode = Mode::kNumeric, true;
  if (r.Left() < 5) return false;
  const unsigned v5 = r.Peek(5);
  if (v5 == 4) return r.Take(5), mode = mode == Mode::kAlpha ? Mode::kIso : Mode::kAlpha, true;
  if (v5 >= 5 && v5 <= 15) {
    r.Take(5);
    if (v5 == 15) return out += kFnc1, mode = Mode::kNumeric, true;
    return out += static_cast<char>('0' + v5 - 5), true;
  }
  if (mode == Mode::kAlpha && r.Left() >= 6) {
    const unsigned v = r.Take(6);
    if (v >= 32 && v <= 57) return out += static_cast<char>('A' + v - 32), true;
    if (v >= 58 && v <= 62) return out += kAlphaMarks[v - 58], true;
    return why = "alphanumeric value " + std::to_string(v) + " stands for no character", false;
  }
  if (mode == Mode::kIso && r.Left() >= 7 && r.Peek(7) >= 64 && r.Peek(7) <= 115) {
    const unsigned v = r.Take(7);
    return out += static_cast<char>(v < 90 ? 'A' + v - 64 : 'a' + v - 90), true;
  }
  if (mode == Mode::kIso && r.Left() >= 8 && r.Peek(8) >= 232 && r.Peek(8) <= 252) return out += kIsoMarks[r.Take(8) - 232], true;
  if (r.Left() >= 8) why = "general-purpose bits " + r.bits.substr(r.at, 8) + " stand for no character";
  return false;
}

// General-purpose data to the end of the bits; the padding (00100s after a
// latch) ends it.  A trailing FNC1 (after a lone digit) is no data.
bool GeneralPurpose(BitReader& r, std::string& out, std::string& why) {
  Mode mode = Mode::kNumeric;
  while (mode == Mode::kNumeric ? NumericStep(r, out, mode, why) : TextStep(r, out, mode, why)) {
  }
  if (!out.empty() && out.back() == kFnc1) out.pop_back();
  return why.empty();
}

// The variable-length field of methods 1, 00, 01100 and 01101: the parity
// of the symbol's characters and whether there are more than 14.
void CheckVariableLength(BitReader& r, size_t characters, Reading& reading) {
  const unsigned found = r.Take(2);
  const unsigned expected = (characters % 2 ? 2u : 0u) | (characters > 14 ? 1u : 0u);
  reading.checks.push_back({.what = "variable-length symbol field", .found = Digits(found >> 1, 1) + Digits(found & 1, 1),
                            .expected = Digits(expected >> 1, 1) + Digits(expected & 1, 1)});
}

// The compressed weight methods 0100, 0101 and 0111xxx; `method` holds the
// bits after "01".
std::string WeightMethod(BitReader& r, unsigned method) {
  if (method < 2) {
    const std::string gtin = Gtin('9', r);
    const unsigned w = r.Take(15);
    if (method == 0) return "01" + gtin + "3103" + Digits(w, 6);
    return "01" + gtin + (w < 10000 ? "3202" + Digits(w, 6) : "3203" + Digits(w - 10000, 6));
  }
  const unsigned kind = r.Take(3);
  const std::string gtin = Gtin('9', r);
  const unsigned weight = r.Take(20), date = r.Take(16);
  if (gtin.empty() || weight > 999999) return "";
  std::string data = "01" + gtin + (kind % 2 ? "320" : "310") + Digits(weight / 100000, 1) + Digits(weight % 100000, 6);
  if (date == 38400) return data;
  static constexpr const char* kDateAis[] = {"11", "13", "15", "17"};
  return data + kDateAis[kind / 2] + Digits(date / 384, 2) + Digits(date / 32 % 12 + 1, 2) + Digits(date % 32, 2);
}

// The element strings (AIs and data, FNC1 after variable-length fields) of
// the data characters' bits, or "" with a fault.
std::string Message(BitReader& r, size_t characters, Reading& reading) {
  if (r.Take(1) != 0) return reading.faults.push_back("the linkage flag calls for a composite component"), "";
  std::string data, why;
  if (r.Take(1) == 1) {  // method 1: (01) with any indicator
    CheckVariableLength(r, characters, reading);
    const unsigned first = r.Take(4);
    const std::string gtin = first > 9 ? "" : Gtin(static_cast<char>('0' + first), r);
    if (gtin.empty()) return reading.faults.push_back("the compressed GTIN holds a digit over 9 or a group over 999"), "";
    data = "01" + gtin;
  } else if (r.Take(1) == 0) {  // method 00: general purpose only
    CheckVariableLength(r, characters, reading);
  } else if (const unsigned method = r.Take(2); method != 2) {
    data = WeightMethod(r, method);
    return r.overrun || data.size() < 16 ? (reading.faults.push_back("a compressed field is not whole"), "") : data;
  } else {  // 01100 (392x) and 01101 (393x): a price, with its currency
    const bool currency = r.Take(1) == 1;
    CheckVariableLength(r, characters, reading);
    const std::string gtin = Gtin('9', r);
    if (gtin.empty()) return reading.faults.push_back("the compressed GTIN holds a group over 999"), "";
    data = "01" + gtin + (currency ? "393" : "392") + Digits(r.Take(2), 1);
    if (currency) data += Digits(r.Take(10), 3);
  }
  std::string general;
  if (!GeneralPurpose(r, general, why) || r.overrun) return reading.faults.push_back(why.empty() ? "the data ends inside a field" : why), "";
  return data + general;
}

// The characters, check and message of a symbol's elements in single-row
// order (light first, guards included).
void ReadElements(const std::vector<int>& runs, Reading& reading) {
  std::vector<std::array<int, 8>> chars;
  std::string why;
  if (!SplitCharacters(runs, chars, why)) return reading.faults.push_back(why);
  const size_t pairs = (chars.size() + 1) / 2;
  BitReader bits;
  int checksum = 0, check = 0;
  for (size_t c = 0; c < chars.size(); ++c) {
    const int value = CharacterValue(chars[c].data());
    if (value < 0) return reading.faults.push_back("character " + std::to_string(c + 1) + " has no valid width pattern");
    if (c == 0) check = value;
    if (c == 0) continue;
    for (int b = 11; b >= 0; --b) bits.bits += (value >> b & 1) ? '1' : '0';
    const uint8_t* weights = tavo::kDatabarExpandedWeights[tavo::kDatabarWeightRows[pairs - 2][c - 1]];
    for (size_t e = 0; e < 8; ++e) checksum += chars[c][e] * weights[e];
  }
  reading.checks.push_back({.what = "check character modulo 211", .found = std::to_string(check),
                            .expected = std::to_string(211 * (static_cast<int>(chars.size()) - 4) + checksum % 211)});
  const std::string message = Message(bits, chars.size(), reading);
  if (!message.empty()) BracketGs1(message, kFnc1, reading);
}

// Runs of row `y` from module 0 (of whichever colour it is) to the row's
// last dark module, and the light module of a guard after it where the
// element count asks for one (a row's pairs hold 21k or 21k - 8 elements
// between the guards).
std::vector<int> RowElements(const ModuleGrid& g, int32_t y) {
  int32_t last = g.width - 1;
  while (last > 0 && !g.at(last, y)) --last;
  std::vector<int> runs{1};
  for (int32_t x = 1; x <= last; ++x) {
    if (g.at(x, y) != g.at(x - 1, y)) runs.push_back(0);
    ++runs.back();
  }
  if (runs.size() >= 4 && (runs.size() - 4) % 21 != 0 && (runs.size() - 4) % 21 != 13) runs.push_back(1);
  return runs;
}

// True when `body` (elements between a row's guards) holds whole pairs and
// at most a last lone one.
bool WholePairs(const std::vector<int>& body) { return body.size() % 21 == 0 || body.size() % 21 == 13; }

// The module lines the library makes of these elements in rows of
// `segments` against the text's; one fault at the first module that
// differs (a separator, a guard, a row's height).
void CheckStackedLayout(const std::vector<int>& runs, int segments, const ModuleGrid& g, Reading& reading) {
  const std::vector<uint8_t> widths(runs.begin(), runs.end());
  std::vector<std::string> distinct, lines;
  std::vector<int> heights;
  tavo::DatabarExpandedStackedLines(widths, segments, distinct, heights);
  for (size_t i = 0; i < distinct.size(); ++i) lines.insert(lines.end(), static_cast<size_t>(heights[i]), distinct[i]);
  for (int32_t y = 0; y < g.height; ++y) {
    if (static_cast<size_t>(y) >= lines.size()) return reading.faults.push_back("module rows past the symbol's " + std::to_string(lines.size()));
    for (int32_t x = 0; x < g.width; ++x) {
      const bool want = static_cast<size_t>(x) < lines[static_cast<size_t>(y)].size() && lines[static_cast<size_t>(y)][static_cast<size_t>(x)] == '1';
      if (g.at(x, y) != want) return reading.faults.push_back(DamageFault("row, guard or separator", 1, y, x));
    }
  }
  if (lines.size() != static_cast<size_t>(g.height)) reading.faults.push_back("the text ends before the symbol's " + std::to_string(lines.size()) + " module rows");
}

}  // namespace

bool BuildDatabarExpanded(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  ModuleGrid text;
  if (!TextModules(s, text, error)) return false;
  const int32_t width = SymbolWidth(text);
  if (width == 0) return Fail(error, 0, "no dark module: no symbol");
  if ((width + kDatabarRun - 1) / kDatabarRun * kDatabarRun != text.width) {
    return Fail(error, 0, "lines of " + std::to_string(text.width / kDatabarRun) + " glyphs; the symbol takes " +
                              std::to_string((width + kDatabarRun - 1) / kDatabarRun));
  }
  symbol.grid.width = width;
  symbol.grid.height = text.height;
  for (int32_t y = 0; y < text.height; ++y) {
    for (int32_t x = 0; x < width; ++x) symbol.grid.dark.push_back(text.at(x, y) ? 1 : 0);
  }
  symbol.quiet_left = symbol.quiet_right = 0;  // ISO/IEC 24724 asks for none beyond the guards
  return true;
}

bool ReadDatabarExpanded(int32_t code, std::string_view s, Reading& reading, ModelError& error) {
  Symbol symbol;
  if (!BuildDatabarExpanded(code, s, {}, symbol, error)) return false;
  const ModuleGrid& g = symbol.grid;
  for (int32_t y = 1, damaged = 0; y < g.height && damaged == 0; ++y) {
    for (int32_t x = 0; x < g.width && damaged == 0; ++x) {
      if (g.at(x, y) != g.at(x, 0)) reading.faults.push_back(DamageFault("row", ++damaged, y, x));
    }
  }
  if (g.height != kExpandedRows) reading.faults.push_back(std::to_string(g.height) + " module rows, not the symbol's 34");
  ReadElements(RowRuns(g, 0, g.width), reading);
  return true;
}

// Expanded Stacked: the rows of characters are the bands of 34 equal
// module rows; each row's pairs join the single-row order, even rows read
// right to left where the standard turns them (an even number of pairs to
// a row, unless the last row misses an odd number), and the library's
// layout of those elements is held against the whole text.
bool ReadDatabarExpandedStacked(int32_t code, std::string_view s, Reading& reading, ModelError& error) {
  Symbol symbol;
  if (!BuildDatabarExpanded(code, s, {}, symbol, error)) return false;
  const ModuleGrid& g = symbol.grid;
  const size_t w = static_cast<size_t>(g.width);
  std::vector<std::vector<int>> bodies;
  for (int32_t y = 0; y < g.height;) {
    int32_t h = 1;
    const auto line = [&](int32_t row) { return g.dark.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(row) * w); };
    while (y + h < g.height && std::equal(line(y), line(y + 1), line(y + h))) ++h;
    if (h == kExpandedRows) {
      const std::vector<int> runs = RowElements(g, y);
      if (runs.size() < 4 || !WholePairs({runs.begin() + 2, runs.end() - 2})) {
        return reading.faults.push_back("module row " + std::to_string(y + 1) + ": not whole pairs between guards"), true;
      }
      bodies.emplace_back(runs.begin() + 2, runs.end() - 2);
    } else if (h != 1) {
      reading.faults.push_back(std::to_string(h) + " equal module rows from row " + std::to_string(y + 1) +
                               ": neither a row of characters (34) nor a separator");
    }
    y += h;
  }
  if (bodies.empty()) return reading.faults.push_back("no row of characters 34 module rows high"), true;
  const size_t cols = (bodies[0].size() + 20) / 21;
  size_t pairs = 0;
  for (const std::vector<int>& b : bodies) pairs += (b.size() + 20) / 21;
  std::vector<int> all{1, 1};
  for (size_t r = 0; r < bodies.size(); ++r) {
    const size_t missing = r + 1 == bodies.size() ? cols * bodies.size() - pairs : 0;
    if (cols % 2 == 0 && r % 2 == 1 && missing % 2 == 0) std::reverse(bodies[r].begin(), bodies[r].end());
    all.insert(all.end(), bodies[r].begin(), bodies[r].end());
  }
  all.insert(all.end(), {1, 1});
  ReadElements(all, reading);
  if (reading.faults.empty()) CheckStackedLayout(all, static_cast<int>(2 * cols), g, reading);
  return true;
}

}  // namespace tavo::model::detail
