// tavo batch: the whole run on files shaped as spreadsheets write them, read
// in blocks of several sizes so every record also straddles a refill; the
// CSV reader; the encodings; the registry's longest values.
#include "batch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "csv.h"
#include "tavo32.h"
#include "text_encoding.h"

namespace tavo::batch {
namespace {

using text::Encoding;

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

BatchRun RunOn(std::string_view input, const BatchOptions& options) {
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

// Latin-1 text (every byte a code point below 256) as UTF-16 LE: each byte
// followed by a zero byte.
std::string Utf16(std::string_view latin1) {
  std::string s;
  for (char c : latin1) s.append({c, '\0'});
  return s;
}

struct Case {
  std::string input;
  std::string column;
  int32_t symbology;
  std::string out;
  std::string err;  // a line stderr must hold
  int status;
  const char* why;
  std::string_view encoding = "";         // --encoding ("" auto)
  std::string_view output_encoding = "";  // --output-encoding
  EmptyCells empty = EmptyCells::kKeep;
};

constexpr int32_t kPost = BC_SYM_POSTNET;  // "12345" prints "*123455*"
constexpr int32_t kC128 = BC_SYM_CODE128;  // FNC1 "1" (bytes B9 31) prints E8 E6 F9 A2 EA: "èæù¢ê"

// Files as Excel and LibreOffice write them; every expected output written
// by hand from the rules.
const Case kCases[] = {
    {"name,zip\nAnn,12345\nBob,12345-6789\n", "zip", kPost,
     "name,zip,zip font\nAnn,12345,*123455*\nBob,12345-6789,*1234567895*\n",
     "tavo: 2 rows translated, 0 empty, 0 failed\n", 0, "LF line ends, default column name"},
    {"Name;Zip\r\nM\xFCller;12345\r\n", "Zip", kPost, "Name;Zip;Zip font\r\nM\xFCller;12345;*123455*\r\n",
     "reading the input as windows-1252", 0, "Excel CSV in Germany: Windows-1252, semicolons, CRLF"},
    {"\xEF\xBB\xBFName,Zip\r\nM\xC3\xBCller,12345\r\n", "Zip", kPost,
     "\xEF\xBB\xBFName,Zip,Zip font\r\nM\xC3\xBCller,12345,*123455*\r\n", "as utf-8 (its byte order mark)", 0,
     "Excel CSV UTF-8: a byte order mark, written back"},
    {"\xFF\xFE" + Utf16("Name\tZip\r\nM\xFCller\t12345\r\n"), "Zip", kPost,
     "\xFF\xFE" + Utf16("Name\tZip\tZip font\r\nM\xFCller\t12345\t*123455*\r\n"), "as utf-16", 0,
     "Excel Unicode Text: UTF-16 LE, tabs"},
    {"v\r\n\xB9\x31\r\n", "v", kC128, "v,v font\r\n\xB9\x31,\xE8\xE6\xF9\xA2\xEA\r\n", "", 0,
     "Windows-1252 in: font characters written as Windows-1252 bytes"},
    {"\xEF\xBB\xBFv\n\xC2\xB9\x31\n", "v", kC128,
     "\xEF\xBB\xBFv,v font\n\xC2\xB9\x31,\xC3\xA8\xC3\xA6\xC3\xB9\xC2\xA2\xC3\xAA\n", "", 0,
     "UTF-8 in: font characters written in UTF-8"},
    {"\xFF\xFE" + Utf16("v\r\n\xB9\x31\r\n"), "v", kC128, "\xFF\xFE" + Utf16("v,v font\r\n\xB9\x31,\xE8\xE6\xF9\xA2\xEA\r\n"),
     "", 0, "UTF-16 in: font characters written in UTF-16"},
    {"v\r\n\xB9\x31\r\n", "v", kC128, "\xEF\xBB\xBFv,v font\r\n\xC2\xB9\x31,\xC3\xA8\xC3\xA6\xC3\xB9\xC2\xA2\xC3\xAA\r\n",
     "", 0, "Windows-1252 to --output-encoding utf-8: all of it converted", "", "utf-8"},
    {"v\r\n\xB9\x31\r\n", "v", kC128, "\xFF\xFE" + Utf16("v,v font\r\n\xB9\x31,\xE8\xE6\xF9\xA2\xEA\r\n"), "", 0,
     "Windows-1252 to --output-encoding utf-16", "", "utf-16"},
    {"\xEF\xBB\xBFv\n\xC2\xB9\x31\n", "v", kC128, "\xFF\xFE" + Utf16("v,v font\n\xB9\x31,\xE8\xE6\xF9\xA2\xEA\n"), "", 0,
     "UTF-8 to --output-encoding utf-16", "", "utf-16"},
    {"\xFF\xFE" + Utf16("v\n\xB9\x31\n"), "v", kC128, "v,v font\n\xB9\x31,\xE8\xE6\xF9\xA2\xEA\n", "", 0,
     "UTF-16 to --output-encoding windows-1252", "", "windows-1252"},
    {"zip\r12345\r12345\r", "zip", kPost, "zip,zip font\r12345,*123455*\r12345,*123455*\r",
     "tavo: 2 rows translated", 0, "old Mac files: a lone CR ends a line"},
    {"n,zip\r\n1,12345\r2,12345\n", "zip", kPost, "n,zip,zip font\r\n1,12345,*123455*\r2,12345,*123455*\n",
     "tavo: 2 rows translated, 0 empty, 0 failed", 0, "a lone CR never joins two records"},
    {"name,zip\n\"Doe, \"\"J\"\"\nsecond line\",12345\n", "zip", kPost,
     "name,zip,zip font\n\"Doe, \"\"J\"\"\nsecond line\",12345,*123455*\n", "", 0,
     "quoted field with a comma, quotes and a line break, written as it came"},
    {"a,zip\r\n\"x\r\ny\",12345\r\n", "zip", kPost, "a,zip,zip font\r\n\"x\r\ny\",12345,*123455*\r\n", "", 0,
     "CRLF inside a quoted field is data"},
    {"a;zip\n\"x\ry\";12345\n", "zip", kPost, "a;zip;zip font\n\"x\ry\";12345;*123455*\n", "", 0,
     "a CR inside a quoted field is data"},
    {"zip,x\n\"12345\",a\n\"123\"\"45\",b\n", "zip", kPost, "zip,x,zip font\n\"12345\",a,*123455*\n\"123\"\"45\",b,\n",
     "row 3, column \"zip\": 32507 ERROR: Illegal character for this symbology.  Character must be numeric.\n", 1,
     "quoted value unquoted; an embedded quote reaches the library"},
    {"zip,name\n12345,Smith, John\n12345\n", "zip", kPost, "zip,name,zip font\n12345,\"Smith, John\",\n12345,,\n",
     "row 2, column \"zip\": the row has 3 fields where the header has 2", 1,
     "ragged rows: fields kept, new column in line, reported"},
    {"zip,name\n12345,a,\"b,\"\"c\"\"\"\n", "zip", kPost, "zip,name,zip font\n12345,\"a,\"\"b,\"\"\"\"c\"\"\"\"\"\"\",\n",
     "row 2, column \"zip\": the row has 3 fields", 1, "extra fields kept in the last column as they stood"},
    {"zip,Zip\n12345,1\n", "zip", kPost, "zip,Zip,zip font\n12345,1,*123455*\n", "", 0, "an exact name wins"},
    {" ZIP ,n\n12345,1\n", "zip", kPost, " ZIP ,n, ZIP  font\n12345,1,*123455*\n", "", 0,
     "else a name without case and surrounding spaces"},
    {"Zip,ZIP\n12345,1\n", "zip", kPost, "",
     "tavo: --column \"zip\" matches column 1 (\"Zip\") and column 2 (\"ZIP\")", 2, "two loose matches"},
    {"zip,zip\n12345,1\n", "zip", kPost, "", "matches column 1 (\"zip\") and column 2 (\"zip\")", 2,
     "duplicate header names"},
    {"a,b\n1,12345\n", "2", kPost, "a,b,b font\n1,12345,*123455*\n", "", 0, "a column by its number"},
    {"name,zip\nAnn,\nBob,12345\n", "zip", kPost, "name,zip,zip font\nAnn,,\nBob,12345,*123455*\n",
     "tavo: 1 row translated, 1 empty, 0 failed\n", 0, "an empty cell is counted apart"},
    {"name,zip\nAnn,\n", "zip", kPost, "name,zip,zip font\nAnn,,\n", "row 2, column \"zip\": the cell is empty", 1,
     "--empty fail", "", "", EmptyCells::kFail},
    {"name,zip\nAnn,12345\n", "ZIPCODE", kPost, "",
     "tavo: the header row has no column \"ZIPCODE\" (its columns: \"name\", \"zip\")\n", 2, "a missing column"},
    {"zip,zip font\n12345,x\n", "zip", kPost, "", "tavo: the header row already has a column \"zip font\"", 2,
     "the default name collides"},
    {"zip\n12345", "zip", kPost, "zip,zip font\n12345,*123455*\n", "", 0, "last row without a line end"},
    {"zip\n12345\n\n12345\n", "zip", kPost, "zip,zip font\n12345,*123455*\n\n12345,*123455*\n",
     "tavo: 2 rows translated, 0 empty, 0 failed\n", 0, "a blank line stays blank and is no row"},
    {"\"zip, code\",n\n12345,1\n", "zip, code", kPost, "\"zip, code\",n,\"zip, code font\"\n12345,1,*123455*\n", "",
     0, "a quoted column name"},
    {"zip\n\"12345\n", "zip", kPost, "zip,zip font\n\"12345\n\",\n",
     "row 2, column \"zip\": a quoted field is not closed before the end of the input\n", 1, "unclosed quote"},
    {"", "zip", kPost, "", "tavo: the input is empty; it needs a header row\n", 2, "empty input"},
    {"v\nA\xE6\x9D\xB1\n", "v", kC128, "", "row 2: the character U+6771 cannot be written in windows-1252", 2,
     "a character the output encoding lacks stops the run", "", "windows-1252"},
    {"v\nA\xCE\xA9\n", "v", kC128, "v,v font\nA\xCE\xA9,\n",
     "row 2, column \"v\": 32505 the value holds the character U+03A9, which has no Windows-1252 byte", 1,
     "a linear symbology takes Windows-1252 characters"},
    {"v\n" + std::string(7090, '1') + "\n", "v", BC_SYM_QR, "v,v font\n" + std::string(7090, '1') + ",\n",
     "row 2, column \"v\": 32560 ", 1, "longer than the registry's: the library's own code"},
    {"zip,n\n12345," + std::string(8183, 'x') + "\n", "zip", kPost,
     "zip,n,zip font\n12345," + std::string(8183, 'x') + ",*123455*\n", "", 0,
     "the longest record whose row is put together in one piece"},
    {"zip,n\n12345," + std::string(8184, 'x') + "\n", "zip", kPost,
     "zip,n,zip font\n12345," + std::string(8184, 'x') + ",*123455*\n", "", 0,
     "one byte longer: the row is written in place in the output"},
    {"zip,n\n12345," + std::string(55287, 'x') + "\n", "zip", kPost,
     "zip,n,zip font\n12345," + std::string(55287, 'x') + ",*123455*\n", "", 0,
     "the longest record put together straight in the output block"},
    {"zip,n\n12345," + std::string(55288, 'x') + "\n", "zip", kPost,
     "zip,n,zip font\n12345," + std::string(55288, 'x') + ",*123455*\n", "", 0,
     "one byte longer: the row goes by the text"},
    {"n,zip\r\na,\"12345\"\r\n", "zip", kPost, "n,zip,zip font\r\na,\"12345\",*123455*\r\n", "", 0,
     "a quoted value ending the record keeps its closing quote"},
    {"zip,n\r\n12345," + std::string(100000, 'x') + "\r\n12345,y\r\n", "zip", kPost,
     "zip,n,zip font\r\n12345," + std::string(100000, 'x') + ",*123455*\r\n12345,y,*123455*\r\n", "", 0,
     "a long record, then a short one"},
    {"v\n" + std::string(300000, 'A') + "\n", "v", kC128, "v,v font\n" + std::string(300000, 'A') + ",\n",
     "row 2, column \"v\": 32510 the value is longer than 65536 bytes", 1, "longer than the tool's limit"},
};

TEST(BatchFiles, RealShapedFilesInEveryBlockSize) {
  for (const Case& c : kCases) {
    for (size_t block : {4, 7, 16, 1 << 20}) {
      SCOPED_TRACE(std::string(c.why) + ", block " + std::to_string(block));
      BatchOptions options;
      options.symbology = c.symbology;
      options.column = c.column;
      options.empty = c.empty;
      if (!c.encoding.empty()) options.encoding = text::ParseEncoding(c.encoding);
      if (!c.output_encoding.empty()) options.output_encoding = text::ParseEncoding(c.output_encoding);
      options.block = block;
      const BatchRun r = RunOn(c.input, options);
      EXPECT_EQ(r.status, c.status) << r.err;
      if (c.status != 2) {
        EXPECT_EQ(r.out, c.out);
      }
      EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find('\r'), std::string::npos) << "no progress output off a terminal";
    }
  }
}

// QR Code and Data Matrix cells reach the library as UTF-8, whatever the
// file's encoding, as `tavo translate` hands them over.
TEST(BatchFiles, MatrixCellsAsUtf8) {
  for (int32_t symbology : {BC_SYM_QR, BC_SYM_DATAMATRIX}) {
    for (std::string_view text : {"5\xE2\x82\xAC", "\xE6\x9D\xB1\xE4\xBA\xAC"}) {
      std::vector<char> want(16384);
      int32_t len = 0;
      ASSERT_EQ(BC_FontTranslate(symbology, std::string(text).c_str(), 0, want.data(), 16384, &len), 0);
      std::string cell;
      text::Append1252AsUtf8(cell, std::string_view(want.data(), static_cast<size_t>(len)));
      std::string quoted;
      csv::AppendField(quoted, cell, ',');
      BatchOptions options;
      options.symbology = symbology;
      options.column = "v";
      const BatchRun r = RunOn("\xEF\xBB\xBFv\n" + std::string(text) + "\n", options);
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.out, "\xEF\xBB\xBFv,v font\n" + std::string(text) + "," + quoted + "\n") << symbology;
    }
  }
  // The euro sign of a Windows-1252 file is U+20AC in the symbol, not byte 0x80.
  BatchOptions options;
  options.symbology = BC_SYM_QR;
  options.column = "v";
  const BatchRun from1252 = RunOn("v\n5\x80\n", options);
  const BatchRun from_utf8 = RunOn("v\n5\xE2\x82\xAC\n", options);
  options.output_encoding = Encoding::kUtf8;
  const BatchRun converted = RunOn("v\n5\x80\n", options);
  EXPECT_EQ(converted.out, "\xEF\xBB\xBF" + from_utf8.out);
  EXPECT_NE(from1252.out.find("5\x80,"), std::string::npos);
}

// A file judged whole: Windows-1252 only after the first MiB, and every
// row read (the judging read must not lose the rest of the file).
TEST(BatchFiles, EncodingJudgedOnTheWholeFile) {
  std::string input = "n,zip\n";
  std::string want = "n,zip,zip font\n";
  for (int i = 0; i < 120000; ++i) {
    input += "Ann,12345\n";
    want += "Ann,12345,*123455*\n";
  }
  input += "M\xFCller,12345\n";
  want += "M\xFCller,12345,*123455*\n";
  BatchOptions options;
  options.symbology = kPost;
  options.column = "zip";
  const BatchRun r = RunOn(input, options);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("as windows-1252"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.size(), want.size());
  EXPECT_TRUE(r.out == want);
}

// An input whose first MiB is UTF-8 is taken as UTF-8 as it is read; what
// comes later decides, and the run starts again as Windows-1252 when it is
// not UTF-8: the same output and messages as the encoding given, whether a
// message came before the byte that decides (which settles the encoding
// first) or not, and the encoding said once.
TEST(BatchFiles, EncodingSettledLaterAsWhenGiven) {
  std::string head = "n,zip\n";
  for (int i = 0; i < 120000; ++i) head += "Ann,12345\n";
  const struct {
    std::string_view tail;
    Encoding is;
  } kCases[] = {
      {"M\xFCller,12345\n", Encoding::kWindows1252},
      {"Bad,12\nM\xFCller,12345\nBad,12\n", Encoding::kWindows1252},
      {"M\xC3\xBCller,12345\nBad,12\nM\xC3", Encoding::kWindows1252},  // a cut sequence ends it
      {"M\xC3\xBCller,12345\nBad,12\nM\xC3\xBC\n", Encoding::kUtf8},
      {"Ann,123\n", Encoding::kUtf8},
  };
  for (const auto& c : kCases) {
    BatchOptions options;
    options.symbology = kPost;
    options.column = "zip";
    const BatchRun judged = RunOn(head + std::string(c.tail), options);
    options.encoding = c.is;
    const BatchRun given = RunOn(head + std::string(c.tail), options);
    EXPECT_EQ(judged.status, given.status) << c.tail;
    EXPECT_TRUE(judged.out == given.out) << c.tail;
    const std::string said = "tavo: reading the input as " + std::string(text::EncodingName(c.is));
    ASSERT_EQ(judged.err.rfind(said, 0), 0u) << judged.err;
    EXPECT_EQ(judged.err.substr(judged.err.find('\n') + 1), given.err) << c.tail;
  }
}

// A run started again empties the output back to where it began, and no
// further: bytes before it stay, and an output opened for appending (whose
// offset says nothing of what it holds) is never rewound.
TEST(BatchFiles, StartingAgainKeepsWhatTheOutputHeld) {
  std::string input = "n,zip\n";
  for (int i = 0; i < 120000; ++i) input += "Ann,12345\n";
  input += "M\xFCller,12345\n";
  BatchOptions options;
  options.symbology = kPost;
  options.column = "zip";
  options.encoding = Encoding::kWindows1252;
  const BatchRun given = RunOn(input, options);
  options.encoding = std::nullopt;
  for (const char* mode : {"wb", "ab"}) {
    char path[] = "/tmp/tavo-batch-test-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "kept\n", 5), 5);
    close(fd);
    // Appending as a shell's >> opens it: at offset 0 until the first write.
    std::FILE* out = mode[0] == 'w' ? std::fopen(path, mode) : fdopen(open(path, O_WRONLY | O_APPEND), mode);
    ASSERT_NE(out, nullptr);
    if (mode[0] == 'w') std::fputs("kept\n", out);  // "wb" emptied it
    std::FILE* in = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    EXPECT_EQ(RunBatch(options, in, out, err), 0) << mode;
    std::fclose(out);
    std::fclose(in);
    std::fclose(err);
    std::FILE* back = std::fopen(path, "rb");
    ASSERT_NE(back, nullptr);
    const std::string written = ReadAll(back);
    std::fclose(back);
    std::remove(path);
    EXPECT_TRUE(written == "kept\n" + given.out) << mode << ": " << written.size() << " bytes";
  }
}

// --raw: bytes in, bytes out, a UTF-8 byte order mark written back.
TEST(BatchFiles, RawPassesBytes) {
  BatchOptions options;
  options.symbology = kC128;
  options.column = "v";
  options.raw = true;
  const BatchRun r = RunOn("\xEF\xBB\xBFv\n\xB9\x31\n", options);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\xEF\xBB\xBFv,v font\n\xB9\x31,\xE8\xE6\xF9\xA2\xEA\n");
}

// Records longer than the reader holds come in pieces: the same output.
TEST(BatchFiles, LongRecordsStream) {
  BatchOptions options;
  options.symbology = kPost;
  options.column = "zip";
  options.hold = 16;
  options.block = 5;
  const std::string big(100, 'x');
  BatchRun r = RunOn("zip,n\n12345,\"" + big + "\"\n12345," + big + "\n", options);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "zip,n,zip font\n12345,\"" + big + "\",*123455*\n12345," + big + ",*123455*\n");
  r = RunOn("zip,n\n12345,\"" + big + "\",extra\n", options);
  EXPECT_EQ(r.status, 2) << "a long row with extra fields cannot be put in line: the run stops";
  options.column = "n";
  r = RunOn("zip,n\n12345," + std::string(200000, 'x') + "\n", options);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the most postnet takes"), std::string::npos) << r.err;
}

