// Aztec Code's symbol: bit stuffing, the Reed-Solomon check words, the mode
// message, and where each bit, the bullseye, the orientation marks and the
// reference grid go (ISO/IEC 24778:2008, 7.2 and 7.3).
#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

#include "symbologies/aztec/aztec.h"
#include "symbologies/aztec/aztec_fields.h"

namespace tavo {
namespace {

// The generator polynomial of n check words in the field `f`, g[k] the
// coefficient of x^(n-k) (g[0] = 1), in n steps rather than by multiplying
// in its n factors: with the roots a^1 .. a^n, g[k] is their k-th
// elementary symmetric sum, which the q-binomial theorem (q = a) gives as
// a^(k(k+1)/2) times the Gaussian binomial [n k]_a, so that
//   g[k + 1] = g[k] a^(k+1) (1 + a^(n-k)) / (1 + a^(k+1)).
// Every Aztec symbol has fewer words than its field's order, so no factor
// 1 + a^j (0 < j <= n) is 0 and no coefficient is 0: the logarithms carry
// the product, log(1 + a^j) read from the tables.
constexpr bool EverySizeHasFewerWordsThanItsField() {
  for (int32_t number = 1; number <= kAztecSizes; ++number) {
    const AztecSize size = AztecSizeOf(number);
    if (size.TotalWords() >= (1 << size.WordBits()) - 1) return false;
  }
  return AztecSize{}.ModeMessageWords() < 15 && AztecSize{false, 1}.ModeMessageWords() < 15;
}
static_assert(EverySizeHasFewerWordsThanItsField() && kAztecFirstRoot == 1);

template <typename F, typename E>
void GeneratorOf(const F& f, size_t n, E* g) {
  const auto order = static_cast<uint32_t>(F::kOrder);
  const auto log_one_plus = [&](size_t j) { return static_cast<uint32_t>(f.log[f.exp[j] ^ 1u]); };
  g[0] = 1;
  uint32_t log_g = 0;
  for (size_t k = 0; k < n; ++k) {
    log_g = (log_g + static_cast<uint32_t>(k + 1) + log_one_plus(n - k) + order - log_one_plus(k + 1)) % order;
    g[k + 1] = static_cast<E>(f.exp[log_g]);
  }
}

// The words of a field in 64-bit lanes: 8 of 8 bits for words up to 8
// bits, 4 of 16 above.  Doubling (times x, the primitive element) works on
// every lane at once: each word's top bit leaves and brings in the field
// polynomial's low bits.
template <typename F>
struct Lanes {
  static constexpr int kWordBits = std::countr_zero(static_cast<unsigned>(F::kSize));
  using Element = std::conditional_t<(kWordBits <= 8), uint8_t, uint16_t>;
  static constexpr size_t kPerLane = 8 / sizeof(Element);
  static constexpr uint64_t kOnes = kPerLane == 8 ? 0x0101010101010101u : 0x0001000100010001u;
  static constexpr uint64_t kBelowTop = kOnes * ((1u << (kWordBits - 1)) - 1);
  static constexpr uint64_t kReduce = AztecFieldPolynomial(kWordBits) & (F::kSize - 1);
  static constexpr int kNibbles = (kWordBits + 3) / 4;
  static uint64_t Double(uint64_t v) { return ((v & kBelowTop) << 1) ^ (((v >> (kWordBits - 1)) & kOnes) * kReduce); }
};

// table[16 * m + v], `lanes` words each: (v << 4m) times the generator g
// (its n coefficients after the leading 1), for each nibble m of a word.
// The rows of single bits double the one before; the others are sums.
template <typename F, typename E>
void NibbleRows(const E* g, size_t n, size_t lanes, uint64_t* table) {
  using L = Lanes<F>;
  std::memcpy(table + lanes, g + 1, n * sizeof(E));  // row 1: g itself, the lanes' tails 0
  for (int m = 0; m < L::kNibbles; ++m) {
    uint64_t* rows = table + static_cast<size_t>(16 * m) * lanes;
    for (size_t bit = m == 0 ? 2 : 1; bit < 16; bit *= 2) {
      const uint64_t* from = bit == 1 ? rows - 8 * lanes : rows + bit / 2 * lanes;
      for (size_t l = 0; l < lanes; ++l) rows[bit * lanes + l] = L::Double(from[l]);
    }
    for (size_t v = 3; v < 16; ++v) {
      if ((v & (v - 1)) == 0) continue;
      const uint64_t *a = rows + (v & (v - 1)) * lanes, *b = rows + (v & (0 - v)) * lanes;
      for (size_t l = 0; l < lanes; ++l) rows[v * lanes + l] = a[l] ^ b[l];
    }
  }
}

// The check words of `words` (data only) up to `total`, in the binary
// field `f`: the remainder of data(x) x^n divided by the generator, by
// long division in a separate array of sums (sums[j] collects what the
// earlier steps subtract from position j, so nothing shifts), a lane of
// several sums a step with the multiple of the generator read from the
// nibble rows.  In characteristic 2 subtracting is adding, and the
// remainder is the check words as they are.
template <typename F>
void AppendEccIn(const F& f, std::vector<uint16_t>& words, int32_t total) {
  using L = Lanes<F>;
  using E = typename L::Element;
  const size_t data = words.size(), n = static_cast<size_t>(total) - data;
  const size_t lanes = (n + L::kPerLane - 1) / L::kPerLane;
  std::vector<E> g(n + 1 + L::kPerLane, 0);
  GeneratorOf(f, n, g.data());
  std::vector<uint64_t> table(static_cast<size_t>(16 * L::kNibbles) * lanes, 0);
  NibbleRows<F>(g.data(), n, lanes, table.data());
  std::vector<E> sums(static_cast<size_t>(total) + L::kPerLane, 0);
  for (size_t j = 0; j < data; ++j) {
    const uint32_t lead = static_cast<uint32_t>(words[j] ^ sums[j]);
    if (lead == 0) continue;
    E* tail = sums.data() + j + 1;
    const uint64_t* r0 = table.data() + (lead & 15) * lanes;
    const uint64_t* r1 = L::kNibbles > 1 ? table.data() + (16 + ((lead >> 4) & 15)) * lanes : r0;
    const uint64_t* r2 = L::kNibbles > 2 ? table.data() + (32 + ((lead >> 8) & 15)) * lanes : r0;
    for (size_t l = 0; l < lanes; ++l, tail += L::kPerLane) {
      uint64_t v;
      std::memcpy(&v, tail, sizeof v);
      v ^= r0[l];
      if constexpr (L::kNibbles > 1) v ^= r1[l];
      if constexpr (L::kNibbles > 2) v ^= r2[l];
      std::memcpy(tail, &v, sizeof v);
    }
  }
  words.insert(words.end(), sums.begin() + static_cast<std::ptrdiff_t>(data), sums.begin() + total);
}

}  // namespace

std::vector<uint16_t> AztecStuff(const AztecBits& bits, int32_t word_bits) {
  const auto n = static_cast<int32_t>(bits.size());
  const uint32_t mask = (1u << word_bits) - 2;  // the first word_bits - 1 bits
  std::vector<uint16_t> words;
  words.reserve(static_cast<size_t>(n / (word_bits - 1) + 2));
  for (int32_t i = 0; i < n; i += word_bits) {
    uint32_t word = 0;
    for (int32_t j = 0; j < word_bits; ++j) {
      if (i + j >= n || bits.bits[static_cast<size_t>(i + j)]) word |= 1u << (word_bits - 1 - j);
    }
    if ((word & mask) == mask) {
      word &= mask;
      --i;
    } else if ((word & mask) == 0) {
      word |= 1;
      --i;
    }
    words.push_back(static_cast<uint16_t>(word));
  }
  return words;
}

namespace {

// The 1s of padding the words add after the bits.
size_t PaddingBits(const std::vector<uint16_t>& words, int32_t word_bits, size_t bits) {
  size_t kept = 0;
  for (uint16_t w : words) kept += (w == 1 || w == (1u << word_bits) - 2) ? word_bits - 1 : word_bits;
  return kept - bits;
}

}  // namespace

std::vector<uint16_t> AztecDataWords(const AztecBits& bits, int32_t word_bits) {
  std::vector<uint16_t> words = AztecStuff(bits, word_bits);
  constexpr size_t kBinaryShiftAndLength = 10;
  if (bits.end_mode == kAztecDigit || bits.end_mode == kAztecPunct ||
      PaddingBits(words, word_bits, bits.size()) < kBinaryShiftAndLength) {
    return words;
  }
  AztecBits latched = bits;
  if (bits.end_mode == kAztecMixed) latched.Append(static_cast<uint32_t>(kAztecLatch[kAztecMixed][kAztecUpper]), 5);
  latched.Append(static_cast<uint32_t>(kAztecLatch[kAztecUpper][kAztecDigit]), 5);  // the same code in Lower
  latched.end_mode = kAztecDigit;
  return AztecStuff(latched, word_bits);
}

void AztecAppendEcc(std::vector<uint16_t>& words, int32_t total, int32_t word_bits) {
  switch (word_bits) {
    case 4: return AppendEccIn(kAztecGf16, words, total);
    case 6: return AppendEccIn(kAztecGf64, words, total);
    case 8: return AppendEccIn(kAztecGf256, words, total);
    case 10: return AppendEccIn(kAztecGf1024, words, total);
    default: return AppendEccIn(kAztecGf4096, words, total);
  }
}

// The layers and data words, 2 + 6 bits (compact) or 5 + 11, as words of
// 4 bits with their check words in GF(16) (7.2.2).
std::vector<uint16_t> AztecModeMessage(const AztecSize& size, int32_t data_words) {
  const uint32_t value = size.compact ? static_cast<uint32_t>((size.layers - 1) << 6 | (data_words - 1))
                                      : static_cast<uint32_t>((size.layers - 1) << 11 | (data_words - 1));
  const int32_t data = size.ModeMessageDataWords();
  std::vector<uint16_t> words;
  for (int32_t k = data - 1; k >= 0; --k) words.push_back(static_cast<uint16_t>((value >> (4 * k)) & 15));
  AztecAppendEcc(words, size.ModeMessageWords(), 4);
  return words;
}

namespace {

// The columns (and rows) of the symbol without its reference grid, `base`
// across, in the symbol: a full-range symbol's grid lines every 16 modules
// from the centre are stepped over.
using LayerMap = std::array<int16_t, 4 * 32 + 14>;
LayerMap LayerMapOf(const AztecSize& size) {
  const int32_t base = size.BaseWidth(), half = base / 2, center = size.Width() / 2;
  LayerMap map{};
  for (int32_t i = 0; i < half; ++i) {
    const int32_t shift = size.compact ? 0 : i / 15 + 1;
    map[static_cast<size_t>(half - i - 1)] = static_cast<int16_t>(size.compact ? half - i - 1 : center - i - shift);
    map[static_cast<size_t>(half + i)] = static_cast<int16_t>(size.compact ? half + i : center + i + shift);
  }
  if (size.compact) map[static_cast<size_t>(base - 1)] = static_cast<int16_t>(base - 1);  // odd: the centre
  return map;
}

// Calls f(bit, x, y) for each layer bit's module.  Layer 0 is the
// outermost; each holds `row` dominoes of two bits on each side, the sides
// in turn clockwise from the top-left, running from the outer edge in.  The
// reference grid's lines of a full-range symbol are skipped by mapping the
// positions of the symbol without them (`base` across) onto it.
template <typename F>
void ForEachLayerModule(const AztecSize& size, F&& f) {
  const int32_t base = size.BaseWidth();
  const LayerMap map = LayerMapOf(size);
  int32_t offset = 0;
  for (int32_t i = 0; i < size.layers; ++i) {
    const int32_t row = (size.layers - i) * 4 + (size.compact ? 9 : 12);
    const int32_t side = 2 * row, near = 2 * i, far = base - 1 - 2 * i;
    for (int32_t j = 0; j < row; ++j) {
      for (int32_t k = 0; k < 2; ++k) {
        const int32_t bit = offset + 2 * j + k;
        const int16_t a = map[static_cast<size_t>(near + k)], b = map[static_cast<size_t>(near + j)];
        const int16_t c = map[static_cast<size_t>(far - k)], d = map[static_cast<size_t>(far - j)];
        f(bit, a, b);
        f(bit + side, b, c);
        f(bit + 2 * side, c, d);
        f(bit + 3 * side, d, a);
      }
    }
    offset += 8 * row;
  }
}

}  // namespace

std::vector<AztecModule> AztecLayerModules(const AztecSize& size) {
  std::vector<AztecModule> out(static_cast<size_t>(size.LayerBits()));
  ForEachLayerModule(size, [&](int32_t bit, int16_t x, int16_t y) { out[static_cast<size_t>(bit)] = {x, y}; });
  return out;
}

// The mode message's bits round the bullseye: top, right, bottom, left.
std::vector<AztecModule> AztecModeMessageModules(const AztecSize& size) {
  const int32_t c = size.Width() / 2, r = size.BullseyeRadius();
  const int32_t side = size.compact ? 7 : 10;
  std::vector<AztecModule> out(static_cast<size_t>(4 * side));
  for (int32_t i = 0; i < side; ++i) {
    const auto o = static_cast<int16_t>(size.compact ? c - 3 + i : c - 5 + i + i / 5);
    out[static_cast<size_t>(i)] = {o, static_cast<int16_t>(c - r)};
    out[static_cast<size_t>(i + side)] = {static_cast<int16_t>(c + r), o};
    out[static_cast<size_t>(3 * side - 1 - i)] = {o, static_cast<int16_t>(c + r)};
    out[static_cast<size_t>(4 * side - 1 - i)] = {static_cast<int16_t>(c - r), o};
  }
  return out;
}

namespace {

// Calls f(x, y, dark) for the bullseye's rings (dark at even distances from
// the centre), the orientation marks in the ring of the mode message (three
// modules at the top-left corner, two at the top-right, one at the
// bottom-right), and the reference grid of a full-range symbol: lines every
// 16 modules through the centre, alternately dark and light.
template <typename F>
void ForEachFixedModule(const AztecSize& size, F&& add) {
  const int32_t width = size.Width(), c = width / 2, r = size.BullseyeRadius();
  for (int32_t y = c - r + 1; y < c + r; ++y) {
    for (int32_t x = c - r + 1; x < c + r; ++x) add(x, y, std::max(std::abs(x - c), std::abs(y - c)) % 2 == 0);
  }
  const int32_t marks[][3] = {{-r, -r, 1}, {-r + 1, -r, 1}, {-r, -r + 1, 1}, {r, -r, 1},     {r, -r + 1, 1},
                              {r, r - 1, 1}, {r - 1, -r, 0}, {-r + 1, r, 0}, {-r, r - 1, 0}, {-r, r, 0},
                              {r, r, 0},     {r - 1, r, 0}};
  for (const auto& m : marks) add(c + m[0], c + m[1], m[2] != 0);
  if (size.compact) return;
  for (int32_t i = 0, j = 0; i < size.BaseWidth() / 2 - 1; i += 15, j += 16) {
    for (int32_t k = 0; k < width; ++k) {
      const bool dark = (k - c) % 2 == 0;
      add(c - j, k, dark);
      add(c + j, k, dark);
      add(k, c - j, dark);
      add(k, c + j, dark);
    }
  }
}

}  // namespace

std::vector<AztecFixedModule> AztecFixedModules(const AztecSize& size) {
  std::vector<AztecFixedModule> out;
  ForEachFixedModule(size, [&](int32_t x, int32_t y, bool dark) {
    out.push_back({static_cast<int16_t>(x), static_cast<int16_t>(y), dark});
  });
  return out;
}

namespace {

// The symbol as rows of bits for the font text (MatrixRows), its quiet zone
// included: module (x, y) of the symbol is bit x + q of row y + q.
class SymbolRows {
 public:
  explicit SymbolRows(const AztecSize& size)
      : width_(size.Width()),
        full_(width_ + 2 * kAztecQuietZone),
        stride_(MatrixRowsStride(full_)),
        bits_(static_cast<size_t>(MatrixRowsHeight(full_) * stride_), 0) {}
  int32_t Stride() const { return stride_; }
  uint64_t* Row(int32_t y) { return bits_.data() + static_cast<size_t>((y + kAztecQuietZone) * stride_); }
  void Set(int32_t x, int32_t y, uint32_t dark) {
    Row(y)[(x + kAztecQuietZone) / 64] |= static_cast<uint64_t>(dark) << ((x + kAztecQuietZone) % 64);
  }
  // ORs up to 16 modules, bit i of `mask` at x + i.
  static void OrBits(uint64_t* row, int32_t x, uint64_t mask) {
    const int32_t at = x + kAztecQuietZone, shift = at % 64;
    row[at / 64] |= mask << shift;
    if (shift > 48) row[at / 64 + 1] |= mask >> (64 - shift);
  }
  bool At(int32_t x, int32_t y) const {
    const uint64_t* row = bits_.data() + static_cast<size_t>((y + kAztecQuietZone) * stride_);
    return (row[(x + kAztecQuietZone) / 64] >> ((x + kAztecQuietZone) % 64)) & 1;
  }
  MatrixRows View() const { return {full_, full_, stride_, bits_.data()}; }

