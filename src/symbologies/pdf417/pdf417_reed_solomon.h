// Reed-Solomon error correction of PDF417 and MicroPDF417 (ISO/IEC 15438,
// 5.10; ISO/IEC 24728): GF(929) with the primitive element 3, the
// generator (x - 3)(x - 3^2) ... (x - 3^k) for k error correction codewords,
// and the codewords the complement of the remainder.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "symbologies/matrix/reed_solomon.h"

namespace tavo::pdf417 {

inline constexpr int kFieldSize = 929;
inline constexpr int kFirstRoot = 1;
inline constexpr int kMaxErrorCodewords = 512;  // level 8

inline constexpr auto kField = reed_solomon::PrimeField<uint16_t, kFieldSize>(3);

// The `ec.size()` error correction codewords (1 .. kMaxErrorCodewords) of
// the data codewords (each below 929, the symbol length descriptor first),
// written to `ec` highest power first, as they follow the data in the
// symbol.  Nothing is allocated.
void ErrorCodewords(std::span<const uint16_t> data, std::span<uint16_t> ec);

// The same, `count` of them, as a vector.
std::vector<uint16_t> ErrorCodewords(std::span<const uint16_t> data, int count);

}  // namespace tavo::pdf417
