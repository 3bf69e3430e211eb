// UPC-E zero suppression: the expansion of a UPC-E value to its UPC-A number
// and the compression back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavo {

// The eleven-digit UPC-A number (number system 0) that six UPC-E digits stand
// for.  Anything but six characters gives an empty string.
std::string ExpandUpcE(std::string_view digits);

// Appends to `body` the six UPC-E digits of an eleven-digit UPC-A number.
// Returns 0, 32509 when the number lacks the zeros UPC-E suppresses, or 32513
// when `number` is not eleven characters long; nothing is appended on error.
int32_t CompressUpcA(std::string_view number, std::string& body);

}  // namespace tavo
