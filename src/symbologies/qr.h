// QR Code (symbology 14): versions 1 to 40, error correction levels L, M, Q
// and H, the value as mixed numeric, alphanumeric and byte segments, drawn
// as 2D font text (see matrix_text.h) with its quiet zone of 4 modules.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "interface/font_string.h"
#include "symbologies/matrix_text.h"

namespace tavo {

// Error correction levels in the caller's order (check 1 to 4).
enum class QrLevel : uint8_t { kL, kM, kQ, kH };

inline constexpr int32_t kQrMaxVersion = 40;
inline constexpr int32_t kQrQuietZone = 4;
inline constexpr int32_t kQrMaskCount = 8;

constexpr int32_t QrSize(int32_t version) { return 17 + 4 * version; }

// The level a `check` argument asks for: 0 the default M, 1 to 4 L, M, Q, H.
// Returns 0, or 32561 for any other value.
int32_t QrLevelFromCheck(int32_t check, QrLevel& level);

// Block structure of a version at a level.
struct QrBlocks {
  int32_t total_codewords;  // data and error correction together
  int32_t block_count;
  int32_t ecc_per_block;
  int32_t DataCodewords() const { return total_codewords - block_count * ecc_per_block; }
};
QrBlocks QrBlockStructure(int32_t version, QrLevel level);

// The modules of a version that are no data: finder patterns and their
// separators, timing, alignment patterns, format and version information and
// the dark module (1 = function module).
ModuleGrid QrFunctionModules(int32_t version);

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

// The 15 format information bits (level, mask, BCH code, XOR mask) and the
// 18 version information bits (version 7 and above).
uint32_t QrFormatBits(QrLevel level, int32_t mask);
uint32_t QrVersionBits(int32_t version);

// The data codewords split into blocks, each followed by its error
// correction, interleaved in the order they are placed.
std::vector<uint8_t> QrInterleaveBlocks(const std::vector<uint8_t>& data, int32_t version,
                                        QrLevel level);

// The data codewords of `value` at `level` in the smallest version that
// holds them (segments, terminator, pad codewords), and that version.
// Returns 0 or 32560.
int32_t QrDataCodewords(std::string_view value, QrLevel level, int32_t& version,
                        std::vector<uint8_t>& data);

// A finished symbol, without quiet zone.
struct QrSymbol {
  int32_t version = 0;
  QrLevel level = QrLevel::kM;
  int32_t mask = 0;
  ModuleGrid modules;
};

// Builds the symbol of `value` in the smallest version at `level`, with mask
// `mask` (0-7) or, for -1, the mask of the lowest penalty.  Returns 0 or
// 32560 when the value does not fit version 40.
int32_t BuildQrSymbol(std::string_view value, QrLevel level, int32_t mask, QrSymbol& symbol);

// The penalty score of a finished symbol (adjacent runs, 2x2 blocks,
// finder-like patterns, dark proportion).
int32_t QrPenalty(const ModuleGrid& modules);

// Inverts the modules that mask `mask` inverts, function modules excepted.
void QrApplyMask(int32_t mask, const ModuleGrid& function, ModuleGrid& grid);

// The mask of the lowest penalty (the lowest number among equals) for a
// symbol whose data modules are placed but not masked; `function` marks the
// function modules (see QrFunctionModules).
int32_t QrBestMask(const ModuleGrid& unmasked, const ModuleGrid& function, QrLevel level);

// The encoder: `check` is the raw check argument (the level).
int32_t EncodeQr(std::string_view value, int32_t check, FontString& out);

}  // namespace tavo
