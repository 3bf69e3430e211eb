// Reed-Solomon error correction of QR Code (ISO/IEC 18004:2015 clause 7.5.2):
// GF(256) over the field polynomial x^8 + x^4 + x^3 + x^2 + 1 (0x11D), the
// generator polynomials with the roots a^0 .. a^(n-1), and the syndrome test
// a reader applies to a block.  The arithmetic is the one of
// symbologies/matrix/reed_solomon.h.
#pragma once

#include <cstdint>
#include <span>

#include "symbologies/matrix/reed_solomon.h"

namespace tavo {

inline constexpr auto kQrField = reed_solomon::BinaryField<uint8_t, 256>(0x11D);
static_assert(kQrField.exp[8] == 0x1D && kQrField.exp[255] == 1);
inline constexpr int kQrFirstRoot = 0;

// Largest number of error correction codewords in one QR block.
inline constexpr int32_t kQrMaxEccPerBlock = 30;

// Writes the `ecc.size()` error correction codewords of `data` (the remainder
// of data(x) * x^n divided by the generator polynomial of degree n).
void QrReedSolomonRemainder(std::span<const uint8_t> data, std::span<uint8_t> ecc);

// True when the block (its data codewords followed by `ecc_count` error
// correction codewords) is a codeword of the code: every syndrome is zero.
// Header-only, for the symbol model's reader.
inline bool QrReedSolomonBlockIsValid(std::span<const uint8_t> block, int32_t ecc_count) {
  return reed_solomon::SyndromesAreZero(kQrField, block, ecc_count, kQrFirstRoot);
}

}  // namespace tavo
