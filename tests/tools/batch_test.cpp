// tavo batch: CSV edge cases through the whole run, read in blocks of several
// sizes so every record also straddles a refill; the Windows-1252 mapping.
#include "batch.h"

#include <gtest/gtest.h>

#include <string>

#include "tavo32.h"

namespace tavo::batch {
namespace {

struct BatchRun {
  int status;
  std::string out;
  std::string err;
};

std::string ReadAll(std::FILE* f) {
  std::string s;
  std::rewind(f);
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
  return s;
}

BatchRun RunOn(std::string_view input, BatchOptions options) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);
  BatchRun r;
  r.status = RunBatch(options, in, out, err);
  r.out = ReadAll(out);
  r.err = ReadAll(err);
  std::fclose(in);
  std::fclose(out);
  std::fclose(err);
  return r;
}

struct Case {
  std::string_view input;
  std::string_view column;
  std::string_view output_column;
  int32_t symbology;
  bool raw;
  std::string_view out;
  std::string_view err;  // a line stderr must hold
  int status;
  const char* why;
};

constexpr int32_t kPost = BC_SYM_POSTNET;  // "12345" prints "*123455*"
constexpr int32_t kC128 = BC_SYM_CODE128;

constexpr Case kCases[] = {
    {"name,zip\nAnn,12345\nBob,12345-6789\n", "zip", "", kPost, false,
     "name,zip,zip font\nAnn,12345,*123455*\nBob,12345-6789,*1234567895*\n",
     "tavo: 2 rows translated, 0 failed\n", 0, "LF line ends, default column name"},
    {"name,zip\r\nAnn,12345\r\n", "zip", "bars", kPost, false, "name,zip,bars\r\nAnn,12345,*123455*\r\n",
     "", 0, "CRLF line ends kept, --output-column"},
    {"\xEF\xBB\xBFzip\r\n12345\r\n", "zip", "", kPost, false,
     "\xEF\xBB\xBFzip,zip font\r\n12345,*123455*\r\n", "", 0,
     "a byte order mark is no part of the first column's name, and is written back"},
    {"name,zip\n\"Doe, \"\"J\"\"\nsecond line\",12345\n", "zip", "", kPost, false,
     "name,zip,zip font\n\"Doe, \"\"J\"\"\nsecond line\",12345,*123455*\n", "", 0,
     "quoted field with a comma, quotes and a line break before the value, written as it came"},
    {"zip,x\n\"12345\",a\n\"123\"\"45\",b\n", "zip", "", kPost, false,
     "zip,x,zip font\n\"12345\",a,*123455*\n\"123\"\"45\",b,\n",
     "row 3: ERROR: Illegal character for this symbology.  Character must be numeric.\n", 1,
     "quoted value unquoted; an embedded quote reaches the library"},
    {"a,zip\r\n\"x\r\ny\",12345\r\n", "zip", "", kPost, false,
     "a,zip,zip font\r\n\"x\r\ny\",12345,*123455*\r\n", "", 0, "CRLF inside a quoted field is data"},
    {"name,zip\nAnn,\n", "zip", "", kPost, false, "name,zip,zip font\nAnn,,\n",
     "row 2: Incomplete number of PostNet characters", 1, "empty cell: empty font cell and a message"},
    {"zip\n12345\n1234\n12345-6789\n", "zip", "", kPost, false,
     "zip,zip font\n12345,*123455*\n1234,\n12345-6789,*1234567895*\n",
     "tavo: 2 rows translated, 1 failed\n", 1, "a failing row in the middle; the run goes on"},
    {"name,zip\nAnn,12345\n", "ZIP", "", kPost, false, "",
     "tavo: the header row has no column \"ZIP\" (its columns: \"name\", \"zip\")\n", 2,
     "a missing column is named, with the columns there are"},
    {"name,zip\nAnn,12345\n", "zip", "name", kPost, false, "",
     "tavo: the header row already has a column \"name\"", 2, "--output-column collides"},
    {"zip,zip font\n12345,x\n", "zip", "", kPost, false, "",
     "tavo: the header row already has a column \"zip font\"", 2, "the default name collides"},
    {"a,b,zip\n1\n", "zip", "", kPost, false, "a,b,zip,zip font\n1,,,\n",
     "row 2: the row has no cell in column \"zip\"\n", 1, "a short row is padded to the header"},
    {"zip\n12345", "zip", "", kPost, false, "zip,zip font\n12345,*123455*\n", "", 0,
     "last row without a line end gets the header's"},
    {"zip\n12345\n\n12345\n", "zip", "", kPost, false, "zip,zip font\n12345,*123455*\n\n12345,*123455*\n",
     "tavo: 2 rows translated, 0 failed\n", 0, "a blank line stays blank and is no row"},
    {"\"zip, code\",n\n12345,1\n", "zip, code", "", kPost, false,
     "\"zip, code\",n,\"zip, code font\"\n12345,1,*123455*\n", "", 0,
     "a quoted column name; the new name is quoted as it needs"},
    {"zip\n\"12345\n", "zip", "", kPost, false, "zip,zip font\n\"12345\n,\n",
     "row 2: a quoted field is not closed before the end of the input\n", 1, "unclosed quote"},
    {"", "zip", "", kPost, false, "", "tavo: the input is empty; it needs a header row\n", 2, "empty input"},
    // Code 128: FNC1 (byte 185, "\xC2\xB9" in UTF-8) then 1 prints 232 230 249 162 234.
    {"v\n\xC2\xB9\x31\n", "v", "", kC128, false, "v,v font\n\xC2\xB9\x31,\xC3\xA8\xC3\xA6\xC3\xB9\xC2\xA2\xC3\xAA\n", "",
     0, "values read and font strings written as Windows-1252 characters in UTF-8"},
    {"v\n\xB9\x31\n", "v", "", kC128, true, "v,v font\n\xB9\x31,\xE8\xE6\xF9\xA2\xEA\n", "", 0,
     "--raw: bytes in, bytes out"},
    {"v\n\xB9\x31\n", "v", "", kC128, false, "v,v font\n\xB9\x31,\n",
     "row 2: the value holds a byte sequence that is not UTF-8", 1, "a lone byte above 127 is no UTF-8"},
    {"v\nA\xCE\xA9\n", "v", "", kC128, false, "v,v font\nA\xCE\xA9,\n",
     "row 2: the value holds the character U+03A9, which has no Windows-1252 byte", 1,
     "a character outside Windows-1252"},
    // FNC1 0112345: 233 230 '"' '-' 'C' 228 148 208 234; the quote makes the
    // cell quoted, byte 148 is U+201D.
    {"v\n\xC2\xB9\x30\x31\x31\x32\x33\x34\x35\n", "v", "", kC128, false,
     "v,v font\n\xC2\xB9\x30\x31\x31\x32\x33\x34\x35,"
     "\"\xC3\xA9\xC3\xA6\"\"-C\xC3\xA4\xE2\x80\x9D\xC3\x90\xC3\xAA\"\n",
     "", 0, "a font string holding a quote is quoted"},
};

