// UPC-A and UPC-E: symbols, zero suppression, parity of the UPC-E body.
#include "symbologies/upce.h"

#include <algorithm>
#include <set>

#include "test_support.h"
#include "upc_ean_oracle.h"

namespace tavo::test {
namespace {

// Oracle: the UPC-A number of six UPC-E digits, as manufacturer and product
// codes with the suppressed zeros put back.
std::string ExpandOracle(std::string_view e) {
  const std::string s(e);
  if (s[5] <= '2') return "0" + s.substr(0, 2) + s[5] + "00" + "00" + s.substr(2, 3);
  if (s[5] == '3') return "0" + s.substr(0, 3) + "00" + "000" + s.substr(3, 2);
  if (s[5] == '4') return "0" + s.substr(0, 4) + "0" + "0000" + s[4];
  return "0" + s.substr(0, 5) + "0000" + s[5];
}


TEST(UpcA, WorkedExamples) {
  const std::string upca = "!~u12345|GHIJAP*";
  const TranslationCase kCases[] = {
      {"01234567890", upca + "\xB0", "check digit 5, caption 176"},
      {"03600029145", "!~u36000|CJBEFM*\xAD", "check digit 2, caption 173"},
      {"0123456789012", upca + "Z" + Bytes({61, 108, 64, 109, 95}),
       "supplement 12 after the caption for a supplement, 22 bytes"},
      {"0123456789052495", upca + "Z" + Bytes({61, 166, 64, 109, 64, 165, 64, 116, 64, 112, 95}),
       "supplement 52495, 28 bytes"},
      {"99999999999", "+~>99999|JJJJJN*\xAE", "number system 9: lead 62, caption 43, check 3"},
      {"78888888888", "(~}88888|IIIIIT*\xB4", "number system 7: lead 125, check 9"},
  };
  for (const TranslationCase& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(BC_SYM_UPCA, c.value).bytes, c.want);
  }
}

TEST(UpcE, WorkedExamples) {
  const TranslationCase kCases[] = {
      {"123456", "!~b23ef6^\xB0", "check 5, E O O E E O"},
      {"12345612", "!~b23ef6^Z" + Bytes({61, 108, 64, 109, 95}), "2-digit supplement"},
      {"12345652495", "!~b23ef6^Z" + Bytes({61, 166, 64, 109, 64, 165, 64, 116, 64, 112, 95}),
       "5-digit supplement"},
      {"123405", "!~bc345e^\xAE", "not in normal form: prints body 123454, check 3"},
      {"123454", "!~bc345e^\xAE", "the normal form of the same number prints the same"},
      {"120453", "!~b2ae50^\xAF", "prints body 120450, check 4"},
      {"120450", "!~b2ae50^\xAF", "the normal form of 120453"},
      {"000000", "!~aaa000^\xAB", "check 0, E E E O O O"},
  };
  for (const TranslationCase& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(BC_SYM_UPCE, c.value).bytes, c.want);
  }
}

TEST(UpcE, BodyParityCarriesTheCheckDigit) {
  // A reader gets the check digit from the sets of the six body digits, the
  // number from the body, and verifies one against the other.
  const std::string_view kCheckOfSets[] = {"EEEOOO", "EEOEOO", "EEOOEO", "EEOOOE", "EOEEOO",
                                           "EOOEEO", "EOOOEE", "EOEOEO", "EOEOOE", "EOOEOE"};
  std::set<int> rows;
  for (int v = 0; v < 1000000; v += 997) {
    const std::string value = std::to_string(1000000 + v).substr(1);
    SCOPED_TRACE(value);
    const std::string s = Translate(BC_SYM_UPCE, value).bytes;
    ASSERT_EQ(s.size(), 10u);
    ASSERT_EQ(s.substr(0, 2), "!~");
    ASSERT_EQ(s[8], '^');
    std::string body, sets;
    for (char g : s.substr(2, 6)) {
      const bool even = g >= 'a' && g <= 'j';
      body.push_back(even ? static_cast<char>(g - 49) : g);
      sets.push_back(even ? 'E' : 'O');
    }
    const auto* row = std::find(std::begin(kCheckOfSets), std::end(kCheckOfSets), sets);
    ASSERT_NE(row, std::end(kCheckOfSets)) << sets;
    const char check = static_cast<char>('0' + (row - std::begin(kCheckOfSets)));
    EXPECT_EQ(ExpandOracle(body), ExpandOracle(value)) << "same number as the value";
    EXPECT_EQ(check, CheckOf(ExpandOracle(value)));
    EXPECT_EQ(static_cast<unsigned char>(s[9]), check + 123);
    rows.insert(check - '0');
  }
  EXPECT_EQ(rows.size(), 10u);
}

