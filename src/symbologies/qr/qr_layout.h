// QR Code symbol layout, shared by the encoder and the reader: versions and
// levels, the block structure, function patterns, the order data modules
// are placed in, masks, and format and version information.  Header-only,
// so that the symbol model reads symbols with the same tables without
// linking the library.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

#include "symbologies/matrix/matrix_text.h"

namespace tavo {

// Error correction levels in the caller's order (check 1 to 4).
enum class QrLevel : uint8_t { kL, kM, kQ, kH };

inline constexpr int32_t kQrMaxVersion = 40;
inline constexpr int32_t kQrQuietZone = 4;

constexpr int32_t QrSize(int32_t version) { return 17 + 4 * version; }
inline constexpr int32_t kQrMaskCount = 8;

// Block structure of a version at a level.
struct QrBlocks {
  int32_t total_codewords;  // data and error correction together
  int32_t block_count;
  int32_t ecc_per_block;
  constexpr int32_t DataCodewords() const { return total_codewords - block_count * ecc_per_block; }
};

namespace qr_tables {

// Error correction codewords per block, by level (L, M, Q, H) and version.
// ISO/IEC 18004:2015 Table 9 (error correction characteristics).
inline constexpr std::array<std::array<int8_t, kQrMaxVersion + 1>, 4> kEccPerBlock{{
    {0, 7, 10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0, 10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {0, 13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0, 17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
}};

// Error correction blocks, by level (L, M, Q, H) and version.
// ISO/IEC 18004:2015 Table 9.
inline constexpr std::array<std::array<int8_t, kQrMaxVersion + 1>, 4> kBlockCount{{
    {0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 4, 4, 4, 4, 4, 6, 6, 6, 6, 7, 8,
     8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {0, 1, 1, 1, 2, 2, 4, 4, 4, 5, 5, 5, 8, 9, 9, 10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {0, 1, 1, 2, 2, 4, 4, 6, 6, 8, 8, 8, 10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {0, 1, 1, 2, 4, 4, 4, 5, 6, 8, 8, 11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
}};

// Format information level indicators: L 01, M 00, Q 11, H 10.
// ISO/IEC 18004:2015 Table 12.
inline constexpr uint32_t kLevelIndicator[4] = {1, 0, 3, 2};

// Modules of a version that carry codewords: the whole square less the
// function patterns.
constexpr int32_t RawDataModules(int32_t version) {
  int32_t modules = (16 * version + 128) * version + 64;
  if (version >= 2) {
    const int32_t align = version / 7 + 2;
    modules -= (25 * align - 10) * align - 55;
    if (version >= 7) modules -= 36;
  }
  return modules;
}
static_assert(RawDataModules(1) == 208 && RawDataModules(40) == 29648);

// Centre coordinates of the alignment patterns of a version (both axes).
// Computed to give ISO/IEC 18004:2015 Annex E, Table E.1.
constexpr int32_t AlignmentPositions(int32_t version, std::array<int32_t, 7>& pos) {
  if (version == 1) return 0;
  const int32_t count = version / 7 + 2;
  const int32_t step = (version * 8 + count * 3 + 5) / (count * 4 - 4) * 2;
  pos[0] = 6;
  for (int32_t i = count - 1, p = QrSize(version) - 7; i >= 1; --i, p -= step) pos[i] = p;
  return count;
}

// Remainder of `value` (already shifted) divided by the BCH generator.
constexpr uint32_t BchRemainder(uint32_t value, uint32_t generator, int32_t degree) {
  for (int32_t bit = 31; bit >= degree; --bit) {
    if (value >> bit & 1) value ^= generator << (bit - degree);
  }
  return value;
}

// Function patterns drawn into `grid` (dark modules) and marked in
// `function`; format and version areas are reserved, drawn later.
class FunctionPainter {
 public:
  FunctionPainter(ModuleGrid& grid, ModuleGrid& function) : grid_(grid), function_(function) {}
  void Set(int32_t x, int32_t y, bool dark) {
    grid_.set(x, y, dark);
    function_.set(x, y, true);
  }
  // A finder pattern with its separator, centred on (cx, cy).
  void Finder(int32_t cx, int32_t cy) {
    const int32_t size = grid_.width;
    for (int32_t dy = -4; dy <= 4; ++dy) {
      for (int32_t dx = -4; dx <= 4; ++dx) {
        const int32_t x = cx + dx, y = cy + dy;
        if (x < 0 || y < 0 || x >= size || y >= size) continue;
        const int32_t d = std::max(std::abs(dx), std::abs(dy));
        Set(x, y, d != 2 && d != 4);
      }
    }
  }
  void Alignment(int32_t cx, int32_t cy) {
    for (int32_t dy = -2; dy <= 2; ++dy) {
      for (int32_t dx = -2; dx <= 2; ++dx) {
        Set(cx + dx, cy + dy, std::max(std::abs(dx), std::abs(dy)) != 1);
      }
    }
  }

 private:
  ModuleGrid& grid_;
  ModuleGrid& function_;
};

// Draws every function pattern of `version` into `grid`.
inline void DrawFunctionPatterns(int32_t version, ModuleGrid& grid, ModuleGrid& function) {
  const int32_t size = QrSize(version);
  FunctionPainter paint(grid, function);
  for (int32_t i = 0; i < size; ++i) {
    paint.Set(6, i, i % 2 == 0);
    paint.Set(i, 6, i % 2 == 0);
  }
  paint.Finder(3, 3);
  paint.Finder(size - 4, 3);
  paint.Finder(3, size - 4);
  std::array<int32_t, 7> pos{};
  const int32_t n = AlignmentPositions(version, pos);
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = 0; j < n; ++j) {
      const bool corner = (i == 0 && j == 0) || (i == 0 && j == n - 1) || (i == n - 1 && j == 0);
      if (!corner) paint.Alignment(pos[i], pos[j]);
    }
  }
  // Reserve the format and version areas (drawn once the mask is chosen).
  for (int32_t i = 0; i < 9; ++i) {
    if (i != 6) {
      paint.Set(8, i, false);
      paint.Set(i, 8, false);
    }
  }
  for (int32_t i = 0; i < 8; ++i) {
    paint.Set(size - 1 - i, 8, false);
    paint.Set(8, size - 1 - i, false);
  }
  paint.Set(8, size - 8, true);  // the dark module
  if (version >= 7) {
    for (int32_t i = 0; i < 18; ++i) {
      paint.Set(size - 11 + i % 3, i / 3, false);
      paint.Set(i / 3, size - 11 + i % 3, false);
    }
  }
}
}  // namespace qr_tables

// The modules of a version that are no data: finder patterns and their
// separators, timing, alignment patterns, format and version information and
// the dark module (1 = function module).
// The 15 format information bits (level, mask, BCH code, XOR mask) and the
// 18 version information bits (version 7 and above).
constexpr QrBlocks QrBlockStructure(int32_t version, QrLevel level) {
  const auto l = static_cast<size_t>(level);
  return {qr_tables::RawDataModules(version) / 8, qr_tables::kBlockCount[l][version], qr_tables::kEccPerBlock[l][version]};
}

inline ModuleGrid QrFunctionModules(int32_t version) {
  ModuleGrid grid(QrSize(version), QrSize(version));
  ModuleGrid function(QrSize(version), QrSize(version));
  qr_tables::DrawFunctionPatterns(version, grid, function);
  return function;
}

constexpr uint32_t QrFormatBits(QrLevel level, int32_t mask) {
  const uint32_t data = qr_tables::kLevelIndicator[static_cast<int>(level)] << 3 | static_cast<uint32_t>(mask);
  return (data << 10 | qr_tables::BchRemainder(data << 10, 0x537, 10)) ^ 0x5412;
}

constexpr uint32_t QrVersionBits(int32_t version) {
  const auto v = static_cast<uint32_t>(version);
  return v << 12 | qr_tables::BchRemainder(v << 12, 0x1F25, 12);
}


// Calls visit(x, y) for every data module in placement order: two-module
// columns from the right, upwards and downwards in turn, skipping the
// vertical timing pattern.
template <class Visit>
void QrForEachDataModule(const ModuleGrid& function, Visit&& visit) {
  const int32_t size = function.width;
  for (int32_t right = size - 1, upward = 1; right >= 1; right -= 2, upward ^= 1) {
    if (right == 6) right = 5;
    for (int32_t vert = 0; vert < size; ++vert) {
      const int32_t y = upward ? size - 1 - vert : vert;
      for (int32_t x = right; x >= right - 1; --x) {
        if (!function.at(x, y)) visit(x, y);
      }
    }
  }
}

// Whether mask pattern `mask` inverts the module at column x, row y.
constexpr bool QrMaskInverts(int32_t mask, int32_t x, int32_t y) {
  switch (mask) {
    case 0: return (x + y) % 2 == 0;
    case 1: return y % 2 == 0;
    case 2: return x % 3 == 0;
    case 3: return (x + y) % 3 == 0;
    case 4: return (x / 3 + y / 2) % 2 == 0;
    case 5: return x * y % 2 + x * y % 3 == 0;
    case 6: return (x * y % 2 + x * y % 3) % 2 == 0;
    default: return ((x + y) % 2 + x * y % 3) % 2 == 0;
  }
}

// Calls visit(x, y, bit, copy) for the modules of both copies (0, 1) of the
// 15 format information bits, bit 0 the least significant.
template <class Visit>
void QrForEachFormatModule(int32_t size, Visit&& visit) {
  for (int32_t i = 0; i <= 5; ++i) visit(8, i, i, 0);
  visit(8, 7, 6, 0);
  visit(8, 8, 7, 0);
  visit(7, 8, 8, 0);
  for (int32_t i = 9; i < 15; ++i) visit(14 - i, 8, i, 0);
  for (int32_t i = 0; i < 8; ++i) visit(size - 1 - i, 8, i, 1);
  for (int32_t i = 8; i < 15; ++i) visit(8, size - 15 + i, i, 1);
}

}  // namespace tavo