// A header of a million columns is read in one linear pass (it took hours
// when each field was found by reading the header from its start).
TEST(BatchFiles, WideHeaderIsLinear) {
  std::string input;
  for (int i = 0; i < 1000000; ++i) input += "c" + std::to_string(i) + ",";
  input += "zip\n";
  for (int i = 0; i < 1000000; ++i) input += ",";
  input += "12345\n";
  BatchOptions options;
  options.symbology = kPost;
  options.column = "zip";
  const auto start = std::chrono::steady_clock::now();
  const BatchRun r = RunOn(input, options);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(r.out.size() - 16), ",12345,*123455*\n");
  EXPECT_LT(seconds, 10.0);
}

TEST(Csv, SplitRecord) {
  const struct {
    std::string_view raw;
    char delimiter;
    std::vector<std::string> fields;
  } kSplits[] = {
      {"a,,b", ',', {"a", "", "b"}},
      {"\"a,b\",\"c\"\"d\",", ',', {"a,b", "c\"d", ""}},
      {"\"x\ny\",z\nnext", ',', {"x\ny", "z"}},
      {"a;b,c", ';', {"a", "b,c"}},
      {"\"ab\"cd,e", ',', {"abcd", "e"}},
      {"a\rb", ',', {"a"}},
  };
  for (const auto& c : kSplits) EXPECT_EQ(csv::SplitRecord(c.raw, c.delimiter), c.fields) << c.raw;
  EXPECT_EQ(csv::DetectDelimiter("a;b;c,d\n"), ';');
  EXPECT_EQ(csv::DetectDelimiter("\"a,b,c\"\tz\n"), '\t');
  EXPECT_EQ(csv::DetectDelimiter("one\n,,,"), ',');
}

