// The input and output of tavo batch: encodings at both ends.
#include "batch_io.h"

#include <algorithm>
#include <cstring>

namespace tavo::batch {
namespace {

using text::Encoding;

constexpr size_t kHeadBytes = size_t{1} << 20;  // judged before the run
constexpr size_t kUtf16Block = size_t{64} << 10;

}  // namespace

InputSource::InputSource(std::FILE* in, std::optional<Encoding> given, bool raw, Judging judging) : in_(in) {
  while (head_.size() < kHeadBytes) {
    char buf[65536];
    const size_t got = std::fread(buf, 1, sizeof buf, in_);
    if (got == 0) break;
    head_.append(buf, got);
  }
  if (std::ferror(in_)) error_ = "cannot read the input";
  Detect(given, raw, judging);
  parsed_ = encoding_ == Encoding::kWindows1252 ? Encoding::kWindows1252 : Encoding::kUtf8;
  if (encoding_ == Encoding::kUtf16Le || encoding_ == Encoding::kUtf16Be) {
    utf16_.emplace(encoding_ == Encoding::kUtf16Be);
  }
}

void InputSource::Detect(std::optional<Encoding> given, bool raw, Judging judging) {
  const std::optional<Encoding> mark = text::EncodingOfMark(head_);
  auto skip_mark = [this](Encoding e) {
    head_at_ = text::ByteOrderMark(e).size();
    had_mark_ = true;
  };
  if (raw) {  // bytes: only a UTF-8 mark is set aside (and written back)
    encoding_ = Encoding::kWindows1252;
    if (mark == Encoding::kUtf8) skip_mark(Encoding::kUtf8);
    return;
  }
  const bool utf16_given = given == Encoding::kUtf16Le || given == Encoding::kUtf16Be;
  const bool mark_utf16 = mark == Encoding::kUtf16Le || mark == Encoding::kUtf16Be;
  if (given) {
    encoding_ = utf16_given && mark_utf16 ? *mark : *given;  // the mark tells the byte order
    if (mark && (mark == given || (utf16_given && mark_utf16))) skip_mark(*mark);
    return;
  }
  if (mark) {
    encoding_ = *mark;
    skip_mark(*mark);
    how_ = "as " + std::string(text::EncodingName(encoding_)) + " (its byte order mark)";
    return;
  }
  bool utf8 = judging != Judging::kNotUtf8 && validator_.Feed(head_);
  if (utf8 && !std::feof(in_)) {
    const long at = std::ftell(in_);
    if (judging == Judging::kAsRead && at >= 0) {
      provisional_ = check_utf8_ = true;  // the rest is checked as it is read
    } else if (at >= 0 && std::fseek(in_, at, SEEK_SET) == 0) {
      utf8 = ScanRestIsUtf8();
      if (std::fseek(in_, at, SEEK_SET) != 0) error_ = "cannot read the input again after judging its encoding";
    } else {
      check_utf8_ = true;  // a pipe: the rest is checked as it comes
    }
  } else {
    utf8 = utf8 && validator_.Finish();
  }
  encoding_ = utf8 ? Encoding::kUtf8 : Encoding::kWindows1252;
  how_ = utf8 ? "as utf-8 (no byte order mark; the text is valid UTF-8)"
              : "as windows-1252 (no byte order mark, and the text is not UTF-8)";
}

bool InputSource::Settle() {
  if (!provisional_ || contradicted_) return !contradicted_;
  provisional_ = false;
  const long at = std::ftell(in_);
  if (at < 0 || std::fseek(in_, at, SEEK_SET) != 0) {
    error_ = "cannot read the input again after judging its encoding";
    return true;
  }
  const bool utf8 = ScanRestIsUtf8();
  if (std::fseek(in_, at, SEEK_SET) != 0) error_ = "cannot read the input again after judging its encoding";
  if (utf8) {
    check_utf8_ = false;
    return true;
  }
  contradicted_ = true;
  if (error_.empty()) error_ = "the input is not UTF-8 after its first MiB";
  return false;
}

bool InputSource::ScanRestIsUtf8() {
  text::Utf8Validator rest = validator_;
  char buf[65536];
  for (size_t got; (got = std::fread(buf, 1, sizeof buf, in_)) > 0;) {
    if (!rest.Feed(std::string_view(buf, got))) return false;
  }
  std::clearerr(in_);
  return rest.Finish();
}

size_t InputSource::ReadFile(char* into, size_t room) {
  if (head_at_ < head_.size()) {
    const size_t n = std::min(room, head_.size() - head_at_);
    std::memcpy(into, head_.data() + head_at_, n);
    head_at_ += n;
    if (head_at_ == head_.size()) std::string().swap(head_);
    return n;
  }
  head_at_ = 0;
  const size_t got = std::fread(into, 1, room, in_);
  if (got == 0 && std::ferror(in_)) error_ = "cannot read the input";
  if (check_utf8_) {
    const bool ok = validator_.Feed(std::string_view(into, got)) && (got > 0 || validator_.Finish());
    if (!ok && provisional_) {
      contradicted_ = true;  // the caller starts again as Windows-1252
      provisional_ = false;
      error_ = "the input is not UTF-8 after its first MiB";
      return 0;
    }
    if (!ok) {
      error_ = "the input is not UTF-8 after its first MiB, which was (a pipe is judged by that): "
               "give --encoding windows-1252";
      return 0;
    }
  }
  return got;
}

size_t InputSource::Read(char* into, size_t room) {
  if (!error_.empty()) return 0;
  if (!utf16_) return ReadFile(into, room);
  while (decoded_at_ == decoded_.size()) {
    decoded_.clear();
    decoded_at_ = 0;
    char raw[kUtf16Block];
    const size_t got = ReadFile(raw, sizeof raw);
    if (got == 0) {
      if (!utf16_->Finish()) error_ = "the input ends inside a UTF-16 character";
      return 0;
    }
    if (!utf16_->Append(decoded_, std::string_view(raw, got))) {
      error_ = "the input is not UTF-16: it holds a lone surrogate";
      return 0;
    }
  }
  const size_t n = std::min(room, decoded_.size() - decoded_at_);
  std::memcpy(into, decoded_.data() + decoded_at_, n);
  decoded_at_ += n;
  return n;
}

Output::Output(std::FILE* out, Encoding from, Encoding to) : out_(out), transcoder_(from, to) {
  if (Identity()) {
    block_.reset(new char[kBlock + kRoom]);  // not cleared: written before it is read
  } else {
    converted_.reserve(kBlock + 4096);
  }
}

void Output::Put(std::string_view bytes) {
  if (used_ + bytes.size() > kBlock + kRoom) Flush();
  if (bytes.size() > kBlock + kRoom) {  // larger than the block: straight out
    if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) ok_ = false;
    return;
  }
  if (!bytes.empty()) std::memcpy(block_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void Output::Raw(std::string_view bytes) {
  if (Identity()) {
    Put(bytes);
  } else {
    converted_.append(bytes);
  }
}

void Output::Flush() {
  if (Identity()) {
    if (used_ > 0 && std::fwrite(block_.get(), 1, used_, out_) != used_) ok_ = false;
    used_ = 0;
    return;
  }
  if (!converted_.empty() && std::fwrite(converted_.data(), 1, converted_.size(), out_) != converted_.size()) {
    ok_ = false;
  }
  converted_.clear();
}

bool Output::End() {
  bool converted = true;
  if (Identity()) {
    Put(text_);
  } else {
    converted = transcoder_.Append(converted_, text_);
  }
  text_.clear();
  if (used_ >= kBlock || converted_.size() >= kBlock) Flush();
  return converted;
}

bool Output::Finish() {
  Flush();
  return std::fflush(out_) == 0 && ok_;
}

}  // namespace tavo::batch
