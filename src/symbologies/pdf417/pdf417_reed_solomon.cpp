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

// The division by the generator with its coefficients as plain numbers,
// negated (-g_k mod 929), so each step is one multiply-add; only the term
// fed back is reduced modulo 929.  A coefficient of the remainder is a sum of
// at most n (up to 512) products below 929 x 929, so it stays below 2^32.
// The same result as reed_solomon::Encoder, a few times faster in a prime
// field.
std::vector<uint16_t> Remainder(std::span<const uint16_t> data, const Generator& generator) {
  const int n = generator.degree;
  std::array<uint32_t, kMaxErrorCodewords> minus_g{};
  for (int k = 0; k < n; ++k) {
    const uint32_t g = generator.log[k] == Generator::kZero ? 0 : kField.exp[generator.log[k]];
    minus_g[k] = (kFieldSize - g) % kFieldSize;
  }
  std::array<uint32_t, kMaxErrorCodewords + 1> r{};  // r[0] the highest power
  static_assert(uint64_t{kFieldSize} * kFieldSize * kMaxErrorCodewords + kFieldSize < (uint64_t{1} << 32));
  for (uint16_t d : data) {
    const uint32_t t = (d + r[0]) % kFieldSize;
    for (int k = 0; k + 1 < n; ++k) r[k] = r[k + 1] + t * minus_g[k];
    r[n - 1] = t * minus_g[n - 1];
  }
  std::vector<uint16_t> out(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) {
    out[static_cast<size_t>(k)] = static_cast<uint16_t>((kFieldSize - r[k] % kFieldSize) % kFieldSize);
  }
  return out;
}

}  // namespace

std::vector<uint16_t> ErrorCodewords(std::span<const uint16_t> data, int count) {
  const int level = BuiltLevel(count);
  if (level >= 0) return Remainder(data, kGenerators[level]);
  const Generator generator = reed_solomon::MakeGenerator<kMaxErrorCodewords>(kField, count, kFirstRoot);
  return Remainder(data, generator);
}

}  // namespace tavo::pdf417
