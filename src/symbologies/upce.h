// UPC-E zero suppression: the expansion of a UPC-E value to its UPC-A number
// and the compression back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "interface/translate.h"

namespace tavo {

// The eleven-digit UPC-A number (number system 0) that six UPC-E digits stand
// for.  Anything but six characters gives an empty string.
std::string ExpandUpcE(std::string_view digits);

// Appends to `body` the six UPC-E digits of an eleven-digit UPC-A number.
// Returns 0, 32509 when the number lacks the zeros UPC-E suppresses, or 32513
// when `number` is not eleven characters long; nothing is appended on error.
int32_t CompressUpcA(std::string_view number, std::string& body);

// Appends the UPC-E symbol of six digits in number system '0' or '1' (the
// parity sets of 1 mirror those of 0), with its caption, check digit and the
// supplement (none, 2 or 5 digits).  The caller has checked the digits.
// Returns 0, 32509 when the number they stand for cannot be compressed, or
// 32513; nothing useful is appended on error.
int32_t AppendUpcE(std::string_view digits, char number_system, std::string_view supplement,
                   FontString& out);

}  // namespace tavo
