// The CSV reader: one pass, a state machine kept across blocks.
#include "csv.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavo::csv {
namespace {

constexpr uint64_t kOnes = 0x0101010101010101u;

// Nonzero when one of the eight bytes of v is the byte repeated in `pattern`
// (the classic test for a zero byte, on v ^ pattern).
inline uint64_t HasByte(uint64_t v, uint64_t pattern) {
  const uint64_t x = v ^ pattern;
  return (x - kOnes) & ~x & (kOnes * 0x80);
}

// The fields a plain scan has passed: where the wanted one and the last one
// begin, and where the wanted one ends.
struct FieldMarks {
  size_t field = 0;
  size_t wanted;
  size_t last;
  const char* wanted_begin;
  const char* wanted_end = nullptr;
  const char* last_begin;
  FieldMarks(const char* start, size_t wanted_field, size_t last_field)
      : wanted(wanted_field), last(last_field), wanted_begin(start), last_begin(start) {}
  // A delimiter at q; false once there are more fields than `last` + 1.
  bool Delimiter(const char* q) {
    ++field;
    if (field == wanted + 1) wanted_end = q;
    if (field == wanted) wanted_begin = q + 1;
    if (field == last) last_begin = q + 1;
    return field <= last;
  }
};

inline bool Special(char c) { return c == '"' || c == '\n' || c == '\r'; }

// From p: each delimiter to `marks`, up to the first quote, CR or LF, which
// is returned (`limit` when there is none; nullptr when the fields run over).
// Thirty-two bytes at a time where SSE2 is (every x86-64), then sixteen,
// then byte by byte.
const char* ScanPlain(const char* p, const char* limit, char d, FieldMarks& marks) {
#if defined(__SSE2__)
  const __m128i delimiters = _mm_set1_epi8(d);
  const __m128i quotes = _mm_set1_epi8('"');
  const __m128i crs = _mm_set1_epi8('\r');
  const __m128i lfs = _mm_set1_epi8('\n');
  // The delimiters and the stops among sixteen bytes, a bit a byte.
  auto masks = [&](const char* at, uint32_t& found, uint32_t& special) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    found = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, delimiters)));
    special = static_cast<uint32_t>(_mm_movemask_epi8(
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quotes), _mm_cmpeq_epi8(v, crs)), _mm_cmpeq_epi8(v, lfs))));
  };
  // The delimiters of `width` bytes before the first stop; that stop, or null.
  auto take = [&](const char* at, uint32_t found, uint32_t special, int width, const char*& stop) {
    const int end = special ? std::countr_zero(special) : width;
    if (end < 32) found &= (uint32_t{1} << end) - 1;
    for (; found; found &= found - 1) {
      if (!marks.Delimiter(at + std::countr_zero(found))) return false;
    }
    stop = special ? at + end : nullptr;
    return true;
  };
  const char* stop = nullptr;
  for (; limit - p >= 32; p += 32) {
    uint32_t found_low, special_low, found_high, special_high;
    masks(p, found_low, special_low);
    masks(p + 16, found_high, special_high);
    if (!take(p, found_low | (found_high << 16), special_low | (special_high << 16), 32, stop)) return nullptr;
    if (stop) return stop;
  }
  for (; limit - p >= 16; p += 16) {
    uint32_t found, special;
    masks(p, found, special);
    if (!take(p, found, special, 16, stop)) return nullptr;
    if (stop) return stop;
  }
#endif
  for (; p < limit; ++p) {
    if (Special(*p)) return p;
    if (*p == d && !marks.Delimiter(p)) return nullptr;
  }
  return limit;
}

// A quoted field opening at `open`: its closing quote, which a delimiter or
// line end follows (doubled quotes inside noted in `doubled`); `limit` when
// the field runs past what was read, nullptr when text follows the quote.
const char* ClosingQuote(const char* open, const char* limit, char d, bool& doubled) {
  for (const char* q = open + 1;; q += 2) {
    q = static_cast<const char*>(std::memchr(q, '"', static_cast<size_t>(limit - q)));
    if (!q || q + 1 >= limit) return limit;
    if (q[1] != '"') return q[1] == d || q[1] == '\n' || q[1] == '\r' ? q : nullptr;
    doubled = true;
  }
}

}  // namespace

size_t StringSource::Read(char* into, size_t room) {
  const size_t n = std::min(room, text_.size());
  std::memcpy(into, text_.data(), n);
  text_.remove_prefix(n);
  return n;
}

Reader::Reader(ByteSource& source, char delimiter, size_t block, size_t hold)
    : source_(source),
      delimiter_(delimiter),
      block_(std::max<size_t>(block, 4)),
      hold_(std::max<size_t>(hold, 1)),
      buffer_(block_) {}

