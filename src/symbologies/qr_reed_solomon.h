// Reed-Solomon error correction of QR Code: arithmetic in GF(256) over the
// field polynomial x^8 + x^4 + x^3 + x^2 + 1 (0x11D), generator polynomials
// with the roots a^0 .. a^(n-1), and the syndrome test a reader applies to a
// block.
#pragma once

#include <cstdint>
#include <span>

namespace tavo {

// Largest number of error correction codewords in one QR block.
inline constexpr int32_t kQrMaxEccPerBlock = 30;

// Writes the `ecc.size()` error correction codewords of `data` (the remainder
// of data(x) * x^n divided by the generator polynomial of degree n).
void QrReedSolomonRemainder(std::span<const uint8_t> data, std::span<uint8_t> ecc);

// True when the block (its data codewords followed by `ecc_count` error
// correction codewords) is a codeword of the code: every syndrome is zero.
bool QrReedSolomonBlockIsValid(std::span<const uint8_t> block, int32_t ecc_count);

}  // namespace tavo
