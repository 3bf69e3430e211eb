// MicroPDF417: the size, the codewords and the rows of modules as text.
#include "symbologies/pdf417/micropdf417.h"

#include <cstring>
#include <span>
#include <utility>

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

// The smallest size by area of `columns` columns (0: any) holding `data`
// codewords, the first in table order among equals; -1 for none.
constexpr int SmallestSize(int data, int columns) {
  int best = -1;
  for (size_t i = 0; i < kMicroPdfSizes.size(); ++i) {
    const MicroPdfSize& s = kMicroPdfSizes[i];
    if (s.data() < data || (columns != 0 && s.columns != columns)) continue;
    if (best < 0 || Area(s) < Area(kMicroPdfSizes[static_cast<size_t>(best)])) best = static_cast<int>(i);
  }
  return best;
}

// SmallestSize for every count of data codewords and every columns asked
// for, so that a symbol's size is one look-up.
constexpr auto kSizeByData = [] {
  std::array<std::array<int8_t, kMicroPdfMaxData + 1>, kMicroPdfMaxColumns + 1> table{};
  for (int c = 0; c <= kMicroPdfMaxColumns; ++c) {
    for (int n = 0; n <= kMicroPdfMaxData; ++n) {
      table[static_cast<size_t>(c)][static_cast<size_t>(n)] = static_cast<int8_t>(SmallestSize(n, c));
    }
  }
  return table;
}();
static_assert(SmallestSize(kMicroPdfMaxData + 1, 0) == -1);

// Whether any byte is above 127, eight at a time: only then can the value
// need the UTF-8 ECI.
bool HasHighByte(std::string_view value) {
  uint64_t any = 0;
  size_t i = 0;
  for (; i + 8 <= value.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, value.data() + i, 8);
    any |= word;
  }
  for (; i < value.size(); ++i) any |= static_cast<unsigned char>(value[i]);
  return (any & 0x8080808080808080u) != 0;
}

}  // namespace

int MicroPdfSizeFor(int data, int columns) {
  if (data < 0 || data > kMicroPdfMaxData || columns < 0 || columns > kMicroPdfMaxColumns) return -1;
  return kSizeByData[static_cast<size_t>(columns)][static_cast<size_t>(data)];
}

void MicroPdfDataCodewords(std::string_view value, std::vector<uint16_t>& out) {
  out.clear();
  CompactMicro(value, HasHighByte(value) && QrNeedsUtf8Eci(value) ? kUtf8Eci : -1, out);
}

bool MicroPdfComplete(int columns, MicroPdfSymbol& symbol) {
  std::vector<uint16_t>& cw = symbol.codewords;
  symbol.size = cw.size() > kMicroPdfMaxData ? -1 : MicroPdfSizeFor(static_cast<int>(cw.size()), columns);
  if (symbol.size < 0) return false;
  const MicroPdfSize& s = kMicroPdfSizes[static_cast<size_t>(symbol.size)];
  cw.resize(static_cast<size_t>(s.data()), kLatchText);
  cw.resize(static_cast<size_t>(s.codewords()));
  const std::span<uint16_t> all(cw);
  ErrorCodewords(all.first(static_cast<size_t>(s.data())), all.last(static_cast<size_t>(s.ec)));
  return true;
}

