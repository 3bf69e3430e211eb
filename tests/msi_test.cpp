// MSI: length and digit tests, single and double modulo-10 check digits.

#include "symbologies/msi.h"
#include "test_support.h"

namespace tavo::test {
namespace {

// Independent oracle: doubling the number formed by every other digit and
// summing digits equals doubling each digit alone (no carry reaches past the
// next place), so the MSI modulo-10 digit is the Luhn digit.  A string ending
// in its check digit passes the Luhn test.
bool LuhnHolds(std::string_view digits) {
  int sum = 0;
  for (size_t r = 0; r < digits.size(); ++r) {
    int d = digits[digits.size() - 1 - r] - '0';
    if (r % 2 == 1) d = d * 2 > 9 ? d * 2 - 9 : d * 2;
    sum += d;
  }
  return sum % 10 == 0;
}


TEST(MSITranslate, WorkedExamples) {
  constexpr CheckedCase kCases[] = {
      {"1234567", 0, "`12345674~", "E 1357, O 246: 2714 and 246 sum to 26, check 4"},
      {"1234567", 1, "`123456741~", "second digit over 12345674: sum 39, check 1"},
      {"80523", 0, "`805234~", "O is 02, read as 2: sum 16, check 4"},
      {"0", 0, "`00~", "one digit 0: sum 0, check 0"},
      {"0", 3, "`000~", "any nonzero check option acts as 1"},
  };
  for (const CheckedCase& c : kCases) {
    SCOPED_TRACE(c.why);
    const Translation t = Translate(BC_SYM_MSI, c.value, c.check);
    EXPECT_EQ(t.rc, 0);
    EXPECT_EQ(t.bytes, c.want);
  }
}

TEST(MSITranslate, CheckDigitsPassTheLuhnTest) {
  constexpr std::string_view kValues[] = {
      "5", "19", "99", "1000000", "31415926535897", "99999999999999", "00000000000001",
  };
  for (std::string_view value : kValues) {
    for (int32_t check : {0, 1}) {
      SCOPED_TRACE(std::string(value) + (check ? " with check" : " without check"));
      const Translation t = Translate(BC_SYM_MSI, value, check);
      ASSERT_EQ(t.bytes.size(), value.size() + 3 + check);
      EXPECT_EQ(t.bytes.front(), '`');
      EXPECT_EQ(t.bytes.back(), '~');
      const std::string_view digits = std::string_view(t.bytes).substr(1, t.bytes.size() - 2);
      EXPECT_EQ(digits.substr(0, value.size()), value);
      EXPECT_TRUE(LuhnHolds(digits.substr(0, value.size() + 1)));
      if (check) {
        EXPECT_TRUE(LuhnHolds(digits));
      }
    }
  }
}

TEST(MSICheckDigit, WrapAroundAndLargestNumbers) {
  struct CheckCase { std::string_view digits; char want; const char* why; };
  constexpr CheckCase kCases[] = {
      {"", '0', "nothing to sum"},
      {"19", '0', "18 and 1: sum 10 gives 0, not 10"},
      {"5", '9', "2 x 5 = 10: sum 1 gives 9"},
      {"28", '1', "16 and 2: sum 9 gives 1"},
      {"99999999999999", '4', "14 digits: 2 x 9999999 and 9999999, sum 126"},
      {"999999999999999", '5', "15 digits, the most the encoder passes: 2 x 99999999 = 199999998"},
  };
  for (const CheckCase& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(MSICheckDigit(c.digits), c.want);
  }
}

TEST(MSIIntPower, RepeatedMultiplication) {
  struct PowerCase { int32_t base, exponent, want; };
  constexpr PowerCase kCases[] = {
      {10, 0, 1}, {10, -3, 1}, {10, 7, 10000000}, {2, 10, 1024}, {0, 0, 1}, {-2, 3, -8}, {7, 1, 7},
  };
  for (const PowerCase& c : kCases) {
    SCOPED_TRACE(std::to_string(c.base) + "^" + std::to_string(c.exponent));
    EXPECT_EQ(IntPower(c.base, c.exponent), c.want);
  }
}

TEST(MSIRejects, LengthBeforeDigits) {
  struct RejectCase { std::string value; int32_t rc; const char* why; };
  const RejectCase kCases[] = {
      {"", BC_FONT_ERR_TOO_MANY_CHARACTERS, "empty: the same code as too long"},
      {"123456789012345", BC_FONT_ERR_TOO_MANY_CHARACTERS, "15 digits"},
      {"ABCDEFGHIJKLMNO", BC_FONT_ERR_TOO_MANY_CHARACTERS, "15 letters: the length is judged first"},
      {std::string(1u << 20, 'x'), BC_FONT_ERR_TOO_MANY_CHARACTERS, "1 MiB: refused at once"},
      {"1234567890123A", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "14 characters, the last a letter"},
      {"A", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "one letter"},
      {" 1", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "a leading space"},
      {"1\t", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "a control character"},
      {"12\xFF", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "a byte above 127"},
  };
  for (const RejectCase& c : kCases) {
    SCOPED_TRACE(c.why);
    for (int32_t check : {0, 1}) EXPECT_EQ(Translate(BC_SYM_MSI, c.value, check).rc, c.rc);
  }
  EXPECT_EQ(Translate(BC_SYM_MSI, "12345678901234", 0).bytes.size(), 17u) << "14 digits are accepted";
}

}  // namespace
}  // namespace tavo::test
