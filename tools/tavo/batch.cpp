// tavo batch: CSV in, the same CSV out with each row's font string added.
#include "batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "batch_io.h"
#include "symbologies/registry.h"
#include "tavo32.h"

namespace tavo::batch {
namespace {

using csv::LineEnd;
using text::Encoding;

// The registry's short names and longest values, copied when compiling: the
// tool links the shared library, which does not export the encoders the
// rows point to.
struct Limit {
  int32_t code;
  std::string_view name;
  size_t max_value_length;
};
constexpr auto kLimits = [] {
  std::array<Limit, tavo::Symbologies().size()> rows{};
  for (size_t i = 0; i < rows.size(); ++i) {
    const tavo::SymbologyInfo& s = tavo::Symbologies()[i];
    rows[i] = Limit{s.code, s.name, s.max_value_length};
  }
  return rows;
}();

const Limit* LimitOf(int32_t symbology) {
  for (const Limit& l : kLimits) {
    if (l.code == symbology) return &l;
  }
  return nullptr;
}

// The header row: at most this many bytes of names (and
// csv::RecordInfo::kMaxCollected columns).
constexpr size_t kHeaderBytes = size_t{16} << 20;

// Run::Go's status when the input, taken as UTF-8 on its first MiB, is not.
constexpr int kStartAgain = -1;

std::string Message(int32_t code) {
  char buf[160] = {};
  BC_StrErr(code, buf, sizeof buf - 1);
  return buf;
}

std::string Count(uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The registry's text rule: the 2D symbologies take text as UTF-8, as `tavo
// translate` and the bindings hand it over; the linear symbologies take
// Windows-1252 bytes, the characters of their fonts.
bool TakesUtf8(int32_t symbology) {
  const SymbologyInfo* row = FindSymbology(symbology);
  return row && row->text != TextRule::kWindows1252;
}

// Bytes 1..127 only: sixteen at a time where SSE2 is (a byte above 127 is
// negative, a zero byte equal to zero), else eight at a time (no top bit set
// and no zero byte: the classic test, a byte is zero when subtracting one
// borrows into its top bit while the byte itself had it clear), the last
// sixteen or eight overlapping the others; byte by byte below eight.
bool AsciiWithoutNul(std::string_view s) {
  const size_t n = s.size();
#if defined(__SSE2__)
  if (n >= 16) {
    auto bad = [&](size_t at) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + at));
      return _mm_or_si128(v, _mm_cmpeq_epi8(v, _mm_setzero_si128()));
    };
    __m128i any = bad(n - 16);
    for (size_t i = 0; i + 16 < n; i += 16) any = _mm_or_si128(any, bad(i));
    return _mm_movemask_epi8(any) == 0;
  }
#endif
  if (n >= 8) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kTop = 0x8080808080808080u;
    auto bad = [&](size_t at) {
      uint64_t v;
      std::memcpy(&v, s.data() + at, 8);
      return (v | ((v - kOnes) & ~v)) & kTop;
    };
    uint64_t any = bad(n - 8);
    for (size_t i = 0; i + 8 < n; i += 8) any |= bad(i);
    return any == 0;
  }
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b == 0 || b > 0x7F) return false;
  }
  return true;
}

// Translates one cell; the font string goes to `font`, or the reason it
// failed to `why`.
class Translator {
 public:
  Translator(const BatchOptions& options, Encoding parsed)
      : symbology_(options.symbology), check_(options.check), raw_(options.raw), parsed_(parsed),
        max_(MaxValueLength(options.symbology)) {}

  // The longest value TranslateShort takes.
  static constexpr size_t kShort = 256;

  // The room a result of TranslateShort may need.
  static constexpr size_t kShortOut = kShort * 8 + 8192;

