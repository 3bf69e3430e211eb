// Intelligent Mail: the published examples, validation, both 102-bit word
// layouts, and zint as a second encoder.  (Reading bars back: the model's
// suite, model/tests/imb_test.cpp.)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "symbologies/encoders.h"
#include "symbologies/imb/imb.h"
#include "test_support.h"

namespace tavo::test {
namespace {

struct Case {
  std::string_view value;
  std::string_view bars;
  const char* why;
};

// The four examples published with the symbology: one tracking code with each
// routing length.
constexpr Case kPublished[] = {
    {"01234567094987654321", "ATTFATTDTTADTAATTDTDTATTDAFDDFADFDFTFFFFFTATFAAAATDFFTDAADFTFDTDT",
     "no routing code"},
    {"0123456709498765432101234",
     "DTTAFADDTTFTDTFTFDTDDADADAFADFATDDFTAAAFDTTADFAAATDFDTDFADDDTDFFT", "5-digit ZIP"},
    {"01234567094987654321012345678",
     "ADFTTAFDTTTTFATTADTAAATFTFTATDAAAFDDADATATDTDTTDFDTDATADADTDFFTFA", "ZIP+4"},
    {"0123456709498765432101234567891",
     "AADTFFDFTDADTAADAATFDTDDAAADDTDTTDAFADADDDTFFFDDTTTADFAAADFTDAADA", "ZIP+4+delivery point"},
};

// Through BC_FontTranslate, whose sentinel-filled buffer shows that an error
// writes nothing.
std::string Encode(std::string_view value, int32_t* rc = nullptr) {
  const Translation t = Translate(BC_SYM_IMB, value);
  if (rc) *rc = t.rc;
  return t.bytes;
}

template <class W>
std::string BarsWith(std::string_view value) {
  ImbCodes codes;
  EXPECT_EQ(ParseImbValue(value, codes), 0) << value;
  std::string bars(imb::kBars, '?');
  ImbBars<W>(codes, bars.data());
  return bars;
}

TEST(ImbTranslate, PublishedExamples) {
  for (const Case& c : kPublished) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Encode(c.value), c.bars);
    FontString appended("held");
    EXPECT_EQ(EncodeImb(c.value, Options{}, appended), 0);
    EXPECT_EQ(appended.view(), "held" + std::string(c.bars)) << "appended after what the string held";
    EXPECT_EQ(BarsWith<imb::TwoWords>(c.value), c.bars);
#if defined(__SIZEOF_INT128__)
    EXPECT_EQ(BarsWith<imb::Int128>(c.value), c.bars);
#endif
    EXPECT_EQ(Translate(BC_SYM_IMB, c.value, 1).bytes, c.bars) << "the check option has no meaning";
  }
}

TEST(ImbTranslate, SeparatorsBetweenCodesAndInsideTheZip) {
  constexpr Case kCases[] = {
      {"01234567094987654321-01234", kPublished[1].bars, "hyphen between the codes, as zint takes it"},
      {"01234567094987654321 01234", kPublished[1].bars, "space between the codes"},
      {"01234567094987654321 01234-5678", kPublished[2].bars, "ZIP+4 typed with its hyphen"},
      {"01234567094987654321 - 01234 5678 91", kPublished[3].bars, "spaces and hyphens mixed"},
      {"01234567094987654321-", kPublished[0].bars, "a separator and no routing code"},
      {"01234567094987654321 01234 ", kPublished[1].bars, "a trailing space"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Encode(c.value), c.bars);
  }
}

TEST(ImbFont, OneFaceWhateverHeightOrCaption) {
  for (int32_t height = 0; height <= 2; ++height) {
    for (int32_t caption = 0; caption <= 1; ++caption) {
      char name[32] = {};
      int32_t len = 0;
      ASSERT_EQ(BC_FontGetFaceName("TAVO ", BC_SYM_IMB, height, caption, name, sizeof name, &len), 0);
      EXPECT_EQ(std::string_view(name, static_cast<size_t>(len)), "TAVO IMB");
    }
  }
}


