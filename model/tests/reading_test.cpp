// Reading font strings back: the data, every check character recomputed,
// and the symbols no reader can read back as their value.
#include "model_test_support.h"

namespace tavo::model::test {
namespace {

struct RoundTrip {
  int32_t symbology;
  std::string_view value;
  int32_t check;
  std::string_view data;  // what the reading returns ("" = the value itself)
  const char* why;
};

constexpr RoundTrip kRoundTrips[] = {
    {0, "Code 39", 1, "", "Full ASCII pairs read as lower case"},
    {0, "A\tB", 0, "", "$I reads as HT"},
    {1, "Code 39", 1, "", "one glyph per character"},
    {1, "\x01\x7F*_`~", 0, "", "moved glyphs"},
    {2, "1234567", 1, "1234567", "odd count with check digit"},
    {2, "1234567", 0, "01234567", "the leading zero stays in the data"},
    {3, "a12345b", 1, "A12345b", "start turned upper case, check 0 before the stop"},
    {3, "12345", 0, "A12345a", "default start and stop"},
    {4, "1234567", 0, "", "one check digit"},
    {4, "1234567", 1, "12345674", "two check digits read as one, the default"},
    {4, "80523", 0, "", "E = 853, O = 2"},
    {5, "TEST93", 0, "", "C and K over the symbol characters"},
    {5, "Hello, World!\x7F", 0, "", "shifts"},
    {6, "03600029145", 0, "", "UPC-A"},
    {6, "0123456789052495", 0, "", "UPC-A with 5-digit add-on"},
    {7, "123456", 0, "", "UPC-E, check digit in the number sets"},
    {7, "123405", 0, "123454", "UPC-E printed in its normal form"},
    {7, "12345612", 0, "", "UPC-E with add-on"},
    {8, "12345-6789", 0, "123456789", "PostNet drops the hyphen"},
    {9, "963850752495", 0, "", "EAN-8 with add-on"},
    {10, "590123412345", 0, "", "EAN-13, leading digit from the number sets"},
    {10, "97801234567891", 0, "", "EAN-13 with 2-digit add-on"},
    {11, "Code 128", 0, "", "code set B"},
    {11, "HELLO\x01world", 0, "", "sets A and B"},
    {11, "a\x01" "b", 0, "", "SHIFT"},
    {11, "\xB9" "0112345", 0, "", "FNC1 and pairs"},
    {11, "AB12\xB9" "3", 0, "", "FNC1 in set C after an odd run"},
    {11, "\xC7\xB2\xB3" "A\xBC" "B", 0, "", "NUL as 199, FNC2, FNC3, FNC4"},
};

TEST(ModelReading, ReadsBackTheDataWithEveryCheckCharacterRight) {
  for (const RoundTrip& c : kRoundTrips) {
    SCOPED_TRACE(c.why);
    const std::string font_string = FontString(c.symbology, c.value, c.check);
    const Reading reading = Read(c.symbology, font_string);
    EXPECT_EQ(reading.data, c.data.empty() ? c.value : c.data);
    EXPECT_TRUE(reading.faults.empty()) << reading.faults.front();
    for (const CheckFinding& check : reading.checks) {
      SCOPED_TRACE(check.what);
      EXPECT_TRUE(check.Matches() || (check.optional && check.found.empty()))
          << check.found << " vs " << check.expected;
    }
    EXPECT_TRUE(reading.Consistent());
    EXPECT_TRUE(ReadabilityWarnings(c.symbology, Build(c.symbology, font_string)).empty());
  }
}

struct CheckCase {
  int32_t symbology;
  std::string_view font_string;
  std::string_view what;
  std::string_view found, expected;
  const char* why;
};

// Check characters worked out by hand from the symbology's arithmetic.
constexpr CheckCase kChecks[] = {
    {0, "*ABC-1234-*", "modulo-43", "-", "-", "sum 79, 79 mod 43 = 36"},
    {0, "*A$IBZ*", "modulo-43", "Z", "Z", "HT counts $ and I: sum 78, remainder 35"},
    {2, "\x97\xA8\xBE\xD4\xE2\x98", "modulo-10", "0", "0", "3+2+9+4+15+6+21 = 60"},
    {3, "A123451a", "modulo-16", "1", "1", "16+1+2+3+4+5+1+16 = 48"},
    {4, "\x60" "123456741~", "first of two", "4", "4", "first check 4 over 1234567"},
    {4, "\x60" "12345675~", "modulo-10", "5", "4", "a wrong MSI check digit"},
    {5, "\x7D\xD4\xC5\xD3\xD4\xB9\xB3\xAB\xB6\x7E", "check character C", "+", "+", "C of TEST93 is 41"},
    {5, "\x7D\xD4\xC5\xD3\xD4\xB9\xB3\xAB\xB6\x7E", "check character K", "6", "6", "K of TEST93 is 6"},
    {5, "\x7D\xC6\xC6\x7B\x7E", "check character K", "(/)", "(/)", "K of F is the shift (/)"},
    {5, "\x7D\xD4\xC5\xD3\xD4\xB9\xB3\xAB\xB7\x7E", "check character K", "7", "6", "a wrong K"},
    {6, "!~u12345|GHIJAP*\xB0", "check digit", "5", "5", "UPC-A 01234567890"},
    {6, "!~u12345|GHIJAQ*\xB0", "check digit", "6", "5", "a wrong UPC-A check digit"},
    {6, "\"~u12345|GHIJAP*\xB0", "number-system caption", "1", "0", "a caption that belies the bars"},
    {7, "!~b23ef6^\xB0", "number sets", "5", "5", "parity E O O E E O is check digit 5"},
    {7, "!~b23ef6^\xB1", "caption right", "6", "5", "a check caption that belies the number sets"},
    {10, "+~7ia1c3|EFGHIG*_=\xAA@\xA2_", "add-on", "BB", "BB", "add-on 91: 91 mod 4 = 3"},
    {10, "+~7ia1c3|EFGHIG*_=\xA6@m@\xA5@t@p_", "add-on", "BABAA", "BABAA", "52495: checksum 1"},
    {10, "+~7ia1c3|EFGHIG*_=l@m_", "add-on", "AA", "AA", "add-on 12: 12 mod 4 = 0"},
    {10, "+~7ia1c3|EFGHIG*_=k@m_", "add-on", "AA", "BA", "add-on 02 in the wrong set"},
    {10, "%~0a63ib|DDDJDB*_", "check digit", "1", "1", "EAN-13 400638133393"},
    {9, "_~9638|FAHE*_", "check digit", "4", "4", "EAN-8 9638507"},
    {8, "*123456789014*", "modulo-10", "4", "4", "digit sum 46"},
    {8, "*123455*", "modulo-10", "5", "5", "digit sum 15"},
    {11, "\xE8\xA1\xA2\xA3\xF4\xEA", "modulo-103", "1", "1", "ABC: 104 + 33 + 68 + 105 = 310"},
    {11, "\xE9\x2D\x43\xE5\xC1\x9A\xEA", "modulo-103", "27", "27", "1234 SOH: 748 mod 103"},
    {11, "\xE9\xF2\xE5\xEA", "modulo-103", "101", "101", "pair 99: (105 + 99) mod 103"},
    {11, "\xE8\xA1\xA2\xA3\xF5\xEA", "modulo-103", "2", "1", "a wrong Code 128 check"},
};

TEST(ModelReading, RecomputesCheckCharacters) {
  for (const CheckCase& c : kChecks) {
    SCOPED_TRACE(c.why);
    const Reading reading = Read(c.symbology, c.font_string);
    const CheckFinding* found = nullptr;
    for (const CheckFinding& check : reading.checks) {
      if (check.what.find(c.what) != std::string::npos) found = &check;
    }
    ASSERT_NE(found, nullptr) << c.what;
    EXPECT_EQ(found->found, c.found);
    EXPECT_EQ(found->expected, c.expected);
    EXPECT_EQ(reading.Consistent(), c.found == c.expected);
  }
}

TEST(ModelReading, OptionalCheckCharacterAbsent) {
  // Without the check option nothing is wrong; the finding names the
  // character the option would add.
  const Reading reading = Read(0, "*ABC-1234*");
  ASSERT_EQ(reading.checks.size(), 1u);
  EXPECT_EQ(reading.checks[0].found, "");
  EXPECT_EQ(reading.checks[0].expected, "-");
  EXPECT_EQ(reading.data, "ABC-1234");
  EXPECT_TRUE(reading.Consistent());
}

struct FaultCase {
  int32_t symbology;
  std::string_view font_string;
  std::string_view fault;
  const char* why;
};

constexpr FaultCase kFaults[] = {
    {0, "*AB", "no stop", "stop missing"},
    {1, "AB~", "no start", "start missing"},
    {2, "\x97\x98", "no data", "pairs missing"},
    {3, "1a", "no start", "Codabar start missing"},
    {5, "\x7D\x7E", "no check characters", "C and K missing"},
    {5, "\x7D\x79\xB0\xB0\xB0\x7E", "not followed by a letter", "($) before a digit"},
    {6, "!~u12345|GHIJA*\xB0", "do not make a UPC-A", "a digit short"},
    {10, "&~9ab23e|BCDEF*_", "do not make a EAN/JAN-13", "a digit short"},
    {10, "&~bab23e|BCDEFH*_", "do not make", "first left digit in set B"},
    {8, "*1234*", "data digits", "four digits and a check digit"},
    {11, "\xE8\xA1\xF4", "no stop", "Code 128 stop missing"},
};

TEST(ModelReading, ReportsWhatKeepsAReaderFromReading) {
  for (const FaultCase& c : kFaults) {
    SCOPED_TRACE(c.why);
    const Reading reading = Read(c.symbology, c.font_string);
    bool seen = false;
    for (const std::string& f : reading.faults) seen = seen || f.find(c.fault) != std::string::npos;
    EXPECT_TRUE(seen) << (reading.faults.empty() ? "no fault" : reading.faults.front());
    EXPECT_FALSE(reading.Consistent());
  }
}

struct WarningCase {
  int32_t symbology;
  std::string_view value;
  int32_t check;
  std::string_view warning;  // part of the one warning expected; "" none
  const char* why;
};

constexpr WarningCase kWarnings[] = {
    {0, "", 0, "no start character", "empty Code 39: a stop alone"},
    {0, "", 1, "no start character", "empty Code 39 with check: 0 and the stop"},
    {1, "", 1, "no start character", "empty Code 39 fonts"},
    {2, "", 0, "no data", "empty I2of5: start and stop"},
    {5, "", 0, "no start character", "empty Code 93: checks and stop"},
    {11, "", 0, "no data", "empty Code 128: start, check, stop"},
    {3, "A", 0, "stop character alone", "one-letter Codabar"},
    {3, "d", 1, "no start character", "one-letter Codabar with check option: check and stop"},
    {1, "$A", 0, "reads them as SOH", "$ then A"},
    {1, "x/Z", 0, "reads them as :", "/ then Z"},
    {1, "%U", 1, "reads them as NUL", "% then U"},
    {1, "+", 1, "", "+ then its own check +: no pair"},
    {1, "a", 0, "", "the glyph of a draws + A for a"},
    {1, "$a", 0, "", "$ then + A: no pair"},
    {1, "/1", 0, "", "/ then a digit: no pair"},
    {0, "/D", 0, "reads them as $", "a pair no character expands to"},
    {0, "a", 0, "", "code 0: + A is how a is written"},
    {3, "5", 0, "", "A5a is a symbol"},
    {2, "", 1, "", "empty I2of5 with check: 00 is a symbol"},
};

TEST(ModelWarnings, SymbolsNoReaderReadsBackAsTheirValue) {
  for (const WarningCase& c : kWarnings) {
    SCOPED_TRACE(c.why);
    const Symbol symbol = Build(c.symbology, FontString(c.symbology, c.value, c.check));
    const std::vector<std::string> warnings = ReadabilityWarnings(c.symbology, symbol);
    if (c.warning.empty()) {
      EXPECT_TRUE(warnings.empty()) << warnings.front();
    } else {
      ASSERT_EQ(warnings.size(), 1u) << (warnings.empty() ? "" : warnings.back());
      EXPECT_NE(warnings[0].find(c.warning), std::string::npos) << warnings[0];
    }
  }
}

TEST(ModelWarnings, FromTheValue) {
  struct Case { int32_t symbology; std::string_view value; size_t count; const char* why; };
  constexpr Case kCases[] = {
      {0, "$A+B", 2, "two pairs in a code 0 value"},
      {0, "ab", 0, "lower case is no pair in the value"},
      {1, "A%", 0, "a shift character last"},
      {3, "b", 1, "one letter"},
      {3, "bb", 0, "two letters"},
      {11, "", 1, "empty"},
      {11, "$A", 0, "Code 128 has no shift pairs"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(ValueReadabilityWarnings(c.symbology, c.value).size(), c.count);
  }
}

}  // namespace
}  // namespace tavo::model::test
