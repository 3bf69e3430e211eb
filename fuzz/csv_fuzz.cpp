// tavo batch's CSV reader and the whole batch run on any bytes.  Invariants:
//  - parse, write and parse again gives the same fields;
//  - a run that finishes writes as many records as it read;
//  - each record keeps its fields: those the header has in place (short
//    rows padded with empty ones), and the rest kept, as they stood, in the
//    header's last column; one field more holds the font string.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "batch.h"
#include "csv.h"
#include "fuzz_support.h"
#include "tavo32.h"
#include "text_encoding.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

// Every record of `text`; block and hold small so records come in pieces.
Records Parse(const std::string& text, char delimiter, size_t block, size_t hold) {
  tavo::csv::StringSource source(text);
  tavo::csv::Reader reader(source, delimiter, block, hold);
  tavo::csv::ReadPlan plan;
  plan.collect_all = true;
  plan.value_cap = text.size() + 1;
  tavo::csv::RecordInfo info;
  Records records;
  for (;;) {
    const tavo::csv::Reader::Status status = reader.Next(plan, info);
    if (status == tavo::csv::Reader::Status::kPart) continue;
    if (status != tavo::csv::Reader::Status::kRecord) break;
    auto& fields = records.emplace_back();
    for (size_t i = 0; i < info.Count(); ++i) fields.emplace_back(info.Field(i));
  }
  return records;
}

std::string Write(const Records& records, char delimiter) {
  std::string out;
  for (const auto& fields : records) {
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i) out.push_back(delimiter);
      tavo::csv::AppendField(out, fields[i], delimiter);
    }
    out += "\r\n";
  }
  return out;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

// The batch run on `text` (Windows-1252 in and out, so every byte stands as
// it came), its output parsed again.
void CheckRun(const std::string& text, char delimiter, int32_t symbology, size_t column, size_t hold) {
  const Records in = Parse(text, delimiter, 4096, size_t{1} << 30);
  if (in.empty()) return;
  tavo::batch::BatchOptions options;
  options.symbology = symbology;
  options.column = std::to_string(column % in[0].size() + 1);
  options.encoding = options.output_encoding = tavo::text::Encoding::kWindows1252;
  options.delimiter = delimiter;
  options.block = 7;
  options.hold = hold;
  std::FILE* input = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
  char* out_text = nullptr;
  size_t out_size = 0;
  std::FILE* output = open_memstream(&out_text, &out_size);
  std::FILE* err = std::fopen("/dev/null", "w");
  const int status = tavo::batch::RunBatch(options, input, output, err);
  std::fclose(input);
  std::fclose(output);
  std::fclose(err);
  const std::string written(out_text, out_size);
  std::free(out_text);
  if (status == 2) return;  // the run refused the file: nothing is kept
  const Records out = Parse(written, delimiter, 4096, size_t{1} << 30);
  Check(out.size() == in.size());
  const size_t n = in[0].size();
  for (size_t r = 0; r < in.size(); ++r) {
    const auto& a = in[r];
    const auto& b = out[r];
    if (r > 0 && a.size() == 1 && a[0].empty() && b.size() == 1) continue;  // a blank line
    Check(b.size() == n + 1);
    for (size_t i = 0; i + 1 < n && i < a.size(); ++i) Check(a[i] == b[i]);
    if (a.size() <= n) {
      for (size_t i = 0; i < n; ++i) Check(b[i] == (i < a.size() ? a[i] : std::string()));
    } else {
      const Records kept = Parse(b[n - 1], delimiter, 4096, size_t{1} << 30);
      Check(kept.size() == 1 && kept[0] == std::vector<std::string>(a.begin() + static_cast<long>(n - 1), a.end()));
    }
  }
}

// Valid UTF-8 goes to UTF-16 and back, in two pieces cut anywhere, and to
// Windows-1252 and back when every character has a byte there.
void CheckEncodings(const std::string& text, size_t cut) {
  tavo::text::Utf8Validator valid;
  if (!valid.Feed(text) || !valid.Finish()) return;
  cut = text.empty() ? 0 : cut % text.size();
  tavo::text::Transcoder to16(tavo::text::Encoding::kUtf8, tavo::text::Encoding::kUtf16Le);
  std::string utf16;
  Check(to16.Append(utf16, text.substr(0, cut)) && to16.Append(utf16, text.substr(cut)) && to16.Finish());
  tavo::text::Utf16Decoder from16(false);
  std::string back;
  Check(from16.Append(back, utf16.substr(0, cut)) && from16.Append(back, utf16.substr(cut)) && from16.Finish());
  Check(back == text);
  std::string bytes;
  uint32_t bad = 0;
  if (!tavo::text::Utf8To1252(text, bytes, bad)) return;
  std::string again;
  tavo::text::Append1252AsUtf8(again, bytes);
  Check(again == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavo::fuzz::Reader reader(data, size);
  constexpr char kDelimiters[] = {',', ';', '\t'};
  const char delimiter = kDelimiters[reader.Byte() % 3];
  const size_t block = 1 + reader.Byte() % 16;
  const size_t hold = 1 + reader.Byte() % 64;
  constexpr int32_t kSymbologies[] = {BC_SYM_POSTNET, BC_SYM_CODE128, BC_SYM_QR, BC_SYM_EAN13};
  const int32_t symbology = kSymbologies[reader.Byte() % 4];
  const size_t column = reader.Byte();
  const std::string text = reader.Rest();

  const Records once = Parse(text, delimiter, block, hold);
  Check(Parse(text, delimiter, 4096, size_t{1} << 30) == once);  // pieces change nothing
  const std::string written = Write(once, delimiter);
  Check(Parse(written, delimiter, block, hold) == once);
  CheckRun(text, delimiter, symbology, column, hold * 4);
  CheckEncodings(text, column);
  return 0;
}
