// PDF417: the data codewords of the shared compaction, the size, the
// padding and error correction, the row indicators, and the rows as text
// of the PDF417 face.
#include "symbologies/pdf417/pdf417.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "interface/errors.h"
#include "symbologies/encoders.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/pdf417/pdf417_compaction.h"
#include "symbologies/pdf417/pdf417_patterns.h"
#include "symbologies/pdf417/pdf417_reed_solomon.h"
#include "symbologies/qr/qr_segments.h"

namespace tavo {
namespace {

constexpr int kUtf8Eci = 26;
constexpr uint16_t kPad = 900;

// ISO/IEC 15438:2015 Table 6: the recommended least error correction level
// for the number of data codewords.
int RecommendedLevel(size_t data) {
  if (data <= 40) return 2;
  if (data <= 160) return 3;
  if (data <= 320) return 4;
  return 5;
}

int ErrorCount(int level) { return 2 << level; }

// The columns whose symbol is closest to square with rows 3 modules high,
// the smaller area among equals; 0 when no column count holds `total`.
int SquareColumns(size_t total, bool truncated) {
  int best = 0;
  long best_score = 0, best_area = 0;
  for (int c = 1; c <= kPdf417MaxColumns; ++c) {
    const long rows = std::max<long>(kPdf417MinRows, static_cast<long>((total + c - 1) / c));
    if (rows > kPdf417MaxRows || rows * c > kPdf417MaxCodewords) continue;
    const long width = 17L * c + (truncated ? 35 : 69), height = 3 * rows;
    const long score = std::labs(width - height), area = width * height;
    if (best == 0 || score < best_score || (score == best_score && area < best_area)) {
      best = c, best_score = score, best_area = area;
    }
  }
  return best;
}

}  // namespace

int32_t Pdf417OptionsFromCheck(int32_t check, Pdf417Options& options) {
  if (check < 0 || (check & ~(kPdf417CheckLevelMask | kPdf417CheckColumnsMask | kPdf417CheckTruncated)) != 0) {
    return kInvalidCheckOption;
  }
  const int level = check & kPdf417CheckLevelMask;
  const int columns = (check & kPdf417CheckColumnsMask) >> kPdf417CheckColumnsShift;
  if (level > kPdf417MaxLevel + 1 || columns > kPdf417MaxColumns) return kInvalidCheckOption;
  options.level = level - 1;
  options.columns = columns;
  options.truncated = (check & kPdf417CheckTruncated) != 0;
  return kOk;
}

int32_t BuildPdf417Symbol(std::string_view value, const Pdf417Options& options, Pdf417Symbol& symbol) {
  if (value.size() > kPdf417MaxValue) return kTooLongForLargestSymbol;
  std::vector<uint16_t> data{0};  // the symbol length descriptor, set below
  pdf417::Compact(value, QrNeedsUtf8Eci(value) ? kUtf8Eci : -1, data);
  int level = options.level >= 0 ? options.level : RecommendedLevel(data.size());
  if (options.level < 0) {
    while (level > 0 && data.size() + ErrorCount(level) > kPdf417MaxCodewords) --level;
  }
  const size_t total = data.size() + ErrorCount(level);
  if (total > kPdf417MaxCodewords) return kTooLongForLargestSymbol;
  const int columns = options.columns > 0 ? options.columns : SquareColumns(total, options.truncated);
  if (columns == 0) return kTooLongForLargestSymbol;
  const int rows = std::max(kPdf417MinRows, static_cast<int>((total + columns - 1) / columns));
  if (rows > kPdf417MaxRows || rows * columns > kPdf417MaxCodewords) return kTooLongForLargestSymbol;
  const size_t data_count = static_cast<size_t>(rows * columns - ErrorCount(level));
  data.resize(data_count, kPad);
  data[0] = static_cast<uint16_t>(data_count);
  const std::vector<uint16_t> ecc = pdf417::ErrorCodewords(data, ErrorCount(level));
  data.insert(data.end(), ecc.begin(), ecc.end());
  symbol = {rows, columns, level, options.truncated, std::move(data)};
  return kOk;
}

std::array<uint16_t, 2> Pdf417RowIndicators(const Pdf417Symbol& s, int row) {
  const int base = 30 * (row / 3);
  const int rows_part = (s.rows - 1) / 3;
  const int level_part = 3 * s.level + (s.rows - 1) % 3;
  const int columns_part = s.columns - 1;
  switch (row % 3) {
    case 0: return {static_cast<uint16_t>(base + rows_part), static_cast<uint16_t>(base + columns_part)};
    case 1: return {static_cast<uint16_t>(base + level_part), static_cast<uint16_t>(base + rows_part)};
    default: return {static_cast<uint16_t>(base + columns_part), static_cast<uint16_t>(base + level_part)};
  }
}

namespace {

// Appends `width` modules (bit width - 1 the leftmost) to the row.
void Append(Pdf417Row& row, uint32_t pattern, int width) {
  const size_t word = static_cast<size_t>(row.width) / 64;
  const int shift = 64 - row.width % 64 - width;
  if (shift >= 0) {
    row.bits[word] |= uint64_t{pattern} << shift;
  } else {
    row.bits[word] |= uint64_t{pattern} >> -shift;
    row.bits[word + 1] |= uint64_t{pattern} << (64 + shift);
  }
  row.width += width;
}

}  // namespace

void Pdf417RowModules(const Pdf417Symbol& s, int row, Pdf417Row& out) {
  out = {};
  const auto& patterns = pdf417::kCodewordPatterns[static_cast<size_t>(row % 3)];
  const std::array<uint16_t, 2> indicators = Pdf417RowIndicators(s, row);
  out.width = kPdf417QuietZone;
  Append(out, pdf417::kStartPattern, pdf417::kStartModules);
  Append(out, patterns[indicators[0]], pdf417::kCodewordModules);
  for (int c = 0; c < s.columns; ++c) {
    Append(out, patterns[s.codewords[static_cast<size_t>(row * s.columns + c)]], pdf417::kCodewordModules);
  }
  if (s.truncated) {
    Append(out, pdf417::kTruncatedStopPattern, pdf417::kTruncatedStopModules);
  } else {
    Append(out, patterns[indicators[1]], pdf417::kCodewordModules);
    Append(out, pdf417::kStopPattern, pdf417::kStopModules);
  }
  out.width += kPdf417QuietZone;
}

static_assert(kPdf417Run == kRunModules, "a TAVO PDF417 glyph is one run of kRunGlyphs");

namespace {

// One line of glyphs written as its modules come, 6 to a glyph: the same
// modules as Pdf417RowModules, without the row in between.  The modules wait
// in `bits_` (the oldest highest) until 6 glyphs' worth are there.
class LineWriter {
 public:
  explicit LineWriter(char* at) : at_(at) {}
  // `width` modules (at most 18), bit width - 1 the leftmost.
  void Put(uint32_t pattern, int width) {
    bits_ = bits_ << width | pattern;  // at most 35 + 18 bits wait
    pending_ += width;
    if (pending_ >= kBatch * kPdf417Run) Glyphs(kBatch);
  }
  // The glyphs still waiting, the modules past the row light.
  void Finish() {
    if (pending_ % kPdf417Run != 0) Put(0, kPdf417Run - pending_ % kPdf417Run);
    Glyphs(pending_ / kPdf417Run);
  }