  // A cell of up to kShort bytes of ASCII without NUL (nearly every cell:
  // the library takes it as it is) straight from the reader's buffer; false
  // for any other cell, or when the library refuses it: Translate then
  // judges it again and says why.  The result goes to `into` (kShortOut
  // bytes) when given, to a buffer of its own otherwise.
  bool TranslateShort(std::string_view cell, std::string_view& font, char* into = nullptr) {
    if (cell.size() > kShort) return false;
    std::memcpy(short_value_, cell.data(), cell.size());
    if (!into) {
      if (short_out_.empty()) short_out_.resize(kShortOut);
      into = short_out_.data();
    }
    return TranslateShortAt(short_value_, cell.size(), into, font);
  }

  // The same for the n bytes at `cell`, whose next byte ends the value for
  // the time of the call (it is put back): no copy of the cell.
  bool TranslateShortAt(char* cell, size_t n, char* into, std::string_view& font) {
    if (n > kShort || !AsciiWithoutNul(std::string_view(cell, n))) return false;
    const char after = cell[n];
    cell[n] = '\0';
    int32_t len = 0;
    const int32_t rc = BC_FontTranslate(symbology_, cell, check_, into, static_cast<int32_t>(kShortOut), &len);
    cell[n] = after;
    if (rc != 0) return false;
    font = std::string_view(into, static_cast<size_t>(len));
    return true;
  }

  bool Translate(const std::string& cell, std::string_view& font, std::string& why) {
    const std::string* value = ValueOf(cell, why);
    if (!value) return false;
    const size_t want = value->size() * 8 + 8192;
    if (out_.size() < want) out_.resize(want);
    // A result longer than the buffer is refused with the code an encoder
    // also gives for a value too long: one retry with a buffer four times
    // as large tells the two apart.  The value is bounded, so is the buffer.
    for (bool retried = false;; retried = true) {
      int32_t len = 0;
      const int32_t rc = BC_FontTranslate(symbology_, value->c_str(), check_, out_.data(),
                                          static_cast<int32_t>(std::min<size_t>(out_.size(), INT32_MAX)),
                                          &len);
      if (rc == BC_FONT_ERR_TOO_MANY_CHARACTERS && !retried) {
        out_.resize(std::max(out_.size(), want * 4));
        continue;
      }
      if (rc != 0) {
        why = std::to_string(rc) + " " + Message(rc);  // the code, as every surface gives it
        return false;
      }
      font = std::string_view(out_.data(), static_cast<size_t>(len));
      return true;
    }
  }

 private:
  // The bytes the library takes for a cell's text (the cell itself, or its
  // conversion); nullptr, with the reason in `why`, when there are none.
  const std::string* ValueOf(const std::string& cell, std::string& why) {
    const std::string* value = &cell;
    if (!raw_ && !text::IsAscii(cell)) {
      if (TakesUtf8(symbology_) && parsed_ == Encoding::kWindows1252) {
        converted_.clear();
        text::Append1252AsUtf8(converted_, cell);
        value = &converted_;
      } else if (!TakesUtf8(symbology_) && parsed_ == Encoding::kUtf8) {
        uint32_t bad = 0;
        if (!text::Utf8To1252(cell, converted_, bad)) {
          why = std::to_string(BC_FONT_ERR_ILLEGAL_CHARACTER) + " the value holds " + text::DescribeCodePoint(bad) +
                ", which has no Windows-1252 byte (the font's characters)";
          return nullptr;
        }
        value = &converted_;
      }
    }
    if (value->find('\0') != std::string::npos) {
      why = "the value holds a NUL byte";
      return nullptr;
    }
    // Beyond a symbology's own limit the library judges (its code differs:
    // 32560 for a QR Code, 32510 for MSI); the reader held at most three
    // times the limit.  Without a limit of its own, the tool's stops it.
    if (value->size() > max_ && RegistryMaxValueLength(symbology_) == 0) {
      why = std::to_string(BC_FONT_ERR_TOO_MANY_CHARACTERS) + " the value is " + std::to_string(value->size()) +
            " bytes long; " + LongestText();
      return nullptr;
    }
    return value;
  }

