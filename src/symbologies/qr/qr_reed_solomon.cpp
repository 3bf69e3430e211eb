// Reed-Solomon error correction of QR Code over GF(256).
#include "symbologies/qr/qr_reed_solomon.h"

#include <array>

namespace tavo {
namespace {

using QrGenerator = reed_solomon::Generator<uint8_t, kQrMaxEccPerBlock>;

// One generator for every block length up to the longest (QR Code uses 7 .. 30).
constexpr std::array<QrGenerator, kQrMaxEccPerBlock + 1> kGenerators = [] {
  std::array<QrGenerator, kQrMaxEccPerBlock + 1> all{};
  for (int n = 1; n <= kQrMaxEccPerBlock; ++n) {
    all[n] = reed_solomon::MakeGenerator<kQrMaxEccPerBlock>(kQrField, n, kQrFirstRoot);
  }
  return all;
}();
// (x + 1)(x + 2) = x^2 + 3x + 2: the logarithms of 3 and 2 are 25 and 1.
static_assert(kGenerators[2].log[0] == 25 && kGenerators[2].log[1] == 1);

}  // namespace

void QrReedSolomonRemainder(std::span<const uint8_t> data, std::span<uint8_t> ecc) {
  reed_solomon::Encoder encoder(kQrField, kGenerators[ecc.size()]);
  for (uint8_t d : data) encoder.Push(d);
  for (size_t k = 0; k < ecc.size(); ++k) ecc[k] = encoder.Ecc(static_cast<int>(k));
}

}  // namespace tavo
