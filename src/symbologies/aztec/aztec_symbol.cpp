// Aztec Code's symbol: the Reed-Solomon check words, the mode message,
// and where each bit, the bullseye, the orientation marks and the
// reference grid go (ISO/IEC 24778:2008, 7.2 and 7.3).
#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
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
// the product, log(1 + a^j) read from the tables.  (More words than that,
// which no symbol has, go the long way.)
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
  g[0] = 1;
  if (n >= order) {  // more words than any symbol has: the factors one at a time (g[1..n] are 0)
    for (size_t i = 0; i < n; ++i) {
      for (size_t k = i + 1; k >= 1; --k) {
        if (g[k - 1] != 0) g[k] = static_cast<E>(g[k] ^ f.exp[f.log[g[k - 1]] + (i + 1) % order]);
      }
    }
    return;
  }
  const auto log_one_plus = [&](size_t j) { return static_cast<uint32_t>(f.log[f.exp[j] ^ 1u]); };
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

// to = a ^ b, `lanes` words, two at a time where the compiler has vectors
// of two.
#if defined(__GNUC__) || defined(__clang__)
using LanePair = uint64_t __attribute__((vector_size(16)));
#endif
void XorOf(const uint64_t* a, const uint64_t* b, uint64_t* to, size_t lanes) {
  size_t l = 0;
#if defined(__GNUC__) || defined(__clang__)
  for (; l + 2 <= lanes; l += 2) {
    LanePair x, y;
    std::memcpy(&x, a + l, sizeof x);
    std::memcpy(&y, b + l, sizeof y);
    x ^= y;
    std::memcpy(to + l, &x, sizeof x);
  }
#endif
  for (; l < lanes; ++l) to[l] = a[l] ^ b[l];
}

// table[16 * m + v], `lanes` words each: (v << 4m) times the generator g
// (its n coefficients after the leading 1), for each nibble m of a word.
// The rows of single bits double the one before; the others are sums.
template <typename F, typename E>
void NibbleRows(const E* g, size_t n, size_t lanes, uint64_t* table) {
  using L = Lanes<F>;
  std::fill_n(table + lanes, lanes, uint64_t{0});
  auto* row1 = reinterpret_cast<unsigned char*>(table + lanes);  // row 1: g itself, the last lane's tail 0
  for (size_t k = 0; k < n; ++k) std::memcpy(row1 + k * sizeof(E), g + 1 + k, sizeof(E));
  for (int m = 0; m < L::kNibbles; ++m) {
    uint64_t* rows = table + static_cast<size_t>(16 * m) * lanes;
    std::fill_n(rows, lanes, uint64_t{0});  // row 0
    for (size_t bit = m == 0 ? 2 : 1; bit < 16; bit *= 2) {
      const uint64_t* from = bit == 1 ? rows - 8 * lanes : rows + bit / 2 * lanes;
      uint64_t* to = rows + bit * lanes;
      for (size_t l = 0; l < lanes; ++l) to[l] = L::Double(from[l]);
    }
    for (size_t v = 3; v < 16; ++v) {
      if ((v & (v - 1)) == 0) continue;
      XorOf(rows + (v & (v - 1)) * lanes, rows + (v & (0 - v)) * lanes, rows + v * lanes, lanes);
    }
  }
}

