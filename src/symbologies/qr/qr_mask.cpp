// QR Code mask selection: every mask scored with the four penalty rules.
//
// Rows and columns are held as bit sets (bit x of a row is the module in
// column x) so that each rule runs over 64 modules per instruction: equal
// neighbours are ~(r ^ (r >> 1)), a finder-like pattern is an AND of seven
// shifts.  Modules outside the symbol read as light, as the rules want.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <cstdlib>

#include "symbologies/qr/qr.h"

namespace tavo {
namespace {

constexpr int32_t kRunPenalty = 3;       // run of 5 same-colour modules, +1 per extra module
constexpr int32_t kBlockPenalty = 3;     // 2 x 2 block of one colour
constexpr int32_t kFinderPenalty = 40;   // 1:1:3:1:1 dark-light pattern beside 4 light modules
constexpr int32_t kBalancePenalty = 10;  // per whole 5 % of dark modules away from half

// Mask patterns repeat every 12 modules along either axis (mask 4 has
// periods 6 and 4, masks 5-7 period 6).
constexpr int32_t kMaskPeriod = 12;

template <int W>
struct Bits {
  std::array<uint64_t, W> w{};
  constexpr void Set(int32_t x, bool on) {
    const uint64_t bit = uint64_t{1} << (x & 63);
    w[x >> 6] = on ? (w[x >> 6] | bit) : (w[x >> 6] & ~bit);
  }
};

template <int W>
Bits<W> operator&(const Bits<W>& a, const Bits<W>& b) {
  Bits<W> r;
  for (int i = 0; i < W; ++i) r.w[i] = a.w[i] & b.w[i];
  return r;
}
template <int W>
Bits<W> operator|(const Bits<W>& a, const Bits<W>& b) {
  Bits<W> r;
  for (int i = 0; i < W; ++i) r.w[i] = a.w[i] | b.w[i];
  return r;
}
template <int W>
Bits<W> operator^(const Bits<W>& a, const Bits<W>& b) {
  Bits<W> r;
  for (int i = 0; i < W; ++i) r.w[i] = a.w[i] ^ b.w[i];
  return r;
}
template <int W>
Bits<W> operator~(const Bits<W>& a) {
  Bits<W> r;
  for (int i = 0; i < W; ++i) r.w[i] = ~a.w[i];
  return r;
}
// Bit x of the result is bit x + k (Down) or x - k (Up) of `a`, 0 < k < 64.
template <int W>
Bits<W> Down(const Bits<W>& a, int k) {
  Bits<W> r;
  for (int i = 0; i < W; ++i) r.w[i] = a.w[i] >> k | (i + 1 < W ? a.w[i + 1] << (64 - k) : 0);
  return r;
}
template <int W>
Bits<W> Up(const Bits<W>& a, int k) {
  Bits<W> r;
  for (int i = 0; i < W; ++i) r.w[i] = a.w[i] << k | (i > 0 ? a.w[i - 1] >> (64 - k) : 0);
  return r;
}
// Set bits of a word, in a dozen instructions: without a population count
// instruction in the target's baseline, std::popcount is a library call.
constexpr int32_t PopCount(uint64_t x) {
  x = x - (x >> 1 & 0x5555555555555555u);
  x = (x & 0x3333333333333333u) + (x >> 2 & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int32_t>(x * 0x0101010101010101u >> 56);
}
static_assert(PopCount(0) == 0 && PopCount(~uint64_t{0}) == 64 && PopCount(0x8001) == 2);

template <int W>
int32_t Count(const Bits<W>& a) {
  int32_t n = 0;
  for (int i = 0; i < W; ++i) n += PopCount(a.w[i]);
  return n;
}
// The same for bit sets that hold few bits (run starts, finder patterns):
// a few instructions per set bit, and next to none for an empty word.
template <int W>
int32_t CountFew(const Bits<W>& a) {
  int32_t n = 0;
  for (int i = 0; i < W; ++i) {
    for (uint64_t x = a.w[i]; x != 0; x &= x - 1) ++n;
  }
  return n;
}
// Bits 0 .. n-1 set.
template <int W>
Bits<W> FirstBits(int32_t n) {
  Bits<W> r;
  for (int i = 0; i < W; ++i) {
    const int32_t in_word = std::clamp(n - 64 * i, 0, 64);
    r.w[i] = in_word == 64 ? ~uint64_t{0} : (uint64_t{1} << in_word) - 1;
  }
  return r;
}

// Rules 1 and 3 over one row or column.  `pairs` holds the positions that
// have a right neighbour (0 .. n-2), `sevens` those that begin seven
// modules inside the line (0 .. n-7).
template <int W>
TAVO_HOT_INLINE int32_t LinePenalty(const Bits<W>& r, const Bits<W>& pairs, const Bits<W>& sevens) {
  const Bits<W> d1 = Down(r, 1), d2 = Down(r, 2), d3 = Down(r, 3);
  const Bits<W> same = ~(r ^ d1) & pairs;
  // Five equal modules from x; a run of n >= 5 holds n - 4 such windows and
  // costs 3 + (n - 5): the windows plus 2 for each run.
  const Bits<W> five = same & Down(same, 1) & Down(same, 2) & Down(same, 3);
  const int32_t runs = CountFew(five) + (kRunPenalty - 1) * CountFew(five & ~Up(five, 1));
  // Dark 1011101 from x, with four light modules before or after it.
  const Bits<W> finder = r & d2 & d3 & Down(r, 4) & Down(r, 6) & ~(d1 | Down(r, 5)) & sevens;
  const Bits<W> after = r | d1 | d2 | d3;                      // dark among x .. x+3
  const Bits<W> before = r | Up(r, 1) | Up(r, 2) | Up(r, 3);  // dark among x-3 .. x
  const Bits<W> beside = ~Up(before, 1) | ~Down(after, 7);
  return runs + kFinderPenalty * CountFew(finder & beside);
}

// A symbol as bit-set rows and columns.
template <int W>
struct BitSymbol {
  int32_t size = 0;
  std::array<Bits<W>, QrSize(kQrMaxVersion)> rows{};
  std::array<Bits<W>, QrSize(kQrMaxVersion)> cols{};
  void Set(int32_t x, int32_t y, bool dark) {
    rows[y].Set(x, dark);
    cols[x].Set(y, dark);
  }
};

template <int W>
int32_t Penalty(const BitSymbol<W>& s) {
  const int32_t n = s.size;
  const Bits<W> pairs = FirstBits<W>(n - 1), sevens = FirstBits<W>(n - 6);
  int32_t penalty = 0, dark = 0;
  for (int32_t i = 0; i < n; ++i) {
    penalty += LinePenalty(s.rows[i], pairs, sevens) + LinePenalty(s.cols[i], pairs, sevens);
    dark += Count(s.rows[i]);
    if (i + 1 < n) {
      const Bits<W>& a = s.rows[i];
      const Bits<W>& b = s.rows[i + 1];
      penalty += kBlockPenalty * Count(~(a ^ b) & ~(a ^ Down(a, 1)) & ~(b ^ Down(b, 1)) & pairs);
    }
  }
  const int32_t total = n * n;
  return penalty + kBalancePenalty * (std::abs(dark * 20 - total * 10) / total);
}

// Eight modules (bytes 0 or 1) as the low eight bits, the first the lowest:
// on a little-endian machine one multiplication gathers bit 0 of every byte.
inline uint64_t PackEight(const uint8_t* m) {
  if constexpr (std::endian::native == std::endian::little) {
    uint64_t v;
    std::memcpy(&v, m, sizeof v);
    return v * 0x0102040810204080u >> 56;
  } else {
    uint64_t r = 0;
    for (int32_t i = 0; i < 8; ++i) r |= uint64_t{m[i]} << i;
    return r;
  }
}

// `count` (at most 64) modules as bits, the first the lowest.
inline uint64_t PackModules(const uint8_t* m, int32_t count) {
  uint64_t r = 0;
  int32_t b = 0;
  for (; b + 8 <= count; b += 8) r |= PackEight(m + b) << b;
  for (; b < count; ++b) r |= uint64_t{m[b]} << b;
  return r;
}

// Transposes a 64 x 64 bit matrix in place (bit x of word y becomes bit y
// of word x): six rounds that swap ever smaller off-diagonal blocks.
void Transpose64(std::array<uint64_t, 64>& a) {
  uint64_t m = 0x00000000FFFFFFFFu;
  for (int32_t j = 32; j != 0; j >>= 1, m ^= m << j) {
    for (int32_t k = 0; k < 64; k = ((k | j) + 1) & ~j) {
      const uint64_t t = ((a[k] >> j) ^ a[k | j]) & m;
      a[k | j] ^= t;
      a[k] ^= t << j;
    }
  }
}

// The columns of a symbol whose rows are set, 64 x 64 modules at a time.
template <int W>
void RowsToColumns(BitSymbol<W>& s) {
  const int32_t n = s.size;
  std::array<uint64_t, 64> a;
  for (int bi = 0; bi < W; ++bi) {
    for (int bj = 0; bj < W; ++bj) {
      for (int32_t k = 0; k < 64; ++k) {
        a[k] = bi * 64 + k < n ? s.rows[bi * 64 + k].w[bj] : 0;
      }
      Transpose64(a);
      for (int32_t k = 0; k < 64 && bj * 64 + k < n; ++k) s.cols[bj * 64 + k].w[bi] = a[k];
    }
  }
}

// The grid's modules as bit sets; `invert` takes light modules as set.
template <int W>
void ToBits(const ModuleGrid& grid, BitSymbol<W>& s, bool invert = false) {
  const int32_t n = grid.width;
  s.size = n;
  const Bits<W> all = FirstBits<W>(n);
  for (int32_t y = 0; y < n; ++y) {
    const uint8_t* m = grid.dark.data() + static_cast<size_t>(y) * n;
    for (int i = 0; i < W; ++i) {
      const uint64_t row = PackModules(m + i * 64, std::min(n - i * 64, 64));
      s.rows[y].w[i] = invert ? row ^ all.w[i] : row;
    }
  }
  RowsToColumns(s);
}

// The modules a mask inverts along one line: kMaskLines[mask][k] has bit i
// set when the mask inverts (i, k) -- or, the patterns being symmetric in
// use, (k, i) read as a column through kMaskColumns.
struct MaskLines {
  std::array<std::array<Bits<3>, kMaskPeriod>, kQrMaskCount> rows{};
  std::array<std::array<Bits<3>, kMaskPeriod>, kQrMaskCount> cols{};
};

// A line of 192 modules repeating `period12` (bit i = module i of 12).
constexpr Bits<3> RepeatTwelve(uint64_t period12) {
  Bits<3> b;
  for (int32_t i = 0; i < 3 * 64; ++i) b.w[i >> 6] |= (period12 >> (i % kMaskPeriod) & 1) << (i & 63);
  return b;
}

constexpr MaskLines MakeMaskLines() {
  MaskLines t;
  for (int32_t m = 0; m < kQrMaskCount; ++m) {
    for (int32_t k = 0; k < kMaskPeriod; ++k) {
      uint64_t row = 0, col = 0;
      for (int32_t i = 0; i < kMaskPeriod; ++i) {
        row |= uint64_t{QrMaskInverts(m, i, k)} << i;
        col |= uint64_t{QrMaskInverts(m, k, i)} << i;
      }
      t.rows[m][k] = RepeatTwelve(row);
      t.cols[m][k] = RepeatTwelve(col);
    }
  }
  return t;
}

constexpr MaskLines kLines = MakeMaskLines();

template <int W>
Bits<W> Narrow(const Bits<3>& b) {
  Bits<W> r;
  for (int i = 0; i < W; ++i) r.w[i] = b.w[i];
  return r;
}

template <int W>
int32_t BestMask(const ModuleGrid& unmasked, const ModuleGrid& function, QrLevel level) {
  BitSymbol<W> base, data;
  ToBits(unmasked, base);
  ToBits(function, data, true);
  const int32_t n = base.size;
  int32_t best = 0, best_penalty = 0;
  BitSymbol<W> trial;
  trial.size = n;
  for (int32_t m = 0; m < kQrMaskCount; ++m) {
    for (int32_t i = 0; i < n; ++i) {
      trial.rows[i] = base.rows[i] ^ (Narrow<W>(kLines.rows[m][i % kMaskPeriod]) & data.rows[i]);
      trial.cols[i] = base.cols[i] ^ (Narrow<W>(kLines.cols[m][i % kMaskPeriod]) & data.cols[i]);
    }
    const uint32_t format = QrFormatBits(level, m);
    QrForEachFormatModule(n, [&](int32_t x, int32_t y, int32_t bit, int32_t) {
      trial.Set(x, y, format >> bit & 1);
    });
    const int32_t penalty = Penalty(trial);
    if (m == 0 || penalty < best_penalty) {
      best_penalty = penalty;
      best = m;
    }
  }
  return best;
}

}  // namespace

int32_t QrPenalty(const ModuleGrid& modules) {
  BitSymbol<3> s;
  ToBits(modules, s);
  return Penalty(s);
}

// The modules each mask inverts as bytes: kMaskBytes[mask][y % 12][x] is 1
// when mask `mask` inverts (x, y), for every column of version 40.
using MaskRows = std::array<std::array<std::array<uint8_t, QrSize(kQrMaxVersion)>, kMaskPeriod>, kQrMaskCount>;
constexpr MaskRows MakeMaskBytes() {
  MaskRows t{};
  for (int32_t m = 0; m < kQrMaskCount; ++m) {
    for (int32_t y = 0; y < kMaskPeriod; ++y) {
      for (int32_t x = 0; x < QrSize(kQrMaxVersion); ++x) t[m][y][x] = QrMaskInverts(m, x, y) ? 1 : 0;
    }
  }
  return t;
}
constexpr MaskRows kMaskBytes = MakeMaskBytes();

void QrApplyMask(int32_t mask, const ModuleGrid& function, ModuleGrid& grid) {
  const size_t width = static_cast<size_t>(grid.width);
  for (int32_t y = 0; y < grid.height; ++y) {
    const uint8_t* line = kMaskBytes[mask][y % kMaskPeriod].data();
    uint8_t* row = grid.dark.data() + static_cast<size_t>(y) * width;
    const uint8_t* fixed = function.dark.data() + static_cast<size_t>(y) * width;
    for (size_t x = 0; x < width; ++x) row[x] ^= static_cast<uint8_t>(line[x] & (fixed[x] ^ 1));
  }
}

int32_t QrBestMask(const ModuleGrid& unmasked, const ModuleGrid& function, QrLevel level) {
  // One, two or three 64-bit words per line.
  if (unmasked.width <= 64) return BestMask<1>(unmasked, function, level);
  if (unmasked.width <= 128) return BestMask<2>(unmasked, function, level);
  return BestMask<3>(unmasked, function, level);
}

}  // namespace tavo
