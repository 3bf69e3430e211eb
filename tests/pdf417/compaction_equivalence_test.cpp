// The library's mode choice against the exhaustive search it replaced
// (compaction_oracle.h): the same codewords, not merely as few, over seeded
// values of every kind of byte mix, with and without an ECI designator.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "pdf417/compaction_oracle.h"
#include "symbologies/pdf417/pdf417_compaction.h"

namespace tavo::pdf417 {
namespace {

// Alphabets that steer the search into each mode and across each switch:
// runs of digits near the 13-digit break-even, text of every submode with
// the bytes that have values in two of them, and bytes Text lacks.
struct Mix {
  const char* name;
  std::string_view alphabet;
  size_t longest;
};

const std::string kAllBytes = [] {
  std::string s(256, '\0');
  for (int b = 0; b < 256; ++b) s[static_cast<size_t>(b)] = static_cast<char>(b);
  return s;
}();

const std::vector<Mix> kMixes = {
    {"digits", "0123456789", 120},
    {"digits and a separator", "00000000000000000000123456789.", 200},
    {"upper", "ABCDEFGHIJKLMNOPQRSTUVWXYZ ", 60},
    {"lower and upper", "abcdefghijklmnopqrstuvwxyzABC ", 60},
    {"mixed and punctuation", "0123456789&\r\t,:#-.$/+%*=^;<>@[\\]_`~!\n\"|()?{}' ", 80},
    {"url", "abcdefghijklmnopqrstuvwxyz0123456789:/.?=&-_ABCDEF", 150},
    {"binary", std::string_view(kAllBytes), 80},
    {"text with a few high bytes", "aaaaaaaaaaBBBBBB1111111111::\x80\xff\x01", 150},
    {"digits and binary", "0000000000000000000000\x80\x81\x82", 150},
};

std::string Draw(std::mt19937& rng, const Mix& mix) {
  const size_t length = std::uniform_int_distribution<size_t>(0, mix.longest)(rng);
  std::uniform_int_distribution<size_t> pick(0, mix.alphabet.size() - 1);
  std::uniform_int_distribution<int> run(1, 20);
  std::string s;
  while (s.size() < length) {  // runs of one class, so the switches come in every length
    const char c = mix.alphabet[pick(rng)];
    s.append(static_cast<size_t>(run(rng) % 4 == 0 ? run(rng) : 1), c);
  }
  s.resize(length);
  return s;
}

TEST(Pdf417Compaction, SameCodewordsAsTheExhaustiveSearch) {
  const int kEcis[] = {-1, 3, 26, 899, 900, 811799};
  std::mt19937 rng(28);
  for (const Mix& mix : kMixes) {
    for (int i = 0; i < 1500; ++i) {
      const std::string value = Draw(rng, mix);
      const int eci = kEcis[static_cast<size_t>(i) % std::size(kEcis)];
      std::vector<uint16_t> ours, oracle;
      Compact(value, eci, ours);
      oracle::Compact(value, eci, oracle);
      ASSERT_EQ(ours, oracle) << mix.name << " #" << i << " length " << value.size() << " eci " << eci;
    }
  }
}

// Whole values whose runs sit on the boundaries of the search: a digit run
// at each length around where Numeric pays, byte runs around a group of 6.
TEST(Pdf417Compaction, SameCodewordsAtRunBoundaries) {
  for (size_t digits = 0; digits <= 50; ++digits) {
    for (const char* around : {"", "a", "AB", "ab:", "\x80", "\x80\x81\x82\x83\x84\x85\x86", "a\x80"}) {
      const std::string runs[] = {
          std::string(digits, '7') + around,
          around + std::string(digits, '4') + around,
          std::string(around) + std::string(digits, '\xc3') + "9" + std::string(digits % 7, '1'),
      };
      for (const std::string& value : runs) {
        std::vector<uint16_t> ours, oracle;
        Compact(value, -1, ours);
        oracle::Compact(value, -1, oracle);
        ASSERT_EQ(ours, oracle) << "digits " << digits << " around \"" << around << '"';
      }
    }
  }
}

}  // namespace
}  // namespace tavo::pdf417
