// The function patterns of QR Code and Data Matrix, which scanners find and
// sample a symbol by: modules changed in a pattern of a sound symbol's font
// text are reported with the pattern and the first module's place, and
// tavo decode exits 1; no sound symbol of any version or size is reported.
#include <set>
#include <utility>

#include "decode.h"
#include "model_test_support.h"
#include "symbologies/codes.h"
#include "readers/datamatrix/datamatrix_reader.h"
#include "symbologies/datamatrix/datamatrix.h"
#include "symbologies/matrix/matrix_text.h"

namespace tavo::model::test {
namespace {

enum class Paint { kFlip, kLight, kDark };

// Changes the modules of rows [row, row + rows) and columns [column,
// column + columns) of the symbol in font text whose quiet zone is `quiet`.
std::string Repaint(std::string text, int32_t quiet, int32_t row, int32_t column, int32_t rows, int32_t columns,
                    Paint paint) {
  const size_t line = text.find("\r\n") == std::string::npos ? text.size() : text.find("\r\n") + 2;
  for (int32_t y = quiet + row; y < quiet + row + rows; ++y) {
    for (int32_t x = quiet + column; x < quiet + column + columns; ++x) {
      char& c = text[static_cast<size_t>(y / kBlockHeight) * line + static_cast<size_t>(x / kBlockWidth)];
      const int bit = 1 << ((y % kBlockHeight) * kBlockWidth + x % kBlockWidth);
      const int bits = MatrixGlyphBits(c);
      const int now = paint == Paint::kFlip ? bits ^ bit : paint == Paint::kDark ? bits | bit : bits & ~bit;
      c = kMatrixGlyphs[static_cast<size_t>(now)];
    }
  }
  return text;
}

// The library's font text for a value (2D text outgrows FontString's buffer).
std::string Text(int32_t symbology, std::string_view value, int32_t check) {
  const std::string v(value);
  std::vector<char> out(40000);
  int32_t len = 0;
  EXPECT_EQ(BC_FontTranslate(symbology, v.c_str(), check, out.data(), static_cast<int32_t>(out.size()), &len), 0);
  return std::string(out.data(), static_cast<size_t>(std::max(len, 0)));
}

struct DamageCase {
  int32_t symbology;
  std::string_view value;
  int32_t check;
  int32_t row, column, rows, columns;
  Paint paint;
  std::string_view fault;  // the whole fault up to the symbol's place
};

constexpr int32_t kQr = symbology::kQr, kDm = symbology::kDataMatrix;
constexpr std::string_view kV1 = "HELLO";  // version 1-M, 21 x 21
constexpr std::string_view kV8 =           // version 8-M, 49 x 49: alignment patterns and version information
    "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
    "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
constexpr std::string_view kDm12 = "HELLO";  // 12 x 12, one data region
constexpr std::string_view kDm32 =         // 32 x 32, four data regions of 14 x 14
    "1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890";

const DamageCase kDamage[] = {
    {kQr, kV1, 2, 0, 0, 7, 7, Paint::kLight, "damaged top-left finder pattern: 33 modules wrong, the first at row 0, column 0"},
    {kQr, kV1, 2, 3, 17, 1, 1, Paint::kFlip, "damaged top-right finder pattern: 1 module wrong, the first at row 3, column 17"},
    {kQr, kV1, 2, 17, 3, 1, 1, Paint::kFlip, "damaged bottom-left finder pattern: 1 module wrong, the first at row 17, column 3"},
    {kQr, kV1, 2, 7, 0, 1, 3, Paint::kDark, "damaged separator of the top-left finder: 3 modules wrong, the first at row 7, column 0"},
    {kQr, kV1, 2, 13, 3, 1, 1, Paint::kDark,
     "damaged separator of the bottom-left finder: 1 module wrong, the first at row 13, column 3"},
    {kQr, kV1, 2, 6, 9, 1, 1, Paint::kFlip, "damaged horizontal timing pattern: 1 module wrong, the first at row 6, column 9"},
    {kQr, kV1, 2, 8, 6, 5, 1, Paint::kDark, "damaged vertical timing pattern: 2 modules wrong, the first at row 9, column 6"},
    {kQr, kV1, 2, 2, 8, 1, 1, Paint::kFlip,
     "damaged format information (copy beside the top-left finder): 1 module wrong, the first at row 2, column 8"},
    {kQr, kV1, 2, 8, 20, 1, 1, Paint::kFlip,
     "damaged format information (copy beside the other two finders): 1 module wrong, the first at row 8, column 20"},
    {kQr, kV1, 2, 13, 8, 1, 1, Paint::kFlip, "damaged dark module: 1 module wrong, the first at row 13, column 8"},
    {kQr, kV8, 2, 24, 24, 1, 1, Paint::kFlip,
     "damaged alignment pattern centred at row 24, column 24: 1 module wrong, the first at row 24, column 24"},
    {kQr, kV8, 2, 22, 4, 1, 1, Paint::kFlip, "damaged alignment pattern centred at row 24, column 6"},
    {kQr, kV8, 2, 0, 38, 1, 1, Paint::kFlip,
     "damaged version information (top right): 1 module wrong, the first at row 0, column 38"},
    {kQr, kV8, 2, 40, 5, 1, 1, Paint::kFlip,
     "damaged version information (bottom left): 1 module wrong, the first at row 40, column 5"},
    {kDm, kDm12, 0, 5, 0, 1, 1, Paint::kFlip, "damaged L finder pattern (left side): 1 module wrong, the first at row 5, column 0"},
    {kDm, kDm12, 0, 11, 3, 1, 4, Paint::kLight,
     "damaged L finder pattern (bottom side): 4 modules wrong, the first at row 11, column 3"},
    {kDm, kDm12, 0, 0, 0, 1, 12, Paint::kDark, "damaged top clock track: 6 modules wrong, the first at row 0, column 1"},
    // The top-right corner belongs to the top clock track (light in both).
    {kDm, kDm12, 0, 1, 11, 11, 1, Paint::kDark, "damaged right clock track: 5 modules wrong, the first at row 2, column 11"},
    {kDm, kDm32, 0, 5, 16, 1, 1, Paint::kFlip,
     "damaged alignment pattern between data regions (solid column 16): 1 module wrong, the first at row 5, column 16"},
    {kDm, kDm32, 0, 5, 15, 2, 1, Paint::kFlip,
     "damaged alignment pattern between data regions (alternating column 15): 2 modules wrong, the first at row 5, column 15"},
    {kDm, kDm32, 0, 15, 5, 1, 1, Paint::kFlip, "damaged alignment pattern between data regions (solid row 15)"},
    {kDm, kDm32, 0, 16, 3, 1, 1, Paint::kFlip, "damaged alignment pattern between data regions (alternating row 16)"},
};

TEST(FunctionPatterns, DamageIsReportedWhereItIs) {
  for (const DamageCase& c : kDamage) {
    SCOPED_TRACE(std::string(c.fault));
    const int32_t quiet = c.symbology == kQr ? 4 : 1;
    const std::string text =
        Repaint(Text(c.symbology, c.value, c.check), quiet, c.row, c.column, c.rows, c.columns, c.paint);
    const Reading reading = Read(c.symbology, text);
    std::string faults;
    for (const std::string& f : reading.faults) faults += f + "\n";
    EXPECT_NE(faults.find(c.fault), std::string::npos) << faults;
    EXPECT_FALSE(reading.Consistent());
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunDecode(c.symbology, text), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("\nfault: " + std::string(c.fault)), std::string::npos) << out;
  }
}

// Every QR Code version at every level, and every Data Matrix size, as the
// library draws them: nothing reported.  The values grow in steps smaller
// than any version's or size's growth in capacity, so none is skipped.
TEST(FunctionPatterns, NoSoundSymbolIsReported) {
  std::set<std::pair<int32_t, int32_t>> seen;
  for (int32_t level = 1; level <= 4; ++level) {
    for (size_t n = 1;; n += 5) {
      const std::string value(n, 'a');
      std::vector<char> out(20000);
      int32_t len = 0;
      if (BC_FontTranslate(kQr, value.c_str(), level, out.data(), static_cast<int32_t>(out.size()), &len) != 0) break;
      const std::string_view text(out.data(), static_cast<size_t>(len));
      const Reading reading = Read(kQr, text);
      ASSERT_TRUE(reading.faults.empty()) << "level " << level << ", " << n << " bytes: " << reading.faults[0];
      const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
      seen.insert({level, static_cast<int32_t>(lines)});
    }
  }
  EXPECT_EQ(seen.size(), 4u * 40u) << "every version at every level, told apart by their lines of text";
  // Data Matrix: every size drawn straight from its codewords (data all
  // padding), since the encoder prefers a square to a rectangle of the same
  // capacity and so never picks some rectangles.
  std::set<std::pair<int32_t, int32_t>> sizes;
  for (const DataMatrixSize& size : DataMatrixSizes()) {
    std::vector<uint8_t> codewords(size.data_codewords, 129);
    DataMatrixAppendEcc(size, codewords);
    tavo::FontString text;
    AppendMatrixText(DataMatrixSymbol(size, codewords), kDataMatrixQuietZone, text);
    const Reading reading = Read(kDm, text.view());
    ASSERT_TRUE(reading.Consistent()) << int{size.rows} << "x" << int{size.cols} << ": "
                                      << (reading.faults.empty() ? "" : reading.faults[0]);
    sizes.insert({size.rows, size.cols});
  }
  EXPECT_EQ(sizes.size(), 30u) << "every Data Matrix size, told apart by the length of its text";
}

}  // namespace
}  // namespace tavo::model::test
