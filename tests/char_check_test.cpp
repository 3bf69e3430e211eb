// Character check for input forms: every symbology code against every
// character code, the labels and Alt codes, and the caller's buffer.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>

#include "faces/faces.h"
#include "test_support.h"

namespace tavo::test {
namespace {

// How the valid characters of a rule are shown.
enum class Shown {
  kAsItself,
  kControls5,       // 1..32 and 127 as "<ABBR>" padded to 5 characters
  kControls6AndFnc, // the same padded to 6, and the four function characters
  kStartStop,       // the Codabar start/stop letters A to D
};

struct Range {
  int lo, hi;
};

struct RuleRow {
  std::vector<int> codes;  // symbology codes the row covers
  std::vector<Range> valid;
  Shown shown;
  const char* why;
};

// The rules as an input form sees them.  Codes in no row accept nothing.
const RuleRow kRuleRows[] = {
    {{1, 5, 22}, {{1, 127}}, Shown::kControls5, "any ASCII but NUL; 22 answers like Code 39"},
    {{2, 4, 6, 7, 8, 9, 10, 13, 20}, {{'0', '9'}}, Shown::kAsItself, "the numeric symbologies"},
    {{3},
     {{'0', '9'}, {'A', 'D'}, {'$', '$'}, {'+', '+'}, {'-', '-'}, {'.', '/'}, {':', ':'}},
     Shown::kStartStop,
     "Codabar: digits, six punctuation marks, start/stop letters"},
    {{11}, {{1, 127}, {178, 179}, {185, 185}, {188, 188}}, Shown::kControls6AndFnc, "Code 128"},
    // The GS1 82-character set, written as ranges, and the escape backslash.
    {{12, 26, 27},
     {{'!', '"'}, {'%', '?'}, {'A', 'Z'}, {'\\', '\\'}, {'_', '_'}, {'a', 'z'}},
     Shown::kAsItself,
     "GS1-128 and DataBar Expanded (and Stacked): the 82-character set and the backslash"},
    {{16, 17, 18, 19}, {{'0', '9'}, {' ', ' '}, {'+', '+'}}, Shown::kAsItself,
     "full GTINs: digits, and a space or '+' before the supplement"},
    {{14}, {{1, 255}}, Shown::kControls5, "QR Code: every byte but NUL, controls under labels"},
    {{15}, {{1, 255}}, Shown::kControls5, "Data Matrix: every byte, control characters labelled"},
    {{30}, {{1, 255}}, Shown::kControls5, "Aztec Code: every byte but NUL, controls under labels"},
    {{0, 31}, {}, Shown::kAsItself, "codes without rules"},
    {{21, 23, 24, 25}, {{'0', '9'}}, Shown::kAsItself, "GS1 DataBar: the GTIN's digits"},
    {{28, 29}, {{1, 255}}, Shown::kControls5, "PDF417 and MicroPDF417: every byte but NUL, controls under labels"},
};

// ASCII abbreviations of the characters 1 to 32, in order.
constexpr std::string_view kAbbreviations =
    "SOH STX ETX EOT ENQ ACK BEL BS HT LF VT FF CR SO SI DLE "
    "DC1 DC2 DC3 DC4 NAK SYN ETB CAN EM SUB ESC FS GS RS US SP";

std::string Abbreviation(int ch) {
  if (ch == 127) return "DEL";
  size_t start = 0;
  for (int i = 1; i < ch; ++i) start = kAbbreviations.find(' ', start) + 1;
  return std::string(kAbbreviations.substr(start, kAbbreviations.find(' ', start) - start));
}

std::string ControlLabel(int ch, size_t width) {
  std::string label = "<" + Abbreviation(ch) + ">";
  label.resize(width, ' ');
  return label;
}

// The label of a valid character, "" when it shows as itself.
std::string LabelOf(Shown shown, int ch) {
  const bool control = ch <= 32 || ch == 127;
  switch (shown) {
    case Shown::kAsItself:
      return "";
    case Shown::kStartStop:
      return ch >= 'A' && ch <= 'D' ? std::string("<SS ") + char(ch) + ">" : "";
    case Shown::kControls5:
      return control ? ControlLabel(ch, 5) : "";
    case Shown::kControls6AndFnc:
      if (control) return ControlLabel(ch, 6);
      if (ch == 185) return "<FNC1>";
      if (ch > 127) return "<FNC" + std::to_string(ch == 188 ? 4 : ch - 176) + ">";
      return "";
  }
  return "";
}

std::string AltSuffix(int ch) {
  char text[16];
  std::snprintf(text, sizeof text, ch < 128 ? " Alt %03d" : " Alt %04d", ch);
  return text;
}

// The text an input form shows, or nullopt when the character is refused.
std::optional<std::string> Expected(int symbology, int ch, bool alt) {
  for (const RuleRow& row : kRuleRows) {
    if (std::find(row.codes.begin(), row.codes.end(), symbology) == row.codes.end()) continue;
    for (const Range& r : row.valid) {
      if (ch < r.lo || ch > r.hi) continue;
      const std::string label = LabelOf(row.shown, ch);
      if (label.empty()) return std::string(1, char(ch));
      return alt ? label + AltSuffix(ch) : label;
    }
  }
  return std::nullopt;
}

struct Checked {
  int32_t rc;
  std::string text;  // the written bytes on success, empty on failure
};

// Calls BC_CharCheck into a sentinel-filled buffer of `capacity` bytes and
// asserts that failure writes nothing and success nothing past the text.
Checked Check(int32_t symbology, int32_t ch, int32_t alt, int32_t capacity = 64) {
  std::vector<char> buf(static_cast<size_t>(capacity < 0 ? 0 : capacity) + 16, kSentinel);
  int32_t len = kLenSentinel;
  const int32_t rc = BC_CharCheck(symbology, ch, alt, buf.data(), capacity, &len);
  EXPECT_TRUE(rc == 0 || rc == 1) << rc;
  if (rc != 1) {
    EXPECT_EQ(len, kLenSentinel) << "length written on failure";
  } else {
    EXPECT_LE(len, capacity);
  }
  const size_t written = rc == 1 ? static_cast<size_t>(len) : 0;
  for (size_t i = written; i < buf.size(); ++i) {
    if (buf[i] != kSentinel) {
      ADD_FAILURE() << "byte " << i << " written past the text (rc " << rc << ")";
      break;
    }
  }
  return {rc, std::string(buf.data(), written)};
}

// Every symbology code from -1 to 31 (30 the last symbology) against every character code from -1
// to 256, with and without Alt; a valid text fits a buffer of exactly its
// length and is refused by one byte less.
TEST(CharCheck, EveryCodeAgainstEveryCharacter) {
  int valid = 0;
  for (int32_t sym = -1; sym <= 31; ++sym) {
    for (int32_t ch = -1; ch <= 256; ++ch) {
      for (int32_t alt = 0; alt <= 1; ++alt) {
        SCOPED_TRACE(testing::Message() << "code " << sym << " char " << ch << " alt " << alt);
        const std::optional<std::string> want = Expected(sym, ch, alt != 0);
        if (!want) {
          EXPECT_EQ(Check(sym, ch, alt).rc, 0);
          continue;
        }
        ++valid;
        const auto size = static_cast<int32_t>(want->size());
        const Checked exact = Check(sym, ch, alt, size);
        EXPECT_EQ(exact.rc, 1);
        EXPECT_EQ(exact.text, *want);
        EXPECT_EQ(Check(sym, ch, alt, size - 1).rc, 0);
      }
    }
  }
  // 3 codes x 127 + 13 x 10 (9 numeric, 4 DataBar) + Codabar 20 + Code 128 131 + GS1-128 and both
  // Expanded forms 83 each + 4 GTIN codes x 12 + QR Code, Data Matrix, PDF417, MicroPDF417 and
  // Aztec Code 255 each, twice (with and without Alt).
  EXPECT_EQ(valid, 2 * (3 * 127 + 13 * 10 + 20 + 131 + 3 * 83 + 4 * 12 + 5 * 255));
}

TEST(CharCheck, WorkedExamples) {
  struct Case {
    int32_t symbology, ch, alt, capacity, rc;
    std::string_view text;
    const char* why;
  };
  const Case kCases[] = {
      {11, 'A', 0, 64, 1, "A", "a plain Code 128 character shows as itself"},
      {11, 1, 1, 64, 1, "<SOH>  Alt 001", "six-wide name, two spaces before Alt, 14 bytes"},
      {11, 185, 1, 14, 0, "", "<FNC1> Alt 0185 is 15 bytes: 14 is one short"},
      {11, 185, 1, 15, 1, "<FNC1> Alt 0185", "four digits from 128 on"},
      {11, 185, 0, 64, 1, "<FNC1>", "the function mark without Alt"},
      {11, 178, 2, 64, 1, "<FNC2> Alt 0178", "any nonzero Alt option asks for the suffix"},
      {11, 188, -1, 64, 1, "<FNC4> Alt 0188", "a negative Alt option is nonzero too"},
      {11, 127, 1, 64, 1, "<DEL>  Alt 127", "DEL is labelled like the controls"},
      {11, 0, 0, 64, 0, "", "NUL is refused"},
      {11, 128, 0, 64, 0, "", "128 is not a function character"},
      {11, 199, 0, 64, 0, "", "199 (NUL as Code 128 data) is refused by the check"},
      {1, 8, 1, 64, 1, "<BS>  Alt 008", "five-wide <BS> , then Alt: 13 bytes"},
      {1, 32, 0, 64, 1, "<SP> ", "space is labelled, its last byte a space"},
      {1, 128, 0, 64, 0, "", "Code 39 stops at 127"},
      {5, 'a', 1, 64, 1, "a", "no label, so no Alt suffix"},
      {3, 'A', 1, 64, 1, "<SS A> Alt 065", "Codabar start/stop letter with its Alt code"},
      {3, 'D', 0, 64, 1, "<SS D>", "the last start/stop letter"},
      {3, 'a', 0, 64, 0, "", "lower-case letters are not start/stop letters"},
      {3, 'E', 0, 64, 0, "", "E is past the start/stop letters"},
      {3, '*', 0, 64, 0, "", "* is not a Codabar character"},
      {3, '$', 1, 64, 1, "$", "Codabar punctuation shows as itself"},
      {2, '5', 0, 64, 1, "5", "a digit for Interleaved 2 of 5"},
      {2, 'A', 0, 64, 0, "", "a letter for Interleaved 2 of 5"},
      {22, 'x', 0, 64, 1, "x", "code 22 answers like Code 39"},
      {0, 'A', 0, 64, 0, "", "Code 39 Full ASCII has no rules here"},
      {20, '1', 0, 64, 1, "1", "ITF-14: a digit"},
      {20, ' ', 0, 64, 0, "", "ITF-14: no separators"},
      {12, '(', 0, 64, 1, "(", "GS1-128: a parenthesis"},
      {12, '#', 0, 64, 0, "", "GS1-128: '#' is outside the 82-character set"},
      {16, '+', 0, 64, 1, "+", "GTIN-13: '+' before a supplement"},
      {21, '1', 0, 64, 1, "1", "a GTIN digit for GS1 DataBar"},
      {25, '(', 0, 64, 0, "", "DataBar's optional \"(01)\" is not offered character by character"},
      {23, 'A', 0, 64, 0, "", "past the last rule"},
      {-1, 'A', 0, 64, 0, "", "a negative code is a large unsigned one"},
      {INT32_MIN, 'A', 0, 64, 0, "", "the most negative code"},
      {11, 256, 0, 64, 0, "", "character codes stop at 255"},
      {11, -1, 0, 64, 0, "", "a negative character code is a large unsigned one"},
      {11, 'A' + 256, 0, 64, 0, "", "no wrap-around to 'A'"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    const Checked got = Check(c.symbology, c.ch, c.alt, c.capacity);
    EXPECT_EQ(got.rc, c.rc);
    EXPECT_EQ(got.text, c.text);
  }
}

TEST(CharCheckBuffer, NegativeAndNullBuffers) {
  for (int32_t cap : {-1, -15, INT32_MIN}) {
    SCOPED_TRACE(cap);
    EXPECT_EQ(Check(11, 185, 1, cap).rc, 0);
    EXPECT_EQ(Check(2, '5', 0, cap).rc, 0);
  }
  int32_t len = kLenSentinel;
  EXPECT_EQ(BC_CharCheck(2, '5', 0, nullptr, 64, &len), 0) << "a null buffer counts as capacity 0";
  EXPECT_EQ(len, kLenSentinel);

  char buf[8];
  std::fill(std::begin(buf), std::end(buf), kSentinel);
  EXPECT_EQ(BC_CharCheck(1, 32, 0, buf, sizeof buf, nullptr), 1)
      << "a null length pointer is simply not written";
  EXPECT_EQ(std::string(buf, 5), "<SP> ");
  EXPECT_EQ(buf[5], kSentinel);
}

// The core routine appends to what the string already holds, and appends
// nothing when the character is refused.
TEST(CharCheckCore, AppendsOnlyWhenValid) {
  std::string out = "keep|";
  EXPECT_TRUE(CharCheck(3, 'B', true, out));
  EXPECT_EQ(out, "keep|<SS B> Alt 066");
  EXPECT_FALSE(CharCheck(3, 'b', true, out));
  EXPECT_FALSE(CharCheck(11, 300, false, out));
  EXPECT_EQ(out, "keep|<SS B> Alt 066");
}

}  // namespace
}  // namespace tavo::test
