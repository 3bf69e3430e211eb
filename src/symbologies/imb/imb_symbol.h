// The Intelligent Mail symbol's structure, shared by the encoder
// (symbologies/imb/imb.cpp) and the model that reads symbols back: the codeword
// characters, which character bit draws which bar part, the 11-bit frame
// check, and exact arithmetic on the 102-bit binary value in plain integers:
// two 64-bit words anywhere, one unsigned __int128 where the compiler has it.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace tavo::imb {

inline constexpr size_t kBars = 65;
inline constexpr size_t kTrackingDigits = 20;

inline constexpr uint32_t kCharacterMask = 0x1FFF;  // 13 bits
inline constexpr uint32_t kFrameCheckTop = 0x400;   // bit 10, carried by codeword A

// The routing code's length decides what is added to it, so that every
// length gives its own range of numbers: nothing (no routing code), 1 (5
// digits), 100001 (9 digits), 1000100001 (11 digits).
constexpr uint64_t RoutingOffset(size_t length) {
  switch (length) {
    case 5: return 1;
    case 9: return 100001;
    case 11: return 1000100001;
    default: return 0;
  }
}

constexpr uint32_t Reverse13(uint32_t n) {
  uint32_t r = 0;
  for (int i = 0; i < 13; ++i) r |= ((n >> i) & 1u) << (12 - i);
  return r;
}

// The characters of the codewords: the 13-bit numbers with `bits` bits set,
// walked upwards; a number and its bit reversal go to the next two places
// from the start, a number that reads the same reversed to the next place
// from the end.
template <size_t N>
constexpr std::array<uint16_t, N> BuildCharacterTable(int bits) {
  std::array<uint16_t, N> table{};
  size_t low = 0;
  size_t high = N;
  for (uint32_t n = 0; n <= kCharacterMask; ++n) {
    if (std::popcount(n) != bits) continue;
    const uint32_t r = Reverse13(n);
    if (r < n) continue;
    if (r == n) {
      table[--high] = static_cast<uint16_t>(n);
    } else {
      table[low++] = static_cast<uint16_t>(n);
      table[low++] = static_cast<uint16_t>(r);
    }
  }
  if (low != high) throw "character table not filled exactly";  // fails the constant evaluation
  return table;
}

// Codewords 0..1286: the 13-bit numbers with five bits set.
// USPS-B-3200 Appendix D, Table I (5 of 13 characters), built by its rule.
inline constexpr std::array<uint16_t, 1287> kFiveOfThirteen = BuildCharacterTable<1287>(5);
// Codewords 1287..1364: the 13-bit numbers with two bits set.
// USPS-B-3200 Appendix D, Table II (2 of 13 characters), built by its rule.
inline constexpr std::array<uint16_t, 78> kTwoOfThirteen = BuildCharacterTable<78>(2);
static_assert(kFiveOfThirteen[0] == 0x001F && kFiveOfThirteen[1] == 0x1F00 &&
              kFiveOfThirteen[2] == 0x002F && kFiveOfThirteen[3] == 0x1E80 &&
              kFiveOfThirteen[1286] == 0x01F0);
static_assert(kTwoOfThirteen[0] == 0x0003 && kTwoOfThirteen[1] == 0x1800 &&
              kTwoOfThirteen[77] == 0x00A0);

// Both tables end to end, so a codeword finds its character in one look-up.
inline constexpr std::array<uint16_t, 1365> kCharacters = [] {
  std::array<uint16_t, 1365> table{};
  for (size_t i = 0; i < kFiveOfThirteen.size(); ++i) table[i] = kFiveOfThirteen[i];
  for (size_t i = 0; i < kTwoOfThirteen.size(); ++i) table[kFiveOfThirteen.size() + i] = kTwoOfThirteen[i];
  return table;
}();

constexpr uint16_t CharacterOf(uint32_t codeword) { return kCharacters[codeword]; }