// sums ^= r0 ^ r1 ^ r2 (the first `nibbles` of them), `lanes` words of
// 64 bits from `sums` on, two at a time where the compiler has vectors of
// two.
template <int kNibbles, typename E>
void XorRows(E* sums, const uint64_t* r0, const uint64_t* r1, const uint64_t* r2, size_t lanes) {
  auto* at = reinterpret_cast<unsigned char*>(sums);
  size_t l = 0;
#if defined(__GNUC__) || defined(__clang__)
  for (; l + 2 <= lanes; l += 2, at += sizeof(LanePair)) {
    LanePair v, a;
    std::memcpy(&v, at, sizeof v);
    std::memcpy(&a, r0 + l, sizeof a);
    v ^= a;
    if constexpr (kNibbles > 1) std::memcpy(&a, r1 + l, sizeof a), v ^= a;
    if constexpr (kNibbles > 2) std::memcpy(&a, r2 + l, sizeof a), v ^= a;
    std::memcpy(at, &v, sizeof v);
  }
#endif
  for (; l < lanes; ++l, at += sizeof(uint64_t)) {
    uint64_t v;
    std::memcpy(&v, at, sizeof v);
    v ^= r0[l];
    if constexpr (kNibbles > 1) v ^= r1[l];
    if constexpr (kNibbles > 2) v ^= r2[l];
    std::memcpy(at, &v, sizeof v);
  }
}

// Room for n values: on the stack when they are few (the usual symbol),
// else on the heap.  Not initialised.
template <typename T, size_t kLocal>
class Scratch {
 public:
  explicit Scratch(size_t n) {
    if (n > kLocal) heap_.reset(new T[n]);
  }
  T* data() { return heap_ ? heap_.get() : local_.data(); }

 private:
  std::array<T, kLocal> local_;
  std::unique_ptr<T[]> heap_;
};

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
  if (total <= 0 || static_cast<size_t>(total) <= words.size()) return;  // no room for check words
  const size_t data = words.size(), n = static_cast<size_t>(total) - data;
  const size_t lanes = (n + L::kPerLane - 1) / L::kPerLane;
  // The generator, then the sums: each with a lane's room to spare.
  const size_t space_size = n + 1 + static_cast<size_t>(total) + 2 * L::kPerLane;
  Scratch<E, 512> space(space_size);
  E* const g = space.data();
  E* const sums = g + n + 1 + L::kPerLane;
  std::fill_n(g, space_size, E{0});
  GeneratorOf(f, n, g);
  Scratch<uint64_t, 512> table_space(static_cast<size_t>(16 * L::kNibbles) * lanes);
  uint64_t* const table = table_space.data();
  NibbleRows<F>(g, n, lanes, table);
  for (size_t j = 0; j < data; ++j) {
    const uint32_t lead = static_cast<uint32_t>(words[j] ^ sums[j]);
    if (lead == 0) continue;
    E* tail = sums + j + 1;
    const uint64_t* r0 = table + (lead & 15) * lanes;
    const uint64_t* r1 = L::kNibbles > 1 ? table + (16 + ((lead >> 4) & 15)) * lanes : r0;
    const uint64_t* r2 = L::kNibbles > 2 ? table + (32 + ((lead >> 8) & 15)) * lanes : r0;
    XorRows<L::kNibbles>(tail, r0, r1, r2, lanes);
  }
  words.insert(words.end(), sums + data, sums + total);
}

}  // namespace

void AztecAppendEcc(std::vector<uint16_t>& words, int32_t total, int32_t word_bits) {
  switch (word_bits) {
    case 4: return AppendEccIn(kAztecGf16, words, total);
    case 6: return AppendEccIn(kAztecGf64, words, total);
    case 8: return AppendEccIn(kAztecGf256, words, total);
    case 10: return AppendEccIn(kAztecGf1024, words, total);
    default: return AppendEccIn(kAztecGf4096, words, total);
  }
}

