// Two-dimensional symbols as font text: grid to blocks and back.
#include "symbologies/matrix/matrix_text.h"

namespace tavo {

void AppendMatrixText(const ModuleGrid& grid, int32_t quiet, FontString& out) {
  const int32_t full_w = grid.width + 2 * quiet;
  const int32_t full_h = grid.height + 2 * quiet;
  const int32_t cols = (full_w + kBlockWidth - 1) / kBlockWidth;
  const int32_t lines = (full_h + kBlockHeight - 1) / kBlockHeight;
  out.reserve(out.size() + static_cast<size_t>(lines) * (cols + 2));
  const auto dark = [&](int32_t x, int32_t y) {
    x -= quiet;
    y -= quiet;
    return x >= 0 && y >= 0 && x < grid.width && y < grid.height && grid.at(x, y);
  };
  for (int32_t line = 0; line < lines; ++line) {
    if (line) out.append("\r\n");
    for (int32_t col = 0; col < cols; ++col) {
      unsigned bits = 0;
      for (int32_t dy = 0; dy < kBlockHeight; ++dy) {
        for (int32_t dx = 0; dx < kBlockWidth; ++dx) {
          if (dark(col * kBlockWidth + dx, line * kBlockHeight + dy)) {
            bits |= 1u << (dy * kBlockWidth + dx);
          }
        }
      }
      out.push_back(kMatrixGlyphs[bits]);
    }
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
