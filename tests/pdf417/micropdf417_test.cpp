// MicroPDF417: the size chosen for a number of codewords, the data
// codewords (a MicroPDF417 symbol starts in byte compaction), golden symbols
// from zint module for module, and the errors.  The model's reader has its
// suite in model/tests/pdf417/micropdf417_model_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "symbologies/codes.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/pdf417/micropdf417.h"
#include "symbologies/pdf417/pdf417_reed_solomon.h"
#include "test_support.h"
#include "zint_dump.h"

namespace tavo {
namespace {

using pdf417::kMicroPdfSizes;
using pdf417::MicroPdfSizeFor;
using pdf417::MicroPdfWidth;
using symbology::kMicroPdf417;

int Area(int size) {
  const pdf417::MicroPdfSize& s = kMicroPdfSizes[static_cast<size_t>(size)];
  return MicroPdfWidth(s.columns) * s.rows;
}

// The module rows of font text, one per line, each the symbol's width.
std::vector<std::string> TextLines(std::string_view text) {
  std::vector<std::string> rows(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      rows.emplace_back();
      ++i;
      continue;
    }
    const int bits = MatrixGlyphBits(text[i]);
    for (int m = 0; m < 6; ++m) rows.back() += bits >> m & 1 ? '1' : '0';
  }
  return rows;
}

// The symbol's rows: the lines without the quiet zone's (the first and
// the last, and 2 modules on the left).
std::vector<std::string> TextRows(std::string_view text) {
  std::vector<std::string> lines = TextLines(text), rows;
  for (size_t i = 1; i + 1 < lines.size(); ++i) rows.push_back(lines[i].substr(2));
  EXPECT_EQ(lines.front().find('1'), std::string::npos) << "a dark module in the quiet zone above";
  EXPECT_EQ(lines.back().find('1'), std::string::npos) << "a dark module in the quiet zone below";
  return rows;
}

TEST(MicroPdf417, SizeChoice) {
  struct Case {
    int data, columns, want_columns, want_rows;
  } const cases[] = {
      {1, 0, 4, 4},   {8, 0, 4, 4},   {9, 0, 4, 6},    {13, 0, 2, 11},  {14, 0, 2, 14},  {19, 0, 2, 14},
      {34, 0, 2, 26}, {40, 0, 4, 20}, {58, 0, 4, 26},  {126, 0, 4, 44}, {4, 1, 1, 11},   {5, 1, 1, 14},
      {20, 1, 1, 28}, {8, 2, 2, 8},   {37, 2, 2, 26},  {6, 3, 3, 6},    {82, 3, 3, 44},  {8, 4, 4, 4},
      {109, 4, 4, 44}, {21, 1, 0, 0}, {38, 2, 0, 0},   {83, 3, 0, 0},   {127, 0, 0, 0},  {127, 4, 0, 0},
  };
  for (const Case& c : cases) {
    const int size = MicroPdfSizeFor(c.data, c.columns);
    if (c.want_columns == 0) {
      EXPECT_EQ(size, -1) << c.data << " codewords in " << c.columns << " columns";
      continue;
    }
    ASSERT_GE(size, 0) << c.data << " codewords in " << c.columns << " columns";
    EXPECT_EQ(kMicroPdfSizes[size].columns, c.want_columns) << c.data << " codewords in " << c.columns;
    EXPECT_EQ(kMicroPdfSizes[size].rows, c.want_rows) << c.data << " codewords in " << c.columns;
  }
}

// For every count and width asked: the size holds the codewords, and no
// size that also holds them (of those columns) is smaller.
TEST(MicroPdf417, SizeIsTheSmallestThatHolds) {
  for (int columns = 0; columns <= 4; ++columns) {
    for (int n = 0; n <= 126; ++n) {
      const int size = MicroPdfSizeFor(n, columns);
      for (size_t i = 0; i < kMicroPdfSizes.size(); ++i) {
        const pdf417::MicroPdfSize& s = kMicroPdfSizes[i];
        if (s.data() < n || (columns && s.columns != columns)) continue;
        ASSERT_GE(size, 0) << n << " codewords, " << columns << " columns";
        EXPECT_LE(Area(size), Area(static_cast<int>(i))) << n << " codewords, " << columns << " columns";
      }
      if (size >= 0) {
        EXPECT_GE(kMicroPdfSizes[size].data(), n);
      }
    }
  }
}

// Every size filled to capacity with random data codewords: the size is
// that one, the data stays, and data and error correction together have
// zero syndromes (the error correction is written into the same vector's
// tail).  Padding: one codeword short of capacity pads with the latch 900.
// The text of each size: rows + 2 lines of MicroPdfTextGlyphs glyphs, the
// quiet zone light (2 modules left, the rest of the line right of the
// stop bar, the lines above and below), the stop bar dark in every row.
TEST(MicroPdf417, EverySizeCompletesAndItsTextKeepsTheQuietZone) {
  std::mt19937 rng(24728);
  for (size_t i = 0; i < kMicroPdfSizes.size(); ++i) {
    const pdf417::MicroPdfSize& s = kMicroPdfSizes[i];
    for (int missing : {0, 1}) {
      pdf417::MicroPdfSymbol symbol;
      for (int k = 0; k < s.data() - missing; ++k) symbol.codewords.push_back(static_cast<uint16_t>(rng() % 900));
      const std::vector<uint16_t> data = symbol.codewords;
      ASSERT_TRUE(pdf417::MicroPdfComplete(s.columns, symbol)) << "size " << i;
      ASSERT_EQ(symbol.size, static_cast<int>(i));
      ASSERT_EQ(symbol.codewords.size(), static_cast<size_t>(s.codewords()));
      EXPECT_TRUE(std::equal(data.begin(), data.end(), symbol.codewords.begin())) << "size " << i;
      if (missing) {
        EXPECT_EQ(symbol.codewords[data.size()], 900) << "size " << i;
      }
      EXPECT_TRUE(reed_solomon::SyndromesAreZero(pdf417::kField, std::span<const uint16_t>(symbol.codewords), s.ec,
                                                 pdf417::kFirstRoot))
          << "size " << i;
      FontString text;
      pdf417::AppendMicroPdfText(symbol, text);
      const std::vector<std::string> lines = TextLines(text);
      ASSERT_EQ(lines.size(), static_cast<size_t>(s.rows) + 2) << "size " << i;
      const size_t width = static_cast<size_t>(MicroPdfWidth(s.columns));
      for (size_t y = 0; y < lines.size(); ++y) {
        const std::string& line = lines[y];
        ASSERT_EQ(line.size(), 6u * static_cast<size_t>(pdf417::MicroPdfTextGlyphs(s.columns))) << "size " << i;
        const bool edge = y == 0 || y + 1 == lines.size();
        EXPECT_EQ(line.substr(0, 2), "00") << "size " << i << ", line " << y;
        EXPECT_EQ(line[1 + width], edge ? '0' : '1') << "size " << i << ", line " << y << ": the stop bar";
        EXPECT_EQ(line.find('1', 2 + width), std::string::npos) << "size " << i << ", line " << y;
        if (edge) {
          EXPECT_EQ(line.find('1'), std::string::npos) << "size " << i << ", line " << y;
        }
      }
    }
  }
}

TEST(MicroPdf417, SizeForCountsOutsideTheTable) {
  EXPECT_EQ(MicroPdfSizeFor(-1, 0), -1);
  EXPECT_EQ(MicroPdfSizeFor(1, -1), -1);
  EXPECT_EQ(MicroPdfSizeFor(1, 5), -1);
  EXPECT_EQ(MicroPdfSizeFor(pdf417::kMicroPdfMaxData + 1, 4), -1);
  EXPECT_EQ(MicroPdfSizeFor(0, 1), 0);  // 1 x 11, the smallest of one column
}

// A MicroPDF417 symbol starts in byte compaction: whatever comes first is
// latched (after ECI 26 when the value is UTF-8 beyond ASCII), and the modes
// are chosen with that latch counted: six digits go as numeric compaction
// (902 and 3 codewords), not as text (900 and 4).  The codewords are zint
// 2.11.1's for the same data (its debug output, ZINT_DEBUG_PRINT).
TEST(MicroPdf417, DataCodewordsStartWithALatch) {
  struct Case {
    std::string value;
    std::vector<uint16_t> want;
  } const cases[] = {
      {"Hello", {900, 237, 131, 344}},
      {"a", {900, 810}},
      {"041632", {902, 1, 257, 332}},
      {"8879242", {902, 23, 276, 842}},
      {"AB12345678901234CD", {900, 1, 902, 171, 209, 269, 12, 434, 900, 63}},
      {"\xc3\xa9t\xc3\xa9", {927, 26, 901, 195, 169, 116, 195, 169}},
      {"", {}},
  };
  for (const Case& c : cases) {
    std::vector<uint16_t> cw;
    pdf417::MicroPdfDataCodewords(c.value, cw);
    EXPECT_EQ(cw, c.want) << c.value;
  }
}

// zint 2.11.1, `zint -b 84 --cols=N -d VALUE --dump`, with the columns
// ours chose.
TEST(MicroPdf417, GoldenSymbolsAsZintDrawsThem) {
  struct Case {
    const char* value;
    int32_t columns;
    const char* dump;
  } const cases[] = {
      {"Hello", 0,
       "D3AFD6197209DBD1B164FCD22 D331F258F929D31F258F92D62 D1239D136089921241E35CD72 D1B6F05CBDC99A7E99CCE8D7A"},
      {"1234567890", 1,
       "EEAFD31DD4 E6AB3E1CD4 F6B16E1ED4 F2B3BE9E54 E2AD8F1C54 C2A18C9854 C6AFD618D4 C4BC2F5894 E4BD6F9C94 "
       "F4AE27DE94 F5B12F9EB4 F530AC1EA4 E5223C5CA4 ED3B7E5DA4"},
      {"https://example.com/m", 3,
       "C4B1F253D4389AF121894 E4AEE817D71D9AE1D1C94 F4A0BC9797C6A36789E94 F5A6CF17B61E5BD3D1EB4 "
       "F539A613B7B85AF789EA4 E53E22D3A784A38B99CA4 ED3B8BD325E2120E4DDA4 E9277B13342C321411D24 "
       "E9B6785237D853979DD34 EBA84F1215DB823D05D74"},
  };
  for (const Case& c : cases) {
    const auto t = test::Translate(kMicroPdf417, c.value, c.columns, 100000);
    ASSERT_EQ(t.rc, 0) << c.value;
    const std::vector<std::string> ours = TextRows(t.bytes);
    const std::vector<std::string> zint = test::ZintDumpRows(c.dump);
    ASSERT_EQ(ours.size(), zint.size()) << c.value;
    const int32_t width = static_cast<int32_t>(ours[0].size());
    const ModuleGrid want = test::ZintDumpGrid(zint, width);
    for (size_t y = 0; y < ours.size(); ++y) {
      std::string row;
      for (int32_t x = 0; x < width; ++x) row += want.at(x, static_cast<int32_t>(y)) ? '1' : '0';
      EXPECT_EQ(ours[y], row) << c.value << ", row " << y;
    }
  }
}

// ISO/IEC 24728:2006 Figure 1, its 1-, 2- and 4-column symbols of 20 rows,
// module for module as zint's test suite gives them
// (backend/tests/test_pdf417.c, BSD-3-Clause).
TEST(MicroPdf417, StandardsFigureOneModuleForModule) {
  const char* const kFigure1First[] = {
      "11110101001000011000110010011110101001",
      "11100101001111110101011100011100101001",
      "11101101001010011001111100011101101001",
      "11101001001101000001011000011101001001",
      "11101001101010000111110011011101001101",
      "11101011101011001110011111011101011101",
      "11101011001100100001101110011101011001",
      "11101010001101100111100100011101010001",
      "11001010001001100001000111011001010001",
      "11001011001001100111100111011001011001",
      "11001011101001100101111110011001011101",
      "11001001101000001010111100011001001101",
      "11001101101111001100100111011001101101",
      "11101101101011100111111010011101101101",
      "11100101101110011110100111011100101101",
      "11000101101110001010011100011000101101",
      "11000101001100010111100110011000101001",
      "11001101001000011001000111011001101001",
      "11011101001111011111011010011011101001",
      "11011001001100010001110100011011001001",
  };
  const char* const kFigure1Second[] = {
      "1111010100100001100011001001111010101111000011110101001",
      "1110010100110101111110111101111101000100110011100101001",
      "1110110100101101100111100001011001110011111011101101001",
      "1110100100110010000110111001110001011001111011101001001",
      "1110100110111001000001101001001101011111100011101001101",
      "1110101110110111100101100001000001010111100011101011101",
      "1110101100100011001100100001100111001110011011101011001",
      "1110101000111111010101110001101011111101111011101010001",
      "1100101000101000001000111101011011001111000011001010001",
      "1100101100110010001001100001100100001101110011001011001",
      "1100101110110110011110010001110010000011010011001011101",
      "1100100110110011101000011101101111001011000011001001101",
      "1100110110110001101000100001000110011001000011001101101",
      "1110110110111000110011101001111110101011100011101101101",
      "1110010110101001100111110001000110010011100011100101101",
      "1100010110110110011011000001100110100010000011000101101",
      "1100010100111111001010011101110000100110100011000101001",
      "1100110100111001111100101101111110010011010011001101001",
      "1101110100111010110011110001000001001101100011011101001",
      "1101100100111100110110100001001001111001000011011001001",
  };
  const char* const kFigure1Fourth[] = {
      "110010001010000110001100100111101010111100001011110010101001110011100001101000001011000011100101101",
      "111010001010100001111100110100101111001000001011110110111011011110011001101100111100100011000101101",
      "111011001010011000010001110110011101000011101001110110110111100101100001000001010111100011000101001",
      "110011001010001100110010000110011100111001101001110100111101010111100001010011100111000011001101001",
      "110111001011111010001001100101000011111001101001100100100101111001000001110110111100110011011101001",
      "110111101011011101100111100100110000100011101001100110110011101000011101101111001011000011011001001",
      "110011101011000110100010000100011001100100001001000110110011100111001101111010101111000011011001101",
      "111011101011010111111011110111110100010011001001000010101000011111001101001011110010000011011011101",
      "111001101011110001011110100110111011001111001011000010100110000100011101100111010000111011011011001",
      "111101101011100110000100110110001101000100001011100010100011001100100001100111001110011011011010001",
      "111100101011111101010111000110101111110111101011100110111110100010011001010000111110011011010010001",
      "111000101010110011100111110111100010111101001011100100110111011001111001001100001000111011010110001",
      "110000101010011001111001110111001100001001101011101100110001101000100001000110011001000011010111001",
      "110001101011100011001110100111111010101110001001101100111101001110111001011111011001111011010111101",
      "110001001011110101111101100101111001110011101000101100101110110111000001000010000101111011010011101",
      "111001001010000010100000100111000111010010001000101000110010000010110001101100010000001011010011001",
      "111101001011110111001110100110000010011100101001101000111101100110001001011110100001111011010001001",
      "111101011010000001010011110100110110001111001011101000110000111100101101111010011110010011010001101",
      "111101010011100011101010000110001011101111001011001000111110111101011001100101110111100011010000101",
      "111001010010001000001111010111100010100001001011001100100111101101111101001110100111110011011000101",
  };
  const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  struct Case {
    std::string value;
    int32_t columns;
    std::vector<std::string> rows;
  } const cases[] = {
      {letters.substr(0, 22), 1, {std::begin(kFigure1First), std::end(kFigure1First)}},
      {letters + letters + letters.substr(0, 4), 2, {std::begin(kFigure1Second), std::end(kFigure1Second)}},
      {letters + letters + letters + letters + "AB", 4, {std::begin(kFigure1Fourth), std::end(kFigure1Fourth)}},
  };
  for (const Case& c : cases) {
    const auto t = test::Translate(kMicroPdf417, c.value, c.columns, 100000);
    ASSERT_EQ(t.rc, 0) << c.value;
    const std::vector<std::string> ours = TextRows(t.bytes);
    ASSERT_EQ(ours.size(), c.rows.size()) << c.columns << " columns";
    for (size_t y = 0; y < ours.size(); ++y) {
      const std::string& want = c.rows[y];
      EXPECT_EQ(ours[y].substr(0, want.size()), want) << c.columns << " columns, row " << y;
      EXPECT_EQ(ours[y].find('1', want.size()), std::string::npos) << "a dark module right of the symbol, row " << y;
    }
  }
}

TEST(MicroPdf417, Errors) {
  const std::string digits366(366, '7'), letters250(250, 'Q'), bytes150(150, '\xff');
  struct Case {
    std::string value;
    int32_t check;
    int32_t rc;
  } const cases[] = {
      {"A", 5, 32561},  {"A", -1, 32561}, {"A", 64, 32561},
      {digits366, 0, 0}, {digits366 + "7", 0, 32560},
      {letters250, 0, 0}, {letters250 + "QQ", 0, 32560},
      {bytes150, 0, 0}, {bytes150 + "\xff", 0, 32560},
      {std::string(40, 'Q'), 1, 32560}, {std::string(38, 'Q'), 1, 0},
      {std::string(72, 'Q'), 2, 0}, {std::string(74, 'Q'), 2, 32560},
  };
  for (const Case& c : cases) {
    const auto t = test::Translate(kMicroPdf417, c.value, c.check, 100000);
    EXPECT_EQ(t.rc, c.rc) << c.value.size() << " bytes, check " << c.check;
  }
}

}  // namespace
}  // namespace tavo
