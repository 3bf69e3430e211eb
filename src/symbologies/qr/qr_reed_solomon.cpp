// Reed-Solomon error correction of QR Code over GF(256).
#include "symbologies/qr/qr_reed_solomon.h"

#include <array>

namespace tavo {
namespace {

// The generator polynomial of degree n, (x - a^0)(x - a^1)...(x - a^(n-1)),
// without its leading 1, highest power first.
struct Generator {
  std::array<uint8_t, kQrMaxEccPerBlock> coef{};
};

constexpr Generator MakeGenerator(int n) {
  Generator g;
  g.coef[n - 1] = 1;  // the polynomial 1, stored as its constant term
  uint8_t root = 1;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      g.coef[j] = qr_galois::Multiply(g.coef[j], root);
      if (j + 1 < n) g.coef[j] ^= g.coef[j + 1];
    }
    root = qr_galois::Multiply(root, 2);
  }
  return g;
}

// One generator for every block length the symbology uses (7 .. 30), its
// coefficients as logarithms (none is zero) so that the division multiplies
// by one table look-up.
constexpr std::array<Generator, kQrMaxEccPerBlock + 1> MakeGeneratorLogs() {
  std::array<Generator, kQrMaxEccPerBlock + 1> all{};
  for (int n = 1; n <= kQrMaxEccPerBlock; ++n) {
    all[n] = MakeGenerator(n);
    for (int j = 0; j < n; ++j) all[n].coef[j] = qr_galois::kGalois.log[all[n].coef[j]];
  }
  return all;
}

constexpr std::array<Generator, kQrMaxEccPerBlock + 1> kGeneratorLogs = MakeGeneratorLogs();
// x + 1 times x + 2: x^2 + 3x + 2, logarithms 25 and 1.
static_assert(MakeGenerator(2).coef[0] == 3 && MakeGenerator(2).coef[1] == 2);
static_assert(kGeneratorLogs[2].coef[0] == 25 && kGeneratorLogs[2].coef[1] == 1);

}  // namespace

void QrReedSolomonRemainder(std::span<const uint8_t> data, std::span<uint8_t> ecc) {
  const size_t n = ecc.size();
  const auto& g = kGeneratorLogs[n].coef;
  for (auto& e : ecc) e = 0;
  for (uint8_t d : data) {
    const uint8_t factor = d ^ ecc[0];
    for (size_t j = 0; j + 1 < n; ++j) ecc[j] = ecc[j + 1];
    ecc[n - 1] = 0;
    if (factor == 0) continue;
    const unsigned lf = qr_galois::kGalois.log[factor];
    for (size_t j = 0; j < n; ++j) ecc[j] ^= qr_galois::kGalois.exp[lf + g[j]];
  }
}

}  // namespace tavo
