// Code 128: each font code draws one symbol character; what it means
// (data, a code-set change, a digit pair) depends on the code set in force.
#include <array>
#include <vector>

#include "model_internal.h"
#include "symbologies/code128.h"

namespace tavo::model::detail {
namespace {

// Three bars and three spaces of each symbol value, bar first, in modules
// (eleven in all); the stop is 13 modules with its final bar.
// ISO/IEC 15417:2007 Table 1 (Code 128 symbol character patterns).
constexpr std::array<std::string_view, 107> kPatterns = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};
static_assert(kPatterns.size() == 107);

constexpr int kShift = 98, kCodeC = 99, kCodeB = 100, kCodeA = 101, kFnc1 = 102;
constexpr int kStartA = 103, kStop = 106;
enum Set { kA, kB, kC };

// Symbol value of each value code (every character but set C's digit
// pairs) and digit pair of each pair code, -1 for other bytes: the library's
// code runs (symbologies/code128.h) read backwards.
template <size_t N>
constexpr std::array<int8_t, 256> Inverse(const std::array<unsigned char, N>& codes) {
  std::array<int8_t, 256> values{};
  for (auto& v : values) v = -1;
  for (size_t v = 0; v < N; ++v) values[codes[v]] = static_cast<int8_t>(v);
  return values;
}
constexpr std::array<int8_t, 256> kValueOfCode = Inverse(tavo::kCode128ValueCodes);
constexpr std::array<int8_t, 256> kPairOfCode = Inverse(tavo::kCode128PairCodes);

int ValueOfCode(unsigned char b) { return kValueOfCode[b]; }
int PairOfCode(unsigned char b) { return kPairOfCode[b]; }

// One symbol character as the walk reads it.
struct Entry {
  size_t byte_index;
  int value;
  std::string name;
  std::string data;     // what it adds to the value: ASCII, 185/178/179/188, 199 for NUL
  std::string caption;  // what the caption fonts show under it
};

struct Walk {
  std::vector<Entry> entries;
  std::vector<std::string> faults;
  int check = -1;  // the value the check character holds
  bool stop = false;
};

constexpr char kSetNames[] = {'A', 'B', 'C'};

// What value `v` means when read in set A or B.
Entry InSetAOrB(size_t i, int v, Set set) {
  constexpr std::array<const char*, 4> kFnc = {"FNC3", "FNC2", "SHIFT", "CODE C"};
  if (v < 96) {
    const int ascii = set == kA && v >= 64 ? v - 64 : v + 32;
    return {i, v, CharacterName(static_cast<unsigned char>(ascii)),
            std::string(1, static_cast<char>(ascii == 0 ? 199 : ascii)), CaptionText(static_cast<unsigned char>(ascii))};
  }
  if (v == 96) return {i, v, "FNC3", "\xB3", ""};
  if (v == 97) return {i, v, "FNC2", "\xB2", ""};
  if (v == kCodeB) return set == kA ? Entry{i, v, "CODE B", "", ""} : Entry{i, v, "FNC4", "\xBC", ""};
  if (v == kCodeA) return set == kB ? Entry{i, v, "CODE A", "", ""} : Entry{i, v, "FNC4", "\xBC", ""};
  if (v == kFnc1) return {i, v, "FNC1", "\xB9", ""};
  return {i, v, kFnc[static_cast<size_t>(v - 96)], "", ""};
}

Entry InSetC(size_t i, int v) {
  if (v < 100) {
    const std::string pair{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
    return {i, v, pair, pair, pair};
  }
  if (v == kFnc1) return {i, v, "FNC1", "\xB9", ""};
  return {i, v, v == kCodeB ? "CODE B" : "CODE A", "", ""};
}

// Reads the body, bytes [1, end), in the code sets the start character and
// the changes put in force.
bool ReadBody(std::string_view s, size_t end, Set set, Walk& walk, ModelError& error) {
  bool shifted = false;
  for (size_t i = 1; i < end; ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const Set in = shifted ? (set == kA ? kB : kA) : set;
    const int v = ValueOfCode(b);
    if (v >= kStartA) {
      return Fail(error, i, DescribeByteAt(s, i) + (v == kStop ? " is the stop character before the end"
                                                               : " is a start character inside the symbol"));
    }
    const int value = v >= 0 ? v : PairOfCode(b);
    if (value < 0) return Fail(error, i, DescribeByteAt(s, i) + " is no code of the Code 128 fonts");
    if (v < 0 && in != kC) {
      return Fail(error, i, DescribeByteAt(s, i) + " is a digit-pair code, but code set " +
                                std::string(1, kSetNames[in]) + ", not C, is in force");
    }
    Entry e = in == kC ? InSetC(i, value) : InSetAOrB(i, value, in);
    if (shifted && e.data.empty()) {
      return Fail(error, i, DescribeByteAt(s, i) + " (" + e.name + ") follows SHIFT, which takes a data character");
    }
    // What the character does to the code set, by its value in the set in
    // force: SHIFT and CODE C exist in A and B, CODE A and CODE B in the
    // other two sets (in their own set they are FNC4).
    shifted = in != kC && value == kShift;
    if (in != kC && value == kCodeC) set = kC;
    if (in != kA && value == kCodeA) set = kA;
    if (in != kB && value == kCodeB) set = kB;
    walk.entries.push_back(std::move(e));
  }
  if (shifted) walk.faults.push_back("SHIFT with no character after it");
  return true;
}

bool WalkSymbol(std::string_view s, Walk& walk, ModelError& error) {
  walk = {};
  if (s.empty()) return true;
  const int start = ValueOfCode(static_cast<unsigned char>(s[0]));
  if (start < kStartA || start == kStop) {
    return Fail(error, 0, DescribeByteAt(s, 0) + " is no start character (0xE7..0xE9): no code set is in force");
  }
  walk.entries.push_back({0, start, std::string("START ") + kSetNames[start - kStartA], "", ""});
  walk.stop = s.size() >= 2 && ValueOfCode(static_cast<unsigned char>(s.back())) == kStop;
  // The check character stands before the stop; without a stop, all is body.
  const size_t check_at = walk.stop && s.size() >= 3 ? s.size() - 2 : s.size();
  const size_t body_end = walk.stop ? s.size() - 1 - (check_at < s.size() ? 1 : 0) : s.size();
  if (!ReadBody(s, body_end, static_cast<Set>(start - kStartA), walk, error)) return false;
  if (check_at < s.size()) {
    const auto b = static_cast<unsigned char>(s[check_at]);
    walk.check = ValueOfCode(b) >= 0 ? ValueOfCode(b) : PairOfCode(b);
    if (walk.check < 0 || walk.check > kFnc1) {
      return Fail(error, check_at, DescribeByteAt(s, check_at) + " cannot be the check character");
    }
  }
  return true;
}

}  // namespace

bool BuildCode128(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error) {
  Walk walk;
  if (!WalkSymbol(s, walk, error)) return false;
  Layout layout(symbol);
  for (const Entry& e : walk.entries) {
    const double left = layout.x();
    layout.Widths(kPatterns[static_cast<size_t>(e.value)]);
    // A start character, or a code set change or shift: those add nothing
    // to the data.
    const CharacterRole role = e.value >= kStartA && e.value != kStop ? CharacterRole::kStart
                               : e.data.empty()                      ? CharacterRole::kControl
                                                                     : CharacterRole::kData;
    layout.AddCharacter(e.byte_index, e.name, e.value, role);
    if (options.caption) layout.AddCaption(e.caption, (left + layout.x()) / 2);
  }
  if (walk.check >= 0) {
    layout.Widths(kPatterns[static_cast<size_t>(walk.check)]);
    layout.AddCharacter(s.size() - 2, "CHECK " + std::to_string(walk.check), walk.check,
                        CharacterRole::kCheck);
  }
  if (walk.stop) {
    layout.Widths(kPatterns[kStop]);
    layout.AddCharacter(s.size() - 1, "STOP", -1, CharacterRole::kStop);
  }
  layout.Finish(10, 10);
  return true;
}

namespace {

// Name of a value code's glyph: its meaning in code sets A and B, both where
// they differ ("SOH/a", "CODE B/FNC4").
std::string ValueGlyphName(int v) {
  if (v >= kStartA) return v == kStop ? "STOP" : std::string("START ") + kSetNames[v - kStartA];
  const std::string a = InSetAOrB(0, v, kA).name;
  const std::string b = InSetAOrB(0, v, kB).name;
  return a == b ? a : a + "/" + b;
}

}  // namespace

bool DrawCode128Glyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  const int v = ValueOfCode(code);
  const int pair = PairOfCode(code);
  if (v < 0 && pair < 0) return false;
  // A font glyph cannot know the code set in force: a pair code shows its
  // digits, a value code what it means in code set B (lower case rather
  // than set A's control characters, which show nothing).
  const Entry e = v < 0 ? InSetC(0, pair) : v < kStartA ? InSetAOrB(0, v, kB) : Entry{0, v, "", "", ""};
  layout.Widths(kPatterns[static_cast<size_t>(e.value)]);
  layout.AddCharacter(0, v < 0 ? "PAIR " + e.name : ValueGlyphName(v), e.value);
  if (options.caption) layout.AddCaption(e.caption, layout.x() / 2);
  return true;
}

bool ReadCode128(int32_t, std::string_view s, Reading& reading, ModelError& error) {
  Walk walk;
  if (!WalkSymbol(s, walk, error)) return false;
  reading = {};
  reading.faults = walk.faults;
  if (s.empty()) reading.faults.push_back("no start character");
  if (!walk.stop) reading.faults.push_back("no stop character");
  // The check: the start character's value, then each body value weighted
  // by its position, modulo 103.
  long long sum = 0;
  for (size_t k = 0; k < walk.entries.size(); ++k) {
    sum += static_cast<long long>(k == 0 ? 1 : k) * walk.entries[k].value;
    reading.data += walk.entries[k].data;
  }
  if (!s.empty()) {
    reading.checks.push_back({.what = "modulo-103 check character",
                              .found = walk.check >= 0 ? std::to_string(walk.check) : "",
                              .expected = std::to_string(sum % 103)});
  }
  if (reading.data.empty()) reading.faults.push_back("no data");
  return true;
}

}  // namespace tavo::model::detail
