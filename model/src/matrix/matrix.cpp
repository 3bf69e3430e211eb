// Two-dimensional symbols in the model (QR Code, Data Matrix): font text
// read back into modules, and the 64 block glyphs of the 2D faces.
#include <string>

#include "model_internal.h"
#include "symbologies/matrix/matrix_text.h"

namespace tavo::model::detail {

bool ReadMatrixModules(std::string_view s, ModuleGrid& grid, ModelError& error) {
  size_t cols = s.find("\r\n");
  if (cols == std::string_view::npos) cols = s.size();
  if (cols == 0) return Fail(error, 0, "the first line holds no block glyph");
  size_t lines = 0;
  for (size_t at = 0;; at += cols + 2) {
    ++lines;
    for (size_t i = at; i < at + cols; ++i) {
      if (i >= s.size() || s[i] == '\r') {
        return Fail(error, std::min(i, s.size()), "line " + std::to_string(lines) + " is shorter than the first (" +
                                                      std::to_string(cols) + " blocks)");
      }
      if (MatrixGlyphBits(s[i]) < 0) {
        return Fail(error, i, DescribeByteAt(s, i) + " is no block glyph of the 2D faces");
      }
    }
    if (at + cols == s.size()) break;
    if (s.substr(at + cols, 2) != "\r\n") {
      return Fail(error, at + cols, "line " + std::to_string(lines) + " is longer than the first (" +
                                        std::to_string(cols) + " blocks), or its line break is not CR LF");
    }
    if (at + cols + 2 == s.size()) return Fail(error, at + cols, "a line break after the last line");
  }
  grid.width = static_cast<int32_t>(cols) * kBlockWidth;
  grid.height = static_cast<int32_t>(lines) * kBlockHeight;
  grid.dark.assign(static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height), 0);
  for (size_t line = 0; line < lines; ++line) {
    for (size_t col = 0; col < cols; ++col) {
      const int bits = MatrixGlyphBits(s[line * (cols + 2) + col]);
      for (int b = 0; b < kBlockWidth * kBlockHeight; ++b) {
        const size_t x = col * kBlockWidth + static_cast<size_t>(b % kBlockWidth);
        const size_t y = line * kBlockHeight + static_cast<size_t>(b / kBlockWidth);
        grid.dark[y * static_cast<size_t>(grid.width) + x] = static_cast<uint8_t>(bits >> b & 1);
      }
    }
  }
  return true;
}

size_t MatrixByteAt(std::string_view s, int32_t x, int32_t y) {
  size_t cols = s.find("\r\n");
  if (cols == std::string_view::npos) cols = s.size();
  return static_cast<size_t>(y / kBlockHeight) * (cols + 2) + static_cast<size_t>(x / kBlockWidth);
}

std::string DamageFault(std::string_view pattern, int32_t modules, int32_t row, int32_t column) {
  return "damaged " + std::string(pattern) + ": " + std::to_string(modules) + (modules == 1 ? " module" : " modules") +
         " wrong, the first at row " + std::to_string(row) + ", column " + std::to_string(column) +
         " of the symbol (scanners find and sample the symbol by it)";
}

bool DrawMatrixGlyph(unsigned char code, const ModelOptions&, Layout& layout) {
  const int bits = MatrixGlyphBits(static_cast<char>(code));
  if (code == 0 || bits < 0) return false;
  ModuleGrid block;
  block.width = kBlockWidth;
  block.height = kBlockHeight;
  // Bit b is the module in column b % 2, row b / 2: index b, row by row.
  for (int b = 0; b < kBlockWidth * kBlockHeight; ++b) block.dark.push_back(static_cast<uint8_t>(bits >> b & 1));
  layout.AddCharacter(0, "BLOCK " + std::to_string(bits));
  layout.Grid(std::move(block));
  return true;
}

}  // namespace tavo::model::detail