  std::string LongestText() const {
    const Limit* l = LimitOf(symbology_);
    const std::string name = l ? std::string(l->name) : std::to_string(symbology_);
    return name + " takes at most " + std::to_string(max_) +
           (l && l->max_value_length ? "" : " in tavo batch");
  }

  int32_t symbology_;
  int32_t check_;
  bool raw_;
  Encoding parsed_;
  size_t max_;
  std::string converted_;
  std::vector<char> out_;
  char short_value_[kShort + 1] = {};
  std::vector<char> short_out_;
};

// Whether a font string needs neither quotes nor conversion (no byte above
// 127, no delimiter, quote or line end), so it is written as it is.
// Sixteen bytes at a time where SSE2 is, the last sixteen overlapping the
// others, with one verdict at the end; there every byte below a space
// counts as needing care, which only sends the rare string with another
// control character the longer way (WriteFont), to the same bytes.  Byte by
// byte through a table of classes elsewhere.  Set up once for the run's
// delimiter.
class AsItIs {
 public:
  explicit AsItIs(char delimiter = ',') : delimiter_(delimiter) {
    for (size_t b = 0x80; b < 256; ++b) classes_[b] = 1;
    for (char c : {delimiter, '"', '\r', '\n'}) classes_[static_cast<unsigned char>(c)] = 1;
#if defined(__SSE2__)
    delimiters_ = _mm_set1_epi8(delimiter);
#endif
  }
  bool operator()(std::string_view font) const {
#if defined(__SSE2__)
    if (font.size() >= 16) {
      auto care = [&](const char* at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        // Signed bytes: those above 127 are below a space too.
        return _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(' ')),
                            _mm_or_si128(_mm_cmpeq_epi8(v, delimiters_), _mm_cmpeq_epi8(v, _mm_set1_epi8('"'))));
      };
      const char* const last = font.data() + font.size() - 16;
      __m128i any = care(last);
      for (const char* p = font.data(); p < last; p += 16) any = _mm_or_si128(any, care(p));
      return _mm_movemask_epi8(any) == 0;
    }
#endif
    uint8_t any = 0;
    for (char c : font) any |= classes_[static_cast<unsigned char>(c)];
    return any == 0;
  }
  char delimiter() const { return delimiter_; }

 private:
  char delimiter_;
  std::array<uint8_t, 256> classes_{};
#if defined(__SSE2__)
  __m128i delimiters_;
#endif
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
    std::string line = std::to_string(rows) + " rows, " + std::to_string(static_cast<uint64_t>(rate)) + " rows/s";
    if (total_ > 0 && bytes > 0 && bytes <= total_) {
      const double done = static_cast<double>(bytes) / static_cast<double>(total_);
      const int filled = static_cast<int>(done * 30);
      const auto left = static_cast<uint64_t>(elapsed / done - elapsed + 0.5);
      line = "[" + std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(30 - filled), '-') +
             "] " + std::to_string(static_cast<int>(done * 100)) + "% " + line + ", " + std::to_string(left) +
             " s left";
    }
    std::fprintf(err_, "\r%s   ", line.c_str());
    std::fflush(err_);
  }
  void Clear() {
    if (shown_) std::fputs("\r\x1B[K", err_);
    shown_ = false;
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

// A header name as matched loosely: spaces around it trimmed, ASCII letters
// in lower case.
std::string Folded(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  std::string out(s);
  for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return out;
}

// "3" -> 2 (a field's number from 1), or nullopt.
std::optional<size_t> FieldNumber(std::string_view s, size_t count) {
  if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != s.npos) return std::nullopt;
  const size_t n = std::stoul(std::string(s));
  if (n == 0 || n > count) return std::nullopt;
  return n - 1;
}

