// The model's PDF417 reader on damaged text: a changed codeword is named
// and mended by the error correction, more damage than the level mends is
// said so, a wrong row indicator is a fault, and `tavo decode` exits 1 on
// any of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode.h"
#include "symbologies/codes.h"
#include "tavo32.h"
#include "tavo_model.h"

namespace tavo::model {
namespace {

using symbology::kPdf417;

std::string Text(const std::string& value, int32_t check) {
  std::vector<char> out(1 << 16);
  int32_t len = 0;
  EXPECT_EQ(BC_FontTranslate(kPdf417, value.c_str(), check, out.data(), static_cast<int32_t>(out.size()), &len), 0);
  return std::string(out.data(), static_cast<size_t>(len));
}

// The text with glyph `glyph` of the symbol's row `row` swapped for another.
std::string Damage(std::string text, int row, int glyph) {
  const size_t line = text.find("\r\n") + 2;
  char& c = text[(static_cast<size_t>(row) + 1) * line + static_cast<size_t>(glyph)];
  c = c == 'A' ? '%' : 'A';
  return text;
}

TEST(Pdf417Reader, NamesWhatIsDamaged) {
  const std::string value = "Shipping label 0012345678 ACME Corp.";
  const std::string intact = Text(value, 3 + (3 << 4));  // level 2, 3 columns
  // Data column 0 starts at module 2 + 17 + 17 = 36: glyph 6; the left row
  // indicator at module 19: glyph 3 and 4.
  struct Case {
    std::string text;
    int status;
    std::string says;  // a line of `tavo decode`
    bool data_kept;
  } cases[] = {
      {intact, 0, "consistent", true},
      {Damage(intact, 2, 6), 1, "fault: damaged codeword at row 2, column 1", true},
      {Damage(Damage(intact, 0, 7), 4, 10), 1, "check: error correction (level 2, 8 codewords; ", true},
      {Damage(intact, 1, 4), 1, "fault: row 1: row indicators", true},
      {Damage(Damage(Damage(Damage(Damage(intact, 0, 6), 1, 6), 2, 6), 3, 6), 4, 6), 1,
       "fault: more damaged codewords than the error correction mends", false},
  };
  for (const Case& c : cases) {
    Reading reading;
    ModelError error;
    ASSERT_TRUE(ReadSymbol(kPdf417, c.text, reading, error)) << error.reason;
    EXPECT_EQ(reading.data == value, c.data_kept) << c.says;
    testing::internal::CaptureStdout();
    const int status = RunDecode(kPdf417, c.text);
    std::string out(1, '\n');
    out += testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, c.status) << out;
    EXPECT_NE(out.find("\n" + c.says), std::string::npos) << c.says << "\nin:" << out;
  }
}

TEST(Pdf417Reader, TextThatIsNoSymbol) {
  const std::string intact = Text("PDF417", 0);
  const size_t line = intact.find("\r\n") + 2;
  std::string dark_above = intact;
  dark_above[0] = '%';
  const struct {
    std::string text;
    const char* why;
  } cases[] = {
      {dark_above, "a dark module in the quiet zone above"},
      {intact.substr(0, 3 * line), "fewer than 3 rows between the light lines"},
      {intact.substr(0, intact.size() - 1), "a line shorter than the first"},
      {intact + "\r\n", "a line break after the last line"},
      {"AB\r\nA&", "a character no glyph of the face"},
  };
  for (const auto& c : cases) {
    Symbol symbol;
    ModelError error;
    EXPECT_FALSE(BuildSymbol(kPdf417, c.text, {}, symbol, error)) << c.why;
  }
}

}  // namespace
}  // namespace tavo::model
