// GS1 DataBar Omnidirectional, Stacked, Stacked Omnidirectional and
// Limited: the GTIN's value split into symbol characters, their element
// widths, the checksum's finder or check character, the rows with their
// separators, and the text of the module-run face (databar.h).
#include "symbologies/databar/databar.h"
#include "symbologies/databar/databar_tables.h"

#include <algorithm>
#include <cstring>

#include "symbologies/codes.h"
#include "symbologies/encoders.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/upc_ean.h"

namespace tavo {
namespace {

// Binomial coefficients C(n, r) for ISO/IEC 24724's width algorithm (the
// standard's annex counts patterns with them), for -kChoosePad <= n < 32
// and r < 8 at kChoose[(n + kChoosePad) * kChooseRow + r], 0 outside
// Pascal's triangle (n negative or r over n), so that the algorithm reads
// them without a test.
constexpr int kChoosePad = 16;
constexpr ptrdiff_t kChooseRow = 8;
inline constexpr auto kChoose = [] {
  std::array<uint32_t, (32 + kChoosePad) * kChooseRow> c{};
  for (size_t n = 0; n < 32; ++n) {
    const size_t at = (n + kChoosePad) * kChooseRow;
    c[at] = 1;
    for (size_t r = 1; r <= n && r < kChooseRow; ++r) c[at + r] = c[at - kChooseRow + r - 1] + c[at - kChooseRow + r];
  }
  return c;
}();

template <size_t N>
const DatabarGroup& GroupOf(const DatabarGroup (&groups)[N], int value) {
  size_t g = N - 1;
  while (value < groups[g].first) --g;
  return groups[g];
}

// ISO/IEC 24724's width algorithm takes each element from the left at the
// narrowest width whose patterns (of the elements after it) do not yet
// reach the value: C(n - w - 1, k) patterns of the k + 1 elements after it
// over the n - w modules left, less those with no element of width 1 where
// the character asks for one, less `left` times C(n - w - 1 - widest, k)
// for those with an element wider than `widest` (the standard's sum over
// the too-wide widths, in closed form: the hockey-stick identity).  The
// widths go `stride` apart.  `value` is below the patterns' count.
TAVO_HOT_INLINE void CharacterWidths(int value, int modules, int elements, int widest, bool no_narrow, uint8_t* widths,
                                     ptrdiff_t stride) {
  // C(n - w - 1, k) for the element's w, k = left - 1; the rows `left` and
  // `widest` above it hold the patterns to take off.
  const uint32_t* c = kChoose.data() + (modules - 2 + kChoosePad) * kChooseRow + (elements - 2);
  const ptrdiff_t too_wide = widest * kChooseRow;
  bool need_narrow = !no_narrow;  // no element of width 1 yet, and the character asks for one
  int n = modules;
  for (int e = 0, left = elements - 1; left > 0; ++e, --left) {  // left: elements after this one
    int w = 1;
    int count = static_cast<int>(c[0]) - left * static_cast<int>(c[-too_wide]);
    while (value >= count) {
      value -= count;
      ++w, c -= kChooseRow;
      count = static_cast<int>(c[0]) - left * static_cast<int>(c[-too_wide]);
      if (need_narrow) count -= static_cast<int>(c[-ptrdiff_t{left} * kChooseRow]);
    }
    need_narrow = need_narrow && w > 1;
    n -= w;
    widths[e * stride] = static_cast<uint8_t>(w);
    c -= kChooseRow + 1;  // the next element: n - w modules, k one less
  }
  widths[(elements - 1) * stride] = static_cast<uint8_t>(n);
}

// The 2 * half element widths of a character, odd (bars in a left-to-right
// character) and even interleaved.  Inside characters take the odd value
// from the remainder; the others from the quotient.
void CharacterElements(const DatabarGroup& group, int value, int half, bool inside, uint8_t* widths) {
  const int v = value - group.first;
  const int odd = inside ? v % group.even_patterns : v / group.even_patterns;
  const int even = inside ? v / group.even_patterns : v % group.even_patterns;
  CharacterWidths(odd, group.odd_modules, half, group.odd_widest, !inside, widths, 2);
  CharacterWidths(even, group.even_modules, half, group.even_widest, inside, widths + 1, 2);
}

}  // namespace

void DatabarCharacterWidths(int value, int modules, int elements, int widest, bool no_narrow, uint8_t* widths) {
  CharacterWidths(value, modules, elements, widest, no_narrow, widths, 1);
}

namespace {

void SetDark(DatabarRow& row, int x) { row.bits[static_cast<size_t>(x >> 6)] |= uint64_t{1} << (x & 63); }

// Sets the elements `widths` from module 0, light first, `count` even, at
// most 128 modules; returns the module after them.  The dark runs gather in
// the first word up to the one that reaches past it, then in the second.
int PutElements(DatabarRow& row, const uint8_t* widths, int count) {
  uint64_t lo = 0, hi = 0;
  int at = 0, e = 0;
  for (; e < count; e += 2) {
    at += widths[e];
    const int w = widths[e + 1];
    if (at + w > 64) break;
    lo |= ((uint64_t{1} << w) - 1) << at;
    at += w;
  }
  if (e < count) {
    const int w = widths[e + 1];
    const uint64_t run = (uint64_t{1} << w) - 1;
    if (at < 64) {
      lo |= run << at;
      hi |= run >> (64 - at);
    } else {
      hi |= run << (at - 64);
    }
    at += w;
    for (e += 2; e < count; e += 2) {
      at += widths[e];
      hi |= ((uint64_t{1} << widths[e + 1]) - 1) << (at - 64);
      at += widths[e + 1];
    }
  }
  row.bits[0] |= lo;
  row.bits[1] |= hi;
  return at;
}

// An Omnidirectional character or finder as modules, bit i module i: its
// elements light first (`forward`) and in reverse order (`reversed`); and
// its share of the checksum where it stands first or second of its kind
// (outside characters stand first and third, inside ones second and last).
struct OmniPattern {
  uint16_t forward = 0, reversed = 0;
  uint16_t weighted[2] = {0, 0};
};

uint16_t LightFirst(const uint8_t* widths, int count, bool reverse) {
  uint32_t bits = 0;
  for (int e = 0, at = 0; e < count; ++e) {
    const int w = widths[reverse ? count - 1 - e : e];
    if (e % 2 == 1) bits |= ((1u << w) - 1) << at;
    at += w;
  }
  return static_cast<uint16_t>(bits);
}

// Every Omnidirectional character value, outside (0-2840) and inside
// (0-1596), and the nine finders, computed on first use: the width
// algorithm costs more than a whole translation otherwise.
struct OmniPatterns {
  OmniPattern outside[2841];
  OmniPattern inside[1597];
  OmniPattern finder[9];
};

OmniPattern MakePattern(const DatabarGroup& group, int value, bool inside) {
  uint8_t w[8];
  CharacterElements(group, value, 4, inside, w);
  OmniPattern p{LightFirst(w, 8, false), LightFirst(w, 8, true), {0, 0}};
  for (int k = 0; k < 2; ++k) {
    int sum = 0;
    for (int e = 0; e < 8; ++e) sum += kDatabarWeights[2 * k + (inside ? 1 : 0)][e] * w[e];
    p.weighted[k] = static_cast<uint16_t>(sum);
  }
  return p;
}

const OmniPatterns& OmniPatternTable() {
  static const OmniPatterns* const table = [] {
    static OmniPatterns t;
    for (int v = 0; v < 2841; ++v) t.outside[v] = MakePattern(GroupOf(kDatabarOutsideGroups, v), v, false);
    for (int v = 0; v < 1597; ++v) t.inside[v] = MakePattern(GroupOf(kDatabarInsideGroups, v), v, true);
    for (int f = 0; f < 9; ++f) {
      t.finder[f] = {LightFirst(kDatabarFinders[f], 5, false), LightFirst(kDatabarFinders[f], 5, true), {0, 0}};
    }
    return &t;
  }();
  return *table;
}

// ORs up to 16 modules of `pattern` into the row from module `at`.
void Place(DatabarRow& row, uint64_t pattern, int at) {
  if (at < 64) row.bits[0] |= pattern << at;
  if (at + 16 > 64) row.bits[1] |= at >= 64 ? pattern << (at - 64) : pattern >> (64 - at);
}

// The six parts of an Omnidirectional symbol as modules in the order they
// stand (left character, left finder, the two inside characters, right
// finder, right character), each already in its direction and colours; and
// the value of the right finder.
struct OmniParts {
  uint64_t part[6];
  int right_finder;
};

OmniParts OmniSymbolParts(uint64_t gtin13) {
  const uint64_t left = gtin13 / 4537077, right = gtin13 % 4537077;
  const OmniPatterns& t = OmniPatternTable();
  const OmniPattern& c0 = t.outside[left / 1597];
  const OmniPattern& c1 = t.inside[left % 1597];
  const OmniPattern& c2 = t.outside[right / 1597];
  const OmniPattern& c3 = t.inside[right % 1597];
  int checksum = (c0.weighted[0] + c1.weighted[0] + c2.weighted[1] + c3.weighted[1]) % 79;
  checksum += checksum >= 8 ? 1 : 0;
  checksum += checksum >= 72 ? 1 : 0;
  constexpr uint64_t k15 = 0x7FFF;  // the inside characters and the finders are 15 modules
  return {{c0.forward, t.finder[checksum / 9].forward, ~uint64_t{c1.reversed} & k15, ~uint64_t{c3.forward} & k15,
           ~uint64_t{t.finder[checksum % 9].reversed} & k15, c2.reversed},
          checksum % 9};
}

// Stacked: one separator row, 1X high.  Where the rows above and below agree
// it is their complement; where they differ it alternates, dark after a
// light module; its first and last four modules are light (ISO/IEC 24724
// 5.3.2.2, as zint draws it).  The rows are one word.  A run where they
// differ starts dark after a light module (one where they agree, or module
// 0) and light after a dark one: it is dark at its even modules when it
// starts at an even one after a light module or at an odd one after a dark
// one.
void StackedSeparator(const DatabarRow& top, const DatabarRow& bottom, int width, DatabarRow& sep) {
  constexpr uint64_t kEven = 0x5555555555555555;
  const uint64_t t = top.bits[0], range = ((uint64_t{1} << (width - 5)) - 1) << 1;  // modules 1 to width - 5
  const uint64_t differ = (t ^ bottom.bits[0]) & range, agree_dark = ~t & ~differ & range;
  const uint64_t starts = differ & ~(differ << 1), dark_before = starts & agree_dark << 1;
  const uint64_t even_starts = (starts & kEven & ~dark_before) | (starts & ~kEven & dark_before);
  const uint64_t even_runs = differ & ~(differ + even_starts);
  const uint64_t alternating = (even_runs & kEven) | (differ & ~even_runs & ~kEven);
  sep.bits[0] = (agree_dark | alternating) & (((uint64_t{1} << (width - 8)) - 1) << 4);
}

// Stacked Omnidirectional: the complement of the adjacent row from module 4
// to the last 4, except over 13 modules of its finder pattern from `first`,
// where each light run of the row gives dark and light modules in turn from
// its start.  Below finder value 3 those 13 modules are light but for the
// one over the start of its 3-module bar (ISO/IEC 24724:2011 5.3.2.2, as
// zint draws it).
void ComplementSeparator(const DatabarRow& row, int width, int first, bool finder_3, DatabarRow& sep) {
  // The stacked rows are 50 modules: one word.
  const uint64_t light = ~row.bits[0];
  sep.bits[0] = light & (((uint64_t{1} << (width - 8)) - 1) << 4) & ~(uint64_t{0x1FFF} << first);
  sep.bits[0] |= finder_3 ? uint64_t{1} << (first + 10)
                          : uint64_t{DatabarAlternateRuns(light >> first & 0x1FFF)} << first;
}

void StackedRows(const OmniParts& parts, bool omni, DatabarPattern& p) {
  p.width = 50;
  DatabarRow& top = p.row[0];
  SetDark(top, 1);
  Place(top, parts.part[0], 2);
  Place(top, parts.part[1], 18);
  Place(top, parts.part[2], 33);
  SetDark(top, 48);
  DatabarRow& bottom = p.row[omni ? 4 : 2];
  SetDark(bottom, 0);
  Place(bottom, parts.part[3], 2);
  Place(bottom, parts.part[4], 17);
  Place(bottom, parts.part[5], 32);
  SetDark(bottom, 49);
  if (!omni) {
    top.height = kDatabarStackedTop;
    bottom.height = kDatabarStackedBottom;
    p.row[1].height = 1;
    StackedSeparator(top, bottom, p.width, p.row[1]);
    p.rows = 3;
    return;
  }
  top.height = bottom.height = kDatabarOmniHeight;
  for (int r = 1; r <= 3; ++r) p.row[static_cast<size_t>(r)].height = 1;
  ComplementSeparator(top, p.width, 18, false, p.row[1]);
  p.row[2].bits[0] = 0xAAAAAAAAAAAAAAAA & (((uint64_t{1} << (p.width - 9)) - 1) << 5);  // odd modules, 5 to the last 4
  ComplementSeparator(bottom, p.width, 19, parts.right_finder == 3, p.row[3]);
  p.rows = 5;
}

}  // namespace

void DatabarLimitedWidths(uint64_t gtin13, std::array<uint8_t, 46>& widths) {
  const int value[2] = {static_cast<int>(gtin13 / 2013571), static_cast<int>(gtin13 % 2013571)};
  uint8_t* const chars[2] = {&widths[2], &widths[30]};
  int checksum = 0;
  for (int c = 0; c < 2; ++c) {
    CharacterElements(GroupOf(kDatabarLimitedGroups, value[c]), value[c], 7, false, chars[c]);
    for (int e = 0; e < 14; ++e) checksum += kDatabarLimitedWeights[14 * c + e] * chars[c][e];
  }
  const std::string_view check = kDatabarLimitedChecks[checksum % 89];
  widths[0] = widths[1] = widths[44] = widths[45] = 1;
  for (size_t e = 0; e < 14; ++e) widths[16 + e] = static_cast<uint8_t>(check[e] - '0');
}

void DatabarLayout(int32_t code, uint64_t gtin13, bool truncated, DatabarPattern& pattern) {
  if (code == symbology::kDatabarLimited) {
    std::array<uint8_t, 46> widths{};
    DatabarLimitedWidths(gtin13, widths);
    pattern.width = PutElements(pattern.row[0], widths.data(), 46) + 5;  // 5 light modules follow
    pattern.row[0].height = kDatabarLimitedHeight;
    pattern.rows = 1;
    return;
  }
  const OmniParts parts = OmniSymbolParts(gtin13);
  if (code == symbology::kDatabarStacked || code == symbology::kDatabarStackedOmni) {
    StackedRows(parts, code == symbology::kDatabarStackedOmni, pattern);
    return;
  }
  // Left guard (light, dark), the six parts, right guard (light, dark).
  static constexpr int kAt[6] = {2, 18, 33, 48, 63, 78};
  for (int i = 0; i < 6; ++i) Place(pattern.row[0], parts.part[i], kAt[i]);
  SetDark(pattern.row[0], 1);
  SetDark(pattern.row[0], 95);
  pattern.width = 96;
  pattern.row[0].height = truncated ? kDatabarTruncatedHeight : kDatabarOmniHeight;
  pattern.rows = 1;
}

namespace {
// Room for the widest line's text, 16 glyphs and CR LF (a line's glyphs
// come from two words: modules 0-59 and 60-123), and the chunks lines are
// copied in.  A Limited or Stacked text and its room stay within the
// string's own bytes.
constexpr size_t kLineRoom = 24, kChunk = 64;
static_assert(kDatabarMaxWidth <= 124 && kDatabarMaxWidth / kDatabarRun + 2 <= static_cast<int>(kLineRoom));
}  // namespace

void AppendDatabarText(const DatabarPattern& pattern, FontString& out) {
  const int glyphs = (pattern.width + kDatabarRun - 1) / kDatabarRun;
  int lines = 0;
  for (int r = 0; r < pattern.rows; ++r) lines += pattern.row[static_cast<size_t>(r)].height;
  const size_t start = out.size(), stride = static_cast<size_t>(glyphs + 2);
  char* at = out.Extend(static_cast<size_t>(lines) * stride + std::max(kLineRoom, kChunk));
  char line[kLineRoom] = {};
  for (int r = 0; r < pattern.rows; ++r) {
    const DatabarRow& row = pattern.row[static_cast<size_t>(r)];
    // Ten glyphs from the first word, the rest from module 60 on.
    uint64_t bits = row.bits[0];
    for (int g = 0; g < glyphs; ++g, bits >>= kDatabarRun) {
      if (g == 10) bits = row.bits[0] >> 60 | row.bits[1] << 4;
      line[g] = kMatrixGlyphs[static_cast<size_t>(bits & 63)];
    }
    line[glyphs] = '\r';
    line[glyphs + 1] = '\n';
    at = DatabarRepeatLine<kLineRoom, kChunk>(line, stride, row.height, at);
  }
  out.resize(start + static_cast<size_t>(lines) * stride - 2);
}

namespace {

// A GTIN-14 with or without "(01)" before it, or its first 13 digits (the
// check digit computed): the 13 digits as a number.  32507 for a non-digit,
// 32548 for another length, 32547 for a wrong check digit.
int32_t ParseGtin(std::string_view value, uint64_t& gtin13) {
  if (value.starts_with("(01)")) value.remove_prefix(4);
  if (int32_t rc = ValidateDigits(value)) return rc;
  if (value.size() != 13 && value.size() != 14) return kIncompleteGtin;
  if (value.size() == 14 && UpcEanCheckDigitOf<13>(value.data()) != value[13]) return kGtinCheckDigit;
  gtin13 = 0;
  for (size_t i = 0; i < 13; ++i) gtin13 = gtin13 * 10 + static_cast<uint64_t>(value[i] - '0');
  return kOk;
}

int32_t EncodeForm(int32_t code, std::string_view value, bool truncated, FontString& out) {
  uint64_t gtin13 = 0;
  if (int32_t rc = ParseGtin(value, gtin13)) return rc;
  if (code == symbology::kDatabarLimited && gtin13 >= 2000000000000u) return kDatabarLimitedIndicator;
  DatabarPattern pattern;
  DatabarLayout(code, gtin13, truncated, pattern);
  AppendDatabarText(pattern, out);
  return kOk;
}

}  // namespace

// Omnidirectional: the check argument 0 asks for the full height, 1 for
// Truncated (13 modules); any other is 32561.
int32_t EncodeDatabar(std::string_view value, const Options& options, FontString& out) {
  if (options.check_argument != 0 && options.check_argument != 1) return kInvalidCheckOption;
  return EncodeForm(symbology::kDatabar, value, options.check_argument == 1, out);
}

int32_t EncodeDatabarStacked(std::string_view value, const Options&, FontString& out) {
  return EncodeForm(symbology::kDatabarStacked, value, false, out);
}

int32_t EncodeDatabarStackedOmni(std::string_view value, const Options&, FontString& out) {
  return EncodeForm(symbology::kDatabarStackedOmni, value, false, out);
}

int32_t EncodeDatabarLimited(std::string_view value, const Options&, FontString& out) {
  return EncodeForm(symbology::kDatabarLimited, value, false, out);
}

}  // namespace tavo
