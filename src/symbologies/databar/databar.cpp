// GS1 DataBar Omnidirectional, Stacked, Stacked Omnidirectional and
// Limited: the GTIN's value split into symbol characters, their element
// widths, the checksum's finder or check character, the rows with their
// separators, and the text of the module-run face (databar.h).
#include "symbologies/databar/databar.h"
#include "symbologies/databar/databar_tables.h"

#include <algorithm>

#include "symbologies/codes.h"
#include "symbologies/encoders.h"
#include "symbologies/gs1/gs1.h"
#include "symbologies/matrix/matrix_text.h"

namespace tavo {
namespace {

// Binomial coefficients C(n, r) for n < 32, 0 outside Pascal's triangle.
inline constexpr auto kChoose = [] {
  std::array<std::array<uint32_t, 32>, 32> c{};
  for (size_t n = 0; n < 32; ++n) {
    c[n][0] = 1;
    for (size_t r = 1; r <= n; ++r) c[n][r] = c[n - 1][r - 1] + (r < n ? c[n - 1][r] : 0);
  }
  return c;
}();

constexpr int Choose(int n, int r) {
  if (n < 0 || r < 0 || r > n) return 0;
  return static_cast<int>(kChoose[static_cast<size_t>(n)][static_cast<size_t>(r)]);
}

template <size_t N>
const DatabarGroup& GroupOf(const DatabarGroup (&groups)[N], int value) {
  size_t g = N - 1;
  while (value < groups[g].first) --g;
  return groups[g];
}

// The 2 * half element widths of a character, odd (bars in a left-to-right
// character) and even interleaved.  Inside characters take the odd value
// from the remainder; the others from the quotient (ISO/IEC 24724 7.2.4).
void CharacterElements(const DatabarGroup& group, int value, int half, bool inside, uint8_t* widths) {
  const int v = value - group.first;
  const int odd = inside ? v % group.even_patterns : v / group.even_patterns;
  const int even = inside ? v / group.even_patterns : v % group.even_patterns;
  uint8_t odd_w[8], even_w[8];
  DatabarCharacterWidths(odd, group.odd_modules, half, group.odd_widest, !inside, odd_w);
  DatabarCharacterWidths(even, group.even_modules, half, group.even_widest, inside, even_w);
  for (int i = 0; i < half; ++i) {
    widths[2 * i] = odd_w[i];
    widths[2 * i + 1] = even_w[i];
  }
}

}  // namespace

void DatabarCharacterWidths(int value, int modules, int elements, int widest, bool no_narrow, uint8_t* widths) {
  int n = modules;
  bool none_narrow = true;  // no element of width 1 before this one
  for (int e = 0; e < elements - 1; ++e) {
    const int left = elements - e - 1;  // elements after this one
    int w = 1;
    for (;;) {
      // Patterns of the remaining elements with this one w modules wide.
      int count = Choose(n - w - 1, left - 1);
      if (!no_narrow && none_narrow && w > 1 && n - w - left >= left) count -= Choose(n - w - left - 1, left - 1);
      if (left > 1) {
        int too_wide = 0;
        for (int m = n - w - (left - 1); m > widest; --m) too_wide += Choose(n - w - m - 1, left - 2);
        count -= too_wide * left;
      } else if (n - w > widest) {
        --count;
      }
      if (value < count) break;
      value -= count;
      ++w;
    }
    none_narrow = none_narrow && w > 1;
    n -= w;
    widths[e] = static_cast<uint8_t>(w);
  }
  widths[elements - 1] = static_cast<uint8_t>(n);
}

int DatabarOmniWidths(uint64_t gtin13, std::array<uint8_t, 46>& widths) {
  const uint64_t left = gtin13 / 4537077, right = gtin13 % 4537077;
  const int value[4] = {static_cast<int>(left / 1597), static_cast<int>(left % 1597),
                        static_cast<int>(right / 1597), static_cast<int>(right % 1597)};
  uint8_t chars[4][8];
  int checksum = 0;
  for (int c = 0; c < 4; ++c) {
    const bool inside = c % 2 == 1;
    CharacterElements(inside ? GroupOf(kDatabarInsideGroups, value[c]) : GroupOf(kDatabarOutsideGroups, value[c]), value[c], 4,
                      inside, chars[c]);
    for (int e = 0; e < 8; ++e) checksum += kDatabarWeights[c][e] * chars[c][e];
  }
  checksum %= 79;
  checksum += checksum >= 8 ? 1 : 0;
  checksum += checksum >= 72 ? 1 : 0;
  widths[0] = widths[1] = widths[44] = widths[45] = 1;
  for (int e = 0; e < 8; ++e) {
    widths[2 + e] = chars[0][e];
    widths[15 + e] = chars[1][7 - e];
    widths[23 + e] = chars[3][e];
    widths[36 + e] = chars[2][7 - e];
  }
  for (int e = 0; e < 5; ++e) {
    widths[10 + e] = kDatabarFinders[checksum / 9][e];
    widths[31 + e] = kDatabarFinders[checksum % 9][4 - e];
  }
  return checksum;
}

namespace {

// Sets `count` modules from `at` to the run of elements `widths`, light first
// when `light_first`; returns the module after them.
int PutElements(DatabarRow& row, int at, const uint8_t* widths, int count, bool light_first) {
  bool dark = !light_first;
  for (int e = 0; e < count; ++e, dark = !dark) {
    for (int m = 0; m < widths[e]; ++m) row.dark[static_cast<size_t>(at++)] = dark ? 1 : 0;
  }
  return at;
}

// Stacked: one separator row, 1X high.  Where the rows above and below agree
// it is their complement; where they differ it alternates, dark after a
// light module; its first and last four modules are light (ISO/IEC 24724
// 5.3.2.2, as zint draws it).
void StackedSeparator(const DatabarRow& top, const DatabarRow& bottom, int width, DatabarRow& sep) {
  for (int x = 1; x < width; ++x) {
    const size_t i = static_cast<size_t>(x);
    if (top.dark[i] == bottom.dark[i]) {
      sep.dark[i] = top.dark[i] ? 0 : 1;
    } else {
      sep.dark[i] = sep.dark[i - 1] ? 0 : 1;
    }
  }
  for (int x = 0; x < 4; ++x) sep.dark[static_cast<size_t>(x)] = sep.dark[static_cast<size_t>(width - 1 - x)] = 0;
}

// Stacked Omnidirectional: the complement of the adjacent row from module 4
// to the last 4, except over 13 modules of its finder pattern from `first`,
// where a light module of the row gives a dark one only after a dark one or
// at the start.  Below finder value 3 those 13 modules are light but for the
// one over the start of its 3-module bar (ISO/IEC 24724:2011 5.3.2.2, as
// zint draws it).
void ComplementSeparator(const DatabarRow& row, int width, int first, bool finder_3, DatabarRow& sep) {
  for (int x = 4; x < width - 4; ++x) sep.dark[static_cast<size_t>(x)] = row.dark[static_cast<size_t>(x)] ? 0 : 1;
  bool dark_next = true;
  for (int x = first; x < first + 13; ++x) {
    const size_t i = static_cast<size_t>(x);
    if (finder_3) {
      sep.dark[i] = x == first + 10 ? 1 : 0;
    } else if (row.dark[i]) {
      sep.dark[i] = 0;
      dark_next = true;
    } else {
      sep.dark[i] = dark_next ? 1 : 0;
      dark_next = !dark_next;
    }
  }
}

void StackedRows(const std::array<uint8_t, 46>& widths, int finders, bool omni, DatabarPattern& p) {
  p.width = 50;
  DatabarRow& top = p.row[0];
  const uint8_t guard[2] = {1, 1};
  int at = PutElements(top, 0, widths.data(), 23, true);
  PutElements(top, at, guard, 2, false);
  DatabarRow& bottom = p.row[omni ? 4 : 2];
  at = PutElements(bottom, 0, guard, 2, false);
  PutElements(bottom, at, widths.data() + 23, 23, false);
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
  for (int x = 5; x < p.width - 4; x += 2) p.row[2].dark[static_cast<size_t>(x)] = 1;
  ComplementSeparator(bottom, p.width, 19, finders % 9 == 3, p.row[3]);
  p.rows = 5;
}

}  // namespace

void DatabarLimitedWidths(uint64_t gtin13, std::array<uint8_t, 46>& widths) {
  const int value[2] = {static_cast<int>(gtin13 / 2013571), static_cast<int>(gtin13 % 2013571)};
  uint8_t chars[2][14];
  int checksum = 0;
  for (int c = 0; c < 2; ++c) {
    CharacterElements(GroupOf(kDatabarLimitedGroups, value[c]), value[c], 7, false, chars[c]);
    for (int e = 0; e < 14; ++e) checksum += kDatabarLimitedWeights[14 * c + e] * chars[c][e];
  }
  const std::string_view check = kDatabarLimitedChecks[checksum % 89];
  widths[0] = widths[1] = widths[44] = widths[45] = 1;
  for (int e = 0; e < 14; ++e) {
    widths[2 + e] = chars[0][e];
    widths[16 + e] = static_cast<uint8_t>(check[static_cast<size_t>(e)] - '0');
    widths[30 + e] = chars[1][e];
  }
}

void DatabarLayout(int32_t code, uint64_t gtin13, bool truncated, DatabarPattern& pattern) {
  std::array<uint8_t, 46> widths{};
  if (code == symbology::kDatabarLimited) {
    DatabarLimitedWidths(gtin13, widths);
    pattern.width = PutElements(pattern.row[0], 0, widths.data(), 46, true) + 5;  // 5 light modules follow
    pattern.row[0].height = kDatabarLimitedHeight;
    pattern.rows = 1;
    return;
  }
  const int finders = DatabarOmniWidths(gtin13, widths);
  if (code == symbology::kDatabarStacked || code == symbology::kDatabarStackedOmni) {
    StackedRows(widths, finders, code == symbology::kDatabarStackedOmni, pattern);
    return;
  }
  pattern.width = PutElements(pattern.row[0], 0, widths.data(), 46, true);
  pattern.row[0].height = truncated ? kDatabarTruncatedHeight : kDatabarOmniHeight;
  pattern.rows = 1;
}

void AppendDatabarText(const DatabarPattern& pattern, FontString& out) {
  const int glyphs = (pattern.width + kDatabarRun - 1) / kDatabarRun;
  int lines = 0;
  for (int r = 0; r < pattern.rows; ++r) lines += pattern.row[static_cast<size_t>(r)].height;
  char* at = out.Extend(static_cast<size_t>(lines * (glyphs + 2) - 2));
  bool first = true;
  for (int r = 0; r < pattern.rows; ++r) {
    const DatabarRow& row = pattern.row[static_cast<size_t>(r)];
    char line[kDatabarMaxWidth / kDatabarRun];
    for (int g = 0; g < glyphs; ++g) {
      int bits = 0;
      for (int m = 0; m < kDatabarRun; ++m) bits |= row.dark[static_cast<size_t>(g * kDatabarRun + m)] << m;
      line[g] = kMatrixGlyphs[static_cast<size_t>(bits)];
    }
    for (int h = 0; h < row.height; ++h, first = false) {
      if (!first) {
        *at++ = '\r';
        *at++ = '\n';
      }
      std::copy(line, line + glyphs, at);
      at += glyphs;
    }
  }
}

namespace {

// A GTIN-14 with or without "(01)" before it, or its first 13 digits (the
// check digit computed): the 13 digits as a number.  32507 for a non-digit,
// 32548 for another length, 32547 for a wrong check digit.
int32_t ParseGtin(std::string_view value, uint64_t& gtin13) {
  if (value.starts_with("(01)")) value.remove_prefix(4);
  if (int32_t rc = ValidateDigits(value)) return rc;
  if (value.size() != 13 && value.size() != 14) return kIncompleteGtin;
  if (value.size() == 14 && Gs1CheckDigit(value.substr(0, 13)) != value[13]) return kGtinCheckDigit;
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
