// tavo batch: a mail merge's list in, the same list out with one column
// added that holds each row's font string.  The list is CSV as spreadsheets
// export it (see csv.h) in UTF-8, Windows-1252 or UTF-16 (text_encoding.h),
// streamed, so memory stays bounded whatever the input holds.
//
// Every output record has the header's fields plus the new one, each field
// as it came.  A row with fewer fields than the header gets empty fields up
// to the header's; a row with more keeps them all in the header's last
// column: from that column's first byte to the row's end, delimiters and
// quotes included, as one field quoted anew.  Both are failed rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "csv.h"
#include "text_encoding.h"

namespace tavo::batch {

enum class EmptyCells : uint8_t { kKeep, kFail };

struct BatchOptions {
  int32_t symbology = 0;
  std::string column;         // a header name, or a field's number from 1
  std::string output_column;  // "" for "<column> font"
  int32_t check = 0;          // the library's check argument, from the named options
  bool raw = false;           // values and font strings as bytes, never converted
  std::optional<text::Encoding> encoding;         // the input's; nullopt: detect
  std::optional<text::Encoding> output_encoding;  // nullopt: the input's
  char delimiter = 0;         // 0: from the header
  EmptyCells empty = EmptyCells::kKeep;
  bool progress = false;      // draw a progress bar on `err`
  uint64_t input_size = 0;    // bytes in the input when known (for the time left)
  size_t block = csv::Reader::kBlock;
  size_t hold = csv::Reader::kHold;
};

// The longest value tavo batch hands the library for `symbology`: the
// registry's maximum, or kToolValueLimit for a symbology without one.
inline constexpr size_t kToolValueLimit = size_t{64} << 10;
size_t MaxValueLength(int32_t symbology);
// The registry's own figure (0: no limit of its own).
size_t RegistryMaxValueLength(int32_t symbology);

// Translates the CSV on `in` to `out`, reporting failed rows and the counts
// on `err`.  Exit status: 0 every row translated (or empty), 1 some row
// failed, 2 the run could not be done (then what went to `out` is to be
// thrown away).
int RunBatch(const BatchOptions& options, std::FILE* in, std::FILE* out, std::FILE* err);

// `tavo batch ...` from main(): argv[1] is "batch".
int RunBatchCommand(int argc, char** argv);

}  // namespace tavo::batch
