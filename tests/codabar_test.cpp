// Codabar: data characters, start/stop letters and their case, check character.
#include <chrono>

#include "symbologies/codabar.h"
#include "test_support.h"

namespace tavo::test {
namespace {

constexpr std::string_view kData = "0123456789-$:/.+";  // value order 0..15

// Independent oracle: a symbol with its check character sums to a multiple of
// 16 (data characters by value order, letters A..D worth 16..19 in either case).
bool CheckCharacterHolds(std::string_view symbol) {
  int sum = 0;
  for (char c : symbol) {
    if (c >= 'A' && c <= 'D') sum += 16 + c - 'A';
    else if (c >= 'a' && c <= 'd') sum += 16 + c - 'a';
    else sum += static_cast<int>(kData.find(c));
  }
  return sum % 16 == 0;
}


TEST(CodabarTranslate, StartStopLettersAndCheckCharacter) {
  constexpr CheckedCase kCases[] = {
      {"12345", 0, "A12345a", "default start A and default stop a"},
      {"12345", 1, "A123451a", "sum 47, remainder 15, check value 1"},
      {"a12345b", 1, "A123450b", "given letters: the start turned upper case; sum 48, check 0"},
      {"C123", 0, "C123a", "given start, default stop"},
      {"123D", 0, "A123d", "default start, given stop turned lower case"},
      {"AB", 0, "Ab", "two letters: start and stop, no data"},
      {"AB", 1, "A+b", "sum 33, remainder 1, check value 15"},
      {"dD", 0, "Dd", "case follows the position, not the value"},
      {"c1C", 0, "C1c", "both ends given in the wrong case"},
      {"5", 0, "A5a", "one data character gets both defaults"},
      {"5", 1, "A5$a", "sum 37, remainder 5, check value 11"},
      {"-$:/.+", 0, "A-$:/.+a", "every symbol passes through unchanged"},
      {"", 0, "", "empty: no symbol, no start or stop"},
      {"", 1, "", "empty with check: still nothing"},
      {"5", 7, "A5$a", "any nonzero check option acts as 1"},
  };
  for (const CheckedCase& c : kCases) {
    SCOPED_TRACE(c.why);
    const Translation t = Translate(BC_SYM_CODABAR, c.value, c.check);
    EXPECT_EQ(t.rc, 0);
    EXPECT_EQ(t.bytes, c.want);
    if (c.check && !t.bytes.empty()) {
      EXPECT_TRUE(CheckCharacterHolds(t.bytes));
    }
  }
}

TEST(CodabarTranslate, LoneLetterBecomesALoneStopCharacter) {
  // A one-letter value is first and last at once: turned upper case as the
  // start, then lower case as the stop, and written once.
  constexpr CheckedCase kCases[] = {
      {"A", 0, "a", "upper-case letter"},
      {"a", 0, "a", "lower-case letter"},
      {"d", 0, "d", "the last start/stop letter"},
      {"B", 1, "+b", "sum 17, remainder 1, check value 15, the plus sign"},
      {"C", 1, ".c", "sum 18, remainder 2, check value 14, the full stop"},
  };
  for (const CheckedCase& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(BC_SYM_CODABAR, c.value, c.check).bytes, c.want);
  }
}

TEST(CodabarTranslate, CharacterClassesByPosition) {
  // Every byte in the middle, first and last: data characters anywhere,
  // letters A..D / a..d only at the ends, everything else refused.
  for (int b = 1; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char c = static_cast<char>(b);
    const bool data = kData.find(c) != std::string_view::npos;
    const bool letter = (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd');
    const int32_t middle = data ? 0 : BC_FONT_ERR_ILLEGAL_CHARACTER;
    const int32_t end = (data || letter) ? 0 : BC_FONT_ERR_ILLEGAL_CHARACTER;
    EXPECT_EQ(Translate(BC_SYM_CODABAR, std::string("1") + c + "2", 1).rc, middle);
    EXPECT_EQ(Translate(BC_SYM_CODABAR, std::string(1, c) + "12", 1).rc, end);
    EXPECT_EQ(Translate(BC_SYM_CODABAR, "12" + std::string(1, c), 1).rc, end);
  }
  EXPECT_EQ(Translate(BC_SYM_CODABAR, "1A2", 0).rc, BC_FONT_ERR_ILLEGAL_CHARACTER);
}

TEST(CodabarCheckChar, EveryRemainder) {
  // "A" + x + "a" sums to 32 + value(x): remainder r asks for value 16 - r.
  EXPECT_EQ(CodabarCheckChar("Aa"), '0');
  for (size_t r = 1; r < 16; ++r) {
    SCOPED_TRACE(r);
    const std::string symbol = std::string("A") + kData[r] + "a";
    EXPECT_EQ(CodabarCheckChar(symbol), kData[16 - r]);
  }
}

TEST(CodabarTranslate, OneMebibyteInLinearTime) {
  std::string value;
  for (size_t i = 0; i < (1u << 20); ++i) value.push_back(kData[i * 5 % 16]);
  const auto begin = std::chrono::steady_clock::now();
  const Translation t = Translate(BC_SYM_CODABAR, value, 1);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(), 1.0);
  ASSERT_EQ(t.bytes.size(), value.size() + 3);
  EXPECT_EQ(t.bytes.substr(0, value.size() + 1), "A" + value);
  EXPECT_EQ(t.bytes.back(), 'a');
  EXPECT_TRUE(CheckCharacterHolds(t.bytes));

  value[value.size() / 2] = 'B';
  EXPECT_EQ(Translate(BC_SYM_CODABAR, value, 1).rc, BC_FONT_ERR_ILLEGAL_CHARACTER);
}

}  // namespace
}  // namespace tavo::test
