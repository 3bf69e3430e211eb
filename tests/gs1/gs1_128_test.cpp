// GS1-128: element strings to the Code 128 value behind FNC1, the
// human-readable text, and one bad input for every check of the dictionary.
#include <vector>

#include "symbologies/encoders.h"
#include "symbologies/gs1/gs1.h"
#include "test_support.h"

namespace tavo::test {
namespace {

struct Good {
  std::string_view value;
  std::string_view code128;  // what code 11 is given: FNC1 is \xB9
  std::string_view text;     // the human-readable text
  const char* why;
};

constexpr Good kGood[] = {
    {.value = "(01)09501101530003(17)250101(10)ABC123",
     .code128 = "\xB9" "01095011015300031725010110ABC123",
     .text = "(01)09501101530003(17)250101(10)ABC123",
     .why = "predefined lengths need no separator; the last element none either"},
    {.value = "(10)ABC123(01)09501101530003",
     .code128 = "\xB9" "10ABC123\xB9" "0109501101530003",
     .text = "(10)ABC123(01)09501101530003", .why = "FNC1 after a variable-length lot"},
    {.value = "(00)106141411234567897", .code128 = "\xB9" "00106141411234567897",
     .text = "(00)106141411234567897", .why = "SSCC alone"},
    {.value = "(01)09501101530003(21)A\\(1\\)B(17)250100",
     .code128 = "\xB9" "0109501101530003" "21A(1)B\xB9" "17250100",
     .text = "(01)09501101530003(21)A(1)B(17)250100",
     .why = "escaped parentheses are data; day 00 allowed in an expiry date"},
    {.value = "(01)09501101530003(3103)001250(3922)123(30)5",
     .code128 = "\xB9" "01095011015300033103001250" "3922123\xB9" "305",
     .text = "(01)09501101530003(3103)001250(3922)123(30)5",
     .why = "AIs of four digits from ranges; a price needs a count"},
    {.value = "(01)09501101530003(10)A(10)A", .code128 = "\xB9" "0109501101530003" "10A\xB9" "10A",
     .text = "(01)09501101530003(10)A(10)A", .why = "an AI repeated with the same data"},
    {.value = "(8013)1987654Ad4X4bL5ttr2310c2K", .code128 = "\xB9" "80131987654Ad4X4bL5ttr2310c2K",
     .text = "(8013)1987654Ad4X4bL5ttr2310c2K", .why = "alphanumeric key with its check pair"},
    {.value = "(00)106141411234567897(4300)A%20B(4321)1(4307)DE",
     .code128 = "\xB9" "00106141411234567897" "4300A%20B\xB9" "43211\xB9" "4307DE",
     .text = "(00)106141411234567897(4300)A%20B(4321)1(4307)DE",
     .why = "percent-encoding; AIs without the predefined-length flag all separated"},
};

TEST(Gs1ElementStrings, Code128ValueAndText) {
  for (const Good& g : kGood) {
    SCOPED_TRACE(g.why);
    const Translation got = Translate(BC_SYM_GS1_128, g.value);
    ASSERT_EQ(got.rc, 0);
    EXPECT_EQ(got.bytes, Translate(BC_SYM_CODE128, g.code128).bytes)
        << "not the Code 128 symbol of the FNC1 value";
    std::vector<char> buf(128, kSentinel);
    int32_t len = kLenSentinel;
    ASSERT_EQ(BC_GS1HumanReadable(std::string(g.value).c_str(), buf.data(), 128, &len), 0);
    EXPECT_EQ(std::string_view(buf.data(), static_cast<size_t>(len)), g.text);
    EXPECT_EQ(buf[static_cast<size_t>(len)], kSentinel);
  }
}

struct Bad {
  std::string_view value;
  int32_t rc;
  const char* why;
};

// Each check of the dictionary fails at least once.  A GTIN (01) or an SSCC
// (00) stands beside an AI that requires one.
constexpr std::string_view kG = "(01)09501101530003";
const Bad kBad[] = {
    {"(01)09501101530004", 32537, "GTIN check digit"},
    {"(00)106141411234567890", 32537, "SSCC check digit"},
    {"(414)9501101020910", 32537, "GLN check digit"},
    {"(8017)123456789012345670", 32537, "GSRN check digit"},
    {"(8013)1987654Ad4X4bL5ttr2310c2L", 32542, "check character pair of an alphanumeric key"},
    {"(02)1", 32533, "fixed length too short"},
    {"(01)095011015300031", 32533, "fixed length too long (no AI follows, the data runs on)"},
    {"(01)09501101530003(10)", 32533, "variable length empty"},
    {"(01)09501101530003(10)123456789012345678901", 32533, "variable length over 20"},
    {"(01)0950110153000A", 32534, "numeric component"},
    {"(01)09501101530003(10)AB\\C", 32535, "backslash is outside the 82-character set"},
    {"(01)09501101530003(10)A B", 32535, "space is outside the 82-character set"},
    {"(8010)AB#c", 32536, "lower case outside the 39-character set"},
    {"(00)106141411234567897(8030)AB!C", 32536, "'!' outside the base64url set"},
    {"(01)09501101530003(11)251301", 32538, "month 13"},
    {"(01)09501101530003(15)250230", 32538, "30 February"},
    {"(01)09501101530003(17)230229", 32538, "29 February in a common year"},
    {"(01)09501101530003(7006)250100", 32538, "day 00 where not allowed"},
    {"(8018)123456789012345675(7250)19000229", 32538, "1900 was not a leap year"},
    {"(01)09501101530003(7003)2501012400", 32538, "hour 24"},
    {"(01)09501101530003(8008)25010112" "60", 32538, "minute 60"},
    {"(01)09501101530003(8008)2501011259" "60", 32538, "second 60"},
    {"(01)09501101530003(422)000", 32539, "country 000"},
    {"(01)09501101530003(7030)998ABC", 32539, "processor country 998"},
    {"(00)106141411234567897(4307)XX", 32539, "alpha-2 country XX"},
    {"(3910)001123(8020)A(415)9501101020917", 32540, "currency 001"},
    {"(00)106141411234567897(4300)A%2", 32541, "'%' at the end"},
    {"(00)106141411234567897(4300)A%G0", 32541, "'%' before a non-hex digit"},
    {"(00)106141411234567897(4321)2", 32542, "yes/no"},
    {"(8003)1950110153000ABC", 32542, "GRAI starts with a zero digit"},
    {"(01)09501101530003(8001)00001234512211", 32542, "nonzero width"},
    {"(01)09501101530003(8001)12341234512351", 32542, "winding 5"},
    {"(8010)ABC(8011)0123", 32542, "CPID serial with a leading zero"},
    {"(01)09501101530003(8014)1987654Ad4", 32542, "MUDI too short for its check pair"},
    {"(8006)095011015300030302", 32542, "piece 3 of 2"},
    {"(00)106141411234567897(4309)18000000013600000000", 32542, "latitude over 180"},
    {"(00)106141411234567897(4330)001250+", 32542, "temperature sign not a hyphen"},
    {"(7040)1AB*", 32542, "importer index outside its alphabet"},
    {"(8018)123456789012345675(7259)A(7258)3/2", 32542, "birth 3 of 2"},
    {"(415)9501101020917(8007)GB82WEST12345698765433", 32542, "IBAN check"},
    {"(8017)123456789012345675(7241)50", 32542, "media type 50"},
    {"(8018)123456789012345675(7252)3", 32542, "sex code 3"},
    {"(01)09501101530003(4321)1", 32543, "dangerous goods needs an SSCC"},
    {"(10)ABC", 32543, "lot without a trade item"},
    {"(01)09501101530003(250)X", 32543, "secondary serial needs (21) with (01)"},
    {"(01)09501101530003(02)09501101530003(37)1", 32544, "GTIN and CONTENT exclude each other"},
    {"(01)09501101530003(3100)000001(3101)000001", 32544, "two net weights in kg"},
    {"(01)09501101530003(10)A(10)B", 32545, "lot repeated with other data"},
    {"(01)09501101530003(10)ABCDEFGHIJ(21)ABCDEFGHIJ(22)ABCDE", 32546,
     "49 data characters with the separators"},
    // GS1-128 keeps its limits and their order now that Data Matrix has its own.
    {"(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1(91)1"
     "(91)1(91)1(91)1(91)1(91)1", 32546, "a 25th element string"},
    {"(91)AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA(01)09501101530004", 32537,
     "each element is checked before the 48 characters are counted"},
    {"(9999)X", 32530, "no AI 9999"},
    {"(23)1", 32530, "no AI 23"},
    {"(01234)1", 32530, "five digits"},
    {"(0)1", 32530, "one digit"},
    {"(01)09501101530003(10", 32531, "unclosed AI"},
    {"(01)09501101530003(10)A)B", 32531, "stray closing parenthesis in data"},
    {"(01(10)A", 32531, "AI opened twice"},
    {")01(", 32531, "closing first"},
    {"()123", 32532, "empty AI"},
    {"(1A)123", 32532, "AI with a letter"},
    {"0109501101530003", 32532, "no parentheses"},
    {"", 32532, "empty value"},
};

// Through the human-readable export, with sentinel-filled buffer and length.
TEST(Gs1ElementStrings, EveryCheckFails) {
  for (const Bad& b : kBad) {
    SCOPED_TRACE(b.why);
    SCOPED_TRACE(b.value);
    std::vector<char> buf(256, kSentinel);
    int32_t len = kLenSentinel;
    EXPECT_EQ(BC_GS1HumanReadable(std::string(b.value).c_str(), buf.data(), 256, &len), b.rc);
    EXPECT_EQ(len, kLenSentinel);
    EXPECT_EQ(std::string(buf.begin(), buf.end()), std::string(256, kSentinel));
    EXPECT_EQ(Translate(BC_SYM_GS1_128, b.value).rc, b.rc) << "through BC_FontTranslate";
  }
}

TEST(Gs1ElementStrings, FortyEightCharactersFit) {
  // 16 + 12 + 1 separator + 19 = 48.
  const std::string v = std::string(kG) + "(10)ABCDEFGHIJ(21)ABCDEFGHIJKLMNOPQ";
  EXPECT_EQ(Translate(BC_SYM_GS1_128, v).rc, 0);
  EXPECT_EQ(Translate(BC_SYM_GS1_128, v + "R").rc, 32546);
}

TEST(Gs1HumanReadable, BufferContract) {
  const char* v = "(01)09501101530003";
  struct Case { int32_t cap; int32_t rc; const char* why; };
  const Case kCases[] = {{18, 0, "exact fit"}, {17, 32510, "one short"},
                         {-1, 32510, "negative capacity"}, {0, 32510, "zero"}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    std::vector<char> buf(32, kSentinel);
    int32_t len = kLenSentinel;
    EXPECT_EQ(BC_GS1HumanReadable(v, buf.data(), c.cap, &len), c.rc);
    EXPECT_EQ(len, c.rc ? kLenSentinel : 18);
    for (size_t i = c.rc ? 0 : 18; i < buf.size(); ++i) ASSERT_EQ(buf[i], kSentinel) << i;
  }
  EXPECT_EQ(BC_GS1HumanReadable(v, nullptr, 100, nullptr), 32510);
  char buf[32];
  EXPECT_EQ(BC_GS1HumanReadable(v, buf, 32, nullptr), 0) << "null length is not written";
  EXPECT_EQ(BC_GS1HumanReadable(nullptr, buf, 32, nullptr), 32532) << "null reads as empty";
}

}  // namespace
}  // namespace tavo::test
