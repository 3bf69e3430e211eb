// CSV as spreadsheets write it (RFC 4180 and its variants): a delimiter of
// one byte (comma, semicolon or tab), fields quoted with '"' that may hold
// the delimiter, doubled quotes and line breaks, and records ending in CRLF,
// LF or a lone CR (old Mac files).  The text is UTF-8 or Windows-1252, in
// which every delimiter, quote and line end is one byte.
//
// The reader is one linear pass over blocks of the input: a record is held
// whole while it is shorter than a limit, and handed out in pieces beyond
// it, so memory stays bounded whatever the input holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavo::csv {

// Where the bytes come from (a file, already decoded to UTF-8 or
// Windows-1252).  Read returns 0 at the end; failed() tells an error.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t Read(char* into, size_t room) = 0;
  virtual bool failed() const { return false; }
};

class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string_view text) : text_(text) {}
  size_t Read(char* into, size_t room) override;

 private:
  std::string_view text_;
};

enum class LineEnd : uint8_t { kNone, kLf, kCrLf, kCr };
inline std::string_view LineEndText(LineEnd e) {
  constexpr std::string_view kTexts[] = {"", "\n", "\r\n", "\r"};
  return kTexts[static_cast<size_t>(e)];
}

inline constexpr size_t kNoField = static_cast<size_t>(-1);

// What to note while reading a record.
struct ReadPlan {
  size_t wanted = kNoField;      // the field whose value is wanted
  size_t value_cap = 0;          // ... kept up to this many bytes (more: too_long)
  size_t last_field = kNoField;  // the field whose start offset is wanted
  bool collect_all = false;      // every field's value, up to value_cap bytes in all
};

// What the reader learnt of a record, or of the pieces of it so far.
struct RecordInfo {
  uint64_t fields = 0;           // fields begun (1 for a blank line)
  uint64_t size = 0;             // bytes of the record, its line end excluded
  uint64_t last_start = UINT64_MAX;  // offset of ReadPlan::last_field in the record
  bool has_wanted = false;
  bool too_long = false;         // a value collected passed value_cap
  bool unterminated_quote = false;
  LineEnd line_end = LineEnd::kNone;
  std::string wanted;            // the wanted field's value, quotes removed
  // With collect_all: every field's value, one after another, and where
  // each begins (at most kMaxCollected fields; more: too_long).
  std::string all_text;
  std::vector<uint32_t> all_starts;
  static constexpr size_t kMaxCollected = size_t{4} << 20;
  size_t Count() const { return all_starts.size(); }
  std::string_view Field(size_t i) const {
    const size_t end = i + 1 < all_starts.size() ? all_starts[i + 1] : all_text.size();
    return std::string_view(all_text).substr(all_starts[i], end - all_starts[i]);
  }
  bool Blank() const { return size == 0 && line_end != LineEnd::kNone; }
};

// A record handed out by Reader::NextPlain: views into the reader's buffer,
// valid until the next call.
struct PlainView {
  std::string_view text;    // the record, its line end excluded
  std::string_view wanted;  // the wanted field's bytes
  size_t last_start = 0;    // where the last field begins in `text`
  LineEnd line_end = LineEnd::kLf;
};

class Reader {
 public:
  static constexpr size_t kBlock = size_t{1} << 20;
  static constexpr size_t kHold = size_t{4} << 20;
  static constexpr size_t kPeek = size_t{64} << 10;  // Peek() looks this far at most

  Reader(ByteSource& source, char delimiter, size_t block = kBlock, size_t hold = kHold);

  enum class Status { kRecord, kPart, kEnd, kReadError };
  // kRecord: piece() is the record (or its last piece), `info` complete.
  // kPart: piece() is a piece of a record longer than `hold`; more follow,
  // read with the same plan and info.  The piece stays valid until the
  // next call.
  Status Next(const ReadPlan& plan, RecordInfo& info);
  std::string_view piece() const { return piece_; }
  // The next record, when it is whole in what was read, is not blank, has
  // exactly `fields` fields and holds no quote and no CR but a CRLF's end
  // (nearly every row of a mail merge): found by one scan for the
  // delimiter, quote and line ends together, nothing copied.  False, with
  // nothing read, otherwise; Next then reads it.  Field `wanted` is below
  // `fields`.
  bool NextPlain(size_t wanted, size_t fields, PlainView& view);
  // The bytes read ahead but not yet handed out (for a look at the header).
  std::string_view Peek();
  // The delimiter may be settled after a Peek, before the first Next.
  void set_delimiter(char delimiter) { delimiter_ = delimiter; }
  uint64_t consumed() const { return consumed_; }

 private:
  enum class State : uint8_t { kRecordStart, kFieldStart, kUnquoted, kQuoted, kQuoteInQuoted };
  enum class Plain : uint8_t { kYes, kNo, kMore };  // kMore: the record runs past what was read
  struct PlainMarks;
  Plain ScanPlainRecord(size_t wanted, size_t fields, PlainMarks& marks);
  bool Refill();
  bool PlainRecord(const ReadPlan& plan, RecordInfo& info);
  bool Scan(const ReadPlan& plan, RecordInfo& info);
  bool ScanUnquoted(const ReadPlan& plan, RecordInfo& info);
  void Collect(const ReadPlan& plan, RecordInfo& info, const char* from, const char* to);
  void CollectQuote(const ReadPlan& plan, RecordInfo& info);
  void BeginField(const ReadPlan& plan, RecordInfo& info);
  void EndRecord(RecordInfo& info, LineEnd end, size_t line_end_bytes);

  ByteSource& source_;
  char delimiter_;
  size_t block_;
  size_t hold_;
  std::vector<char> buffer_;
  size_t record_ = 0;  // where the unhanded part of the record begins
  size_t pos_ = 0;     // the scan position
  size_t end_ = 0;     // one past the last byte read
  bool eof_ = false;
  bool any_quote_ = false;  // a quote was read somewhere
  bool any_cr_ = false;     // a CR was read somewhere
  State state_ = State::kRecordStart;
  size_t field_ = 0;         // the field being read
  uint64_t handed_ = 0;      // bytes of this record handed out in pieces
  std::string* target_ = nullptr;  // where the field's value goes, if anywhere
  std::string_view piece_;
  uint64_t consumed_ = 0;
};

// Every field of `text` (one record, or several: the first), as the reader
// sees it; for tests and the header.
std::vector<std::string> SplitRecord(std::string_view text, char delimiter);

// Appends `field`, quoted when it holds the delimiter, a quote, CR or LF
// (quotes doubled inside).
void AppendField(std::string& out, std::string_view field, char delimiter);

// The delimiter a header row uses: the most frequent of comma, semicolon
// and tab outside quotes before the first line end (comma when none).
char DetectDelimiter(std::string_view head);

}  // namespace tavo::csv
