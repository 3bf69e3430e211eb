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

// The stuffed words of `bits` into `words`; returns the bits they take,
// the padding included.
size_t StuffInto(const AztecBits& bits, int32_t word_bits, std::vector<uint16_t>& words) {
  const size_t n = bits.size(), wb = static_cast<size_t>(word_bits);
  const uint32_t mask = (1u << word_bits) - 2;  // the first word_bits - 1 bits
  words.reserve(std::max(n / (wb - 1) + 2, static_cast<size_t>(kMostWords[wb / 2 - 3])));
  size_t at = 0;
  while (at < n) {
    auto word = static_cast<uint32_t>(bits.Peek(at) >> (64 - wb));
    if (at + wb > n) word |= (1u << (at + wb - n)) - 1;  // padding: 1s
    const uint32_t head = word & mask;
    if (head == mask || head == 0) {  // all alike: the other bit last, standing for nothing
      word = head == 0 ? 1 : mask;
      at += wb - 1;
    } else {
      at += wb;
    }
    words.push_back(static_cast<uint16_t>(word));
  }
  return at;
}

}  // namespace

std::vector<uint16_t> AztecStuff(const AztecBits& bits, int32_t word_bits) {
  std::vector<uint16_t> words;
  StuffInto(bits, word_bits, words);
  return words;
}

std::vector<uint16_t> AztecDataWords(const AztecBits& bits, int32_t word_bits) {
  std::vector<uint16_t> words;
  const size_t padding = StuffInto(bits, word_bits, words) - bits.size();
  constexpr size_t kBinaryShiftAndLength = 10;
  if (bits.end_mode == kAztecDigit || bits.end_mode == kAztecPunct || padding < kBinaryShiftAndLength) return words;
  AztecBits latched = bits;
  if (bits.end_mode == kAztecMixed) latched.Append(static_cast<uint32_t>(kAztecLatch[kAztecMixed][kAztecUpper]), 5);
  latched.Append(static_cast<uint32_t>(kAztecLatch[kAztecUpper][kAztecDigit]), 5);  // the same code in Lower
  latched.end_mode = kAztecDigit;
  words.clear();
  StuffInto(latched, word_bits, words);
  return words;
}

}  // namespace tavo