namespace {

// The mode message's words: the layers and data words, 2 + 6 bits
// (compact) or 5 + 11, as words of 4 bits, then their check words in
// GF(16) (7.2.2), by the plain division: there are few.
using ModeWords = std::array<uint8_t, 10>;
ModeWords ModeMessageWords(const AztecSize& size, int32_t data_words) {
  const uint32_t value = size.compact ? static_cast<uint32_t>((size.layers - 1) << 6 | (data_words - 1))
                                      : static_cast<uint32_t>((size.layers - 1) << 11 | (data_words - 1));
  const int32_t data = size.ModeMessageDataWords(), n = size.ModeMessageWords() - data;
  ModeWords out{};
  std::array<uint8_t, 7> g{};
  GeneratorOf(kAztecGf16, static_cast<size_t>(n), g.data());
  for (int32_t k = 0; k < data; ++k) {
    out[static_cast<size_t>(k)] = static_cast<uint8_t>((value >> (4 * (data - 1 - k))) & 15);
    const uint8_t lead = out[static_cast<size_t>(k)] ^ out[static_cast<size_t>(data)];
    for (int32_t i = 0; i < n; ++i) {  // the remainder, shifted by one word, minus lead times g
      const auto at = static_cast<size_t>(data + i);
      out[at] = static_cast<uint8_t>((i + 1 < n ? out[at + 1] : 0) ^ kAztecGf16.Mul(lead, g[static_cast<size_t>(i + 1)]));
    }
  }
  return out;
}

}  // namespace

std::vector<uint16_t> AztecModeMessage(const AztecSize& size, int32_t data_words) {
  const ModeWords words = ModeMessageWords(size, data_words);
  return {words.begin(), words.begin() + size.ModeMessageWords()};
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
      : width_(size.Width()), full_(width_ + 2 * kAztecQuietZone), stride_(MatrixRowsStride(full_)) {
    std::fill_n(bits_.begin(), MatrixRowsHeight(full_) * stride_, uint64_t{0});
  }
  SymbolRows(const SymbolRows&) = delete;
  SymbolRows& operator=(const SymbolRows&) = delete;
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
  static constexpr int32_t kMostModules = AztecSizeOf(kAztecSizes).Width() + 2 * kAztecQuietZone;
  int32_t width_, full_, stride_;
  std::array<uint64_t, static_cast<size_t>(MatrixRowsHeight(kMostModules) * MatrixRowsStride(kMostModules))> bits_;
};

// The layers' bit stream packed: bit i of the stream (the light padding
// bits first, then the words, each most significant bit first) is bit
// i % 64 of word i / 64.
class LayerStream {
 public:
  LayerStream(const AztecSize& size, const std::vector<uint16_t>& words) {
    switch (size.WordBits()) {
      case 6: Pack<6>(size, words); break;
      case 8: Pack<8>(size, words); break;
      case 10: Pack<10>(size, words); break;
      default: Pack<12>(size, words); break;
    }
  }
  // The 64 bits from bit `at` on; bits before the stream's start read 0.
  uint64_t At(int64_t at) const {
    if (at < 0) return At(0) << -at;
    const auto w = static_cast<size_t>(at / 64), shift = static_cast<size_t>(at % 64);
    return shift ? (bits_[w] >> shift) | (bits_[w + 1] << (64 - shift)) : bits_[w];
  }

 private:
  // The words' bits reversed into place, 64 at a time.
  template <int32_t kWordBits>
  void Pack(const AztecSize& size, const std::vector<uint16_t>& words) {
    uint64_t acc = 0;
    int32_t fill = size.LayerBits() % kWordBits;  // the padding
    size_t out = 0, next = 0;
    if constexpr (kWordBits == 8) {  // eight words make a word of the stream, shifted by the padding
      for (; next + 8 <= words.size(); next += 8) {
        uint64_t eight = 0;
        for (size_t k = 0; k < 8; ++k) eight |= kReversed[words[next + k] & 255] << (8 * k);
        bits_[out++] = acc | eight << fill;
        acc = fill ? eight >> (64 - fill) : 0;
      }
    }
    for (const uint16_t w : std::span<const uint16_t>(words).subspan(next)) {
      const uint64_t r = kWordBits > 8 ? (kReversed[w & 255] << 8 | kReversed[w >> 8]) >> (16 - kWordBits)
                                       : kReversed[w & 255] >> (8 - kWordBits);
      acc |= r << fill;
      fill += kWordBits;
      if (fill >= 64) {
        bits_[out++] = acc;
        fill -= 64;
        acc = r >> (kWordBits - fill);
      }
    }
    bits_[out] = acc;
    bits_[out + 1] = 0;
  }

