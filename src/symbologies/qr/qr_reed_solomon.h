// Reed-Solomon error correction of QR Code: arithmetic in GF(256) over the
// field polynomial x^8 + x^4 + x^3 + x^2 + 1 (0x11D), generator polynomials
// with the roots a^0 .. a^(n-1), and the syndrome test a reader applies to a
// block.
#pragma once

#include <cstdint>
#include <array>
#include <span>

namespace tavo {
namespace qr_galois {

// Powers of a = 2 (kExp, doubled so a product's log sum needs no reduction)
// and their logarithms, built from the field polynomial 0x11D.
struct GaloisTables {
  std::array<uint8_t, 512> exp{};
  std::array<uint8_t, 256> log{};
};

constexpr GaloisTables MakeGaloisTables() {
  GaloisTables t;
  unsigned x = 1;
  for (int i = 0; i < 255; ++i) {
    t.exp[i] = static_cast<uint8_t>(x);
    t.log[x] = static_cast<uint8_t>(i);
    x <<= 1;
    if (x & 0x100) x ^= 0x11D;
  }
  for (int i = 255; i < 512; ++i) t.exp[i] = t.exp[i - 255];
  return t;
}

inline constexpr GaloisTables kGalois = MakeGaloisTables();
static_assert(kGalois.exp[8] == 0x1D && kGalois.exp[255] == 1);

constexpr uint8_t Multiply(uint8_t a, uint8_t b) {
  if (a == 0 || b == 0) return 0;
  return kGalois.exp[kGalois.log[a] + kGalois.log[b]];
}

}  // namespace qr_galois

// Largest number of error correction codewords in one QR block.
inline constexpr int32_t kQrMaxEccPerBlock = 30;

// Writes the `ecc.size()` error correction codewords of `data` (the remainder
// of data(x) * x^n divided by the generator polynomial of degree n).
void QrReedSolomonRemainder(std::span<const uint8_t> data, std::span<uint8_t> ecc);

// True when the block (its data codewords followed by `ecc_count` error
// correction codewords) is a codeword of the code: every syndrome is zero.
// Header-only, for the symbol model's reader.
inline bool QrReedSolomonBlockIsValid(std::span<const uint8_t> block, int32_t ecc_count) {
  // Syndrome i is the block polynomial evaluated at a^i (Horner's rule).
  for (int32_t i = 0; i < ecc_count; ++i) {
    const uint8_t x = qr_galois::kGalois.exp[i];
    uint8_t s = 0;
    for (uint8_t c : block) s = qr_galois::Multiply(s, x) ^ c;
    if (s != 0) return false;
  }
  return true;
}


}  // namespace tavo
