// Internal routines of the Interleaved 2 of 5 encoder.
#pragma once

#include <cstdint>
#include <string_view>

namespace tavo {

// The modulo-10 check digit ('0'..'9') of a digit string: weights 3, 1, 3, ...
// from the rightmost digit leftwards.
char I2of5CheckDigit(std::string_view digits);

// The font byte of a digit pair 0..99: 0x92..0x96 for 00..04, 0xA1..0xFF for
// 05..99 (0x97 and 0x98 are the start and stop characters).
char I2of5PairChar(int32_t pair);

}  // namespace tavo
