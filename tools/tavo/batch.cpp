// tavo batch: CSV in, the same CSV out with each row's font string added.
#include "batch.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <chrono>
#include <cstring>
#include <optional>

#include "cli.h"
#include "tavo32.h"

namespace tavo::batch {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

// Windows-1252 bytes 0x80..0x9F as Unicode code points; the five bytes the
// code page leaves undefined stand for the C1 control of the same number.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Windows-1252 byte of a code point, -1 for none.
int ByteOf1252(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kWindows1252High[i] == cp) return 0x80 + i;
  }
  return -1;
}

// Decodes one UTF-8 sequence at `s[i]`; advances i.  0xFFFFFFFF when
// malformed (overlong, surrogate, truncated).
uint32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i++]);
  if (b0 < 0x80) return b0;
  const int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC2 ? 1 : -1;
  if (extra < 0 || b0 > 0xF4 || i + static_cast<size_t>(extra) > s.size()) return 0xFFFFFFFF;
  uint32_t cp = b0 & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i++]);
    if ((b & 0xC0) != 0x80) return 0xFFFFFFFF;
    cp = (cp << 6) | (b & 0x3F);
  }
  constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFFFFFF;
  return cp;
}

// The bytes that make a CSV field need quotes.
constexpr std::array<bool, 256> kQuoteBytes = [] {
  std::array<bool, 256> t{};
  for (unsigned char c : {',', '"', '\r', '\n'}) t[c] = true;
  return t;
}();

// The bytes a font cell cannot be copied with: those that need quotes, and
// those above 127 (written as UTF-8).
constexpr std::array<bool, 256> kPlainBytesNot = [] {
  std::array<bool, 256> t = kQuoteBytes;
  for (size_t b = 0x80; b < 256; ++b) t[b] = true;
  return t;
}();

// Every byte in 0x30..0x7F (digits, letters and a few signs, none of which
// needs quotes), judged eight at a time: no top bit set, and each byte plus
// 0x50 reaches it (no byte carries into the next).
bool DigitsAndLetters(std::string_view s) {
  constexpr uint64_t kTop = 0x8080808080808080u;
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t v;
    std::memcpy(&v, s.data() + i, 8);
    if ((v & kTop) != 0 || ((v + 0x5050505050505050u) & kTop) != kTop) return false;
  }
  for (; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x30 || b > 0x7F) return false;
  }
  return true;
}

bool NeedsQuotes(std::string_view field) {
  for (char c : field) {
    if (kQuoteBytes[static_cast<unsigned char>(c)]) return true;
  }
  return false;
}

// Each byte's Windows-1252 character in UTF-8: its length and bytes.
struct Utf8Char {
  uint8_t size;
  char bytes[3];
};

constexpr std::array<Utf8Char, 256> kUtf8Of1252 = [] {
  std::array<Utf8Char, 256> t{};
  for (unsigned b = 0; b < 256; ++b) {
    const uint32_t cp = (b >= 0x80 && b < 0xA0) ? kWindows1252High[b - 0x80] : b;
    Utf8Char& u = t[b];
    if (cp < 0x80) {
      u = {1, {static_cast<char>(cp), 0, 0}};
    } else if (cp < 0x800) {
      u = {2, {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0}};
    } else {
      u = {3, {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
               static_cast<char>(0x80 | (cp & 0x3F))}};
    }
  }
  return t;
}();

// A record without quotes: fields end at commas, the record at the line
// feed.  Most records of a mail merge are so, and memchr finds both fast.
size_t ScanPlainRecord(const char* const start, const char* const record_end, const char* const end,
                       size_t wanted, CsvRecord& record) {
  const char* raw_end = record_end;
  if (raw_end > start && raw_end[-1] == '\r') --raw_end;
  const char* p = start;
  size_t field = 0;
  for (;; ++field) {
    const auto* comma = static_cast<const char*>(std::memchr(p, ',', static_cast<size_t>(raw_end - p)));
    const char* field_end = comma ? comma : raw_end;
    if (field == wanted) {
      record.wanted = std::string_view(p, static_cast<size_t>(field_end - p));
      record.has_wanted = true;
    }
    if (!comma) break;
    p = comma + 1;
  }
  const char* next = record_end < end ? record_end + 1 : end;
  record.raw = std::string_view(start, static_cast<size_t>(raw_end - start));
  record.line_end = std::string_view(raw_end, static_cast<size_t>(next - raw_end));
  record.fields = field + 1;
  return static_cast<size_t>(next - start);
}

