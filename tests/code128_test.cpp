// Code 128: code-set choice, shifts, function characters, redundant changes,
// the modulo-103 check character, and agreement with the literal rules.
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "code128_reference.h"
#include "symbologies/code128.h"
#include "symbologies/encoders.h"
#include "test_support.h"

namespace tavo::test {
namespace {

namespace ref = reference;

int Code(char c) { return static_cast<unsigned char>(c); }
bool IsPairCode(int c) { return (c >= 33 && c <= 125) || (c >= 236 && c <= 242); }

// A complete symbol from its start character and body: the check character
// is summed here from the test's own code-to-value table, then Stop.
std::string Symbol(std::initializer_list<int> sequence) {
  std::string out;
  uint64_t sum = 0;
  uint64_t k = 0;
  for (int c : sequence) {
    sum += (k == 0 ? 1 : k) * static_cast<uint64_t>(ref::CodeValue(c));
    out.push_back(static_cast<char>(c));
    ++k;
  }
  out.push_back(static_cast<char>(ref::FontCode(static_cast<int>(sum % 103))));
  out.push_back(static_cast<char>(234));
  return out;
}

// Data byte of a data value read in set A or B (FNC1..FNC4 as 185, 178, 179,
// 188; NUL as 199), or nothing for shift and code-set changes.
std::optional<char> DataIn(char set, int v) {
  if (v < 64) return static_cast<char>(v + 32);
  if (v < 96) return static_cast<char>(set == 'B' ? v + 32 : v == 64 ? 199 : v - 64);
  if (v == 96) return '\xB3';
  if (v == 97) return '\xB2';
  if (v == 102) return '\xB9';
  if ((set == 'A' && v == 101) || (set == 'B' && v == 100)) return '\xBC';
  return std::nullopt;
}

// Reads a font string back as a Code 128 symbol: start, body, a check
// character recomputed from the decoded values, stop.  Returns the data.
std::optional<std::string> Decode(std::string_view font) {
  const size_t n = font.size();
  if (n < 3 || Code(font[n - 1]) != 234 || Code(font[0]) < 231 || Code(font[0]) > 233) return {};
  uint64_t sum = 0;
  for (size_t k = 0; k + 2 < n; ++k) {
    const int v = ref::CodeValue(Code(font[k]));
    if (v < 0) return {};
    sum += (k == 0 ? 1 : k) * static_cast<uint64_t>(v);
  }
  const int check = Code(font[n - 2]);
  if (IsPairCode(check) || ref::CodeValue(check) != static_cast<int>(sum % 103)) return {};
  char set = static_cast<char>('A' + Code(font[0]) - 231);
  std::string data;
  for (size_t k = 1; k + 2 < n; ++k) {
    const int c = Code(font[k]), v = ref::CodeValue(c);
    if (set == 'C') {
      if (IsPairCode(c)) data += {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
      else if (v == 102) data += '\xB9';
      else if (v == 100 || v == 101) set = v == 100 ? 'B' : 'A';
      else return {};
      continue;
    }
    if (IsPairCode(c)) return {};
    std::optional<char> byte;
    if (v == 98 && k + 3 < n && !IsPairCode(Code(font[k + 1]))) {
      byte = DataIn(set == 'A' ? 'B' : 'A', ref::CodeValue(Code(font[++k])));  // shifted
      if (!byte) return {};
    } else if (v == 99 || (set == 'A' && v == 100) || (set == 'B' && v == 101)) {
      set = v == 99 ? 'C' : v == 100 ? 'B' : 'A';
    } else if (!(byte = DataIn(set, v))) {
      return {};
    }
    if (byte) data += *byte;
  }
  return data;
}

std::string NulAs199(std::string_view value) {
  std::string v(value);
  for (char& c : v)
    if (c == '\0') c = '\xC7';
  return v;
}


void ExpectTranslations(const std::vector<TranslationCase>& cases) {
  for (const TranslationCase& c : cases) {
    SCOPED_TRACE(c.why);
    const Translation t = Translate(BC_SYM_CODE128, c.value);
    ASSERT_EQ(t.rc, 0);
    EXPECT_EQ(t.bytes, c.want);
    EXPECT_EQ(Decode(t.bytes), NulAs199(c.value)) << "does not read back as the value";
  }
}

TEST(Code128WorkedExamples, TranslateToTheseFontCodes) {
  ExpectTranslations({
      {"", Bytes({232, 244, 234}), "empty: Start B, check 104 mod 103 = 1"},
      {"Code 128", Bytes({232, 163, 207, 196, 197, 243, 249, 145, 151, 192, 234}),
       "three trailing digits are no run"},
      {"ABC", Bytes({232, 161, 162, 163, 244, 234}), "sum 310, check 1"},
      {"abc", Bytes({232, 193, 194, 195, 218, 234}), "lower case in set B"},
      {"1", Bytes({232, 249, 145, 234}), "a lone digit in set B"},
      {"123", Bytes({232, 249, 145, 146, 135, 234}), "three digits: no run of four"},
      {"12", Bytes({233, 45, 246, 234}), "exactly two digits start in set C"},
      {"99", Bytes({233, 242, 229, 234}), "pair 99 is 242; check 101"},
      {"1234", Bytes({233, 45, 67, 210, 234}), "even run"},
      {"12345678", Bytes({233, 45, 67, 89, 111, 175, 234}), "longer even run"},
      {"12345", Bytes({233, 45, 67, 228, 148, 182, 234}), "odd run: last digit after CODE B"},
      {"1234567", Bytes({233, 45, 67, 89, 228, 150, 172, 234}), "odd run of seven"},
      {"A1234B", Bytes({232, 161, 227, 45, 67, 228, 162, 206, 234}), "run inside set B"},
      {"\xB9", Bytes({233, 230, 244, 234}), "FNC1 alone starts in set C"},
      {"12\xB9", Bytes({233, 45, 230, 139, 234}), "FNC1 ending the value stays in set C"},
      {"\xB9" "1", Bytes({232, 230, 249, 162, 234}), "FNC1 and one digit: no run"},
      {"\xB9" "0112345", Bytes({233, 230, 34, 45, 67, 228, 148, 208, 234}),
       "FNC1, pairs 01 12 34, CODE B, 5"},
      {"HELLO\x01world",
       Bytes({231, 168, 165, 172, 172, 175, 193, 228, 215, 207, 210, 204, 196, 192, 234}),
       "Start A; latch B once no A-only character follows"},
      {"a\x01" "b", Bytes({231, 226, 193, 193, 228, 194, 147, 234}),
       "shift, then a latch at the end"},
      {"\x01" "ABC", Bytes({232, 229, 193, 161, 162, 163, 151, 234}),
       "Start B followed at once by CODE A stays"},
      {"1234\x01", Bytes({233, 45, 67, 229, 193, 154, 234}), "CODE B then CODE A: CODE B removed"},
      {"AB12\xB9" "3", Bytes({232, 161, 162, 249, 227, 228, 145, 230, 146, 194, 234}),
       "CODE C then CODE B back to set B: both stay"},
      {"\xC7", Bytes({232, 229, 192, 151, 234}), "NUL in set A"},
      {"A\xBC" "B", Bytes({232, 161, 228, 162, 154, 234}), "FNC4 in set B is 228"},
  });
}

TEST(Code128StartCharacter, ChosenFromTheWholeValue) {
  ExpectTranslations({
      {"\xB9" "12", Symbol({233, 230, 45}), "FNC1 and two digits start in set C"},
      {"12\xB9" "x", Symbol({233, 45, 228, 230, 216}), "two digits and FNC1 start in set C"},
      {"12\x01", Symbol({232, 249, 145, 229, 193}), "three bytes are no exact pair"},
      {"\x01" "a", Symbol({231, 193, 228, 193}), "A-only then B-only: Start A"},
      {"a\x01", Symbol({232, 193, 229, 193}), "B-only then A-only: Start B"},
      {"\x01", Symbol({232, 229, 193}), "an A-only character alone: Start B"},
  });
}

TEST(Code128EnterSetC, RunsAndFnc1Positions) {
  ExpectTranslations({
      {"A123", Symbol({232, 161, 249, 145, 146}), "three digits stay in set B"},
      {"A12345", Symbol({232, 161, 249, 227, 56, 78}), "odd run: first digit in set B"},
      {"A\xB9" "12", Symbol({232, 161, 227, 230, 45}), "FNC1 at position 0 weighs 2"},
      {"A12\xB9" "34", Symbol({232, 161, 227, 45, 230, 67}), "FNC1 at position 2 weighs 2"},
      {"A1\xB9" "23", Symbol({232, 161, 249, 227, 230, 56}), "1 then FNC1 is no run"},
      {"A\xB9" "123", Symbol({232, 161, 230, 227, 45, 228, 146}),
       "odd run led by FNC1: FNC1 written in set B"},
      {"A12345\xB9" "6", Symbol({232, 161, 249, 227, 56, 78, 230, 228, 149}),
       "FNC1 at odd position 5 ends the run: weight 5"},
      {"A1234\xB9" "56", Symbol({232, 161, 227, 45, 67, 230, 89}), "weight 4 + 2 + 2 = 8"},
      {"A1234\xB9" "5", Symbol({232, 161, 249, 227, 56, 228, 147, 230, 148}), "weight 7"},
      {"\x01" "12345a", Symbol({231, 193, 249, 227, 56, 78, 228, 193}),
       "odd run in set A: first digit in set A"},
  });
}

TEST(Code128LeaveSetC, ToTheSetTheRestNeeds) {
  ExpectTranslations({
      {"1234a", Symbol({233, 45, 67, 228, 193}), "to set B"},
      {"1234\x01" "a", Symbol({233, 45, 67, 229, 193, 228, 193}), "A-only before B-only: set A"},
      {"1234a\x01", Symbol({233, 45, 67, 228, 193, 229, 193}), "B-only first: set B"},
      {"1234\xB9", Symbol({233, 45, 67, 230}), "FNC1 at the end is written in set C"},
      {"1234\xB9" "A", Symbol({233, 45, 67, 228, 230, 161}), "FNC1 before a letter: leave first"},
  });
}

TEST(Code128ShiftOrLatch, InSetAAndSetB) {
  ExpectTranslations({
      {"\x01" "ab", Symbol({231, 193, 228, 193, 194}), "A: no A-only ahead, latch"},
      {"\x01" "a\x02" "b", Symbol({231, 193, 226, 193, 194, 228, 194}), "A: shift, later latch"},
      {"\x01" "ab\x02" "c", Symbol({231, 193, 226, 193, 226, 194, 194, 228, 195}),
       "A: two shifts in a row"},
      {"ab\x01" "cd", Symbol({231, 226, 193, 226, 194, 193, 228, 195, 196}),
       "Start A, shifting from the first byte"},
      {"ab\x01\x02", Symbol({232, 193, 194, 229, 193, 194}),
       "B: no B-only follows the control code, latch"},
      {"a\x01" "B\x02", Symbol({232, 193, 229, 193, 162, 194}), "B: latch, the letter fits set A"},
  });
}

TEST(Code128Fnc4, PerCodeSet) {
  ExpectTranslations({
      {"\xBC", Symbol({232, 228}), "set B: 228"},
      {"\x01\xBC" "a", Symbol({231, 193, 229, 228, 193}), "set A: 229, then CODE B stays"},
      {"1234\xBC", Symbol({233, 45, 67, 228, 228}), "CODE B out of set C, then FNC4 228"},
  });
}

TEST(Code128DataCharacters, NulAndFunctionCharacters) {
  ExpectTranslations({
      {"\xB2", Symbol({232, 225}), "FNC2"},
      {"\xB3", Symbol({232, 224}), "FNC3"},
      {"\xB9 ", Symbol({232, 230, 243}), "check value 0: 104 + 102 + 2 x 0 = 206"},
      {"\x01\xB2\xB3" "a", Symbol({231, 193, 225, 224, 228, 193}), "FNC2 and FNC3 in set A"},
      {"1234\xB2", Symbol({233, 45, 67, 228, 225}), "FNC2 leaves set C"},
      {"a\xC7" "b\x01", Symbol({231, 226, 193, 192, 228, 194, 229, 193}),
       "199 is A-only: Start A, NUL written in set A"},
  });
  // Byte 0 can reach the encoder only from inside the library.
  const std::string_view with_nul[] = {{"\0", 1}, {"A\0B", 3}, {"12\0\0", 4}};
  for (std::string_view v : with_nul) {
    FontString got, want;
    ASSERT_EQ(EncodeCode128(v, Options{}, got), 0);
    ASSERT_EQ(EncodeCode128(NulAs199(v), Options{}, want), 0);
    EXPECT_EQ(got, want);
  }
}

TEST(Code128IllegalBytes, AnyHighByteButTheMarks) {
  for (int b = 128; b < 256; ++b) {
    const bool allowed = b == 178 || b == 179 || b == 185 || b == 188 || b == 199;
    const std::string c(1, static_cast<char>(b));
    for (const std::string& v : {c, "12" + c, c + "1234", "ab\x01" + c + "\xB9"}) {
      SCOPED_TRACE(b);
      EXPECT_EQ(Translate(BC_SYM_CODE128, v).rc, allowed ? 0 : BC_FONT_ERR_ILLEGAL_CHARACTER);
    }
  }
  FontString out = "kept";
  EXPECT_EQ(EncodeCode128(std::string_view("A\0\x80", 3), Options{}, out), kIllegalCharacter);
}

TEST(Code128RedundantChanges, RemovedAndKept) {
  struct Drop {
    std::vector<int> in, want;
    const char* why;
  };
  const Drop kCases[] = {
      {{231, 228, 227, 45}, {231, 227, 45}, "A: CODE B then CODE C"},
      {{232, 229, 227, 45}, {232, 227, 45}, "B: CODE A then CODE C"},
      {{233, 228, 229, 193}, {233, 229, 193}, "C: CODE B then CODE A"},
      {{233, 229, 228, 193}, {233, 228, 193}, "C: CODE A then CODE B"},
      {{232, 227, 228, 161}, {232, 227, 228, 161}, "back to the set before: both stay"},
      {{231, 229, 228, 193}, {231, 229, 228, 193}, "229 is FNC4 in set A"},
      {{232, 228, 229, 193}, {232, 228, 229, 193}, "228 is FNC4 in set B"},
      {{231, 226, 228, 227, 45}, {231, 226, 228, 227, 45}, "after SHIFT, 228 is FNC4 data"},
      {{232, 229, 193}, {232, 229, 193}, "the start character is never removed"},
      {{232}, {232}, "start alone"},
  };
  for (const Drop& c : kCases) {
    SCOPED_TRACE(c.why);
    std::string in, want;
    for (int b : c.in) in.push_back(static_cast<char>(b));
    for (int b : c.want) want.push_back(static_cast<char>(b));
    EXPECT_EQ(Code128DropRedundantChanges(in), want);
  }
}

TEST(Code128CheckChar, ModuloOneHundredThree) {
  struct Check {
    std::string sequence;
    int want;
    const char* why;
  };
  std::string long_b(1, '\xE8');
  long_b.append(205, '\xF4');  // value 1 at weights 1..205
  const Check kCases[] = {
      {Bytes({231}), 243, "Start A alone: 103 mod 103 = 0"},
      {Bytes({233}), 245, "Start C alone: 105 mod 103 = 2"},
      {Bytes({233, 242}), 229, "a start value above 102 plus pair 99: 204 -> 101"},
      {Bytes({231, 33}), 243, "pair code 33 is value 0 like 243"},
      {long_b, 244, "weights past 103: 104 + 21115 = 21219 -> 1"},
  };
  for (const Check& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Code(Code128CheckChar(c.sequence)), c.want);
  }
}

// Sequences of varied values, of lengths on either side of each multiple of
// 103 where the weights start over, against the sum written out plainly.
TEST(Code128CheckChar, WeightsStartOverAtEveryMultipleOf103) {
  for (size_t n : {2, 3, 102, 103, 104, 105, 205, 206, 207, 309, 310, 1000}) {
    std::string sequence(1, Code128ValueChar(104));  // Start B
    uint64_t sum = 104;
    for (size_t k = 1; k < n; ++k) {
      const int v = static_cast<int>((k * 37 + k / 103) % 103);
      sequence.push_back(Code128ValueChar(v));
      sum += (k % 103) * static_cast<uint64_t>(v);
    }
    EXPECT_EQ(Code128CharValue(Code128CheckChar(sequence)), static_cast<int>(sum % 103)) << n;
  }
}

TEST(Code128FontCodes, ValuesPairsAndBack) {
  const std::pair<int, int> kValueCodes[] = {{0, 243},  {1, 244},  {2, 245},  {3, 130},
                                             {13, 140}, {14, 246}, {17, 249}, {18, 145},
                                             {29, 156}, {30, 250}, {32, 252}, {33, 161},
                                             {98, 226}, {105, 233}, {106, 234}};
  for (auto [v, code] : kValueCodes) EXPECT_EQ(Code(Code128ValueChar(v)), code) << v;
  const std::pair<int, int> kPairCodes[] = {{0, 33}, {92, 125}, {93, 236}, {99, 242}};
  for (auto [p, code] : kPairCodes) EXPECT_EQ(Code(Code128PairChar(p)), code) << p;
  auto unused = [](int c) {
    return c <= 32 || (c >= 126 && c <= 129) || (c >= 141 && c <= 144) ||
           (c >= 157 && c <= 160) || c == 235 || c >= 253;
  };
  for (int v = 0; v <= 106; ++v) {
    EXPECT_FALSE(unused(Code(Code128ValueChar(v)))) << v;
    EXPECT_EQ(Code128CharValue(Code128ValueChar(v)), v == 106 ? -1 : v) << v;
  }
  for (int p = 0; p <= 99; ++p) {
    EXPECT_FALSE(unused(Code(Code128PairChar(p)))) << p;
    EXPECT_EQ(Code128CharValue(Code128PairChar(p)), p) << p;
  }
  for (int c = 0; c < 256; ++c) {
    if (unused(c)) {
      EXPECT_EQ(Code128CharValue(static_cast<char>(c)), -1) << c;
    }
  }
}

TEST(Code128Lookahead, Tests) {
  struct Look {
    std::string_view s;
    bool exact, pair, run, even, a_then_b, b_then_a;
    const char* why;
  };
  const Look kCases[] = {
      {"", false, false, false, false, false, false, "empty"},
      {"12", true, true, false, true, false, false, "two digits"},
      {"\xB9", true, true, false, true, false, false, "FNC1 alone"},
      {"123", false, true, false, false, false, false, "weight 3"},
      {"1234", false, true, true, true, false, false, "four digits"},
      {"\xB9" "1", false, true, false, false, false, false, "weight 2 + 1"},
      {"\xB9" "12", false, true, true, true, false, false, "weight 2 + 2"},
      {"12\xB9", false, true, true, true, false, false, "FNC1 at position 2"},
      {"1\xB9", false, false, false, false, false, false, "FNC1 at position 1 ends the run"},
      {"\xB9\xB9", false, false, false, true, false, false, "second FNC1 is at an odd position"},
      {"123\xB9" "4", false, true, false, false, false, false, "FNC1 at position 3"},
      {"a1234", false, false, false, false, false, false, "no leading run"},
      {"\x01" "AAA" "a", false, false, false, false, true, false, "A-only, later B-only"},
      {"a\x01", false, false, false, false, false, true, "B-only, later A-only"},
      {"\xC7\x60", false, false, false, false, true, false, "199 is A-only, 96 B-only"},
      {"\x1F\x7F", false, false, false, false, true, false, "31 A-only, 127 B-only"},
      {"\x20\x5F", false, false, false, false, false, false, "space and _ are in both sets"},
      {{"\x7F\0", 2}, false, false, false, false, false, true, "0 is A-only"},
      {"a\x01" "b", false, false, false, false, true, true, "both orders"},
  };
  for (const Look& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(IsExactPair(c.s), c.exact);
    EXPECT_EQ(HasPairAhead(c.s), c.pair);
    EXPECT_EQ(HasRunAhead(c.s), c.run);
    EXPECT_EQ(HasEvenRun(c.s), c.even);
    EXPECT_EQ(HasAThenB(c.s), c.a_then_b);
    EXPECT_EQ(HasBThenA(c.s), c.b_then_a);
  }
}

// Values over bytes that stress the rules: digits and FNC1 for runs, A-only
// and B-only characters for shifts and latches, bytes of both sets, FNC2-4.
std::string RandomValue(std::mt19937& rng) {
  static constexpr char kRuns[] = "01234567890123456789\xB9\xB9\xB9" "A \x01\x60";
  static constexpr char kSets[] = "\x01\x02\x1F\xC7\x60" "a{\x7F" "AB \xB2\xB3\xBC" "12\xB9";
  static constexpr char kMixed[] = "0123456789\xB9\xB9\x01\x1F\xC7\0" "a\x60\x7F" "A \xB2\xB3\xBC";
  static constexpr std::string_view kAlphabets[] = {{kRuns, sizeof kRuns - 1},
                                                     {kSets, sizeof kSets - 1},
                                                     {kMixed, sizeof kMixed - 1}};
  const std::string_view alphabet = kAlphabets[rng() % 3];
  const size_t length = rng() % 65;
  std::string v;
  for (size_t i = 0; i < length; ++i) v.push_back(alphabet[rng() % alphabet.size()]);
  return v;
}

TEST(Code128MatchesLiteralRules, SeededRandomValues) {
  std::mt19937 rng(20261207);
  for (int n = 0; n < 6000; ++n) {
    const std::string value = RandomValue(rng);
    SCOPED_TRACE(testing::PrintToString(value));
    FontString got;
    ASSERT_EQ(EncodeCode128(value, Options{}, got), 0);
    ASSERT_EQ(got, ref::Encode(value));
    ASSERT_EQ(Decode(got), NulAs199(value));
    if (n % 8 == 0 && value.find('\0') == std::string::npos) {
      ASSERT_EQ(Translate(BC_SYM_CODE128, value).bytes, got);
    }
    const std::string v = NulAs199(value);
    for (size_t p = 0; p <= v.size(); ++p) {
      const std::string_view rest = std::string_view(v).substr(p);
      ASSERT_EQ(IsExactPair(rest), ref::IsExactPair(rest));
      ASSERT_EQ(HasPairAhead(rest), ref::HasPairAhead(rest));
      ASSERT_EQ(HasRunAhead(rest), ref::HasRunAhead(rest));
      ASSERT_EQ(HasEvenRun(rest), ref::HasEvenRun(rest));
      ASSERT_EQ(HasAThenB(rest), ref::HasAThenB(rest));
      ASSERT_EQ(HasBThenA(rest), ref::HasBThenA(rest));
    }
  }
}

std::string Repeat(std::string_view unit, size_t times) {
  std::string s;
  for (size_t i = 0; i < times; ++i) s.append(unit);
  return s;
}

TEST(Code128LongValues, LookAheadStaysLinear) {
  // Each 'a' shifts because an SOH and a 'b' wait at the very end: the rule
  // looks over the whole rest at every byte.
  const size_t m = 200000;
  const std::string shifts = "\x01" + std::string(m, 'a') + "\x01" "b";
  const Translation t = Translate(BC_SYM_CODE128, shifts);
  ASSERT_EQ(t.rc, 0);
  const std::string body = "\xE7\xC1" + Repeat("\xE2\xC1", m) + "\xC1\xE4\xC2";
  ASSERT_EQ(t.bytes.size(), body.size() + 2);
  EXPECT_EQ(t.bytes.substr(0, body.size()), body);
  EXPECT_EQ(Decode(t.bytes), shifts);

  // Digit runs broken by FNC1 at even positions: every entry into set C
  // weighs a run that reaches the end of the value.
  const std::string runs = Repeat("12\xB9" "3", 60000);
  const Translation r = Translate(BC_SYM_CODE128, runs);
  ASSERT_EQ(r.rc, 0);
  EXPECT_EQ(Decode(r.bytes), runs);
  for (const std::string& v :
       {Repeat("12\xB9" "3", 700), "\x01" + std::string(2000, 'a') + "\x01" "b",
        Repeat("a\x01", 1500), Repeat("123\xB9\x01" "a", 400),
        // The densest sequences: a change, a shift or a change back and data
        // for nearly every byte, into room reserved for three per byte.
        Repeat("1234\x01" "a" "b", 300), Repeat("\x01" "a" "\x01", 500), "\x01" + Repeat("a\x01" "1234", 300)}) {
    EXPECT_EQ(Translate(BC_SYM_CODE128, v).bytes, ref::Encode(v));
  }
}

}  // namespace
}  // namespace tavo::test
