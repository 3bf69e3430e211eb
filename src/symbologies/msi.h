// Internal routines of the MSI encoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tavo {

// Longest value the MSI encoder accepts.  With the first check digit a string
// of 15 digits reaches MSICheckDigit, whose numbers then stay far inside 32
// bits (twice an 8-digit number).
inline constexpr size_t kMSIMaxDigits = 14;

// base raised to exponent by repeated multiplication; 1 for an exponent of 0
// or less.
int32_t IntPower(int32_t base, int32_t exponent);

// The MSI modulo-10 check digit ('0'..'9') of a string of at most 15 digits:
// the digits in the odd positions from the right, read as one number and
// doubled, and the other digits, all added up digit by digit.
char MSICheckDigit(std::string_view digits);

}  // namespace tavo