// Reads one record from [start, end) up to its line feed, noting the value of
// field `wanted` (unquoted into `unquoted` when it was quoted).  Returns the
// bytes taken, line feed included, or 0 when the record may go on past
// `end` and more input is to come.
size_t ScanCsvRecord(const char* const start, const char* const end, bool at_eof, size_t wanted,
                     std::string& unquoted, CsvRecord& record) {
  record = {};
  {
    const auto* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<size_t>(end - start)));
    if (!lf && !at_eof) return 0;
    const char* record_end = lf ? lf : end;
    if (!std::memchr(start, '"', static_cast<size_t>(record_end - start))) {
      return ScanPlainRecord(start, record_end, end, wanted, record);
    }
  }
  const char* p = start;
  size_t field = 0;
  for (;;) {
    // At the start of field number `field`.
    const bool is_wanted = field == wanted;
    if (p < end && *p == '"') {
      if (is_wanted) unquoted.clear();
      ++p;
      for (;;) {
        const auto* quote = static_cast<const char*>(std::memchr(p, '"', static_cast<size_t>(end - p)));
        if (!quote) {
          if (!at_eof) return 0;
          if (is_wanted) unquoted.append(p, end);
          p = end;
          record.unterminated_quote = true;
          break;
        }
        if (is_wanted) unquoted.append(p, quote);
        p = quote + 1;
        if (p == end && !at_eof) return 0;  // "" or the closing quote?
        if (p < end && *p == '"') {
          if (is_wanted) unquoted.push_back('"');
          ++p;
          continue;
        }
        break;
      }
      // Anything between the closing quote and the next comma is kept as
      // data, as spreadsheets do.
      const char* q = p;
      while (q < end && *q != ',' && *q != '\n') ++q;
      if (q == end && !at_eof) return 0;
      const char* data_end = (q > p && q[-1] == '\r' && (q == end || *q == '\n')) ? q - 1 : q;
      if (is_wanted) {
        unquoted.append(p, data_end);
        record.wanted = unquoted;
        record.has_wanted = true;
      }
      p = q;
    } else {
      const char* q = p;
      while (q < end && *q != ',' && *q != '\n') ++q;
      if (q == end && !at_eof) return 0;
      if (is_wanted) {
        const char* data_end = (q > p && q[-1] == '\r' && (q == end || *q == '\n')) ? q - 1 : q;
        record.wanted = std::string_view(p, static_cast<size_t>(data_end - p));
        record.has_wanted = true;
      }
      p = q;
    }
    ++field;
    if (p < end && *p == ',') {
      ++p;
      continue;
    }
    // The record ends at a line feed or at the end of the input.
    const char* raw_end = p;
    const char* next = p;
    if (p < end) {  // *p == '\n'
      next = p + 1;
      if (raw_end > start && raw_end[-1] == '\r') --raw_end;
    }
    record.raw = std::string_view(start, static_cast<size_t>(raw_end - start));
    record.line_end = std::string_view(raw_end, static_cast<size_t>(next - raw_end));
    record.fields = field;
    return static_cast<size_t>(next - start);
  }
}

}  // namespace

// Reading --------------------------------------------------------------------

CsvReader::CsvReader(std::FILE* in, size_t block, size_t max_record)
    : in_(in), buffer_(std::max<size_t>(block, 4)), max_record_(max_record) {}

bool CsvReader::Refill() {
  // Keep the unread bytes (the record being read), at the front.
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) {
    if (buffer_.size() >= max_record_) return false;
    buffer_.resize(std::min(buffer_.size() * 2, max_record_));
  }
  const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, in_);
  end_ += got;
  if (got == 0) {
    eof_ = true;
    error_ = std::ferror(in_) != 0;
  }
  return true;
}

