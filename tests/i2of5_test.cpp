// Interleaved 2 of 5: digit pairs, leading zero, check digit, start and stop.
#include <chrono>

#include "symbologies/i2of5.h"
#include "test_support.h"

namespace tavo::test {
namespace {

// Decodes a font string back to its digits, or "?" for a byte that is no pair.
std::string DecodePairs(std::string_view pairs) {
  std::string digits;
  for (char ch : pairs) {
    const int b = static_cast<unsigned char>(ch);
    const int v = (b >= 146 && b <= 150) ? b - 146 : (b >= 161) ? b - 156 : -1;
    if (v < 0) return "?";
    digits.push_back(static_cast<char>('0' + v / 10));
    digits.push_back(static_cast<char>('0' + v % 10));
  }
  return digits;
}

// A digit string ending in its check digit: weights 1 (the check digit), 3, 1,
// 3, ... from the right add up to a multiple of 10.
bool CheckDigitHolds(std::string_view digits) {
  int sum = 0;
  for (size_t r = 0; r < digits.size(); ++r) sum += (r % 2 ? 3 : 1) * (digits[digits.size() - 1 - r] - '0');
  return sum % 10 == 0;
}

struct Case {
  std::string_view value;
  int32_t check;
  std::string_view digits;  // what the pairs spell, leading zero and check digit included
  const char* why;
};

TEST(I2of5Translate, PairsLeadingZeroAndCheckDigit) {
  constexpr Case kCases[] = {
      {"1234567", 1, "12345670", "odd with check: sum 60, check 0, no zero needed"},
      {"1234567", 0, "01234567", "odd without check: leading zero"},
      {"123456", 1, "01234565", "even with check: leading zero, then check 5"},
      {"123456", 0, "123456", "even without check: as it is"},
      {"7", 1, "79", "one digit: 3 x 7 = 21, check 9"},
      {"7", 0, "07", "one digit: leading zero"},
      {"12", 1, "0123", "two digits: 3 x 2 + 1 = 7, check 3"},
      {"", 1, "00", "empty with check: the zero and its check digit 0"},
      {"", 0, "", "empty without check: start and stop only"},
      {"0000", 2, "000000", "any nonzero check option acts as 1"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    const Translation t = Translate(BC_SYM_I2OF5, c.value, c.check);
    ASSERT_EQ(t.rc, 0);
    ASSERT_GE(t.bytes.size(), 2u);
    EXPECT_EQ(t.bytes.front(), '\x97');
    EXPECT_EQ(t.bytes.back(), '\x98');
    const std::string digits = DecodePairs(std::string_view(t.bytes).substr(1, t.bytes.size() - 2));
    EXPECT_EQ(digits, c.digits);
    if (c.check) {
      EXPECT_TRUE(CheckDigitHolds(digits));
    }
  }
}

TEST(I2of5Translate, WorkedExampleBytes) {
  EXPECT_EQ(Translate(BC_SYM_I2OF5, "1234567", 1).bytes, Bytes({0x97, 0xA8, 0xBE, 0xD4, 0xE2, 0x98}));
  EXPECT_EQ(Translate(BC_SYM_I2OF5, "1234567", 0).bytes, Bytes({0x97, 0x93, 0xB3, 0xC9, 0xDF, 0x98}));
  EXPECT_EQ(Translate(BC_SYM_I2OF5, "123456", 1).bytes, Bytes({0x97, 0x93, 0xB3, 0xC9, 0xDD, 0x98}));
  EXPECT_EQ(Translate(BC_SYM_I2OF5, "123456", 0).bytes, Bytes({0x97, 0xA8, 0xBE, 0xD4, 0x98}));
  EXPECT_EQ(Translate(BC_SYM_I2OF5, "", 1).bytes, Bytes({0x97, 0x92, 0x98}));
  EXPECT_EQ(Translate(BC_SYM_I2OF5, "", 0).bytes, Bytes({0x97, 0x98}));
}

TEST(I2of5PairChar, EveryPairAroundTheStartStopGap) {
  // All 100 pairs in one value: 00..04 at 0x92..0x96, 05..99 at 0xA1..0xFF.
  std::string value, want = "\x97";
  for (int v = 0; v < 100; ++v) {
    value += std::to_string(v / 10) + std::to_string(v % 10);
    want.push_back(static_cast<char>(v <= 4 ? 0x92 + v : 0xA1 + v - 5));
  }
  want.push_back('\x98');
  EXPECT_EQ(Translate(BC_SYM_I2OF5, value, 0).bytes, want);
  EXPECT_EQ(I2of5PairChar(4), '\x96');
  EXPECT_EQ(I2of5PairChar(5), '\xA1');
}

TEST(I2of5CheckDigit, WrapAround) {
  struct CheckCase { std::string_view digits; char want; const char* why; };
  constexpr CheckCase kCases[] = {
      {"", '0', "nothing to sum"},
      {"1234567", '0', "sum 60: a multiple of 10 gives 0, not 10"},
      {"7", '9', "sum 21: remainder 1 gives 9"},
      {"3", '1', "sum 9: remainder 9 gives 1"},
      {"12", '3', "even length: the rightmost digit still weighs 3"},
      {"012", '3', "a leading zero changes nothing"},
      {"0123456", '5', "sum 45"},
      {"99", '4', "9 + 27 = 36"},
  };
  for (const CheckCase& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(I2of5CheckDigit(c.digits), c.want);
  }
}

TEST(I2of5Rejects, AnyNonDigit) {
  constexpr std::string_view kValues[] = {
      "12 34", "12-34", "A", "123456789a", "/", ":", "1234\t", "\x7F", "12\x80", "\xFF",
  };
  for (std::string_view value : kValues) {
    SCOPED_TRACE(value);
    for (int32_t check : {0, 1}) {
      EXPECT_EQ(Translate(BC_SYM_I2OF5, value, check).rc, BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC);
    }
  }
}

TEST(I2of5Translate, OneMebibyteInLinearTime) {
  std::string value;
  for (size_t i = 0; i < (1u << 20); ++i) value.push_back(static_cast<char>('0' + i * 7 % 10));
  const auto begin = std::chrono::steady_clock::now();
  const Translation t = Translate(BC_SYM_I2OF5, value, 1);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(), 1.0);
  ASSERT_EQ(t.bytes.size(), value.size() / 2 + 1 + 2);
  const std::string digits = DecodePairs(std::string_view(t.bytes).substr(1, t.bytes.size() - 2));
  EXPECT_EQ(digits.substr(0, digits.size() - 1), "0" + value);
  EXPECT_TRUE(CheckDigitHolds(digits));

  value.back() = 'x';
  EXPECT_EQ(Translate(BC_SYM_I2OF5, value, 1).rc, BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC);
}

}  // namespace
}  // namespace tavo::test