TEST(ImbErrors, EachFaultItsOwnCode) {
  constexpr ErrorCase kCases[] = {
      {"", BC_FONT_ERR_IMB_INCOMPLETE_TRACKING, "empty"},
      {"0123456709498765432", BC_FONT_ERR_IMB_INCOMPLETE_TRACKING, "19 tracking digits"},
      {"  - ", BC_FONT_ERR_IMB_INCOMPLETE_TRACKING, "separators only"},
      {"0123456709498765432a", BC_FONT_ERR_IMB_ILLEGAL_CHARACTER, "a letter"},
      {"x", BC_FONT_ERR_IMB_ILLEGAL_CHARACTER, "a letter is reported before the count"},
      {"01234567094987654321.01234", BC_FONT_ERR_IMB_ILLEGAL_CHARACTER, "full stop is no separator"},
      {"01234567094987654321\t01234", BC_FONT_ERR_IMB_ILLEGAL_CHARACTER, "tab is no separator"},
      {"01234567094987654321\xB5", BC_FONT_ERR_IMB_ILLEGAL_CHARACTER, "a byte above 127"},
      {"01-234567094987654321", BC_FONT_ERR_IMB_SEPARATOR_IN_TRACKING, "hyphen inside the tracking code"},
      {" 01234567094987654321", BC_FONT_ERR_IMB_SEPARATOR_IN_TRACKING, "a space before the tracking code"},
      {"0123456709498765432-101234", BC_FONT_ERR_IMB_SEPARATOR_IN_TRACKING,
       "hyphen one digit early: 19 + 6 digits"},
      {"01234567094987654321-0123a", BC_FONT_ERR_IMB_ILLEGAL_CHARACTER, "a letter in a hyphenated routing code"},
      {"01234567094987654321-0123456789a", BC_FONT_ERR_IMB_ILLEGAL_CHARACTER, "a letter after 10 routing digits"},
      {"09234567094987654321-01234567891", BC_FONT_ERR_IMB_ILLEGAL_BARCODE_IDENTIFIER,
       "second digit 9, a hyphen and 11 routing digits"},
      {"01234567094987654321-012345", BC_FONT_ERR_IMB_INCOMPLETE_ROUTING, "a hyphen and 6 routing digits"},
      {"05234567094987654321", BC_FONT_ERR_IMB_ILLEGAL_BARCODE_IDENTIFIER, "second digit 5"},
      {"09234567094987654321-01234", BC_FONT_ERR_IMB_ILLEGAL_BARCODE_IDENTIFIER, "second digit 9"},
      {"012345670949876543210", BC_FONT_ERR_IMB_INCOMPLETE_ROUTING, "1 routing digit"},
      {"012345670949876543210123", BC_FONT_ERR_IMB_INCOMPLETE_ROUTING, "4 routing digits"},
      {"012345670949876543210123456", BC_FONT_ERR_IMB_INCOMPLETE_ROUTING, "6 routing digits"},
      {"0123456709498765432101234567", BC_FONT_ERR_IMB_INCOMPLETE_ROUTING, "8 routing digits"},
      {"012345670949876543210123456789", BC_FONT_ERR_IMB_INCOMPLETE_ROUTING, "10 routing digits"},
      {"01234567094987654321012345678912", BC_FONT_ERR_IMB_INCOMPLETE_ROUTING, "12 routing digits"},
      {"01234567094987654321012345678912345678901234567890", BC_FONT_ERR_IMB_INCOMPLETE_ROUTING,
       "30 routing digits"},
  };
  for (const ErrorCase& c : kCases) {
    SCOPED_TRACE(c.why);
    int32_t rc = 0;
    EXPECT_EQ(Encode(c.value, &rc), "");
    EXPECT_EQ(rc, c.rc);
    char message[160] = {};
    ASSERT_EQ(BC_StrErr(c.rc, message, sizeof message), 0);
    EXPECT_EQ(std::string_view(message).find("Unknown"), std::string_view::npos) << message;
  }
}