CsvReader::Status CsvReader::Next(size_t wanted, CsvRecord& record) {
  for (;;) {
    if (!started_) {
      // The byte order mark, if any, comes before the first record.
      if (end_ - begin_ < 3 && !eof_) {
        if (!Refill()) return Status::kTooLong;
        if (!eof_) continue;
      }
      started_ = true;
      if (end_ - begin_ >= 3 && std::memcmp(buffer_.data() + begin_, kBom, 3) == 0) {
        had_bom_ = true;
        begin_ += 3;
        consumed_ += 3;
      }
    }
    if (begin_ == end_ && eof_) return error_ ? Status::kReadError : Status::kEnd;
    if (begin_ < end_) {
      const size_t taken = ScanCsvRecord(buffer_.data() + begin_, buffer_.data() + end_, eof_,
                                         wanted, unquoted_, record);
      if (taken > 0) {
        begin_ += taken;
        consumed_ += taken;
        return Status::kRecord;
      }
    }
    if (!Refill()) return Status::kTooLong;
    if (error_) return Status::kReadError;
  }
}

std::vector<std::string> SplitCsvRecord(std::string_view raw) {
  std::vector<std::string> fields;
  std::string unquoted;
  const char* const end = raw.data() + raw.size();
  for (size_t i = 0;; ++i) {
    CsvRecord record;
    ScanCsvRecord(raw.data(), end, true, i, unquoted, record);
    if (!record.has_wanted) break;
    fields.emplace_back(record.wanted);
  }
  return fields;
}

// Writing --------------------------------------------------------------------

void AppendCsvField(std::string& out, std::string_view field) {
  if (!NeedsQuotes(field)) {
    out.append(field);
    return;
  }
  out.push_back('"');
  for (char c : field) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

void AppendWindows1252AsUtf8(std::string& out, std::string_view bytes) {
  const size_t at = out.size();
  out.resize(at + 3 * bytes.size());
  char* w = out.data() + at;
  for (char c : bytes) {
    const Utf8Char& u = kUtf8Of1252[static_cast<unsigned char>(c)];
    std::memcpy(w, u.bytes, 3);
    w += u.size;
  }
  out.resize(static_cast<size_t>(w - out.data()));
}

bool Utf8ToWindows1252(std::string_view text, std::string& out, uint32_t& bad) {
  out.clear();
  for (size_t i = 0; i < text.size();) {
    const uint32_t cp = NextCodePoint(text, i);
    const int b = cp == 0xFFFFFFFF ? -1 : ByteOf1252(cp);
    if (b < 0) {
      bad = cp;
      return false;
    }
    out.push_back(static_cast<char>(b));
  }
  return true;
}

// The run -------------------------------------------------------------------

namespace {

constexpr char kBatchUsage[] =
    "usage: tavo batch SYMBOLOGY --column NAME [--check] [--output-column NAME]\n"
    "                  [-i IN.csv] [-o OUT.csv] [--raw]\n"
    "  adds a column holding the font string of each row's value in column NAME\n"
    "  (default name: \"NAME font\"); standard input and output when -i / -o are\n"
    "  not given or are \"-\".  Font-string bytes above 127 are written as their\n"
    "  Windows-1252 characters in UTF-8, and values are read as UTF-8 the same way;\n"
    "  --raw passes both as bytes.  Failed rows get an empty cell and a line\n"
    "  \"row N: message\" on standard error (the header is row 1); exit status 1\n"
    "  when any row failed, 2 when the run could not be done.\n";

// Output in large blocks; remembers a failed write.
class Writer {
 public:
  explicit Writer(std::FILE* out) : out_(out) { buffer_.reserve(kBlock + 4096); }
  std::string& buffer() { return buffer_; }
  void MaybeFlush() {
    if (buffer_.size() >= kBlock) Flush();
  }
  bool Flush() {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size()) {
      ok_ = false;
    }
    buffer_.clear();
    return ok_;
  }
  bool Finish() { return Flush() && std::fflush(out_) == 0 && ok_; }

 private:
  static constexpr size_t kBlock = size_t{1} << 20;
  std::FILE* out_;
  std::string buffer_;
  bool ok_ = true;
};

// Rows, rows per second and time left on one terminal line, redrawn a few
// times a second once the run has taken a second.
class Progress {
 public:
  Progress(std::FILE* err, bool enabled, uint64_t total_bytes)
      : err_(err), enabled_(enabled), total_(total_bytes) {}
  void Update(uint64_t rows, uint64_t bytes) {
    if (!enabled_ || rows % 4096 != 0) return;
    const auto now = Clock::now();
    const double elapsed = Seconds(now - start_);
    if (elapsed < 1.0 || Seconds(now - last_) < 0.25) return;
    last_ = now;
    shown_ = true;
    const double rate = static_cast<double>(rows) / elapsed;
    std::string line = "\r" + std::to_string(rows) + " rows, " +
                       std::to_string(static_cast<uint64_t>(rate)) + " rows/s";
    if (total_ > 0 && bytes > 0 && bytes <= total_) {
      const double done = static_cast<double>(bytes) / static_cast<double>(total_);
      const int filled = static_cast<int>(done * 30);
      const auto left = static_cast<uint64_t>(elapsed / done - elapsed + 0.5);
      line = "\r[" + std::string(static_cast<size_t>(filled), '#') +
             std::string(static_cast<size_t>(30 - filled), '-') + "] " +
             std::to_string(static_cast<int>(done * 100)) + "% " + line.substr(1) + ", " +
             std::to_string(left) + " s left";
    }
    line += "   ";
    std::fputs(line.c_str(), err_);
    std::fflush(err_);
  }
  void Clear() {
    if (shown_) std::fputs("\r\x1B[K", err_);
  }

 private:
  using Clock = std::chrono::steady_clock;
  static double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
  std::FILE* err_;
  bool enabled_;
  uint64_t total_;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_ = start_;
  bool shown_ = false;
};

std::string Message(int32_t code) {
  char buf[160] = {};
  BC_StrErr(code, buf, sizeof buf - 1);
  return buf;
}

bool IsAscii(std::string_view s) {
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t v;
    std::memcpy(&v, s.data() + i, 8);
    if (v & 0x8080808080808080u) return false;
  }
  for (; i < s.size(); ++i) {
    if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
  }
  return true;
}

