// Aztec Code's bit stuffing (ISO/IEC 24778:2008, 7.3.1.2): the bit stream
// cut into codewords, read from the packed stream a codeword at a time.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "symbologies/aztec/aztec.h"

namespace tavo {
namespace {

// The most codewords of any symbol at each codeword size (6, 8, 10 and 12
// bits: full-range symbols of 2, 8, 22 and 32 layers), so that the check
// words join the data words without moving them.
constexpr std::array<int32_t, 4> kMostWords = {
    AztecSize{false, 2}.TotalWords(), AztecSize{false, 8}.TotalWords(), AztecSize{false, 22}.TotalWords(),
    AztecSize{false, 32}.TotalWords()};
static_assert(kMostWords[0] == 48 && kMostWords[3] == 1664);

// Where stuffing ended: the bits the words take, the padding included,
// and the first word with padding (its index and first bit).
struct Stuffed {
  size_t end = 0, padded_word = 0, padded_at = 0;
};

// The stuffed words of `bits` from bit `at` on, after the first `word`
// words of `words` (those of the bits before it).  The codewords are cut
// from a window of the 64 bits from a bit on (two words of the stream, the
// second shifted in two steps so that a shift of 64 never happens), read
// again when fewer bits than a codeword are left in it.
Stuffed StuffInto(const AztecBits& bits, int32_t word_bits, std::vector<uint16_t>& words, size_t word = 0,
                  size_t at = 0) {
  const size_t n = bits.size(), wb = static_cast<size_t>(word_bits);
  const uint32_t mask = (1u << word_bits) - 2;  // the first word_bits - 1 bits
  const size_t most = word + (n - std::min(n, at)) / (wb - 1) + 1;
  words.reserve(std::max(most, static_cast<size_t>(kMostWords[wb / 2 - 3])));
  words.resize(most);
  uint16_t* const first = words.data();
  uint16_t* out = first + word;
  const uint64_t* data = bits.data();
  Stuffed s;
  s.padded_word = SIZE_MAX;
  uint64_t window = 0;  // the bits from `at` on: `have` of them read
  size_t have = 0;
  while (at < n) {
    if (have < wb) {
      const size_t w = at >> 6, shift = at & 63;
      window = data[w] << shift | (data[w + 1] >> 1) >> (63 - shift);
      have = 64;
    }
    auto w_bits = static_cast<uint32_t>(window >> (64 - wb));
    if (at + wb > n) {  // padding: 1s
      w_bits |= (1u << (at + wb - n)) - 1;
      if (s.padded_word == SIZE_MAX) s.padded_word = static_cast<size_t>(out - first), s.padded_at = at;
    }
    const uint32_t head = w_bits & mask;
    const bool alike = head == mask || head == 0;  // the other bit last, standing for nothing
    *out++ = static_cast<uint16_t>(alike ? head | (head == 0) : w_bits);
    const size_t took = wb - alike;
    window <<= took, have -= took, at += took;
  }
  words.resize(static_cast<size_t>(out - first));
  s.end = at;
  return s;
}

}  // namespace

std::vector<uint16_t> AztecStuff(const AztecBits& bits, int32_t word_bits) {
  std::vector<uint16_t> words;
  StuffInto(bits, word_bits, words);
  return words;
}

std::vector<uint16_t> AztecDataWords(const AztecBits& bits, int32_t word_bits) {
  std::vector<uint16_t> words;
  const Stuffed s = StuffInto(bits, word_bits, words);
  constexpr size_t kBinaryShiftAndLength = 10;
  if (bits.end_mode == kAztecDigit || bits.end_mode == kAztecPunct || s.end - bits.size() < kBinaryShiftAndLength) {
    return words;
  }
  AztecBits latched = bits;
  if (bits.end_mode == kAztecMixed) latched.Append(static_cast<uint32_t>(kAztecLatch[kAztecMixed][kAztecUpper]), 5);
  latched.Append(static_cast<uint32_t>(kAztecLatch[kAztecUpper][kAztecDigit]), 5);  // the same code in Lower
  latched.end_mode = kAztecDigit;
  // The words before the first with padding hold the same bits: only the
  // rest is cut again.
  StuffInto(latched, word_bits, words, s.padded_word, s.padded_at);
  return words;
}

}  // namespace tavo
