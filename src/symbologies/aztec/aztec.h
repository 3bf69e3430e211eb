// Aztec Code (ISO/IEC 24778): value -> bit stream of the five character
// modes and binary shifts -> stuffed codewords -> Reed-Solomon -> mode
// message, layers, bullseye and reference grid -> font text (2x3-module
// blocks, one light module around the symbol).  Reading it back is
// src/readers/aztec/aztec_reader.h.
//
// The `check` argument is ec_percent + 128 * size:
//   ec_percent (0..127): 0 is the recommended 23% of the codewords + 3; 5 to
//     95 asks for that share of the codewords (+ 3) as error correction;
//   size (0..36): 0 picks the smallest symbol that holds the value; 1 to 4
//     are the compact symbols of 1 to 4 layers, 5 to 36 the full-range ones
//     of 1 to 32 layers (the numbering zint's --vers uses).  A size given
//     without ec_percent asks only for 3 error correction codewords.
// Anything else is kInvalidCheckOption; a value that fits no symbol (or not
// the one asked for) is kTooLongForLargestSymbol.
//
// A value with a byte above 127 is taken as UTF-8 and said so with ECI 26,
// FLG(2) "26", first in the symbol.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "interface/font_string.h"
#include "symbologies/matrix/matrix_text.h"

namespace tavo {

inline constexpr int32_t kAztecQuietZone = 1;
inline constexpr int32_t kAztecDefaultEcPercent = 23;
inline constexpr int32_t kAztecEcExtraWords = 3;
inline constexpr int32_t kAztecSizes = 36;  // 4 compact, 32 full-range

// The character modes (ISO/IEC 24778:2008, 7.3.1, Table 2).
enum AztecMode : uint8_t { kAztecUpper, kAztecLower, kAztecMixed, kAztecPunct, kAztecDigit };
inline constexpr int kAztecModes = 5;

// Each mode's characters by code (ISO/IEC 24778:2008, Table 2).  A NUL marks
// a code that is no single character: the shifts and latches, Punct's FLG(n)
// (code 0) and its two-character codes 2 to 5 (kAztecPunctPairs).  Upper,
// Lower and Mixed have 32 codes of 5 bits, Punct too, Digit 16 of 4 bits.
using namespace std::string_view_literals;
inline constexpr std::array<std::string_view, kAztecModes> kAztecChars = {
    "\0 ABCDEFGHIJKLMNOPQRSTUVWXYZ\0\0\0\0"sv,
    "\0 abcdefghijklmnopqrstuvwxyz\0\0\0\0"sv,
    "\0 \x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x1b\x1c\x1d\x1e\x1f@\\^_`|~\x7f\0\0\0\0"sv,
    "\0\r\0\0\0\0!\"#$%&'()*+,-./:;<=>?[]{}\0"sv,
    "\0 0123456789,.\0\0"sv,
};
inline constexpr std::array<std::string_view, 4> kAztecPunctPairs = {"\r\n", ". ", ", ", ": "};
static_assert(kAztecPunctPairs[0][1] == '\n' && kAztecPunctPairs[1][1] == ' ' && kAztecPunctPairs[2][1] == ' ' &&
              kAztecPunctPairs[3][1] == ' ');
inline constexpr int kAztecFirstPunctPair = 2;

// The shift and latch codes (Table 2).  Binary shift is code 31 of Upper,
// Lower and Mixed; Punct shift code 0 of every mode but Punct.
inline constexpr int kAztecBinaryShift = 31;
inline constexpr int kAztecPunctShift = 0;
inline constexpr int kAztecUpperShiftLower = 28;
inline constexpr int kAztecUpperShiftDigit = 15;
inline constexpr int kAztecFlg = 0;  // Punct's FLG(n)

constexpr int AztecCodeBits(int mode) { return mode == kAztecDigit ? 4 : 5; }

// The one-code latches (Table 2): the code of mode `from` that latches to
// mode `to`, or -1 where it takes two or three codes.
inline constexpr int kAztecLatch[kAztecModes][kAztecModes] = {
    // to U  L   M   P   D
    {-1, 28, 29, -1, 30},   // from Upper
    {-1, -1, 29, -1, 30},   // from Lower
    {29, 28, -1, 30, -1},   // from Mixed
    {31, -1, -1, -1, -1},   // from Punct
    {14, -1, -1, -1, -1},   // from Digit
};

// One symbol size: compact (1-4 layers) or full-range (1-32).
struct AztecSize {
  bool compact = true;
  int32_t layers = 1;
  constexpr int32_t Number() const { return compact ? layers : layers + 4; }  // zint's --vers
  // Modules across, the reference grid included.
  constexpr int32_t Width() const {
    const int32_t base = (compact ? 11 : 14) + 4 * layers;
    return compact ? base : base + 1 + 2 * ((base / 2 - 1) / 15);
  }
  constexpr int32_t BaseWidth() const { return (compact ? 11 : 14) + 4 * layers; }
  constexpr int32_t LayerBits() const { return ((compact ? 88 : 112) + 16 * layers) * layers; }
  constexpr int32_t WordBits() const { return layers <= 2 ? 6 : layers <= 8 ? 8 : layers <= 22 ? 10 : 12; }
  constexpr int32_t TotalWords() const { return LayerBits() / WordBits(); }
  constexpr int32_t MaxDataWords() const { return compact ? 64 : 2048; }  // the mode message's field
  constexpr int32_t ModeMessageWords() const { return compact ? 7 : 10; }
  constexpr int32_t ModeMessageDataWords() const { return compact ? 2 : 4; }
  constexpr int32_t BullseyeRadius() const { return compact ? 5 : 7; }  // its outer ring and marks
};

// The size of a zint --vers number, 1..36.
constexpr AztecSize AztecSizeOf(int32_t number) {
  return number <= 4 ? AztecSize{true, number} : AztecSize{false, number - 4};
}

// Reed-Solomon fields of the codewords (ISO/IEC 24778:2008, 7.2.3): the
// field polynomial of each codeword size; the generator's first root is 1.
// The mode message is in GF(16), x^4 + x + 1.
constexpr unsigned AztecFieldPolynomial(int32_t word_bits) {
  return word_bits == 4 ? 0x13 : word_bits == 6 ? 0x43 : word_bits == 8 ? 0x12D : word_bits == 10 ? 0x409 : 0x1069;
}

// A stream of bits, most significant first, packed into 64-bit words.
// Past the last bit the words are 0, and at least one whole word of 0s
// follows it, so that reading 64 bits from any bit before the end needs no
// test.
class AztecBits {
 public:
  int end_mode = kAztecUpper;  // the mode latched at the end

