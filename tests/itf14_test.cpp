// ITF-14: the GTIN-14 with its check digit, framed for the bearer-bar face.
#include <random>

#include "symbologies/itf14.h"
#include "test_support.h"

namespace tavo::test {
namespace {

// The GS1 check digit, computed here on its own: weights 3, 1, 3 ... from
// the rightmost data digit, the sum raised to a multiple of ten.
char Gs1Check(std::string_view data) {
  int sum = 0;
  for (size_t r = 0; r < data.size(); ++r) sum += (r % 2 == 0 ? 3 : 1) * (data[data.size() - 1 - r] - '0');
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// What the pairs between start and stop spell ("?" for a byte that is no
// pair of the Interleaved 2 of 5 codes), or "!" when the frame is not
// left bearer, start ... stop, right bearer.
std::string Digits(std::string_view s) {
  if (s.size() != 11 || s[0] != itf14::kLeftFrame || s[1] != itf14::kStart || s[9] != itf14::kStop ||
      s[10] != itf14::kRightFrame) {
    return "!";
  }
  std::string digits;
  for (char ch : s.substr(2, 7)) {
    const int b = static_cast<unsigned char>(ch);
    const int v = (b >= 0x92 && b <= 0x96) ? b - 0x92 : (b >= 0xA1) ? b - 0x9C : -1;
    if (v < 0) return "?";
    digits += {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
  }
  return digits;
}

TEST(Itf14Translate, ValuesAndFaults) {
  struct Case {
    std::string_view value;
    int32_t rc;
    std::string_view digits;  // the 14 digits printed, on success
    const char* why;
  };
  constexpr Case kCases[] = {
      {"1540014128876", 0, "15400141288763", "13 digits: check digit 3 appended"},
      {"15400141288763", 0, "15400141288763", "14 digits with the right check digit"},
      {"15400141288764", BC_FONT_ERR_GTIN_CHECK_DIGIT, "", "14 digits with a wrong check digit"},
      {"0000000000000", 0, "00000000000000", "all zero: pairs 00 take the low codes"},
      {"9999999999999", 0, "99999999999997", "all nine: 3*7*9 + 6*9 = 243, check 7"},
      {"154001412887", BC_FONT_ERR_INCOMPLETE_GTIN, "", "12 digits"},
      {"154001412887630", BC_FONT_ERR_INCOMPLETE_GTIN, "", "15 digits"},
      {"", BC_FONT_ERR_INCOMPLETE_GTIN, "", "empty"},
      {"15400141288 6", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "", "a space: no separators"},
      {"(01)15400141288763", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "", "no AI brackets: the GTIN alone"},
      {"1540014128876x3", BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC, "", "a letter comes before the length"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    for (int32_t check : {0, 1}) {  // the check digit is always there
      const Translation t = Translate(BC_SYM_ITF14, c.value, check);
      EXPECT_EQ(t.rc, c.rc);
      if (c.rc == 0) {
        EXPECT_EQ(Digits(t.bytes), c.digits);
      }
    }
  }
}

// Every 13-digit value prints as itself and its check digit; with that
// digit appended it prints the same, and with any other it is refused.
TEST(Itf14Translate, SeededValuesAgainstOwnCheckDigit) {
  std::mt19937 rng(20);
  for (int n = 0; n < 500; ++n) {
    const std::string value = RandomDigits(rng, 13);
    const char check = Gs1Check(value);
    const Translation t13 = Translate(BC_SYM_ITF14, value);
    ASSERT_EQ(t13.rc, 0) << value;
    ASSERT_EQ(Digits(t13.bytes), value + check);
    const Translation t14 = Translate(BC_SYM_ITF14, value + check);
    ASSERT_EQ(t14.rc, 0) << value;
    EXPECT_EQ(t14.bytes, t13.bytes);
    const char wrong = static_cast<char>('0' + (check - '0' + 1 + n % 9) % 10);
    EXPECT_EQ(Translate(BC_SYM_ITF14, value + wrong).rc, BC_FONT_ERR_GTIN_CHECK_DIGIT) << value << wrong;
  }
}

}  // namespace
}  // namespace tavo::test