TEST(UpcEExpansion, EachRule) {
  struct Rule {
    std::string_view upce, upca;
    const char* why;
  };
  constexpr Rule kRules[] = {
      {"123450", "01200000345", "last 0: manufacturer 12000"},
      {"123451", "01210000345", "last 1: manufacturer 12100"},
      {"123452", "01220000345", "last 2: manufacturer 12200"},
      {"123453", "01230000045", "last 3: manufacturer 12300, product 45"},
      {"123454", "01234000005", "last 4: manufacturer 12340, product 5"},
      {"123455", "01234500005", "last 5: five manufacturer digits"},
      {"123459", "01234500009", "last 9"},
      {"000000", "00000000000", "zeros"},
      {"12345", "", "five digits: nothing"},
      {"1234567", "", "seven digits: nothing"},
  };
  for (const Rule& r : kRules) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(ExpandUpcE(r.upce), r.upca);
  }
}

TEST(UpcECompression, EachRuleAndItsMissingZeros) {
  struct Rule {
    std::string_view upca;
    int32_t rc;
    std::string_view body;
    const char* why;
  };
  constexpr Rule kRules[] = {
      {"01200000345", 0, "123450", "rule 1: N4 0"},
      {"01220000345", 0, "123452", "rule 1: N4 2"},
      {"01200001345", BC_FONT_ERR_UPCE_MISSING_ZEROS, "", "rule 1 needs N8 = 0"},
      {"01230000045", 0, "123453", "rule 2"},
      {"01230000145", BC_FONT_ERR_UPCE_MISSING_ZEROS, "", "rule 2 needs N9 = 0"},
      {"01234000005", 0, "123454", "rule 3"},
      {"01234000015", BC_FONT_ERR_UPCE_MISSING_ZEROS, "", "rule 3 needs N10 = 0"},
      {"01234500005", 0, "123455", "rule 4"},
      {"01234500009", 0, "123459", "rule 4, N11 9"},
      {"01234500004", BC_FONT_ERR_UPCE_MISSING_ZEROS, "", "rule 4 needs N11 of 5 or more"},
      {"01234510005", BC_FONT_ERR_UPCE_MISSING_ZEROS, "", "rule 4 needs N7 = 0"},
      {"03600029145", BC_FONT_ERR_UPCE_MISSING_ZEROS, "", "an ordinary UPC-A number"},
      {"0123450000", BC_FONT_ERR_LOGIC, "", "ten digits cannot give a six-digit body"},
      {"012345000055", BC_FONT_ERR_LOGIC, "", "twelve digits neither"},
  };
  for (const Rule& r : kRules) {
    SCOPED_TRACE(r.why);
    std::string body = "X";
    EXPECT_EQ(CompressUpcA(r.upca, body), r.rc);
    EXPECT_EQ(body, "X" + std::string(r.body)) << "appends the body only on success";
  }
}

TEST(UpcECompression, EveryExpansionCompressesToTheSameNumber) {
  // All one million UPC-E values: the compressed body may differ from the
  // value (its normal form), but it expands to the same UPC-A number.
  for (int v = 0; v < 1000000; ++v) {
    const std::string value = std::to_string(1000000 + v).substr(1);
    const std::string number = ExpandUpcE(value);
    std::string body;
    ASSERT_EQ(CompressUpcA(number, body), 0) << value;
    ASSERT_EQ(ExpandUpcE(body), number) << value;
    ASSERT_EQ(number, ExpandOracle(value)) << value;
  }
}

}  // namespace
}  // namespace tavo::test
