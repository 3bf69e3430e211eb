// tavo batch: a mail merge's address list in, the same list out with one
// column added that holds each row's font string.  CSV as RFC 4180 writes it
// (quoted fields with commas, quotes and line breaks, CRLF or LF, a header
// row, an optional UTF-8 byte order mark), streamed in fixed-size blocks so
// memory stays bounded whatever the file's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tavo::batch {

// One record of a CSV stream.  `raw` is the record's bytes as they stand in
// the input, without its line end (`line_end`: "\r\n", "\n", or "" for a last
// record without one); both stay valid until the next call.
struct CsvRecord {
  std::string_view raw;
  std::string_view line_end;
  size_t fields = 0;       // how many fields the record has
  bool has_wanted = false; // it has the field asked for ...
  std::string_view wanted; // ... whose value (quotes removed) is this
  bool unterminated_quote = false;  // the input ended inside a quoted field
};

class CsvReader {
 public:
  // Records longer than `max_record` bytes stop the reading (kTooLong).
  static constexpr size_t kDefaultBlock = size_t{1} << 20;
  static constexpr size_t kMaxRecord = size_t{64} << 20;

  explicit CsvReader(std::FILE* in, size_t block = kDefaultBlock, size_t max_record = kMaxRecord);

  enum class Status { kRecord, kEnd, kTooLong, kReadError };

  // Reads the next record; `wanted` is the index of the field whose value is
  // wanted.  A UTF-8 byte order mark before the first record is skipped and
  // remembered.
  Status Next(size_t wanted, CsvRecord& record);
  bool had_bom() const { return had_bom_; }
  // Input bytes consumed so far (for progress).
  uint64_t consumed() const { return consumed_; }

 private:
  bool Refill();

  std::FILE* in_;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // first unread byte
  size_t end_ = 0;    // one past the last byte read
  size_t max_record_;
  bool eof_ = false;
  bool error_ = false;
  bool started_ = false;
  bool had_bom_ = false;
  uint64_t consumed_ = 0;
  std::string unquoted_;  // the wanted value when it had to be unquoted
};

// Every field of one record's raw bytes, quotes removed (for the header).
std::vector<std::string> SplitCsvRecord(std::string_view raw);

// Appends `field` to `out`, quoted when it holds a comma, a quote, CR or LF
// (quotes doubled inside).
void AppendCsvField(std::string& out, std::string_view field);

// Bytes of a font string as the Windows-1252 characters they stand for,
// written in UTF-8 (the five bytes Windows-1252 leaves undefined as the C1
// controls of the same number, as Windows itself maps them).
void AppendWindows1252AsUtf8(std::string& out, std::string_view bytes);

// The reverse, for the values read from a UTF-8 file: false, with the first
// character that has no Windows-1252 byte (or 0xFFFFFFFF for malformed
// UTF-8) in `bad`, when it cannot be done.
bool Utf8ToWindows1252(std::string_view text, std::string& out, uint32_t& bad);

struct BatchOptions {
  int32_t symbology = 0;
  std::string column;
  std::string output_column;  // "" for "<column> font"
  bool check = false;
  bool raw = false;           // font-string bytes (and values) unchanged, not UTF-8
  bool progress = false;      // draw a progress bar on `err`
  uint64_t input_size = 0;    // bytes in the input when known (for the time left), else 0
  size_t block = CsvReader::kDefaultBlock;
};

// Translates the CSV on `in` to `out`, reporting failed rows and the count on
// `err`.  Exit status: 0 every row translated, 1 some row failed, 2 the run
// could not be done (no such column, name collision, read or write error).
int RunBatch(const BatchOptions& options, std::FILE* in, std::FILE* out, std::FILE* err);

// `tavo batch ...` from main(): argv[1] is "batch".
int RunBatchCommand(int argc, char** argv);

}  // namespace tavo::batch
