// The library's mode choice against the exhaustive search it replaced
// (compaction_oracle.h), over seeded values of every kind of byte mix, with
// and without an ECI designator: as few codewords, and they read back to the
// value (the model's decompaction).  Where two choices cost the same the
// searches may take different ones, so the codewords themselves may differ.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "../../model/src/pdf417/pdf417_decompact.h"
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
    // Punctuation's pad is al: 913 from an odd cost there ends in Alpha.
    {"punctuation and high bytes", ";<>@[\\]_`~!\"|()?{}'\x80\xe9\xff aA1", 80},
    // Past 256 bytes the search keeps its records on the heap.
    {"long values of every kind", "abcXYZ0123456789 :/.;@\x80\xff", 1500},
};

template <typename Range>
std::string Listed(const Range& items) {
  std::string s;
  for (const auto item : items) s += std::to_string(static_cast<unsigned>(static_cast<std::make_unsigned_t<decltype(item)>>(item))) + ' ';
  return s;
}

// Ours against the oracle's, for PDF417 and for MicroPDF417 (`micro`): the
// same count, and ours read back to `value` with the designator `eci` (-1
// none).
::testing::AssertionResult AsFewAndReadBack(std::string_view value, int eci, bool micro = false) {
  std::vector<uint16_t> ours, oracle;
  (micro ? CompactMicro : Compact)(value, eci, ours);
  (micro ? oracle::CompactMicro : oracle::Compact)(value, eci, oracle);
  if (ours.size() != oracle.size()) {
    return ::testing::AssertionFailure() << ours.size() << " codewords, the exhaustive search " << oracle.size()
                                         << (micro ? " (MicroPDF417)" : "") << "\n ours   " << Listed(ours)
                                         << "\n oracle " << Listed(oracle) << "\n value  " << Listed(value);
  }
  Decompacted read;
  if (!Decompact(ours, read)) return ::testing::AssertionFailure() << "the codewords do not decompact";
  if (read.bytes != value || read.eci != eci) {
    return ::testing::AssertionFailure() << "read back " << read.bytes.size() << " bytes, eci " << read.eci;
  }
  return ::testing::AssertionSuccess();
}

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

TEST(Pdf417Compaction, AsFewCodewordsAsTheExhaustiveSearch) {
  const int kEcis[] = {-1, 3, 26, 899, 900, 811799};
  std::mt19937 rng(28);
  for (const Mix& mix : kMixes) {
    for (int i = 0; i < 1500; ++i) {
      const std::string value = Draw(rng, mix);
      const int eci = kEcis[static_cast<size_t>(i) % std::size(kEcis)];
      ASSERT_TRUE(AsFewAndReadBack(value, eci, i % 4 == 3)) << mix.name << " #" << i << " length " << value.size()
                                                             << " eci " << eci;
    }
  }
}

// Whole values whose runs sit on the boundaries of the search: a digit run
// at each length around where Numeric pays, byte runs around a group of 6.
TEST(Pdf417Compaction, AsFewCodewordsAtRunBoundaries) {
  for (size_t digits = 0; digits <= 50; ++digits) {
    for (const char* around : {"", "a", "AB", "ab:", "\x80", "\x80\x81\x82\x83\x84\x85\x86", "a\x80"}) {
      const std::string runs[] = {
          std::string(digits, '7') + around,
          around + std::string(digits, '4') + around,
          std::string(around) + std::string(digits, '\xc3') + "9" + std::string(digits % 7, '1'),
      };
      for (const std::string& value : runs) {
        ASSERT_TRUE(AsFewAndReadBack(value, -1)) << "digits " << digits << " around \"" << around << '"';
        ASSERT_TRUE(AsFewAndReadBack(value, -1, true)) << "digits " << digits << " around \"" << around << '"';
      }
    }
  }
}

}  // namespace
}  // namespace tavo::pdf417
