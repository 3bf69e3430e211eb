// Code 39 for the library's Code 39 fonts: glyphs, check character, start and stop.
#include <chrono>

#include "test_support.h"

namespace tavo::test {
namespace {

// The font's glyph positions, written as data: a run of ASCII codes and the
// font byte of its first code (the run continues one by one).  Codes in no
// run are written as themselves.
struct GlyphRun { int first, last, glyph; };
constexpr GlyphRun kGlyphRuns[] = {
    {0, 0, 0xA7},   {1, 1, 0xA8},   {2, 12, 0x82},  {13, 16, 0xA9}, {17, 28, 0x91},
    {29, 31, 0xAD}, {32, 32, '_'},  {42, 42, 0xA5}, {95, 95, 0xA1}, {96, 96, 0xA2},
    {126, 126, 0xA3}, {127, 127, 0xA6},
};

char GlyphOf(int code) {
  for (const GlyphRun& run : kGlyphRuns) {
    if (code >= run.first && code <= run.last) return static_cast<char>(run.glyph + code - run.first);
  }
  return static_cast<char>(code);
}

// The independent path to the check character: the Full ASCII form (code 0)
// puts it just before its stop character.
char FullAsciiCheckOf(std::string_view value) {
  const Translation t = Translate(BC_SYM_CODE39_FULL_ASCII, value, 1);
  EXPECT_EQ(t.rc, 0);
  return t.bytes.size() >= 2 ? t.bytes[t.bytes.size() - 2] : '?';
}


TEST(Code39Translate, WorkedExamples) {
  const CheckedCase kCases[] = {
      {"Code 39", 1, "`Code_39L~", "space drawn as _, check L summed over the +O +D +E pairs"},
      {"Code 39", 0, "`Code_39~", "without the check character"},
      {"Code 39", -5, "`Code_39L~", "any nonzero check option acts as 1"},
      {"abc", 1, "`abcR~", "lower case written as itself, check over +A +B +C"},
      {"A\tB", 1, "`A\x89" "BZ~", "a tab is the font byte 0x89, check over $I"},
      {"*", 0, "`\xA5~", "the asterisk moves to 0xA5"},
      {"_", 0, "`\xA1~", "the underscore moves to 0xA1"},
      {" ", 0, "`_~", "a space is drawn by _"},
      {"A$B", 1, "`A$BH~", "$ is the single Code 39 character: 10 + 39 + 11 = 60, mod 43 = 17, H"},
      {"$%+/", 0, "`$%+/~", "the shift characters stand for themselves"},
      {"`~", 0, "`\xA2\xA3~", "grave accent and tilde in the value leave the start/stop codes"},
      {"", 1, "0~", "empty: no start character (it belongs to the first value character)"},
      {"", 0, "~", "empty: the stop character alone"},
      {"9", 1, "`99~", "one character: its own check character"},
  };
  for (const CheckedCase& c : kCases) {
    SCOPED_TRACE(c.why);
    const Translation t = Translate(BC_SYM_CODE39, c.value, c.check);
    EXPECT_EQ(t.rc, 0);
    EXPECT_EQ(t.bytes, c.want);
  }
}

TEST(Code39Translate, EveryAsciiCodeHasItsGlyph) {
  for (int code = 1; code < 128; ++code) {  // 0 cannot be passed: it ends the value
    SCOPED_TRACE(code);
    const std::string value(1, static_cast<char>(code));
    const std::string glyph(1, GlyphOf(code));
    EXPECT_EQ(Translate(BC_SYM_CODE39, value, 0).bytes, "`" + glyph + "~");
    EXPECT_EQ(Translate(BC_SYM_CODE39, value, 1).bytes,
              "`" + glyph + FullAsciiCheckOf(value) + "~");
  }
}

TEST(Code39Translate, GlyphsAreDistinctAndAvoidUnusedFontCodes) {
  // One value holding every code 1..127: each glyph appears once, none is
  // the start or stop character, and none lies in the font's unused slots.
  std::string value;
  for (int code = 1; code < 128; ++code) value.push_back(static_cast<char>(code));
  const Translation t = Translate(BC_SYM_CODE39, value, 0);
  ASSERT_EQ(t.bytes.size(), 129u);
  bool seen[256] = {};
  for (size_t i = 1; i + 1 < t.bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(t.bytes[i]);
    SCOPED_TRACE(static_cast<int>(i));
    EXPECT_FALSE(seen[b]);
    seen[b] = true;
    EXPECT_TRUE(b != '`' && b != '~' && b != 0x80 && b != 0x81 && b != 0xA4 && b <= 0xAF);
    EXPECT_FALSE((b >= 0x8D && b <= 0x90) || (b >= 0x9D && b <= 0xA0));
  }
}

TEST(Code39CheckCharacter, MatchesTheFullAsciiForm) {
  const std::string_view kValues[] = {
      "Code 39", "$", "%", "+", "/", "-.", "Hello, World!", "~`_*", "\x01\x1F\x7F", "zzzzzzzzzz",
  };
  for (std::string_view value : kValues) {
    SCOPED_TRACE(value);
    const Translation t = Translate(BC_SYM_CODE39, value, 1);
    ASSERT_EQ(t.bytes.size(), value.size() + 3);
    EXPECT_EQ(t.bytes[value.size() + 1], FullAsciiCheckOf(value));
  }
}

TEST(Code39Rejects, BytesAbove127Anywhere) {
  for (int b = 128; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char bad = static_cast<char>(b);
    for (const std::string& value : {std::string(1, bad), "AB" + std::string(1, bad) + "C"}) {
      EXPECT_EQ(Translate(BC_SYM_CODE39, value, 1).rc, BC_FONT_ERR_ILLEGAL_CHARACTER_ASCII);
    }
  }
}

TEST(Code39Translate, OneMebibyteInLinearTime) {
  std::string value;
  for (size_t i = 0; i < (1u << 20); ++i) value.push_back("aZ09 $\x7F*"[i % 8]);
  const auto begin = std::chrono::steady_clock::now();
  const Translation t = Translate(BC_SYM_CODE39, value, 1);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  EXPECT_LT(took.count(), 1.0);
  ASSERT_EQ(t.bytes.size(), value.size() + 3);
  for (size_t i = 0; i < value.size(); i += 4099) {
    ASSERT_EQ(t.bytes[i + 1], GlyphOf(static_cast<unsigned char>(value[i])));
  }
  EXPECT_EQ(t.bytes[value.size() + 1], FullAsciiCheckOf(value));

  value.back() = '\xFF';  // the fault at the very end is still found, and fast
  const auto again = std::chrono::steady_clock::now();
  EXPECT_EQ(Translate(BC_SYM_CODE39, value, 1).rc, BC_FONT_ERR_ILLEGAL_CHARACTER_ASCII);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - again).count(), 1.0);
}

}  // namespace
}  // namespace tavo::test
