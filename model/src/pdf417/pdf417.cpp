// PDF417 in the model: the text of the PDF417 face as the symbol's modules
// (each row 3 modules high), and a reader that takes each 17-module pattern
// back to its codeword through the inverse of the pattern table, checks the
// clusters, the row indicators and the error correction over GF(929) (and
// names each damaged codeword), then decompacts the data.
#include <string>
#include <vector>

#include "model_internal.h"
#include "pdf417/pdf417_decompact.h"
#include "pdf417/pdf417_patterns_lookup.h"
#include "readers/matrix/reed_solomon_correct.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/pdf417/pdf417.h"
#include "symbologies/pdf417/pdf417_patterns.h"
#include "symbologies/pdf417/pdf417_reed_solomon.h"

namespace tavo::model::detail {
namespace {

constexpr int kRowModules = 3;  // the height of a row, and of a glyph

// The text as rows of modules, one per line, each glyph 6 modules.
bool TextRows(std::string_view s, std::vector<std::vector<uint8_t>>& rows, ModelError& error) {
  size_t cols = s.find("\r\n");
  if (cols == std::string_view::npos) cols = s.size();
  if (cols == 0) return Fail(error, 0, "the first line holds no glyph");
  rows.clear();
  for (size_t at = 0;; at += cols + 2) {
    std::vector<uint8_t> row;
    for (size_t i = at; i < at + cols; ++i) {
      const int bits = i < s.size() ? MatrixGlyphBits(s[i]) : -1;
      if (i >= s.size() || s[i] == '\r') return Fail(error, std::min(i, s.size()), "a line shorter than the first");
      if (bits < 0) return Fail(error, i, DescribeByteAt(s, i) + " is no glyph of the PDF417 face");
      for (int m = 0; m < kPdf417Run; ++m) row.push_back(static_cast<uint8_t>(bits >> m & 1));
    }
    rows.push_back(std::move(row));
    if (at + cols == s.size()) return true;
    if (s.substr(at + cols, 2) != "\r\n") return Fail(error, at + cols, "a line longer than the first, or no CR LF");
    if (at + cols + 2 == s.size()) return Fail(error, at + cols, "a line break after the last line");
  }
}

// The symbol's rows (the light lines above and below taken off) and its
// width, from the left quiet zone to its last dark module.
bool SymbolRows(std::string_view s, std::vector<std::vector<uint8_t>>& rows, int& width, ModelError& error) {
  if (!TextRows(s, rows, error)) return false;
  const size_t line = rows[0].size() / kPdf417Run + 2;
  if (rows.size() < kPdf417MinRows + 2) return Fail(error, 0, "fewer than 3 rows between the light lines");
  for (size_t r : {size_t{0}, rows.size() - 1}) {
    for (size_t x = 0; x < rows[r].size(); ++x) {
      if (rows[r][x]) return Fail(error, r * line + x / kPdf417Run, "a dark module in the quiet zone above or below");
    }
  }
  rows.erase(rows.end() - 1);
  rows.erase(rows.begin());
  width = 0;
  for (const auto& row : rows) {
    for (int x = static_cast<int>(row.size()); x-- > width;) {
      if (row[static_cast<size_t>(x)]) { width = x + 1; break; }
    }
  }
  width -= kPdf417QuietZone;
  if (width < 17 * 2 + 1) return Fail(error, 0, "no symbol between the quiet zones");
  return true;
}

uint32_t Pattern(const std::vector<uint8_t>& row, int at, int modules) {
  uint32_t p = 0;
  for (int k = 0; k < modules; ++k) p = p << 1 | row[static_cast<size_t>(kPdf417QuietZone + at + k)];
  return p;
}

}  // namespace

bool BuildPdf417(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  std::vector<std::vector<uint8_t>> rows;
  int width = 0;
  if (!SymbolRows(s, rows, width, error)) return false;
  const int height = static_cast<int>(rows.size()) * kRowModules;
  symbol.grid.width = width;
  symbol.grid.height = height;
  symbol.grid.dark.clear();
  for (int y = 0; y < height; ++y) {
    const auto& row = rows[static_cast<size_t>(y / kRowModules)];
    symbol.grid.dark.insert(symbol.grid.dark.end(), row.begin() + kPdf417QuietZone,
                            row.begin() + kPdf417QuietZone + width);
  }
  symbol.quiet_left = symbol.quiet_right = kPdf417QuietZone;
  return true;
}

namespace {

std::string At(int row, int column) {
  return "row " + std::to_string(row) + ", column " + std::to_string(column);
}

// The codewords of every row as the patterns give them, the row indicators
// first and (unless truncated) last; -1 where a pattern is no codeword of
// the row's cluster, with a fault naming it.
struct Grid {
  int rows = 0;
  int slots = 0;  // codewords per row, the indicators among them
  bool truncated = false;
  std::vector<int> codewords;
};

void ReadPatterns(const std::vector<std::vector<uint8_t>>& rows, int width, Grid& g, Reading& reading) {
  using namespace tavo::pdf417;
  g.rows = static_cast<int>(rows.size());
  g.truncated = width < kStartModules + kStopModules ||
                Pattern(rows[0], width - kStopModules, kStopModules) != kStopPattern;
  const int inner = width - kStartModules - (g.truncated ? kTruncatedStopModules : kStopModules);
  if (inner % kCodewordModules != 0) reading.faults.push_back("the rows are " + std::to_string(width) + " modules wide: no whole number of codewords between the start and stop patterns");
  g.slots = inner / kCodewordModules;
  for (int r = 0; r < g.rows; ++r) {
    const auto& row = rows[static_cast<size_t>(r)];
    if (Pattern(row, 0, kStartModules) != kStartPattern) reading.faults.push_back("row " + std::to_string(r) + ": no start pattern");
    const int stop_at = kStartModules + g.slots * kCodewordModules;
    const bool stop_ok = g.truncated ? Pattern(row, stop_at, 1) == kTruncatedStopPattern
                                     : Pattern(row, stop_at, kStopModules) == kStopPattern;
    if (!stop_ok) reading.faults.push_back("row " + std::to_string(r) + ": no stop pattern");
    for (int k = 0; k < g.slots; ++k) {
      const PatternMatch m = LookUpPattern(Pattern(row, kStartModules + k * kCodewordModules, kCodewordModules));
      const bool ok = m.cluster == r % 3 * 3;
      g.codewords.push_back(ok ? m.codeword : -1);
      if (!ok) reading.faults.push_back(At(r, k) + ": no codeword of cluster " + std::to_string(r % 3 * 3));
    }
  }
}

// The size and level the indicators give, checked against every row's.
bool ReadIndicators(const Grid& g, Pdf417Symbol& symbol, Reading& reading) {
  const int columns = g.slots - (g.truncated ? 1 : 2);
  if (columns < 1 || g.rows < 3) {
    reading.faults.push_back("no data columns between the row indicators");
    return false;
  }
  const int level_part = g.codewords[static_cast<size_t>(g.slots)];  // row 1's left indicator
  symbol.rows = g.rows;
  symbol.columns = columns;
  symbol.truncated = g.truncated;
  symbol.level = level_part < 0 ? 0 : (level_part % 30 - (g.rows - 1) % 3) / 3;
  if (symbol.level < 0 || symbol.level > kPdf417MaxLevel) symbol.level = 0;
  for (int r = 0; r < g.rows; ++r) {
    const std::array<uint16_t, 2> want = Pdf417RowIndicators(symbol, r);
    const int left = g.codewords[static_cast<size_t>(r * g.slots)];
    const int right = g.truncated ? want[1] : g.codewords[static_cast<size_t>(r * g.slots + g.slots - 1)];
    if (left != want[0] || right != want[1]) {
      reading.faults.push_back("row " + std::to_string(r) + ": row indicators " + std::to_string(left) + " and " +
                               std::to_string(right) + " where " + std::to_string(g.rows) + " rows of " +
                               std::to_string(columns) + " columns at level " + std::to_string(symbol.level) +
                               " want " + std::to_string(want[0]) + " and " + std::to_string(want[1]));
    }
  }
  return true;
}

// The error correction, each codeword it mends named as a fault, then the
// data of the mended codewords.
void CorrectAndDecode(const Grid& g, const Pdf417Symbol& symbol, Reading& reading) {
  std::vector<uint16_t> cw;
  for (int r = 0; r < g.rows; ++r) {
    for (int c = 0; c < symbol.columns; ++c) {
      const int v = g.codewords[static_cast<size_t>(r * g.slots + 1 + c)];
      cw.push_back(static_cast<uint16_t>(v < 0 ? 0 : v));
    }
  }
  const int ecc = 2 << symbol.level;
  std::string what = "error correction (level " + std::to_string(symbol.level) + ", " + std::to_string(ecc) +
                     " codewords; " + std::to_string(symbol.rows) + " rows of " + std::to_string(symbol.columns) +
                     (symbol.truncated ? " columns, truncated" : " columns");
  std::vector<uint16_t> mended = cw;
  const int32_t fixed = reed_solomon::Correct(pdf417::kField, std::span<uint16_t>(mended), ecc, pdf417::kFirstRoot);
  if (fixed < 0 || static_cast<int>(cw.size()) <= ecc) {
    reading.checks.push_back({.what = what + ")", .found = "beyond repair", .expected = "valid"});
    reading.faults.push_back("more damaged codewords than the error correction mends");
    return;
  }
  for (size_t i = 0; i < cw.size(); ++i) {
    if (cw[i] == mended[i]) continue;
    const int r = static_cast<int>(i) / symbol.columns, c = static_cast<int>(i) % symbol.columns;
    reading.faults.push_back("damaged codeword at " + At(r, c + 1) + ": reads " + std::to_string(cw[i]) +
                             ", the error correction gives " + std::to_string(mended[i]));
  }
  const size_t length = mended[0];
  pdf417::Decompacted data;
  if (length < 1 || length > mended.size() - static_cast<size_t>(ecc) ||
      !pdf417::Decompact(std::span<const uint16_t>(mended).subspan(1, length - 1), data)) {
    reading.faults.push_back("the data codewords do not decompact (length descriptor " + std::to_string(length) + ")");
    return;
  }
  if (data.eci >= 0) what += ", ECI " + std::to_string(data.eci);
  reading.checks.push_back({.what = what + ")", .found = fixed == 0 ? "valid" : std::to_string(fixed) + " codewords mended", .expected = "valid"});
  reading.data = std::move(data.bytes);
}

}  // namespace

bool ReadPdf417(int32_t, std::string_view s, Reading& reading, ModelError& error) {
  std::vector<std::vector<uint8_t>> rows;
  int width = 0;
  if (!SymbolRows(s, rows, width, error)) return false;
  Grid g;
  ReadPatterns(rows, width, g, reading);
  Pdf417Symbol symbol;
  if (!ReadIndicators(g, symbol, reading)) return true;
  CorrectAndDecode(g, symbol, reading);
  return true;
}

bool DrawPdf417Glyph(unsigned char code, const ModelOptions&, Layout& layout) {
  const int bits = MatrixGlyphBits(static_cast<char>(code));
  if (code == 0 || bits < 0) return false;
  ModuleGrid run;
  run.width = kPdf417Run;
  run.height = kRowModules;
  std::string name = "RUN ";
  for (int m = 0; m < kPdf417Run; ++m) name += bits >> m & 1 ? '1' : '0';
  for (int y = 0; y < kRowModules; ++y) {
    for (int m = 0; m < kPdf417Run; ++m) run.dark.push_back(static_cast<uint8_t>(bits >> m & 1));
  }
  layout.AddCharacter(0, name);
  layout.Grid(std::move(run));
  return true;
}

}  // namespace tavo::model::detail
