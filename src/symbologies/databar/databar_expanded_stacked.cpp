// GS1 DataBar Expanded Stacked (ISO/IEC 24724 7.2.8): the Expanded
// symbol's pairs (a character, its finder and the next character: 49
// modules) in rows of `segments` characters, each row between guards, with
// three separator rows between two rows.  Rows are numbered from 1 at the
// top: odd rows read left to right; even rows, when a row holds an even
// number of pairs, right to left (pairs in reverse order, each mirrored), so
// that every finder keeps its orientation.  A last row that would read right
// to left with an odd number of pairs missing reads left to right instead,
// and one that is even-numbered, not full and left to right starts one
// module further right.
//
// Each distinct line is built once as words of modules (the row from its
// elements, the separator from the row with word operations), and its text
// once: a row's 34 equal lines are copies of its first.
#include "symbologies/databar/databar_expanded_stacked.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "interface/errors.h"
#include "symbologies/databar/databar.h"
#include "symbologies/databar/databar_expanded.h"
#include "symbologies/encoders.h"
#include "symbologies/matrix/matrix_text.h"

namespace tavo {
namespace {

constexpr int kRowHeight = 34;  // module rows of each row of characters (zint draws 34)
constexpr int kWordModules = kStackedWordModules;
constexpr int kWords = kStackedLineWords;
constexpr int kLineModules = kWords * kWordModules;
constexpr uint64_t kWordMask = (uint64_t{1} << kWordModules) - 1;
constexpr size_t kMaxPairs = 11;
static_assert(kLineModules >= 5 + 49 * static_cast<int>(kMaxPairs), "a line holds the widest row");
static_assert(kWordModules % kDatabarRun == 0 && kWordModules % 2 == 0);
static_assert(kWordModules - 1 + 2 * 9 < 64, "two elements past a word that is not yet full fit");

// The modules of word `w` from module `lo` up to (not including) `hi`.
uint64_t RangeMask(int w, int lo, int hi) {
  const int a = std::max(lo - w * kWordModules, 0), b = std::min(hi - w * kWordModules, kWordModules);
  return a < b ? ((uint64_t{1} << (b - a)) - 1) << a : 0;
}

// Writes elements of up to 9 modules from module 0 of a line, gathering
// modules in a 64-bit word that is stored once it holds 42.
class LineWriter {
 public:
  explicit LineWriter(StackedLine& line) : line_(line) {}
  int at() const { return word_ * kWordModules + fill_; }
  // `n` elements from `e`, `step` apart, the first dark when `dark`.
  void Put(const uint8_t* e, size_t n, ptrdiff_t step, bool dark) {
    size_t i = 0;
    if (dark && n != 0) Dark(e[0]), Store(), i = 1;
    for (; i + 1 < n; i += 2) {
      fill_ += e[static_cast<ptrdiff_t>(i) * step];
      Dark(e[static_cast<ptrdiff_t>(i + 1) * step]);
      Store();
    }
    if (i < n) fill_ += e[static_cast<ptrdiff_t>(i) * step], Store();
  }
  // Stores the last word; the words after it are left as they were.
  void Finish() { line_.words[static_cast<size_t>(word_)] = acc_ & kWordMask; }

 private:
  void Dark(int w) {
    acc_ |= ((uint64_t{1} << w) - 1) << fill_;
    fill_ += w;
  }
  void Store() {
    if (fill_ < kWordModules) return;
    line_.words[static_cast<size_t>(word_++)] = acc_ & kWordMask;
    acc_ >>= kWordModules;
    fill_ -= kWordModules;
  }

