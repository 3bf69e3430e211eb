// The shared core of PDF417 and MicroPDF417: compaction against the
// model's decompaction, the codeword counts of the modes, the error
// correction against the syndromes, and the pattern table against its
// inverse.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "pdf417/pdf417_decompact.h"
#include "pdf417/pdf417_patterns_lookup.h"
#include "symbologies/pdf417/pdf417_compaction.h"
#include "symbologies/pdf417/pdf417_patterns.h"
#include "symbologies/pdf417/pdf417_reed_solomon.h"

namespace tavo::pdf417 {
namespace {

std::vector<uint16_t> Codewords(std::string_view bytes, int eci = -1) {
  std::vector<uint16_t> out;
  Compact(bytes, eci, out);
  return out;
}

void ExpectRoundTrip(std::string_view bytes, int eci = -1) {
  const std::vector<uint16_t> cw = Codewords(bytes, eci);
  Decompacted back;
  ASSERT_TRUE(Decompact(cw, back)) << bytes;
  EXPECT_EQ(back.bytes, bytes);
  EXPECT_EQ(back.eci, eci);
}

// Values with the codeword count that the best mix of the three modes takes,
// counted by hand from ISO/IEC 15438:2015, 5.4.
struct CountCase {
  std::string value;
  size_t codewords;
  const char* why;
};

TEST(Pdf417Compaction, CountsOfTheBestMix) {
  const std::vector<CountCase> cases = {
      {"", 0, "nothing"},
      {"A", 1, "one Alpha value and the pad"},
      {"ABCD", 2, "Alpha, two to a codeword"},
      {"abcd", 3, "ll and four Lower values"},
      {"abCd", 3, "as shifts one capital in Lower"},
      {"AB;CD", 3, "ps shifts one punctuation mark"},
      {"1234567890123", 6, "902 and 13 digits in 5 codewords beat Mixed's 7"},
      {std::string(44, '7'), 16, "a full group of 44 digits takes 15 codewords"},
      {std::string(45, '7'), 17, "the 45th digit opens a group"},
      {"123", 2, "ml and three Mixed values"},
      {"\x80\x81\x82\x83\x84\x85", 6, "924 and a group of 6 bytes in 5"},
      {"\x80\x81\x82\x83\x84\x85\x86", 7, "901, the group, and a byte alone"},
      {"AB\x80", 3, "913 shifts one byte out of Text"},
      {"ABC\x80", 4, "the pad before the 913"},
      {"A\r\nB", 3, "LF only in Punctuation: ps"},
  };
  for (const CountCase& c : cases) {
    EXPECT_EQ(Codewords(c.value).size(), c.codewords) << c.why;
    ExpectRoundTrip(c.value);
  }
}

TEST(Pdf417Compaction, EciDesignatorsOfEveryRange) {
  for (int eci : {0, 3, 26, 899, 900, 811 * 900 - 1, 810899, 810900, 811799}) {
    ExpectRoundTrip("Zoë", eci);
  }
  EXPECT_EQ(Codewords("A", 26), (std::vector<uint16_t>{927, 26, 29}));
}

// Random values from alphabets that favour each mode and their seams; the
// count is never more than Byte Compaction alone, nor Text alone where the
// value is all text.
TEST(Pdf417Compaction, RandomValuesRoundTripAndBeatSingleModes) {
  const std::vector<std::string> alphabets = {
      "0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz", "0123456789ABCabc;:,.-\r\n\t$",
      "09AZaz#%;<>[]{}@!\"'", std::string("\x00\x80\xFF" "A1a;", 7)};
  std::mt19937 rng(417);
  for (int round = 0; round < 3000; ++round) {
    const std::string& alphabet = alphabets[round % alphabets.size()];
    std::string value(rng() % 120, '\0');
    for (char& c : value) c = round % 7 == 6 ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
    ExpectRoundTrip(value);
    const size_t n = value.size(), size = Codewords(value).size();
    EXPECT_LE(size, n == 0 ? 0 : 1 + n / 6 * 5 + n % 6) << value;
    if (value.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ ") == std::string::npos) {
      EXPECT_EQ(size, (n + 1) / 2);
    }
  }
}

TEST(Pdf417Compaction, LongValuesStayLinear) {
  const std::string digits(20000, '5');
  EXPECT_EQ(Codewords(digits).size(), 1 + 20000 / 44 * 15 + (20000 % 44) / 3 + 1);
  ExpectRoundTrip(std::string(5000, 'x') + std::string(5000, '\x90') + digits.substr(0, 5000));
}

TEST(Pdf417Decompact, RefusesWhatNoModeReads) {
  Decompacted out;
  EXPECT_FALSE(Decompact(std::vector<uint16_t>{928, 1, 2}, out));   // Macro PDF417
  EXPECT_FALSE(Decompact(std::vector<uint16_t>{1, 927}, out));      // a cut designator
  EXPECT_FALSE(Decompact(std::vector<uint16_t>{924, 1, 2, 3}, out)); // 924 wants groups of 5
  EXPECT_FALSE(Decompact(std::vector<uint16_t>{913, 300}, out));    // a shifted byte above 255
}

TEST(Pdf417ReedSolomon, EveryLevelAndMicroCountIsACodeword) {
  std::mt19937 rng(929);
  std::vector<int> counts = {7, 10, 11, 13, 50};
  for (int level = 0; level <= 8; ++level) counts.push_back(2 << level);
  for (int count : counts) {
    std::vector<uint16_t> data(1 + rng() % 60);
    for (auto& d : data) d = static_cast<uint16_t>(rng() % 929);
    const std::vector<uint16_t> ecc = ErrorCodewords(data, count);
    ASSERT_EQ(ecc.size(), static_cast<size_t>(count));
    std::vector<uint16_t> block = data;
    block.insert(block.end(), ecc.begin(), ecc.end());
    EXPECT_TRUE(reed_solomon::SyndromesAreZero(kField, std::span<const uint16_t>(block), count, kFirstRoot))
        << count;
  }
}

// ISO/IEC 15438:2015 Annex A: 4 bars and 4 spaces over 17 modules, a bar
// first; every pattern distinct; the lookup is the inverse.
TEST(Pdf417Patterns, FourBarsFourSpacesDistinctAndInvertible) {
  std::set<uint32_t> seen;
  for (int cluster = 0; cluster < 3; ++cluster) {
    for (int w = 0; w < 929; ++w) {
      const uint32_t p = kCodewordPatterns[cluster][w];
      int runs = 1;
      for (int b = 15; b >= 0; --b) runs += ((p >> b) & 1) != ((p >> (b + 1)) & 1);
      ASSERT_EQ(runs, 8) << cluster << " " << w;
      ASSERT_TRUE((p >> 16) & 1);
      ASSERT_TRUE(seen.insert(p).second);
      const PatternMatch m = LookUpPattern(p);
      ASSERT_EQ(m.cluster, cluster * 3);
      ASSERT_EQ(m.codeword, w);
    }
  }
  EXPECT_EQ(LookUpPattern(0x1FFFF).cluster, -1);
}

}  // namespace
}  // namespace tavo::pdf417