bool Reader::Refill() {
  // The unhanded part of the record moves to the front.
  if (record_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + record_, end_ - record_);
    pos_ -= record_;
    end_ -= record_;
    record_ = 0;
  }
  if (end_ == buffer_.size()) buffer_.resize(std::min(buffer_.size() * 2, std::max(hold_, kPeek) + block_));
  const size_t room = std::min(block_, buffer_.size() - end_);
  if (room == 0) return !source_.failed();  // full: a piece is handed out first
  const size_t got = source_.Read(buffer_.data() + end_, room);
  // Whether a quote or a CR came at all: a file without either needs no
  // look for them in each record.
  any_quote_ = any_quote_ || std::memchr(buffer_.data() + end_, '"', got);
  any_cr_ = any_cr_ || std::memchr(buffer_.data() + end_, '\r', got);
  end_ += got;
  if (got == 0) eof_ = true;
  return !source_.failed();
}

std::string_view Reader::Peek() {
  // Up to the first line end (or kPeek bytes), so a header is judged whole.
  auto seen = [this] { return std::string_view(buffer_.data() + pos_, end_ - pos_); };
  while (!eof_ && seen().size() < kPeek && seen().find_first_of("\r\n") == std::string_view::npos) {
    const size_t before = end_;
    if (!Refill() || end_ == before) break;
  }
  return seen();
}

void Reader::Collect(const ReadPlan& plan, RecordInfo& info, const char* from, const char* to) {
  if (!target_ || from == to) return;
  size_t n = static_cast<size_t>(to - from);
  const size_t held = target_->size();
  if (held + n > plan.value_cap) {
    info.too_long = true;
    n = plan.value_cap > held ? plan.value_cap - held : 0;
  }
  target_->append(from, n);
}

void Reader::CollectQuote(const ReadPlan& plan, RecordInfo& info) {
  if (!target_) return;
  if (target_->size() + 1 > plan.value_cap) {
    info.too_long = true;
    return;
  }
  target_->push_back('"');
}

void Reader::BeginField(const ReadPlan& plan, RecordInfo& info) {
  info.fields = field_ + 1;
  if (field_ == plan.last_field) info.last_start = handed_ + (pos_ - record_);
  target_ = nullptr;
  if (plan.collect_all) {
    if (info.all_starts.size() == RecordInfo::kMaxCollected) {
      info.too_long = true;
      return;
    }
    info.all_starts.push_back(static_cast<uint32_t>(info.all_text.size()));
    target_ = &info.all_text;
  } else if (field_ == plan.wanted) {
    info.has_wanted = true;
    target_ = &info.wanted;
  }
}

void Reader::EndRecord(RecordInfo& info, LineEnd end, size_t line_end_bytes) {
  info.line_end = end;
  piece_ = std::string_view(buffer_.data() + record_, pos_ - line_end_bytes - record_);
  info.size = handed_ + piece_.size();
  consumed_ += pos_ - record_;
  record_ = pos_;
  state_ = State::kRecordStart;
}

// In an unquoted field (or after a quoted one's closing quote): data up to
// the delimiter or a line end.  True at the record's end.
bool Reader::ScanUnquoted(const ReadPlan& plan, RecordInfo& info) {
  const char* const base = buffer_.data();
  const char* p = base + pos_;
  const char* const end = base + end_;
  const char d = delimiter_;
  // Eight bytes at a time while none is the delimiter, CR or LF.
  const uint64_t delimiters = kOnes * static_cast<unsigned char>(d);
  while (end - p >= 8) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    if (HasByte(v, delimiters) | HasByte(v, kOnes * '\n') | HasByte(v, kOnes * '\r')) break;
    p += 8;
  }
  while (p < end && *p != d && *p != '\n' && *p != '\r') ++p;
  Collect(plan, info, base + pos_, p);
  pos_ = static_cast<size_t>(p - base);
  if (p == end) return false;
  if (*p == d) {
    ++pos_;
    ++field_;
    state_ = State::kFieldStart;
    BeginField(plan, info);
    return false;
  }
  if (*p == '\n') {
    ++pos_;
    EndRecord(info, LineEnd::kLf, 1);
    return true;
  }
  if (p + 1 == end && !eof_) return false;  // CR or CRLF: the next byte decides
  const bool crlf = p + 1 < end && p[1] == '\n';
  pos_ += crlf ? 2 : 1;
  EndRecord(info, crlf ? LineEnd::kCrLf : LineEnd::kCr, crlf ? 2 : 1);
  return true;
}