TEST(BatchCsv, EdgeCasesInEveryBlockSize) {
  for (const Case& c : kCases) {
    for (size_t block : {4, 5, 7, 16, 1 << 20}) {
      SCOPED_TRACE(std::string(c.why) + ", block " + std::to_string(block));
      BatchOptions options;
      options.symbology = c.symbology;
      options.column = c.column;
      options.output_column = c.output_column;
      options.raw = c.raw;
      options.block = block;
      const BatchRun r = RunOn(c.input, options);
      EXPECT_EQ(r.status, c.status) << r.err;
      EXPECT_EQ(r.out, c.out);
      EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find('\r'), std::string::npos) << "no progress output off a terminal";
    }
  }
}

TEST(BatchCsv, SplitHeader) {
  const struct {
    std::string_view raw;
    std::vector<std::string> fields;
  } kCases[] = {
      {"", {""}},
      {"a,,b", {"a", "", "b"}},
      {"\"a,b\",\"c\"\"d\",", {"a,b", "c\"d", ""}},
      {"\"x\ny\",z", {"x\ny", "z"}},
  };
  for (const auto& c : kCases) EXPECT_EQ(SplitCsvRecord(c.raw), c.fields) << c.raw;
}

TEST(BatchWindows1252, EveryByteRoundTrips) {
  for (int b = 1; b < 256; ++b) {
    std::string utf8;
    AppendWindows1252AsUtf8(utf8, std::string(1, static_cast<char>(b)));
    std::string back;
    uint32_t bad = 0;
    ASSERT_TRUE(Utf8ToWindows1252(utf8, back, bad)) << b;
    EXPECT_EQ(back, std::string(1, static_cast<char>(b))) << b;
  }
  const struct {
    int byte;
    std::string_view utf8;
  } kKnown[] = {{0x80, "\xE2\x82\xAC"}, {0x8D, "\xC2\x8D"}, {0x99, "\xE2\x84\xA2"},
                {0x9F, "\xC5\xB8"},     {0xA0, "\xC2\xA0"}, {0xFF, "\xC3\xBF"}};
  for (const auto& k : kKnown) {
    std::string utf8;
    AppendWindows1252AsUtf8(utf8, std::string(1, static_cast<char>(k.byte)));
    EXPECT_EQ(utf8, k.utf8) << k.byte;
  }
}

}  // namespace
}  // namespace tavo::batch