// The reader's plain path against Next as the oracle: two readers over the
// same text, one trying NextPlain before each record, must hand out the
// same records and the same wanted values, and stay at the same place.
// Block sizes cut records and quoted fields at every place; `plain` counts
// the records the plain path must take with the whole text in one block.
TEST(Csv, NextPlainAgreesWithNext) {
  const std::string wide(40, 'w');  // fields that cross sixteen-byte chunks
  // The delimiter, a quote and the line end at every place of the 32- and
  // 16-byte chunks the plain scan reads.
  std::string shifted, shifted_quoted;
  for (size_t k = 0; k < 70; ++k) {
    shifted += std::string(k, 'p') + "," + std::string(69 - k, 'q') + "\n";
    shifted_quoted += std::string(k, 'p') + ",\"q," + std::string(69 - k, 'q') + "\"\r\n";
  }
  const struct {
    std::string text;
    char delimiter;
    size_t wanted;
    size_t fields;
    size_t plain;
    const char* why;
  } kTexts[] = {
      {"a,b,c\n1,2,3\r\nx,,z\n", ',', 1, 3, 3, "LF and CRLF, an empty wanted field"},
      {wide + "," + wide + "1," + wide + "\n" + wide + ",2," + wide + "\n", ',', 1, 3, 2, "fields over chunks"},
      {"a,\"b,c\",d\n\"x\ny\",q,\"z\"\"\"\n", ',', 1, 3, 2, "quoted fields, a line break inside one"},
      {"a,\"wanted\",c\n1,\"x\"\"y\",3\n", ',', 1, 3, 1, "the wanted field quoted; with a doubled quote: Next's"},
      {"a,b\"c,d\n\"a\"b,c,d\n", ',', 1, 3, 0, "a quote inside a field, text after a closing quote"},
      {"a,b\n1,2,3\n4\n\n5,6\n", ',', 0, 2, 2, "more fields, fewer, a blank line"},
      {"a,b\rc,d\r\"x\ry\",z\r\n", ',', 1, 2, 1, "lone CRs end records (Next's); a CR in quotes is data"},
      {"a;b|c\td\n" + wide + ";" + wide + "|x\tq\n", ';', 1, 2, 2, "semicolons, other bytes as data"},
      {"a\tb\n\"\"\t\"\"\n", '\t', 0, 2, 2, "tabs, empty quoted fields"},
      {"one\ntwo\nthree", ',', 0, 1, 2, "one field; the last record without a line end: Next's"},
      {"a,\"open\n", ',', 1, 2, 0, "a quote left open"},
      {shifted, ',', 1, 2, 70, "the delimiter and the line end at every place"},
      {shifted_quoted, ',', 1, 2, 70, "a quoted wanted field at every place"},
  };
  for (const auto& c : kTexts) {
    for (size_t block : {4, 7, 16, 33, 1 << 20}) {
      SCOPED_TRACE(std::string(c.why) + ", block " + std::to_string(block));
      csv::StringSource a_source(c.text), b_source(c.text);
      csv::Reader a(a_source, c.delimiter, block), b(b_source, c.delimiter, block);
      csv::ReadPlan plan;
      plan.wanted = c.wanted;
      plan.value_cap = 1000;
      plan.last_field = c.fields - 1;
      csv::RecordInfo a_info, b_info;
      csv::PlainView view;
      size_t plain = 0;
      for (int guard = 0; guard < 100; ++guard) {
        const csv::Reader::Status status = b.Next(plan, b_info);
        if (a.NextPlain(c.wanted, c.fields, view)) {
          ++plain;
          ASSERT_EQ(status, csv::Reader::Status::kRecord);
          EXPECT_EQ(view.text, b.piece());
          EXPECT_EQ(view.wanted, b_info.wanted);
          EXPECT_EQ(view.line_end, b_info.line_end);
          EXPECT_EQ(view.last_start, b_info.last_start);
          EXPECT_EQ(b_info.fields, c.fields);
        } else {
          ASSERT_EQ(a.Next(plan, a_info), status);
          if (status == csv::Reader::Status::kEnd) break;
          EXPECT_EQ(a.piece(), b.piece());
          EXPECT_EQ(a_info.wanted, b_info.wanted);
        }
        EXPECT_EQ(a.consumed(), b.consumed());
      }
      if (block == 1 << 20) {
        EXPECT_EQ(plain, c.plain);
      }
    }
  }
}

