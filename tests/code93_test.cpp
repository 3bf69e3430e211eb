// Code 93: glyph per ASCII character, check characters C and K over the
// full-ASCII expansion, start and stop.
#include "symbologies/code93.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "symbologies/encoders.h"
#include "test_support.h"

namespace tavo::test {
namespace {

// The 43 data characters in value order; the shift symbols ($) (%) (/) (+)
// are values 43..46.
constexpr std::string_view kDataChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr std::string_view kShifts = "$%/+";

// Full-ASCII expansion of every ASCII code, shift symbols in brackets.
constexpr std::array<std::string_view, 128> kExpansion = {
    // NUL, SOH..SUB, ESC..US
    "(%)U", "($)A", "($)B", "($)C", "($)D", "($)E", "($)F", "($)G", "($)H", "($)I", "($)J", "($)K",
    "($)L", "($)M", "($)N", "($)O", "($)P", "($)Q", "($)R", "($)S", "($)T", "($)U", "($)V", "($)W",
    "($)X", "($)Y", "($)Z", "(%)A", "(%)B", "(%)C", "(%)D", "(%)E",
    // space ! " # $ % & ' ( ) * + , - . /
    " ", "(/)A", "(/)B", "(/)C", "$", "%", "(/)F", "(/)G", "(/)H", "(/)I", "(/)J", "+", "(/)L", "-",
    ".", "/",
    // 0..9 : ; < = > ?
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "(/)Z", "(%)F", "(%)G", "(%)H", "(%)I",
    "(%)J",
    // @ A..Z [ \ ] ^ _
    "(%)V", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q",
    "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "(%)K", "(%)L", "(%)M", "(%)N", "(%)O",
    // ` a..z { | } ~ DEL
    "(%)W", "(+)A", "(+)B", "(+)C", "(+)D", "(+)E", "(+)F", "(+)G", "(+)H", "(+)I", "(+)J", "(+)K",
    "(+)L", "(+)M", "(+)N", "(+)O", "(+)P", "(+)Q", "(+)R", "(+)S", "(+)T", "(+)U", "(+)V", "(+)W",
    "(+)X", "(+)Y", "(+)Z", "(%)P", "(%)Q", "(%)R", "(%)S", "(%)T",
};

// Symbol values of a value's expansion, read from the bracketed table.
std::vector<uint8_t> ExpandToValues(std::string_view value) {
  std::vector<uint8_t> values;
  values.reserve(value.size() * 2);
  for (char ch : value) {
    std::string_view e = kExpansion[static_cast<unsigned char>(ch)];
    if (e.size() == 4) {
      values.push_back(static_cast<uint8_t>(43 + kShifts.find(e[1])));
      e = e.substr(3);
    }
    values.push_back(static_cast<uint8_t>(kDataChars.find(e[0])));
  }
  return values;
}

// Weighted sum, weights 1..period from the right, in 64 bits: exact.
uint64_t WeightedSum(const std::vector<uint8_t>& values, uint64_t period) {
  uint64_t sum = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    sum += values[values.size() - 1 - i] * (i % period + 1);
  }
  return sum;
}

// Font byte that draws one symbol value as a check character.
char CheckByte(unsigned v) {
  if (v >= 43) return static_cast<char>(0x79 + (v - 43));
  const auto c = static_cast<unsigned char>(kDataChars[v]);
  return static_cast<char>(c <= 32 ? c + 48 : c + 128);
}

struct Checks {
  char c, k;
};

// Independent oracle: expand, sum C, append C, sum K.
Checks OracleChecks(std::string_view value) {
  std::vector<uint8_t> x = ExpandToValues(value);
  const auto c = static_cast<uint8_t>(WeightedSum(x, 20) % 47);
  x.push_back(c);
  const auto k = static_cast<uint8_t>(WeightedSum(x, 15) % 47);
  return {CheckByte(c), CheckByte(k)};
}

// The whole font string the oracle expects for an accepted value.
std::string OracleFontString(std::string_view value) {
  std::string s;
  if (!value.empty()) s.push_back('\x7D');
  for (char ch : value) {
    const auto code = static_cast<unsigned char>(ch);
    s.push_back(static_cast<char>(code <= 32 ? code + 48 : code + 128));
  }
  const Checks ck = OracleChecks(value);
  s += {ck.c, ck.k, '\x7E'};
  return s;
}


TEST(Code93Translate, WorkedExamples) {
  const TranslationCase kCases[] = {
      {"TEST93", Bytes({0x7D, 0xD4, 0xC5, 0xD3, 0xD4, 0xB9, 0xB3, 0xAB, 0xB6, 0x7E}),
       "C 464 mod 47 = 41 '+', K 617 mod 47 = 6"},
      {"Ab", Bytes({0x7D, 0xC1, 0xE2, 0xA4, 0xB4, 0x7E}),
       "one glyph for b, but C and K count (+) and B"},
      {"F", Bytes({0x7D, 0xC6, 0xC6, 0x7B, 0x7E}), "K is 45, the (/) shift glyph as raw 0x7B"},
      {"4Z", Bytes({0x7D, 0xB4, 0xDA, 0x79, 0xD6, 0x7E}), "C is 43, the ($) shift glyph 0x79"},
      {"5-", Bytes({0x7D, 0xB5, 0xAD, 0x7C, 0xA4, 0x7E}), "C is 46, the (+) shift glyph 0x7C"},
      {" ", Bytes({0x7D, 0x50, 0x50, 0xCB, 0x7E}), "space is byte 0x50 as data and as C"},
      {"A", Bytes({0x7D, 0xC1, 0xC1, 0xD5, 0x7E}), "one character: C = A, K = 10 + 20"},
      {"", Bytes({0xB0, 0xB0, 0x7E}), "empty: no start byte, C = K = '0'"},
  };
  for (const TranslationCase& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(BC_SYM_CODE93, c.value).bytes, c.want);
    EXPECT_EQ(Translate(BC_SYM_CODE93, c.value, 1).bytes, c.want) << "check option changes nothing";
  }
}