// Which bar part each bit of each character draws: row = character A..J,
// column = bit 0..12; 1..65 the descender of bar n, 66..130 the ascender of
// bar n - 65, bars numbered from the left.
// USPS-B-3200 Appendix D, Table IV (bar-to-character mapping).
inline constexpr uint8_t kBarParts[10][13] = {
    {67, 6, 78, 16, 86, 95, 34, 40, 45, 113, 117, 121, 62},
    {87, 18, 104, 41, 76, 57, 119, 115, 72, 97, 2, 127, 26},
    {105, 35, 122, 52, 114, 7, 24, 82, 68, 63, 94, 44, 77},
    {112, 70, 100, 39, 30, 107, 15, 125, 85, 10, 65, 54, 88},
    {20, 106, 46, 66, 8, 116, 29, 61, 99, 80, 90, 37, 123},
    {51, 25, 84, 129, 56, 4, 109, 96, 28, 36, 47, 11, 71},
    {33, 102, 21, 9, 17, 49, 124, 79, 64, 91, 42, 69, 53},
    {60, 14, 1, 27, 103, 126, 75, 89, 50, 120, 19, 32, 110},
    {92, 111, 130, 59, 31, 12, 81, 43, 55, 5, 74, 22, 101},
    {128, 58, 118, 48, 108, 38, 98, 93, 23, 83, 13, 73, 3},
};

// The same table turned around: for each bar, the character and bit of its
// descender and of its ascender.
struct BarSource {
  uint8_t descender_character, descender_bit, ascender_character, ascender_bit;
};

constexpr std::array<BarSource, kBars> BuildBarSources() {
  std::array<BarSource, kBars> bars{};
  std::array<int, 2 * kBars + 1> seen{};
  for (uint8_t c = 0; c < 10; ++c) {
    for (uint8_t b = 0; b < 13; ++b) {
      const uint8_t n = kBarParts[c][b];
      ++seen[n];
      if (n <= kBars) {
        bars[n - 1].descender_character = c;
        bars[n - 1].descender_bit = b;
      } else {
        bars[n - kBars - 1].ascender_character = c;
        bars[n - kBars - 1].ascender_bit = b;
      }
    }
  }
  for (size_t n = 1; n < seen.size(); ++n) {
    if (seen[n] != 1) throw "every bar part must be drawn by exactly one bit";
  }
  return bars;
}

inline constexpr std::array<BarSource, kBars> kBarSources = BuildBarSources();

// The font characters by which parts a bar has: bit 0 descender, bit 1
// ascender.
inline constexpr char kBarLetters[4] = {'T', 'D', 'A', 'F'};

inline constexpr uint32_t kFrameCheckPolynomial = 0xF35;

constexpr uint32_t FrameCheckBit(uint32_t fcs, uint32_t data_bit_at_10) {
  return ((fcs ^ data_bit_at_10) & kFrameCheckTop) ? ((fcs << 1) ^ kFrameCheckPolynomial) & 0x7FF
                                                   : (fcs << 1) & 0x7FF;
}

// The frame check of one whole byte at a time, for a register whose top
// eight bits are `top`.
constexpr std::array<uint16_t, 256> BuildFrameCheckTable() {
  std::array<uint16_t, 256> table{};
  for (uint32_t top = 0; top < 256; ++top) {
    uint32_t fcs = top << 3;
    for (int i = 0; i < 8; ++i) fcs = FrameCheckBit(fcs, 0);
    table[top] = static_cast<uint16_t>(fcs);
  }
  return table;
}

inline constexpr std::array<uint16_t, 256> kFrameCheckBytes = BuildFrameCheckTable();

// The frame check after the value's top six bits, from its start value 0x7FF.
inline constexpr std::array<uint16_t, 64> kFrameCheckAfterTopBits = [] {
  std::array<uint16_t, 64> table{};
  for (uint32_t top = 0; top < 64; ++top) {
    uint32_t fcs = 0x7FF;
    for (int i = 5; i >= 0; --i) fcs = FrameCheckBit(fcs, ((top >> i) & 1u) << 10);
    table[top] = static_cast<uint16_t>(fcs);
  }
  return table;
}();

