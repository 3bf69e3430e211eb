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

std::vector<uint16_t> Remainder(std::span<const uint16_t> data, const Generator& generator) {
  reed_solomon::Encoder encoder(kField, generator);
  for (uint16_t d : data) encoder.Push(d);
  std::vector<uint16_t> out(generator.degree);
  for (size_t k = 0; k < out.size(); ++k) out[k] = encoder.Ecc(static_cast<int>(k));
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
