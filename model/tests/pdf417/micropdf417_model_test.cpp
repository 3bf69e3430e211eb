// MicroPDF417 in the model: a value in every one of the 34 sizes read back,
// what the reader reports for damaged codewords and row address patterns,
// and text it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "symbologies/codes.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/pdf417/micropdf417.h"
#include "tavo_model.h"
#include "model_test_support.h"

namespace tavo {
namespace {

using pdf417::kMicroPdfSizes;
using symbology::kMicroPdf417;

// The module rows of font text, one per line.
std::vector<std::string> TextRows(std::string_view text) {
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

// Upper-case letters fill a size exactly (the text latch, then two letters
// a codeword), asked for in the size's columns: every one of the 34 sizes,
// its lines and glyphs, and the model's reader reading the value back.
TEST(MicroPdf417, EverySizeReadsBack) {
  for (const pdf417::MicroPdfSize& s : kMicroPdfSizes) {
    const std::string size = std::to_string(s.columns) + "x" + std::to_string(s.rows);
    std::string value;
    for (int i = 0; i < 2 * (s.data() - 1); ++i) value += static_cast<char>('A' + i % 26);
    const std::string text = model::test::FontString(kMicroPdf417, value, s.columns);
    ASSERT_FALSE(text.empty()) << size;
    const std::vector<std::string> rows = TextRows(text);
    EXPECT_EQ(rows.size(), s.rows + 2u) << size << ": the rows and the quiet zone's two lines";
    EXPECT_EQ(rows[0].size(), static_cast<size_t>(pdf417::MicroPdfTextGlyphs(s.columns) * 6)) << size;
    model::Reading reading;
    model::ModelError error;
    ASSERT_TRUE(model::ReadSymbol(kMicroPdf417, text, reading, error)) << size << ": " << error.reason;
    EXPECT_TRUE(reading.Consistent()) << size;
    EXPECT_EQ(reading.data, value) << size;
    ASSERT_FALSE(reading.checks.empty());
    EXPECT_EQ(reading.checks[0].what, "Reed-Solomon error correction of the " + size + " symbol");
  }
}

// The text with `count` modules of the symbol turned over from module `x`
// of row `row` (the text's line row + 1, its module x + 2: the quiet zone).
std::string Flip(std::string text, int row, int x, int count = 2) {
  const size_t width = text.find("\r\n");
  for (int m = x + 2; m < x + 2 + count; ++m) {
    char& c = text[static_cast<size_t>(row + 1) * (width + 2) + static_cast<size_t>(m / 6)];
    c = kMatrixGlyphs[static_cast<size_t>(MatrixGlyphBits(c) ^ 1 << m % 6)];
  }
  return text;
}

// What the reader says of a damaged symbol ("Hello world" in 2 columns, 8
// rows, 8 error correction codewords).  A row is the left row address
// pattern (modules 0-9), the codewords (10-26, 27-43), the right pattern
// (44-53) and the stop bar (54).
TEST(MicroPdf417, DamageIsReported) {
  const std::string t = model::test::FontString(kMicroPdf417, "Hello world", 2);
  ASSERT_FALSE(t.empty());
  struct Case {
    std::string text;
    bool data;           // the value still reads back
    std::string check;   // in the error correction's finding
    std::string fault;   // in a fault ("" for none)
  } const cases[] = {
      {t, true, "no errors", ""},
      {Flip(t, 2, 14), true, "1 codeword corrected (row 3, column 1)", ""},
      {Flip(Flip(t, 0, 14), 7, 33), true, "2 codewords corrected (row 1, column 1; row 8, column 2)", ""},
      {Flip(Flip(Flip(Flip(t, 0, 12), 3, 30), 5, 20), 6, 40), true, "4 codewords corrected", ""},
      {Flip(t, 4, 1, 1), true, "no errors", "damaged left row address pattern of row 5: 1 module wrong"},
      {Flip(t, 1, 54, 1), true, "no errors", "damaged right row address pattern and stop of row 2: 1 module wrong"},
      {Flip(Flip(Flip(Flip(Flip(t, 0, 14), 1, 14), 2, 33), 3, 14), 5, 33), false, "damaged beyond correction",
       "more errors than the error correction mends"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    model::Reading reading;
    model::ModelError error;
    ASSERT_TRUE(model::ReadSymbol(kMicroPdf417, c.text, reading, error)) << i << ": " << error.reason;
    ASSERT_FALSE(reading.checks.empty()) << i;
    EXPECT_NE(reading.checks[0].found.find(c.check), std::string::npos) << i << ": " << reading.checks[0].found;
    EXPECT_EQ(reading.data == "Hello world", c.data) << i << ": " << reading.data;
    std::string faults;
    for (const std::string& f : reading.faults) faults += f + "\n";
    if (c.fault.empty()) {
      EXPECT_TRUE(reading.faults.empty()) << i << ": " << faults;
    } else {
      EXPECT_NE(faults.find(c.fault), std::string::npos) << i << ": " << faults;
    }
  }
}

// Text the model refuses as a MicroPDF417 symbol.
TEST(MicroPdf417, ModelRefusesMalformedText) {
  const std::string t = model::test::FontString(kMicroPdf417, "Hello", 1);
  ASSERT_FALSE(t.empty());
  const std::string one_line = t.substr(0, t.find("\r\n"));
  const std::string cases[] = {
      "",                                   // no glyph
      one_line,                             // one row: no size has it
      t + "\r\n",                     // a line break after the last line
      t.substr(0, t.size() - 1),  // a short last line
      "ABCDE\r\nABCDE",                     // 5 glyphs a line: no width
      std::string(t).replace(3, 1, 1, ' '),  // no glyph of the face
      Flip(t, -1, 10, 1),                   // a dark module in the quiet zone above
      Flip(t, 3, -2, 1),                    // and on the left
  };
  for (const std::string& text : cases) {
    model::Reading reading;
    model::ModelError error;
    EXPECT_FALSE(model::ReadSymbol(kMicroPdf417, text, reading, error)) << "\"" << text << "\"";
  }
}

}  // namespace
}  // namespace tavo