// A record wholly in the buffer without quotes or lone CRs (most records):
// split at its delimiters by memchr.  False, with nothing read, otherwise.
bool Reader::PlainRecord(const ReadPlan& plan, RecordInfo& info) {
  const char* const start = buffer_.data() + pos_;
  const auto* lf = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
  if (!lf) return false;
  const char* const raw_end = lf > start && lf[-1] == '\r' ? lf - 1 : lf;
  const auto size = static_cast<size_t>(raw_end - start);
  if ((any_quote_ && std::memchr(start, '"', size)) || (any_cr_ && std::memchr(start, '\r', size))) return false;
  for (const char* p = start;;) {
    const auto* next = static_cast<const char*>(std::memchr(p, delimiter_, static_cast<size_t>(raw_end - p)));
    Collect(plan, info, p, next ? next : raw_end);
    if (!next) break;
    p = next + 1;
    ++field_;
    if (plan.collect_all) {
      pos_ = static_cast<size_t>(p - buffer_.data());
      BeginField(plan, info);
      continue;
    }
    target_ = field_ == plan.wanted ? &info.wanted : nullptr;
    info.has_wanted |= field_ == plan.wanted;
    if (field_ == plan.last_field) info.last_start = static_cast<uint64_t>(p - start);
  }
  info.fields = field_ + 1;
  pos_ = static_cast<size_t>(lf + 1 - buffer_.data());
  EndRecord(info, raw_end == lf ? LineEnd::kLf : LineEnd::kCrLf, static_cast<size_t>(lf + 1 - raw_end));
  return true;
}

// Scans from pos_; true at a record's end, false when it needs more input.
bool Reader::Scan(const ReadPlan& plan, RecordInfo& info) {
  static constexpr char kQuote = '"';
  while (pos_ < end_) {
    const size_t before = pos_;
    switch (state_) {
      case State::kRecordStart:
      case State::kFieldStart:
        state_ = buffer_[pos_] == kQuote ? State::kQuoted : State::kUnquoted;
        if (state_ == State::kQuoted) ++pos_;
        break;
      case State::kUnquoted:
        if (ScanUnquoted(plan, info)) return true;
        if (pos_ == before) return false;  // a CR at the end of what was read
        break;
      case State::kQuoted: {
        const char* from = buffer_.data() + pos_;
        const auto* q = static_cast<const char*>(std::memchr(from, kQuote, end_ - pos_));
        Collect(plan, info, from, q ? q : buffer_.data() + end_);
        pos_ = q ? static_cast<size_t>(q - buffer_.data()) + 1 : end_;
        if (q) state_ = State::kQuoteInQuoted;
        break;
      }
      case State::kQuoteInQuoted:
        if (buffer_[pos_] == kQuote) {
          CollectQuote(plan, info);  // a doubled quote is one quote
          ++pos_;
          state_ = State::kQuoted;
        } else {
          state_ = State::kUnquoted;  // text after the closing quote is kept as data
        }
        break;
    }
  }
  return false;
}

Reader::Status Reader::Next(const ReadPlan& plan, RecordInfo& info) {
  if (state_ == State::kRecordStart) {
    if (pos_ == end_ && !eof_ && !Refill()) return Status::kReadError;
    if (pos_ == end_) return source_.failed() ? Status::kReadError : Status::kEnd;
    info.fields = info.size = 0;
    info.last_start = UINT64_MAX;
    info.has_wanted = info.too_long = info.unterminated_quote = false;
    info.line_end = LineEnd::kNone;
    info.wanted.clear();
    info.all_text.clear();
    info.all_starts.clear();
    field_ = 0;
    handed_ = 0;
    state_ = State::kFieldStart;
    BeginField(plan, info);
    if (PlainRecord(plan, info)) return Status::kRecord;
  }
  for (;;) {
    if (Scan(plan, info)) return Status::kRecord;
    if (eof_ && (pos_ == end_)) {
      info.unterminated_quote = state_ == State::kQuoted;
      EndRecord(info, LineEnd::kNone, 0);
      return Status::kRecord;
    }
    if (pos_ - record_ >= hold_) {
      piece_ = std::string_view(buffer_.data() + record_, pos_ - record_);
      handed_ += piece_.size();
      consumed_ += piece_.size();
      record_ = pos_;
      return Status::kPart;
    }
    if (!Refill()) return Status::kReadError;
  }
}

struct Reader::PlainMarks {
  PlainMarks(const char* start, size_t wanted, size_t last) : fields(start, wanted, last) {}
  FieldMarks fields;
  const char* wanted_close = nullptr;  // the wanted field's closing quote, when it is quoted
  const char* stop = nullptr;          // the record's CR or LF
};

