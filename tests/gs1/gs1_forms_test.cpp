// The two ways of writing element strings, "(AI)data" and "[AI]data", and
// the escapes of a literal parenthesis, through every entry that reads GS1
// values: GS1-128 (code 12), Data Matrix in GS1 mode (check 2) and
// BC_GS1HumanReadable.  The parenthesis form is the oracle: its bytes were
// fixed before the bracket form existed.
#include <vector>

#include "test_support.h"

namespace tavo::test {
namespace {

// The bracket form of a value written with parentheses: every unescaped
// '(' and ')' becomes '[' and ']'; escapes stay as they are.
std::string Bracketed(std::string_view paren) {
  std::string out;
  for (size_t i = 0; i < paren.size(); ++i) {
    const char c = paren[i];
    if (c == '\\' && i + 1 < paren.size()) {
      out.append(paren.substr(i, 2));
      ++i;
    } else {
      out.push_back(c == '(' ? '[' : c == ')' ? ']' : c);
    }
  }
  return out;
}

struct Answer {
  int32_t rc;
  std::string bytes;
};

Answer HumanReadable(std::string_view value) {
  std::vector<char> buf(512, kSentinel);
  int32_t len = kLenSentinel;
  const int32_t rc = BC_GS1HumanReadable(std::string(value).c_str(), buf.data(), 512, &len);
  if (rc) return {rc, {}};
  return {rc, std::string(buf.data(), static_cast<size_t>(len))};
}

// Values every entry accepts, among them escaped parentheses.
constexpr std::string_view kValues[] = {
    "(01)09501101530003(17)250101(10)ABC123",
    "(10)ABC123(01)09501101530003",
    "(00)106141411234567897(4300)A%20B(4321)1(4307)DE",
    "(01)09501101530003(21)A\\(1\\)B(17)250100",
    "(01)09501101530003(10)\\)\\(",
    "(01)09501101530003(3103)001250(3922)123(30)5",
    "(8013)1987654Ad4X4bL5ttr2310c2K",
};

TEST(Gs1Forms, BracketsGiveWhatParenthesesGive) {
  for (std::string_view paren : kValues) {
    const std::string bracket = Bracketed(paren);
    SCOPED_TRACE(bracket);
    const Translation linear = Translate(BC_SYM_GS1_128, paren);
    ASSERT_EQ(linear.rc, 0);
    EXPECT_EQ(Translate(BC_SYM_GS1_128, bracket).bytes, linear.bytes);
    const Translation matrix = Translate(BC_SYM_DATAMATRIX, paren, 2);
    ASSERT_EQ(matrix.rc, 0);
    EXPECT_EQ(Translate(BC_SYM_DATAMATRIX, bracket, 2).bytes, matrix.bytes);
    const Answer text = HumanReadable(paren);
    ASSERT_EQ(text.rc, 0);
    EXPECT_EQ(HumanReadable(bracket).bytes, text.bytes);
  }
}

struct FormCase {
  std::string_view value;
  int32_t rc;
  std::string_view text;  // the human-readable text when rc is 0
  const char* why;
};

const FormCase kFormCases[] = {
    {"[01]09501101530003[21]A(1)B", 0, "(01)09501101530003(21)A(1)B",
     "plain parentheses are data in the bracket form"},
    {"[01]09501101530003[21]A\\(1\\)B", 0, "(01)09501101530003(21)A(1)B",
     "and the escapes mean them too"},
    {"(01)09501101530003(21)A\\(1\\)B", 0, "(01)09501101530003(21)A(1)B", "escapes in the parenthesis form"},
    {"[01]09501101530003(10)A", 32533, "", "the forms do not mix: (10)A is data of the GTIN"},
    {"(01)09501101530003[10]A", 32533, "", "nor the other way round"},
    {"(01)09501101530003(21)A[B", 32535, "", "a bracket is outside the 82-character set"},
    {"[01]09501101530003[10", 32531, "", "unclosed AI"},
    {"[01]09501101530003[10]A]B", 32531, "", "stray closing bracket in data"},
    {"[01[10]A", 32531, "", "AI opened twice"},
    {"]01[", 32532, "", "closing first: not a value of either form"},
    {"[]123", 32532, "", "empty AI"},
    {"[1A]123", 32532, "", "AI with a letter"},
    {"[9999]X", 32530, "", "no AI 9999"},
    {"[01]09501101530004", 32537, "", "checked as the parenthesis form is"},
    {"(01)09501101530003(21)A\\B", 32535, "", "a lone backslash is no escape"},
    {"(01)09501101530003(21)A(1)B", 32530, "", "an unescaped '(' opens an AI: (1) is none"},
};

TEST(Gs1Forms, EveryEntryAnswersAlike) {
  for (const FormCase& c : kFormCases) {
    SCOPED_TRACE(c.why);
    const Answer text = HumanReadable(c.value);
    EXPECT_EQ(text.rc, c.rc);
    EXPECT_EQ(text.bytes, c.text);
    EXPECT_EQ(Translate(BC_SYM_GS1_128, c.value).rc, c.rc);
    EXPECT_EQ(Translate(BC_SYM_DATAMATRIX, c.value, 3).rc, c.rc);
  }
}

}  // namespace
}  // namespace tavo::test
