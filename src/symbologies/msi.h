// Internal routines of the MSI encoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tavo {

// Longest value the MSI encoder accepts; a longer one gives 32510.  The limit
// is part of the library's behaviour, not of its arithmetic: MSICheckDigit
// builds no number and takes digit strings of any length.
inline constexpr size_t kMSIMaxDigits = 14;

// base raised to exponent by repeated multiplication; 1 for an exponent of 0
// or less.  No encoder uses it any longer (MSICheckDigit builds no number);
// it stays for its tests.
int32_t IntPower(int32_t base, int32_t exponent);

// The MSI modulo-10 check digit ('0'..'9') of a string of digits:
// the digits in the odd positions from the right, read as one number and
// doubled, and the other digits, all added up digit by digit.
char MSICheckDigit(std::string_view digits);

}  // namespace tavo
