// Code 39 Full ASCII: expansion, check character, start and stop.
#include "test_support.h"

namespace tavo::test {
namespace {

constexpr std::string_view kSet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-._$/+%";

// Independent oracle: the modulo-43 sum over an expansion written in the set.
char CheckOf(std::string_view expansion) {
  size_t sum = 0;
  for (char c : expansion) sum += kSet.find(c);
  return kSet[sum % 43];
}


TEST(Code39FullAscii, Translates) {
  const CheckedCase kCases[] = {
      {"Code 39", 1, "*C+O+D+E_39L*", "lower case shifted by +, space as _, sum 236 -> L"},
      {"Code 39", 0, "*C+O+D+E_39*", "without the check character"},
      {"ABC-1234", 1, "*ABC-1234-*", "sum 79 -> 36, the hyphen"},
      {"abc", 1, "*+A+B+CR*", "the check sums both characters of each pair"},
      {"12345", 1, "*12345F*", "digits stand for themselves"},
      {"A\tB", 1, "*A$IBZ*", "a control character is a $ pair"},
      {"A$B", 0, "*A$B*", "$ stays a single character"},
      {"%+/", 0, "*%+/*", "the other shift characters stay single too"},
      {"", 1, "0*", "empty: no start character, check 0"},
      {"", 0, "*", "empty: the stop character alone"},
      {"-. ", 1, "*-._P*", "- . and space are in the set: 36 + 37 + 38 = 111, mod 43 = 25, P"},
  };
  for (const CheckedCase& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(BC_SYM_CODE39_FULL_ASCII, c.value, c.check).bytes, c.want);
  }
}

TEST(Code39FullAscii, EveryAsciiCharacterExpandsByRange) {
  // Row by row of the Full ASCII table: what each code range expands to.
  auto expansion = [](int code) -> std::string {
    if (code == 0) return "%U";
    if (code <= 26) return std::string("$") + char('A' + code - 1);
    if (code <= 31) return std::string("%") + char('A' + code - 27);
    if (code == 32) return "_";
    if (code == 36 || code == 37 || code == 43 || code == 45 || code == 46 || code == 47)
      return std::string(1, char(code));
    if (code >= 33 && code <= 44) return std::string("/") + char('A' + code - 33);
    if (code >= 48 && code <= 57) return std::string(1, char(code));
    if (code == 58) return "/Z";
    if (code <= 63) return std::string("%") + char('F' + code - 59);
    if (code == 64) return "%V";
    if (code <= 90) return std::string(1, char(code));
    if (code <= 95) return std::string("%") + char('K' + code - 91);
    if (code == 96) return "%W";
    if (code <= 122) return std::string("+") + char(code - 32);
    return std::string("%") + char('P' + code - 123);
  };
  for (int code = 1; code < 128; ++code) {  // 0 cannot be passed: it ends the value
    SCOPED_TRACE(code);
    const std::string value = std::string("A") + char(code);
    const std::string exp = "A" + expansion(code);
    EXPECT_EQ(Translate(BC_SYM_CODE39_FULL_ASCII, value, 1).bytes,
              "*" + exp + CheckOf(exp) + "*");
  }
}

TEST(Code39FullAscii, BytesAbove127AreRejectedAnywhere) {
  for (int b : {128, 0x99, 0xC7, 255}) {
    for (std::string value : {std::string(1, char(b)), "AB" + std::string(1, char(b)),
                              std::string(1, char(b)) + "AB"}) {
      SCOPED_TRACE(b);
      EXPECT_EQ(Translate(BC_SYM_CODE39_FULL_ASCII, value, 1).rc,
                BC_FONT_ERR_ILLEGAL_CHARACTER_ASCII);
    }
  }
}

TEST(Code39FullAscii, LongValueIsLinear) {
  // 64 KiB of mixed characters: the result is each expansion in turn, and the
  // check character wraps the sum many times over.
  std::string value, exp;
  for (int i = 0; i < 65536; ++i) {
    const char c = "aZ09 $x"[i % 7];
    value.push_back(c);
  }
  const Translation t = Translate(BC_SYM_CODE39_FULL_ASCII, value, 1);
  ASSERT_EQ(t.rc, 0);
  ASSERT_GE(t.bytes.size(), 3u);
  const std::string body = t.bytes.substr(1, t.bytes.size() - 3);
  EXPECT_EQ(t.bytes[t.bytes.size() - 2], CheckOf(body));
}

}  // namespace
}  // namespace tavo::test