// One try at a plain record from pos_: its end (its CR or LF) in `stop`.
Reader::Plain Reader::ScanPlainRecord(size_t wanted, size_t fields, PlainMarks& marks) {
  const char* const start = buffer_.data() + pos_;
  const char* const limit = buffer_.data() + end_;
  FieldMarks& m = marks.fields;
  const char* stop = start;
  for (;;) {
    stop = ScanPlain(stop, limit, delimiter_, m);
    if (!stop) return Plain::kNo;
    if (stop == limit) return Plain::kMore;
    if (*stop != '"') break;
    if (stop != start && stop[-1] != delimiter_) return Plain::kNo;  // a quote inside a field
    bool doubled = false;
    const char* const close = ClosingQuote(stop, limit, delimiter_, doubled);
    if (close == limit) return Plain::kMore;
    if (!close || (m.field == wanted && doubled)) return Plain::kNo;  // a value to unquote: Next's
    if (m.field == wanted) marks.wanted_close = close;
    stop = close + 1;
  }
  if (stop == start || m.field != fields - 1) return Plain::kNo;
  if (*stop == '\r' && stop + 1 == limit) return Plain::kMore;  // a CR: the next byte decides
  if (*stop == '\r' && stop[1] != '\n') return Plain::kNo;       // a lone CR
  marks.stop = stop;
  return Plain::kYes;
}

bool Reader::NextPlain(size_t wanted, size_t fields, PlainView& view) {
  if (state_ != State::kRecordStart || fields == 0 || wanted >= fields) return false;
  if (pos_ == end_ && (eof_ || !Refill())) return false;
  std::optional<PlainMarks> marks;
  for (bool refilled = false;; refilled = true) {
    marks.emplace(buffer_.data() + pos_, wanted, fields - 1);
    const Plain plain = ScanPlainRecord(wanted, fields, *marks);
    if (plain == Plain::kYes) break;
    // What was read ends inside the record: read on once.
    if (plain == Plain::kNo || refilled || eof_ || end_ - pos_ >= hold_ || !Refill()) return false;
  }
  const char* const start = buffer_.data() + pos_;
  const char* const stop = marks->stop;
  const bool crlf = *stop == '\r';
  view.text = std::string_view(start, static_cast<size_t>(stop - start));
  const FieldMarks& m = marks->fields;
  const char* const wanted_begin = m.wanted_begin + (marks->wanted_close ? 1 : 0);
  const char* const wanted_end = marks->wanted_close ? marks->wanted_close : m.wanted_end ? m.wanted_end : stop;
  view.wanted = std::string_view(wanted_begin, static_cast<size_t>(wanted_end - wanted_begin));
  view.last_start = static_cast<size_t>(m.last_begin - start);
  view.line_end = crlf ? LineEnd::kCrLf : LineEnd::kLf;
  piece_ = view.text;
  pos_ = static_cast<size_t>(stop - buffer_.data()) + (crlf ? 2 : 1);
  consumed_ += pos_ - record_;
  record_ = pos_;
  return true;
}

std::vector<std::string> SplitRecord(std::string_view text, char delimiter) {
  StringSource source(text);
  Reader reader(source, delimiter);
  ReadPlan plan;
  plan.collect_all = true;
  plan.value_cap = text.size();
  RecordInfo info;
  if (reader.Next(plan, info) != Reader::Status::kRecord) return {};
  std::vector<std::string> fields;
  for (size_t i = 0; i < info.Count(); ++i) fields.emplace_back(info.Field(i));
  return fields;
}

void AppendField(std::string& out, std::string_view field, char delimiter) {
  // Eight bytes at a time while none needs quotes (most fields).
  const char* p = field.data();
  const char* const end = p + field.size();
  const uint64_t delimiters = kOnes * static_cast<unsigned char>(delimiter);
  while (end - p >= 8) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    if (HasByte(v, delimiters) | HasByte(v, kOnes * '"') | HasByte(v, kOnes * '\n') | HasByte(v, kOnes * '\r')) break;
    p += 8;
  }
  while (p < end && *p != delimiter && *p != '"' && *p != '\n' && *p != '\r') ++p;
  if (p == end) {
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

char DetectDelimiter(std::string_view head) {
  size_t counts[3] = {};
  constexpr char kCandidates[3] = {',', ';', '\t'};
  bool quoted = false;
  for (char c : head) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n' || c == '\r') break;
    for (size_t i = 0; i < 3; ++i) counts[i] += c == kCandidates[i];
  }
  const size_t best = static_cast<size_t>(std::max_element(counts, counts + 3) - counts);
  return counts[best] == 0 ? ',' : kCandidates[best];
}

}  // namespace tavo::csv
