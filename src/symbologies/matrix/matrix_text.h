// Two-dimensional symbols (QR Code, Data Matrix) as font text.
//
// A symbol is a grid of square modules.  The font draws it in blocks of
// kBlockWidth x kBlockHeight modules, one character per block, one line of
// text per band of kBlockHeight module rows; lines are separated by CR LF and
// the last line has no line break.  The quiet zone is part of the text.
//
// A block's six modules are bits: bit 0 the top-left module, bit 1 the
// top-right, bit 2 middle-left, bit 3 middle-right, bit 4 bottom-left, bit 5
// bottom-right; a set bit is a dark module.  The character for a block is
// kMatrixGlyphs[bits].  Every one is printable ASCII and none is a quote,
// backslash, comma, space or a character that a spreadsheet reads as the
// start of a formula, so no code-page conversion, CSV import or cell can
// change the text.  An all-light block is 'A', an all-dark block '%'.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "interface/font_string.h"

namespace tavo {

inline constexpr int kBlockWidth = 2;
inline constexpr int kBlockHeight = 3;

inline constexpr std::string_view kMatrixGlyphs =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789#%";
static_assert(kMatrixGlyphs.size() == 1u << (kBlockWidth * kBlockHeight));

// kRunGlyphs[v]: the glyph of the faces whose glyph is one run of 6 modules
// (TAVO PDF417), for the run v read leftmost first as the high bit.  The
// glyph numbers have the leftmost module as bit 0, so the bits reversed.
inline constexpr int kRunModules = kBlockWidth * kBlockHeight;
inline constexpr auto kRunGlyphs = [] {
  std::array<char, 1u << kRunModules> g{};
  for (int v = 0; v < 1 << kRunModules; ++v) {
    int reversed = 0;
    for (int m = 0; m < kRunModules; ++m) reversed |= (v >> (kRunModules - 1 - m) & 1) << m;
    g[static_cast<size_t>(v)] = kMatrixGlyphs[static_cast<size_t>(reversed)];
  }
  return g;
}();

// The block bits a character draws, or -1 for a character that is no glyph
// of the 2D faces.
constexpr int MatrixGlyphBits(char c) {
  const size_t at = kMatrixGlyphs.find(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// A grid of modules, row by row, 1 for dark.
struct ModuleGrid {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> dark;

  ModuleGrid() = default;
  ModuleGrid(int32_t w, int32_t h) : width(w), height(h), dark(static_cast<size_t>(w) * h, 0) {}
  bool at(int32_t x, int32_t y) const { return dark[static_cast<size_t>(y) * width + x] != 0; }
  void set(int32_t x, int32_t y, bool d) { dark[static_cast<size_t>(y) * width + x] = d ? 1 : 0; }
};

// Appends the grid, surrounded by `quiet` light modules on every side, as
// font text.  Modules that the last column or line of blocks covers beyond
// the quiet zone are light.
void AppendMatrixText(const ModuleGrid& grid, int32_t quiet, FontString& out);

// A symbol, quiet zone included, as rows of bits: module x of row y is bit
// x % 64 of bits[y * stride + x / 64], 1 for dark.  `width` and `height`
// count the modules with the quiet zone; `bits` holds MatrixRowsHeight()
// rows, those past `height` and the bits past `width` all 0.
struct MatrixRows {
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;  // words a row
  const uint64_t* bits = nullptr;
};
// The rows a MatrixRows of `height` module rows holds (whole blocks) and the
// words a row of `width` modules takes.
constexpr int32_t MatrixRowsHeight(int32_t height) { return (height + kBlockHeight - 1) / kBlockHeight * kBlockHeight; }
constexpr int32_t MatrixRowsStride(int32_t width) { return (width + 63) / 64; }

// Appends the rows as font text, the same text AppendMatrixText writes for
// the same modules.
void AppendMatrixRows(const MatrixRows& rows, FontString& out);

// Reads font text back into a grid of modules (the quiet zone included).
// Returns false for a character that is no glyph, lines of unequal length,
// or a misplaced line break.
bool ReadMatrixText(std::string_view text, ModuleGrid& grid);

}  // namespace tavo