// Appends a font string as one CSV cell, its bytes as Windows-1252
// characters in UTF-8 unless `raw`: converted straight into the output, and
// quoted afterwards in the rare case it holds a comma, a quote or a line end.
void AppendFontCell(std::string& o, std::string_view font, bool raw) {
  // Most font strings are plain ASCII without a comma, quote or line end
  // (every Intelligent Mail and EAN string): copied as they are.
  bool plain = DigitsAndLetters(font);
  if (!plain) {
    plain = true;
    for (char c : font) plain &= !kPlainBytesNot[static_cast<unsigned char>(c)];
  }
  if (plain) {
    o.append(font);
    return;
  }
  const size_t at = o.size();
  bool quote = false;
  if (raw) {
    for (char c : font) quote |= kQuoteBytes[static_cast<unsigned char>(c)];
    o.append(font);
  } else {
    o.resize(at + 3 * font.size());
    char* w = o.data() + at;
    for (char c : font) {
      const auto b = static_cast<unsigned char>(c);
      const Utf8Char& u = kUtf8Of1252[b];
      std::memcpy(w, u.bytes, 3);
      w += u.size;
      quote |= kQuoteBytes[b];
    }
    o.resize(static_cast<size_t>(w - o.data()));
  }
  if (quote) {
    const std::string cell = o.substr(at);
    o.resize(at);
    AppendCsvField(o, cell);
  }
}

std::string CodePointName(uint32_t cp) {
  if (cp == 0xFFFFFFFF) return "a byte sequence that is not UTF-8";
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return std::string("the character ") + buf;
}

// Translates one value; the font string goes to `font`, or the reason it
// failed to `why`.
class Translator {
 public:
  Translator(int32_t symbology, bool check, bool raw) : symbology_(symbology), check_(check), raw_(raw) {}

