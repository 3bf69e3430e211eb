// EAN/JAN-8 and EAN/JAN-13: symbols, the leading digit carried by parity.
#include <algorithm>
#include <random>
#include <set>

#include "test_support.h"
#include "upc_ean_oracle.h"

namespace tavo::test {
namespace {



TEST(Ean8, WorkedExamples) {
  const std::string ean8 = "_~9638|FAHE*_";
  const TranslationCase kCases[] = {
      {"9638507", ean8, "check digit 4 as a right-half glyph"},
      {"5512345", "_~5512|DEFH*_", "check digit 7"},
      {"963850712", ean8 + Bytes({61, 108, 64, 109, 95}), "supplement 12 after the spacer"},
      {"963850752495", ean8 + Bytes({61, 166, 64, 109, 64, 165, 64, 116, 64, 112, 95}),
       "supplement 52495"},
      {"0000000", "_~0000|AAAA*_", "zeros, check 0"},
  };
  for (const TranslationCase& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(BC_SYM_EAN8, c.value).bytes, c.want);
  }
}

TEST(Ean13, WorkedExamples) {
  const std::string isbn = "+~7ia1c3|EFGHIG*_";
  const TranslationCase kCases[] = {
      {"590123412345", "&~9ab23e|BCDEFH*_", "leading 5: A B B A A B, check 7"},
      {"400638133393", "%~0a63ib|DDDJDB*_", "leading 4: A B A A B B, check 1"},
      {"000000000000", "!~000000|AAAAAA*_", "leading 0: all set A, check 0"},
      {"97801234567891", isbn + Bytes({61, 170, 64, 162, 95}),
       "leading 9: caption 43, supplement 91 even/even"},
      {"97801234567852495", isbn + Bytes({61, 166, 64, 109, 64, 165, 64, 116, 64, 112, 95}),
       "supplement 52495"},
  };
  for (const TranslationCase& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(BC_SYM_EAN13, c.value).bytes, c.want);
  }
}

TEST(Ean13, LeftHalfParityCarriesTheLeadingDigit) {
  // A reader recovers the leading digit from the sets of the six left-half
  // digits (A: '0'..'9', B: 'a'..'j') and checks the whole number.
  const std::string_view kLeadOfSets[] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                          "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
  const int kCaptionLeft[] = {33, 34, 35, 36, 37, 38, 39, 40, 41, 43};
  std::mt19937 rng(13);
  for (char lead = '0'; lead <= '9'; ++lead) {
    for (int n = 0; n < 30; ++n) {
      const std::string value = lead + RandomDigits(rng, 11);
      SCOPED_TRACE(value);
      const std::string s = Translate(BC_SYM_EAN13, value).bytes;
      ASSERT_EQ(s.size(), 17u);
      EXPECT_EQ(static_cast<unsigned char>(s[0]), kCaptionLeft[lead - '0']);
      std::string digits, sets;
      for (char g : s.substr(2, 6)) {
        const bool b = g >= 'a' && g <= 'j';
        digits.push_back(b ? static_cast<char>(g - 49) : g);
        sets.push_back(b ? 'B' : 'A');
      }
      const auto* row = std::find(std::begin(kLeadOfSets), std::end(kLeadOfSets), sets);
      ASSERT_NE(row, std::end(kLeadOfSets)) << sets;
      EXPECT_EQ(row - std::begin(kLeadOfSets), lead - '0');
      for (char g : s.substr(9, 6)) digits.push_back(static_cast<char>(g - 17));
      EXPECT_EQ(digits, value.substr(1) + CheckOf(value));
      EXPECT_EQ(s[1], '~');
      EXPECT_EQ(s[8], '|');
      EXPECT_EQ(s.substr(15), "*_");
    }
  }
}

}  // namespace
}  // namespace tavo::test
