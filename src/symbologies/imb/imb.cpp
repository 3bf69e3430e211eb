// Intelligent Mail barcode (the USPS 4-state customer bar code): a 20-digit
// tracking code and a 0, 5, 9 or 11-digit routing code become one 102-bit
// number, its 11-bit frame check sequence, ten codewords, ten 13-bit
// characters and 65 bars, one font character each: "A" ascender, "D"
// descender, "F" full bar, "T" tracker.  The symbol carries its own check, so
// the caller's check option has no meaning here and is ignored.
#include "symbologies/imb/imb.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "symbologies/encoders.h"

namespace tavo {

using namespace imb;

namespace {

// The bars a character draws among bars 1..64, two bits a bar (bit 0 the
// descender, bit 1 the ascender; bars 1..32 in word 0, 33..64 in word 1), so
// that four bars are one byte.  Looked up half a character at a time: index
// 0..127 for its bits 0..6, 128..191 for bits 7..12.  Bar 65 is read from
// its two character bits directly.
struct alignas(16) BarWords {
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

// Each codeword's character split for the look-ups above: the index of its
// bits 0..6 in the low half, of its bits 7..12 (from 128) in the high half.
constexpr std::array<uint32_t, 1365> kCharacterPieces = [] {
  std::array<uint32_t, 1365> table{};
  for (size_t i = 0; i < table.size(); ++i) {
    const uint32_t c = kCharacters[i];
    table[i] = (c & ((1u << kLowPiece) - 1)) | ((128 + (c >> kLowPiece)) << 16);
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

// Eight bytes from p as a word, the first in the lowest byte.
uint64_t LoadWord(const char* p) {
  uint64_t v = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&v, p, 8);
  } else {
    for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  }
  return v;
}

// A word of eight digit bytes as the number they write, first byte first,
// in three multiplications: pairs, then fours, then the eight.
uint64_t DigitsOfWord(uint64_t v) {
  v -= 0x3030303030303030u;
  v = v * 10 + (v >> 8);
  return (((v & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
          (((v >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >> 32;
}

bool WordAllDigits(uint64_t v) {
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0u, kThrees = 0x3030303030303030u;
  return (v & kHigh) == kThrees && ((v + 0x0606060606060606u) & kHigh) == kThrees;
}

uint64_t EightDigits(const char* p) { return DigitsOfWord(LoadWord(p)); }

uint64_t EighteenDigits(const char* p) {
  return (EightDigits(p) * 100000000 + EightDigits(p + 8)) * 100 +
         static_cast<uint64_t>(p[16] - '0') * 10 + static_cast<uint64_t>(p[17] - '0');
}

// The binary value is head x 10^18 + tail: head is the routing code plus its
// offset, times 10, plus tracking digit 1, times 5, plus digit 2 (below 2^43),
// and tail the number the other 18 digits form (each a digit more, times 10).
struct HeadTail {
  uint64_t head = 0;
  uint64_t tail = 0;
};

HeadTail HeadTailOf(const ImbCodes& codes) {
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
  return {head, EighteenDigits(d + 2)};
}

// The codewords from head and tail without 128-bit division.  With
// 10^18 = kA1 x P + kB1 (P = 636 x 1365, codewords J and I) and
// kA1 = kA2 x Q + kB2 (Q = 1365 x 1365, H and G):
//   value     = head x kA1 x P + s,      s = head x kB1 + tail
//   value / P = head x kA2 x Q + w,      w = head x kB2 + s / P
//   value / (P x Q) = head x kA2 + w / Q
// and every one of these fits a 64-bit word (the asserts).
inline constexpr uint64_t kPairJI = uint64_t{kLastDivisor} * kDivisor;
inline constexpr uint64_t kPairHG = uint64_t{kDivisor} * kDivisor;
inline constexpr uint64_t kA1 = kTenTo18 / kPairJI, kB1 = kTenTo18 % kPairJI;
inline constexpr uint64_t kA2 = kA1 / kPairHG, kB2 = kA1 % kPairHG;
inline constexpr uint64_t kMaxHead = ((99999999999u + RoutingOffset(11)) * 10 + 9) * 5 + 4;
inline constexpr uint64_t kWordMax = ~uint64_t{0};
static_assert(kMaxHead <= (kWordMax - (kTenTo18 - 1)) / kB1, "s fits");
static_assert(kMaxHead <= (kWordMax - kWordMax / kPairJI) / kB2, "w fits");
static_assert(kMaxHead <= (kWordMax - kWordMax / kPairHG) / kA2, "the quotient fits");

// x / D for x below 2^21 by one multiplication: with M = ceil(2^40 / D) and
// M x D = 2^40 + e, x x M / 2^40 = x / D + x x e / (D x 2^40), and the second
// part stays below 1 / D while x x e < 2^40.
template <uint32_t D>
constexpr uint32_t Quotient21(uint32_t x) {
  constexpr uint64_t kM = ((uint64_t{1} << 40) + D - 1) / D;
  static_assert((kM * D - (uint64_t{1} << 40)) << 21 < (uint64_t{1} << 40));
  return static_cast<uint32_t>((x * kM) >> 40);
}

// A codeword pair below 2^21 split by D: the high codeword into `high`,
// the low one returned.
template <uint32_t D>
uint32_t SplitPair(uint32_t pair, uint32_t& high) {
  high = Quotient21<D>(pair);
  return pair - high * D;
}

void CodewordsOf(HeadTail v, uint32_t fcs, uint32_t codewords[10]) {
  const uint64_t s = v.head * kB1 + v.tail;
  const auto ji = static_cast<uint32_t>(s % kPairJI);
  const uint64_t w = v.head * kB2 + s / kPairJI;
  const auto hg = static_cast<uint32_t>(w % kPairHG);
  uint64_t rest = v.head * kA2 + w / kPairHG;  // below 659 x 1365^5 (under 2^62)
  codewords[9] = SplitPair<kLastDivisor>(ji, codewords[8]) * 2;  // J, doubled: its low bit is free
  codewords[7] = SplitPair<kDivisor>(hg, codewords[6]);
  // F and E, D and C two at a time; B and A are what is left.
  for (size_t i = 5; i >= 3; i -= 2) {
    const auto pair = static_cast<uint32_t>(rest % kPairHG);
    rest /= kPairHG;
    codewords[i] = SplitPair<kDivisor>(pair, codewords[i - 1]);
  }
  // rest is now below 659 x 1365
  codewords[1] = SplitPair<kDivisor>(static_cast<uint32_t>(rest), codewords[0]);
  codewords[0] += (fcs & kFrameCheckTop) ? kCodewordAMax + 1 : 0;
}

// Eight (four) bytes at once are all digits: each has the high nibble 3, and
// a low nibble that 6 more does not carry out of (no carry reaches the next
// byte, whose high nibble stays apart).
bool AllDigits8(const char* p) { return WordAllDigits(LoadWord(p)); }

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

// The usual form of a value, read and turned into its binary value in one
// pass: 20 tracking digits, then nothing or a hyphen and 5, 9 or 11 routing
// digits, with a barcode identifier whose second digit is 0..4.  The value
// is head x 10^18 + tail (see HeadTail).  False for anything else, which
// ParseImbValue then judges.
bool UsualValue(std::string_view value, HeadTail& v) {
  uint64_t& head = v.head;
  const char* const p = value.data();
  const size_t routing = value.size() - kTrackingDigits - 1;
  if (value.size() == kTrackingDigits) {
    head = 0;
  } else if (value.size() > kTrackingDigits && p[kTrackingDigits] == '-' && RoutingOffset(routing) != 0) {
    // The last eight bytes (those before a 5-digit code read as '0'), then
    // the one or three digits before them.
    const char* const end = p + value.size();
    const uint64_t keep = routing >= 8 ? ~uint64_t{0} : ~uint64_t{0} << (8 * (8 - routing));
    const uint64_t last = (LoadWord(end - 8) & keep) | (0x3030303030303030u & ~keep);
    if (!WordAllDigits(last)) return false;
    uint64_t first = 0;
    for (const char* q = p + kTrackingDigits + 1; q < end - 8; ++q) {
      const auto digit = static_cast<unsigned char>(*q - '0');
      if (digit > 9) return false;
      first = first * 10 + digit;
    }
    head = first * 100000000 + DigitsOfWord(last) + RoutingOffset(routing);
  } else {
    return false;
  }
  // The tracking code: bytes 0..7, 8..15 and 12..19.
  if (!WordAllDigits(LoadWord(p)) || !WordAllDigits(LoadWord(p + 8)) || !WordAllDigits(LoadWord(p + 12)) ||
      p[1] > '4') {
    return false;
  }
  head = (head * 10 + static_cast<uint64_t>(p[0] - '0')) * 5 + static_cast<uint64_t>(p[1] - '0');
  // Digits 2..19: 2..9 and 10..17 as two words, then 18 and 19.
  v.tail = (DigitsOfWord(LoadWord(p + 2)) * 100000000 + DigitsOfWord(LoadWord(p + 10))) * 100 +
           static_cast<uint64_t>(p[18] - '0') * 10 + static_cast<uint64_t>(p[19] - '0');
  return true;
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

// Bars 1..64 of the codewords as bit pairs (see kPieceBars).  Each set bit
// of a character draws its bar part, and frame check bit i complements
// character i.  The parts of different characters are disjoint, so the
// complements are applied at the end: the parts of all 13 bits of each
// complemented character, looked up five characters at a time.  Both words
// at once in one register where SSE2 is.
void BarWordsOf(const uint32_t codewords[10], uint32_t fcs, uint64_t words[2]) {
  const BarWords& first = kComplements[fcs & 0x1F];
  const BarWords& second = kComplements[32 + ((fcs >> 5) & 0x1F)];
#if defined(__SSE2__)
  auto load = [](const BarWords& b) { return _mm_load_si128(reinterpret_cast<const __m128i*>(b.w)); };
  __m128i bits = _mm_xor_si128(load(first), load(second));
  for (size_t i = 0; i < 10; ++i) {
    const uint32_t pieces = kCharacterPieces[codewords[i]];
    bits = _mm_xor_si128(bits, _mm_or_si128(load(kPieceBars[i][pieces & 0xFFFF]), load(kPieceBars[i][pieces >> 16])));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(words), bits);
#else
  words[0] = first.w[0] ^ second.w[0];
  words[1] = first.w[1] ^ second.w[1];
  for (size_t i = 0; i < 10; ++i) {
    const uint32_t pieces = kCharacterPieces[codewords[i]];
    const BarWords& low = kPieceBars[i][pieces & 0xFFFF];
    const BarWords& high = kPieceBars[i][pieces >> 16];
    words[0] ^= low.w[0] | high.w[0];
    words[1] ^= low.w[1] | high.w[1];
  }
#endif
}

// The 65 bars of a binary value; the word layout W computes its bits for
// the frame check.
template <class W>
void BarsOf(HeadTail v, char* bars) {
  const W value(v.head, v.tail);
  const uint32_t fcs = FrameCheck(value.High(), value.Low());
  uint32_t codewords[10];
  CodewordsOf(v, fcs, codewords);
  uint64_t words[2];
  BarWordsOf(codewords, fcs, words);
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

template <class W>
void ImbBars(const ImbCodes& codes, char* bars) {
  BarsOf<W>(HeadTailOf(codes), bars);
}

template void ImbBars<TwoWords>(const ImbCodes&, char*);
#if defined(__SIZEOF_INT128__)
template void ImbBars<Int128>(const ImbCodes&, char*);
#endif

int32_t EncodeImb(std::string_view value, const Options&, FontString& out) {
  HeadTail v;
  if (UsualValue(value, v)) {
    BarsOf<Wide>(v, out.Extend(kBars));
    return kOk;
  }
  ImbCodes codes;
  if (int32_t rc = ParseImbValue(value, codes)) return rc;
  ImbBars<Wide>(codes, out.Extend(kBars));
  return kOk;
}

}  // namespace tavo
