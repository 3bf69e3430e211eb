// GS1 DataBar in the model: the reader takes a damaged row, guard or
// separator, or a missing row, as a fault, wherever the characters still
// read; text the library writes reads clean.
#include <gtest/gtest.h>

#include <string>

#include "symbologies/codes.h"
#include "symbologies/matrix/matrix_text.h"
#include "tavo32.h"
#include "tavo_model.h"

namespace tavo::model::test {
namespace {

std::string Text(int32_t code, const char* gtin, int32_t check = 0) {
  char out[1000];
  int32_t len = 0;
  EXPECT_EQ(BC_FontTranslate(code, gtin, check, out, sizeof out, &len), 0);
  return std::string(out, static_cast<size_t>(len));
}

// Flips module `m` of the glyph at `byte`.
std::string Flip(std::string text, size_t byte, int m) {
  text[byte] = kMatrixGlyphs[static_cast<size_t>(MatrixGlyphBits(text[byte]) ^ (1 << m))];
  return text;
}

TEST(DatabarModel, DamageOutsideTheCharactersIsAFault) {
  using namespace tavo::symbology;
  const std::string omni = Text(kDatabar, "20012345678909");
  const std::string stacked = Text(kDatabarStacked, "20012345678909");
  const std::string omni_stacked = Text(kDatabarStackedOmni, "20012345678909");
  const size_t line9 = 11;  // a Stacked line: 9 glyphs and CR LF
  struct Case {
    int32_t code;
    std::string text;
    bool consistent;
    const char* why;
  };
  const Case cases[] = {
      {kDatabar, omni, true, "as written"},
      {kDatabar, Text(kDatabar, "20012345678909", 1), true, "Truncated"},
      {kDatabarStacked, stacked, true, "Stacked as written"},
      {kDatabarStackedOmni, omni_stacked, true, "Stacked Omnidirectional as written"},
      {kDatabarLimited, Text(kDatabarLimited, "15012345678907"), true, "Limited as written"},
      {kDatabar, Flip(omni, 18 * 20, 0), false, "line 21 differs from the others in the left guard"},
      {kDatabarStacked, Flip(stacked, 5 * line9 + 4, 2), false, "a separator module flipped"},
      {kDatabarStackedOmni, Flip(omni_stacked, 34 * line9 + 3, 1), false, "the middle separator's pattern broken"},
      {kDatabarStacked, stacked.substr(0, 12 * line9 - 2), false, "the bottom row one module row short"},
      {kDatabar, omni.substr(0, 20 * 18 - 2), false, "20 module rows: neither height"},
  };
  for (const Case& c : cases) {
    Reading reading;
    ModelError error;
    ASSERT_TRUE(ReadSymbol(c.code, c.text, reading, error)) << c.why << ": " << error.reason;
    EXPECT_EQ(reading.Consistent(), c.consistent) << c.why;
    EXPECT_EQ(reading.data, "(01)" + std::string(c.code == kDatabarLimited ? "15012345678907" : "20012345678909"))
        << c.why << ": the characters still read";
  }
}

}  // namespace
}  // namespace tavo::model::test
