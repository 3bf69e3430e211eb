// Two-dimensional symbols as font text: grid to blocks and back.
#include "symbologies/matrix/matrix_text.h"

#include <array>
#include <bit>
#include <cstring>

namespace tavo {

static_assert(kBlockWidth == 2 && kBlockHeight == 3, "the font text reads blocks of 2 x 3 modules");

namespace {

// The eight module bytes of `src` (0 light, anything else dark) as bits 0
// to 7, the first module bit 0.
uint64_t PackModules(const uint8_t* src) {
  if constexpr (std::endian::native == std::endian::little) {
    uint64_t v;
    std::memcpy(&v, src, sizeof v);
    v |= v >> 4;  // each byte's bits gathered into its bit 0
    v |= v >> 2;
    v |= v >> 1;
    return ((v & 0x0101010101010101u) * 0x0102040810204080u) >> 56;  // byte i's bit 0 to bit i
  } else {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(src[i] != 0) << i;
    return v;
  }
}

// One byte of a row holds two modules of each of four blocks (bits 2j and
// 2j + 1 for block j); spread, block j's two bits move to bits 8j and
// 8j + 1.  Three rows' spread bytes, shifted by 0, 2 and 4, are the four
// blocks' glyph indices, a byte each.
constexpr std::array<uint32_t, 256> kSpreadPairs = [] {
  std::array<uint32_t, 256> t{};
  for (uint32_t v = 0; v < 256; ++v) {
    for (uint32_t j = 0; j < 4; ++j) t[v] |= ((v >> (2 * j)) & 3u) << (8 * j);
  }
  return t;
}();

// The glyphs of eight indices (0..63, a byte each), as kMatrixGlyphs has
// them: 'A' + i, with the steps to 'a' at 26, to '0' at 52, to '#' at 62
// and '%' at 63, on all eight bytes at once (no byte carries into the
// next: every partial sum stays in 0..255).
constexpr uint64_t kEachByte = 0x0101010101010101u;
constexpr uint64_t AtLeast(uint64_t x, uint64_t k) { return ((x + (128 - k) * kEachByte) >> 7) & kEachByte; }
constexpr uint64_t GlyphsOf(uint64_t x) {
  return x + 'A' * kEachByte + 6 * AtLeast(x, 26) - 75 * AtLeast(x, 52) - 23 * AtLeast(x, 62) + AtLeast(x, 63);
}
constexpr bool GlyphsOfIsTheTable() {
  for (uint64_t i = 0; i < 64; ++i) {
    if ((GlyphsOf(i * kEachByte) >> 56) != static_cast<uint8_t>(kMatrixGlyphs[i])) return false;
    if ((GlyphsOf(i) & 255) != static_cast<uint8_t>(kMatrixGlyphs[i])) return false;
  }
  return true;
}
static_assert(GlyphsOfIsTheTable());

// Eight glyphs of three rows: chunk `c` of 16 modules of each.
uint64_t EightGlyphs(const uint64_t* r0, const uint64_t* r1, const uint64_t* r2, int32_t c) {
  const size_t word = static_cast<size_t>(c / 4);
  const int shift = 16 * (c % 4);
  const uint64_t a = r0[word] >> shift, b = r1[word] >> shift, d = r2[word] >> shift;
  const uint32_t low = kSpreadPairs[a & 255] | kSpreadPairs[b & 255] << 2 | kSpreadPairs[d & 255] << 4;
  const uint32_t high = kSpreadPairs[(a >> 8) & 255] | kSpreadPairs[(b >> 8) & 255] << 2 | kSpreadPairs[(d >> 8) & 255] << 4;
  return GlyphsOf(low | static_cast<uint64_t>(high) << 32);
}

}  // namespace

void AppendMatrixText(const ModuleGrid& grid, int32_t quiet, FontString& out) {
  MatrixRows rows;
  rows.width = grid.width + 2 * quiet;
  rows.height = grid.height + 2 * quiet;
  rows.stride = MatrixRowsStride(rows.width);
  std::vector<uint64_t> bits(static_cast<size_t>(MatrixRowsHeight(rows.height)) * rows.stride, 0);
  for (int32_t y = 0; y < grid.height; ++y) {
    uint64_t* row = bits.data() + static_cast<size_t>(y + quiet) * rows.stride;
    const uint8_t* src = grid.dark.data() + static_cast<size_t>(y) * grid.width;
    int32_t x = 0;
    for (; x + 8 <= grid.width; x += 8) {
      const uint64_t eight = PackModules(src + x);
      const int32_t at = x + quiet, shift = at % 64;
      row[at / 64] |= eight << shift;
      if (shift > 56) row[at / 64 + 1] |= eight >> (64 - shift);
    }
    for (; x < grid.width; ++x) row[(x + quiet) / 64] |= static_cast<uint64_t>(src[x] != 0) << ((x + quiet) % 64);
  }
  rows.bits = bits.data();
  AppendMatrixRows(rows, out);
}

namespace {

void StoreEight(char* p, uint64_t glyphs) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &glyphs, 8);
  } else {
    for (int k = 0; k < 8; ++k) p[k] = static_cast<char>(glyphs >> (8 * k));
  }
}

}  // namespace

void AppendMatrixRows(const MatrixRows& rows, FontString& out) {
  const int32_t cols = (rows.width + kBlockWidth - 1) / kBlockWidth;
  const int32_t lines = (rows.height + kBlockHeight - 1) / kBlockHeight;
  const int32_t chunks = (cols + 7) / 8;  // of eight blocks, 16 modules of each row
  char* p = out.Extend(static_cast<size_t>(lines) * static_cast<size_t>(cols + 2) - 2);
  const size_t stride = static_cast<size_t>(rows.stride);
  for (int32_t line = 0; line < lines; ++line) {
    const uint64_t* r0 = rows.bits + static_cast<size_t>(kBlockHeight * line) * stride;
    const uint64_t* r1 = r0 + stride;
    const uint64_t* r2 = r1 + stride;
    if (line) *p++ = '\r', *p++ = '\n';
    // A line's last chunk may hold fewer than eight blocks: the glyphs past
    // the line's end land where the line break and the next line's first
    // six glyphs are written next; the last line's are left out.
    const bool spill = line + 1 < lines && cols >= 6;
    for (int32_t c = 0; c < chunks; ++c) {
      const uint64_t glyphs = EightGlyphs(r0, r1, r2, c);
      const int32_t left = cols - 8 * c;
      if (left >= 8 || spill) {
        StoreEight(p + 8 * c, glyphs);
      } else {
        for (int32_t k = 0; k < left; ++k) p[8 * c + k] = static_cast<char>(glyphs >> (8 * k));
      }
    }
    p += cols;
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