  bool Translate(std::string_view value, std::string_view& font, std::string& why) {
    if (!raw_ && !IsAscii(value)) {
      uint32_t bad = 0;
      if (!Utf8ToWindows1252(value, converted_, bad)) {
        why = "the value holds " + CodePointName(bad) +
              ", which has no Windows-1252 byte (--raw passes bytes unchanged)";
        return false;
      }
      value = converted_;
    }
    if (value.find('\0') != std::string_view::npos) {
      why = "the value holds a NUL byte";
      return false;
    }
    c_value_.assign(value);
    const size_t want = value.size() * 8 + 64;
    if (out_.size() < want) out_.resize(want);
    // A result longer than the buffer is refused with the code an encoder
    // also gives for a value too long (32510): one retry with a buffer four
    // times as large tells the two apart.
    for (bool retried = false;; retried = true) {
      int32_t len = 0;
      const int32_t rc = BC_FontTranslate(symbology_, c_value_.c_str(), check_ ? 1 : 0, out_.data(),
                                          static_cast<int32_t>(std::min<size_t>(out_.size(), INT32_MAX)),
                                          &len);
      if (rc == BC_FONT_ERR_TOO_MANY_CHARACTERS && !retried) {
        out_.resize(std::max(out_.size(), want * 4));  // bounded by the value, whatever the rows before
        continue;
      }
      if (rc != 0) {
        why = Message(rc);
        return false;
      }
      font = std::string_view(out_.data(), static_cast<size_t>(len));
      return true;
    }
  }

 private:
  int32_t symbology_;
  bool check_;
  bool raw_;
  std::string converted_;
  std::string c_value_;
  std::vector<char> out_;
};

// The header: where the value column is.  -1 after a message on `err`.
long FindColumns(const std::vector<std::string>& header, const std::string& column,
                 const std::string& output_column, std::FILE* err) {
  const auto it = std::find(header.begin(), header.end(), column);
  if (it == header.end()) {
    std::string names;
    for (const std::string& h : header) names += (names.empty() ? "\"" : ", \"") + h + "\"";
    std::fprintf(err, "tavo: the header row has no column \"%s\" (its columns: %s)\n", column.c_str(),
                 names.c_str());
    return -1;
  }
  if (std::find(header.begin(), header.end(), output_column) != header.end()) {
    std::fprintf(err,
                 "tavo: the header row already has a column \"%s\"; name the new column with "
                 "--output-column\n",
                 output_column.c_str());
    return -1;
  }
  return static_cast<long>(it - header.begin());
}

}  // namespace

int RunBatch(const BatchOptions& options, std::FILE* in, std::FILE* out, std::FILE* err) {
  CsvReader reader(in, options.block);
  CsvRecord record;
  CsvReader::Status status = reader.Next(0, record);
  if (status != CsvReader::Status::kRecord) {
    std::fputs(status == CsvReader::Status::kEnd ? "tavo: the input is empty; it needs a header row\n"
                                                 : "tavo: cannot read the input\n",
               err);
    return 2;
  }
  const std::vector<std::string> header = SplitCsvRecord(record.raw);
  const std::string output_column =
      options.output_column.empty() ? options.column + " font" : options.output_column;
  const long found = FindColumns(header, options.column, output_column, err);
  if (found < 0) return 2;
  const auto column = static_cast<size_t>(found);
  // Rows end as the header ends; a header without a line end gets CRLF.
  const std::string line_end(record.line_end.empty() ? std::string_view("\r\n") : record.line_end);

  Writer writer(out);
  std::string& o = writer.buffer();
  if (reader.had_bom()) o.append(kBom);
  o.append(record.raw).push_back(',');
  AppendCsvField(o, output_column);
  o.append(line_end);

  Translator translator(options.symbology, options.check, options.raw);
  Progress progress(err, options.progress, options.input_size);
  std::string why;
  uint64_t row = 1;
  uint64_t translated = 0;
  uint64_t failed = 0;
  while ((status = reader.Next(column, record)) == CsvReader::Status::kRecord) {
    ++row;
    if (record.raw.empty()) {  // a blank line stays one
      o.append(record.line_end.empty() ? std::string_view() : std::string_view(line_end));
      continue;
    }
    std::string_view font;
    bool ok = false;
    if (record.unterminated_quote) {
      why = "a quoted field is not closed before the end of the input";
    } else if (!record.has_wanted) {
      why = "the row has no cell in column \"" + options.column + "\"";
    } else {
      ok = translator.Translate(record.wanted, font, why);
    }
    o.append(record.raw);
    for (size_t f = record.fields; f < header.size(); ++f) o.push_back(',');  // short rows padded
    o.push_back(',');
    if (ok) {
      ++translated;
      AppendFontCell(o, font, options.raw);
    } else {
      ++failed;
      progress.Clear();
      std::fprintf(err, "row %llu: %s\n", static_cast<unsigned long long>(row), why.c_str());
    }
    o.append(record.line_end.empty() ? std::string_view(line_end) : record.line_end);
    writer.MaybeFlush();
    progress.Update(row, reader.consumed());
  }
  progress.Clear();
  const bool written = writer.Finish();
  std::fprintf(err, "tavo: %llu rows translated, %llu failed\n",
               static_cast<unsigned long long>(translated), static_cast<unsigned long long>(failed));
  if (status == CsvReader::Status::kTooLong) {
    std::fprintf(err, "tavo: row %llu is longer than %zu bytes; stopped\n",
                 static_cast<unsigned long long>(row + 1), CsvReader::kMaxRecord);
    return 2;
  }
  if (status == CsvReader::Status::kReadError || !written) {
    std::fputs(written ? "tavo: cannot read the input\n" : "tavo: cannot write the output\n", err);
    return 2;
  }
  return failed ? 1 : 0;
}