// Where the value column is: an exact name, else a loose one, else a
// number.  nullopt after a message on `err` (if not null).
std::optional<size_t> FindColumn(const csv::RecordInfo& header, const std::string& column, std::FILE* err) {
  std::vector<size_t> exact, loose;
  const std::string folded = Folded(column);
  for (size_t i = 0; i < header.Count(); ++i) {
    if (header.Field(i) == column) {
      exact.push_back(i);
    } else if (exact.empty() && Folded(header.Field(i)) == folded) {
      loose.push_back(i);
    }
  }
  const std::vector<size_t>& found = exact.empty() ? loose : exact;
  if (found.size() == 1) return found[0];
  if (found.size() > 1) {
    if (!err) return std::nullopt;
    std::fprintf(err, "tavo: --column \"%s\" matches column %zu (\"%.*s\") and column %zu (\"%.*s\"); "
                      "give the column's number instead, e.g. --column %zu\n",
                 column.c_str(), found[0] + 1, static_cast<int>(header.Field(found[0]).size()),
                 header.Field(found[0]).data(), found[1] + 1, static_cast<int>(header.Field(found[1]).size()),
                 header.Field(found[1]).data(), found[1] + 1);
    return std::nullopt;
  }
  if (auto n = FieldNumber(column, header.Count())) return n;
  if (!err) return std::nullopt;
  std::string names;
  for (size_t i = 0; i < header.Count() && i < 50; ++i) {
    names += (names.empty() ? "\"" : ", \"") + std::string(header.Field(i)) + "\"";
  }
  if (header.Count() > 50) names += ", ...";
  std::fprintf(err, "tavo: the header row has no column \"%s\" (its columns: %s)\n", column.c_str(), names.c_str());
  return std::nullopt;
}

}  // namespace

size_t RegistryMaxValueLength(int32_t symbology) {
  const Limit* l = LimitOf(symbology);
  return l ? l->max_value_length : 0;
}

size_t MaxValueLength(int32_t symbology) {
  const size_t registry = RegistryMaxValueLength(symbology);
  return registry ? registry : kToolValueLimit;
}

namespace {

// One run: the header, then row after row.
class Run {
 public:
  Run(const BatchOptions& options, InputSource& source, Output& output, std::FILE* err)
      : options_(options), source_(source), out_(output), err_(err),
        reader_(source, ',', options.block, options.hold), translator_(options, source.parsed()),
        progress_(err, options.progress, options.input_size) {}

  // The status, or kStartAgain.
  int Go() {
    if (!Header() || !Rows()) return source_.contradicted() ? kStartAgain : 2;
    if (!Settle()) return kStartAgain;
    progress_.Clear();
    std::fprintf(err_, "tavo: %s translated, %s empty, %s failed\n", Count(translated_, "row", "rows").c_str(),
                 std::to_string(empty_).c_str(), std::to_string(failed_).c_str());
    if (!out_.Finish()) {
      Stop("cannot write the output");
      return 2;
    }
    return failed_ ? 1 : 0;
  }

 private:
  // A message for a run that cannot go on (its callers return false).
  int Stop(const std::string& why) {
    if (!Settle()) return 0;
    progress_.Clear();
    std::fprintf(err_, "tavo: %s\n", why.c_str());
    return 0;
  }
  bool Unwritable() {
    Stop("row " + std::to_string(row_) + ": " + text::DescribeCodePoint(out_.bad()) + " cannot be written in " +
         std::string(text::EncodingName(*options_.output_encoding)) + "; choose another --output-encoding");
    return false;
  }
  bool ReadFailed() {
    Stop(source_.failed() ? source_.error() : "cannot read the input");
    return false;
  }

  bool Settle();
  void SayHow();
  bool Header();
  bool HeaderNames(const csv::RecordInfo& header);
  bool Rows();
  bool Row(const csv::RecordInfo& info, std::string_view piece, bool streamed);
  bool PlainRow(const csv::PlainView& view);
  bool RowInPlace(const csv::PlainView& view);
  bool PlainRowAsRow(const csv::PlainView& view);
  bool RowProblem(const csv::RecordInfo& info, std::string& why, bool& empty);
  void WriteFont(std::string& o, std::string_view font);