inline constexpr uint32_t kLastDivisor = 636;   // codeword J
inline constexpr uint32_t kDivisor = 1365;      // codewords B..I
inline constexpr uint32_t kCodewordAMax = 658;  // before the frame check bit is added

// The 102-bit binary value as two 64-bit words (portable).  Only what the
// encoding needs: multiply-add and division by small numbers, and its bits.
struct TwoWords {
  TwoWords() = default;
  explicit TwoWords(uint64_t v) : low(v) {}
  TwoWords(uint64_t head, uint64_t tail);  // head x 10^18 + tail
  uint64_t high = 0;  // bits 64..101
  uint64_t low = 0;
  void MultiplyAdd(uint32_t factor, uint32_t addend);
  uint32_t DivideBy(uint32_t divisor);  // below 2^20; returns the remainder
  uint64_t High() const { return high; }
  uint64_t Low() const { return low; }
};

#if defined(__SIZEOF_INT128__)
// The same value in one unsigned __int128, where the compiler has one.
struct Int128 {
  Int128() = default;
  explicit Int128(uint64_t v) : value(v) {}
  Int128(uint64_t head, uint64_t tail);  // head x 10^18 + tail
  unsigned __int128 value = 0;
  void MultiplyAdd(uint32_t factor, uint32_t addend);
  uint32_t DivideBy(uint32_t divisor);
  uint64_t High() const { return static_cast<uint64_t>(value >> 64); }
  uint64_t Low() const { return static_cast<uint64_t>(value); }
};
using Wide = Int128;
#else
using Wide = TwoWords;
#endif

inline constexpr uint64_t kTenTo18 = 1000000000000000000u;

inline TwoWords::TwoWords(uint64_t head, uint64_t tail) {
  // The 128-bit product from four 32 x 32-bit products, then the sum.
  constexpr uint64_t kHalf = 0xFFFFFFFFu;
  const uint64_t p00 = (head & kHalf) * (kTenTo18 & kHalf);
  const uint64_t p01 = (head & kHalf) * (kTenTo18 >> 32);
  const uint64_t p10 = (head >> 32) * (kTenTo18 & kHalf);
  const uint64_t p11 = (head >> 32) * (kTenTo18 >> 32);
  const uint64_t middle = (p00 >> 32) + (p01 & kHalf) + (p10 & kHalf);
  low = (middle << 32) | (p00 & kHalf);
  high = p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32);
  low += tail;
  high += low < tail ? 1 : 0;
}

inline void TwoWords::MultiplyAdd(uint32_t factor, uint32_t addend) {
  // In 32-bit halves, so no product overflows: low half, high half of the
  // low word with the carry, then the high word with the carry.
  const uint64_t l0 = (low & 0xFFFFFFFFu) * factor + addend;
  const uint64_t l1 = (low >> 32) * factor + (l0 >> 32);
  low = (l1 << 32) | (l0 & 0xFFFFFFFFu);
  high = high * factor + (l1 >> 32);
}

// Divides the number high x 2^64 + low in place by a divisor below 2^20 and
// returns the remainder.  Long division in 32-bit steps: each step divides a
// 64-bit number whose top half is the remainder so far, below the divisor,
// and a division by a constant becomes a multiplication.
inline uint32_t DivideWordsBy(uint64_t& high, uint64_t& low, uint32_t divisor) {
  uint64_t r = high % divisor;
  high /= divisor;
  uint64_t part = (r << 32) | (low >> 32);
  const uint64_t q1 = part / divisor;
  r = part % divisor;
  part = (r << 32) | (low & 0xFFFFFFFFu);
  low = (q1 << 32) | (part / divisor);
  return static_cast<uint32_t>(part % divisor);
}

inline uint32_t TwoWords::DivideBy(uint32_t divisor) { return DivideWordsBy(high, low, divisor); }

#if defined(__SIZEOF_INT128__)
inline Int128::Int128(uint64_t head, uint64_t tail)
    : value(static_cast<unsigned __int128>(head) * kTenTo18 + tail) {}