  StackedLine& line_;
  uint64_t acc_ = 0;
  int word_ = 0, fill_ = 0;
};

// The 16 modules of a line from module `x`.
uint32_t Get16(const StackedLine& line, int x) {
  const int w = x / kWordModules, off = x % kWordModules;
  uint64_t v = line.words[static_cast<size_t>(w)] >> off;
  if (off > kWordModules - 16) v |= line.words[static_cast<size_t>(w + 1)] << (kWordModules - off);
  return static_cast<uint32_t>(v & 0xFFFF);
}

// Sets the modules of `mask` (16 bits) from module `x` to those of `bits`.
void Put16(StackedLine& line, int x, uint32_t bits, uint32_t mask) {
  const int w = x / kWordModules, off = x % kWordModules;
  uint64_t& lo = line.words[static_cast<size_t>(w)];
  lo = (lo & ~(uint64_t{mask} << off)) | ((uint64_t{bits & mask} << off) & kWordMask);
  if (off > kWordModules - 16) {
    uint64_t& hi = line.words[static_cast<size_t>(w + 1)];
    hi = (hi & ~(uint64_t{mask} >> (kWordModules - off))) | (uint64_t{bits & mask} >> (kWordModules - off));
  }
}

// The 16 bits of `v` in the opposite order.
uint32_t Reverse16(uint32_t v) {
  v = (v >> 1 & 0x5555) | (v & 0x5555) << 1;
  v = (v >> 2 & 0x3333) | (v & 0x3333) << 2;
  v = (v >> 4 & 0x0F0F) | (v & 0x0F0F) << 4;
  return (v >> 8 & 0x00FF) | (v & 0x00FF) << 8;
}

// How one row of characters stands.
struct RowPlan {
  bool left_to_right = true;
  int shift = 0;  // 1 for a last row that starts one module further right
  int size = 0;   // modules
  int finders = 0;
  std::array<int, kMaxPairs> finder;  // first module of each finder
};

// Row `r` (0-based) of `rows`, holding the pairs from r * cols of `pairs`
// (element widths `body` without the guards, 21 a pair, 13 for a last lone
// one).  A right-to-left row holds its pairs' elements in reverse order.
RowPlan LayOutRow(const uint8_t* body, size_t body_size, size_t pairs, size_t cols, size_t r, size_t rows,
                  StackedLine& line) {
  const size_t first = r * cols, last = std::min(pairs, first + cols), missing = first + cols - last;
  RowPlan plan;
  const bool even = r % 2 == 1, final_row = r + 1 == rows;
  const bool ltr = cols % 2 == 1 || !even || (final_row && missing % 2 == 1);
  plan.left_to_right = ltr;
  plan.shift = final_row && missing > 0 && even && cols % 2 == 0 && ltr ? 1 : 0;
  LineWriter out(line);
  bool dark = even && plan.shift == 0;
  const uint8_t guards[2] = {static_cast<uint8_t>(1 + plan.shift), 1};
  out.Put(guards, 2, 1, dark);
  const ptrdiff_t step = ltr ? 1 : -1;
  for (size_t k = 0; k < last - first; ++k) {
    const size_t p = ltr ? first + k : last - 1 - k;
    const size_t from = 21 * p, to = std::min(body_size, from + 21), n = to - from;
    const uint8_t* e = ltr ? body + from : body + to - 1;
    const size_t before = ltr || n == 21 ? 8 : 0;  // a lone mirrored pair: finder first
    out.Put(e, before, step, dark);
    plan.finder[static_cast<size_t>(plan.finders++)] = out.at();
    out.Put(e + static_cast<ptrdiff_t>(before) * step, n - before, step, dark);
    dark = dark != (n % 2 == 1);
  }
  out.Put(guards + 1, 1, 1, dark);
  out.Put(guards + 1, 1, 1, !dark);
  out.Finish();
  plan.size = out.at();
  return plan;
}

// The separator next to a row: its complement from module 4 (5 when
// shifted) to 4 before its end, light elsewhere; over each finder the
// complement of a light run alternates dark and light, from the end it is
// read from (the module before the finder counted as it stands).
void Separator(const StackedLine& row, const RowPlan& plan, int words, StackedLine& sep) {
  for (int w = 0; w < words; ++w) {
    const size_t i = static_cast<size_t>(w);
    sep.words[i] = ~row.words[i] & RangeMask(w, 4 + plan.shift, plan.size - 4);
  }
  for (int k = 0; k < plan.finders; ++k) {
    const int f = plan.finder[static_cast<size_t>(k)];
    if (f < 1 || f + 16 > kLineModules) continue;
    if (plan.left_to_right) {
      Put16(sep, f - 1, DatabarAlternateRuns(Get16(sep, f - 1)), 0xFFFE);  // the module before stays
    } else {
      Put16(sep, f, Reverse16(DatabarAlternateRuns(Reverse16(Get16(sep, f)))), 0x7FFF);  // the module after stays
    }
  }
}

// Room for the widest line's text, 91 glyphs and CR LF.
constexpr size_t kTextRoom = 96;
static_assert((5 + 49 * kMaxPairs + kDatabarRun - 1) / kDatabarRun + 2 <= kTextRoom, "the widest line's text");

// Writes the glyphs of a line and CR LF into `text` (seven glyphs a word,
// up to six of them past the line's); returns the length.
size_t LineText(const StackedLine& line, int glyphs, char* text) {
  constexpr int kPerWord = kWordModules / kDatabarRun;
  char* at = text;
  for (int g = 0, w = 0; g < glyphs; g += kPerWord, ++w) {
    uint64_t word = line.words[static_cast<size_t>(w)];
    for (int i = 0; i < kPerWord; ++i, word >>= kDatabarRun) at[i] = kMatrixGlyphs[static_cast<size_t>(word & 63)];
    at += std::min(kPerWord, glyphs - g);
  }
  *at++ = '\r';
  *at++ = '\n';
  return static_cast<size_t>(at - text);
}

}  // namespace

void DatabarExpandedStackedLayout(const uint8_t* widths, size_t count, int segments, DatabarStackedLayout& layout) {
  layout.width = layout.rows = 0;
  if (count < 4 || segments < 2) return;
  const uint8_t* body = widths + 2;
  const size_t body_size = count - 4;
  const size_t pairs = std::min((body_size + 20) / 21, kMaxPairs), cols = static_cast<size_t>(segments) / 2;
  const size_t rows = (pairs + cols - 1) / cols;
  std::array<RowPlan, kMaxPairs> plans;
  for (size_t r = 0; r < rows; ++r) {
    plans[r] = LayOutRow(body, body_size, pairs, cols, r, rows, layout.row[r]);
    layout.width = std::max(layout.width, plans[r].size);
  }
  layout.width = std::min(layout.width, kLineModules);
  layout.rows = static_cast<int>(rows);
  const int words = (layout.width + kWordModules - 1) / kWordModules;
  for (size_t r = 0; r < rows; ++r) {
    for (int w = plans[r].size / kWordModules + 1; w < words; ++w) layout.row[r].words[static_cast<size_t>(w)] = 0;
    Separator(layout.row[r], plans[r], words, layout.separator[r]);
  }
  // Dark at the odd modules from 5 to the end of the widest row's pairs.
  const int end = static_cast<int>(std::min<int64_t>(layout.width, 49 * static_cast<int64_t>(cols)));
  for (int w = 0; w < words; ++w) {
    layout.middle.words[static_cast<size_t>(w)] = 0x0AAAAAAAAAAAAAAA & RangeMask(w, 5, end);
  }
}

void DatabarExpandedStackedLines(const std::vector<uint8_t>& widths, int segments, std::vector<std::string>& lines,
                                 std::vector<int>& heights) {
  lines.clear();
  heights.clear();
  const size_t body = widths.size() < 4 ? 1 : widths.size() - 4;
  int total = 0;
  for (uint8_t w : widths) total += w;
  if ((body % 21 != 0 && body % 21 != 13) || body > 21 * kMaxPairs || total > kLineModules - 1 || segments < 2 ||
      std::any_of(widths.begin(), widths.end(), [](uint8_t w) { return w < 1 || w > 9; })) {
    return;
  }
  DatabarStackedLayout layout;
  DatabarExpandedStackedLayout(widths.data(), widths.size(), segments, layout);
  auto add = [&](const StackedLine& line, int height) {
    std::string modules(static_cast<size_t>(layout.width), '0');
    for (int x = 0; x < layout.width; ++x) {
      const uint64_t word = line.words[static_cast<size_t>(x / kWordModules)];
      if (word >> (x % kWordModules) & 1) modules[static_cast<size_t>(x)] = '1';
    }
    lines.push_back(std::move(modules));
    heights.push_back(height);
  };
  for (size_t r = 0; r < static_cast<size_t>(layout.rows); ++r) {
    if (r != 0) add(layout.middle, 1), add(layout.separator[r], 1);
    add(layout.row[r], kRowHeight);
    if (r + 1 != static_cast<size_t>(layout.rows)) add(layout.separator[r], 1);
  }
}

// GS1 element strings as for Expanded; the check argument is the segments
// per row, even from 2 to 20, 0 for 4.
int32_t EncodeDatabarExpandedStacked(std::string_view value, const Options& options, FontString& out) {
  const int segments = options.check_argument == 0 ? 4 : options.check_argument;
  if (segments < 2 || segments > 20 || segments % 2 != 0) return kDatabarExpandedSegments;
  Gs1Message message;
  if (int32_t rc = ParseGs1ElementStrings(value, message, Gs1Limit{74, kDatabarExpandedTooLong, true})) return rc;
  std::array<uint16_t, kDatabarExpandedMaxData> data;
  size_t count = 0;
  if (int32_t rc = DatabarExpandedCharacters(message, segments, data, count)) return rc;
  std::array<uint8_t, kDatabarExpandedMaxElements> widths;
  DatabarStackedLayout layout;
  DatabarExpandedStackedLayout(widths.data(), DatabarExpandedWidths(data.data(), count, widths.data()), segments,
                               layout);
  // Every line with CR LF after it (the last one's taken back at the end),
  // and CR LF before the first when the string already holds text.
  const int glyphs = (layout.width + kDatabarRun - 1) / kDatabarRun;
  const size_t rows = static_cast<size_t>(layout.rows), lines = kRowHeight * rows + 3 * (rows - 1);
  const size_t start = out.size(), lead = start == 0 ? 0 : 2;
  char* at = out.Extend(lead + lines * (static_cast<size_t>(glyphs) + 2) + kTextRoom);
  if (lead != 0) *at++ = '\r', *at++ = '\n';
  char middle[kTextRoom + kDatabarRun] = {}, separator[kTextRoom + kDatabarRun] = {},
       row[kTextRoom + kDatabarRun] = {};
  const size_t stride = LineText(layout.middle, glyphs, middle);
  auto put = [&](const char* text, int height) {
    at = DatabarRepeatLine<kTextRoom, kTextRoom>(text, stride, height, at);
  };
  for (size_t r = 0; r < rows; ++r) {
    LineText(layout.separator[r], glyphs, separator);
    if (r != 0) put(middle, 1), put(separator, 1);
    LineText(layout.row[r], glyphs, row);
    put(row, kRowHeight);
    if (r + 1 != rows) put(separator, 1);
  }
  out.resize(start + lead + lines * stride - 2);
  return kOk;
}

}  // namespace tavo
