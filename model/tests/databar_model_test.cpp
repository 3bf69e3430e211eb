// GS1 DataBar in the model: the reader takes a damaged row, guard or
// separator, or a missing row, as a fault, wherever the characters still
// read; text the library writes reads clean.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "symbologies/codes.h"
#include "symbologies/databar/databar_expanded.h"
#include "symbologies/matrix/matrix_text.h"
#include "tavo32.h"
#include "tavo_model.h"

namespace tavo::model::test {
namespace {

std::string Text(int32_t code, const char* gtin, int32_t check = 0) {
  char out[8000];
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

// The reader counts width patterns on its own; the encoder runs the width
// algorithm.  Every Omnidirectional character value goes through both: each
// outside value (0-2840) as the third character, each inside value (0-1596)
// as the fourth, with other values beside them; and each Limited group's
// first and last value as the right character (as the left, those a GTIN
// starting 0 or 1 reaches).
std::string Gtin14(uint64_t gtin13) {
  std::string digits = std::to_string(gtin13);
  digits.insert(0, 13 - digits.size(), '0');
  int sum = 0;
  for (size_t i = 0; i < 13; ++i) sum += (digits[i] - '0') * (i % 2 == 0 ? 3 : 1);
  return digits + static_cast<char>('0' + (10 - sum % 10) % 10);
}

TEST(DatabarModel, EveryCharacterValueReadsBack) {
  using namespace tavo::symbology;
  std::vector<std::pair<int32_t, uint64_t>> values;
  for (uint64_t i = 0; i < 2841; ++i) {
    const uint64_t left = (i % 1380) * 1597 + (i * 7) % 1597, right = i * 1597 + i % 1597;
    values.push_back({kDatabar, left * 4537077 + right});
  }
  const uint64_t limited_edges[] = {0, 183063, 183064, 820063, 820064, 1000775, 1000776, 1491020,
                                    1491021, 1979844, 1979845, 1996938, 1996939, 2013570};
  for (uint64_t left : {0, 1, 993254}) {
    for (uint64_t right : limited_edges) values.push_back({kDatabarLimited, left * 2013571 + right});
  }
  // A left character stops at 993259: the GTIN's first digit is 0 or 1.
  for (uint64_t left : limited_edges) {
    if (left * 2013571 + 5 < 2000000000000) values.push_back({kDatabarLimited, left * 2013571 + 5});
  }
  for (const auto& [code, gtin13] : values) {
    const std::string gtin = Gtin14(gtin13);
    Reading reading;
    ModelError error;
    ASSERT_TRUE(ReadSymbol(code, Text(code, gtin.c_str()), reading, error)) << gtin << ": " << error.reason;
    EXPECT_TRUE(reading.Consistent()) << code << " " << gtin;
    EXPECT_EQ(reading.data, "(01)" + gtin) << code;
  }
}

}  // namespace
}  // namespace tavo::model::test

namespace tavo::model::test {
namespace {

// DataBar Expanded: a value of each encodation method reads back as written
// (the reader decodes the methods on its own); damage to a line, a missing
// line, a character's widths or a finder is a fault or a failed check,
// wherever the data still reads.
TEST(DatabarModel, ExpandedMethodsReadBackAndDamageIsCaught) {
  using namespace tavo::symbology;
  const std::string values[] = {
      "(01)98898765432106(3103)012233",                   // 0100
      "(01)98898765432106(3203)022767",                   // 0101
      "(01)98898765432106(3202)012345(15)991231",         // 0111101
      "(01)98898765432106(3103)032768",                   // 0111000, no date
      "(01)98898765432106(3922)795(30)12",                // 01100
      "(01)98898765432106(3932)978795(3102)001234",       // 01101
      "(01)00012345678905(10)AB-12/x!y(21)abcdef",        // 1: all three modes
      "(01)12345678901231(17)251231(10)1",                // 1: a lone last digit
      "(00)012345678901234560",                           // 00
      "(90)a(400)1",                                      // 00: ISO/IEC 646 first
  };
  for (const std::string& value : values) {
    Reading reading;
    ModelError error;
    ASSERT_TRUE(ReadSymbol(kDatabarExpanded, Text(kDatabarExpanded, value.c_str()), reading, error)) << value << ": " << error.reason;
    EXPECT_TRUE(reading.Consistent()) << value << ": " << (reading.faults.empty() ? "" : reading.faults[0]);
    EXPECT_EQ(reading.data, value);
  }
  const std::string text = Text(kDatabarExpanded, values[6].c_str());
  const size_t line = text.find("\r\n") + 2;
  std::string every_line = text, finder = text;
  for (size_t at = 0; at < text.size(); at += line) {
    every_line = Flip(every_line, at + 5, 3);  // modules 33: inside the first data character
    finder = Flip(finder, at + 3, 4);          // module 22: the first finder
  }
  struct Case {
    std::string text;
    bool data_reads;
    const char* why;
  };
  const Case cases[] = {
      {Flip(text, 7 * line + 9, 1), true, "one module of line 8"},
      {text.substr(0, text.size() - line), true, "33 module rows"},
      {every_line, false, "a character's widths changed in every line"},
      {finder, false, "the first finder changed in every line"},
  };
  for (const Case& c : cases) {
    Reading reading;
    ModelError error;
    ASSERT_TRUE(ReadSymbol(kDatabarExpanded, c.text, reading, error)) << c.why << ": " << error.reason;
    EXPECT_FALSE(reading.Consistent()) << c.why;
    EXPECT_EQ(reading.data == values[6], c.data_reads) << c.why << ": read \"" << reading.data << "\"";
  }
}

}  // namespace
}  // namespace tavo::model::test

namespace tavo::model::test {
namespace {

// Every 12-bit data character value through the encoder's pattern tables and
// back through the reader's own pattern counting: symbols of 21 arbitrary
// data characters, whose check character must then read back as the one
// the reader recomputes.  The message bits are whatever the values make, so
// only the characters and the check are judged here.
TEST(DatabarModel, EveryExpandedCharacterValueReadsBack) {
  for (uint16_t first = 0; first < 4096; first += 21) {
    std::vector<uint16_t> data;
    for (uint16_t v = first; data.size() < 21; ++v) data.push_back(static_cast<uint16_t>(v % 4096));
    std::vector<uint8_t> widths;
    DatabarExpandedWidths(data, widths);
    std::string line;
    int run = 0, bits = 0;
    for (size_t e = 0; e < widths.size(); ++e) {
      for (int m = 0; m < widths[e]; ++m) {
        bits |= (e % 2 ? 1 : 0) << run;
        if (++run == 6) line += kMatrixGlyphs[static_cast<size_t>(bits)], run = bits = 0;
      }
    }
    if (run != 0) line += kMatrixGlyphs[static_cast<size_t>(bits)];
    std::string text = line;
    for (int h = 1; h < 34; ++h) text += "\r\n" + line;
    Reading reading;
    ModelError error;
    ASSERT_TRUE(ReadSymbol(symbology::kDatabarExpanded, text, reading, error)) << first << ": " << error.reason;
    bool checked = false;
    for (const CheckFinding& c : reading.checks) {
      if (c.what != "check character modulo 211") continue;
      checked = true;
      EXPECT_TRUE(c.Matches()) << "values from " << first << ": " << c.found << " against " << c.expected;
    }
    EXPECT_TRUE(checked) << "values from " << first << ": " << (reading.faults.empty() ? "" : reading.faults[0]);
  }
}

}  // namespace
}  // namespace tavo::model::test

namespace tavo::model::test {
namespace {

// DataBar Expanded Stacked in the model: the text reads back at every
// segment count; a flipped separator module or a short row is a fault while
// the characters still read.
TEST(DatabarModel, ExpandedStackedReadsBackAndDamageIsCaught) {
  using namespace tavo::symbology;
  const char* value = "(01)98898765432106(3103)001750(15)991231(10)ABC123";
  for (int32_t segments = 2; segments <= 20; segments += 2) {
    Reading reading;
    ModelError error;
    ASSERT_TRUE(ReadSymbol(kDatabarExpandedStacked, Text(kDatabarExpandedStacked, value, segments), reading, error));
    EXPECT_TRUE(reading.Consistent()) << segments << ": " << (reading.faults.empty() ? "" : reading.faults[0]);
    EXPECT_EQ(reading.data, value) << segments;
  }
  const std::string text = Text(kDatabarExpandedStacked, value, 4);  // 4 rows of 2 pairs
  const size_t line = text.find("\r\n") + 2;
  struct Case {
    std::string text;
    const char* why;
  };
  const Case cases[] = {
      {Flip(text, 34 * line + 2, 3), "a module of the first separator line"},
      {Flip(text, 35 * line + 4, 0), "a module of the middle separator line"},
      {text.substr(0, 34 * line) + text.substr(35 * line), "the first separator line missing"},
  };
  for (const Case& c : cases) {
    Reading reading;
    ModelError error;
    ASSERT_TRUE(ReadSymbol(kDatabarExpandedStacked, c.text, reading, error)) << c.why << ": " << error.reason;
    EXPECT_FALSE(reading.Consistent()) << c.why;
    EXPECT_EQ(reading.data, value) << c.why << ": the characters still read";
  }
}

}  // namespace
}  // namespace tavo::model::test
