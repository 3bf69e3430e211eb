// The font glyphs: every code point an encoder emits has one, each has the
// width its symbology's rules give, and glyphs set side by side draw exactly
// the symbol the model lays out for the whole font string.
#include <random>
#include <set>

#include "model_test_support.h"

namespace tavo::model::test {
namespace {

// ---------------------------------------------------------------------------
// Coverage: the code points each encoder may emit, as byte ranges.

std::set<int> Ranges(std::initializer_list<std::pair<int, int>> ranges) {
  std::set<int> bytes;
  for (auto [lo, hi] : ranges) {
    for (int b = lo; b <= hi; ++b) bytes.insert(b);
  }
  return bytes;
}

std::set<int> GlyphCodes(int32_t symbology) {
  std::set<int> codes;
  for (const FontGlyph& g : FontGlyphs(symbology, {})) codes.insert(g.code);
  return codes;
}

struct EmittedCase {
  int32_t symbology;
  std::set<int> emitted;
  const char* why;
};

TEST(FontGlyphs, EveryEmittedCodePointHasAGlyph) {
  const std::set<int> upc_ean = Ranges({{33, 43}, {48, 57}, {60, 62}, {64, 126}, {161, 180}});
  const EmittedCase cases[] = {
      {0, Ranges({{'0', '9'}, {'A', 'Z'}, {'-', '.'}, {'_', '_'}, {'$', '$'}, {'/', '/'}, {'+', '+'}, {'%', '%'},
                  {'*', '*'}}),
       "Code 39 Full ASCII: the 43 characters, _ for space, and *"},
      {1, Ranges({{33, 41}, {43, 126}, {0x82, 0x8C}, {0x91, 0x9C}, {0xA1, 0xA3}, {0xA5, 0xAF}}),
       "Code 39 fonts: printable ASCII, moved control characters, start and stop"},
      {2, Ranges({{146, 152}, {161, 255}}), "I2of5: pairs, start, stop"},
      {3, Ranges({{'0', '9'}, {'-', '-'}, {'$', '$'}, {':', ':'}, {'/', '/'}, {'.', '.'}, {'+', '+'}, {'A', 'D'},
                  {'a', 'd'}}),
       "Codabar"},
      {4, Ranges({{'`', '`'}, {'0', '9'}, {'~', '~'}}), "MSI"},
      {5, Ranges({{48, 80}, {121, 126}, {161, 255}}), "Code 93"},
      {6, upc_ean, "UPC-A"}, {7, upc_ean, "UPC-E"}, {9, upc_ean, "EAN-8"}, {10, upc_ean, "EAN-13"},
      {8, Ranges({{'*', '*'}, {'0', '9'}}), "PostNet"},
      {11, Ranges({{33, 125}, {130, 140}, {145, 156}, {161, 234}, {236, 252}}), "Code 128"},
  };
  for (const EmittedCase& c : cases) {
    SCOPED_TRACE(c.why);
    const std::set<int> codes = GlyphCodes(c.symbology);
    for (int b : c.emitted) EXPECT_EQ(codes.count(b), 1u) << "no glyph for byte " << b;
    // Nothing beyond what some encoder of the font emits.
    if (c.symbology != 0 && c.symbology != 1) {
      EXPECT_EQ(codes, c.emitted);
    }
  }
  // The Code 39 font prints both forms: code 0's "*" beside code 1's set.
  std::set<int> both = cases[0].emitted;
  both.insert(cases[1].emitted.begin(), cases[1].emitted.end());
  EXPECT_EQ(GlyphCodes(1), both);
  EXPECT_EQ(GlyphCodes(0), both);
  EXPECT_TRUE(FontGlyphs(22, {}).empty());  // code 22 never gets a symbology
  EXPECT_TRUE(FontGlyphs(-1, {}).empty());
}

// ---------------------------------------------------------------------------
// Widths from the symbologies' rules, not from the model's tables.

double Advance(int32_t symbology, unsigned char code, ModelOptions options = {}) {
  FontGlyph g;
  EXPECT_TRUE(GlyphOf(symbology, code, options, g)) << "byte " << int{code};
  double sum = 0;
  for (const Element& e : g.elements) sum += e.width;
  EXPECT_DOUBLE_EQ(sum, g.advance) << "elements fill the advance of byte " << int{code};
  return g.advance;
}

struct WidthCase {
  int32_t symbology;
  unsigned char code;
  double ratio;
  double advance;
  const char* why;
};

constexpr WidthCase kWidths[] = {
    {1, 'A', 3, 3 * 3 + 6 + 1, "Code 39: three wide and six narrow elements, then the narrow gap"},
    {1, 'A', 2.5, 3 * 2.5 + 6 + 1, "Code 39 at ratio 2.5"},
    {1, 'a', 3, 2 * 16, "Code 39 fonts: a draws the pair + A, each with its gap"},
    {0, '*', 3, 16, "Code 39 start/stop *"},
    {1, '`', 3, 16, "Code 39 fonts: the start glyph draws *"},
    {2, 0xA1, 3, 2 * (2 * 3 + 3), "I2of5: a pair is two digits of two wide and three narrow elements"},
    {2, 0x97, 3, 4, "I2of5 start: four narrow elements"},
    {2, 0x98, 3, 3 + 2, "I2of5 stop: wide bar, narrow space, narrow bar"},
    {3, '1', 3, 2 * 3 + 5 + 1, "Codabar digit: two wide, five narrow, then the gap"},
    {3, 'A', 3, 3 * 3 + 4 + 1, "Codabar start letter: three wide, four narrow, then the gap"},
    {4, '7', 3, 4 * (3 + 1), "MSI digit: four bits of a wide and a narrow element"},
    {4, '`', 3, 3 + 1, "MSI start: wide bar, narrow space"},
    {4, '~', 3, 1 + 3 + 1, "MSI stop: narrow bar, wide space, narrow bar"},
    {5, 0xC1, 1, 9, "Code 93: A is one symbol character of nine modules"},
    {5, 0xE1, 1, 18, "Code 93: a is the shift (+) and A"},
    {5, 0x7E, 1, 10, "Code 93 stop: nine modules and the termination bar"},
    {11, 0xA1, 1, 11, "Code 128 value code: eleven modules"},
    {11, 0x21, 1, 11, "Code 128 pair code: eleven modules"},
    {11, 0xEA, 1, 13, "Code 128 stop: thirteen modules"},
    {6, '0', 1, 7, "UPC/EAN digit: seven modules"},
    {6, '~', 1, 3, "UPC/EAN normal guard"},
    {6, '|', 1, 5, "UPC/EAN centre guard"},
    {6, '^', 1, 6, "UPC-E end guard"},
    {6, '*', 1, 3, "UPC/EAN right guard"},
    {6, '=', 1, 4, "add-on start 1011"},
    {6, '@', 1, 2, "add-on separator 01"},
    {8, '5', 1, 10, "PostNet digit: five bars, each with its space"},
    {8, '*', 1, 2, "PostNet frame bar and its space"},
};

TEST(FontGlyphs, AdvancesFollowTheSymbologyRules) {
  for (const WidthCase& c : kWidths) {
    SCOPED_TRACE(c.why);
    EXPECT_DOUBLE_EQ(Advance(c.symbology, c.code, {.wide_ratio = c.ratio}), c.advance);
  }
}

TEST(FontGlyphs, BarHeightsAndCaptionsOfTheSpecialGlyphs) {
  FontGlyph g;
  ASSERT_TRUE(GlyphOf(8, '7', {}, g));  // PostNet 7: weights 7 4 2 1 0 give tall short short short tall
  std::string heights;
  for (const Element& e : g.elements) {
    if (e.bar) heights += e.height == BarHeight::kFull ? 'T' : 'S';
  }
  EXPECT_EQ(heights, "TSSST");
  ASSERT_TRUE(GlyphOf(6, 'u', {}, g));  // UPC-A first digit: reaches down, caption outside
  EXPECT_TRUE(g.captions.empty());
  for (const Element& e : g.elements) EXPECT_TRUE(!e.bar || e.height == BarHeight::kGuard);
  ASSERT_TRUE(GlyphOf(6, '!', {}, g));  // caption glyph: 0 beside the bars, no bars
  ASSERT_EQ(g.captions.size(), 1u);
  EXPECT_EQ(g.captions[0].text, "0");
  EXPECT_FALSE(g.captions[0].below);
  EXPECT_EQ(g.elements.size(), 1u);
  ASSERT_TRUE(GlyphOf(1, 0x89, {.caption = true}, g));  // HT: no caption text
  EXPECT_TRUE(g.captions.empty());
  ASSERT_TRUE(GlyphOf(11, 0xC8, {.caption = true}, g));  // value 40: BS in set A, h in set B
  ASSERT_EQ(g.captions.size(), 1u);
  EXPECT_EQ(g.captions[0].text, "h");
  ASSERT_TRUE(GlyphOf(11, 0x59, {.caption = true}, g));  // pair 56
  EXPECT_EQ(g.captions[0].text, "56");
  ASSERT_TRUE(GlyphOf(1, 'A', {}, g));  // no caption without the caption option
  EXPECT_TRUE(g.captions.empty());
}

// ---------------------------------------------------------------------------
// Glyphs side by side against the symbol of the whole string.

struct Drawn {
  std::vector<Element> elements;
  std::vector<Caption> captions;
};

// The glyphs of `s` set one after another, elements merged where a bar meets
// a bar of the same height (or a space a space), with the blank at either
// end dropped and the captions measured from the first bar.
Drawn SideBySide(int32_t symbology, std::string_view s, const ModelOptions& options) {
  Drawn d;
  double x = 0;
  for (char c : s) {
    FontGlyph g;
    EXPECT_TRUE(GlyphOf(symbology, static_cast<unsigned char>(c), options, g));
    for (const Element& e : g.elements) {
      if (!d.elements.empty() && d.elements.back().bar == e.bar && (!e.bar || d.elements.back().height == e.height)) {
        d.elements.back().width += e.width;
      } else {
        d.elements.push_back(e);
      }
    }
    for (Caption cap : g.captions) {
      cap.x += x;
      d.captions.push_back(cap);
    }
    x += g.advance;
  }
  double leading = 0;
  if (!d.elements.empty() && !d.elements.front().bar) {
    leading = d.elements.front().width;
    d.elements.erase(d.elements.begin());
  }
  if (!d.elements.empty() && !d.elements.back().bar) d.elements.pop_back();
  for (Caption& cap : d.captions) cap.x -= leading;
  return d;
}

std::string Text(const std::vector<Element>& elements) {
  std::string out;
  for (const Element& e : elements) {
    out += e.bar ? 'B' : 'S';
    out += std::to_string(e.width);
    if (e.bar && e.height != BarHeight::kFull) out += e.height == BarHeight::kGuard ? "g" : "h";
    out += ' ';
  }
  return out;
}

std::string Text(const std::vector<Caption>& captions) {
  std::string out;
  for (const Caption& c : captions) out += c.text + "@" + std::to_string(c.x) + (c.below ? "" : "b") + ' ';
  return out;
}

// Code 128 glyph captions are those of the symbol plus the set B characters
// the symbol shows no caption for (set A control characters, the check).
bool CaptionsCover(const std::vector<Caption>& glyphs, const std::vector<Caption>& symbol) {
  size_t k = 0;
  for (const Caption& c : glyphs) {
    if (k < symbol.size() && c.text == symbol[k].text && c.x == symbol[k].x) ++k;
  }
  return k == symbol.size();
}

void ExpectSideBySide(int32_t symbology, std::string_view value, int32_t check, const ModelOptions& options) {
  const std::string s = FontString(symbology, value, check);
  SCOPED_TRACE("symbology " + std::to_string(symbology) + ", value \"" + std::string(value) + "\"");
  const Symbol symbol = Build(symbology, s, options);
  const Drawn d = SideBySide(symbology, s, options);
  EXPECT_EQ(Text(d.elements), Text(symbol.elements));
  if (symbology == 11) {
    EXPECT_TRUE(CaptionsCover(d.captions, symbol.captions)) << Text(d.captions) << "\n" << Text(symbol.captions);
  } else {
    EXPECT_EQ(Text(d.captions), Text(symbol.captions));
  }
}

std::string Random(std::mt19937& rng, std::string_view alphabet, size_t min_len, size_t max_len) {
  std::string s(std::uniform_int_distribution<size_t>(min_len, max_len)(rng), ' ');
  for (char& c : s) c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
  return s;
}

std::string Ascii() {
  std::string all;
  for (int c = 1; c < 128; ++c) all += static_cast<char>(c);
  return all;
}

struct ValueKind {
  int32_t symbology;
  std::string alphabet;
  size_t min_len, max_len;
};

TEST(FontGlyphs, SideBySideTheyDrawTheModelsSymbol) {
  const std::string digits = "0123456789";
  const ValueKind kinds[] = {
      {0, Ascii(), 1, 20},  {1, Ascii(), 1, 20},     {2, digits, 1, 20}, {3, "0123456789-$:/.+", 1, 16},
      {4, digits, 1, 14},   {5, Ascii(), 1, 20},     {6, digits, 11, 11}, {6, digits, 13, 13},
      {7, digits, 6, 6},    {7, digits, 11, 11},     {8, digits, 5, 5},   {8, digits, 11, 11},
      {9, digits, 7, 7},    {9, digits, 9, 9},       {10, digits, 12, 12}, {10, digits, 17, 17},
      {11, Ascii() + "\xB9\xB2\xB3\xBC\xC7" + digits + digits + digits, 1, 24},
      {20, digits, 13, 13},
  };
  std::mt19937 rng(2024);
  for (const ValueKind& k : kinds) {
    for (int n = 0; n < 60; ++n) {
      std::string value = Random(rng, k.alphabet, k.min_len, k.max_len);
      const ModelOptions options{.wide_ratio = 2.0 + 0.25 * (n % 5), .caption = n % 2 == 0};
      ExpectSideBySide(k.symbology, value, n % 3 == 0, options);
    }
  }
  ExpectSideBySide(3, "a12345b", 1, {.caption = true});
  ExpectSideBySide(11, "HELLO\x01world 1234567", 0, {.caption = true});
}

}  // namespace
}  // namespace tavo::model::test