namespace {

// A row's modules, the leftmost highest, in 128 bits (hi, lo): each Put
// shifts the row left by `count` (1 to 63) and adds `pattern` at the right.
struct RowBits {
  uint64_t hi = 0, lo = 0;
  void Put(uint32_t pattern, int count) {
    hi = hi << count | lo >> (64 - count);
    lo = lo << count | pattern;
  }
};

// Two glyphs at once: 12 modules, the leftmost the highest bit.
constexpr auto kRunGlyphPairs = [] {
  std::array<std::array<char, 2>, 4096> pairs{};
  for (size_t v = 0; v < pairs.size(); ++v) pairs[v] = {kRunGlyphs[v >> 6], kRunGlyphs[v & 63]};
  return pairs;
}();

// The `Width` modules Q .. Q + Width - 1 from the right end of the row.
template <int Q, int Width>
size_t RunAt(const RowBits& b) {
  constexpr uint64_t kMask = (uint64_t{1} << Width) - 1;
  if constexpr (Q >= 64) return b.hi >> (Q - 64) & kMask;
  else if constexpr (Q + Width <= 64) return b.lo >> Q & kMask;
  else return (b.lo >> Q | b.hi << (64 - Q)) & kMask;
}

// The row's glyphs two at a time (pair P is glyphs 2P and 2P + 1), and an
// odd count's last alone.
template <int Glyphs, size_t... P>
void WriteGlyphs(const RowBits& b, char* at, std::index_sequence<P...>) {
  (std::memcpy(at + 2 * P, kRunGlyphPairs[RunAt<6 * (Glyphs - 2 - 2 * static_cast<int>(P)), 12>(b)].data(), 2), ...);
  if constexpr (Glyphs % 2 != 0) at[Glyphs - 1] = kRunGlyphs[RunAt<0, 6>(b)];
}

// The rows of a symbol of `Columns` columns, each a line: 2 light modules
// of the quiet zone (left out, as the row's highest bits are light), the
// left row address pattern, the codewords (a centre pattern after the
// first of 3 columns or the second of 4), the right pattern and the stop
// bar, and light modules to the end of the last glyph.  A line break
// before each row.
template <int Columns>
char* AppendRows(const MicroPdfSize& s, const uint16_t* codewords, char* at) {
  constexpr int kGlyphs = (MicroPdfWidth(Columns) + 2 * kQuiet + 5) / 6;
  constexpr int kTail = 6 * kGlyphs - kQuiet - MicroPdfWidth(Columns);  // right of the stop bar
  static_assert(kGlyphs * 6 <= 128 + kQuiet && kTail + kMicroPdfRapModules + 1 < 64);
  size_t cluster = s.cluster, left = s.left_rap - 1u, centre = s.centre_rap - 1u, right = s.right_rap - 1u;
  for (int r = 0; r < s.rows; ++r, codewords += Columns) {
    const std::array<uint32_t, 929>& patterns = kCodewordPatterns[cluster];
    RowBits b;
    b.Put(kMicroPdfSideRaps[left], kMicroPdfRapModules);
    for (int c = 0; c < Columns; ++c) {
      b.Put(patterns[codewords[c]], kMicroPdfCodewordModules);
      if (c + 1 == MicroPdfCentreAfter(Columns)) b.Put(kMicroPdfCentreRaps[centre], kMicroPdfRapModules);
    }
    b.Put((uint32_t{kMicroPdfSideRaps[right]} << 1 | 1) << kTail, kMicroPdfRapModules + 1 + kTail);
    *at++ = '\r';
    *at++ = '\n';
    WriteGlyphs<kGlyphs>(b, at, std::make_index_sequence<kGlyphs / 2>());
    at += kGlyphs;
    cluster = cluster == 2 ? 0 : cluster + 1;
    left = left == 51 ? 0 : left + 1;
    centre = centre == 51 ? 0 : centre + 1;
    right = right == 51 ? 0 : right + 1;
  }
  return at;
}

}  // namespace

int MicroPdfTextGlyphs(int columns) { return (MicroPdfWidth(columns) + 2 * kQuiet + 5) / 6; }

void AppendMicroPdfText(const MicroPdfSymbol& symbol, FontString& out) {
  const MicroPdfSize& s = kMicroPdfSizes[static_cast<size_t>(symbol.size)];
  const size_t glyphs = static_cast<size_t>(MicroPdfTextGlyphs(s.columns));
  char* at = out.Extend(static_cast<size_t>(s.rows + 2) * (glyphs + 2) - 2);
  std::memset(at, kMatrixGlyphs[0], glyphs);  // the quiet zone above
  at += glyphs;
  const uint16_t* codewords = symbol.codewords.data();
  switch (s.columns) {
    case 1: at = AppendRows<1>(s, codewords, at); break;
    case 2: at = AppendRows<2>(s, codewords, at); break;
    case 3: at = AppendRows<3>(s, codewords, at); break;
    default: at = AppendRows<4>(s, codewords, at); break;
  }
  *at++ = '\r';
  *at++ = '\n';
  std::memset(at, kMatrixGlyphs[0], glyphs);  // the quiet zone below
}

}  // namespace tavo::pdf417

namespace tavo {

// The check argument is the number of columns (0: the smallest symbol).
// A value too long for the largest size (of those columns) is 32560.
int32_t EncodeMicroPdf417(std::string_view value, const Options& options, FontString& out) {
  const int32_t columns = options.check_argument;
  if (columns < 0 || columns > pdf417::kMicroPdfMaxColumns) return kInvalidCheckOption;
  pdf417::MicroPdfSymbol symbol;
  symbol.codewords.reserve(pdf417::kMicroPdfMaxCodewords);  // data, padding and error correction
  pdf417::MicroPdfDataCodewords(value, symbol.codewords);
  if (!pdf417::MicroPdfComplete(columns, symbol)) return kTooLongForLargestSymbol;
  pdf417::AppendMicroPdfText(symbol, out);
  return kOk;
}

}  // namespace tavo