inline void Int128::MultiplyAdd(uint32_t factor, uint32_t addend) { value = value * factor + addend; }

inline uint32_t Int128::DivideBy(uint32_t divisor) {
  // A 128-bit division is a library call; the two-word steps, whose divisions
  // by a constant the compiler turns into multiplications, cost far less.
  // The value is below 2^102, so its high word is below 2^38.
  uint64_t high = static_cast<uint64_t>(value >> 64);
  auto low = static_cast<uint64_t>(value);
  const uint32_t remainder = DivideWordsBy(high, low, divisor);
  value = (static_cast<unsigned __int128>(high) << 64) | low;
  return remainder;
}

#endif

// The frame check is linear in the value's bits (over GF(2)) once its start
// value is accounted for, so each of the twelve whole bytes below the top
// six bits adds its own part, independent of the others: for byte k (0 the
// most significant), the register after that byte alone, from a start of 0,
// followed by 11 - k zero bytes.  The top six bits, from 0x7FF, followed by
// twelve zero bytes, carry the start value.  Twelve look-ups with no chain
// between them in place of twelve dependent steps.
inline constexpr std::array<std::array<uint16_t, 256>, 13> kFrameCheckAtByte = [] {
  std::array<std::array<uint16_t, 256>, 13> table{};
  auto byte = [](uint32_t fcs, uint32_t b) { return ((fcs << 8) & 0x7FF) ^ kFrameCheckBytes[((fcs >> 3) ^ b) & 0xFF]; };
  for (uint32_t v = 0; v < 256; ++v) {
    for (size_t k = 0; k < 12; ++k) {
      uint32_t fcs = byte(0, v);
      for (size_t z = k + 1; z < 12; ++z) fcs = byte(fcs, 0);
      table[k][v] = static_cast<uint16_t>(fcs);
    }
    uint32_t fcs = kFrameCheckAfterTopBits[v & 0x3F];
    for (size_t z = 0; z < 12; ++z) fcs = byte(fcs, 0);
    table[12][v] = static_cast<uint16_t>(fcs);
  }
  return table;
}();

// The 11-bit frame check sequence of the binary value (bits 64..101 in
// `high`, 0..63 in `low`), most significant bit first.
constexpr uint32_t FrameCheck(uint64_t high, uint64_t low) {
  // The top six bits, then twelve whole bytes, big-endian: four from the
  // high word and eight from the low.
  uint32_t fcs = kFrameCheckAtByte[12][(high >> 32) & 0x3F];
  for (size_t k = 0; k < 4; ++k) fcs ^= kFrameCheckAtByte[k][(high >> (24 - 8 * k)) & 0xFF];
  for (size_t k = 0; k < 8; ++k) fcs ^= kFrameCheckAtByte[4 + k][(low >> (56 - 8 * k)) & 0xFF];
  return fcs;
}

// The frame check bit by bit, as USPS-B-3200 describes it: start at 0x7FF,
// then the value's 102 bits, most significant first.  The tables above must
// agree with it.
constexpr uint32_t FrameCheckBitwise(uint64_t high, uint64_t low) {
  uint32_t fcs = 0x7FF;
  for (int i = 101; i >= 0; --i) {
    const uint64_t bit = i >= 64 ? (high >> (i - 64)) & 1u : (low >> i) & 1u;
    fcs = FrameCheckBit(fcs, static_cast<uint32_t>(bit) << 10);
  }
  return fcs;
}
static_assert(FrameCheck(0, 0) == FrameCheckBitwise(0, 0) &&
              FrameCheck(0x3FFFFFFFFFu, ~uint64_t{0}) == FrameCheckBitwise(0x3FFFFFFFFFu, ~uint64_t{0}) &&
              FrameCheck(0x1234567890u, 0xFEDCBA9876543210u) == FrameCheckBitwise(0x1234567890u, 0xFEDCBA9876543210u) &&
              FrameCheck(0x2000000000u, 1) == FrameCheckBitwise(0x2000000000u, 1));

}  // namespace tavo::imb