  static constexpr auto kReversed = [] {
    std::array<uint64_t, 256> t{};
    for (size_t v = 0; v < 256; ++v) {
      for (size_t i = 0; i < 8; ++i) t[v] |= ((v >> i) & 1) << (7 - i);
    }
    return t;
  }();
  std::array<uint64_t, static_cast<size_t>(AztecSizeOf(kAztecSizes).LayerBits()) / 64 + 2> bits_;  // + 0 words
};

// Bits 0, 2, .. 62 of x as bits 0 to 31.
uint64_t EvenBits(uint64_t x) {
  x &= 0x5555555555555555u;
  x = (x | x >> 1) & 0x3333333333333333u;
  x = (x | x >> 2) & 0x0F0F0F0F0F0F0F0Fu;
  x = (x | x >> 4) & 0x00FF00FF00FF00FFu;
  x = (x | x >> 8) & 0x0000FFFF0000FFFFu;
  return (x | x >> 16) & 0xFFFFFFFFu;
}

uint64_t ReversedBits(uint64_t x) {
  x = (x >> 1 & 0x5555555555555555u) | (x & 0x5555555555555555u) << 1;
  x = (x >> 2 & 0x3333333333333333u) | (x & 0x3333333333333333u) << 2;
  x = (x >> 4 & 0x0F0F0F0F0F0F0F0Fu) | (x & 0x0F0F0F0F0F0F0F0Fu) << 4;
  x = (x >> 8 & 0x00FF00FF00FF00FFu) | (x & 0x00FF00FF00FF00FFu) << 8;
  x = (x >> 16 & 0x0000FFFF0000FFFFu) | (x & 0x0000FFFF0000FFFFu) << 16;
  return x >> 32 | x << 32;
}

// A square of bits, the symbol without its reference grid (`base`
// across): bit x % 64 of word y * stride + x / 64 is module (x, y).
class Square {
 public:
  explicit Square(int32_t base) : stride_((base + 63) / 64) {
    std::fill_n(bits_.begin(), base * stride_, uint64_t{0});
  }
  int32_t Stride() const { return stride_; }
  uint64_t* Row(int32_t y) { return bits_.data() + static_cast<size_t>(y * stride_); }
  const uint64_t* Row(int32_t y) const { return bits_.data() + static_cast<size_t>(y * stride_); }

 private:
  static constexpr int32_t kLargest = AztecSizeOf(kAztecSizes).BaseWidth();
  int32_t stride_;
  std::array<uint64_t, static_cast<size_t>(kLargest * ((kLargest + 63) / 64))> bits_;
};

// A side along two rows: its n dominoes from stream bit `pos`, their first
// bits ORed into row `a` of the square, their second bits into row `b`,
// from module x0 on, in the stream's order or (`reverse`) the other way
// round: the stream's 2n bits are then read reversed, so that their odd
// bits are the first bits.
void RowSide(const LayerStream& s, int64_t pos, int32_t n, bool reverse, int32_t a, int32_t b, int32_t x0, Square& sq) {
  std::array<uint64_t, 4> first{}, second{};  // up to 4 * 32 + 12 bits and a spare word
  for (int32_t t = 0; 32 * t < n; ++t) {
    const uint64_t x = reverse ? ReversedBits(s.At(pos + 2 * n - 64 * (t + 1))) : s.At(pos + 64 * t);
    const uint64_t even = EvenBits(x), odd = EvenBits(x >> 1);
    first[static_cast<size_t>(t / 2)] |= (reverse ? odd : even) << (32 * (t % 2));
    second[static_cast<size_t>(t / 2)] |= (reverse ? even : odd) << (32 * (t % 2));
  }
  const auto last = static_cast<size_t>(n / 64);  // the bits past n are the next side's (or the one before)
  const uint64_t keep = (uint64_t{1} << (n % 64)) - 1;
  first[last] &= keep, second[last] &= keep;
  const auto word = static_cast<size_t>(x0 / 64), shift = static_cast<size_t>(x0 % 64);
  uint64_t* ra = sq.Row(a) + word;
  uint64_t* rb = sq.Row(b) + word;
  const auto words = static_cast<size_t>((x0 % 64 + n + 63) / 64);
  for (size_t k = 0; k < words; ++k) {
    ra[k] |= first[k] << shift | (shift && k ? first[k - 1] >> (64 - shift) : 0);
    rb[k] |= second[k] << shift | (shift && k ? second[k - 1] >> (64 - shift) : 0);
  }
}

