// Data Matrix ECC 200: the worked example, the placement walk, round trips
// through the decoder (with damage the error correction mends and damage it
// cannot), the check options and capacity.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "readers/datamatrix/datamatrix_reader.h"
#include "tavo32.h"

namespace tavo {
namespace {

// The worked example of "123456" in a 10x10 symbol: three digit pairs, and
// the five error-correction codewords of the 10x10 generator polynomial.
TEST(DataMatrixCodewords, WorkedExample123456) {
  DataMatrixForm form;
  ASSERT_TRUE(DataMatrixFormOf(0, form));
  const DataMatrixSize* size = nullptr;
  std::vector<uint8_t> cw;
  ASSERT_EQ(DataMatrixEncodation("123456", form, size, cw), kOk);
  EXPECT_EQ(size->rows, 10);
  DataMatrixAppendEcc(*size, cw);
  EXPECT_EQ(cw, (std::vector<uint8_t>{142, 164, 186, 114, 25, 5, 88, 102}));
}

// The placement walk of every size puts each bit of each codeword in exactly
// one module; only the sizes whose mapping matrix is not a multiple of 8
// modules leave the 4-module corner, and that corner is the bottom right.
TEST(DataMatrixPlacement, EveryBitOnceAndTheFixedCorner) {
  for (const DataMatrixSize& s : DataMatrixSizes()) {
    const int32_t rows = s.mapping_rows(), cols = s.mapping_cols();
    SCOPED_TRACE(std::to_string(s.rows) + "x" + std::to_string(s.cols));
    const std::vector<int32_t> cell = DataMatrixPlacement(rows, cols);
    std::vector<int> seen((s.data_codewords + s.ecc_codewords) * 8, 0);
    std::vector<int32_t> fixed;
    for (int32_t i = 0; i < rows * cols; ++i) {
      if (cell[i] < 0) {
        fixed.push_back(i);
      } else {
        ASSERT_LT(cell[i], static_cast<int32_t>(seen.size()));
        ++seen[cell[i]];
      }
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(seen.size()));
    if ((rows * cols) % 8 == 0) {
      EXPECT_TRUE(fixed.empty());
    } else {
      const std::vector<int32_t> corner{(rows - 2) * cols + cols - 2, (rows - 2) * cols + cols - 1,
                                        (rows - 1) * cols + cols - 2, (rows - 1) * cols + cols - 1};
      EXPECT_EQ(fixed, corner);
    }
  }
}

// The placement example: the 8x8 mapping matrix of the 10x10 symbol, each
// module named codeword.bit (bit 1 the most significant).  It shows the utah
// shape, the wrap of modules off the top and left edges, and corner shape 1.
TEST(DataMatrixPlacement, EightByEightExample) {
  static constexpr const char* kExample[8] = {
      "2.1 2.2 3.6 3.7 3.8 4.3 4.4 4.5", "2.3 2.4 2.5 5.1 5.2 4.6 4.7 4.8",
      "2.6 2.7 2.8 5.3 5.4 5.5 1.1 1.2", "1.5 6.1 6.2 5.6 5.7 5.8 1.3 1.4",
      "1.8 6.3 6.4 6.5 8.1 8.2 1.6 1.7", "7.2 6.6 6.7 6.8 8.3 8.4 8.5 7.1",
      "7.4 7.5 3.1 3.2 8.6 8.7 8.8 7.3", "7.7 7.8 3.3 3.4 3.5 4.1 4.2 7.6",
  };
  const std::vector<int32_t> cell = DataMatrixPlacement(8, 8);
  for (int r = 0; r < 8; ++r) {
    std::string row;
    for (int c = 0; c < 8; ++c) {
      if (c) row += ' ';
      row += std::to_string(cell[r * 8 + c] / 8 + 1) + "." + std::to_string(cell[r * 8 + c] % 8 + 1);
    }
    EXPECT_EQ(row, kExample[r]) << "row " << r;
  }
}

enum class Alphabet { kDigits, kUpper, kLower, kMixed, kBinary };

std::string Seeded(std::mt19937& rng, Alphabet a, size_t n) {
  std::string v;
  while (v.size() < n) {
    switch (a) {
      case Alphabet::kDigits: v += static_cast<char>('0' + rng() % 10); break;
      case Alphabet::kUpper: v += "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 "[rng() % 37]; break;
      case Alphabet::kLower: v += "abcdefghijklmnopqrstuvwxyz0123456789 "[rng() % 37]; break;
      case Alphabet::kMixed: v += static_cast<char>(32 + rng() % 95); break;
      case Alphabet::kBinary: v += static_cast<char>(1 + rng() % 255); break;
    }
  }
  return v;
}

// Seeded values of every alphabet and check option come back from the font
// text unchanged, with no correction needed.
TEST(DataMatrixRoundTrip, SeededValues) {
  std::mt19937 rng(15);
  for (int i = 0; i < 600; ++i) {
    const Alphabet a = static_cast<Alphabet>(i % 5);
    const std::string value = Seeded(rng, a, 1 + (i % 7 == 0 ? rng() % 1500 : rng() % 60));
    const int32_t check = static_cast<int32_t>(i % 4);
    SCOPED_TRACE("#" + std::to_string(i) + " check " + std::to_string(check));
    FontString text;
    const int32_t rc = EncodeDataMatrix(value, check, text);
    if (rc == kTooLongForLargestSymbol) continue;
    ASSERT_EQ(rc, kOk);
    DataMatrixReading r;
    ASSERT_TRUE(DecodeDataMatrixText(text.view(), r)) << r.error;
    EXPECT_EQ(r.data, value);
    EXPECT_EQ(r.gs1, check >= 2);
    EXPECT_EQ(r.corrected, 0);
    EXPECT_TRUE(check % 2 == 1 || r.rows == r.cols) << "check 0 and 2 are square only";
  }
}

// Damage to codewords: up to half the error-correction codewords of each
// block are mended; beyond that the decoder names a damaged block.
TEST(DataMatrixRoundTrip, DamageMendedOrReported) {
  struct Case {
    size_t digits;       // a value of this many digits
    int per_block;       // codewords to damage in each block
    bool readable;
    const char* why;
  };
  static constexpr Case kCases[] = {
      {6, 2, true, "10x10: 5 codewords of error correction mend 2"},
      {6, 3, false, "10x10: 3 damaged codewords are too many"},
      {400, 18, true, "72x72 region of 4 interleaved blocks, 18 of 36 in each"},
      {3116, 31, true, "144x144: 10 blocks, 31 of 62 in each"},
      {3116, 32, false, "144x144: 32 in a block is beyond it"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    std::mt19937 rng(static_cast<unsigned>(c.digits));
    const std::string value = Seeded(rng, Alphabet::kDigits, c.digits);
    FontString text;
    ASSERT_EQ(EncodeDataMatrix(value, 0, text), kOk);
    DataMatrixReading clean;
    ASSERT_TRUE(DecodeDataMatrixText(text.view(), clean));
    const DataMatrixSize* size = nullptr;
    for (const DataMatrixSize& s : DataMatrixSizes()) {
      if (s.rows == clean.rows && s.cols == clean.cols) size = &s;
    }
    ASSERT_NE(size, nullptr);
    // Damage whole codewords through the modules: invert every module of the
    // chosen codewords in the text's grid, then write the text again.
    ModuleGrid grid;
    ASSERT_TRUE(ReadMatrixText(text.view(), grid));
    const std::vector<int32_t> cell = DataMatrixPlacement(size->mapping_rows(), size->mapping_cols());
    // Data codeword i belongs to block i % blocks: every third codeword of
    // each block, from its first.
    std::set<int32_t> chosen;
    for (int32_t b = 0; b < size->blocks; ++b) {
      for (int k = 0; k < c.per_block; ++k) chosen.insert(b + (3 * k) * size->blocks);
    }
    for (int32_t i = 0; i < size->mapping_rows() * size->mapping_cols(); ++i) {
      if (cell[i] < 0 || !chosen.count(cell[i] / 8)) continue;
      const int32_t r = i / size->mapping_cols(), col = i % size->mapping_cols();
      const int32_t y = r + 2 * (r / size->region_h) + 1 + kDataMatrixQuietZone;
      const int32_t x = col + 2 * (col / size->region_w) + 1 + kDataMatrixQuietZone;
      grid.set(x, y, !grid.at(x, y));
    }
    ModuleGrid inner(size->cols, size->rows);
    for (int32_t y = 0; y < size->rows; ++y) {
      for (int32_t x = 0; x < size->cols; ++x) {
        inner.set(x, y, grid.at(x + kDataMatrixQuietZone, y + kDataMatrixQuietZone));
      }
    }
    FontString damaged_text;
    AppendMatrixText(inner, kDataMatrixQuietZone, damaged_text);
    DataMatrixReading r;
    EXPECT_EQ(DecodeDataMatrixText(damaged_text.view(), r), c.readable) << r.error;
    if (c.readable) {
      EXPECT_EQ(r.data, value);
      EXPECT_EQ(r.corrected, c.per_block * size->blocks);
    } else {
      EXPECT_GE(r.damaged_block, 0);
    }
  }
}

// Garbage never crashes the decoder: random glyph text of every shape, and
// the text of real symbols with random modules flipped.
TEST(DataMatrixRoundTrip, GarbageIsRejectedOrRead) {
  std::mt19937 rng(404);
  for (int i = 0; i < 300; ++i) {
    const size_t cols = 1 + rng() % 40, lines = 1 + rng() % 30;
    std::string text;
    for (size_t l = 0; l < lines; ++l) {
      if (l) text += "\r\n";
      for (size_t c = 0; c < cols; ++c) text += kMatrixGlyphs[rng() % kMatrixGlyphs.size()];
    }
    DataMatrixReading r;
    EXPECT_TRUE(DecodeDataMatrixText(text, r) || !r.error.empty());
  }
  for (int i = 0; i < 300; ++i) {
    FontString text;
    ASSERT_EQ(EncodeDataMatrix(Seeded(rng, static_cast<Alphabet>(i % 5), 1 + rng() % 80), i % 4, text),
              kOk);
    std::string t(text.view());
    for (int k = 0; k < 1 + i % 40; ++k) {
      const size_t at = rng() % t.size();
      if (t[at] != '\r' && t[at] != '\n') t[at] = kMatrixGlyphs[rng() % kMatrixGlyphs.size()];
    }
    DataMatrixReading r;
    EXPECT_TRUE(DecodeDataMatrixText(t, r) || !r.error.empty());
  }
}

// The check option and the capacity; on error nothing is appended.
TEST(DataMatrixOptions, CheckValuesAndCapacity) {
  struct Case {
    std::string value;
    int32_t check;
    int32_t rc;
    int rows, cols;  // the symbol, when rc is 0
    const char* why;
  };
  const Case kCases[] = {
      {"A", 4, kInvalidCheckOption, 0, 0, "4 is no check option"},
      {"A", -1, kInvalidCheckOption, 0, 0, "negative"},
      {std::string(3116, '7'), 0, kOk, 144, 144, "3,116 digits fill 1,558 codewords"},
      {std::string(3117, '7'), 0, kTooLongForLargestSymbol, 0, 0, "one digit more"},
      {std::string(1555, '\xFF'), 0, kOk, 144, 144, "Base 256: latch, 2-codeword length, 1,555 bytes"},
      {std::string(1556, '\xFF'), 0, kTooLongForLargestSymbol, 0, 0, "one byte more"},
      {"1234567890", 1, kOk, 12, 12, "8x18 holds 5 codewords too; at equal size the square"},
      {"1234567890", 0, kOk, 12, 12, "square only: 12x12"},
      {"12345678901234567890", 1, kOk, 8, 32, "10 codewords: 8x32 before 16x16"},
      {std::string(71, 'Q'), 1, kOk, 16, 48,
       "71 capitals fill all 49 codewords of 16x48 only if the C40 data ends without its unlatch"},
      {std::string(71, 'Q'), 0, kOk, 32, 32, "square only"},
      {"0109501101530003", 2, kOk, 16, 16, "GS1: FNC1 and 8 digit pairs are 9 codewords; 14x14 holds 8"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    FontString text("sentinel");
    EXPECT_EQ(EncodeDataMatrix(c.value, c.check, text), c.rc);
    if (c.rc != kOk) {
      EXPECT_EQ(text.view(), "sentinel");
      continue;
    }
    DataMatrixReading r;
    ASSERT_TRUE(DecodeDataMatrixText(text.view().substr(8), r)) << r.error;
    EXPECT_EQ(r.rows, c.rows);
    EXPECT_EQ(r.cols, c.cols);
  }
}

// Through the export: the check argument reaches the encoder as a number,
// a GS1 value in the bracketed form is parsed and validated with GS1-128's
// errors, errors leave the caller's buffer as it was, and the text is the
// encoder's for the value (GS1: its element strings, a group separator after
// each variable-length element but the last).
std::string Repeat(std::string_view s, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += s;
  return out;
}

TEST(DataMatrixTranslate, CheckArgumentThroughTheExport) {
  struct Case {
    std::string value;
    int32_t check;
    int32_t rc;
    std::string element_strings;  // what the encoder is given; "" for the value itself
    const char* why;
  };
  const Case kCases[] = {
      {"1234567890", 1, 0, "", "rectangles allowed"},
      {"(01)09501101530003", 2, 0, "0109501101530003", "GS1"},
      {"(01)09501101530003", 3, 0, "0109501101530003", "GS1, rectangles allowed"},
      {"(01)09501101530003(17)250101(10)ABC123", 2, 0, "010950110153000317250101" "10ABC123",
       "the last element needs no separator"},
      {"(01)09501101530003(10)ABC123(17)250101(21)X\\(1\\)", 3, 0,
       "0109501101530003" "10ABC123\x1D" "17250101" "21X(1)",
       "a separator after the batch, none after the fixed-length date; escaped parentheses are data"},
      {"(01)09501101530003(10)" + std::string(20, '7') + "(21)" + std::string(20, 'S') + "(240)" +
           std::string(30, 'A'),
       2, 0, "0109501101530003" "10" + std::string(20, '7') + "\x1D" "21" + std::string(20, 'S') + "\x1D" "240" +
           std::string(30, 'A'),
       "over GS1-128's 48 characters: the symbol's capacity is the limit"},
      {"0109501101530003", 2, BC_FONT_ERR_GS1_MISSING_AI, "", "element strings without brackets"},
      {"(01)09501101530004", 2, BC_FONT_ERR_GS1_CHECK_DIGIT, "", "wrong check digit"},
      {"(01)09501101530003(17)251301", 3, BC_FONT_ERR_GS1_DATE, "", "month 13"},
      {"(01)09501101530003(10)AB\x1D" "C", 2, BC_FONT_ERR_GS1_DATA_NOT_CSET82, "", "a separator in the data"},
      {"(01)09501101530003(10)" + std::string(21, '1'), 2, BC_FONT_ERR_GS1_DATA_LENGTH, "", "a batch of 21"},
      {"A", 8, BC_FONT_ERR_INVALID_CHECK_OPTION, "", "no option 8"},
      {"A", 4, BC_FONT_ERR_GS1_MISSING_AI, "", "4 is the Digital Link URI of element strings"},
      {"A", -7, BC_FONT_ERR_INVALID_CHECK_OPTION, "", "negative"},
      {std::string(3117, '9'), 0, BC_FONT_ERR_TOO_LONG_FOR_SYMBOL, "", "beyond 144x144"},
      // GS1 Data Matrix is limited by its capacity alone: no count of
      // elements, and its own "too long" error, never GS1-128's.
      {Repeat("(91)X1", 30), 2, 0, Repeat("91X1\x1D", 29) + "91X1", "30 element strings"},
      {Repeat("(01)09501101530003", 194) + "(3100)000100", 2, 0,
       Repeat("0109501101530003", 194) + "3100000100", "3,114 digits: 144x144 to the last codeword"},
      {Repeat("(01)09501101530003", 194) + "(3100)000100(20)00", 2, BC_FONT_ERR_TOO_LONG_FOR_SYMBOL, "",
       "four digits more than any size holds"},
      {Repeat("(01)09501101530003", 194) + "(10)ABCDEFGH", 3, BC_FONT_ERR_TOO_LONG_FOR_SYMBOL, "",
       "within the digit count, but the batch needs more codewords than are left"},
      {"(10)" + std::string(5000, '1'), 2, BC_FONT_ERR_TOO_LONG_FOR_SYMBOL, "", "one element over the capacity"},
      {Repeat("(91)X1", 100000), 2, BC_FONT_ERR_TOO_LONG_FOR_SYMBOL, "", "refused at the capacity, not stored"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    std::vector<char> buf(20000, '\x5A');
    int32_t len = -99;
    EXPECT_EQ(BC_FontTranslate(BC_SYM_DATAMATRIX, c.value.c_str(), c.check, buf.data(),
                               static_cast<int32_t>(buf.size()), &len),
              c.rc);
    if (c.rc != 0) {
      EXPECT_EQ(len, -99);
      EXPECT_EQ(std::count(buf.begin(), buf.end(), '\x5A'), static_cast<long>(buf.size()));
      continue;
    }
    FontString direct;
    ASSERT_EQ(EncodeDataMatrix(c.element_strings.empty() ? c.value : c.element_strings, c.check, direct), kOk);
    EXPECT_EQ(std::string_view(buf.data(), static_cast<size_t>(len)), direct.view());
  }
}

}  // namespace
}  // namespace tavo
