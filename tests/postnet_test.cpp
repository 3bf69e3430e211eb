// PostNet: separators, digit counts, the modulo-10 check digit and frame bars.
#include <string>

#include "symbologies/postnet.h"
#include "test_support.h"

namespace tavo::test {
namespace {

struct Case {
  std::string_view value;
  std::string_view want;
  const char* why;
};

TEST(PostNetTranslate, FramedDigitsWithCheckDigit) {
  constexpr Case kCases[] = {
      {"12345-6789", "*1234567895*", "ZIP+4: digit sum 45, check 5"},
      {"12345", "*123455*", "ZIP: digit sum 15, check 5"},
      {"12345 6789 01", "*123456789014*", "ZIP+4+DP with spaces: digit sum 46, check 4"},
      {"00000", "*000000*", "digit sum 0 is a multiple of ten: check 0"},
      {"19000", "*190000*", "digit sum 10: check 0, not ':'"},
      {"99999", "*999995*", "digit sum 45"},
      {"11111111111", "*111111111119*", "11 digits, digit sum 11: check 9"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(BC_SYM_POSTNET, c.value).bytes, c.want);
    EXPECT_EQ(Translate(BC_SYM_POSTNET, c.value, 1).bytes, c.want)
        << "check option changes nothing";
  }
}

TEST(PostNetTranslate, SeparatorsAnywhere) {
  constexpr Case kCases[] = {
      {"1-2-3-4-5", "*123455*", "hyphens between every digit"},
      {" 12345 ", "*123455*", "leading and trailing spaces"},
      {"--12345--", "*123455*", "leading and trailing hyphens"},
      {"1234 - 5678 - 9", "*1234567895*", "groups split anywhere"},
      {"- 1 2-3 4-5 -", "*123455*", "spaces and hyphens mixed"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(BC_SYM_POSTNET, c.value).bytes, c.want);
  }
}


TEST(PostNetErrors, CharacterTestComesBeforeCountTest) {
  constexpr ErrorCase kCases[] = {
      {"", BC_FONT_ERR_INCOMPLETE_POSTNET, "empty"},
      {" - -", BC_FONT_ERR_INCOMPLETE_POSTNET, "separators only"},
      {"1234", BC_FONT_ERR_INCOMPLETE_POSTNET, "4 digits"},
      {"123456", BC_FONT_ERR_INCOMPLETE_POSTNET, "6 digits"},
      {"12345678", BC_FONT_ERR_INCOMPLETE_POSTNET, "8 digits"},
      {"1234567890", BC_FONT_ERR_INCOMPLETE_POSTNET, "10 digits"},
      {"123456789012", BC_FONT_ERR_TOO_MANY_CHARACTERS, "12 digits"},
      {"a", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "a letter in a too-short value"},
      {"1234a", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "a letter in a value of five characters"},
      {"1234567890123x", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "a letter in a too-long value"},
      {"12345_6789", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "underscore is no separator"},
      {"12345.6789", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "full stop is no separator"},
      {"12345\t6789", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "tab is no separator"},
      {"+12345", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "a sign is no digit"},
      {"1234\xB5", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "a byte above 127"},
      {"\xFF", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "byte 255"},
  };
  for (const ErrorCase& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(BC_SYM_POSTNET, c.value).rc, c.rc);
  }
}

// The time these take grows linearly: bench/long_values_bench.cpp shows it.
TEST(PostNetErrors, MebibyteValuesInLinearTime) {
  const std::string digits(1u << 20, '7');
  EXPECT_EQ(Translate(BC_SYM_POSTNET, digits).rc, BC_FONT_ERR_TOO_MANY_CHARACTERS);
  EXPECT_EQ(Translate(BC_SYM_POSTNET, digits + "x").rc, BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC)
      << "the letter after a mebibyte of digits still counts first";
  EXPECT_EQ(
      Translate(BC_SYM_POSTNET, std::string(1u << 20, ' ') + "12345" + std::string(1u << 20, '-'))
          .bytes,
      "*123455*");
}

}  // namespace
}  // namespace tavo::test

namespace tavo::test {
namespace {

TEST(PostNetCheckDigitRule, CompletesTheDigitSumToATen) {
  struct Case { std::string_view digits; char want; const char* why; };
  constexpr Case kCases[] = {
      {"12345", '5', "sum 15"},
      {"123456789", '5', "sum 45"},
      {"12345678901", '4', "sum 46"},
      {"55", '0', "a multiple of ten gives 0, never 10"},
      {"", '0', "nothing to add up"},
      {"99999999999999999", '7', "sum 153: two blocks of eight and one digit"},
      {"0000000900000009", '2', "sum 18: a nine at the end of each block of eight"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(PostNetCheckDigit(c.digits), c.want);
  }
  static_assert(PostNetCheckDigit("12345678901") == '4', "the same rule at compile time");
  const std::string nines(1'000'003, '9');  // sum 9,000,027
  EXPECT_EQ(PostNetCheckDigit(nines), '3');
}

}  // namespace
}  // namespace tavo::test

namespace tavo::test {
namespace {

// The first eight characters of an eleven-digit value are tested at once;
// every byte at each of those places must still be judged as it is alone.
TEST(PostNetTranslate, EveryByteInTheFirstEightPlaces) {
  const std::string digits = "12345678901";
  for (size_t at = 0; at < 8; ++at) {
    for (int b = 1; b < 256; ++b) {  // 0 would end the C string
      std::string value = digits;
      value[at] = static_cast<char>(b);
      SCOPED_TRACE("byte " + std::to_string(b) + " at " + std::to_string(at));
      const Translation got = Translate(BC_SYM_POSTNET, value);
      if (b >= '0' && b <= '9') {
        EXPECT_EQ(got.bytes, "*" + value + PostNetCheckDigit(value) + "*");
      } else if (b == ' ' || b == '-') {
        EXPECT_EQ(got.rc, BC_FONT_ERR_INCOMPLETE_POSTNET);  // ten digits left
      } else {
        EXPECT_EQ(got.rc, BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC);
      }
    }
  }
}

}  // namespace
}  // namespace tavo::test