  // Room for `more` bits after the end; the words written directly
  // (AztecBitWriter) then count themselves with Grow.
  uint64_t* Reserve(size_t more) {
    const size_t words = (count_ + more) / 64 + 2;
    if (words_.size() < words) words_.resize(words, 0);
    return words_.data();
  }
  void Grow(size_t bits) { count_ += bits; }
  // The `count` (1 to 64) low bits of `value`, whose higher bits are 0.
  void Append(uint64_t value, int count) {
    const size_t w = count_ >> 6;
    const int room = 64 - static_cast<int>(count_ & 63);
    Reserve(static_cast<size_t>(count));
    count_ += static_cast<size_t>(count);
    if (count <= room) {
      words_[w] |= value << (room - count);
    } else {
      words_[w] |= value >> (count - room);
      words_[w + 1] |= value << (64 - (count - room));
    }
  }
  // The 64 bits from bit `at` (before the end) on, 0s past the end.
  uint64_t Peek(size_t at) const {
    const size_t w = at >> 6;
    const auto shift = static_cast<int>(at & 63);
    const uint64_t high = words_[w] << shift;
    return shift == 0 ? high : high | words_[w + 1] >> (64 - shift);
  }
  size_t size() const { return count_; }
  // The words: the bits from the first word's top, and the words of 0s
  // after them (no fewer than one whole word past the last bit).
  const uint64_t* data() const { return words_.data(); }
  // One bit a byte, as the reader takes them.
  std::vector<uint8_t> Unpacked() const {
    std::vector<uint8_t> out(count_);
    for (size_t i = 0; i < count_; ++i) out[i] = static_cast<uint8_t>(words_[i >> 6] >> (63 - (i & 63)) & 1);
    return out;
  }