// Rows put together straight in the output block and rows written by the
// text (an empty cell, a value refused, a quoted value with a doubled quote,
// a font string that needs quotes) come out in their order across many
// output blocks of 1 MiB.
TEST(BatchFiles, RowsInPlaceAndByTheTextKeepTheirOrder) {
  std::string input = "n,zip\n", expected = "n,zip,zip font\n";
  for (int i = 0; i < 150000; ++i) {
    const std::string n = std::to_string(i);
    switch (i % 7) {
      case 3:
        input += n + ",\n";
        expected += n + ",,\n";
        break;
      case 5:
        input += n + ",\"12\"\"345\"\n";  // reaches the library as 12"345, refused
        expected += n + ",\"12\"\"345\",\n";
        break;
      default:
        input += n + ",12345\n";
        expected += n + ",12345,*123455*\n";
    }
  }
  for (size_t block : {size_t{1} << 16, size_t{1} << 20}) {
    BatchOptions options;
    options.symbology = kPost;
    options.column = "zip";
    options.block = block;
    const BatchRun r = RunOn(input, options);
    EXPECT_EQ(r.status, 1);
    EXPECT_GT(r.out.size(), size_t{2} << 20);
    EXPECT_TRUE(r.out == expected) << "block " << block;
    EXPECT_NE(r.err.find("107143 rows translated, 21429 empty, 21428 failed"), std::string::npos);
  }
}