int RunBatchCommand(int argc, char** argv) {
  auto usage = [](const char* why) {
    std::fprintf(stderr, "tavo: %s\n%s", why, kBatchUsage);
    return 2;
  };
  BatchOptions options;
  std::optional<int32_t> symbology;
  std::string input = "-";
  std::string output = "-";
  bool have_column = false;
  for (int i = 2; i < argc; ++i) {
    const std::string_view a = argv[i];
    const bool takes = a == "--column" || a == "--output-column" || a == "-i" || a == "-o";
    if (takes && i + 1 == argc) return usage("an option lacks its value");
    if (a == "--column") {
      options.column = argv[++i];
      have_column = true;
    } else if (a == "--output-column") {
      options.output_column = argv[++i];
    } else if (a == "-i") {
      input = argv[++i];
    } else if (a == "-o") {
      output = argv[++i];
    } else if (a == "--check") {
      options.check = true;
    } else if (a == "--raw") {
      options.raw = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return usage("bad option");
    } else if (!symbology) {
      symbology = cli::ParseSymbology(a);
      if (!symbology) return usage("unknown symbology");
    } else {
      return usage("batch takes one SYMBOLOGY");
    }
  }
  if (!symbology) return usage("batch takes SYMBOLOGY");
  if (!have_column) return usage("batch needs --column NAME");
  {
    char probe[8];
    int32_t len = 0;
    if (BC_FontTranslate(*symbology, "", 0, probe, 0, &len) == BC_FONT_ERR_UNKNOWN_SYMBOLOGY) {
      return usage("unknown symbology");
    }
  }
  options.symbology = *symbology;
  if (input != "-" && input == output) return usage("-o may not name the input file");
  std::FILE* in = input == "-" ? stdin : std::fopen(input.c_str(), "rb");
  if (!in) {
    std::fprintf(stderr, "tavo: cannot open %s: %s\n", input.c_str(), std::strerror(errno));
    return 2;
  }
  std::FILE* out = output == "-" ? stdout : std::fopen(output.c_str(), "wb");
  if (!out) {
    std::fprintf(stderr, "tavo: cannot write %s: %s\n", output.c_str(), std::strerror(errno));
    if (in != stdin) std::fclose(in);
    return 2;
  }
  if (std::fseek(in, 0, SEEK_END) == 0) {
    const long size = std::ftell(in);
    if (size > 0) options.input_size = static_cast<uint64_t>(size);
    std::rewind(in);
  }
  options.progress = isatty(fileno(stderr)) != 0;
  const int status = RunBatch(options, in, out, stderr);
  if (in != stdin) std::fclose(in);
  if (out != stdout && std::fclose(out) != 0 && status != 2) {
    std::fprintf(stderr, "tavo: cannot write %s\n", output.c_str());
    return 2;
  }
  return status;
}

}  // namespace tavo::batch
