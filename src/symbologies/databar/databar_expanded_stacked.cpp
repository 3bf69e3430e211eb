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
#include "symbologies/databar/databar_expanded_stacked.h"

#include <algorithm>
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

// One row of characters: its modules ('1' dark), whether it reads left to
// right, where it starts (1 for the shifted last row) and the first module
// of each finder.
struct StackedRow {
  std::string modules;
  bool left_to_right = true;
  int shift = 0;
  std::vector<size_t> finders;
};

// Row `r` (0-based) of `rows`, holding the pairs from `first` of `pairs`
// (element widths without the guards, 21 a pair, 13 for a last lone one).
StackedRow LayOutRow(const std::vector<uint8_t>& body, size_t pairs, size_t cols, size_t r, size_t rows) {
  const size_t first = r * cols, last = std::min(pairs, first + cols), missing = first + cols - last;
  StackedRow row;
  const bool even = r % 2 == 1, final_row = r + 1 == rows;
  row.left_to_right = cols % 2 == 1 || !even || (final_row && missing % 2 == 1);
  row.shift = final_row && missing > 0 && even && cols % 2 == 0 && row.left_to_right ? 1 : 0;
  std::vector<uint8_t> widths{static_cast<uint8_t>(1 + row.shift), 1};
  for (size_t k = 0; k < last - first; ++k) {
    const size_t p = row.left_to_right ? first + k : last - 1 - k;
    const size_t from = 21 * p, to = std::min(body.size(), from + 21);
    size_t at = 0;
    for (uint8_t w : widths) at += w;
    const size_t left_char = row.left_to_right || to - from == 21 ? 17 : 0;  // a lone mirrored pair: finder first
    row.finders.push_back(at + left_char);
    if (row.left_to_right) {
      widths.insert(widths.end(), body.begin() + static_cast<ptrdiff_t>(from), body.begin() + static_cast<ptrdiff_t>(to));
    } else {
      widths.insert(widths.end(), body.rbegin() + static_cast<ptrdiff_t>(body.size() - to),
                    body.rbegin() + static_cast<ptrdiff_t>(body.size() - from));
    }
  }
  widths.insert(widths.end(), {1, 1});
  bool dark = even && row.shift == 0;
  for (uint8_t w : widths) row.modules.append(w, dark ? '1' : '0'), dark = !dark;
  return row;
}

// The separator next to `row`: its complement from module 4 (5 when
// shifted) to 4 before its end, light elsewhere; over each finder the
// complement of a light run alternates dark and light, from the end it is
// read from.
std::string Separator(const StackedRow& row, size_t width) {
  const std::string& m = row.modules;
  std::string sep(width, '0');
  for (size_t x = 4 + static_cast<size_t>(row.shift); x + 4 < m.size(); ++x) sep[x] = m[x] == '1' ? '0' : '1';
  for (size_t f : row.finders) {
    for (size_t i = 0; i < 15; ++i) {
      const size_t x = row.left_to_right ? f + i : f + 14 - i;
      const size_t before = row.left_to_right ? x - 1 : x + 1;
      if (x < m.size() && before < m.size() && m[x] == '0' && m[before] == '0' && sep[before] == '1') sep[x] = '0';
    }
  }
  return sep;
}

// The glyphs of one module line, light past its end.
std::string LineGlyphs(const std::string& modules, size_t glyphs) {
  std::string text(glyphs, kMatrixGlyphs[0]);
  for (size_t g = 0; g < glyphs; ++g) {
    int bits = 0;
    for (int b = 0; b < kDatabarRun; ++b) {
      const size_t x = g * kDatabarRun + static_cast<size_t>(b);
      bits |= (x < modules.size() && modules[x] == '1' ? 1 : 0) << b;
    }
    text[g] = kMatrixGlyphs[static_cast<size_t>(bits)];
  }
  return text;
}

}  // namespace

void DatabarExpandedStackedLines(const std::vector<uint8_t>& widths, int segments, std::vector<std::string>& lines,
                                 std::vector<int>& heights) {
  const std::vector<uint8_t> body(widths.begin() + 2, widths.end() - 2);
  const size_t pairs = (body.size() + 20) / 21, cols = static_cast<size_t>(segments) / 2;
  const size_t rows = (pairs + cols - 1) / cols;
  std::vector<StackedRow> laid;
  size_t width = 0;
  for (size_t r = 0; r < rows; ++r) {
    laid.push_back(LayOutRow(body, pairs, cols, r, rows));
    width = std::max(width, laid.back().modules.size());
  }
  lines.clear();
  heights.clear();
  for (size_t r = 0; r < rows; ++r) {
    if (r != 0) {
      std::string middle(width, '0');
      for (size_t x = 5; x < 49 * cols && x < width; x += 2) middle[x] = '1';
      lines.push_back(middle);
      lines.push_back(Separator(laid[r], width));
      heights.insert(heights.end(), {1, 1});
    }
    lines.push_back(laid[r].modules);
    lines.back().resize(width, '0');
    heights.push_back(kRowHeight);
    if (r + 1 != rows) lines.push_back(Separator(laid[r], width)), heights.push_back(1);
  }
}

// GS1 element strings as for Expanded; the check argument is the segments
// per row, even from 2 to 20, 0 for 4.
int32_t EncodeDatabarExpandedStacked(std::string_view value, const Options& options, FontString& out) {
  const int segments = options.check_argument == 0 ? 4 : options.check_argument;
  if (segments < 2 || segments > 20 || segments % 2 != 0) return kDatabarExpandedSegments;
  Gs1Message message;
  if (int32_t rc = ParseGs1ElementStrings(value, message, Gs1Limit{74, kDatabarExpandedTooLong, true})) return rc;
  std::vector<uint16_t> data;
  if (int32_t rc = DatabarExpandedCharacters(message, data, segments)) return rc;
  std::vector<uint8_t> widths;
  DatabarExpandedWidths(data, widths);
  std::vector<std::string> lines;
  std::vector<int> heights;
  DatabarExpandedStackedLines(widths, segments, lines, heights);
  const size_t glyphs = (lines[0].size() + kDatabarRun - 1) / kDatabarRun;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string text = LineGlyphs(lines[i], glyphs);
    for (int h = 0; h < heights[i]; ++h) {
      if (out.size() != 0) out.append("\r\n");
      out.append(text);
    }
  }
  return kOk;
}

}  // namespace tavo
