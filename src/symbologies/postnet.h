// PostNet internals the tests reach.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace tavo {

// The modulo-10 check digit of a digit string: the character that brings the
// digit sum up to a multiple of ten.  The sum is exact for any length that
// fits in memory.  Eight digits at a time: less '0' in each byte, one
// multiplication adds the eight bytes into the top one (at most 72, so
// nothing carries out of it), whatever the byte order.
constexpr char PostNetCheckDigit(std::string_view digits) {
  uint64_t sum = 0;
  size_t i = 0;
  if (!std::is_constant_evaluated()) {
    for (; i + 8 <= digits.size(); i += 8) {
      uint64_t eight = 0;
      std::memcpy(&eight, digits.data() + i, 8);
      sum += ((eight - 0x3030303030303030u) * 0x0101010101010101u) >> 56;
    }
  }
  for (; i < digits.size(); ++i) sum += static_cast<uint64_t>(digits[i] - '0');
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

}  // namespace tavo