// A cell goes to the library as it lies only when it is ASCII without NUL:
// a byte above 127 (here "¹", FNC1, converted to Windows-1252 first) or a NUL at
// every place of cells of 1 to 40 bytes takes the longer way, to the
// library's result for the converted value, or to a failed row.
TEST(BatchFiles, CellsWithAByteAbove127OrNulAtEveryPlace) {
  std::string input = "v,n\n", expected = "v,n,v font\n", with_nul = "v,n\n";
  size_t nul_rows = 0;
  for (size_t n = 1; n <= 40; ++n) {
    for (size_t k = 0; k < n; ++k) {
      const std::string before(k, 'A'), after(n - 1 - k, 'b');
      char font[4096];
      int32_t len = 0;
      const std::string value_1252 = before + "\xB9" + after;
      ASSERT_EQ(BC_FontTranslate(kC128, value_1252.c_str(), 0, font, sizeof font, &len), 0);
      std::string utf8;
      text::Append1252AsUtf8(utf8, std::string_view(font, static_cast<size_t>(len)));
      input += before + "\xC2\xB9" + after + ",x\n";
      expected += before + "\xC2\xB9" + after + ",x,";
      csv::AppendField(expected, utf8, ',');
      expected += "\n";
      with_nul += before + std::string(1, '\0') + after + ",x\n";
      ++nul_rows;
    }
  }
  BatchOptions options;
  options.symbology = kC128;
  options.column = "v";
  options.encoding = Encoding::kUtf8;
  const BatchRun r = RunOn(input, options);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out == expected);
  const BatchRun nul = RunOn(with_nul, options);
  EXPECT_EQ(nul.status, 1);
  EXPECT_NE(nul.err.find("0 rows translated, 0 empty, " + std::to_string(nul_rows) + " failed"), std::string::npos);
}

