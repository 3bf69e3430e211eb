// PDF417 (ISO/IEC 15438) as text of the PDF417 face (docs/pdf417.md): one
// line per row, each glyph a run of 6 modules 3 modules high, a light line
// above and below and 2 light modules on either side for the quiet zone.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "interface/font_string.h"

namespace tavo {

inline constexpr int kPdf417MinRows = 3;
inline constexpr int kPdf417MaxRows = 90;
inline constexpr int kPdf417MaxColumns = 30;
inline constexpr int kPdf417MaxCodewords = 928;
inline constexpr int kPdf417MaxLevel = 8;
inline constexpr int kPdf417QuietZone = 2;  // modules left and right; a light line above and below
inline constexpr int kPdf417Run = 6;        // modules per glyph (kRunModules)
// The longest value that can fit: 2710 digits in Numeric Compaction.
inline constexpr size_t kPdf417MaxValue = 2710;

// The check argument: the error correction level plus one in bits 0-3 (0:
// the standard's recommended level for the data), the data columns in bits
// 4-8 (0: a symbol about as wide as tall), truncated PDF417 at 512.
inline constexpr int32_t kPdf417CheckLevelMask = 0xF;
inline constexpr int32_t kPdf417CheckColumnsShift = 4;
inline constexpr int32_t kPdf417CheckColumnsMask = 0x1F << kPdf417CheckColumnsShift;
inline constexpr int32_t kPdf417CheckTruncated = 512;
static_assert((kPdf417CheckLevelMask & kPdf417CheckColumnsMask) == 0 &&
              ((kPdf417CheckLevelMask | kPdf417CheckColumnsMask) & kPdf417CheckTruncated) == 0);

struct Pdf417Options {
  int level = -1;    // -1: the recommended level
  int columns = 0;   // 0: about square
  bool truncated = false;
};

// 32561 for bits outside the three fields, a level above 8 or columns above 30.
int32_t Pdf417OptionsFromCheck(int32_t check, Pdf417Options& options);

// The codewords of a symbol row by row (the symbol length descriptor, data,
// padding, then the error correction), without the row indicators.
struct Pdf417Symbol {
  int rows = 0;
  int columns = 0;
  int level = 0;
  bool truncated = false;
  std::vector<uint16_t> codewords;
};

// 32560 when the value cannot fit in 928 codewords (or in 90 rows of the
// asked columns).
int32_t BuildPdf417Symbol(std::string_view value, const Pdf417Options& options, Pdf417Symbol& symbol);

// The row's left and right row indicator codewords (ISO/IEC 15438:2015, 5.7).
std::array<uint16_t, 2> Pdf417RowIndicators(const Pdf417Symbol& symbol, int row);

// The modules of the symbol's widest row (17 x 34 + 1).
inline constexpr int kPdf417MaxWidth = 17 * (kPdf417MaxColumns + 4) + 1;
// One row's modules, quiet zones included: module x is bit 63 - x % 64 of
// bits[x / 64] (the leftmost module the highest bit), set for dark; `width`
// the modules it spans.
struct Pdf417Row {
  std::array<uint64_t, (kPdf417MaxWidth + 2 * kPdf417QuietZone + 63) / 64 + 1> bits{};
  int width = 0;
  bool Dark(int x) const { return (bits[static_cast<size_t>(x) / 64] >> (63 - x % 64) & 1) != 0; }
};
void Pdf417RowModules(const Pdf417Symbol& symbol, int row, Pdf417Row& out);

}  // namespace tavo
