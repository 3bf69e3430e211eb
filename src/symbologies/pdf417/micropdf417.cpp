// MicroPDF417: the size, the codewords and the rows of modules as text.
#include "symbologies/pdf417/micropdf417.h"

#include <cstring>

#include "symbologies/encoders.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/pdf417/pdf417_compaction.h"
#include "symbologies/pdf417/pdf417_patterns.h"
#include "symbologies/pdf417/pdf417_reed_solomon.h"
#include "symbologies/qr/qr_segments.h"

namespace tavo::pdf417 {
namespace {

constexpr int kUtf8Eci = 26;
constexpr int kQuiet = 2;  // light modules left and right, as in the PDF417 text

constexpr int Area(const MicroPdfSize& s) { return MicroPdfWidth(s.columns) * s.rows; }

// The bits of each byte in reverse order.
constexpr auto kReversed = [] {
  std::array<uint8_t, 256> r{};
  for (int b = 0; b < 256; ++b) {
    for (int i = 0; i < 8; ++i) r[static_cast<size_t>(b)] |= static_cast<uint8_t>((b >> i & 1) << (7 - i));
  }
  return r;
}();

// Appends `count` (at most 32) modules of `pattern`, its highest bit
// leftmost, at module `x` of a row whose module i is bit i.
void Put(MicroPdfRow& row, int& x, uint32_t pattern, int count) {
  const uint32_t reversed = static_cast<uint32_t>(kReversed[pattern & 255]) << 24 |
                            static_cast<uint32_t>(kReversed[pattern >> 8 & 255]) << 16 |
                            static_cast<uint32_t>(kReversed[pattern >> 16 & 255]) << 8 | kReversed[pattern >> 24];
  const uint64_t run = reversed >> (32 - count);
  const int shift = x & 63;
  row[static_cast<size_t>(x >> 6)] |= run << shift;
  if (shift != 0 && x < 64) row[1] |= run >> (64 - shift);
  x += count;
}

}  // namespace

int MicroPdfSizeFor(int data, int columns) {
  int best = -1;
  for (size_t i = 0; i < kMicroPdfSizes.size(); ++i) {
    const MicroPdfSize& s = kMicroPdfSizes[i];
    if (s.data() < data || (columns != 0 && s.columns != columns)) continue;
    if (best < 0 || Area(s) < Area(kMicroPdfSizes[static_cast<size_t>(best)])) best = static_cast<int>(i);
  }
  return best;
}

void MicroPdfDataCodewords(std::string_view value, std::vector<uint16_t>& out) {
  out.clear();
  CompactMicro(value, QrNeedsUtf8Eci(value) ? kUtf8Eci : -1, out);
}

bool MicroPdfBuild(std::span<const uint16_t> data, int columns, MicroPdfSymbol& symbol) {
  symbol.size = MicroPdfSizeFor(static_cast<int>(data.size()), columns);
  if (symbol.size < 0) return false;
  const MicroPdfSize& s = kMicroPdfSizes[static_cast<size_t>(symbol.size)];
  symbol.codewords.assign(data.begin(), data.end());
  symbol.codewords.resize(static_cast<size_t>(s.data()), kLatchText);
  const std::vector<uint16_t> ec = ErrorCodewords(symbol.codewords, s.ec);
  symbol.codewords.insert(symbol.codewords.end(), ec.begin(), ec.end());
  return true;
}

MicroPdfRow MicroPdfRowModules(const MicroPdfSymbol& symbol, int row) {
  const MicroPdfSize& s = kMicroPdfSizes[static_cast<size_t>(symbol.size)];
  const size_t cluster = static_cast<size_t>((s.cluster + row) % 3);
  auto rap = [row](int first) { return static_cast<size_t>((first - 1 + row) % 52); };
  MicroPdfRow bits{};
  int x = 0;
  Put(bits, x, kMicroPdfSideRaps[rap(s.left_rap)], kMicroPdfRapModules);
  for (int c = 0; c < s.columns; ++c) {
    const uint16_t cw = symbol.codewords[static_cast<size_t>(row * s.columns + c)];
    Put(bits, x, kCodewordPatterns[cluster][cw], kMicroPdfCodewordModules);
    if (c + 1 == MicroPdfCentreAfter(s.columns)) {
      Put(bits, x, kMicroPdfCentreRaps[rap(s.centre_rap)], kMicroPdfRapModules);
    }
  }
  Put(bits, x, kMicroPdfSideRaps[rap(s.right_rap)], kMicroPdfRapModules);
  Put(bits, x, 1, 1);  // the stop bar
  return bits;
}

namespace {
constexpr size_t kLineRoom = 24;
static_assert((MicroPdfWidth(kMicroPdfMaxColumns) + 2 * kQuiet + 5) / 6 + 2 <= kLineRoom);
}  // namespace

int MicroPdfTextGlyphs(int columns) { return (MicroPdfWidth(columns) + 2 * kQuiet + 5) / 6; }

void AppendMicroPdfText(const MicroPdfSymbol& symbol, FontString& out) {
  const MicroPdfSize& s = kMicroPdfSizes[static_cast<size_t>(symbol.size)];
  const int glyphs = MicroPdfTextGlyphs(s.columns);
  const size_t start = out.size(), step = static_cast<size_t>(glyphs + 2);
  char* at = out.Extend(static_cast<size_t>(s.rows + 2) * step + kLineRoom);
  char line[kLineRoom] = {};
  std::memset(line, kMatrixGlyphs[0], static_cast<size_t>(glyphs));  // the quiet zone above
  line[glyphs] = '\r';
  line[glyphs + 1] = '\n';
  std::memcpy(at, line, kLineRoom);
  at += step;
  for (int r = 0; r < s.rows; ++r, at += step) {
    MicroPdfRow bits = MicroPdfRowModules(symbol, r);
    bits[1] = bits[1] << kQuiet | bits[0] >> (64 - kQuiet);  // the quiet zone on the left
    bits[0] <<= kQuiet;
    for (int g = 0; g < glyphs; ++g) {
      const int x = g * 6;
      uint64_t run = bits[static_cast<size_t>(x >> 6)] >> (x & 63);
      if ((x & 63) > 58) run |= bits[1] << (64 - (x & 63));
      line[g] = kMatrixGlyphs[static_cast<size_t>(run & 63)];
    }
    std::memcpy(at, line, kLineRoom);
  }
  std::memset(at, kMatrixGlyphs[0], static_cast<size_t>(glyphs));  // the quiet zone below
  out.resize(start + static_cast<size_t>(s.rows + 2) * step - 2);
}

}  // namespace tavo::pdf417

namespace tavo {

// The check argument is the number of columns (0: the smallest symbol).
// A value too long for the largest size (of those columns) is 32560.
int32_t EncodeMicroPdf417(std::string_view value, const Options& options, FontString& out) {
  const int32_t columns = options.check_argument;
  if (columns < 0 || columns > pdf417::kMicroPdfMaxColumns) return kInvalidCheckOption;
  std::vector<uint16_t> data;
  pdf417::MicroPdfDataCodewords(value, data);
  pdf417::MicroPdfSymbol symbol;
  if (!pdf417::MicroPdfBuild(data, columns, symbol)) return kTooLongForLargestSymbol;
  pdf417::AppendMicroPdfText(symbol, out);
  return kOk;
}

}  // namespace tavo
