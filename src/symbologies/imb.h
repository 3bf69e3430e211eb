// Intelligent Mail barcode internals the tests reach: the value's two codes,
// the bars computed in either word layout, and the reading back of the bars.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "symbologies/imb_symbol.h"

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

// What the bars of a symbol say, read backwards: characters, codewords, the
// frame check sequence, the two codes.  `damaged` is empty when every step
// holds together; otherwise it says which step failed first and where.
struct ImbReading {
  std::array<uint16_t, 10> characters{};  // A..J as the bars give them
  std::array<uint16_t, 10> codewords{};   // A..J before the extra information
  uint32_t frame_check_found = 0;         // the 11 bits the characters carry
  uint32_t frame_check_expected = 0;      // recomputed from the codewords
  std::string tracking;
  std::string routing;
  std::string damaged;
};

// Reads 65 bars ("A", "D", "F", "T").  Returns false, with `damaged` set, when
// the string is not a complete, undamaged symbol.
bool ReadImbBars(std::string_view bars, ImbReading& reading);

}  // namespace tavo