// A side along two columns, x and x + 1 (both in one word: x is even, or
// the square is narrower than 64): domino j's two bits go to row
// y0 + j * dy, the first to column x unless `swap`.
void ColumnSide(const LayerStream& s, int64_t pos, int32_t n, int32_t y0, int32_t dy, int32_t x, bool swap, Square& sq) {
  const int shift = x % 64;
  const ptrdiff_t step = dy * sq.Stride();
  uint64_t* row = sq.Row(y0) + x / 64;
  for (int32_t j = 0; j < n; j += 32) {
    uint64_t bits = s.At(pos + 2 * j);
    if (swap) bits = (bits >> 1 & 0x5555555555555555u) | (bits & 0x5555555555555555u) << 1;
    const int32_t end = std::min(n - j, 32);
    int32_t k = 0;
    for (; k + 2 <= end; k += 2, bits >>= 4, row += 2 * step) {  // two at a time: half the loop's overhead
      row[0] |= (bits & 3) << shift;
      row[step] |= (bits >> 2 & 3) << shift;
    }
    if (k < end) *row |= (bits & 3) << shift, row += step;
  }
}

// Where the runs of the map (LayerMapOf) begin: between two runs lies a
// line of the reference grid.
struct MapRuns {
  std::array<int16_t, 16> start{};
  size_t count = 0;
};
MapRuns RunsOf(const LayerMap& map, int32_t base) {
  MapRuns runs;
  for (int32_t x = 0; x < base; ++x) {
    const auto at = static_cast<size_t>(x);
    if (x == 0 || map[at] != map[at - 1] + 1) runs.start[runs.count++] = static_cast<int16_t>(x);
  }
  runs.start[runs.count] = static_cast<int16_t>(base);
  return runs;
}

// The square's rows into the symbol's, each run of the map moved right by
// the grid lines before it (and the quiet zone).  A symbol of no more than
// 64 modules with its quiet zone takes a word a row.
void Expand(const Square& sq, const LayerMap& map, int32_t base, SymbolRows& rows) {
  const MapRuns runs = RunsOf(map, base);
  if (rows.Stride() == 1) {
    std::array<uint64_t, 16> mask{};
    std::array<int, 16> shift{};
    for (size_t r = 0; r < runs.count; ++r) {
      mask[r] = ((uint64_t{1} << (runs.start[r + 1] - runs.start[r])) - 1) << runs.start[r];
      shift[r] = map[static_cast<size_t>(runs.start[r])] + kAztecQuietZone - runs.start[r];
    }
    for (int32_t y = 0; y < base; ++y) {
      const uint64_t from = *sq.Row(y);
      uint64_t to = 0;
      for (size_t r = 0; r < runs.count; ++r) to |= (from & mask[r]) << shift[r];
      *rows.Row(map[static_cast<size_t>(y)]) |= to;
    }
    return;
  }
  for (int32_t y = 0; y < base; ++y) {
    const uint64_t* from = sq.Row(y);
    uint64_t* to = rows.Row(map[static_cast<size_t>(y)]);
    for (size_t r = 0; r < runs.count; ++r) {
      const int32_t x = runs.start[r], len = runs.start[r + 1] - x, at = map[static_cast<size_t>(x)] + kAztecQuietZone;
      const auto w = static_cast<size_t>(x / 64), shift = static_cast<size_t>(x % 64);
      uint64_t v = shift ? from[w] >> shift | (w + 1 < static_cast<size_t>(sq.Stride()) ? from[w + 1] << (64 - shift) : 0)
                         : from[w];
      v &= (uint64_t{1} << len) - 1;  // runs are shorter than 64
      to[at / 64] |= v << (at % 64);
      if (at % 64 && at % 64 + len > 64) to[at / 64 + 1] |= v >> (64 - at % 64);
    }
  }
}