 private:
  int32_t width_, full_, stride_;
  std::vector<uint64_t> bits_;
};

// Each byte's bits, the most significant first, a byte each.
constexpr auto kBitBytes = [] {
  std::array<std::array<uint8_t, 8>, 256> t{};
  for (size_t v = 0; v < 256; ++v) {
    for (size_t i = 0; i < 8; ++i) t[v][i] = static_cast<uint8_t>((v >> (7 - i)) & 1);
  }
  return t;
}();

// The layers' bit stream, one bit a byte: the light padding bits first,
// then the words, the most significant bit first.  Eight spare bytes at the
// end take the last word's spread.
template <int32_t kWordBits>
void SpreadWords(const std::vector<uint16_t>& words, int32_t pad, uint8_t* out) {
  std::memset(out, 0, static_cast<size_t>(pad));
  uint8_t* p = out + pad;
  for (const uint16_t w : words) {
    if constexpr (kWordBits > 8) {
      std::memcpy(p, kBitBytes[static_cast<size_t>((w >> 8) << (16 - kWordBits))].data(), 8);
      p += kWordBits - 8;
      std::memcpy(p, kBitBytes[w & 255].data(), 8);
      p += 8;
    } else {
      std::memcpy(p, kBitBytes[static_cast<size_t>(w << (8 - kWordBits))].data(), 8);
      p += kWordBits;
    }
  }
}

// The layers' modules in the order ForEachLayerModule gives, walked side by
// side: each side's dominoes run along two columns (sides 0 and 2) or two
// rows (sides 1 and 3), so each module's place is a row's first word and a
// column's word and bit, looked up per position of the map.
void PlaceLayers(const AztecSize& size, const uint8_t* s, SymbolRows& rows) {
  const LayerMap map = LayerMapOf(size);
  std::array<uint64_t*, 4 * 32 + 14> row{};
  std::array<uint8_t, 4 * 32 + 14> word{}, bit{};
  const int32_t base = size.BaseWidth();
  for (int32_t i = 0; i < base; ++i) {
    const auto at = static_cast<size_t>(i);
    row[at] = rows.Row(map[at]);
    word[at] = static_cast<uint8_t>((map[at] + kAztecQuietZone) / 64);
    bit[at] = static_cast<uint8_t>((map[at] + kAztecQuietZone) % 64);
  }
  const auto put = [&](int32_t y, int32_t x, uint8_t dark) {
    row[static_cast<size_t>(y)][word[static_cast<size_t>(x)]] |= static_cast<uint64_t>(dark) << bit[static_cast<size_t>(x)];
  };
  for (int32_t i = 0; i < size.layers; ++i) {
    const int32_t n = (size.layers - i) * 4 + (size.compact ? 9 : 12);
    const int32_t near = 2 * i, far = base - 1 - 2 * i;
    for (int32_t j = 0; j < n; ++j, s += 2) put(near + j, near, s[0]), put(near + j, near + 1, s[1]);
    for (int32_t j = 0; j < n; ++j, s += 2) put(far, near + j, s[0]), put(far - 1, near + j, s[1]);
    for (int32_t j = 0; j < n; ++j, s += 2) put(far - j, far, s[0]), put(far - j, far - 1, s[1]);
    for (int32_t j = 0; j < n; ++j, s += 2) put(near, far - j, s[0]), put(near + 1, far - j, s[1]);
  }
}

// The mode message round the bullseye, as AztecModeMessageModules places
// it.
void PlaceModeMessage(const AztecSize& size, int32_t data_words, SymbolRows& rows) {
  const std::vector<uint16_t> mode = AztecModeMessage(size, data_words);
  const int32_t c = size.Width() / 2, r = size.BullseyeRadius(), side = size.compact ? 7 : 10;
  const auto bit = [&](int32_t b) { return static_cast<uint32_t>(mode[static_cast<size_t>(b / 4)] >> (3 - b % 4)) & 1; };
  for (int32_t i = 0; i < side; ++i) {
    const int32_t o = size.compact ? c - 3 + i : c - 5 + i + i / 5;
    rows.Set(o, c - r, bit(i));
    rows.Set(c + r, o, bit(i + side));
    rows.Set(o, c + r, bit(3 * side - 1 - i));
    rows.Set(c - r, o, bit(4 * side - 1 - i));
  }
}

// The bullseye's rows inside its outer ring (radius 5 or 7, which the mode
// message shares): row dy of [compact ? 0 : 1], module i at distance i - r
// + 1 from the centre, dark where the larger distance is even.
constexpr auto kBullseyeRows = [] {
  std::array<std::array<uint16_t, 13>, 2> t{};
  for (int kind = 0; kind < 2; ++kind) {
    const int r = kind == 0 ? 5 : 7;
    for (int dy = 0; dy < 2 * r - 1; ++dy) {
      for (int i = 0; i < 2 * r - 1; ++i) {
        const int a = i - r + 1 < 0 ? r - 1 - i : i - r + 1, b = dy - r + 1 < 0 ? r - 1 - dy : dy - r + 1;
        if ((a > b ? a : b) % 2 == 0) t[static_cast<size_t>(kind)][static_cast<size_t>(dy)] |= static_cast<uint16_t>(1u << i);
      }
    }
  }
  return t;
}();

// The dark modules of ForEachFixedModule by rows: the bullseye, the dark
// orientation marks and, full-range, the reference grid (lines every 16
// modules from the centre, dark where the distance to the centre along the
// line is even).
void PlaceFixed(const AztecSize& size, SymbolRows& rows) {
  const int32_t width = size.Width(), c = width / 2, r = size.BullseyeRadius();
  const auto& bullseye = kBullseyeRows[size.compact ? 0 : 1];
  for (int32_t dy = 0; dy < 2 * r - 1; ++dy) SymbolRows::OrBits(rows.Row(c - r + 1 + dy), c - r + 1, bullseye[static_cast<size_t>(dy)]);
  const int32_t marks[][2] = {{-r, -r}, {-r + 1, -r}, {-r, -r + 1}, {r, -r}, {r, -r + 1}, {r, r - 1}};
  for (const auto& m : marks) rows.Set(c + m[0], c + m[1], 1);
  if (size.compact) return;
  const int32_t lines = (size.BaseWidth() / 2 - 1 + 14) / 15;  // each way from the centre, the centre's included
  std::array<uint64_t, 3> columns{}, across{};  // the grid's columns; the modules of a grid row
  for (int32_t j = 0; j < lines; ++j) {
    for (const int32_t x : {c - 16 * j, c + 16 * j}) columns[static_cast<size_t>((x + kAztecQuietZone) / 64)] |= uint64_t{1} << ((x + kAztecQuietZone) % 64);
  }
  for (int32_t x = c % 2; x < width; x += 2) across[static_cast<size_t>((x + kAztecQuietZone) / 64)] |= uint64_t{1} << ((x + kAztecQuietZone) % 64);
  const auto or_row = [&](int32_t y, const std::array<uint64_t, 3>& m) {
    uint64_t* row = rows.Row(y);
    for (int32_t w = 0; w < rows.Stride(); ++w) row[w] |= m[static_cast<size_t>(w)];
  };
  for (int32_t y = c % 2; y < width; y += 2) or_row(y, columns);
  for (int32_t j = 0; j < lines; ++j) or_row(c - 16 * j, across), or_row(c + 16 * j, across);
}

// The whole symbol as rows of bits.
SymbolRows RowsOf(const AztecSize& size, const std::vector<uint16_t>& words, int32_t data_words) {
  SymbolRows rows(size);
  const int32_t wb = size.WordBits(), pad = size.LayerBits() % wb;
  const std::unique_ptr<uint8_t[]> stream(new uint8_t[static_cast<size_t>(size.LayerBits()) + 8]);
  switch (wb) {
    case 6: SpreadWords<6>(words, pad, stream.get()); break;
    case 8: SpreadWords<8>(words, pad, stream.get()); break;
    case 10: SpreadWords<10>(words, pad, stream.get()); break;
    default: SpreadWords<12>(words, pad, stream.get()); break;
  }
  PlaceLayers(size, stream.get(), rows);
  PlaceModeMessage(size, data_words, rows);
  PlaceFixed(size, rows);
  return rows;
}

}  // namespace

ModuleGrid AztecSymbol(const AztecSize& size, const std::vector<uint16_t>& words, int32_t data_words) {
  const SymbolRows rows = RowsOf(size, words, data_words);
  const int32_t width = size.Width();
  ModuleGrid grid(width, width);
  for (int32_t y = 0; y < width; ++y) {
    for (int32_t x = 0; x < width; ++x) grid.set(x, y, rows.At(x, y));
  }
  return grid;
}

void AztecAppendSymbolText(const AztecSize& size, const std::vector<uint16_t>& words, int32_t data_words,
                           FontString& out) {
  AppendMatrixRows(RowsOf(size, words, data_words).View(), out);
}

}  // namespace tavo