// Seeded values spread over every routing length, with the extremes of each.
std::vector<std::string> SeededValues(size_t count) {
  std::vector<std::string> values = {
      "00000000000000000000",         "04999999999999999999",
      "00000000000000000000-00000",   "04999999999999999999-99999",
      "00000000000000000000-000000000", "04999999999999999999-999999999",
      "00000000000000000000-00000000000", "04999999999999999999-99999999999"};
  std::mt19937_64 random(20131);
  constexpr size_t kRoutingLengths[] = {0, 5, 9, 11};
  while (values.size() < count) {
    std::string v;
    for (size_t i = 0; i < 20; ++i) v.push_back(static_cast<char>('0' + random() % (i == 1 ? 5 : 10)));
    const size_t routing = kRoutingLengths[values.size() % 4];
    if (routing) v.push_back('-');
    for (size_t i = 0; i < routing; ++i) v.push_back(static_cast<char>('0' + random() % 10));
    values.push_back(v);
  }
  return values;
}

#if defined(__SIZEOF_INT128__)
TEST(ImbBinaryValue, BothWordLayoutsAgree) {
  for (const std::string& v : SeededValues(5000)) {
    SCOPED_TRACE(v);
    ASSERT_EQ(BarsWith<imb::TwoWords>(v), BarsWith<imb::Int128>(v));
  }
}
#endif

// The symbol built step by step as USPS-B-3200 describes it: the binary
// value digit by digit, the frame check bit by bit, codewords by one division
// at a time, and each bar from its two character bits.  It shares no table
// with the encoder beyond the standard's own (characters, bar sources).
std::string BarsStepByStep(const ImbCodes& codes, uint32_t& fcs) {
  auto digit = [&](size_t i) { return static_cast<uint32_t>(codes.digits[i] - '0'); };
  imb::TwoWords value;
  for (size_t i = 0; i < codes.routing_length; ++i) value.MultiplyAdd(10, digit(imb::kTrackingDigits + i));
  value.MultiplyAdd(1, static_cast<uint32_t>(imb::RoutingOffset(codes.routing_length)));
  value.MultiplyAdd(10, digit(0));
  value.MultiplyAdd(5, digit(1));
  for (size_t i = 2; i < imb::kTrackingDigits; ++i) value.MultiplyAdd(10, digit(i));
  fcs = imb::FrameCheckBitwise(value.High(), value.Low());
  uint32_t codewords[10];
  codewords[9] = value.DivideBy(imb::kLastDivisor) * 2;
  for (size_t i = 8; i >= 1; --i) codewords[i] = value.DivideBy(imb::kDivisor);
  codewords[0] = static_cast<uint32_t>(value.Low()) + ((fcs & imb::kFrameCheckTop) ? imb::kCodewordAMax + 1 : 0);
  uint32_t characters[10];
  for (size_t i = 0; i < 10; ++i) {
    characters[i] = imb::CharacterOf(codewords[i]) ^ (((fcs >> i) & 1u) ? imb::kCharacterMask : 0);
  }
  std::string bars;
  for (const imb::BarSource& s : imb::kBarSources) {
    const uint32_t down = (characters[s.descender_character] >> s.descender_bit) & 1u;
    const uint32_t up = (characters[s.ascender_character] >> s.ascender_bit) & 1u;
    bars.push_back(imb::kBarLetters[down | (up << 1)]);
  }
  return bars;
}

// The encoder's tables (bar parts by half character, complements by five
// characters at once) against the steps above, on values whose frame checks
// take every pattern of complemented characters A..E and F..J.
TEST(ImbBars, AgreeWithTheStepByStepSymbol) {
  bool first_seen[32] = {}, second_seen[32] = {};
  for (const std::string& v : SeededValues(20000)) {
    SCOPED_TRACE(v);
    ImbCodes codes;
    ASSERT_EQ(ParseImbValue(v, codes), 0);
    uint32_t fcs = 0;
    const std::string expected = BarsStepByStep(codes, fcs);
    first_seen[fcs & 0x1F] = second_seen[(fcs >> 5) & 0x1F] = true;
    ASSERT_EQ(BarsWith<imb::Wide>(v), expected);
  }
  for (size_t p = 0; p < 32; ++p) {
    EXPECT_TRUE(first_seen[p]) << "characters A..E complemented as " << p << " never met";
    EXPECT_TRUE(second_seen[p]) << "characters F..J complemented as " << p << " never met";
  }
}

