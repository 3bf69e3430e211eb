// The error correction codewords of PDF417 and MicroPDF417.
#include "symbologies/pdf417/pdf417_reed_solomon.h"

#include <array>
#include <cstddef>

namespace tavo::pdf417 {
namespace {

using Generator = reed_solomon::Generator<uint16_t, kMaxErrorCodewords>;

// The generators of levels 0 to 5 (2 .. 64 codewords) are built by the
// compiler; larger ones, and MicroPDF417's counts that are no power of two,
// when asked for.
inline constexpr int kBuiltLevels = 6;
constexpr std::array<Generator, kBuiltLevels> kGenerators = [] {
  std::array<Generator, kBuiltLevels> all{};
  for (int level = 0; level < kBuiltLevels; ++level) {
    all[level] = reed_solomon::MakeGenerator<kMaxErrorCodewords>(kField, 2 << level, kFirstRoot);
  }
  return all;
}();
// ISO/IEC 15438:2015 Table F.1: level 0 is x^2 + 917 x + 27, (x - 3)(x - 9).
static_assert(kField.exp[kGenerators[0].log[0]] == 917 && kField.exp[kGenerators[0].log[1]] == 27);

int BuiltLevel(int count) {
  for (int level = 0; level < kBuiltLevels; ++level) {
    if (count == 2 << level) return level;
  }
  return -1;
}

// The division of reed_solomon::Encoder, with the generator's coefficients
// taken out of their logarithms once and each step reduced modulo 929 once
// (a constant divisor: a multiplication, no division), over a remainder of
// the generator's degree only: about a third of the instructions.
std::vector<uint16_t> Remainder(std::span<const uint16_t> data, const Generator& generator) {
  const size_t n = generator.degree;
  std::array<uint32_t, kMaxErrorCodewords> g;  // x^(n-1) .. x^0
  for (size_t k = 0; k < n; ++k) g[k] = generator.log[k] == Generator::kZero ? 0 : kField.exp[generator.log[k]];
  constexpr uint32_t kBias = uint32_t{kFieldSize} * kFieldSize;  // keeps r - f g positive
  std::vector<uint16_t> r(n, 0);
  for (uint16_t d : data) {
    const uint32_t f = (d + r[0]) % kFieldSize;
    for (size_t k = 0; k + 1 < n; ++k) r[k] = static_cast<uint16_t>((r[k + 1] + kBias - f * g[k]) % kFieldSize);
    r[n - 1] = static_cast<uint16_t>((kBias - f * g[n - 1]) % kFieldSize);
  }
  for (uint16_t& c : r) c = static_cast<uint16_t>((kFieldSize - c) % kFieldSize);
  return r;
}

}  // namespace

std::vector<uint16_t> ErrorCodewords(std::span<const uint16_t> data, int count) {
  const int level = BuiltLevel(count);
  if (level >= 0) return Remainder(data, kGenerators[level]);
  const Generator generator = reed_solomon::MakeGenerator<kMaxErrorCodewords>(kField, count, kFirstRoot);
  return Remainder(data, generator);
}

}  // namespace tavo::pdf417
