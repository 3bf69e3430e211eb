// Intelligent Mail barcode internals: the value's two codes, the exact
// 102-bit binary value in both word layouts, and the reading back of the 65
// bars, which the tests and `tavo decode` reach.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavo {

inline constexpr size_t kImbBars = 65;
inline constexpr size_t kImbTrackingDigits = 20;

// A value that passed validation, as digit characters without separators:
// the 20 tracking digits, then the routing code (0, 5, 9 or 11 digits).
struct ImbCodes {
  std::array<char, kImbTrackingDigits + 11> digits{};
  size_t routing_length = 0;
};

// Splits a value into its tracking and routing codes.  Digits only, with "-"
// and spaces accepted after the 20 tracking digits (between the two codes and
// inside the ZIP code).  Returns 0 or the first fault's error code.
int32_t ParseImbValue(std::string_view value, ImbCodes& codes);

// The 102-bit binary value as two 64-bit words (portable).  Only what the
// encoding needs: multiply-add and division by small numbers, and its bits.
struct ImbTwoWords {
  ImbTwoWords() = default;
  explicit ImbTwoWords(uint64_t v) : low(v) {}
  ImbTwoWords(uint64_t head, uint64_t tail);  // head x 10^18 + tail
  uint64_t high = 0;  // bits 64..101
  uint64_t low = 0;
  void MultiplyAdd(uint32_t factor, uint32_t addend);
  uint32_t DivideBy(uint32_t divisor);  // below 2^20; returns the remainder
  uint64_t High() const { return high; }
  uint64_t Low() const { return low; }
};

#if defined(__SIZEOF_INT128__)
// The same value in one unsigned __int128, where the compiler has one.
struct ImbInt128 {
  ImbInt128() = default;
  explicit ImbInt128(uint64_t v) : value(v) {}
  ImbInt128(uint64_t head, uint64_t tail);  // head x 10^18 + tail
  unsigned __int128 value = 0;
  void MultiplyAdd(uint32_t factor, uint32_t addend);
  uint32_t DivideBy(uint32_t divisor);
  uint64_t High() const { return static_cast<uint64_t>(value >> 64); }
  uint64_t Low() const { return static_cast<uint64_t>(value); }
};
using ImbWide = ImbInt128;
#else
using ImbWide = ImbTwoWords;
#endif

// The 65 bars of a validated value, "A" ascender, "D" descender, "F" full,
// "T" tracker, left to right, computed with the word layout W.  Instantiated
// for both layouts so the tests compare them.
template <class W>
void ImbBars(const ImbCodes& codes, char* bars);

// The 11-bit frame check sequence of the binary value (bits 64..101 in
// `high`, 0..63 in `low`), most significant bit first.
uint32_t ImbFrameCheck(uint64_t high, uint64_t low);

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
