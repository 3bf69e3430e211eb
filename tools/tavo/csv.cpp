// The CSV reader: one pass, a state machine kept across blocks.
#include "csv.h"

#include <algorithm>
#include <cstring>

namespace tavo::csv {

size_t StringSource::Read(char* into, size_t room) {
  const size_t n = std::min(room, text_.size());
  std::memcpy(into, text_.data(), n);
  text_.remove_prefix(n);
  return n;
}

std::string_view LineEndText(LineEnd e) {
  switch (e) {
    case LineEnd::kLf: return "\n";
    case LineEnd::kCrLf: return "\r\n";
    case LineEnd::kCr: return "\r";
    case LineEnd::kNone: break;
  }
  return "";
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
  bool quote = false;
  for (char c : field) quote |= c == delimiter || c == '"' || c == '\r' || c == '\n';
  if (!quote) {
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
