// PDF417: the options of the check argument, capacity, the standard's
// example symbol module for module, and the size of seeded symbols against
// zint's for the same data, level and columns.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "symbologies/codes.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/pdf417/pdf417.h"
#include "test_support.h"

namespace tavo {
namespace {

using symbology::kPdf417;

struct CheckCase {
  int32_t check;
  int32_t rc;
  const char* why;
};

TEST(Pdf417Options, CheckArgumentFields) {
  const std::vector<CheckCase> cases = {
      {0, 0, "everything by default"},
      {9, 0, "level 8"},
      {10, 32561, "no level 9"},
      {15, 32561, "nor 14"},
      {30 << 4, 0, "30 columns"},
      {31 << 4, 32561, "31 columns"},
      {512 + 3 + (4 << 4), 0, "truncated, level 2, 4 columns"},
      {1024, 32561, "a bit no option uses"},
      {-1, 32561, "negative"},
  };
  for (const CheckCase& c : cases) EXPECT_EQ(test::Translate(kPdf417, "PDF417", c.check, 1 << 16).rc, c.rc) << c.why;
}

TEST(Pdf417Capacity, OverCapacityIsTooLongAndWritesNothing) {
  // 928 codewords: at level 0, 925 data codewords hold 2710 digits (15 per 44).
  EXPECT_EQ(test::Translate(kPdf417, std::string(2710, '7'), 1, 1 << 16).rc, 0);
  EXPECT_EQ(test::Translate(kPdf417, std::string(2711, '7'), 1, 1 << 16).rc, 32560);
  EXPECT_EQ(test::Translate(kPdf417, std::string(1200, '7'), 9, 1 << 16).rc, 0);  // 411 + 1 + 512 <= 928
  EXPECT_EQ(test::Translate(kPdf417, std::string(1300, '7'), 9, 1 << 16).rc, 32560);
  EXPECT_EQ(test::Translate(kPdf417, std::string(5000, 'x'), 0, 1 << 16).rc, 32560);
  // 900 codewords in 1 column are 900 rows: more than 90.
  EXPECT_EQ(test::Translate(kPdf417, std::string(1000, '\x80'), 1 + (1 << 4), 1 << 16).rc, 32560);
}

// The recommended level follows the data codeword count; the default
// columns give a symbol about as wide as it is tall at 3 modules a row.
TEST(Pdf417Size, RecommendedLevelAndSquareColumns) {
  struct Case {
    size_t digits;
    int level;
  } cases[] = {{10, 2}, {110, 2}, {120, 3}, {460, 3}, {470, 4}, {900, 4}, {940, 5}, {2500, 5}};
  for (const Case& c : cases) {
    Pdf417Symbol s;
    ASSERT_EQ(BuildPdf417Symbol(std::string(c.digits, '1'), {}, s), 0);
    EXPECT_EQ(s.level, c.level) << c.digits;
    const int width = 17 * s.columns + 69, height = 3 * s.rows;
    EXPECT_LE(std::abs(width - height), 17 * 3 + 9) << c.digits << ": " << s.rows << " x " << s.columns;
  }
}

// ISO/IEC 15438:2015 Annex Q's example, "PDF417" at level 1 in 2 columns,
// as zint's test suite gives its modules (backend/tests/test_pdf417.c, BSD-3).
TEST(Pdf417Golden, AnnexQExampleModuleForModule) {
  const char* rows[] = {
      "1111111101010100011110101011110000110101000110000001110111011001100011110101011110000111111101000101001",
      "1111111101010100011111101010011100110100001110001001111010001010000011111101010111000111111101000101001",
      "1111111101010100011101010111111000101100110011110001100011111001001011101010011111100111111101000101001",
      "1111111101010100010101111001111000101011101110000001100001101000100010101111001111000111111101000101001",
      "1111111101010100011101011100011000100001101011111101111110110001011011101011100110000111111101000101001",
  };
  Pdf417Symbol s;
  ASSERT_EQ(BuildPdf417Symbol("PDF417", {.level = 1, .columns = 2}, s), 0);
  ASSERT_EQ(s.rows, 5);
  for (int r = 0; r < 5; ++r) {
    Pdf417Row row;
    Pdf417RowModules(s, r, row);
    std::string modules;
    for (int x = kPdf417QuietZone; x < row.width - kPdf417QuietZone; ++x) modules += row.Dark(x) ? '1' : '0';
    EXPECT_EQ(modules, rows[r]) << "row " << r;
  }
}

// The font text, line by line, is the rows of modules Pdf417RowModules gives
// (which the Annex Q example holds), for every column count, plain and
// truncated: a light line above and below, 6 modules to a glyph, the modules
// past the row light.
TEST(Pdf417Text, LinesAreTheRowModules) {
  const std::string value = "PDF417 text, 1234567890 digits and \xc3\xa9 UTF-8";
  for (int columns = 1; columns <= kPdf417MaxColumns; ++columns) {
    for (const bool truncated : {false, true}) {
      const int32_t check = columns << kPdf417CheckColumnsShift | (truncated ? kPdf417CheckTruncated : 0);
      const auto t = test::Translate(kPdf417, value, check, 100000);
      ASSERT_EQ(t.rc, 0) << columns;
      Pdf417Options options;
      ASSERT_EQ(Pdf417OptionsFromCheck(check, options), 0);
      Pdf417Symbol s;
      ASSERT_EQ(BuildPdf417Symbol(value, options, s), 0);
      std::vector<std::string> lines(1);
      for (const char c : t.bytes) {
        if (c == '\n') lines.emplace_back();
        if (c == '\r' || c == '\n') continue;
        for (int m = 0; m < 6; ++m) lines.back() += (MatrixGlyphBits(c) >> m & 1) != 0 ? '1' : '0';
      }
      ASSERT_EQ(lines.size(), static_cast<size_t>(s.rows) + 2) << columns;
      for (int r = -1; r <= s.rows; ++r) {
        std::string want;
        if (r >= 0 && r < s.rows) {
          Pdf417Row row;
          Pdf417RowModules(s, r, row);
          for (int x = 0; x < row.width; ++x) want += row.Dark(x) ? '1' : '0';
        }
        want.resize(lines[0].size(), '0');
        EXPECT_EQ(lines[static_cast<size_t>(r + 1)], want) << columns << " columns, truncated " << truncated << ", line " << r + 1;
      }
    }
  }
}

// zint's rows and columns (from its dump: one line per row).
bool ZintSize(const std::string& value, int level, int columns, bool eci, int& rows, int& cols) {
  const std::string path = ::testing::TempDir() + "pdf417_zint_value.bin";
  std::ofstream(path, std::ios::binary) << value;
  const std::string command = "zint -b 55 --binary --secure=" + std::to_string(level) + " --cols=" +
                              std::to_string(columns) + (eci ? " --eci=26" : "") + " --dump -i '" + path + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return false;
  char line[4096];
  rows = 0;
  size_t hex = 0;
  while (std::fgets(line, sizeof line, pipe)) {
    ++rows;
    hex = 0;
    for (const char* c = line; *c; ++c) hex += std::isxdigit(static_cast<unsigned char>(*c)) ? 1 : 0;
  }
  const bool ok = pclose(pipe) == 0 && rows > 0;
  // A row of c columns is 17 c + 69 modules, 4 to a hex digit.
  for (cols = 1; cols <= 30 && (17 * cols + 69 + 3) / 4 != static_cast<int>(hex); ++cols) {
  }
  return ok && cols <= 30;
}

bool NeedsEci(const std::string& v) {
  Pdf417Symbol s;
  BuildPdf417Symbol(v, {.level = 0, .columns = 30}, s);
  return s.codewords.size() > 1 && s.codewords[1] == 927;
}

TEST(Pdf417Zint, NeverLargerThanZintForTheSameDataLevelAndColumns) {
  if (std::system("zint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "zint is not on PATH";
  const std::vector<std::string> alphabets = {"0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz",
                                              "0123456789ABCabc ;:,.-/$\r\n", ""};
  std::mt19937 rng(417417);
  int compared = 0, smaller = 0;
  for (int i = 0; i < 240; ++i) {
    const std::string& alphabet = alphabets[i % 4];
    std::string v(1 + rng() % 300, 'A');
    for (char& c : v) c = alphabet.empty() ? static_cast<char>(1 + rng() % 255) : alphabet[rng() % alphabet.size()];
    const int level = static_cast<int>(rng() % 7), columns = 1 + static_cast<int>(rng() % 30);
    Pdf417Symbol ours;
    if (BuildPdf417Symbol(v, {.level = level, .columns = columns}, ours) != 0) continue;
    int rows = 0, cols = 0;
    ASSERT_TRUE(ZintSize(v, level, columns, NeedsEci(v), rows, cols)) << i;
    ++compared;
    EXPECT_LE(ours.rows * ours.columns, rows * cols) << "value " << i << " level " << level << " columns " << columns
                                                      << ": ours " << ours.rows << " x " << ours.columns << ", zint's "
                                                      << rows << " x " << cols;
    smaller += ours.rows * ours.columns < rows * cols ? 1 : 0;
  }
  EXPECT_GE(compared, 200);
  std::printf("[pdf417] against zint: %d symbols compared, %d smaller, none larger\n", compared, smaller);
}

}  // namespace
}  // namespace tavo
