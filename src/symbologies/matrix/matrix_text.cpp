// Two-dimensional symbols as font text: grid to blocks and back.
#include "symbologies/matrix/matrix_text.h"

#include <algorithm>

namespace tavo {

static_assert(kBlockWidth == 2, "AppendMatrixText reads blocks two modules wide");

void AppendMatrixText(const ModuleGrid& grid, int32_t quiet, FontString& out) {
  const int32_t full_w = grid.width + 2 * quiet;
  const int32_t full_h = grid.height + 2 * quiet;
  const int32_t cols = (full_w + kBlockWidth - 1) / kBlockWidth;
  const int32_t lines = (full_h + kBlockHeight - 1) / kBlockHeight;
  out.reserve(out.size() + static_cast<size_t>(lines) * (cols + 2));
  // One module row at a time, quiet zone and the last block's overhang
  // included as light modules, is copied into `row`; each band's blocks
  // gather their bits in `blocks`, two modules per step.
  std::vector<uint8_t> row(static_cast<size_t>(cols) * kBlockWidth, 0);
  std::vector<uint8_t> blocks(static_cast<size_t>(cols));
  for (int32_t line = 0; line < lines; ++line) {
    if (line) out.append("\r\n");
    std::fill(blocks.begin(), blocks.end(), uint8_t{0});
    for (int32_t dy = 0; dy < kBlockHeight; ++dy) {
      const int32_t y = line * kBlockHeight + dy - quiet;
      if (y < 0 || y >= grid.height) continue;
      const uint8_t* src = grid.dark.data() + static_cast<size_t>(y) * grid.width;
      for (int32_t x = 0; x < grid.width; ++x) row[static_cast<size_t>(x + quiet)] = src[x] != 0;
      const int shift = dy * kBlockWidth;
      for (size_t col = 0; col < blocks.size(); ++col) {
        blocks[col] |= static_cast<uint8_t>((row[2 * col] | row[2 * col + 1] << 1) << shift);
      }
    }
    for (const uint8_t bits : blocks) out.push_back(kMatrixGlyphs[bits]);
  }
}

bool ReadMatrixText(std::string_view text, ModuleGrid& grid) {
  size_t cols = text.find("\r\n");
  if (cols == std::string_view::npos) cols = text.size();
  if (cols == 0) return false;
  // Every line is `cols` characters and all but the last end in CR LF.
  if ((text.size() + 2) % (cols + 2) != 0) return false;
  const size_t lines = (text.size() + 2) / (cols + 2);
  grid = ModuleGrid(static_cast<int32_t>(cols * kBlockWidth),
                    static_cast<int32_t>(lines * kBlockHeight));
  for (size_t line = 0; line < lines; ++line) {
    const size_t start = line * (cols + 2);
    if (line + 1 < lines && text.substr(start + cols, 2) != "\r\n") return false;
    for (size_t col = 0; col < cols; ++col) {
      const int bits = MatrixGlyphBits(text[start + col]);
      if (bits < 0) return false;
      for (int b = 0; b < kBlockWidth * kBlockHeight; ++b) {
        grid.set(static_cast<int32_t>(col * kBlockWidth + b % kBlockWidth),
                 static_cast<int32_t>(line * kBlockHeight + b / kBlockWidth), (bits >> b) & 1);
      }
    }
  }
  return true;
}

}  // namespace tavo