// The layers' modules as ForEachLayerModule places them: each side's
// dominoes run along two rows (sides 1 and 3) or two columns (0 and 2) of
// the symbol without its reference grid, which then moves into the symbol.
void PlaceLayers(const AztecSize& size, const LayerStream& s, SymbolRows& rows) {
  const int32_t base = size.BaseWidth();
  Square sq(base);
  int64_t pos = 0;
  for (int32_t i = 0; i < size.layers; ++i) {
    const int32_t n = (size.layers - i) * 4 + (size.compact ? 9 : 12);
    const int32_t near = 2 * i, far = base - 1 - 2 * i;
    ColumnSide(s, pos, n, near, 1, near, false, sq);
    RowSide(s, pos + 2 * n, n, false, far, far - 1, near, sq);
    ColumnSide(s, pos + 4 * n, n, far, -1, far - 1, true, sq);
    RowSide(s, pos + 6 * n, n, true, near, near + 1, far - n + 1, sq);
    pos += 8 * n;
  }
  Expand(sq, LayerMapOf(size), base, rows);
}

// The mode message round the bullseye, as AztecModeMessageModules places
// it.
void PlaceModeMessage(const AztecSize& size, int32_t data_words, SymbolRows& rows) {
  const ModeWords mode = ModeMessageWords(size, data_words);
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
  // Every other module from the grid's first column (of c's parity) to its
  // last, the quiet zone's offset included.
  const int32_t first = c % 2 + kAztecQuietZone, end = width + kAztecQuietZone;
  const uint64_t alternate = first % 2 ? 0xAAAAAAAAAAAAAAAAu : 0x5555555555555555u;
  for (int32_t w = 0; w < rows.Stride(); ++w) {
    const int32_t lo = std::max(first, 64 * w), hi = std::min(end, 64 * w + 64);  // [lo, hi) of this word
    if (lo < hi) across[static_cast<size_t>(w)] = alternate & (~uint64_t{0} >> (64 - (hi - lo))) << (lo % 64);
  }
  const auto or_row = [&](int32_t y, const std::array<uint64_t, 3>& m) {
    uint64_t* row = rows.Row(y);
    for (int32_t w = 0; w < rows.Stride(); ++w) row[w] |= m[static_cast<size_t>(w)];
  };
  for (int32_t y = c % 2; y < width; y += 2) or_row(y, columns);
  for (int32_t j = 0; j < lines; ++j) or_row(c - 16 * j, across), or_row(c + 16 * j, across);
}

// The whole symbol as rows of bits (all 0 before).
void Layout(const AztecSize& size, const std::vector<uint16_t>& words, int32_t data_words, SymbolRows& rows) {
  PlaceLayers(size, LayerStream(size, words), rows);
  PlaceModeMessage(size, data_words, rows);
  PlaceFixed(size, rows);
}

}  // namespace

ModuleGrid AztecSymbol(const AztecSize& size, const std::vector<uint16_t>& words, int32_t data_words) {
  SymbolRows rows(size);
  Layout(size, words, data_words, rows);
  const int32_t width = size.Width();
  ModuleGrid grid(width, width);
  for (int32_t y = 0; y < width; ++y) {
    for (int32_t x = 0; x < width; ++x) grid.set(x, y, rows.At(x, y));
  }
  return grid;
}

void AztecAppendSymbolText(const AztecSize& size, const std::vector<uint16_t>& words, int32_t data_words,
                           FontString& out) {
  SymbolRows rows(size);
  Layout(size, words, data_words, rows);
  AppendMatrixRows(rows.View(), out);
}

}  // namespace tavo
