// Every byte of every symbology's font: the code points the encoders emit
// are interpreted, every other byte is refused at its own index.
#include <set>

#include "model_test_support.h"
#include "symbologies/registry.h"

namespace tavo::model::test {
namespace {

struct Range {
  int first, last;
};

std::set<int> Bytes(std::initializer_list<Range> ranges, std::string_view singles = "") {
  std::set<int> bytes;
  for (Range r : ranges) {
    for (int b = r.first; b <= r.last; ++b) bytes.insert(b);
  }
  for (char c : singles) bytes.insert(static_cast<unsigned char>(c));
  return bytes;
}

// The code points each encoder emits, written out from its font's byte map.
struct FontCase {
  int32_t symbology;
  std::set<int> emitted;
  std::string before, after;  // the context the byte stands in
  const char* why;
};

std::vector<FontCase> Fonts() {
  const std::set<int> upc_ean =
      Bytes({{'0', '9'}, {'a', 'z'}, {'A', 'Z'}, {0xA1, 0xB4}}, "{}<>[\\]`!\"#$%&'()+~|*^=@_");
  std::set<int> code39_fonts = Bytes({{33, 126}, {0x82, 0x8C}, {0x91, 0x9C}, {0xA1, 0xA3}, {0xA5, 0xAF}});
  code39_fonts.erase('*');
  const std::set<int> runs = Bytes({{'A', 'Z'}, {'a', 'z'}, {'0', '9'}}, "#%");
  return {
      {0, Bytes({{'0', '9'}, {'A', 'Z'}}, "-._$/+%*"), "*", "*", "43 characters, _ for space, and *"},
      {1, code39_fonts, "", "", "one glyph per ASCII character, grave accent and ~ as start/stop"},
      {2, Bytes({{0x92, 0x98}, {0xA1, 0xFF}}), "", "", "pairs, start 0x97, stop 0x98"},
      {3, Bytes({{'0', '9'}, {'A', 'D'}, {'a', 'd'}}, "-$:/.+"), "", "", "data and start/stop letters"},
      {4, Bytes({{'0', '9'}}, "`~"), "", "", "digits, start, stop"},
      {5, Bytes({{0x30, 0x50}, {0x79, 0x7E}, {0xA1, 0xFF}}), "", "", "ASCII glyphs, shifts, start, stop"},
      {6, upc_ean, "", "", "UPC/EAN/JAN font for UPC-A"},
      {7, upc_ean, "", "", "UPC/EAN/JAN font for UPC-E"},
      {8, Bytes({{'0', '9'}}, "*"), "", "", "digits and the frame bar"},
      {9, upc_ean, "", "", "UPC/EAN/JAN font for EAN-8"},
      {10, upc_ean, "", "", "UPC/EAN/JAN font for EAN-13"},
      {11, Bytes({{130, 140}, {145, 156}, {161, 230}, {243, 252}}), "\xE8", "\xF3\xEA",
       "Code 128 in code set B: the value codes but start and stop"},
      {11, Bytes({{33, 125}, {130, 140}, {145, 156}, {161, 230}, {236, 252}}), "\xE9", "\xF3\xEA",
       "Code 128 in code set C: the pair codes as well"},
      {12, Bytes({{130, 140}, {145, 156}, {161, 230}, {243, 252}}), "\xE8", "\xF3\xEA",
       "GS1-128 in the Code 128 faces, code set B"},
      {16, upc_ean, "", "", "UPC/EAN/JAN font for GTIN-13"},
      {17, upc_ean, "", "", "UPC/EAN/JAN font for GTIN-8"},
      {18, upc_ean, "", "", "UPC/EAN/JAN font for GTIN-12"},
      {19, upc_ean, "", "", "UPC/EAN/JAN font for UPC-E from 8 digits"},
      {20, Bytes({{0x92, 0x9A}, {0xA1, 0xFF}}), "", "", "ITF-14: pairs, start, stop and the two frames"},
      // GS1 DataBar: a row of the form's width in glyphs of 6 modules, the
      // byte as its first glyph, light runs after it.
      {21, runs, "", std::string(15, 'A'), "DataBar Omnidirectional: 16 runs of 6 modules"},
      {23, runs, "", std::string(8, 'A'), "DataBar Stacked: 9 runs"},
      {24, runs, "", std::string(8, 'A'), "DataBar Stacked Omnidirectional: 9 runs"},
      {25, runs, "", std::string(13, 'A'), "DataBar Limited: 14 runs, the last 5 modules light"},
  };
}

// Symbols of a fixed size, which no single byte makes: Intelligent Mail (65
// bars; model/tests/imb/imb_test.cpp), QR Code, Data Matrix and Aztec Code
// (blocks of modules; tests/fonts/matrix_font_test.cpp, the model's reading
// tests and tests/aztec/); DataBar Expanded, whose width the guards and
// characters set (the model's databar tests and tests/scan); PDF417, rows
// between light lines (tests/pdf417); and MicroPDF417, one of its 34 sizes
// (model/tests/pdf417/micropdf417_model_test.cpp).
constexpr int32_t kFixedSize[] = {tavo::symbology::kImb,
                                  tavo::symbology::kQr,
                                  tavo::symbology::kDataMatrix,
                                  tavo::symbology::kDatabarExpanded,
                                  tavo::symbology::kDatabarExpandedStacked,
                                  tavo::symbology::kPdf417,
                                  tavo::symbology::kMicroPdf417,
                                  tavo::symbology::kAztec};

TEST(ModelCoverage, EveryRegisteredSymbologyIsCovered) {
  std::set<int32_t> covered(std::begin(kFixedSize), std::end(kFixedSize));
  for (const FontCase& font : Fonts()) covered.insert(font.symbology);
  std::set<int32_t> registered;
  for (const tavo::SymbologyInfo& row : tavo::Symbologies()) registered.insert(row.code);
  EXPECT_EQ(covered, registered) << "a symbology was added: give it a case above";
}

TEST(ModelCoverage, EveryEmittedCodePointIsInterpretedAndNoOther) {
  for (const FontCase& font : Fonts()) {
    SCOPED_TRACE(font.why);
    for (int b = 0; b < 256; ++b) {
      const std::string s = font.before + static_cast<char>(b) + font.after;
      Symbol symbol;
      ModelError error;
      const bool built = BuildSymbol(font.symbology, s, {}, symbol, error);
      EXPECT_EQ(built, font.emitted.count(b) == 1) << "byte " << b << ": " << error.reason;
      if (!built) {
        EXPECT_EQ(error.byte_index, font.before.size()) << "byte " << b;
      }
    }
  }
}

TEST(ModelCoverage, EveryAsciiCharacterTheLibraryTranslatesIsInterpreted) {
  // Each of the 127 characters, alone and with the check option, through
  // the encoders that take them; the symbol reads back as the character.
  for (int32_t symbology : {0, 1, 5, 11}) {
    for (int c = 1; c < 128; ++c) {
      for (int32_t check : {0, 1}) {
        SCOPED_TRACE("symbology " + std::to_string(symbology) + ", character " + std::to_string(c));
        const std::string value(1, static_cast<char>(c));
        const Reading reading = Read(symbology, FontString(symbology, value, check));
        EXPECT_EQ(reading.data, value);
        EXPECT_TRUE(reading.Consistent());
      }
    }
  }
}

}  // namespace
}  // namespace tavo::model::test
