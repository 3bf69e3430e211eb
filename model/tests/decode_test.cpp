// tavo decode: the report support staff read, and its exit status.
#include "decode.h"

#include <chrono>

#include "symbologies/codes.h"
#include "model_test_support.h"

namespace tavo::model::test {
namespace {

struct DecodeCase {
  int32_t symbology;
  std::string_view font_string;  // the bytes, as the command line's escapes decode them
  int status;
  std::vector<std::string_view> lines;  // the beginnings of lines the report holds
  const char* why;
};

const DecodeCase kCases[] = {
    {0, "*12345F*", 0,
     {"data: \"12345\"", "check: modulo-43 check character: F, expected F: ok",
      "the library gives this string for the value \"12345\" with the check option", "consistent"},
     "Code 39 with its check character"},
    {0, "*12345G*", 0,
     {"data: \"12345G\"", "check: modulo-43 check character: none (optional; it would be V)", "consistent"},
     "a last character that is no check character is data"},
    {5, "\x7D\xD4\xC5\xD3\xD4\xB9\xB3\xAB\xB7\x7E", 1,
     {"check: check character K: 7, expected 6: WRONG", "not consistent"}, "a wrong K"},
    {11, "\xE8\xA1\xA2\xA3\xF4\xEA", 0,
     {"    1  \\xA1  A", "check: modulo-103 check character: 1, expected 1: ok", "consistent"},
     "Code 128 ABC, one line per byte"},
    {11, "\xE8\x2D\xF3\xEA", 1, {"byte 1: byte 1 (0x2D '-') is a digit-pair code", "not consistent"},
     "a byte the model cannot interpret"},
    {3, "a", 1, {"warning: a stop character alone", "not consistent"}, "one-letter Codabar"},
    {1, "\x60$A~", 1, {"warning: Code 39 characters \"$\" and \"A\" (bytes 1 and 2)", "not consistent"},
     "a Full ASCII reader reads SOH"},
    {10, "&~9ab23e|BCDEFH*_", 0,
     {"    0  &     (no bars: caption or spacer)", "data: \"590123412345\"",
      "check: leading-digit caption left of the bars: 5, expected 5: ok", "consistent"},
     "EAN-13"},
};

TEST(Decode, ReportsTheReadingAndItsStatus) {
  for (const DecodeCase& c : kCases) {
    SCOPED_TRACE(c.why);
    testing::internal::CaptureStdout();
    const int status = RunDecode(c.symbology, c.font_string);
    std::string out(1, '\n');
    out += testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, c.status) << out;
    for (std::string_view line : c.lines) {
      std::string needle(1, '\n');
      needle += line;
      EXPECT_NE(out.find(needle), std::string::npos) << line << "\nin:" << out;
    }
  }
}

// The listing of a long string takes time in proportion to its length: the
// symbol characters of a byte were once looked up by scanning all of them,
// and 100,000 bytes then took about a minute.
TEST(Decode, ListsALongStringInLinearTime) {
  const std::string s = FontString(symbology::kCode39, std::string(100000, 'A'));
  ASSERT_EQ(s.size(), 100002u);
  testing::internal::CaptureStdout();
  const auto start = std::chrono::steady_clock::now();
  const int status = RunDecode(symbology::kCode39, s);
  const auto took = std::chrono::steady_clock::now() - start;
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("\n  100001  ~     STOP\n"), std::string::npos) << out.substr(out.size() - 200);
  EXPECT_LT(took, std::chrono::seconds(5));
}

TEST(Decode, UnknownSymbologyIsAUsageFault) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunDecode(22, "*A*"), 2);  // code 22 never gets a symbology
  EXPECT_EQ(RunDecode(-1, "*A*"), 2);
  testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace tavo::model::test