// The encoder reads the usual form (20 digits, then nothing or a hyphen and
// 5, 9 or 11 digits) in one pass of its own; every other value goes the
// character-by-character way.  Both must give the same answer on every
// value: seeded values with one byte replaced at each place by a digit, the
// bytes either side of the digits, a letter or a separator, each compared
// with that way (ParseImbValue, then the bars).
TEST(ImbTranslate, UsualFormReadAtOnceAsCharacterByCharacter) {
  constexpr char kReplacements[] = {'0', '9', '/', ':', 'x', '-', ' ', '\x80'};
  size_t usual = 0, refused = 0;
  for (const std::string& seeded : SeededValues(48)) {
    for (size_t at = 0; at < seeded.size(); ++at) {
      for (char r : kReplacements) {
        std::string v = seeded;
        v[at] = r;
        SCOPED_TRACE(v);
        ImbCodes codes;
        const int32_t expected_rc = ParseImbValue(v, codes);
        std::string expected;
        if (expected_rc == 0) {
          expected.assign(imb::kBars, '?');
          ImbBars<imb::Wide>(codes, expected.data());
        }
        FontString out;
        ASSERT_EQ(EncodeImb(v, Options{}, out), expected_rc);
        ASSERT_EQ(out.view(), expected);
        ++(expected_rc ? refused : usual);
      }
    }
  }
  EXPECT_GT(usual, 1000u);
  EXPECT_GT(refused, 1000u);
}

// zint's --dump rows (ascender, tracker, descender) as hexadecimal bytes, one
// column per bar with a blank column between bars, back to bar letters.
std::string BarsOfDump(const std::string& ascender, const std::string& descender) {
  auto bits = [](const std::string& row) {
    std::string b;
    for (char c : row) {
      if (c == ' ' || c == '\n') continue;
      const int n = c <= '9' ? c - '0' : c - 'A' + 10;
      for (int i = 3; i >= 0; --i) b.push_back((n >> i) & 1 ? '1' : '0');
    }
    return b;
  };
  const std::string a = bits(ascender);
  const std::string d = bits(descender);
  std::string bars;
  for (size_t n = 0; n < imb::kBars && 2 * n < a.size() && 2 * n < d.size(); ++n) {
    const bool up = a[2 * n] == '1';
    const bool down = d[2 * n] == '1';
    bars.push_back(up ? (down ? 'F' : 'A') : (down ? 'D' : 'T'));
  }
  return bars;
}

TEST(ImbZint, BarForBarOnSeededValues) {
  if (std::system("zint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "zint is not on PATH";
  const std::vector<std::string> values = SeededValues(2400);
  const std::string path = ::testing::TempDir() + "imb_zint_values.txt";
  {
    std::ofstream file(path);
    for (const std::string& v : values) file << v << '\n';
  }
  // One zint run for all values: --batch dumps three rows per line read.
  const std::string command = "zint -b 85 --dump --batch -i '" + path + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> rows;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) rows.emplace_back(line);
  ASSERT_EQ(pclose(pipe), 0);
  ASSERT_EQ(rows.size(), 3 * values.size());
  size_t counts[12] = {};
  for (size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE(values[i]);
    ASSERT_EQ(Encode(values[i]), BarsOfDump(rows[3 * i], rows[3 * i + 2]));
    ++counts[values[i].size() > 20 ? values[i].size() - 21 : 0];
  }
  EXPECT_GE(counts[0], 500u);
  EXPECT_GE(counts[5], 500u);
  EXPECT_GE(counts[9], 500u);
  EXPECT_GE(counts[11], 500u);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace tavo::test
