// Intelligent Mail barcode internals the tests reach: the value's two codes
// and the bars computed in either word layout.  Reading bars back is the
// model's (model/src/imb.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "symbologies/imb/imb_symbol.h"

namespace tavo {

// A value that passed validation, as digit characters without separators:
// the 20 tracking digits, then the routing code (0, 5, 9 or 11 digits).
struct ImbCodes {
  std::array<char, imb::kTrackingDigits + 11> digits{};
  size_t routing_length = 0;
};

// Splits a value into its tracking and routing codes.  Digits only, with "-"
// and spaces accepted after the 20 tracking digits (between the two codes and
// inside the ZIP code).  Returns 0 or the first fault's error code.
int32_t ParseImbValue(std::string_view value, ImbCodes& codes);

// The 65 bars of a validated value, "A" ascender, "D" descender, "F" full,
// "T" tracker, left to right, computed with the word layout W.  Instantiated
// for both layouts so the tests compare them.
template <class W>
void ImbBars(const ImbCodes& codes, char* bars);

}  // namespace tavo
