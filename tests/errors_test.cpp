// Error messages: the text of every code, the prefix rule and the capacity rule.
#include <cstring>

#include "test_support.h"

namespace tavo::test {
namespace {

struct Message {
  int32_t code;
  std::string_view text;
};

// Written out whole, as a caller sees them.
constexpr Message kMessages[] = {
    {32500, "Incomplete number of UPC-A characters, must be 11, 13 (2 Digit supplement) or 16 (5 Digit supplement) digits."},
    {32501, "Incomplete number of UPC-E characters, must be 6, 8 (2 Digit supplement) or 11 (5 Digit supplement) digits."},
    {32502, "Incomplete number of EAN/JAN characters, must be 7, 9 (2 Digit supplement) or 12 (5 Digit supplement) digits."},
    {32503, "Incomplete number of EAN/JAN characters, must be 12, 14 (2 Digit supplement) or 17 (5 Digit supplement) digits."},
    {32504, "Incomplete number of PostNet characters, must be 5, 9 (Zip+4) or 11 (Zip+4+DP) digits."},
    {32505, "ERROR: Illegal character for this symbology."},
    {32506, "ERROR: Illegal character for this symbology.  Character must be in ASCII range 0...127."},
    {32507, "ERROR: Illegal character for this symbology.  Character must be numeric."},
    {32508, "ERROR: Illegal character for this symbology.  First digit must be a '0'."},
    {32509, "ERROR: Missing a required placement of one or more zeros for UPC-E."},
    {32510, "ERROR: Too many characters for this symbology."},
    {32511, "ERROR: Software Logic error, unknown symbology type."},
    {32512, "ERROR: Returned string too long for given buffer."},
    {32513, "ERROR: Software Logic error, contact manufacturer."},
    {32514, "ERROR: Bar code value does not translate into a valid symbol for the current symbology."},
    {32515, "ERROR: Invalid device context specified."},
    {32516, "ERROR: Invalid bar code symbology specified.Check documentation for valid range."},
    {32517, "ERROR: Invalid bar code ratio specified.Check documentation for valid range."},
    {32518, "ERROR: Invalid rotation specified.Check documentation for valid range."},
    {32519, "ERROR: Invalid magnification specified.Check documentation for valid range."},
    {32520, "ERROR: Invalid units specified.Check documentation for valid range."},
    {32521, "ERROR: Invalid bar width specified.Check documentation for valid range."},
    {32522, "ERROR: Invalid bar height specified.Check documentation for valid range."},
    {32523, "ERROR: An error occurred while attempting to create the specified font."},
    {32524, "ERROR: An error occurred while attempting to select the specified font."},
    {32525, "ERROR: An error occurred while attempting to draw the caption text."},
    {32526, "ERROR: Software Logic error, unexpected character encountered in translation output string."},
    {32529, "ERROR: Out of Memory."},
    {32530, "ERROR: Unknown GS1 Application Identifier."},
    {32531, "ERROR: Unbalanced parenthesis in GS1 element string.  Write \\( and \\) for parentheses in data."},
    {32532, "ERROR: Missing or empty GS1 Application Identifier.  Each element string starts with its AI in parentheses."},
    {32533, "ERROR: Wrong length of data for this GS1 Application Identifier."},
    {32534, "ERROR: Illegal character in GS1 Application Identifier data.  Character must be numeric."},
    {32535, "ERROR: Illegal character in GS1 Application Identifier data.  Character must be in the GS1 82-character set."},
    {32536, "ERROR: Illegal character in GS1 Application Identifier data.  Character must be in the GS1 39-character set."},
    {32537, "ERROR: Wrong check digit in GS1 Application Identifier data."},
    {32538, "ERROR: Invalid date or time in GS1 Application Identifier data."},
    {32539, "ERROR: Unknown ISO 3166 country code in GS1 Application Identifier data."},
    {32540, "ERROR: Unknown ISO 4217 currency code in GS1 Application Identifier data."},
    {32541, "ERROR: Invalid percent-encoding in GS1 Application Identifier data.  '%' must be followed by two hex digits."},
    {32542, "ERROR: Invalid value in GS1 Application Identifier data."},
    {32543, "ERROR: GS1 Application Identifier requires another Application Identifier that is missing."},
    {32544, "ERROR: GS1 Application Identifiers that must not appear together."},
    {32545, "ERROR: GS1 Application Identifier repeated with different data."},
    {32546, "ERROR: Too many characters for GS1-128, at most 48 data characters."},
    {32547, "ERROR: Wrong check digit in the GTIN or GS1 key."},
    {32548, "Incomplete number of GTIN characters, must be the full number with its check digit (and a supplement)."},
    {32549, "ERROR: Illegal character for this symbology.  UPC-E number system must be '0' or '1'."},
    {32560, "ERROR: Value too long for the largest symbol."},
    {32561, "ERROR: Invalid check option for this symbology."},
    // Not in the table: no failure, a generic text.
    {0, "ERROR: Unknown error."},
    {32499, "ERROR: Unknown error."},
    {32527, "ERROR: Unknown error."},
    {32528, "ERROR: Unknown error."},
    {32599, "ERROR: Unknown error."},
    {40000, "ERROR: Unknown error."},
    {-32505, "ERROR: Unknown error."},
};

TEST(StrErr, EveryCodeHasItsText) {
  for (const Message& m : kMessages) {
    SCOPED_TRACE(m.code);
    std::vector<char> buf(200, '\0');
    EXPECT_EQ(BC_StrErr(m.code, buf.data(), 200), 0);
    EXPECT_EQ(std::string(buf.data()), m.text);
    EXPECT_EQ(buf[m.text.size()], '\0') << "no byte past the message is written";
  }
}

TEST(StrErr, LongestMessageFits111Bytes) {
  size_t longest = 0;
  for (const Message& m : kMessages) longest = std::max(longest, m.text.size());
  EXPECT_EQ(longest, 111u);
  char buf[111];
  EXPECT_EQ(BC_StrErr(32503, buf, 111), 0);
}

TEST(StrErr, CapacityRule) {
  constexpr std::string_view kTooBig = "DLL logic error: error message too big";
  struct Case { int32_t code; int32_t capacity; int32_t rc; std::string_view want; const char* why; };
  const Case kCases[] = {
      {32505, 44, 0, "ERROR: Illegal character for this symbology.", "capacity equal to the length"},
      {32505, 43, 32512, kTooBig, "one short: the replacement text"},
      {32500, 108, 32512, kTooBig, "unprefixed message one short"},
      {32505, 38, 32512, kTooBig, "the replacement text exactly fits"},
      {32505, 37, 32512, "", "not even the replacement fits: nothing is written"},
      {32505, 0, 32512, "", "zero capacity"},
      {32505, -1, 32512, "", "negative capacity never writes"},
      {32505, INT32_MIN, 32512, "", "most negative capacity"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    std::vector<char> buf(200, kSentinel);
    EXPECT_EQ(BC_StrErr(c.code, buf.data(), c.capacity), c.rc);
    EXPECT_EQ(std::string(buf.data(), c.want.size()), c.want);
    for (size_t i = c.want.size(); i < buf.size(); ++i) ASSERT_EQ(buf[i], kSentinel) << i;
  }
}

TEST(StrErr, NullBufferIsNeverWritten) {
  EXPECT_EQ(BC_StrErr(32505, nullptr, 200), 32512);
  EXPECT_EQ(BC_StrErr(0, nullptr, 0), 32512);
}

}  // namespace
}  // namespace tavo::test
