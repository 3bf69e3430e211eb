// The error correction of PDF417 and MicroPDF417 against the generic
// Reed-Solomon encoder (symbologies/matrix/reed_solomon.h) over GF(929):
// the same codewords for every count the compiler builds a table for and
// for those built when asked, data of odd and even length, and the largest
// sums the division can gather (every codeword 928, the longest blocks).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "symbologies/pdf417/pdf417_reed_solomon.h"

namespace tavo::pdf417 {
namespace {

std::vector<uint16_t> ByTheGenericEncoder(const std::vector<uint16_t>& data, int count) {
  const auto generator = reed_solomon::MakeGenerator<kMaxErrorCodewords>(kField, count, kFirstRoot);
  reed_solomon::Encoder<decltype(kField), kMaxErrorCodewords> encoder(kField, generator);
  for (uint16_t d : data) encoder.Push(d);
  std::vector<uint16_t> ec(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) ec[static_cast<size_t>(k)] = encoder.Ecc(k);
  return ec;
}

TEST(Pdf417ReedSolomon, SameAsTheGenericEncoder) {
  std::vector<int> counts;
  for (int n = 1; n <= 70; ++n) counts.push_back(n);  // every table built at compile time, and a few not
  for (int n : {100, 127, 128, 129, 256, 313, 512}) counts.push_back(n);
  std::mt19937 rng(929);
  for (int count : counts) {
    const int room = 928 - count;  // the longest block PDF417 holds
    for (int length : {0, 1, 2, 3, 8, 41, room - 1, room}) {
      if (length < 0 || length > room) continue;
      for (bool largest : {false, true}) {
        std::vector<uint16_t> data(static_cast<size_t>(length), 928);
        if (!largest) {
          for (uint16_t& d : data) d = static_cast<uint16_t>(rng() % 929);
        }
        const std::vector<uint16_t> want = ByTheGenericEncoder(data, count);
        EXPECT_EQ(ErrorCodewords(data, count), want) << count << " codewords after " << length;
      }
    }
  }
}

// The span form writes its codewords and nothing beside them.
TEST(Pdf417ReedSolomon, WritesOnlyTheCodewordsAskedFor) {
  const std::vector<uint16_t> data = {5, 453, 178, 121, 239, 900, 900};
  for (int count : {2, 7, 26, 50, 64, 200}) {
    std::vector<uint16_t> buffer(static_cast<size_t>(count) + 2, 0xBEEF);
    ErrorCodewords(data, std::span<uint16_t>(buffer).subspan(1, static_cast<size_t>(count)));
    EXPECT_EQ(buffer.front(), 0xBEEF) << count;
    EXPECT_EQ(buffer.back(), 0xBEEF) << count;
    EXPECT_EQ(std::vector<uint16_t>(buffer.begin() + 1, buffer.end() - 1), ByTheGenericEncoder(data, count)) << count;
  }
}

}  // namespace
}  // namespace tavo::pdf417
