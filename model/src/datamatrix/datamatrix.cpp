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

// The size whose symbol, in its quiet zone, the text's blocks fill (no two
// sizes fill the same number of blocks across and down); the finder is not
// needed to tell, so a damaged one is reported module by module.
bool SymbolSize(const tavo::ModuleGrid& g, const tavo::DataMatrixSize*& size, ModelError& error) {
  for (const tavo::DataMatrixSize& s : tavo::DataMatrixSizes()) {
    const int32_t w = s.cols + 2 * kQuiet, h = s.rows + 2 * kQuiet;
    if ((w + kBlockWidth - 1) / kBlockWidth * kBlockWidth == g.width &&
        (h + kBlockHeight - 1) / kBlockHeight * kBlockHeight == g.height) {
      size = &s;
      return true;
    }
  }
  return Fail(error, 0, "text of " + std::to_string(g.width) + " x " + std::to_string(g.height) +
                            " modules: no Data Matrix size with its quiet zone of 1 fills it");
}

}  // namespace

bool BuildDataMatrix(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  tavo::ModuleGrid text;
  const tavo::DataMatrixSize* size = nullptr;
  if (!TextGrid(s, text, error) || !SymbolSize(text, size, error)) return false;
  const int32_t rows = size->rows, cols = size->cols;
  symbol.grid.width = cols;
  symbol.grid.height = rows;
  symbol.grid.dark.assign(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0);
  for (int32_t y = 0; y < text.height; ++y) {
    for (int32_t x = 0; x < text.width; ++x) {
      const int32_t sx = x - kQuiet, sy = y - kQuiet;
      if (sx >= 0 && sy >= 0 && sx < cols && sy < rows) {
        symbol.grid.dark[static_cast<size_t>(sy) * static_cast<size_t>(cols) + static_cast<size_t>(sx)] =
            text.at(x, y) ? 1 : 0;
      } else if (text.at(x, y)) {
        return Fail(error, MatrixByteAt(s, x, y),
                    "a dark module in the quiet zone, " + DescribeByteAt(s, MatrixByteAt(s, x, y)));
      }
    }
  }
  symbol.quiet_left = symbol.quiet_right = kQuiet;
  return true;
}

bool ReadDataMatrix(int32_t symbology, std::string_view s, Reading& reading, ModelError& error) {
  Symbol symbol;
  if (!BuildDataMatrix(symbology, s, ModelOptions{}, symbol, error)) return false;
  const tavo::DataMatrixSize* shape = nullptr;
  for (const tavo::DataMatrixSize& z : tavo::DataMatrixSizes()) {
    if (z.rows == symbol.grid.height && z.cols == symbol.grid.width) shape = &z;
  }
  tavo::ModuleGrid grid(symbol.grid.width, symbol.grid.height);
  grid.dark = symbol.grid.dark;
  for (const tavo::DataMatrixPatternDamage& d : tavo::DataMatrixPatternDamages(*shape, grid)) {
    reading.faults.push_back(DamageFault(d.pattern, d.modules, d.row, d.column));
  }
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
  reading.data = r.data;
  // GS1: the element strings, each later FNC1 read as 0x1D, written back in
  // the bracketed form the library takes.
  if (r.gs1) BracketGs1(r.data, tavo::kGroupSeparator, reading);
  return true;
}

// The 2D faces draw blocks of modules, not bars and spaces: no glyph here.
// The 64 block glyphs the 2D faces share (matrix.cpp).
bool DrawDataMatrixGlyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  return DrawMatrixGlyph(code, options, layout);
}

}  // namespace tavo::model::detail
