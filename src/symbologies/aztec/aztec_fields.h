// Aztec Code's Reed-Solomon fields (ISO/IEC 24778:2008, 7.2.2 and 7.2.3):
// GF(16) of the mode message and the fields of the 6, 8, 10 and 12-bit
// codewords, each from its field polynomial (AztecFieldPolynomial); the
// generators' first root is 1.  The encoder and the reader share them.
#pragma once

#include <cstdint>

#include "symbologies/aztec/aztec.h"
#include "symbologies/matrix/reed_solomon.h"

namespace tavo {

inline constexpr auto kAztecGf16 = reed_solomon::BinaryField<uint8_t, 16>(AztecFieldPolynomial(4));
inline constexpr auto kAztecGf64 = reed_solomon::BinaryField<uint8_t, 64>(AztecFieldPolynomial(6));
inline constexpr auto kAztecGf256 = reed_solomon::BinaryField<uint8_t, 256>(AztecFieldPolynomial(8));
inline constexpr auto kAztecGf1024 = reed_solomon::BinaryField<uint16_t, 1024>(AztecFieldPolynomial(10));
inline constexpr auto kAztecGf4096 = reed_solomon::BinaryField<uint16_t, 4096>(AztecFieldPolynomial(12));
inline constexpr int kAztecFirstRoot = 1;

}  // namespace tavo
