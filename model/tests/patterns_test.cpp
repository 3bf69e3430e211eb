// Bars and spaces of known symbols against an independent oracle: the rows
// that zint 2.11 (Debian's zint package) dumps for the same symbols, captured
// here with the command that produced each (`zint -b B --dump -d DATA`).
// zint draws wide elements of Code 39, Codabar and MSI two modules wide and
// those of Interleaved 2 of 5 three wide, so the cases say which ratio.
#include "model_test_support.h"

namespace tavo::model::test {
namespace {

struct PatternCase {
  int32_t symbology;
  std::string_view font_string;
  double wide_ratio;
  std::string_view zint;  // the dump row
  const char* why;        // with the zint command
};

constexpr PatternCase kCases[] = {
    {0, "*C+O+D+E_39L*", 2, "96 D6 D2 A5 25 AD 29 49 56 5A 52 5A CA 9A D6 CA AC B5 6A 69 6D",
     "Code 39 with shift pairs, space and check: zint -b 8 -d 'C+O+D+E 39L'"},
    {1, "\x60" "A\x89" "B~", 2, "96 D6 A5 A4 95 69 AB 4B 4B 68",
     "glyph 0x89 draws HT as $ I: zint -b 9 --esc -d 'A\\tB'"},
    {1, "\x60" "Code_39L~", 2, "96 D6 D2 A5 25 AD 29 49 56 5A 52 5A CA 9A D6 CA AC B5 6A 69 6D",
     "lower-case glyphs draw + and the letter: zint -b 9 --vers=1 -d 'Code 39'"},
    {2, "\x97\x93\xB3\xC9\xDF\x98", 3, "A8 BB A2 38 AE 8B 8B AE E8 8E 8",
     "pairs 01 23 45 67 between start and stop: zint -b 3 -d 01234567"},
    {3, "A123451a", 2, "B2 55 95 2D 95 5A 5A 95 65 64 8",
     "lower-case stop draws the letter's pattern: zint -b 18 -d A123451A"},
    {4, "\x60" "12345674~", 2, "D2 4D 26 92 6D 34 93 4D 36 93 6D 34 92",
     "four bits per digit between start and stop: zint -b 47 -d 12345674"},
    {5, "\x7D\xD4\xC5\xD3\xD4\xB9\xB3\xAB\xB6\x7E", 1, "AF 69 B2 5A CD 34 2A 85 76 91 57 A",
     "check characters C and K, stop with its termination bar: zint -b 25 -d TEST93"},
    {5, "\x7D\xC1\xE2\xA4\xB4\x7E", 1, "AF 6A 26 5A 4E 54 A2 BD",
     "the glyph of b draws (+) B: zint -b 25 -d Ab"},
    {6, "!~u12345|GHIJAP*\xB0", 1, "A3 4C 93 7A 8D 8A A8 44 91 D3 94 EA",
     "UPC-A; the caption glyphs draw no bars: zint -b 34 -d 01234567890"},
    {7, "!~b23ef6^\xB0", 1, "AC C9 BD 3A E5 7A A",
     "UPC-E sets carry check digit 5, end guard 010101: zint -b 37 -d 0123456"},
    {9, "_~9638|FAHE*_", 1, "A2 D7 BD 6E A9 DC A2 5C A",
     "EAN-8 between spacers: zint -b 13 -d 9638507"},
    {10, "&~9ab23e|BCDEFH*_", 1, "A2 D3 B3 26 F4 EA B3 6C 85 72 74 4A",
     "EAN-13, leading digit 5 in the sets ABBAAB: zint -b 13 -d 590123412345"},
    {11, "\xE8\xA3\xCF\xC4\xC5\xF3\xF9\x91\x97\xC0\xEA", 1,
     "D2 11 1A 3D 42 6B 21 B3 27 36 72 E9 94 33 1D 6",
     "code set B and the 13-module stop: zint -b 20 -d 'Code 128'"},
    {11, "\xE9\x2D\x43\xD2\xEA", 1, "D3 96 72 2C 49 EC 75 8",
     "digit pairs in code set C: zint -b 20 -d 1234"},
    {11, "\xE9\xE6\x22\x2D\x43\x59\x6F\x7B\x2D\x40\xCA\xEA", 1,
     "D3 9E BB 36 59 C8 B1 C5 B0 A6 F6 B3 9B 1A 19 63 AC",
     "FNC1 in code set C: zint -b 16 -d '[01]12345678901231'"},
};

TEST(ModelPatterns, MatchTheZintDumps) {
  for (const PatternCase& c : kCases) {
    SCOPED_TRACE(c.why);
    const Symbol symbol = Build(c.symbology, c.font_string, {.wide_ratio = c.wide_ratio});
    EXPECT_EQ(PadToNibble(Modules(symbol)), ZintRow(c.zint));
  }
}

TEST(ModelPatterns, AddOnsFollowAGapOfNineModules) {
  // zint leaves the smallest gap the standard allows (7 modules); the font's
  // spacer and caption glyphs leave 9, within the 7 to 12 asked for.  The
  // main symbol and the add-on match zint's around the gap.
  struct Case { std::string_view font_string, zint; const char* why; };
  constexpr Case kAddOns[] = {
      {"&~9ab23e|BCDEFH*_=l@m_", "A2 D3 B3 26 F4 EA B3 6C 85 72 74 4A 02 CC A4 C",
       "2-digit add-on 12, sets A A: zint -b 13 -d 590123412345+12"},
      {"&~9ab23e|BCDEFH*_=\xA6@m@\xA5@t@p_",
       "A2 D3 B3 26 F4 EA B3 6C 85 72 74 4A 02 DC A4 D3 A8 B5 88",
       "5-digit add-on 52495, sets B A B A A: zint -b 13 -d 590123412345+52495"},
  };
  for (const Case& c : kAddOns) {
    SCOPED_TRACE(c.why);
    const std::string modules = Modules(Build(10, c.font_string));
    const std::string zint = ZintRow(c.zint);
    ASSERT_GT(modules.size(), 104u);
    const size_t add_on = modules.size() - 104;
    EXPECT_EQ(modules.substr(0, 95), zint.substr(0, 95));
    EXPECT_EQ(modules.substr(95, 9), std::string(9, '0'));
    EXPECT_EQ(zint.substr(95, 7), std::string(7, '0'));
    EXPECT_EQ(modules.substr(104), zint.substr(102, add_on));
    EXPECT_EQ(zint.find_last_of('1'), 101 + add_on);
  }
}

TEST(ModelPatterns, PostNetTallAndShortBars) {
  // zint -b 40 --dump -d 12345: the first row holds the tall bars, the
  // second every bar; bars and spaces are one module each.
  const Symbol symbol = Build(8, "*123455*");
  std::string tall, all;
  for (const Element& e : symbol.elements) {
    tall.push_back(e.bar && e.height == BarHeight::kFull ? '1' : '0');
    all.push_back(e.bar ? '1' : '0');
    EXPECT_EQ(e.width, 1);
  }
  EXPECT_EQ(PadToNibble(tall), ZintRow("80 A0 88 28 20 88 82 22"));
  EXPECT_EQ(PadToNibble(all), ZintRow("AA AA AA AA AA AA AA AA"));
}

TEST(ModelPatterns, WideRatioScalesOnlyWideElements) {
  // Code 39 "*": n w n n w n w n n; with ratio 3 it is 6 + 9 = 15 modules.
  const Symbol symbol = Build(0, "*", {.wide_ratio = 3});
  ASSERT_EQ(symbol.elements.size(), 9u);
  EXPECT_EQ(symbol.Width(), 15);
  EXPECT_EQ(symbol.elements[1].width, 3);
  EXPECT_EQ(symbol.elements[0].width, 1);
}

}  // namespace
}  // namespace tavo::model::test