// Font strings of every length from 1 to 60 bytes, some with bytes above
// 127 or the delimiter at any place, as batch writes them: against the
// library's own result, converted and quoted by the rules (written as it
// is only when it holds neither, nor a quote or a line end).
TEST(BatchFiles, FontStringsWrittenByTheRules) {
  const std::string kAlphabet = "0123456789ABCxyz;|,~ ";
  for (char delimiter : {',', ';', '|'}) {
    std::string input = std::string("v") + delimiter + "n\n";
    std::vector<std::string> values;
    for (size_t n = 1; n <= 40; ++n) {
      std::string v;
      for (size_t i = 0; i < n; ++i) v.push_back(kAlphabet[(i * 7 + n) % kAlphabet.size()]);
      if (v.find(delimiter) != std::string::npos) continue;
      values.push_back(v);
      input += v + delimiter + "x\n";
    }
    std::string expected = std::string("v") + delimiter + "n" + delimiter + "v font\n";
    for (const std::string& v : values) {
      char font[4096];
      int32_t len = 0;
      ASSERT_EQ(BC_FontTranslate(kC128, v.c_str(), 0, font, sizeof font, &len), 0) << v;
      std::string utf8;
      text::Append1252AsUtf8(utf8, std::string_view(font, static_cast<size_t>(len)));
      expected += v + delimiter + "x" + delimiter;
      csv::AppendField(expected, utf8, delimiter);
      expected += "\n";
    }
    BatchOptions options;
    options.symbology = kC128;
    options.column = "v";
    options.encoding = Encoding::kUtf8;
    options.delimiter = delimiter;
    const BatchRun r = RunOn(input, options);
    EXPECT_GT(values.size(), 20u);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected) << "delimiter " << delimiter;
  }
}

