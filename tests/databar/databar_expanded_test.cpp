// GS1 DataBar Expanded: our elements against zint's modules, one value for
// each encodation method, and the values the encoder refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "symbologies/databar/databar_expanded.h"
#include "symbologies/gs1/gs1.h"
#include "symbologies/matrix/matrix_text.h"
#include "test_support.h"

namespace tavo::test {
namespace {

constexpr Gs1Limit kExpandedLimit{74, 32587, true};

// The modules of a value ('1' dark), or "error N".
std::string Modules(std::string_view value) {
  Gs1Message message;
  if (int32_t rc = ParseGs1ElementStrings(value, message, kExpandedLimit)) return "error " + std::to_string(rc);
  std::vector<uint16_t> data;
  if (int32_t rc = DatabarExpandedCharacters(message, data)) return "error " + std::to_string(rc);
  std::vector<uint8_t> widths;
  DatabarExpandedWidths(data, widths);
  std::string modules;
  for (size_t e = 0; e < widths.size(); ++e) modules.append(widths[e], e % 2 ? '1' : '0');
  return modules;
}

std::string HexModules(std::string_view hex) {
  std::string modules;
  for (char c : hex) {
    const int nibble = std::stoi(std::string(1, c), nullptr, 16);
    for (int b = 3; b >= 0; --b) modules += (nibble >> b & 1) ? '1' : '0';
  }
  return modules;
}

struct ZintExpanded {
  std::string_view value;
  std::string_view why;
  std::string_view dump;
};

// Source: zint 2.11.1 (BSD-3-Clause), `zint -b 31 --dump -d VALUE` with the
// value in square brackets; its last hex digit is filled with light modules.
constexpr ZintExpanded kZint[] = {
    {"(01)98898765432106(3202)012345(15)991231", "method 0111101: a weight in pounds and a best-before date",
     "48636FF0B8651A062BF0E9C094FB98FC2EC1247962FF38DE85"},
    {"(01)98898765432106(3103)012233", "method 0100: a net weight in kg up to 32767", "588E2FF0A270DBEC4BC0EF4C772338FC2FF5B4"},
    {"(01)98898765432106(3203)022767", "method 0101: the largest (3203) it holds", "5304EFF0A1E29BEC4BC0EF4C7731C8FC2DF774"},
    {"(01)98898765432106(3103)032768", "one over 0100's weights: 0111000 with no date",
     "45E22FF0BB109A062BF0E9C094FB98FC2C69868262FF399E85"},
    {"(01)00012345678905", "method 1 alone: padding after a numeric latch", "4221AFF0B30BD79BEBC0E2C371ED78FC28"},
    {"(01)00012345678905(10)12(21)345", "method 1 and general-purpose digits with an FNC1",
     "4E146FF0B117179BEBF0E2C371ED78FC2C6614F312FF38C3B5"},
    {"(01)12345678901231(17)251231(10)1", "a lone last digit",
     "4643AFF0B0EE5C6C4BE063C2B287D8FC2B826421CAFF39385D11BE3C0A"},
    {"(00)012345678901234560", "method 00: no GTIN first", "46E42FF0B0415EBBCBF0EE3A173088FC2E161504E2FF386F5D"},
    {"(01)98898765432106(3922)795(30)12", "method 01100: a price, then general-purpose data",
     "451E2FF0B10D9A062BF0E9C094FB98FC29EE86E322FF39AE3D"},
    {"(01)98898765432106(3932)978795(3102)001234", "method 01101: a price with its currency",
     "533C6FF0A8789A062BE069C094FB98FC2F16F425C2FF3A373C7A66300A98E1ACE0BFE68"},
    {"(01)00012345678905(10)AB-12/x!y(21)abcdef", "alphanumeric and ISO/IEC 646 latches, FNC1 back to numeric",
     "43AE6FF0B171D79BEBC022C371ED78FC2E3214EFDAF039824DD7EE3C0AF109CEE8BF0E35E148188C02DF4447662F8194704F69E7E0A"},
    {"(01)00012345678905(10)ABCD123456", "a numeric latch before six digits",
     "42E1AFF0B117179BEBE062C371ED78FC2E3214EFDAFF3AF3BC9A023C0ACCFD0"},
};

TEST(DatabarExpanded, ModulesMatchZint) {
  for (const ZintExpanded& z : kZint) {
    SCOPED_TRACE(std::string(z.value) + ": " + std::string(z.why));
    const std::string ours = Modules(z.value), zint = HexModules(z.dump);
    ASSERT_EQ(ours.size() % 49 == 4 || ours.size() % 49 == 36, true) << ours.size() << " modules";
    ASSERT_LE(ours.size(), zint.size());
    EXPECT_EQ(ours, zint.substr(0, ours.size()));
    EXPECT_EQ(zint.find('1', ours.size()), std::string::npos);
  }
}

// Through the exported entry: 34 equal lines of module-run glyphs whose
// modules are zint's, the last glyph's filler light.
TEST(DatabarExpanded, TextIsZintsRowThirtyFourTimes) {
  for (const ZintExpanded& z : kZint) {
    SCOPED_TRACE(std::string(z.value));
    const Translation t = Translate(26, z.value, 0, 4000);
    ASSERT_EQ(t.rc, 0);
    const std::string_view text = t.bytes;
    const size_t line = text.find("\r\n");
    ASSERT_NE(line, std::string_view::npos);
    std::string modules;
    for (char c : text.substr(0, line)) {
      for (int m = 0; m < 6; ++m) modules += MatrixGlyphBits(c) >> m & 1 ? '1' : '0';
    }
    const std::string zint = HexModules(z.dump);
    const size_t width = std::min(modules.size(), zint.size());
    EXPECT_EQ(modules.substr(0, width), zint.substr(0, width));
    EXPECT_EQ(modules.find('1', Modules(z.value).size()), std::string::npos);
    EXPECT_EQ(text.size(), 34 * (line + 2) - 2);
    for (size_t at = 0; at < text.size(); at += line + 2) EXPECT_EQ(text.substr(at, line), text.substr(0, line));
  }
  EXPECT_EQ(Translate(26, "(01)00012345678905(10)AB#", 0, 4000).rc, 32535);  // "#" is outside (10)'s set
  EXPECT_EQ(Translate(26, "(01)00012345678906", 0, 4000).rc, 32537);
}

TEST(DatabarExpanded, Refusals) {
  struct Case {
    std::string_view value;
    std::string_view result;
  };
  constexpr Case kCases[] = {
      {"(01)00012345678905(8010)1234#", "error 32586"},  // "#" is in no mode
      {"(01)00012345678905(10)12345678901234567890(21)12345678901234567890(240)123456789012345678901234567890",
       "error 32587"},  // more than 21 data characters
  };
  for (const Case& c : kCases) EXPECT_EQ(Modules(c.value), c.result) << c.value;
}

// The text's lines as module strings ('1' dark, the glyphs' light filler
// included), each run of equal lines once with its length.
std::vector<std::pair<std::string, int>> DistinctLines(std::string_view text) {
  std::vector<std::pair<std::string, int>> lines;
  for (size_t at = 0; at <= text.size();) {
    const size_t end = std::min(text.find("\r\n", at), text.size());
    std::string modules;
    for (char c : text.substr(at, end - at)) {
      for (int m = 0; m < 6; ++m) modules += MatrixGlyphBits(c) >> m & 1 ? '1' : '0';
    }
    if (!lines.empty() && lines.back().first == modules) {
      ++lines.back().second;
    } else {
      lines.emplace_back(modules, 1);
    }
    at = end + 2;
  }
  return lines;
}

struct ZintStacked {
  int32_t segments;
  std::string_view value;
  std::string_view why;
  std::string_view dump;  // one hex string per line, each row of characters once
};

// Source: zint 2.11.1 (BSD-3-Clause), `zint -b 81 --cols=N --gs1parens
// --dump -d VALUE` with N = segments / 2 (pairs to a row); each dump line
// is a row of characters (34 lines in the text) or a separator line, its
// last hex digit filled with light modules.  The cases take every turn of
// ISO/IEC 24724 7.2.8's layout: rows read right to left, a shifted last
// row, a mirrored lone pair, rows of an odd number of pairs, one row.
constexpr ZintStacked kZintStacked[] = {
    {4, "(01)98898765432106(3103)001750(15)991231(10)ABC123",
     "4 segments, 4 rows: the even rows read right to left",
     "4CD8EFF0B4C31A062BE069C094 0327100A4B3CE5F9D415163F40 05555555555555555555555540 "
     "07CB2100B27BDE396940A620C0 B834DCFF4D8421C6943F19DF28 07CB2100B27BDE396940A620C0 "
     "05555555555555555555555540 00D3D015537DE321D40110E440 5F2C27E0AC821CDE2BFE6F1B94 "
     "00D3D015537DE321D40110E440 05555555555555555555555540 031788AAA77B00000000000000 "
     "2CE873005884E8000000000000"},
    {4, "(01)82167479183659(21)588917704968(10)183112844",
     "4 segments: the last row, even and missing one pair, reads left to right one module further right",
     "4DC2EFF0B2E11193CBE06E8414 023D100A4D1EEE6C3415117BC0 05555555555555555555555540 "
     "073CA100BDEB1D738940A2CE00 B8C35CFF4214E28C743F1D31C8 073CA100BDEB1D738940A2CE00 "
     "05555555555555555555555540 089090154BB82422F4011B1E80 476F67E0B447DBDD0BFE64E174 "
     "089090154BB82422F4011B1E80 05555555555555555555555540 01C5C8AAABE140000000000000 "
     "2E3A3300541E88000000000000"},
    {4, "(01)01984846803003(21)22",
     "4 segments: the last row, even and full, holds a lone pair mirrored (finder first)",
     "4A60EFF0A61BD663EBF0E89F74 059F100A59E4299C140A176080 05555555555555555555555540 "
     "02016082B963D2814EF5800000 B9FE9F7D469C287E310A100000"},
    {8, "(01)22096701769751(21)087871688(10)5277392",
     "8 segments: the last row, even and missing two pairs, reads right to left",
     "5E2E2FF0B60B1DDC8BE0660A317418FC286746B9E2FF3847B5 "
     "01D1D00A49F4E223741519F5CE8BE5029798B9461D0087B840 "
     "05555555555555555555555555555555555555555555555550 "
     "07462200A3B9920D8954A16340000000000000000000000000 "
     "B8B9D9FF5C466DF274031E9C88000000000000000000000000"},
    {8, "(01)26025302329947(10)597063194093(21)0",
     "8 segments: the same with a lone last pair",
     "52C3EFF0BC29D06ECBE0647DD16708FC2898747D72FF385835 "
     "0D3C100A43D62F9134151B822E98F50297678B828D0087A7C0 "
     "05555555555555555555555555555555555555555555555550 "
     "04014877AF0992A95061800000000000000000000000000000 "
     "B3FEB78850F668062F9E500000000000000000000000000000"},
    {6, "(01)59185777341726(10)3230095421935",
     "6 segments: an odd number of pairs to a row, every row left to right",
     "43172FF0B8A314EE0BE0679D9258F8FC2E2434 0CE8D00A475CEB11F41518626DA7050291DBC0 "
     "05555555555555555555555555555555555540 099FA80431C159178A15216F40000000000000 "
     "A66057F9CE3EA6E871E05E9088000000000000"},
    {2, "(01)59185777341726(10)3230095421935",
     "2 segments: one pair to a row, five rows",
     "43172FF0B8A310 0CE8D00A475C80 05555555555500 0623E82A30C480 A9DC17C0CF3B28 "
     "0623E82A30C480 05555555555500 069C140A476F00 4963E3F0B890D0 069C140A476F00 "
     "05555555555500 099FA80431C100 A66057F9CE3EA8 099FA80431C100 05555555555500 "
     "022F142A42DE80 4DD0E3C0BD2110"},
    {20, "(01)59185777341726(10)3230095421935",
     "20 segments: one row",
     "43172FF0B8A314EE0BE0679D9258F8FC2E2434CC0AFF39C7D4DD0E3C0BD2110"},
};

// Every line of the text is zint's module for module, rows of characters 34
// lines high and separators one: a wrong row order, mirror, shift,
// separator module or height fails here.
TEST(DatabarExpandedStacked, LinesMatchZint) {
  for (const ZintStacked& z : kZintStacked) {
    SCOPED_TRACE(std::string(z.value) + " in rows of " + std::to_string(z.segments) + ": " + std::string(z.why));
    const Translation t = Translate(27, z.value, z.segments, 20000);
    ASSERT_EQ(t.rc, 0);
    const auto ours = DistinctLines(t.bytes);
    std::vector<std::string> zint;
    for (size_t at = 0; at < z.dump.size();) {
      const size_t end = std::min(z.dump.find(' ', at), z.dump.size());
      zint.push_back(HexModules(z.dump.substr(at, end - at)));
      at = end + 1;
    }
    ASSERT_EQ(ours.size(), zint.size());
    for (size_t i = 0; i < zint.size(); ++i) {
      const bool row = (i + 1) % 4 == 1;  // a row of characters, then three separators
      EXPECT_EQ(ours[i].second, row ? 34 : 1) << "line " << i;
      const size_t width = std::min(ours[i].first.size(), zint[i].size());
      EXPECT_EQ(ours[i].first.substr(0, width), zint[i].substr(0, width)) << "line " << i;
      EXPECT_EQ(ours[i].first.find('1', width), std::string::npos) << "line " << i;
      EXPECT_EQ(zint[i].find('1', width), std::string::npos) << "line " << i;
    }
  }
}

// Expanded Stacked through the exported entry: the check argument is the
// segments per row; 0 means 4, anything but an even number from 2 to 20 is
// refused before the value is read.
TEST(DatabarExpandedStacked, SegmentsArgument) {
  struct Case {
    int32_t check;
    int32_t rc;
    size_t rows;  // rows of characters for the 14-character value
  };
  constexpr std::string_view kValue = "(01)98898765432106(3103)001750(15)991231(10)ABC123";
  constexpr Case kCases[] = {{0, 0, 4}, {4, 0, 4}, {2, 0, 7}, {6, 0, 3}, {14, 0, 1}, {20, 0, 1},
                             {1, 32588, 0}, {3, 32588, 0}, {22, 32588, 0}, {-2, 32588, 0}};
  for (const Case& c : kCases) {
    const Translation t = Translate(27, kValue, c.check, 20000);
    EXPECT_EQ(t.rc, c.rc) << c.check;
    if (c.rc != 0) continue;
    // 34 lines a row of characters, 3 separator lines between rows.
    const size_t lines = static_cast<size_t>(std::count(t.bytes.begin(), t.bytes.end(), '\n')) + 1;
    EXPECT_EQ(lines, 34 * c.rows + 3 * (c.rows - 1)) << c.check;
  }
  EXPECT_EQ(Translate(27, "(01)00012345678905(8010)1234#", 4, 20000).rc, 32586);
  EXPECT_EQ(Translate(27, "(01)00012345678905(8010)1234#", 5, 20000).rc, 32588);  // the argument first
}

}  // namespace
}  // namespace tavo::test
