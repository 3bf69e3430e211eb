// UPC-E zero suppression: the expansion of a UPC-E value to its UPC-A number
// and the compression back.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "interface/translate.h"

namespace tavo {

// The digits of a UPC-A number without its check digit, and of a UPC-E body.
using UpcANumber = std::array<char, 11>;
using UpcEBody = std::array<char, 6>;

// The eleven-digit UPC-A number (number system 0) that six UPC-E digits stand
// for.  False, with `number` unwritten, for anything but six characters.
bool ExpandUpcE(std::string_view digits, UpcANumber& number);
// The same as a string; anything but six characters gives an empty string.
std::string ExpandUpcE(std::string_view digits);

// The six UPC-E digits of an eleven-digit UPC-A number, into `body`.
// Returns 0, 32509 when the number lacks the zeros UPC-E suppresses, or 32513
// when `number` is not eleven characters long; `body` is unwritten on error.
int32_t CompressUpcA(std::string_view number, UpcEBody& body);
// The same, appended to a string; nothing is appended on error.
int32_t CompressUpcA(std::string_view number, std::string& body);

// Appends the UPC-E symbol of six digits in number system '0' or '1' (the
// parity sets of 1 mirror those of 0), with its caption, check digit and the
// supplement (none, 2 or 5 digits).  The caller has checked the digits.
// Returns 0, or 32513 (a fault of the caller) for anything but six digits or
// another number system; nothing is appended on error.
int32_t AppendUpcE(std::string_view digits, char number_system, std::string_view supplement,
                   FontString& out);
// The same for the UPC-A number (number system '0' or '1' in number[0])
// whose check digit is `check`, computed by the caller.
int32_t AppendUpcENumber(const UpcANumber& number, char check, std::string_view supplement,
                         FontString& out);

}  // namespace tavo