 private:
  std::vector<uint64_t> words_;
  size_t count_ = 0;
};

// Appends to an AztecBits through a word held in a register: room for
// `most` bits is made first, and the bits written join the stream on
// Finish.
class AztecBitWriter {
 public:
  AztecBitWriter(AztecBits& bits, size_t most)
      : bits_(bits), at_(bits.Reserve(most) + bits.size() / 64), word_(*at_),
        used_(static_cast<int>(bits.size() & 63)) {}
  // The `count` (1 to 64) low bits of `value`, whose higher bits are 0.
  void Put(uint64_t value, int count) {
    written_ += static_cast<size_t>(count);
    const int room = 64 - used_;
    if (count < room) {
      word_ |= value << (room - count);
      used_ += count;
      return;
    }
    const int spill = count - room;  // 0 to 63
    *at_++ = word_ | value >> spill;
    word_ = (value << 1) << (63 - spill);  // 0 when nothing spills
    used_ = spill;
  }
  void Finish() {
    *at_ = word_;
    bits_.Grow(written_);
  }

 private:
  AztecBits& bits_;
  uint64_t* at_;
  uint64_t word_;
  int used_;
  size_t written_ = 0;
};

// The shortest bit stream of the modes and binary shifts for `value`
// (ISO/IEC 24778:2008, 7.3), with ECI 26 first when `utf8_eci`.
void AztecEncodation(std::string_view value, bool utf8_eci, AztecBits& out);

// The bits cut into codewords of `word_bits` with bit stuffing (7.3.1.2): a
// codeword whose first word_bits - 1 bits are all 0 or all 1 takes the
// opposite bit last and leaves the next bit to the next codeword; the last
// codeword is padded with 1s.
std::vector<uint16_t> AztecStuff(const AztecBits& bits, int32_t word_bits);

// The data words of the bits at a codeword size.  Padding of 10 or 11 1s
// (12-bit words) after Upper, Lower or Mixed would read as a binary shift
// of 31 bytes that are not there (zxing-cpp then reads 31 bytes of the
// check words); a latch to Digit first leaves padding that reads as
// nothing.
std::vector<uint16_t> AztecDataWords(const AztecBits& bits, int32_t word_bits);

// The check words of the data words of a symbol of `total` words in the
// field of `word_bits`, appended to `words`.
void AztecAppendEcc(std::vector<uint16_t>& words, int32_t total, int32_t word_bits);

// The mode message's 7 or 10 words of 4 bits, check words included.
std::vector<uint16_t> AztecModeMessage(const AztecSize& size, int32_t data_words);

// Module positions: the layer bits' modules, in the order of the symbol's
// bit stream (the padding bits first, then the codewords), and the symbol's
// fixed patterns.  The reader walks the same positions.
struct AztecModule {
  int16_t x, y;
};
std::vector<AztecModule> AztecLayerModules(const AztecSize& size);
std::vector<AztecModule> AztecModeMessageModules(const AztecSize& size);
// The bullseye, orientation marks and reference grid: every module whose
// colour is fixed, with that colour.
struct AztecFixedModule {
  int16_t x, y;
  bool dark;
};
std::vector<AztecFixedModule> AztecFixedModules(const AztecSize& size);

// The whole symbol of `words` (data and check words) at a size.
ModuleGrid AztecSymbol(const AztecSize& size, const std::vector<uint16_t>& words, int32_t data_words);
// The same symbol appended as font text (AppendMatrixText with the quiet
// zone), laid out as rows of bits.
void AztecAppendSymbolText(const AztecSize& size, const std::vector<uint16_t>& words, int32_t data_words,
                           FontString& out);

// The error correction words a size needs for `ec_percent` (0: none, just
// the 3 extra words): the share of all its words, rounded down, + 3 (the
// rounding zint's capacity tables follow, so no symbol of ours is larger).
constexpr int32_t AztecMinEccWords(const AztecSize& size, int32_t ec_percent) {
  return size.TotalWords() * ec_percent / 100 + kAztecEcExtraWords;
}

}  // namespace tavo