  const BatchOptions& options_;
  InputSource& source_;
  Output& out_;
  std::FILE* err_;
  csv::Reader reader_;
  Translator translator_;
  Progress progress_;
  char delimiter_ = ',';
  size_t fields_ = 0;  // the header's
  size_t column_ = 0;
  std::string column_name_;
  std::string header_line_end_;
  std::string font_text_;
  AsItIs as_it_is_;  // for the run's delimiter, once it is known
  // A plain row whose record leaves room for the longest short result is
  // put together here, the library writing the font string in place, and
  // appended in one step (growing the output by resize would first clear
  // the bytes, and the font string would be copied twice).
  static constexpr size_t kRowScratch = Translator::kShortOut + 8192;
  std::vector<char> row_scratch_;
  size_t value_cap_ = 0;        // the longest cell read as a value
  csv::RecordInfo plain_info_;  // a plain record's, when Row must judge it
  uint64_t row_ = 1;
  uint64_t translated_ = 0, empty_ = 0, failed_ = 0;
};

// Before anything is said on standard error (which a run started again
// could not take back): an encoding taken on the first MiB alone is settled,
// and said.  False when the input is not UTF-8 after all.
bool Run::Settle() {
  if (!source_.provisional()) return !source_.contradicted();
  if (!source_.Settle()) return false;
  SayHow();
  return true;
}

void Run::SayHow() {
  if (!source_.how().empty()) std::fprintf(err_, "tavo: reading the input %s\n", source_.how().c_str());
}

bool Run::Header() {
  if (!source_.provisional()) SayHow();
  if (options_.progress && !Settle()) return false;  // progress is said all along
  delimiter_ = options_.delimiter ? options_.delimiter : csv::DetectDelimiter(reader_.Peek());
  reader_.set_delimiter(delimiter_);
  as_it_is_ = AsItIs(delimiter_);
  const Encoding written = options_.output_encoding.value_or(source_.encoding());
  // UTF-16 always has its mark; UTF-8 when the input had one, or was
  // converted (Excel reads UTF-8 without a mark as its ANSI code page).
  const bool mark = written == Encoding::kUtf16Le || written == Encoding::kUtf16Be ||
                    (written == Encoding::kUtf8 && (source_.had_mark() || source_.encoding() != written));
  if (options_.raw && source_.had_mark()) {
    out_.Raw(text::ByteOrderMark(Encoding::kUtf8));  // bytes: the mark as it came
  } else if (mark && !options_.raw) {
    out_.Raw(text::ByteOrderMark(written));
  }
  csv::ReadPlan plan;
  plan.collect_all = true;
  plan.value_cap = kHeaderBytes;
  csv::RecordInfo header;
  for (;;) {
    const csv::Reader::Status status = reader_.Next(plan, header);
    if (status == csv::Reader::Status::kEnd) return Stop("the input is empty; it needs a header row"), false;
    if (status == csv::Reader::Status::kReadError) return ReadFailed();
    out_.Text().append(reader_.piece());
    if (!out_.End()) return Unwritable();
    if (status == csv::Reader::Status::kRecord) break;
  }
  if (header.too_long) return Stop("the header row is longer than 16 MiB or 4 Mi columns"), false;
  return HeaderNames(header);
}

bool Run::HeaderNames(const csv::RecordInfo& header) {
  if (header.unterminated_quote) return Stop("a quoted name in the header row is not closed"), false;
  const std::optional<size_t> column = FindColumn(header, options_.column, nullptr);
  if (!column) {
    if (Settle()) FindColumn(header, options_.column, err_);  // now says why
    return false;
  }
  column_ = *column;
  fields_ = header.Count();
  column_name_ = header.Field(column_);
  const std::string name = options_.output_column.empty() ? column_name_ + " font" : options_.output_column;
  for (size_t i = 0; i < header.Count(); ++i) {
    if (header.Field(i) == name) {
      return Stop("the header row already has a column \"" + name + "\"; name the new column with --output-column"),
             false;
    }
  }
  // Rows end as the header ends; a header without a line end gets CRLF.
  header_line_end_ = header.line_end == LineEnd::kNone ? "\r\n" : csv::LineEndText(header.line_end);
  std::string& o = out_.Text();
  o.push_back(delimiter_);
  csv::AppendField(o, name, delimiter_);
  o.append(header_line_end_);
  return out_.End() || Unwritable();
}

bool Run::Rows() {
  csv::ReadPlan plan;
  plan.wanted = column_;
  plan.value_cap = value_cap_ = 3 * MaxValueLength(options_.symbology) + 4;  // UTF-8 may take 3 bytes a character
  plan.last_field = fields_ - 1;
  csv::RecordInfo info;
  csv::PlainView view;
  bool streamed = false;  // the record came in pieces
  for (;;) {
    if (!streamed && reader_.NextPlain(column_, fields_, view)) {
      if (!PlainRow(view)) return false;
      progress_.Update(row_, reader_.consumed());
      continue;
    }
    const csv::Reader::Status status = reader_.Next(plan, info);
    if (status == csv::Reader::Status::kEnd) return !source_.failed() || ReadFailed();
    if (status == csv::Reader::Status::kReadError) return ReadFailed();
    if (!streamed) ++row_;
    if (status == csv::Reader::Status::kPart) {
      streamed = true;
      out_.Text().append(reader_.piece());
      if (!out_.End()) return Unwritable();
      continue;
    }
    if (!Row(info, reader_.piece(), streamed)) return false;
    streamed = false;
    progress_.Update(row_, reader_.consumed());
  }
}

// Why a row gets no font string ("" when it may), and whether its cell is
// empty.
bool Run::RowProblem(const csv::RecordInfo& info, std::string& why, bool& empty) {
  empty = false;
  if (info.unterminated_quote) {
    why = "a quoted field is not closed before the end of the input";
  } else if (info.fields != fields_) {
    why = "the row has " + std::to_string(info.fields) + " fields where the header has " + std::to_string(fields_);
    if (info.fields > fields_) why += "; those from column " + std::to_string(fields_) + " on are kept in that column";
  } else if (info.too_long) {
    why = std::to_string(BC_FONT_ERR_TOO_MANY_CHARACTERS) + " the value is longer than " +
          std::to_string(MaxValueLength(options_.symbology)) + " bytes, the most " +
          std::string(LimitOf(options_.symbology) ? LimitOf(options_.symbology)->name : "it") + " takes here";
  } else if (info.wanted.empty()) {
    empty = true;
    if (options_.empty == EmptyCells::kFail) why = "the cell is empty";
  }
  return !why.empty();
}

// A plain row at w: the record, the delimiter, the font string and the line
// end.
void PutRow(char* w, std::string_view text, char delimiter, std::string_view font, std::string_view end) {
  std::memcpy(w, text.data(), text.size());
  w += text.size();
  *w++ = delimiter;
  std::memcpy(w, font.data(), font.size());
  w += font.size();
  for (char c : end) *w++ = c;
}

void Run::WriteFont(std::string& o, std::string_view font) {
  if (as_it_is_(font)) {
    o.append(font);
    return;
  }
  if (source_.parsed() == Encoding::kUtf8 && !options_.raw) {
    font_text_.clear();
    text::Append1252AsUtf8(font_text_, font);
    font = font_text_;
  }
  csv::AppendField(o, font, delimiter_);
}

bool Run::Row(const csv::RecordInfo& info, std::string_view piece, bool streamed) {
  std::string& o = out_.Text();
  if (!streamed && info.Blank()) {  // a blank line stays one, and is no row
    o.append(csv::LineEndText(info.line_end));
    return out_.End() || Unwritable();
  }
  std::string why;
  bool empty = false;
  std::string_view font;
  const bool ok = !RowProblem(info, why, empty) && (empty || translator_.Translate(info.wanted, font, why));
  if (info.fields > fields_) {
    if (streamed) {
      return Stop("row " + std::to_string(row_) + " is longer than " + std::to_string(options_.hold >> 20) +
                  " MiB and has more fields than the header; it cannot be written in line"),
             false;
    }
    const size_t last = std::min<size_t>(info.last_start, piece.size());
    o.append(piece.substr(0, last));
    csv::AppendField(o, piece.substr(last), delimiter_);
  } else {
    o.append(piece);
    if (info.unterminated_quote) o.push_back('"');  // closed, or it would swallow the new column
    o.append(fields_ - info.fields, delimiter_);    // short rows padded
  }
  o.push_back(delimiter_);
  if (ok && !empty) WriteFont(o, font);
  o.append(info.line_end == LineEnd::kNone ? std::string_view(header_line_end_) : csv::LineEndText(info.line_end));
  if (!out_.End()) return Unwritable();
  if (!ok) {
    ++failed_;
    if (!Settle()) return false;
    progress_.Clear();
    std::fprintf(err_, "row %llu, column \"%s\": %s\n", static_cast<unsigned long long>(row_), column_name_.c_str(),
                 why.c_str());
  } else {
    ++(empty ? empty_ : translated_);
  }
  return true;
}

// A plain row's record, delimiter, font string and line end, put together
// straight in the output block: the record copied there, the cell read by
// the library where it lies in that copy, the font string written after
// it.  False, with nothing written, when the cell is not short ASCII, the
// library refuses it or the record is too long; Row then judges it.
bool Run::RowInPlace(const csv::PlainView& view) {
  const size_t lead = view.text.size() + 1;  // the record and the delimiter
  if (lead + Translator::kShortOut + 2 > Output::kRoom) return false;
  char* const row = out_.Room();
  std::memcpy(row, view.text.data(), view.text.size());
  char* const cell = row + (view.wanted.data() - view.text.data());
  std::string_view font;
  if (!translator_.TranslateShortAt(cell, view.wanted.size(), row + lead, font)) return false;
  const std::string_view end = csv::LineEndText(view.line_end);
  if (!as_it_is_(font)) {  // quoted: by the text
    std::string& o = out_.Text();
    o.append(view.text);
    o.push_back(delimiter_);
    WriteFont(o, font);
    o.append(end);
    out_.End();  // true: nothing is converted
    return true;
  }
  row[lead - 1] = delimiter_;  // after the call: the cell may end there
  char* w = row + lead + font.size();
  for (char c : end) *w++ = c;
  out_.Commit(static_cast<size_t>(w - row));
  return true;
}

// A record NextPlain handed out: as Row writes it, without copying the cell
// when the library takes it as it is.
bool Run::PlainRow(const csv::PlainView& view) {
  ++row_;
  if (out_.Identity()) {
    if (!view.wanted.empty() && view.wanted.size() <= value_cap_ && RowInPlace(view)) {
      ++translated_;
      return true;
    }
    return PlainRowAsRow(view);
  }
  std::string_view font;
  const size_t lead = view.text.size() + 1;  // the record and the delimiter
  if (row_scratch_.empty()) row_scratch_.resize(kRowScratch);
  char* const in_place = lead + Translator::kShortOut + 2 <= kRowScratch ? row_scratch_.data() + lead : nullptr;
  if (!view.wanted.empty() && view.wanted.size() <= value_cap_ &&
      translator_.TranslateShort(view.wanted, font, in_place)) {
    std::string& o = out_.Text();
    const std::string_view end = csv::LineEndText(view.line_end);
    if (!as_it_is_(font)) {
      o.append(view.text);
      o.push_back(delimiter_);
      WriteFont(o, font);
      o.append(end);
    } else if (in_place) {  // record, delimiter, font string and line end at once
      char* w = row_scratch_.data();
      std::memcpy(w, view.text.data(), view.text.size());
      w[lead - 1] = delimiter_;
      w += lead + font.size();
      for (char c : end) *w++ = c;
      o.append(row_scratch_.data(), static_cast<size_t>(w - row_scratch_.data()));
    } else {
      const size_t at = o.size();
      o.resize(at + lead + font.size() + end.size());
      PutRow(o.data() + at, view.text, delimiter_, font, end);
    }
    if (!out_.End()) return Unwritable();
    ++translated_;
    return true;
  }
  return PlainRowAsRow(view);
}

// A plain record the short paths did not take, judged by Row.
bool Run::PlainRowAsRow(const csv::PlainView& view) {
  csv::RecordInfo& info = plain_info_;  // what Next would have noted
  info.fields = fields_;
  info.size = view.text.size();
  info.last_start = view.last_start;
  info.has_wanted = true;
  info.too_long = view.wanted.size() > value_cap_;
  info.unterminated_quote = false;
  info.line_end = view.line_end;
  info.wanted.assign(view.wanted.substr(0, value_cap_));
  return Row(info, view.text, false);
}

}  // namespace

