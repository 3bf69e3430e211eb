// Intelligent Mail barcode (the USPS 4-state customer bar code): a 20-digit
// tracking code and a 0, 5, 9 or 11-digit routing code become one 102-bit
// number, its 11-bit frame check sequence, ten codewords, ten 13-bit
// characters and 65 bars, one font character each: "A" ascender, "D"
// descender, "F" full bar, "T" tracker.  The symbol carries its own check, so
// the caller's check option has no meaning here and is ignored.
#include "symbologies/imb/imb.h"

#include <bit>
#include <cstring>

#include "symbologies/encoders.h"

namespace tavo {

using namespace imb;

namespace {

// The bars a character draws among bars 1..64, two bits a bar (bit 0 the
// descender, bit 1 the ascender; bars 1..32 in word 0, 33..64 in word 1), so
// that four bars are one byte.  Looked up half a character at a time: index
// 0..127 for its bits 0..6, 128..191 for bits 7..12.  Bar 65 is read from
// its two character bits directly.
struct BarWords {
  uint64_t w[2] = {0, 0};
};

inline constexpr size_t kLowPiece = 7;  // character bits in the first look-up

constexpr std::array<std::array<BarWords, 192>, 10> kPieceBars = [] {
  std::array<std::array<BarWords, 192>, 10> table{};
  for (size_t c = 0; c < 10; ++c) {
    for (uint32_t v = 0; v < 192; ++v) {
      const uint32_t bits = v < 128 ? v : (v - 128) << kLowPiece;
      for (size_t b = 0; b < 13; ++b) {
        if (!((bits >> b) & 1u)) continue;
        const size_t n = kBarParts[c][b];
        const bool descender = n <= kBars;
        const size_t bar = descender ? n - 1 : n - kBars - 1;
        if (bar >= 64) continue;
        const size_t place = 2 * bar + (descender ? 0 : 1);
        table[c][v].w[place / 64] |= uint64_t{1} << (place % 64);
      }
    }
  }
  return table;
}();

// What complementing characters changes among bars 1..64: index 0..31 for
// characters A..E (bit k of the index for character k), 32..63 for F..J.
constexpr std::array<BarWords, 64> kComplements = [] {
  std::array<BarWords, 64> table{};
  for (size_t v = 0; v < 64; ++v) {
    for (size_t k = 0; k < 5; ++k) {
      if (!((v >> k) & 1u)) continue;
      const size_t c = (v < 32 ? 0 : 5) + k;
      for (size_t w = 0; w < 2; ++w) {
        table[v].w[w] ^= kPieceBars[c][(1u << kLowPiece) - 1].w[w] ^ kPieceBars[c][191].w[w];
      }
    }
  }
  return table;
}();

// Four bars at once: the letters of the four bars whose parts are the two
// bit pairs of the index, lowest first.
constexpr std::array<std::array<char, 4>, 256> kFourBars = [] {
  std::array<std::array<char, 4>, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    for (unsigned k = 0; k < 4; ++k) t[i][k] = kBarLetters[(i >> (2 * k)) & 3u];
  }
  return t;
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
  // A routing code of 9 or 11 digits: its first eight at once.
  size_t i = 0;
  uint64_t head = 0;
  if (codes.routing_length >= 8) {
    head = EightDigits(d + kTrackingDigits);
    i = 8;
  }
  for (; i < codes.routing_length; ++i) head = head * 10 + static_cast<uint64_t>(d[kTrackingDigits + i] - '0');
  head += RoutingOffset(codes.routing_length);
  head = head * 10 + static_cast<uint64_t>(d[0] - '0');
  head = head * 5 + static_cast<uint64_t>(d[1] - '0');
  return W(head, EighteenDigits(d + 2));
}

template <class W>
uint32_t FrameCheckOf(const W& value) {
  return FrameCheck(value.High(), value.Low());
}

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

// n bytes are all digits: eight, then four at a time, then one by one.
bool AllDigits(const char* p, size_t n) {
  for (; n >= 8; p += 8, n -= 8) {
    if (!AllDigits8(p)) return false;
  }
  if (n >= 4) {
    if (!AllDigits4(p)) return false;
    p += 4;
    n -= 4;
  }
  for (; n > 0; ++p, --n) {
    if (static_cast<unsigned char>(*p - '0') > 9) return false;
  }
  return true;
}

// After 20 tracking digits: separators anywhere, then 0, 5, 9 or 11 digits.
int32_t ParseImbRouting(std::string_view rest, ImbCodes& codes) {
  // The usual form, a hyphen and the whole routing code, judged at once.
  const size_t n = rest.size() - 1;
  if (!rest.empty() && rest[0] == '-' && RoutingOffset(n) != 0 && AllDigits(rest.data() + 1, n)) {
    std::memcpy(codes.digits.data() + kTrackingDigits, rest.data() + 1, n);
    if (codes.digits[1] > '4') return kImbIllegalBarcodeIdentifier;
    codes.routing_length = n;
    return kOk;
  }
  size_t digits = 0;
  for (char c : rest) {
    if (static_cast<unsigned char>(c - '0') <= 9) {
      if (digits < codes.digits.size() - kTrackingDigits) codes.digits[kTrackingDigits + digits] = c;
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
  if (value.size() >= kTrackingDigits) {
    if (AllDigits8(value.data()) && AllDigits8(value.data() + 8) && AllDigits4(value.data() + 16)) {
      std::memcpy(codes.digits.data(), value.data(), kTrackingDigits);
      return ParseImbRouting(std::string_view(value.data() + kTrackingDigits, value.size() - kTrackingDigits), codes);
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
      separator_in_tracking |= digits < kTrackingDigits;
    } else {
      return kImbIllegalCharacter;
    }
  }
  if (digits < kTrackingDigits) return kImbIncompleteTracking;
  if (separator_in_tracking) return kImbSeparatorInTracking;
  if (codes.digits[1] > '4') return kImbIllegalBarcodeIdentifier;
  codes.routing_length = digits - kTrackingDigits;
  if (RoutingOffset(codes.routing_length) == 0 && codes.routing_length != 0) {
    return kImbIncompleteRouting;
  }
  return kOk;
}

template <class W>
void ImbBars(const ImbCodes& codes, char* bars) {
  W value = BinaryValue<W>(codes);
  const uint32_t fcs = FrameCheckOf(value);
  // Codewords two at a time: J and I from one division by 636 x 1365, then
  // H and G by 1365 x 1365 in the wide layout.  What remains is below
  // 659 x 1365^5 (under 2^62), so F and E, D and C are divided out of one
  // word, and B and A are what is left.
  uint32_t codewords[10];
  uint32_t pair = value.DivideBy(kLastDivisor * kDivisor);
  codewords[9] = (pair % kLastDivisor) * 2;  // J, doubled: its low bit is free
  codewords[8] = pair / kLastDivisor;
  pair = value.DivideBy(kDivisor * kDivisor);
  codewords[7] = pair % kDivisor;
  codewords[6] = pair / kDivisor;
  uint64_t rest = value.Low();
  for (size_t i = 5; i >= 3; i -= 2) {
    pair = static_cast<uint32_t>(rest % (kDivisor * kDivisor));
    rest /= kDivisor * kDivisor;
    codewords[i] = pair % kDivisor;
    codewords[i - 1] = pair / kDivisor;
  }
  // rest is now below 659 x 1365
  codewords[1] = static_cast<uint32_t>(rest % kDivisor);
  codewords[0] = static_cast<uint32_t>(rest / kDivisor) + ((fcs & kFrameCheckTop) ? kCodewordAMax + 1 : 0);
  // Each set bit of a character draws its bar part, and frame check bit i
  // complements character i.  The parts of different characters are
  // disjoint, so the complements are applied to the words at the end: the
  // parts of all 13 bits of each complemented character, looked up five
  // characters at a time.
  uint64_t words[2] = {0, 0};
  for (size_t i = 0; i < 10; ++i) {
    const uint32_t c = CharacterOf(codewords[i]);
    const BarWords& low = kPieceBars[i][c & ((1u << kLowPiece) - 1)];
    const BarWords& high = kPieceBars[i][128 + (c >> kLowPiece)];
    words[0] |= low.w[0] | high.w[0];
    words[1] |= low.w[1] | high.w[1];
  }
  const BarWords& first = kComplements[fcs & 0x1F];
  const BarWords& second = kComplements[32 + ((fcs >> 5) & 0x1F)];
  words[0] ^= first.w[0] ^ second.w[0];
  words[1] ^= first.w[1] ^ second.w[1];
  for (size_t g = 0; g < 16; ++g) {
    std::memcpy(bars + 4 * g, kFourBars[(words[g / 8] >> (8 * (g % 8))) & 0xFF].data(), 4);
  }
  constexpr BarSource kLast = kBarSources[kBars - 1];
  auto part = [&](size_t character, size_t bit) {
    return ((CharacterOf(codewords[character]) >> bit) ^ (fcs >> character)) & 1u;
  };
  bars[kBars - 1] = kBarLetters[part(kLast.descender_character, kLast.descender_bit) |
                                (part(kLast.ascender_character, kLast.ascender_bit) << 1)];
}

template void ImbBars<TwoWords>(const ImbCodes&, char*);
#if defined(__SIZEOF_INT128__)
template void ImbBars<Int128>(const ImbCodes&, char*);
#endif

int32_t EncodeImb(std::string_view value, const Options&, FontString& out) {
  ImbCodes codes;
  if (int32_t rc = ParseImbValue(value, codes)) return rc;
  ImbBars<Wide>(codes, out.Extend(kBars));
  return kOk;
}

}  // namespace tavo
