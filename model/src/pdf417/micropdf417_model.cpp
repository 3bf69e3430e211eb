// MicroPDF417 in the model: the text of the PDF417 face as a grid of
// modules, and a reader that finds the size from the text's shape, reads
// every row address pattern and compares it with the size's sequence (a
// scanner finds the rows by them), looks each codeword up in its row's
// cluster, corrects the codewords over GF(929) and decompacts the data.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "model_internal.h"
#include "micropdf417_read.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/pdf417/micropdf417.h"

namespace tavo::model::detail {
namespace {

using tavo::pdf417::kMicroPdfSizes;
using tavo::pdf417::MicroPdfWidth;

constexpr int kRun = 6;        // modules a glyph of the PDF417 face draws across
constexpr int kRowHeight = 3;  // and down: one line of text is one row of the symbol
constexpr size_t kQuiet = 2;   // light modules left of the symbol, and light lines above and below

// The lines of `s` as rows of modules, each row's glyphs read into `rows`
// (kRun modules a glyph); `glyphs` the glyphs of a line.
bool TextRows(std::string_view s, std::vector<std::vector<uint8_t>>& rows, size_t& glyphs, ModelError& error) {
  glyphs = std::min(s.find("\r\n"), s.size());
  if (glyphs == 0) return Fail(error, 0, "the first line holds no glyph");
  rows.clear();
  for (size_t at = 0;; at += glyphs + 2) {
    std::vector<uint8_t>& row = rows.emplace_back();
    for (size_t i = at; i < at + glyphs; ++i) {
      if (i >= s.size() || s[i] == '\r') return Fail(error, std::min(i, s.size()), "a line shorter than the first");
      const int bits = MatrixGlyphBits(s[i]);
      if (bits < 0) return Fail(error, i, DescribeByteAt(s, i) + " is no glyph of the PDF417 face");
      for (int m = 0; m < kRun; ++m) row.push_back(static_cast<uint8_t>(bits >> m & 1));
    }
    if (at + glyphs == s.size()) return true;
    if (s.substr(at + glyphs, 2) != "\r\n") return Fail(error, at + glyphs, "a line longer than the first, or no CR LF");
    if (at + glyphs + 2 == s.size()) return Fail(error, at + glyphs, "a line break after the last line");
  }
}

// The size of `columns` columns and `rows` rows, or -1.
int SizeOf(int columns, int rows) {
  for (size_t i = 0; i < kMicroPdfSizes.size(); ++i) {
    if (kMicroPdfSizes[i].columns == columns && kMicroPdfSizes[i].rows == rows) return static_cast<int>(i);
  }
  return -1;
}

// The columns whose text lines are `glyphs` glyphs long, or 0.
int ColumnsOf(size_t glyphs) {
  for (int c = 1; c <= 4; ++c) {
    if (static_cast<size_t>(tavo::pdf417::MicroPdfTextGlyphs(c)) == glyphs) return c;
  }
  return 0;
}

// The byte of the text that draws module x of line y.
size_t ByteAt(size_t glyphs, size_t x, size_t y) { return y * (glyphs + 2) + x / kRun; }

}  // namespace

bool BuildMicroPdf417(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  std::vector<std::vector<uint8_t>> lines;
  size_t glyphs = 0;
  if (!TextRows(s, lines, glyphs, error)) return false;
  const int columns = ColumnsOf(glyphs);
  if (columns == 0) return Fail(error, 0, "lines of " + std::to_string(glyphs) + " glyphs; MicroPDF417 takes 7, 10, 15 or 18");
  const size_t rows = lines.size() >= 2 ? lines.size() - 2 : 0;
  if (SizeOf(columns, static_cast<int>(rows)) < 0) {
    return Fail(error, 0, std::to_string(lines.size()) + " lines: no MicroPDF417 size has " + std::to_string(columns) +
                              " columns and " + std::to_string(rows) + " rows between the quiet zone's lines");
  }
  const size_t width = static_cast<size_t>(MicroPdfWidth(columns));
  symbol.grid.width = static_cast<int32_t>(width);
  symbol.grid.height = static_cast<int32_t>(rows) * kRowHeight;
  symbol.grid.dark.assign(width * rows * kRowHeight, 0);
  for (size_t y = 0; y < lines.size(); ++y) {
    for (size_t x = 0; x < lines[y].size(); ++x) {
      const bool quiet = y == 0 || y == rows + 1 || x < kQuiet || x >= kQuiet + width;
      if (quiet && lines[y][x]) {
        return Fail(error, ByteAt(glyphs, x, y), "a dark module in the quiet zone, " + DescribeByteAt(s, ByteAt(glyphs, x, y)));
      }
      for (int h = 0; !quiet && h < kRowHeight; ++h) {
        symbol.grid.dark[((y - 1) * kRowHeight + static_cast<size_t>(h)) * width + x - kQuiet] = lines[y][x];
      }
    }
  }
  symbol.quiet_left = symbol.quiet_right = kQuiet;
  return true;
}

bool ReadMicroPdf417(int32_t code, std::string_view s, Reading& reading, ModelError& error) {
  Symbol symbol;
  if (!BuildMicroPdf417(code, s, {}, symbol, error)) return false;
  tavo::ModuleGrid grid(symbol.grid.width, symbol.grid.height);
  grid.dark = symbol.grid.dark;
  tavo::pdf417::MicroPdfReading r;
  tavo::pdf417::ReadMicroPdfGrid(grid, kRowHeight, r);
  for (const tavo::pdf417::MicroPdfDamage& d : r.damages) {
    reading.faults.push_back(DamageFault(d.pattern, d.modules, d.row, d.column));
  }
  reading.checks.push_back({.what = "Reed-Solomon error correction of the " + r.size_name + " symbol",
                            .found = r.correction,
                            .expected = "no errors"});
  if (!r.ok) {
    reading.faults.push_back(r.error);
    return true;
  }
  reading.data = r.data;
  return true;
}

}  // namespace tavo::model::detail
