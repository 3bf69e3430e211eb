// GS1 Digital Link through the C ABI: the GS1 Barcode Syntax Engine's
// vectors, our own cases for what they leave out, the buffer contract of
// both exports, and the Digital Link QR Code and Data Matrix symbols.
#include <vector>

#include "symbologies/gs1/gs1.h"
#include "test_support.h"

namespace tavo::test {
namespace {

struct Answer {
  int32_t rc;
  std::string text;
};

// Calls one of the two exports into a sentinel-filled buffer and checks
// that an error writes nothing.
template <class F>
Answer CallExport(F&& call) {
  std::vector<char> buf(8192, kSentinel);
  int32_t len = kLenSentinel;
  const int32_t rc = call(buf.data(), static_cast<int32_t>(buf.size() - 16), &len);
  if (rc) {
    EXPECT_EQ(len, kLenSentinel);
    for (char c : buf) EXPECT_EQ(c, kSentinel);
    return {rc, {}};
  }
  for (size_t i = static_cast<size_t>(len); i < buf.size(); ++i) EXPECT_EQ(buf[i], kSentinel);
  return {rc, std::string(buf.data(), static_cast<size_t>(len))};
}

Answer MakeUri(std::string_view value, const char* domain) {
  const std::string v(value);
  return CallExport([&](char* buf, int32_t cap, int32_t* len) { return BC_GS1DigitalLink(v.c_str(), domain, buf, cap, len); });
}

Answer ParseUri(std::string_view uri) {
  const std::string u(uri);
  return CallExport([&](char* buf, int32_t cap, int32_t* len) { return BC_GS1FromDigitalLink(u.c_str(), buf, cap, len); });
}

// Element strings in the vectors' notation: '^' for FNC1, first and after
// every variable-length element but the last (our parser's Code 128 value).
std::string Caret(std::string_view elements) {
  Gs1Message m;
  if (ParseGs1ElementStrings(elements, m, Gs1Limit{4096, 1, true}) != 0) return "unparsable";
  std::string s(m.code128.view());
  for (char& c : s) c = c == '\xB9' ? '^' : c;
  return s;
}

// GS1 Barcode Syntax Engine, unit tests of its Digital Link generator and
// parser (github.com/gs1/gs1-syntax-engine, commit 50657db, Apache-2.0),
// taken from the vector files the project keeps beside the dictionary;
// `rc` is the code we give for each one refused.
struct GenerateVector {
  int32_t rc;
  const char* stem;
  std::string_view value;
  std::string_view uri;
};

const GenerateVector kGenerate[] = {
    {0, "", "(01)12312312312326(21)abc123", "https://id.gs1.org/01/12312312312326/21/abc123"},
    {0, "https://example.com", "(01)12312312312326(22)ABC(10)DEF(21)GHI", "https://example.com/01/12312312312326/22/ABC/10/DEF/21/GHI"},
    {0, "https://example.com", "(21)XYZ(01)12312312312333(10)ABC123(99)XYZ", "https://example.com/01/12312312312333/10/ABC123/21/XYZ?99=XYZ"},
    {0, "https://example.com", "(01)12312312312333(10)ABC+123(99)XYZ+QWERTY", "https://example.com/01/12312312312333/10/ABC%2B123?99=XYZ%2BQWERTY"},
    {0, "https://example.com", "(253)9526064000028000001(99)000001(8017)795260646688514634", "https://example.com/253/9526064000028000001?99=000001&8017=795260646688514634"},
    {0, "https://example.com", "(253)9526064000028000001(99)000001(01)12312312312326(10)DEF(95)INT", "https://example.com/253/9526064000028000001?01=12312312312326&99=000001&10=DEF&95=INT"},
    {0, "https://example.com", "(01)12312312312326(10)ABC123(10)ABC123(99)XYZ789", "https://example.com/01/12312312312326/10/ABC123?99=XYZ789"},
    {0, "https://example.com", "(8010)0200(3133)333333(3300)000000(99)57(3133)333333(3300)000000(01)04065093955756(10)0(3133)333333(3300)000000(01)04065093955756", "https://example.com/8010/0200?3133=333333&3300=000000&01=04065093955756&99=57&10=0"},
    {32571, "https://example.com", "(01)12312312312326(235)TPX9526064(99)000001(22)ABC(95)INT", ""},
    {32530, "https://example.com", "(01)12312312312326(99)000001(89)XXX(95)INT", ""},
    {32571, "https://example.com", "(01)12312312312326(235)ABC(10)DEF", ""},
};

struct ParseVector {
  int32_t rc;
  std::string_view uri;
  std::string_view caret;
};

const ParseVector kParse[] = {
    {32574, "", ""},
    {32574, "http://", ""},
    {32570, "http://a", ""},
    {32570, "http://a/b", ""},
    {32574, "HtTp://a/b/00/006141411234567890", ""},
    {32574, "https://a/01/12312312312333<bad", ""},
    {32574, "https://a/01/12312312312333{bad", ""},
    {32574, "https://a/01/12312312312333\\bad", ""},
    {32574, "https://a/01/12312312312333`bad", ""},
    {0, "https://a/more/stem/00/006141411234567890", "^00006141411234567890"},
    {0, "https://a/01/12312312312333/235/TEST", "^0112312312312333235TEST"},
    {0, "https://a/253/1231231231232TEST5678901234567", "^2531231231231232TEST5678901234567"},
    {0, "https://a/8018/123456789012345675/8019/123", "^8018123456789012345675^8019123"},
    {0, "https://a/stem/00/006141411234567890?", "^00006141411234567890"},
    {32533, "https://a/01/12312312312333?99=", ""},
    {0, "https://a/01/12312312312333?99=ABC&unknown=666&98=XYZ", "^011231231231233399ABC^98XYZ"},
    {0, "https://a/01/12312312312333?99=ABC&98=XYZ&unknown=666", "^011231231231233399ABC^98XYZ"},
    {0, "https://a/01/12312312312333?99=ABC&singleton&98=XYZ", "^011231231231233399ABC^98XYZ"},
    {0, "https://a/01/12312312312333?99=ABC&98=XYZ&singleton", "^011231231231233399ABC^98XYZ"},
    {0, "https://a/01/12312312312333?singleton1&unknown1=555&99=ABC&singleton2&unknown2=6666&98=XYZ&unknown3=777&singleton3", "^011231231231233399ABC^98XYZ"},
    {0, "https://id.gs1.org/00/952012345678912345", "^00952012345678912345"},
    {0, "https://id.gs1.org/414/9520123456788", "^4149520123456788"},
    {0, "https://example.com/8004/9520614141234567?01=09520123456788", "^80049520614141234567^0109520123456788"},
    {0, "https://id.gs1.org/01/09520123456788/235/XYZ?10=ABC123", "^0109520123456788235XYZ^10ABC123"},
    {32575, "https://id.gs1.org/01/09520123456788/10/ABC123?99=XYZ789&10=ABC123", ""},
    {32571, "https://example.com/01/09520123456788/89/ABC123?99=XYZ", ""},
    {32570, "https://a/01//12312312312333", ""},
    {32535, "https://a/01/12312312312333?99=ABC%00DEF", ""},
    {32571, "https://a/01/12312312312333/99/ABC", ""},
};

TEST(Gs1DigitalLink, EngineGenerateVectors) {
  for (const GenerateVector& v : kGenerate) {
    SCOPED_TRACE(v.value);
    const Answer got = MakeUri(v.value, v.stem);
    EXPECT_EQ(got.rc, v.rc);
    EXPECT_EQ(got.text, v.uri);
  }
}

TEST(Gs1DigitalLink, EngineParseVectors) {
  for (const ParseVector& v : kParse) {
    SCOPED_TRACE(v.uri);
    const Answer got = ParseUri(v.uri);
    EXPECT_EQ(got.rc, v.rc);
    if (got.rc == 0) {
      EXPECT_EQ(Caret(got.text), v.caret) << got.text;
    }
  }
}

// What the engine's vectors leave out: domains, escapes, the bracket form.
struct MakeCase {
  int32_t rc;
  const char* domain;
  std::string_view value;
  std::string_view uri;
  const char* why;
};

const MakeCase kMakeCases[] = {
    {0, nullptr, "[01]09506000134352[17]251231[10]AB-12", "https://id.gs1.org/01/09506000134352/10/AB-12?17=251231",
     "bracket form; the expiry (predefined length) goes to the query"},
    {0, "https://example.com/a/b///", "(00)106141411234567897", "https://example.com/a/b/00/106141411234567897",
     "the stem keeps its path, not its trailing slashes"},
    {0, "http://x", "(01)09506000134352(21)A/B%C\\(D\\)", "http://x/01/09506000134352/21/A%2FB%25C%28D%29",
     "reserved characters and parentheses are percent-encoded"},
    {0, "", "(414)9501101020917(254)A.b_c-d", "https://id.gs1.org/414/9501101020917/254/A.b_c-d",
     "unreserved characters stay"},
    {0, "", "(01)09506000134352(235)X(3103)000100", "https://id.gs1.org/01/09506000134352/235/X?3103=000100",
     "the second qualifier sequence"},
    {0, "", "(01)09506000134352(21)S(22)V", "https://id.gs1.org/01/09506000134352/22/V/21/S",
     "qualifiers in the dictionary's order, not the value's"},
    {32570, "", "(410)9501101020917(412)9501101020917", "", "no primary key: ship-to and purchase-from GLNs"},
    {32572, "", "(8004)9520614141234567(21)S(01)09506000134352", "",
     "(21) qualifies (01), but (8004) is the key and (21) is no attribute"},
    {32573, "ftp://example.com", "(00)106141411234567897", "", "scheme"},
    {32573, "HTTPS://example.com", "(00)106141411234567897", "", "the scheme in lower case"},
    {32573, "https://", "(00)106141411234567897", "", "no host"},
    {32573, "https:///path", "(00)106141411234567897", "", "empty host"},
    {32573, "https://a b", "(00)106141411234567897", "", "a space"},
    {32573, "https://a?x=1", "(00)106141411234567897", "", "a query in the domain"},
    {32537, "", "(00)106141411234567890", "", "checked as a bar code value"},
    {32532, "", "", "", "empty value"},
};

TEST(Gs1DigitalLink, MakeCases) {
  for (const MakeCase& c : kMakeCases) {
    SCOPED_TRACE(c.why);
    const Answer got = MakeUri(c.value, c.domain);
    EXPECT_EQ(got.rc, c.rc);
    EXPECT_EQ(got.text, c.uri);
  }
}

struct ParseCase {
  int32_t rc;
  std::string_view uri;
  std::string_view elements;
  const char* why;
};

const ParseCase kParseCases[] = {
    {0, "http://x/01/09506000134352/21/A%2FB%25C%28D%29", "(01)09506000134352(21)A/B%C\\(D\\)",
     "decoded, parentheses escaped for code 12"},
    {0, "https://id.gs1.org/01/09506000134352/22/V/21/S#frag", "(01)09506000134352(22)V(21)S",
     "a fragment is ignored"},
    {0, "https://a/01/09506000134352?17=251231&10=X%2b1", "(01)09506000134352(17)251231(10)X+1",
     "query in its order; lower-case hex"},
    {0, "HTTPS://ID.GS1.ORG/01/09506000134352/10/AB1?17=251231", "(01)09506000134352(10)AB1(17)251231",
     "the upper-case stem our QR Codes carry for alphanumeric mode"},
    {32574, "Https://a/01/09506000134352", "", "a scheme of mixed case"},
    {32571, "https://a/01/09506000134352/21/S/22/V", "", "qualifiers out of order"},
    {32571, "https://a/01/09506000134352/22/V/235/X", "", "qualifiers of two sequences"},
    {32572, "https://a/01/09506000134352?21=S", "", "a qualifier is no attribute"},
    {32530, "https://a/01/09506000134352?89=S", "", "a numeric name that is no AI"},
    {32574, "https://a/01/09506000134352/10/A%2", "", "a cut escape"},
    {32574, "https://a/01/09506000134352/10/A%G1", "", "an escape of no hex digits"},
    {32574, "https://a/01/0950600013435\xC3\xA9", "", "bytes outside ASCII"},
    {32537, "https://a/01/09506000134353", "", "the check digit"},
    {32543, "https://a/00/106141411234567897?10=X", "", "companions as in a bar code: a lot needs a GTIN"},
};

TEST(Gs1DigitalLink, ParseCases) {
  for (const ParseCase& c : kParseCases) {
    SCOPED_TRACE(c.why);
    const Answer got = ParseUri(c.uri);
    EXPECT_EQ(got.rc, c.rc);
    EXPECT_EQ(got.text, c.elements);
  }
}

// Every URI made from a vector reads back into the same element strings,
// the query's order aside (the same AIs, and the same URI made again).
TEST(Gs1DigitalLink, RoundTrip) {
  for (const GenerateVector& v : kGenerate) {
    if (v.rc) continue;
    SCOPED_TRACE(v.value);
    const Answer elements = ParseUri(v.uri);
    ASSERT_EQ(elements.rc, 0);
    EXPECT_EQ(MakeUri(elements.text, v.stem).text, v.uri);
  }
}

// The buffer contract: the exact capacity fits, one byte less is 32510 with
// nothing written; null buffers and lengths are never written through.
TEST(Gs1DigitalLink, BufferContract) {
  const char* value = "(01)09506000134352(10)AB";
  const std::string uri = "https://id.gs1.org/01/09506000134352/10/AB";
  const std::string elements = value;
  for (int32_t shortfall : {0, 1}) {
    std::vector<char> buf(uri.size() + 8, kSentinel);
    int32_t len = kLenSentinel;
    const int32_t cap = static_cast<int32_t>(uri.size()) - shortfall;
    EXPECT_EQ(BC_GS1DigitalLink(value, nullptr, buf.data(), cap, &len), shortfall ? 32510 : 0);
    EXPECT_EQ(len, shortfall ? kLenSentinel : cap);
    EXPECT_EQ(buf[shortfall ? 0 : uri.size()], kSentinel);
    std::vector<char> back(elements.size() + 8, kSentinel);
    len = kLenSentinel;
    const int32_t back_cap = static_cast<int32_t>(elements.size()) - shortfall;
    EXPECT_EQ(BC_GS1FromDigitalLink(uri.c_str(), back.data(), back_cap, &len), shortfall ? 32510 : 0);
    EXPECT_EQ(len, shortfall ? kLenSentinel : back_cap);
  }
  EXPECT_EQ(BC_GS1DigitalLink(value, "", nullptr, 100, nullptr), 32510);
  EXPECT_EQ(BC_GS1FromDigitalLink(uri.c_str(), nullptr, 100, nullptr), 32510);
  std::vector<char> buf(100, kSentinel);
  EXPECT_EQ(BC_GS1DigitalLink(value, nullptr, buf.data(), 100, nullptr), 0);
  EXPECT_EQ(BC_GS1DigitalLink(value, nullptr, buf.data(), -1, nullptr), 32510);
  EXPECT_EQ(BC_GS1DigitalLink(nullptr, nullptr, buf.data(), 100, nullptr), 32532);
  EXPECT_EQ(BC_GS1FromDigitalLink(nullptr, buf.data(), 100, nullptr), 32574);
}

// A Digital Link symbol is the symbol of its URI: QR Code with the stem in
// upper case, Data Matrix with it as GS1 writes it.
struct SymbolCase {
  int32_t symbology;
  int32_t check;
  int32_t rc;
  int32_t plain_check;  // the check of the same symbol from the URI as text
  std::string_view uri;
  const char* why;
};

constexpr std::string_view kDlValue = "(01)09506000134352(10)ABC123(17)251231";
const SymbolCase kSymbolCases[] = {
    {BC_SYM_QR, 16, 0, 0, "HTTPS://ID.GS1.ORG/01/09506000134352/10/ABC123?17=251231", "level M by default"},
    {BC_SYM_QR, 16 | 4, 0, 4, "HTTPS://ID.GS1.ORG/01/09506000134352/10/ABC123?17=251231", "level H"},
    {BC_SYM_QR, 16 | 8, 32561, 0, "", "not beside the GS1 flag"},
    {BC_SYM_QR, 16 | 5, 32561, 0, "", "no level 5"},
    {BC_SYM_DATAMATRIX, 4, 0, 0, "https://id.gs1.org/01/09506000134352/10/ABC123?17=251231", "square"},
    {BC_SYM_DATAMATRIX, 5, 0, 1, "https://id.gs1.org/01/09506000134352/10/ABC123?17=251231", "rectangles too"},
    {BC_SYM_DATAMATRIX, 6, 32561, 0, "", "not beside the GS1 flag"},
    {BC_SYM_DATAMATRIX, 12, 32561, 0, "", "no shape 8"},
};

TEST(Gs1DigitalLink, Symbols) {
  for (const SymbolCase& c : kSymbolCases) {
    SCOPED_TRACE(c.why);
    const Translation got = Translate(c.symbology, kDlValue, c.check, 4096);
    EXPECT_EQ(got.rc, c.rc);
    if (c.rc == 0) {
      EXPECT_EQ(got.bytes, Translate(c.symbology, c.uri, c.plain_check, 4096).bytes);
    }
  }
  EXPECT_EQ(Translate(BC_SYM_QR, "(01)09506000134352(21)S", 16, 4096).rc, 0);
  EXPECT_EQ(Translate(BC_SYM_QR, "(10)ABC", 16).rc, 32543) << "the value is checked";
  EXPECT_EQ(Translate(BC_SYM_DATAMATRIX, "(410)9501101020917", 4).rc, 32570);
}

}  // namespace
}  // namespace tavo::test