TEST(Encodings, Windows1252RoundTripsThroughUtf8AndUtf16) {
  for (int b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    std::string utf8;
    text::Append1252AsUtf8(utf8, byte);
    std::string back;
    uint32_t bad = 0;
    ASSERT_TRUE(text::Utf8To1252(utf8, back, bad)) << b;
    EXPECT_EQ(back, byte) << b;
    std::string utf16;
    text::Transcoder to16(Encoding::kWindows1252, Encoding::kUtf16Le);
    ASSERT_TRUE(to16.Append(utf16, byte));
    std::string decoded;
    text::Utf16Decoder from16(false);
    ASSERT_TRUE(from16.Append(decoded, utf16));
    EXPECT_EQ(decoded, utf8) << b;
  }
  // From the Unicode Consortium's CP1252.TXT; 0x8D is undefined there.
  const struct {
    int byte;
    std::string_view utf8;
  } kKnown[] = {{0x80, "\xE2\x82\xAC"}, {0x8D, "\xC2\x8D"}, {0x99, "\xE2\x84\xA2"},
                {0x9F, "\xC5\xB8"},     {0xA0, "\xC2\xA0"}, {0xFF, "\xC3\xBF"}};
  for (const auto& k : kKnown) {
    std::string utf8;
    text::Append1252AsUtf8(utf8, std::string(1, static_cast<char>(k.byte)));
    EXPECT_EQ(utf8, k.utf8) << k.byte;
  }
}

