// ITF-14 in the model: the frame and its bearers, the 2.5 : 1 bars, and a
// reader that finds every misplaced glyph and recomputes the check digit.
#include <random>

#include "model_test_support.h"
#include "symbologies/codes.h"

namespace tavo::model::test {
namespace {

constexpr int32_t kItf14 = symbology::kItf14;

std::string Seeded(std::mt19937& rng) {
  std::string s;
  for (int i = 0; i < 13; ++i) s += static_cast<char>('0' + rng() % 10);
  return s;
}

// Seeded values read back as themselves; the symbol is always the same
// shape: 5-module vertical bearers, 10-module quiet zones inside them,
// 18 narrow and 10 wide bars and spaces per digit pair... in all
// 5 + 10 + 4 + 7 x 16 + 4.5 + 10 + 5 modules, framed by 5-module bearers.
TEST(Itf14Model, SeededValuesReadBackInTheirFrame) {
  std::mt19937 rng(14);
  for (int n = 0; n < 300; ++n) {
    const std::string value = Seeded(rng);
    const std::string s = FontString(kItf14, value);
    const Reading reading = Read(kItf14, s);
    ASSERT_TRUE(reading.Consistent()) << value;
    ASSERT_EQ(reading.data, value);
    const Symbol symbol = Build(kItf14, s);
    EXPECT_DOUBLE_EQ(symbol.Width(), 150.5);
    EXPECT_DOUBLE_EQ(symbol.bearer, 5);
    ASSERT_GE(symbol.elements.size(), 4u);
    for (const Element* frame : {&symbol.elements.front(), &symbol.elements.back()}) {
      EXPECT_TRUE(frame->bar && frame->height == BarHeight::kFrame && frame->width == 5);
    }
    EXPECT_EQ(symbol.elements[1].width, 10);
    EXPECT_EQ(symbol.elements[symbol.elements.size() - 2].width, 10);
    for (size_t i = 2; i + 2 < symbol.elements.size(); ++i) {
      const Element& e = symbol.elements[i];
      EXPECT_TRUE(e.width == 1 || e.width == 2.5) << i;
      EXPECT_EQ(e.height, BarHeight::kFull);
    }
    EXPECT_TRUE(ReadabilityWarnings(kItf14, symbol).empty());
  }
}

// Damaged font strings: what the reader says about each.
TEST(Itf14Model, ReaderFindsWhatIsOutOfPlace) {
  const std::string good = FontString(kItf14, "1540014128876");  // check digit 3
  ASSERT_EQ(good.size(), 11u);
  struct Case {
    std::string s;
    std::string fault;  // the first fault; "" for none
    bool check_matches;
    const char* why;
  };
  const Case kCases[] = {
      {good, "", true, "as the library writes it"},
      {good.substr(1), "no left bearer", true, "left frame glyph missing"},
      {good.substr(0, 10), "no right bearer", true, "right frame glyph missing"},
      {good.substr(0, 1) + good.substr(2), "no start character", true, "start missing"},
      {good.substr(0, 9) + good.substr(10), "no stop character", true, "stop missing"},
      {good.substr(0, 8) + "\xDC" + good.substr(9), "", false, "last pair 63 -> 64: check digit wrong"},
      {good.substr(0, 2) + good.substr(3), "12 digits where a GTIN-14 has 14", false, "a pair missing"},
      {good.substr(0, 2) + "\x97" + good.substr(2), "byte 2 (0x97) out of place", true, "a second start"},
      {"", "no left bearer", false, "empty"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    const Reading reading = Read(kItf14, c.s);
    if (c.fault.empty()) {
      EXPECT_TRUE(reading.faults.empty()) << reading.faults.front();
    } else {
      ASSERT_FALSE(reading.faults.empty());
      EXPECT_EQ(reading.faults.front().substr(0, c.fault.size()), c.fault) << reading.faults.front();
    }
    ASSERT_EQ(reading.checks.size(), 1u);
    EXPECT_EQ(reading.checks[0].Matches(), c.check_matches);
    EXPECT_FALSE(reading.checks[0].optional);
  }
}

// Every glyph draws the bearer strokes over its whole advance, so they join
// (model/tests/glyphs_test.cpp sets the glyphs side by side).
TEST(Itf14Model, EveryGlyphCarriesTheBearers) {
  const std::vector<FontGlyph> glyphs = FontGlyphs(kItf14, {});
  EXPECT_EQ(glyphs.size(), 104u);  // 100 pairs, start, stop, two frames
  for (const FontGlyph& g : glyphs) EXPECT_DOUBLE_EQ(g.bearer, 5) << g.name;
}

// Strings of ITF-14 glyphs in any order: the reader never calls one
// consistent unless it is exactly what the library writes for the data it
// read, and each prints (the builder takes every glyph anywhere).
TEST(Itf14Model, OnlyTheLibrarysStringsReadConsistent) {
  const std::string good = FontString(kItf14, "1540014128876");
  std::mt19937 rng(1414);
  int consistent = 0;
  for (int n = 0; n < 3000; ++n) {
    std::string s = good;
    // One to three changes: a byte replaced by another glyph, dropped or doubled.
    for (int k = 0, changes = 1 + static_cast<int>(rng() % 3); k < changes && !s.empty(); ++k) {
      const size_t at = rng() % s.size();
      const int glyph = static_cast<int>(rng() % 104);
      const char c = static_cast<char>(glyph < 5 ? 0x92 + glyph : glyph < 9 ? 0x97 + glyph - 5 : 0xA1 + glyph - 9);
      switch (rng() % 3) {
        case 0: s[at] = c; break;
        case 1: s.erase(at, 1); break;
        default: s.insert(at, 1, c);
      }
    }
    const Reading reading = Read(kItf14, s);
    Build(kItf14, s);
    if (!reading.Consistent()) continue;
    ++consistent;
    ASSERT_EQ(reading.data.size(), 13u);
    EXPECT_EQ(FontString(kItf14, reading.data), s);
  }
  EXPECT_GT(consistent, 0);  // some replacements of a pair pair up again
}

}  // namespace
}  // namespace tavo::model::test
