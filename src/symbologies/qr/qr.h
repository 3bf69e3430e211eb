// QR Code (symbology 14): versions 1 to 40, error correction levels L, M, Q
// and H, the value as mixed numeric, alphanumeric and byte segments, drawn
// as 2D font text (see matrix_text.h) with its quiet zone of 4 modules.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "interface/font_string.h"
#include "interface/translate.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/qr/qr_layout.h"

namespace tavo {


// The level a `check` argument asks for: 0 the default M, 1 to 4 L, M, Q, H.
// Returns 0, or 32561 for any other value.
int32_t QrLevelFromCheck(int32_t check, QrLevel& level);

// What a `check` argument asks for: a level (0-4, as above) plus 8 for GS1
// (the value is bracketed element strings, carried with FNC1 in first
// position) and 32 for Kanji mode (UTF-8 characters of JIS X 0208 go 13
// bits each, without ECI).  Without 8 and 32 the symbols are the ones the
// level alone has always given.
inline constexpr int32_t kQrCheckLevelBits = 7;
inline constexpr int32_t kQrCheckGs1 = 8;
inline constexpr int32_t kQrCheckKanji = 32;
struct QrOptions {
  QrLevel level = QrLevel::kM;
  bool gs1 = false;  // the value holds element strings, a group separator after each variable one
  bool kanji = false;
};

// Returns 0, or 32561 for a level above 4, a negative value or another bit.
int32_t QrOptionsFromCheck(int32_t check, QrOptions& options);






// The data codewords split into blocks, each followed by its error
// correction, interleaved in the order they are placed.
std::vector<uint8_t> QrInterleaveBlocks(const std::vector<uint8_t>& data, int32_t version,
                                        QrLevel level);

// The data codewords of `value` at `level` in the smallest version that
// holds them (segments, terminator, pad codewords), and that version.
// Returns 0 or 32560.
int32_t QrDataCodewords(std::string_view value, const QrOptions& options, int32_t& version,
                        std::vector<uint8_t>& data);
inline int32_t QrDataCodewords(std::string_view value, QrLevel level, int32_t& version,
                               std::vector<uint8_t>& data) {
  return QrDataCodewords(value, QrOptions{.level = level}, version, data);
}

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
int32_t BuildQrSymbol(std::string_view value, const QrOptions& options, int32_t mask, QrSymbol& symbol);
inline int32_t BuildQrSymbol(std::string_view value, QrLevel level, int32_t mask, QrSymbol& symbol) {
  return BuildQrSymbol(value, QrOptions{.level = level}, mask, symbol);
}

// The penalty score of a finished symbol (adjacent runs, 2x2 blocks,
// finder-like patterns, dark proportion).
int32_t QrPenalty(const ModuleGrid& modules);

// Inverts the modules that mask `mask` inverts, function modules excepted.
void QrApplyMask(int32_t mask, const ModuleGrid& function, ModuleGrid& grid);

// The mask of the lowest penalty (the lowest number among equals) for a
// symbol whose data modules are placed but not masked; `function` marks the
// function modules (see QrFunctionModules).
int32_t QrBestMask(const ModuleGrid& unmasked, const ModuleGrid& function, QrLevel level);

// The encoder (symbologies/encoders.h): level, GS1 and Kanji come from
// options.check_argument, the caller's check argument (QrOptionsFromCheck).
int32_t EncodeQr(std::string_view value, const Options& options, FontString& out);

}  // namespace tavo