TEST(Encodings, PiecesMayCutASequence) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a, e acute, euro, an emoji, z
  for (size_t cut = 0; cut <= text.size(); ++cut) {
    text::Utf8Validator v;
    EXPECT_TRUE(v.Feed(text.substr(0, cut)) && v.Feed(text.substr(cut)) && v.Finish()) << cut;
    text::Transcoder t(Encoding::kUtf8, Encoding::kUtf16Le);
    std::string out;
    ASSERT_TRUE(t.Append(out, text.substr(0, cut)) && t.Append(out, text.substr(cut))) << cut;
    EXPECT_EQ(out, std::string("a\0\xE9\0\xAC\x20\x3D\xD8\x00\xDEz\0", 12)) << cut;
  }
  text::Utf8Validator bad;
  EXPECT_FALSE(bad.Feed("\xC0\xAF"));  // overlong
  text::Utf8Validator lone;
  EXPECT_FALSE(lone.Feed("abcdefgh\xC3z"));  // a lead byte without its continuation
  text::Utf8Validator cut;
  EXPECT_TRUE(cut.Feed("a\xE2\x82"));
  EXPECT_FALSE(cut.Finish());
}

// The registry's longest values, checked against the encoders: one byte
// more is refused, and where the length is fixed the longest is accepted.
TEST(Registry, LongestValues) {
  const struct {
    int32_t code;
    std::string longest;  // a valid value of the longest length
    int32_t check;
  } kLongest[] = {
      {BC_SYM_MSI, "12345678901234", 0},        {BC_SYM_UPCA, "1234567890112345", 0},
      {BC_SYM_UPCE, "12345612345", 0},          {BC_SYM_EAN8, "123456712345", 0},
      {BC_SYM_EAN13, "12345678901212345", 0},   {BC_SYM_GTIN13, "5901234123457 12345", 0},
      {BC_SYM_GTIN8, "96385074 12345", 0},      {BC_SYM_GTIN12, "036000291452 12345", 0},
      {BC_SYM_UPCE8, "01234565 12345", 0},      {BC_SYM_QR, std::string(7089, '1'), 1},
      {BC_SYM_DATAMATRIX, std::string(3116, '1'), 0},
  };
  std::vector<char> out(1 << 20);
  int32_t len = 0;
  for (const auto& c : kLongest) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(RegistryMaxValueLength(c.code), c.longest.size());
    EXPECT_EQ(BC_FontTranslate(c.code, c.longest.c_str(), c.check, out.data(), 1 << 20, &len), 0);
    const std::string longer = c.longest + "1";
    EXPECT_NE(BC_FontTranslate(c.code, longer.c_str(), c.check, out.data(), 1 << 20, &len), 0);
  }
  EXPECT_EQ(MaxValueLength(BC_SYM_CODE39), kToolValueLimit);
}

}  // namespace
}  // namespace tavo::batch
