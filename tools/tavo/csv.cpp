// The CSV reader: one pass, a state machine kept across blocks.
#include "csv.h"

#include <algorithm>
#include <cstring>

namespace tavo::csv {
namespace {

constexpr uint64_t kOnes = 0x0101010101010101u;

// Nonzero when one of the eight bytes of v is the byte repeated in `pattern`
// (the classic test for a zero byte, on v ^ pattern).
inline uint64_t HasByte(uint64_t v, uint64_t pattern) {
  const uint64_t x = v ^ pattern;
  return (x - kOnes) & ~x & (kOnes * 0x80);
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