 private:
  static constexpr int kBatch = 6;
  // The `count` oldest glyphs waiting.
  void Glyphs(int count) {
    pending_ -= count * kPdf417Run;
    const uint64_t run = bits_ >> pending_;
    for (int g = 0; g < count; ++g) at_[g] = kRunGlyphs[static_cast<size_t>(run >> (kPdf417Run * (count - 1 - g)) & 63)];
    at_ += count;
  }

  char* at_;
  uint64_t bits_ = 0;
  int pending_ = 0;
};

void WriteLine(const Pdf417Symbol& s, int row, char* at) {
  const auto& patterns = pdf417::kCodewordPatterns[static_cast<size_t>(row % 3)];
  const std::array<uint16_t, 2> indicators = Pdf417RowIndicators(s, row);
  LineWriter line(at);
  line.Put(0, kPdf417QuietZone);
  line.Put(pdf417::kStartPattern, pdf417::kStartModules);
  line.Put(patterns[indicators[0]], pdf417::kCodewordModules);
  const uint16_t* codewords = s.codewords.data() + static_cast<size_t>(row * s.columns);
  for (int c = 0; c < s.columns; ++c) line.Put(patterns[codewords[c]], pdf417::kCodewordModules);
  if (s.truncated) {
    line.Put(pdf417::kTruncatedStopPattern, pdf417::kTruncatedStopModules);
  } else {
    line.Put(patterns[indicators[1]], pdf417::kCodewordModules);
    line.Put(pdf417::kStopPattern, pdf417::kStopModules);
  }
  line.Put(0, kPdf417QuietZone);
  line.Finish();
}

// A row's modules: the quiet zones, the start, the indicators, the
// codewords and the stop (or the truncated stop).
int RowWidth(const Pdf417Symbol& s) {
  const int stop = s.truncated ? pdf417::kTruncatedStopModules : pdf417::kCodewordModules + pdf417::kStopModules;
  return 2 * kPdf417QuietZone + pdf417::kStartModules + pdf417::kCodewordModules * (s.columns + 1) + stop;
}

void AppendPdf417Text(const Pdf417Symbol& s, FontString& out) {
  const int glyphs = (RowWidth(s) + kPdf417Run - 1) / kPdf417Run;
  const size_t step = static_cast<size_t>(glyphs) + 2, lines = static_cast<size_t>(s.rows) + 2;
  char* at = out.Extend(lines * step - 2);
  std::memset(at, kMatrixGlyphs[0], static_cast<size_t>(glyphs));  // the light line above
  for (size_t line = 1; line < lines; ++line) {
    at[line * step - 2] = '\r';
    at[line * step - 1] = '\n';
    char* text = at + line * step;
    if (line + 1 == lines) {
      std::memset(text, kMatrixGlyphs[0], static_cast<size_t>(glyphs));  // and below
    } else {
      WriteLine(s, static_cast<int>(line) - 1, text);
    }
  }
}

}  // namespace

int32_t EncodePdf417(std::string_view value, const Options& options, FontString& out) {
  Pdf417Options o;
  if (int32_t rc = Pdf417OptionsFromCheck(options.check_argument, o)) return rc;
  Pdf417Symbol symbol;
  if (int32_t rc = BuildPdf417Symbol(value, o, symbol)) return rc;
  AppendPdf417Text(symbol, out);
  return kOk;
}

}  // namespace tavo
