// Intelligent Mail barcode (the USPS 4-state customer bar code): a 20-digit
// tracking code and a 0, 5, 9 or 11-digit routing code become one 102-bit
// number, its 11-bit frame check sequence, ten codewords, ten 13-bit
// characters and 65 bars, one font character each: "A" ascender, "D"
// descender, "F" full bar, "T" tracker.  The symbol carries its own check, so
// the caller's check option has no meaning here and is ignored.
#include "symbologies/imb.h"

#include <bit>
#include <cstring>

#include "symbologies/encoders.h"

namespace tavo {
namespace {

constexpr uint32_t kCharacterMask = 0x1FFF;  // 13 bits
constexpr uint32_t kFrameCheckTop = 0x400;   // bit 10, carried by codeword A

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
constexpr std::array<uint16_t, 1287> kFiveOfThirteen = BuildCharacterTable<1287>(5);
// Codewords 1287..1364: the 13-bit numbers with two bits set.
constexpr std::array<uint16_t, 78> kTwoOfThirteen = BuildCharacterTable<78>(2);
static_assert(kFiveOfThirteen[0] == 0x001F && kFiveOfThirteen[1] == 0x1F00 &&
              kFiveOfThirteen[2] == 0x002F && kFiveOfThirteen[3] == 0x1E80 &&
              kFiveOfThirteen[1286] == 0x01F0);
static_assert(kTwoOfThirteen[0] == 0x0003 && kTwoOfThirteen[1] == 0x1800 &&
              kTwoOfThirteen[77] == 0x00A0);

constexpr uint16_t CharacterOf(uint32_t codeword) {
  return codeword < kFiveOfThirteen.size() ? kFiveOfThirteen[codeword]
                                           : kTwoOfThirteen[codeword - kFiveOfThirteen.size()];
}

// Which bar part each bit of each character draws: row = character A..J,
// column = bit 0..12; 1..65 the descender of bar n, 66..130 the ascender of
// bar n - 65, bars numbered from the left.
constexpr uint8_t kBarParts[10][13] = {
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

constexpr std::array<BarSource, kImbBars> BuildBarSources() {
  std::array<BarSource, kImbBars> bars{};
  std::array<int, 2 * kImbBars + 1> seen{};
  for (uint8_t c = 0; c < 10; ++c) {
    for (uint8_t b = 0; b < 13; ++b) {
      const uint8_t n = kBarParts[c][b];
      ++seen[n];
      if (n <= kImbBars) {
        bars[n - 1].descender_character = c;
        bars[n - 1].descender_bit = b;
      } else {
        bars[n - kImbBars - 1].ascender_character = c;
        bars[n - kImbBars - 1].ascender_bit = b;
      }
    }
  }
  for (size_t n = 1; n < seen.size(); ++n) {
    if (seen[n] != 1) throw "every bar part must be drawn by exactly one bit";
  }
  return bars;
}

constexpr std::array<BarSource, kImbBars> kBarSources = BuildBarSources();

// The same table as places in three words that hold the bar parts: the
// descenders of bars 1..64 in word 0, their ascenders in word 1, bar 65's
// descender and ascender as bits 0 and 1 of word 2.  Each place is word x 64
// + bit.
constexpr std::array<std::array<uint8_t, 13>, 10> BuildPartPlaces() {
  std::array<std::array<uint8_t, 13>, 10> places{};
  for (size_t c = 0; c < 10; ++c) {
    for (size_t b = 0; b < 13; ++b) {
      const int n = kBarParts[c][b];
      const bool descender = n <= static_cast<int>(kImbBars);
      const int bar = descender ? n - 1 : n - static_cast<int>(kImbBars) - 1;
      places[c][b] = static_cast<uint8_t>(bar < 64 ? (descender ? 0 : 64) + bar : 128 + (descender ? 0 : 1));
    }
  }
  return places;
}

constexpr std::array<std::array<uint8_t, 13>, 10> kPartPlaces = BuildPartPlaces();

// The parts a character draws among bars 1..64, looked up a piece of the
// character at a time: index 0..15 for its bits 0..3, 16..31 for bits 4..7,
// 32..63 for bits 8..12.  Bar 65 is read from its two bits directly.
struct BarParts {
  uint64_t descenders = 0;
  uint64_t ascenders = 0;
};

constexpr std::array<std::array<BarParts, 64>, 10> kPieceParts = [] {
  std::array<std::array<BarParts, 64>, 10> table{};
  constexpr int kPieceStart[3] = {0, 4, 8};
  constexpr int kPieceBits[3] = {4, 4, 5};
  constexpr int kPieceIndex[3] = {0, 16, 32};
  for (size_t c = 0; c < 10; ++c) {
    for (int piece = 0; piece < 3; ++piece) {
      for (int v = 0; v < (1 << kPieceBits[piece]); ++v) {
        BarParts& parts = table[c][static_cast<size_t>(kPieceIndex[piece] + v)];
        for (int k = 0; k < kPieceBits[piece]; ++k) {
          if (!((v >> k) & 1)) continue;
          const uint8_t place = kPartPlaces[c][static_cast<size_t>(kPieceStart[piece] + k)];
          if (place < 64) parts.descenders |= uint64_t{1} << place;
          else if (place < 128) parts.ascenders |= uint64_t{1} << (place - 64);
        }
      }
    }
  }
  return table;
}();

// The font characters by which parts a bar has: bit 0 descender, bit 1
// ascender.
constexpr char kBarLetters[4] = {'T', 'D', 'A', 'F'};

// Four bars at once: the letters of four bars whose descenders are the low
// four bits of the index and whose ascenders are the high four.
constexpr std::array<std::array<char, 4>, 256> kFourBars = [] {
  std::array<std::array<char, 4>, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    for (unsigned k = 0; k < 4; ++k) t[i][k] = kBarLetters[((i >> k) & 1u) | (((i >> (4 + k)) & 1u) << 1)];
  }
  return t;
}();

constexpr uint32_t kFrameCheckPolynomial = 0xF35;

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

constexpr std::array<uint16_t, 256> kFrameCheckBytes = BuildFrameCheckTable();

// The frame check after the value's top six bits, from its start value 0x7FF.
constexpr std::array<uint16_t, 64> kFrameCheckAfterTopBits = [] {
  std::array<uint16_t, 64> table{};
  for (uint32_t top = 0; top < 64; ++top) {
    uint32_t fcs = 0x7FF;
    for (int i = 5; i >= 0; --i) fcs = FrameCheckBit(fcs, ((top >> i) & 1u) << 10);
    table[top] = static_cast<uint16_t>(fcs);
  }
  return table;
}();

// Eight digits as a number, in three multiplications over one word where
// the bytes stand in memory order (little-endian); digit by digit elsewhere.
uint64_t EightDigits(const char* p) {
  if constexpr (std::endian::native == std::endian::little) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    v -= 0x3030303030303030u;
    v = v * 10 + (v >> 8);  // pairs
    v = (((v & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
         (((v >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >> 32;
    return v;
  } else {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v * 10 + static_cast<uint64_t>(p[i] - '0');
    return v;
  }
}

uint64_t EighteenDigits(const char* p) {
  return (EightDigits(p) * 100000000 + EightDigits(p + 8)) * 100 +
         static_cast<uint64_t>(p[16] - '0') * 10 + static_cast<uint64_t>(p[17] - '0');
}

// The binary value: the routing code plus its offset, times 10, plus tracking
// digit 1, times 5, plus digit 2 (below 2^43 so far), then times 10 and plus
// a digit for each of the other 18: in one step, times 10^18 plus the number
// they form.
template <class W>
W BinaryValue(const ImbCodes& codes) {
  const char* d = codes.digits.data();
  uint64_t head = 0;
  for (size_t i = 0; i < codes.routing_length; ++i) {
    head = head * 10 + static_cast<uint64_t>(d[kImbTrackingDigits + i] - '0');
  }
  head += RoutingOffset(codes.routing_length);
  head = head * 10 + static_cast<uint64_t>(d[0] - '0');
  head = head * 5 + static_cast<uint64_t>(d[1] - '0');
  return W(head, EighteenDigits(d + 2));
}

template <class W>
uint32_t FrameCheckOf(const W& value) {
  return ImbFrameCheck(value.High(), value.Low());
}

constexpr uint32_t kLastDivisor = 636;   // codeword J
constexpr uint32_t kDivisor = 1365;      // codewords B..I
constexpr uint32_t kCodewordAMax = 658;  // before the frame check bit is added

}  // namespace

namespace {

// Eight (four) bytes at once are all digits: each has the high nibble 3, and
// a low nibble that 6 more does not carry out of (no carry reaches the next
// byte, whose high nibble stays apart).  The same whatever the byte order.
bool AllDigits8(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0u, kThrees = 0x3030303030303030u;
  return (v & kHigh) == kThrees && ((v + 0x0606060606060606u) & kHigh) == kThrees;
}

bool AllDigits4(const char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return (v & 0xF0F0F0F0u) == 0x30303030u && ((v + 0x06060606u) & 0xF0F0F0F0u) == 0x30303030u;
}

// After 20 tracking digits: separators anywhere, then 0, 5, 9 or 11 digits.
int32_t ParseImbRouting(std::string_view rest, ImbCodes& codes) {
  size_t digits = 0;
  for (char c : rest) {
    if (static_cast<unsigned char>(c - '0') <= 9) {
      if (digits < codes.digits.size() - kImbTrackingDigits) codes.digits[kImbTrackingDigits + digits] = c;
      ++digits;
    } else if (c != '-' && c != ' ') {
      return kImbIllegalCharacter;
    }
  }
  if (codes.digits[1] > '4') return kImbIllegalBarcodeIdentifier;
  codes.routing_length = digits;
  return RoutingOffset(digits) == 0 && digits != 0 ? kImbIncompleteRouting : kOk;
}

}  // namespace

int32_t ParseImbValue(std::string_view value, ImbCodes& codes) {
  // Nearly every value starts with its 20 tracking digits: those are judged
  // together, and the rest, if any, one by one.
  if (value.size() >= kImbTrackingDigits) {
    if (AllDigits8(value.data()) && AllDigits8(value.data() + 8) && AllDigits4(value.data() + 16)) {
      std::memcpy(codes.digits.data(), value.data(), kImbTrackingDigits);
      return ParseImbRouting(value.substr(kImbTrackingDigits), codes);
    }
  }
  // Every character is judged before the counts, so a letter is reported as
  // such whatever the length.
  size_t digits = 0;
  bool separator_in_tracking = false;
  for (char c : value) {
    if (static_cast<unsigned char>(c - '0') <= 9) {
      if (digits < codes.digits.size()) codes.digits[digits] = c;
      ++digits;
    } else if (c == '-' || c == ' ') {
      separator_in_tracking |= digits < kImbTrackingDigits;
    } else {
      return kImbIllegalCharacter;
    }
  }
  if (digits < kImbTrackingDigits) return kImbIncompleteTracking;
  if (separator_in_tracking) return kImbSeparatorInTracking;
  if (codes.digits[1] > '4') return kImbIllegalBarcodeIdentifier;
  codes.routing_length = digits - kImbTrackingDigits;
  if (RoutingOffset(codes.routing_length) == 0 && codes.routing_length != 0) {
    return kImbIncompleteRouting;
  }
  return kOk;
}

constexpr uint64_t kTenTo18 = 1000000000000000000u;


ImbTwoWords::ImbTwoWords(uint64_t head, uint64_t tail) {
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

void ImbTwoWords::MultiplyAdd(uint32_t factor, uint32_t addend) {
  // In 32-bit halves, so no product overflows: low half, high half of the
  // low word with the carry, then the high word with the carry.
  const uint64_t l0 = (low & 0xFFFFFFFFu) * factor + addend;
  const uint64_t l1 = (low >> 32) * factor + (l0 >> 32);
  low = (l1 << 32) | (l0 & 0xFFFFFFFFu);
  high = high * factor + (l1 >> 32);
}

uint32_t ImbTwoWords::DivideBy(uint32_t divisor) {
  // Long division in 32-bit steps: each step divides a 64-bit number whose
  // top half is the remainder so far, below the divisor.
  uint64_t r = high % divisor;
  high /= divisor;
  uint64_t part = (r << 32) | (low >> 32);
  const uint64_t q1 = part / divisor;
  r = part % divisor;
  part = (r << 32) | (low & 0xFFFFFFFFu);
  low = (q1 << 32) | (part / divisor);
  return static_cast<uint32_t>(part % divisor);
}

#if defined(__SIZEOF_INT128__)
ImbInt128::ImbInt128(uint64_t head, uint64_t tail)
    : value(static_cast<unsigned __int128>(head) * kTenTo18 + tail) {}

void ImbInt128::MultiplyAdd(uint32_t factor, uint32_t addend) { value = value * factor + addend; }

uint32_t ImbInt128::DivideBy(uint32_t divisor) {
  // A 128-bit division is a library call; two 64-bit steps, whose divisions by
  // a constant the compiler turns into multiplications, cost far less.  The
  // value is below 2^102, so its high word is below 2^38 and the remainder
  // carried into the second step leaves room for 26 bits: the low word goes
  // in two 32-bit steps.
  uint64_t high = static_cast<uint64_t>(value >> 64);
  const auto low = static_cast<uint64_t>(value);
  uint64_t r = high % divisor;
  high /= divisor;
  uint64_t part = (r << 32) | (low >> 32);
  const uint64_t q1 = part / divisor;
  r = part % divisor;
  part = (r << 32) | (low & 0xFFFFFFFFu);
  value = (static_cast<unsigned __int128>(high) << 64) | (q1 << 32) | (part / divisor);
  return static_cast<uint32_t>(part % divisor);
}

#endif

uint32_t ImbFrameCheck(uint64_t high, uint64_t low) {
  // As 13 bytes, big-endian: bits 101..96 from the first byte (its two top
  // bits are not used) at once; then twelve whole bytes, four from the high
  // word and eight from the low.
  uint32_t fcs = kFrameCheckAfterTopBits[(high >> 32) & 0x3F];
  auto byte = [&fcs](uint64_t b) {
    fcs = ((fcs << 8) & 0x7FF) ^ kFrameCheckBytes[((fcs >> 3) ^ b) & 0xFF];
  };
  for (int shift = 24; shift >= 0; shift -= 8) byte(high >> shift);
  for (int shift = 56; shift >= 0; shift -= 8) byte(low >> shift);
  return fcs;
}

template <class W>
void ImbBars(const ImbCodes& codes, char* bars) {
  W value = BinaryValue<W>(codes);
  const uint32_t fcs = FrameCheckOf(value);
  // Codewords two at a time: J and I from one division by 636 x 1365, then
  // H and G, F and E, D and C by 1365 x 1365; what remains fits a word.
  uint32_t codewords[10];
  uint32_t pair = value.DivideBy(kLastDivisor * kDivisor);
  codewords[9] = (pair % kLastDivisor) * 2;  // J, doubled: its low bit is free
  codewords[8] = pair / kLastDivisor;
  for (size_t i = 7; i >= 3; i -= 2) {
    pair = value.DivideBy(kDivisor * kDivisor);
    codewords[i] = pair % kDivisor;
    codewords[i - 1] = pair / kDivisor;
  }
  const uint64_t rest = value.Low();  // below 659 x 1365
  codewords[1] = static_cast<uint32_t>(rest % kDivisor);
  codewords[0] = static_cast<uint32_t>(rest / kDivisor) + ((fcs & kFrameCheckTop) ? kCodewordAMax + 1 : 0);
  // Frame check bits 0..9 complement characters A..J; each set bit of a
  // character draws its bar part.
  uint32_t characters[10];
  uint64_t descenders = 0;
  uint64_t ascenders = 0;
  for (size_t i = 0; i < 10; ++i) {
    const uint32_t c = CharacterOf(codewords[i]) ^ (((fcs >> i) & 1u) ? kCharacterMask : 0);
    characters[i] = c;
    for (const BarParts& p : {kPieceParts[i][c & 0xF], kPieceParts[i][16 + ((c >> 4) & 0xF)],
                              kPieceParts[i][32 + (c >> 8)]}) {
      descenders |= p.descenders;
      ascenders |= p.ascenders;
    }
  }
  for (size_t g = 0; g < 16; ++g) {
    const size_t four = ((descenders >> (4 * g)) & 0xF) | (((ascenders >> (4 * g)) & 0xF) << 4);
    std::memcpy(bars + 4 * g, kFourBars[four].data(), 4);
  }
  constexpr BarSource kLast = kBarSources[kImbBars - 1];
  bars[kImbBars - 1] = kBarLetters[((characters[kLast.descender_character] >> kLast.descender_bit) & 1u) |
                                   (((characters[kLast.ascender_character] >> kLast.ascender_bit) & 1u) << 1)];
}

template void ImbBars<ImbTwoWords>(const ImbCodes&, char*);
#if defined(__SIZEOF_INT128__)
template void ImbBars<ImbInt128>(const ImbCodes&, char*);
#endif

int32_t EncodeImb(std::string_view value, const Options&, FontString& out) {
  ImbCodes codes;
  if (int32_t rc = ParseImbValue(value, codes)) return rc;
  ImbBars<ImbWide>(codes, out.Extend(kImbBars));
  return kOk;
}

// Reading back ------------------------------------------------------------

namespace {

// The character each bar part asks for, from 65 letters checked to be bars.
void CharactersOfBars(std::string_view bars, std::array<uint16_t, 10>& characters) {
  characters = {};
  for (size_t n = 0; n < kImbBars; ++n) {
    const BarSource& s = kBarSources[n];
    const char c = bars[n];
    if (c == 'D' || c == 'F') characters[s.descender_character] |= uint16_t(1u << s.descender_bit);
    if (c == 'A' || c == 'F') characters[s.ascender_character] |= uint16_t(1u << s.ascender_bit);
  }
}

// The codeword of a character with 2 or 5 bits set, -1 for none.
int CodewordOf(uint32_t character) {
  for (size_t i = 0; i < kFiveOfThirteen.size(); ++i) {
    if (kFiveOfThirteen[i] == character) return static_cast<int>(i);
  }
  for (size_t i = 0; i < kTwoOfThirteen.size(); ++i) {
    if (kTwoOfThirteen[i] == character) return static_cast<int>(kFiveOfThirteen.size() + i);
  }
  return -1;
}

constexpr char kCharacterNames[] = "ABCDEFGHIJ";

bool Damaged(ImbReading& reading, std::string why) {
  reading.damaged = std::move(why);
  return false;
}

// Characters to codewords: a character with 8 or 11 bits set is the
// complement of one with 5 or 2, and says that frame check bit is set.
bool ReadCodewords(ImbReading& reading) {
  for (size_t i = 0; i < 10; ++i) {
    uint32_t c = reading.characters[i];
    const int set = std::popcount(c);
    if (set == 8 || set == 11) {
      c ^= kCharacterMask;
      reading.frame_check_found |= 1u << i;
    } else if (set != 2 && set != 5) {
      return Damaged(reading, std::string("character ") + kCharacterNames[i] + " has " +
                                  std::to_string(set) + " of 13 bar parts; a bar is damaged");
    }
    reading.codewords[i] = static_cast<uint16_t>(CodewordOf(c));
  }
  if (reading.codewords[9] % 2 != 0) return Damaged(reading, "codeword J is odd; a bar is damaged");
  if (reading.codewords[0] > kCodewordAMax) {
    reading.codewords[0] = static_cast<uint16_t>(reading.codewords[0] - (kCodewordAMax + 1));
    reading.frame_check_found |= kFrameCheckTop;
    if (reading.codewords[0] > kCodewordAMax) {
      return Damaged(reading, "codeword A is out of range; a bar is damaged");
    }
  }
  reading.codewords[9] = static_cast<uint16_t>(reading.codewords[9] / 2);
  return true;
}

// The binary value back to the tracking digits (last first) and the routing
// code, whose size tells its length.
bool ReadCodes(ImbWide value, ImbReading& reading) {
  std::string tracking(kImbTrackingDigits, '0');
  for (size_t i = kImbTrackingDigits - 1; i >= 2; --i) {
    tracking[i] = static_cast<char>('0' + value.DivideBy(10));
  }
  tracking[1] = static_cast<char>('0' + value.DivideBy(5));
  tracking[0] = static_cast<char>('0' + value.DivideBy(10));
  uint64_t routing = value.Low();  // below 2^37 here
  size_t length = 0;
  for (size_t l : {11, 9, 5}) {
    if (routing >= RoutingOffset(l)) {
      length = l;
      routing -= RoutingOffset(l);
      break;
    }
  }
  std::string digits(length, '0');
  for (size_t i = length; i-- > 0; routing /= 10) digits[i] = static_cast<char>('0' + routing % 10);
  if (routing != 0) return Damaged(reading, "the routing code is out of range; a bar is damaged");
  reading.tracking = std::move(tracking);
  reading.routing = std::move(digits);
  return true;
}

}  // namespace

bool ReadImbBars(std::string_view bars, ImbReading& reading) {
  reading = {};
  if (bars.size() != kImbBars) {
    return Damaged(reading, std::to_string(bars.size()) + " bars; a symbol has 65");
  }
  for (size_t n = 0; n < kImbBars; ++n) {
    const char c = bars[n];
    if (c != 'A' && c != 'D' && c != 'F' && c != 'T') {
      return Damaged(reading, "byte " + std::to_string(n) + " is no bar (A, D, F or T)");
    }
  }
  CharactersOfBars(bars, reading.characters);
  if (!ReadCodewords(reading)) return false;
  ImbWide value(reading.codewords[0]);
  for (size_t i = 1; i < 9; ++i) value.MultiplyAdd(kDivisor, reading.codewords[i]);
  value.MultiplyAdd(kLastDivisor, reading.codewords[9]);
  if (value.High() >> 38) return Damaged(reading, "the value exceeds 102 bits; a bar is damaged");
  reading.frame_check_expected = FrameCheckOf(value);
  if (reading.frame_check_expected != reading.frame_check_found) {
    return Damaged(reading, "the frame check sequence does not match; a bar is damaged");
  }
  return ReadCodes(value, reading);
}

}  // namespace tavo
