// GS1 DataBar Omnidirectional, Stacked, Stacked Omnidirectional and Limited:
// our module rows against zint's, the values each form refuses, and the
// module-run text itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interface/errors.h"
#include "symbologies/codes.h"
#include "symbologies/databar/databar.h"
#include "symbologies/matrix/matrix_text.h"
#include "tavo32.h"
#include "test_support.h"
#include "zint_dump.h"

namespace tavo::test {
namespace {

using namespace tavo::symbology;

// Room for the tallest text: 69 lines of 9 glyphs and CR LF.
constexpr int32_t kRoom = 1000;

// The text's lines as strings of '1' (dark) and '0', the glyphs' light
// filler included.
std::vector<std::string> TextRows(std::string_view text) {
  std::vector<std::string> rows(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.emplace_back();
      ++i;
      continue;
    }
    const int bits = MatrixGlyphBits(text[i]);
    EXPECT_GE(bits, 0) << "byte " << i << " is no glyph";
    for (int m = 0; m < kDatabarRun; ++m) rows.back() += bits >> m & 1 ? '1' : '0';
  }
  return rows;
}

// Each run of equal rows once, with its length.
std::vector<std::pair<std::string, int>> DistinctRows(const std::vector<std::string>& rows) {
  std::vector<std::pair<std::string, int>> out;
  for (const std::string& r : rows) {
    if (!out.empty() && out.back().first == r) {
      ++out.back().second;
    } else {
      out.emplace_back(r, 1);
    }
  }
  return out;
}

struct ZintDatabar {
  int32_t code;
  std::string_view gtin13;
  std::string_view why;
  std::string_view dump;  // zint's --dump, each run of equal rows once
};

// Source: zint 2.11.1 (BSD-3-Clause), `zint -b B --dump -d GTIN13` with B 29
// (Omnidirectional), 79 (Stacked), 80 (Stacked Omnidirectional), 30
// (Limited); repeated rows written once.  2001234567890 is the example GTIN
// (01)20012345678909 of ISO/IEC 24724.
constexpr ZintDatabar kZint[] = {
    {21, "2001234567890", "ISO/IEC 24724 example GTIN", "51D04FE14DBEC129601C6D8D"},
    {21, "0000000000000", "smallest value", "548047F97F2AAB017FDDFED5"},
    {21, "9999999999999", "largest value", "4BB847F97B4E8FD57F047D5D"},
    {23, "2001234567890", "ISO/IEC 24724 example GTIN", "51D04FE14DBE8 0EADA55AA4940 B04A58071B634"},
    {23, "0000000000000", "smallest value", "548047F97F2A8 057FA80A80D40 AAC05FF77FB54"},
    {24, "2001234567890", "ISO/IEC 24724 example GTIN", "51D04FE14DBE8 0E2FA014B2400 0555555555540 0FB5A550E49C0 B04A58071B634"},
    {21, "9412175320235", "both inside characters 1596, the last inside value", "5E235F015410F7D57F05DFD5"},
    {23, "9412175320235", "both inside characters 1596", "5E235F0154108 029AA0BEAAA80 BDF55FC177F54"},
    {25, "1501234567890", "ISO/IEC 24724 Limited example GTIN", "46636A74AD3496373340"},
    {25, "0000000000000", "smallest value", "55502075D49555020740"},
    {25, "1999999999999", "largest value", "4F36B7D56B150B8D7940"},
    {24, "0000779534525", "right finder value 3: the separator module shifted over its 3-module bar", "54805F015EEC8 0B7FA0AAA1100 0555555555540 0678A004DCF00 A9875FF7230D4"},
};

// The width of each form in modules, and its row heights top to bottom.
struct Form {
  int32_t code;
  int width;
  std::vector<int> heights;
};
const Form kForms[] = {
    {kDatabar, 96, {33}},
    {kDatabarStacked, 50, {5, 1, 7}},
    {kDatabarStackedOmni, 50, {33, 1, 1, 1, 33}},
    {kDatabarLimited, 79, {10}},
};

TEST(Databar, RowsMatchZintModuleForModule) {
  for (const ZintDatabar& z : kZint) {
    SCOPED_TRACE(std::string(z.gtin13) + " code " + std::to_string(z.code) + ": " + std::string(z.why));
    const Form* form = nullptr;
    for (const Form& f : kForms) form = f.code == z.code ? &f : form;
    const Translation t = Translate(z.code, z.gtin13, 0, kRoom);
    ASSERT_EQ(t.rc, 0);
    const auto rows = DistinctRows(TextRows(t.bytes));
    const std::vector<std::string> dump = ZintDumpRows(z.dump);
    ASSERT_EQ(rows.size(), dump.size());
    const ModuleGrid zint = ZintDumpGrid(dump, form->width);
    for (size_t r = 0; r < rows.size(); ++r) {
      EXPECT_EQ(rows[r].second, form->heights[r]) << "row " << r;
      const std::string& ours = rows[r].first;
      ASSERT_EQ(ours.size(), static_cast<size_t>((form->width + 5) / 6 * 6));
      for (int x = 0; x < form->width; ++x) {
        ASSERT_EQ(ours[static_cast<size_t>(x)] == '1', zint.at(x, static_cast<int32_t>(r))) << "row " << r << " module " << x;
      }
      EXPECT_EQ(ours.find('1', static_cast<size_t>(form->width)), std::string::npos) << "the filler is light";
    }
  }
}

TEST(Databar, Values) {
  struct Case {
    int32_t code;
    std::string_view value;
    int32_t check;
    int32_t rc;
    std::string_view why;
  };
  const Case cases[] = {
      {kDatabar, "20012345678909", 0, 0, "GTIN-14 with its check digit"},
      {kDatabar, "(01)20012345678909", 0, 0, "with the AI"},
      {kDatabar, "2001234567890", 0, 0, "13 digits: the check digit is not encoded"},
      {kDatabar, "20012345678908", 0, kGtinCheckDigit, "wrong check digit"},
      {kDatabar, "(01)20012345678908", 0, kGtinCheckDigit, "wrong check digit after the AI"},
      {kDatabar, "200123456789", 0, kIncompleteGtin, "12 digits"},
      {kDatabar, "200123456789091", 0, kIncompleteGtin, "15 digits"},
      {kDatabar, "", 0, kIncompleteGtin, "empty"},
      {kDatabar, "(01)", 0, kIncompleteGtin, "the AI alone"},
      {kDatabar, "(02)20012345678909", 0, kIllegalCharacterNumeric, "another AI"},
      {kDatabar, "2001234567890A", 0, kIllegalCharacterNumeric, "a letter"},
      {kDatabar, "20012345678909", 1, 0, "Truncated"},
      {kDatabar, "20012345678909", 2, kInvalidCheckOption, "no form 2"},
      {kDatabar, "20012345678909", -1, kInvalidCheckOption, "negative"},
      {kDatabarStacked, "20012345678909", 5, 0, "the check argument is ignored"},
      {kDatabarStackedOmni, "20012345678908", 0, kGtinCheckDigit, "wrong check digit"},
      {kDatabarLimited, "15012345678907", 0, 0, "indicator 1"},
      {kDatabarLimited, "00012345678905", 0, 0, "indicator 0"},
      {kDatabarLimited, "20012345678909", 0, kDatabarLimitedIndicator, "indicator 2"},
      {kDatabarLimited, "(01)90012345678908", 0, kDatabarLimitedIndicator, "indicator 9"},
      {kDatabarLimited, "15012345678906", 0, kGtinCheckDigit, "the check digit before the indicator"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Translate(c.code, c.value, c.check, kRoom).rc, c.rc) << c.code << " " << c.value << ": " << c.why;
  }
}

// The forms of one GTIN: every spelling gives the same text, Truncated is
// Omnidirectional's rows at 13 lines, and each form's lines stand as its
// rows' heights say.
TEST(Databar, FormsAndSpellings) {
  for (const Form& f : kForms) {
    SCOPED_TRACE(f.code);
    const std::string value = f.code == kDatabarLimited ? "15012345678907" : "20012345678909";
    const Translation full = Translate(f.code, value, 0, kRoom);
    ASSERT_EQ(full.rc, 0);
    EXPECT_EQ(Translate(f.code, "(01)" + value, 0, kRoom).bytes, full.bytes);
    EXPECT_EQ(Translate(f.code, value.substr(0, 13), 0, kRoom).bytes, full.bytes);
    int lines = 0;
    for (int h : f.heights) lines += h;
    EXPECT_EQ(TextRows(full.bytes).size(), static_cast<size_t>(lines));
    EXPECT_EQ(full.bytes.size(), static_cast<size_t>(lines * ((f.width + 5) / 6 + 2) - 2));
    EXPECT_EQ(Translate(f.code, value, 0, static_cast<int32_t>(full.bytes.size()) - 1).rc, kTooManyCharacters);
  }
  const auto omni = DistinctRows(TextRows(Translate(kDatabar, "20012345678909", 0, kRoom).bytes));
  const auto truncated = DistinctRows(TextRows(Translate(kDatabar, "20012345678909", 1, kRoom).bytes));
  ASSERT_EQ(truncated.size(), 1u);
  EXPECT_EQ(truncated[0].first, omni[0].first);
  EXPECT_EQ(truncated[0].second, kDatabarTruncatedHeight);
}

// The width algorithm gives every value of a character group its own
// pattern, of the group's modules, none wider than its widest, and (where
// the group asks) with a narrow element: every value of some odd and even
// halves of Omnidirectional outside and inside characters and of a Limited
// character.
TEST(Databar, CharacterWidthsAreDistinctAndValid) {
  struct Group {
    int modules, elements, widest, count;  // count: the values of the half, from the group tables
    bool no_narrow;
  };
  const Group groups[] = {{12, 4, 8, 161, true}, {4, 4, 1, 1, false},   {10, 4, 6, 80, true},
                          {6, 4, 3, 10, false},  {5, 4, 2, 4, false},   {10, 4, 7, 84, true},
                          {17, 7, 6, 6538, true}, {9, 7, 3, 28, false}};
  for (const Group& g : groups) {
    std::vector<std::string> seen;
    const int elements = g.elements;
    for (int v = 0; v < g.count; ++v) {
      uint8_t w[8] = {};
      DatabarCharacterWidths(v, g.modules, elements, g.widest, g.no_narrow, w);
      int sum = 0;
      bool narrow = false;
      std::string key;
      for (int e = 0; e < elements; ++e) {
        sum += w[e];
        narrow = narrow || w[e] == 1;
        ASSERT_GE(w[e], 1);
        ASSERT_LE(w[e], g.widest) << g.modules << " modules, value " << v;
        key += static_cast<char>('0' + w[e]);
      }
      ASSERT_EQ(sum, g.modules);
      ASSERT_TRUE(g.no_narrow || narrow) << g.modules << " modules, value " << v;
      seen.push_back(key);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end()) << g.modules << " modules";
  }
}

}  // namespace
}  // namespace tavo::test
