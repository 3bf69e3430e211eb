// The two ends of a tavo batch run: the input file decoded to the text the
// CSV reader parses (UTF-8, or Windows-1252 bytes), and the output written
// in the encoding asked for, in large blocks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "csv.h"
#include "text_encoding.h"

namespace tavo::batch {

// The input: its byte order mark skipped, its encoding given or detected
// (a byte order mark; else valid UTF-8 is UTF-8; else Windows-1252), UTF-16
// decoded to UTF-8.  An input whose first MiB is UTF-8 is judged by reading
// it whole first (Judging::kWhole); or it is taken as UTF-8 provisionally and
// checked as it is read, the caller starting again as Windows-1252 when a
// later byte says otherwise (kAsRead: the caller can rewind both ends).  An
// input that cannot seek is judged by its first MiB, and the rest is checked
// as it is read.  kNotUtf8: such a run again, the input found not UTF-8.
class InputSource : public csv::ByteSource {
 public:
  enum class Judging : uint8_t { kWhole, kAsRead, kNotUtf8 };
  InputSource(std::FILE* in, std::optional<text::Encoding> given, bool raw, Judging judging = Judging::kWhole);
  size_t Read(char* into, size_t room) override;
  bool failed() const override { return !error_.empty(); }
  const std::string& error() const { return error_; }

  text::Encoding encoding() const { return encoding_; }  // of the file
  text::Encoding parsed() const { return parsed_; }      // of the text read
  bool had_mark() const { return had_mark_; }
  // How the encoding was chosen, for a line on standard error ("" when given).
  const std::string& how() const { return how_; }
  // Taken as UTF-8 on its first MiB, the rest being checked as it is read.
  bool provisional() const { return provisional_; }
  // A byte after the first MiB was not UTF-8: the run must start again.
  bool contradicted() const { return contradicted_; }
  // Reads the rest through (and back) to settle a provisional encoding;
  // false when the input is not UTF-8.
  bool Settle();

 private:
  void Detect(std::optional<text::Encoding> given, bool raw, Judging judging);
  bool ScanRestIsUtf8();
  size_t ReadFile(char* into, size_t room);

  std::FILE* in_;
  std::string head_;     // bytes read to detect, not yet handed out
  size_t head_at_ = 0;
  text::Encoding encoding_ = text::Encoding::kUtf8;
  text::Encoding parsed_ = text::Encoding::kUtf8;
  bool had_mark_ = false;
  bool check_utf8_ = false;  // judged by the first block: check the rest
  bool provisional_ = false;
  bool contradicted_ = false;
  text::Utf8Validator validator_;
  std::optional<text::Utf16Decoder> utf16_;
  std::string decoded_;  // UTF-16 decoded, not yet handed out
  size_t decoded_at_ = 0;
  std::string how_;
  std::string error_;
};

// Output in blocks of 1 MiB, converted from the parsed text's encoding.
class Output {
 public:
  Output(std::FILE* out, text::Encoding from, text::Encoding to);
  // Where the next bytes go, in the parsed encoding; End() converts them.
  std::string& Text() { return text_; }
  // False when a character has no form in the output encoding (bad()).
  bool End();
  // Bytes already in the output encoding (a byte order mark).
  void Raw(std::string_view bytes);
  // Text written as it is: the bytes need no conversion.
  bool Identity() const { return transcoder_.Identity(); }
  // With Identity(): kRoom bytes straight in the block, after what was
  // written; Commit(n) takes their first n (nothing else in between), and
  // what is not committed is forgotten.  Saves a copy of a row put
  // together in place.
  static constexpr size_t kRoom = size_t{64} << 10;
  char* Room() { return block_.get() + used_; }
  void Commit(size_t n) {
    used_ += n;
    if (used_ >= kBlock) Flush();
  }
  uint32_t bad() const { return transcoder_.bad(); }
  bool Finish();
  bool ok() const { return ok_; }

 private:
  static constexpr size_t kBlock = size_t{1} << 20;
  void Put(std::string_view bytes);
  void Flush();

  std::FILE* out_;
  text::Transcoder transcoder_;
  // Written as it is: kBlock + kRoom bytes, of which used_ are taken (below
  // kBlock between calls).  Converted: the converted text in `converted_`.
  std::unique_ptr<char[]> block_;
  size_t used_ = 0;
  std::string converted_;
  std::string text_;
  bool ok_ = true;
};

}  // namespace tavo::batch