namespace {

// Where a run may start again: both ends regular files that seek, the
// output neither appended to (its offset says nothing of what it held) nor
// shared with standard error; their offsets now.
struct Rewind {
  long in = -1, out = -1;
};
std::optional<Rewind> RewindOf(std::FILE* in, std::FILE* out, std::FILE* err) {
  struct stat in_st {}, out_st {}, err_st {};
  if (fstat(fileno(in), &in_st) != 0 || fstat(fileno(out), &out_st) != 0 || !S_ISREG(in_st.st_mode) ||
      !S_ISREG(out_st.st_mode)) {
    return std::nullopt;
  }
  const int flags = fcntl(fileno(out), F_GETFL);
  if (flags < 0 || (flags & O_APPEND) != 0) return std::nullopt;
  const int err_fd = fileno(err);
  if (err_fd >= 0 && (fstat(err_fd, &err_st) != 0 ||
                      (err_st.st_dev == out_st.st_dev && err_st.st_ino == out_st.st_ino))) {
    return std::nullopt;
  }
  const Rewind at{std::ftell(in), std::ftell(out)};
  if (at.in < 0 || at.out < 0) return std::nullopt;
  return at;
}

bool StartAgain(std::FILE* in, std::FILE* out, const Rewind& at) {
  std::clearerr(in);
  return std::fflush(out) == 0 && ftruncate(fileno(out), at.out) == 0 && std::fseek(out, at.out, SEEK_SET) == 0 &&
         std::fseek(in, at.in, SEEK_SET) == 0;
}

}  // namespace

