// Data Matrix in the model: the font text as its grid of modules (the
// symbol found by its finder pattern inside the text's quiet zone), and a
// reader that takes the modules back to codewords, checks and applies the
// Reed-Solomon error correction and decodes the data.  The reading routines
// are the library's Data Matrix decoder, compiled into the model from the
// same sources (model/CMakeLists.txt); the library itself has no use for them.
#include <string>

#include "model_internal.h"
#include "readers/datamatrix/datamatrix_reader.h"
#include "symbologies/matrix/matrix_text.h"

namespace tavo::model::detail {
namespace {

constexpr int32_t kQuiet = tavo::kDataMatrixQuietZone;

// The text as the blocks draw it; false at the first byte that is no glyph
// or misplaced line break.
bool TextGrid(std::string_view s, tavo::ModuleGrid& grid, ModelError& error) {
  if (tavo::ReadMatrixText(s, grid)) return true;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r' && s[i] != '\n' && tavo::MatrixGlyphBits(s[i]) < 0) {
      return Fail(error, i, DescribeByte(static_cast<unsigned char>(s[i])) + " is no glyph of the 2D faces");
    }
  }
  return Fail(error, 0, "the lines are not all of one length, separated by CR LF");
}

// The symbol inside the quiet zone: its left edge is a solid dark column
// down to the bottom row, which is solid dark across.
bool SymbolSize(const tavo::ModuleGrid& g, int32_t& rows, int32_t& cols, ModelError& error) {
  rows = 0;
  cols = 0;
  while (kQuiet + rows < g.height && g.at(kQuiet, kQuiet + rows)) ++rows;
  if (rows > 0) {
    while (kQuiet + cols < g.width && g.at(kQuiet + cols, kQuiet + rows - 1)) ++cols;
  }
  for (const tavo::DataMatrixSize& s : tavo::DataMatrixSizes()) {
    if (s.rows == rows && s.cols == cols) return true;
  }
  return Fail(error, 0, "no Data Matrix finder pattern (solid left and bottom edges) after the quiet zone");
}

}  // namespace

bool BuildDataMatrix(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  tavo::ModuleGrid text;
  int32_t rows = 0, cols = 0;
  if (!TextGrid(s, text, error) || !SymbolSize(text, rows, cols, error)) return false;
  symbol.grid.width = cols;
  symbol.grid.height = rows;
  symbol.grid.dark.assign(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0);
  for (int32_t y = 0; y < rows; ++y) {
    for (int32_t x = 0; x < cols; ++x) {
      symbol.grid.dark[static_cast<size_t>(y) * static_cast<size_t>(cols) + static_cast<size_t>(x)] =
          text.at(x + kQuiet, y + kQuiet) ? 1 : 0;
    }
  }
  symbol.quiet_left = symbol.quiet_right = kQuiet;
  return true;
}

bool ReadDataMatrix(int32_t symbology, std::string_view s, Reading& reading, ModelError& error) {
  Symbol symbol;
  if (!BuildDataMatrix(symbology, s, ModelOptions{}, symbol, error)) return false;
  tavo::DataMatrixReading r;
  const bool ok = tavo::DecodeDataMatrixText(s, r);
  const std::string size = std::to_string(r.rows) + "x" + std::to_string(r.cols);
  if (r.rows > 0) {
    reading.checks.push_back({.what = "Reed-Solomon error correction of the " + size + " symbol",
                              .found = r.damaged_block >= 0 ? "block " + std::to_string(r.damaged_block + 1) +
                                                                  " damaged beyond correction"
                                       : r.corrected > 0 ? std::to_string(r.corrected) + " codewords corrected"
                                                         : "no errors",
                              .expected = "no errors"});
  }
  if (!ok) {
    reading.faults.push_back(r.error);
    return true;
  }
  reading.data = r.data;  // GS1: the element strings, each later FNC1 as 0x1D
  return true;
}

// The 2D faces draw blocks of modules, not bars and spaces: no glyph here.
// The 64 block glyphs the 2D faces share (matrix.cpp).
bool DrawDataMatrixGlyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  return DrawMatrixGlyph(code, options, layout);
}

}  // namespace tavo::model::detail