TEST(Code93Translate, NulIsDataByte0x30) {
  // NUL ends a caller's value, so only the encoder itself can be given one.
  // Its expansion (%) U: C = 30 + 44*2 = 118 -> 24 'O', K = 24 + 60 + 132 = 216 -> 28 'S'.
  FontString out;
  ASSERT_EQ(EncodeCode93(std::string_view("\0", 1), Options{}, out), 0);
  EXPECT_EQ(out, Bytes({0x7D, 0x30, 0xCF, 0xD3, 0x7E}));
  char c = 0, k = 0;
  Code93CheckChars(std::string_view("A\0b", 3), c, k);
  const Checks want = OracleChecks(std::string_view("A\0b", 3));
  EXPECT_EQ(c, want.c);
  EXPECT_EQ(k, want.k);
}

TEST(Code93Translate, EveryAsciiCodeByItsExpansion) {
  // For a one-character value, C and K fix the expansion uniquely, so this
  // checks every row of the full-ASCII table as well as the data byte.
  for (int code = 1; code < 128; ++code) {
    SCOPED_TRACE(code);
    const std::string value(1, static_cast<char>(code));
    EXPECT_EQ(Translate(BC_SYM_CODE93, value).bytes, OracleFontString(value));
  }
}

TEST(Code93CheckChars, WeightsStartOverAfter20ForCAnd15ForK) {
  const TranslationCase kCases[] = {
      {"10000000000000", Bytes({0xC5, 0xD4}), "14 digits: C 14 'E', K 15 + 14 = 29 'T'"},
      {"100000000000000", Bytes({0xC6, 0xC7}), "15 digits: C 15 'F', K weight 16 -> 1: 16 'G'"},
      {"10000000000000000000", Bytes({0xCB, 0xD1}), "20 digits: C 20 'K', K 6 + 20 = 26 'Q'"},
      {"100000000000000000000", Bytes({0xB1, 0xB8}), "21 digits: C weight 1, K weight 7: 8"},
      {"10000000000000000000000000000000000000000", Bytes({0xB1, 0xC4}),
       "41 digits: C weight 40 % 20 + 1 = 1, K weight 41 % 15 + 1 = 12: 13 'D'"},
  };
  for (const TranslationCase& c : kCases) {
    SCOPED_TRACE(c.why);
    char ch = 0, k = 0;
    Code93CheckChars(c.value, ch, k);
    EXPECT_EQ(std::string({ch, k}), c.want);
  }
}

