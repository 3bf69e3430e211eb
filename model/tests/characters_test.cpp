// What each code point stands for: the symbol characters it draws, by name,
// with their check values, and the bytes the model cannot interpret.
#include "model_test_support.h"

namespace tavo::model::test {
namespace {

// "name=value" of each symbol character, joined by spaces; "|" marks a
// character drawn by another byte than the one before it.
std::string Describe(const Symbol& symbol) {
  std::string out;
  size_t last = SIZE_MAX;
  for (const SymbolCharacter& c : symbol.characters) {
    if (!out.empty()) out += ' ';
    if (c.byte_index != last && last != SIZE_MAX) out += '|';
    out += c.name + "=" + std::to_string(c.value);
    last = c.byte_index;
  }
  return out;
}

struct MeaningCase {
  int32_t symbology;
  std::string_view font_string;
  std::string_view characters;
  const char* why;
};

constexpr MeaningCase kMeanings[] = {
    {0, "*A_$*", "START=-1 |A=10 |SPACE=38 |$=39 |STOP=-1", "code 0: one Code 39 character per byte, _ the space"},
    {0, "*", "STOP=-1", "a lone * is the stop an empty value leaves"},
    {1, "\x60\x89~", "START=-1 |$=39 I=18 |STOP=-1", "code 1: byte 0x89 is HT, drawn as the pair $ I"},
    {1, "\x60" "a_\xA1\xA5~", "START=-1 |+=41 A=10 |SPACE=38 |%=42 O=24 |/=40 J=19 |STOP=-1",
     "code 1: a is + A, _ the space, 0xA1 the underscore (% O), 0xA5 the asterisk (/ J)"},
    {1, "\xA7\xA6", "%=42 U=30 |%=42 T=29", "code 1: NUL is % U and DEL % T"},
    {2, "\x97\x92\xA1\xFF\x98", "START=-1 |00=0 |05=5 |99=99 |STOP=-1", "I2of5: each byte a digit pair"},
    {3, "B1+c", "START B=17 |1=1 |+=15 |STOP C=18", "Codabar: upper-case start, lower-case stop"},
    {4, "\x60" "09~", "START=-1 |0=0 |9=9 |STOP=-1", "MSI: one digit per byte"},
    {5, "\x7D\xE1\x30\x50\x7C\xB0\x7E", "START=-1 |(+)=46 A=10 |(%)=44 U=30 |SPACE=38 |CHECK (+)=46 |CHECK 0=0 |STOP=-1",
     "Code 93: a is (+) A, 0x30 NUL is (%) U, 0x7C the shift (+) alone"},
    {6, "!~u1|AP*\xB0", "LEFT GUARD=-1 |0 (set A)=0 |1 (set A)=1 |CENTRE GUARD=-1 |0 (set C)=0 |CHECK 5 (set C)=5 |RIGHT GUARD=-1",
     "UPC/EAN: caption glyphs draw no symbol character"},
    {10, "b=\xA3@s_", "1 (set B)=1 |ADD-ON START=-1 |2 (set B)=2 |ADD-ON SEPARATOR=-1 |8 (set A)=8",
     "add-on digits in sets A and B"},
    {8, "*09*", "FRAME=-1 |0=0 |9=9 |FRAME=-1", "PostNet: frame bars and digits"},
    {11, "\xE7\xA1\xE2\xC1\xE3\x2D\xE4\xF3\xA6\xEA",
     "START A=103 |A=33 |SHIFT=98 |a=65 |CODE C=99 |12=12 |CODE B=100 |SPACE=0 |CHECK 38=38 |STOP=-1",
     "Code 128: the same value means what the code set in force makes of it"},
    {11, "\xE8\xE4\xE5\xE4\xE5\xEA", "START B=104 |FNC4=100 |CODE A=101 |CODE B=100 |CHECK 101=101 |STOP=-1",
     "228 is FNC4 in set B and CODE B in set A"},
};

TEST(ModelCharacters, EachCodePointStandsForItsSymbolCharacters) {
  for (const MeaningCase& c : kMeanings) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Describe(Build(c.symbology, c.font_string)), c.characters);
  }
}

struct ErrorCase {
  int32_t symbology;
  std::string_view font_string;
  size_t byte_index;
  std::string_view reason_part;
  const char* why;
};

constexpr ErrorCase kErrors[] = {
    {0, "*a*", 1, "none of the 43", "lower case is no Code 39 character"},
    {0, "* *", 1, "none of the 43", "code 0 writes the space as _"},
    {1, "\x60*~", 1, "no glyph", "the asterisk moved to 0xA5"},
    {1, "\x60" "A\x90~", 2, "no glyph", "0x90 holds no control character"},
    {2, "\x97\x99\x98", 1, "no glyph", "0x99..0xA0 hold no pair"},
    {3, "A1Ea", 2, "no glyph", "E is no Codabar character"},
    {4, "\x60" "1A~", 2, "no glyph", "MSI has digits only"},
    {5, "\x7D\x80\x7E", 1, "no glyph", "0x80 is below the glyphs of ASCII 33"},
    {6, "!~u1-", 4, "no glyph", "the hyphen is no UPC/EAN glyph"},
    {8, "*1-*", 2, "no glyph", "PostNet font has no hyphen"},
    {11, "\xE8\x2D\xF3\xEA", 1, "code set B, not C", "a pair code where code set B is in force"},
    {11, "\xE9\x2D\xE4\x2D\xF3\xEA", 3, "code set B, not C", "a pair code after CODE B"},
    {11, "\xE8\xE2\x2D\xF3\xEA", 2, "code set A, not C", "a pair code after SHIFT in set B"},
    {11, "\x2D\xEA", 0, "no start character", "without a start no code set is in force"},
    {11, "\xE8\xA1\xEA\xA1\xF3\xEA", 2, "stop character before the end", "a stop inside"},
    {11, "\xE8\xE9\xF3\xEA", 1, "start character inside", "a start inside"},
    {11, "\xE8\x80\xF3\xEA", 1, "no code", "128 is no Code 128 font code"},
    {22, "", 0, "unknown symbology", "code 22, which never gets a symbology"},
};

