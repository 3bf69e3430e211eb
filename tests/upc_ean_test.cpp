// The UPC/EAN/JAN glyph map, check digit and supplements, and the value test
// the four retail symbologies share.
#include "symbologies/upc_ean.h"

#include <algorithm>
#include <random>
#include <set>

#include "test_support.h"

namespace tavo::test {
namespace {

std::string Glyphs(char (*map)(char)) {
  std::string s;
  for (char d = '0'; d <= '9'; ++d) s.push_back(map(d));
  return s;
}

TEST(UpcEanGlyphs, EverySetMapsTheTenDigits) {
  struct Case {
    char (*map)(char);
    std::string want;
    const char* why;
  };
  const Case kCases[] = {
      {LeftOddGlyph, "0123456789", "left half, set A: the digit itself"},
      {LeftEvenGlyph, "abcdefghij", "left half, set B: digit + 49"},
      {RightGlyph, "ABCDEFGHIJ", "right half, set C: digit + 17"},
      {UpcALeadGlyph, Bytes({117, 118, 119, 120, 121, 122, 123, 125, 60, 62}),
       "UPC-A lead: 7 skips the centre guard 124, 8 and 9 wrap to 60 and 62"},
      {UpcACheckGlyph, "KLMNOPQRST", "UPC-A check: digit + 27"},
      {CaptionLeftGlyph, Bytes({33, 34, 35, 36, 37, 38, 39, 40, 41, 43}),
       "caption left: 9 skips the right guard 42"},
      {CaptionRightGlyph, Bytes({171, 172, 173, 174, 175, 176, 177, 178, 179, 180}),
       "caption right: digit + 123, above 127"},
      {CaptionRightSupplementGlyph, Bytes({85, 86, 87, 88, 89, 90, 91, 92, 93, 96}),
       "caption right before a supplement: 9 skips the end guard 94 and the spacer 95"},
      {SupplementOddGlyph, "klmnopqrst", "supplement set A: digit + 59"},
      {SupplementEvenGlyph, Bytes({161, 162, 163, 164, 165, 166, 167, 168, 169, 170}),
       "supplement set B: digit + 113"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Glyphs(c.map), c.want);
    for (char bad : {'/', ':', ' ', 'A', '\0', '\xB0'}) EXPECT_EQ(c.map(bad), '\0');
  }
}

TEST(UpcEanGlyphs, SingleGlyphs) {
  EXPECT_EQ(Bytes({126, 124, 42, 94, 61, 64, 95}),
            std::string({kLeftGuard, kCentreGuard, kRightGuard, kUpcEEndGuard, kSupplementStart,
                         kSupplementSeparator, kSpacer}));
}

// Oracle: the check digit is the one that makes the whole number, check digit
// included, sum to a multiple of 10 with weights 1, 3, 1, ... from the right.
bool ValidatesWithCheck(std::string_view data, char check) {
  const std::string full = std::string(data) + check;
  int sum = 0;
  for (size_t i = 0; i < full.size(); ++i) {
    sum += (full[full.size() - 1 - i] - '0') * (i % 2 == 0 ? 1 : 3);
  }
  return sum % 10 == 0;
}

TEST(UpcEanCheckDigitTest, WorkedExamples) {
  struct Case {
    std::string_view digits;
    size_t count;
    char want;
    const char* why;
  };
  constexpr Case kCases[] = {
      {"01234567890", 11, '5', "UPC-A"},
      {"03600029145", 11, '2', "UPC-A"},
      {"9638507", 7, '4', "EAN/JAN-8"},
      {"590123412345", 12, '7', "EAN/JAN-13"},
      {"400638133393", 12, '1', "EAN/JAN-13"},
      {"000000000000", 12, '0', "zeros"},
      {"0000000", 7, '0', "zeros"},
      {"0123456789012", 11, '5', "supplement digits beyond the count are ignored"},
      {"00000000055", 11, '0', "sum 20, a multiple of 10, gives 0 and not 10"},
      {"99999999999", 11, '3', "largest UPC-A sum 207"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(UpcEanCheckDigit(c.digits, c.count), c.want);
  }
}

TEST(UpcEanCheckDigitTest, CompletesAValidNumber) {
  std::mt19937 rng(20240607);
  for (size_t count : {7u, 11u, 12u}) {
    std::set<char> seen;
    for (int n = 0; n < 300; ++n) {
      std::string digits;
      for (size_t i = 0; i < count; ++i) digits.push_back(static_cast<char>('0' + rng() % 10));
      const char c = UpcEanCheckDigit(digits, count);
      ASSERT_TRUE(c >= '0' && c <= '9') << digits;
      EXPECT_TRUE(ValidatesWithCheck(digits, c)) << digits;
      seen.insert(c);
    }
    EXPECT_EQ(seen.size(), 10u) << "every check digit occurs for count " << count;
  }
}

TEST(UpcEanSupplement, WorkedExamples) {
  struct Case {
    std::string_view digits;
    std::string want;
    const char* why;
  };
  const Case kCases[] = {
      {"12", Bytes({61, 108, 64, 109, 95}), "V mod 4 = 0: odd, odd"},
      {"03", Bytes({61, 161, 64, 164, 95}), "V mod 4 = 3: even, even"},
      {"01", Bytes({61, 107, 64, 162, 95}), "V mod 4 = 1: odd, even"},
      {"52495", Bytes({61, 166, 64, 109, 64, 165, 64, 116, 64, 112, 95}), "checksum 1: E O E O O"},
      {"00000", Bytes({61, 161, 64, 161, 64, 107, 64, 107, 64, 107, 95}), "checksum 0: E E O O O"},
      {"", "", "no digits: nothing"},
      {"123", "", "three digits are no supplement"},
      {"123456", "", "six digits are no supplement"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    FontString out = "X";
    AppendSupplement(out, c.digits);
    EXPECT_EQ(out, "X" + c.want);
  }
}

// Decodes a supplement block into its digits and their sets ('O' or 'E'),
// checking start, separators and spacer on the way.
bool DecodeSupplement(std::string_view block, std::string& digits, std::string& sets) {
  if (block.size() < 3 || block.front() != '=' || block.back() != '_') return false;
  for (size_t i = 1; i + 1 < block.size(); ++i) {
    const int b = static_cast<unsigned char>(block[i]);
    if (i % 2 == 0) {
      if (b != '@') return false;
    } else if (b >= 107 && b <= 116) {
      digits.push_back(static_cast<char>('0' + b - 107));
      sets.push_back('O');
    } else if (b >= 161 && b <= 170) {
      digits.push_back(static_cast<char>('0' + b - 161));
      sets.push_back('E');
    } else {
      return false;
    }
  }
  return true;
}

TEST(UpcEanSupplement, TwoDigitSetsFollowTheValueModuloFour) {
  constexpr std::string_view kByRemainder[] = {"OO", "OE", "EO", "EE"};
  for (int v = 0; v < 100; ++v) {
    const std::string value = {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
    SCOPED_TRACE(value);
    FontString block;
    AppendSupplement(block, value);
    std::string digits, sets;
    ASSERT_TRUE(DecodeSupplement(block, digits, sets));
    EXPECT_EQ(digits, value);
    EXPECT_EQ(sets, kByRemainder[v % 4]);
    EXPECT_EQ(Supplement2Parity(0, value[0], value[1]), sets[0] == 'E');
    EXPECT_EQ(Supplement2Parity(1, value[0], value[1]), sets[1] == 'E');
  }
}

TEST(UpcEanSupplement, FiveDigitSetsDecodeToTheChecksum) {
  // A reader recovers the checksum from the five sets and compares it with
  // the one it computes from the digits; every one of the 100000 values passes.
  const std::string_view kChecksumOfSets[] = {"EEOOO", "EOEOO", "EOOEO", "EOOOE", "OEEOO",
                                              "OOEEO", "OOOEE", "OEOEO", "OEOOE", "OOEOE"};
  std::set<int> rows;
  for (int v = 0; v < 100000; ++v) {
    std::string value = std::to_string(100000 + v).substr(1);
    FontString block;
    AppendSupplement(block, value);
    std::string digits, sets;
    ASSERT_TRUE(DecodeSupplement(block, digits, sets)) << value;
    ASSERT_EQ(digits, value);
    const int d[5] = {value[0] - '0', value[1] - '0', value[2] - '0', value[3] - '0',
                      value[4] - '0'};
    const int checksum = (3 * (d[0] + d[2] + d[4]) + 9 * (d[1] + d[3])) % 10;
    const auto* row = std::find(std::begin(kChecksumOfSets), std::end(kChecksumOfSets), sets);
    ASSERT_NE(row, std::end(kChecksumOfSets)) << value << " sets " << sets;
    ASSERT_EQ(row - std::begin(kChecksumOfSets), checksum) << value;
    rows.insert(checksum);
  }
  EXPECT_EQ(rows.size(), 10u);
  EXPECT_FALSE(Supplement5Parity(5, '0', '0', '0', '0', '0')) << "no sixth digit";
}

// The four retail symbologies: the character test runs before the length test.
struct Lengths {
  int32_t symbology;
  size_t data, longest;
  int32_t incomplete;
  size_t plain, with2, with5;  // font string lengths of the three accepted layouts
  const char* why;
};
constexpr Lengths kRetail[] = {
    {BC_SYM_UPCA, 11, 16, BC_FONT_ERR_INCOMPLETE_UPCA, 17, 22, 28, "UPC-A"},
    {BC_SYM_UPCE, 6, 11, BC_FONT_ERR_INCOMPLETE_UPCE, 10, 15, 21, "UPC-E"},
    {BC_SYM_EAN8, 7, 12, BC_FONT_ERR_INCOMPLETE_EANJAN_8, 13, 18, 24, "EAN/JAN-8"},
    {BC_SYM_EAN13, 12, 17, BC_FONT_ERR_INCOMPLETE_EANJAN_13, 17, 22, 28, "EAN/JAN-13"},
};

TEST(UpcEanValue, EveryLengthAcceptedOrRefused) {
  for (const Lengths& s : kRetail) {
    SCOPED_TRACE(s.why);
    for (size_t n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 5000}) {
      SCOPED_TRACE(n);
      const Translation t = Translate(s.symbology, std::string(n, '0'));
      if (n == s.data || n == s.data + 2 || n == s.data + 5) {
        EXPECT_EQ(t.rc, 0);
        EXPECT_EQ(t.bytes.size(), n == s.data ? s.plain : n == s.data + 2 ? s.with2 : s.with5);
      } else {
        EXPECT_EQ(t.rc, n < s.longest ? s.incomplete : BC_FONT_ERR_TOO_MANY_CHARACTERS);
      }
    }
  }
}

TEST(UpcEanValue, NonDigitsRefusedAnywhereBeforeTheLength) {
  const std::string kBad[] = {"A", " ", "-", "/", ":", "\x80", "\xB0", "\xFF"};
  for (const Lengths& s : kRetail) {
    SCOPED_TRACE(s.why);
    for (const std::string& bad : kBad) {
      const std::string digits(s.data, '5');
      for (const std::string& value :
           {bad, bad + digits, digits + bad, digits.substr(0, 3) + bad + digits.substr(3),
            std::string(s.data + 5, '1') + bad, std::string(4000, '7') + bad}) {
        SCOPED_TRACE(value.substr(0, 20));
        EXPECT_EQ(Translate(s.symbology, value).rc, BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC);
      }
    }
  }
}

}  // namespace
}  // namespace tavo::test