TEST(Code93CheckChars, AgreeWithOracleAcrossLengths) {
  // Shifted characters count twice, so the wrap points fall mid-character.
  const std::string pattern = "9a%Z\x01 ~q.{";
  for (size_t len = 0; len <= 70; ++len) {
    std::string value;
    for (size_t i = 0; i < len; ++i) value.push_back(pattern[i % pattern.size()]);
    SCOPED_TRACE(len);
    EXPECT_EQ(Translate(BC_SYM_CODE93, value).bytes, OracleFontString(value));
  }
}

TEST(Code93CheckChars, SymbolValuesAndCheckGlyphs) {
  // The check glyph of every value a check character can take, 0..46.
  const std::string want =
      Bytes({0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9,              // 0..9
             0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC,  // A..L
             0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8,  // M..X
             0xD9, 0xDA, 0xAD, 0xAE, 0x50, 0xA4, 0xAF, 0xAB, 0xA5,  // Y Z - . sp $ / + %
             0x79, 0x7A, 0x7B, 0x7C});                              // shifts
  for (unsigned v = 0; v < 47; ++v) {
    SCOPED_TRACE(v);
    EXPECT_EQ(Code93CheckFontChar(Code93ValueChar(v)), want[v]);
    EXPECT_EQ(Code93CharValue(Code93ValueChar(v)), static_cast<int>(v));
  }
  EXPECT_EQ(Code93CharValue(Code93ValueChar(47)), 47) << "start";
  EXPECT_EQ(Code93CharValue(Code93ValueChar(48)), 48) << "stop";
  for (char not_symbol : {'a', '*', '\0', '\x80', '\xFF'}) {
    EXPECT_EQ(Code93CharValue(not_symbol), 47);
  }
}

TEST(Code93CheckChars, HugeValueSumsExactly) {
  // 8 MiB of 'z', each (+) Z: the weighted C and K sums pass 2^32, so a
  // 32-bit running sum would wrap and give a wrong check character.
  const std::string value(8u << 20, 'z');
  std::vector<uint8_t> x = ExpandToValues(value);
  ASSERT_GT(WeightedSum(x, 20), uint64_t{1} << 32);
  ASSERT_GT(WeightedSum(x, 15), uint64_t{1} << 32);
  char c = 0, k = 0;
  Code93CheckChars(value, c, k);
  const Checks want = OracleChecks(value);
  EXPECT_EQ(c, want.c);
  EXPECT_EQ(k, want.k);
}

TEST(Code93StartStop, StartAndStopBytesAroundDataAndChecks) {
  FontString out;
  ASSERT_EQ(EncodeCode93("A", Options{.check = false}, out), 0);
  EXPECT_EQ(out, Bytes({0x7D, 0xC1, 0xC1, 0xD5, 0x7E}));
}

TEST(Code93BadInput, BytesAbove127AreRejectedAnywhere) {
  struct BadCase {
    std::string value;
    const char* why;
  };
  for (const char bad : {'\x80', '\xB0', '\xFF'}) {
    const std::string b(1, bad);
    const BadCase kCases[] = {
        {b, "alone"}, {"AB" + b, "last"}, {b + "AB", "first"}, {"A" + b + "B", "in the middle"}};
    for (const BadCase& c : kCases) {
      SCOPED_TRACE(c.why);
      EXPECT_EQ(Translate(BC_SYM_CODE93, c.value).rc, BC_FONT_ERR_ILLEGAL_CHARACTER_ASCII);
    }
  }
}

// The time these take grows linearly: bench/long_values_bench.cpp shows it.
TEST(Code93BadInput, MebibyteValuesInLinearTime) {
  std::string value;
  for (size_t i = 0; i < (1u << 20); ++i) value.push_back("Tz0 \x7F-a\x1B"[i % 8]);
  EXPECT_EQ(Translate(BC_SYM_CODE93, value).bytes, OracleFontString(value));
  value.back() = '\x80';
  EXPECT_EQ(Translate(BC_SYM_CODE93, value).rc, BC_FONT_ERR_ILLEGAL_CHARACTER_ASCII)
      << "a bad last byte after a mebibyte of good ones";
}

}  // namespace
}  // namespace tavo::test