TEST(ModelCharacters, SaysWhichByteItCannotInterpret) {
  for (const ErrorCase& c : kErrors) {
    SCOPED_TRACE(c.why);
    Symbol symbol;
    ModelError error;
    EXPECT_FALSE(BuildSymbol(c.symbology, c.font_string, {}, symbol, error));
    EXPECT_EQ(error.byte_index, c.byte_index);
    EXPECT_NE(error.reason.find(c.reason_part), std::string::npos) << error.reason;
    Reading reading;
    EXPECT_FALSE(ReadSymbol(c.symbology, c.font_string, reading, error));
  }
}

TEST(ModelCaptions, UpcEanDigitsBesideAndUnderTheBars) {
  // UPC-A 01234567890: the number system 0 left of the left guard and the
  // check digit 5 right of the right guard, level with the bars' lower part;
  // the ten other digits under their bars; lead and check bars reach down.
  const Symbol symbol = Build(6, "!~u12345|GHIJAP*\xB0");
  ASSERT_EQ(symbol.captions.size(), 12u);
  EXPECT_EQ(symbol.captions.front().text, "0");
  EXPECT_FALSE(symbol.captions.front().below);
  EXPECT_LT(symbol.captions.front().x, 0);
  EXPECT_EQ(symbol.captions.back().text, "5");
  EXPECT_FALSE(symbol.captions.back().below);
  EXPECT_GT(symbol.captions.back().x, symbol.Width());
  // "1" is the first digit under the bars: modules 10..16 (guard 3, lead 7).
  EXPECT_EQ(symbol.captions[1].text, "1");
  EXPECT_TRUE(symbol.captions[1].below);
  EXPECT_DOUBLE_EQ(symbol.captions[1].x, 13.5);
  EXPECT_EQ(symbol.Width(), 95);
  EXPECT_EQ(symbol.elements.front().height, BarHeight::kGuard);
  EXPECT_EQ(symbol.elements[4].height, BarHeight::kGuard) << "lead digit bars reach down";
  EXPECT_GE(symbol.quiet_left, 9);
}

TEST(ModelCaptions, CaptionFontsShowTheDataUnderTheBars) {
  struct Case { int32_t symbology; std::string_view font_string, text; const char* why; };
  constexpr Case kCases[] = {
      {0, "*AB_*", "AB ", "start and stop show nothing"},
      {1, "\x60" "a\x89" "b~", "ab", "control characters show nothing"},
      {2, "\x97\xA8\x98", "12", "a pair shows both digits"},
      {3, "A1-b", "1-", "Codabar start/stop letters show nothing"},
      {4, "\x60" "12~", "12", "MSI digits"},
      {5, "\x7D\xE1\xC1\x7B\x7E", "aA", "Code 93: the glyph's character, shifts show nothing"},
      {11, "\xE9\x2D\xE4\xA1\xC5\xEA", "12A", "Code 128: the data text, pairs as two digits"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    const Symbol symbol = Build(c.symbology, c.font_string, {.caption = true});
    std::string text;
    double last_x = -1e9;
    for (const Caption& caption : symbol.captions) {
      text += caption.text;
      EXPECT_TRUE(caption.below);
      EXPECT_GT(caption.x, last_x) << "left to right";
      EXPECT_GT(caption.x, 0);
      EXPECT_LT(caption.x, symbol.Width());
      last_x = caption.x;
    }
    EXPECT_EQ(text, c.text);
    EXPECT_TRUE(Build(c.symbology, c.font_string).captions.empty()) << "the plain fonts show none";
  }
}

TEST(ModelSymbol, StartsAndEndsWithABarAndKeepsQuietZones) {
  struct Case { int32_t symbology; std::string_view font_string; double quiet_left, quiet_right; };
  constexpr Case kCases[] = {
      {0, "*A*", 10, 10}, {2, "\x97\x92", 10, 10}, {4, "\x60" "00~", 12, 12},
      {9, "_~9638|FAHE*_", 9, 9}, {10, "&~9ab23e|BCDEFH*_", 11, 9}, {8, "*123455*", 6, 6},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.font_string);
    const Symbol symbol = Build(c.symbology, c.font_string);
    ASSERT_FALSE(symbol.elements.empty());
    EXPECT_TRUE(symbol.elements.front().bar);
    EXPECT_TRUE(symbol.elements.back().bar);
    EXPECT_EQ(symbol.quiet_left, c.quiet_left);
    EXPECT_EQ(symbol.quiet_right, c.quiet_right);
  }
}

}  // namespace
}  // namespace tavo::model::test