int RunBatch(const BatchOptions& options, std::FILE* in, std::FILE* out, std::FILE* err) {
  // Where both ends can be rewound, an input whose first MiB is UTF-8 is
  // taken as UTF-8 without reading it all first; a later byte that is not
  // starts the run again, as Windows-1252, over an emptied output.
  const std::optional<Rewind> rewind = RewindOf(in, out, err);
  auto judging = rewind ? InputSource::Judging::kAsRead : InputSource::Judging::kWhole;
  for (;;) {
    InputSource source(in, options.raw ? std::nullopt : options.encoding, options.raw, judging);
    if (source.failed()) {
      std::fprintf(err, "tavo: %s\n", source.error().c_str());
      return 2;
    }
    BatchOptions settled = options;
    if (options.raw || !settled.output_encoding) settled.output_encoding = source.encoding();
    Output output(out, source.parsed(), *settled.output_encoding);
    Run run(settled, source, output, err);
    const int status = run.Go();
    if (status != kStartAgain) return status;
    if (!rewind || !StartAgain(in, out, *rewind)) {
      std::fprintf(err, "tavo: the input is not UTF-8 after its first MiB, and cannot be read again\n");
      return 2;
    }
    judging = InputSource::Judging::kNotUtf8;
  }
}

}  // namespace tavo::batch
