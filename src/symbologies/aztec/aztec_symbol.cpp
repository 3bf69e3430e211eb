// Aztec Code's symbol: the Reed-Solomon check words, the mode message,
// and where each bit, the bullseye, the orientation marks and the
// reference grid go (ISO/IEC 24778:2008, 7.2 and 7.3).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "symbologies/aztec/aztec.h"
#include "symbologies/aztec/aztec_fields.h"

namespace tavo {
namespace {

// The check words of `words` (data only) up to `total`, in the binary
// field `f`.  The generator's coefficients come from its roots a^1 ..
// a^n one factor at a time, then turn into logarithms; the remainder is the
// long division of data(x) x^n by it, done in a separate array of sums so
// that the division reads each data word once and shifts nothing: sums[j]
// collects what the earlier steps subtract from position j.  (In
// characteristic 2 subtracting is adding, and the remainder is the check
// words as they are.)
template <typename F>
void AppendEccIn(const F& f, std::vector<uint16_t>& words, int32_t total) {
  const size_t data = words.size(), ecc = static_cast<size_t>(total) - data;
  constexpr uint32_t kNoLog = UINT32_MAX;
  std::vector<uint32_t> g(ecc + 1, 0);  // g[k]: the coefficient of x^(n-k), then its logarithm
  g[0] = 1;
  for (size_t i = 0; i < ecc; ++i) {
    const uint32_t root_log = static_cast<uint32_t>(kAztecFirstRoot + i) % F::kOrder;
    for (size_t k = i + 1; k >= 1; --k) {
      if (g[k - 1] != 0) g[k] ^= f.exp[f.log[g[k - 1]] + root_log];
    }
  }
  bool zero_coefficient = false;
  for (size_t k = 1; k <= ecc; ++k) {
    zero_coefficient = zero_coefficient || g[k] == 0;
    g[k] = g[k] == 0 ? kNoLog : f.log[g[k]];
  }
  std::vector<uint16_t> sums(static_cast<size_t>(total), 0);
  for (size_t j = 0; j < data; ++j) {
    const uint32_t lead = static_cast<uint32_t>(words[j] ^ sums[j]);
    if (lead == 0) continue;
    const auto* exp = f.exp.data() + f.log[lead];
    uint16_t* tail = sums.data() + j;
    if (zero_coefficient) {
      for (size_t k = 1; k <= ecc; ++k) {
        if (g[k] != kNoLog) tail[k] = static_cast<uint16_t>(tail[k] ^ exp[g[k]]);
      }
    } else {  // the usual case: no test in the loop
      for (size_t k = 1; k <= ecc; ++k) tail[k] = static_cast<uint16_t>(tail[k] ^ exp[g[k]]);
    }
  }
  words.insert(words.end(), sums.begin() + static_cast<std::ptrdiff_t>(data), sums.end());
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

// Calls f(bit, x, y) for each layer bit's module.  Layer 0 is the
// outermost; each holds `row` dominoes of two bits on each side, the sides
// in turn clockwise from the top-left, running from the outer edge in.  The
// reference grid's lines of a full-range symbol are skipped by mapping the
// positions of the symbol without them (`base` across) onto it.
template <typename F>
void ForEachLayerModule(const AztecSize& size, F&& f) {
  const int32_t base = size.BaseWidth(), half = base / 2, center = size.Width() / 2;
  std::array<int16_t, 4 * 32 + 14> map{};
  for (int32_t i = 0; i < half; ++i) {
    const int32_t shift = size.compact ? 0 : i / 15 + 1;
    map[static_cast<size_t>(half - i - 1)] = static_cast<int16_t>(size.compact ? half - i - 1 : center - i - shift);
    map[static_cast<size_t>(half + i)] = static_cast<int16_t>(size.compact ? half + i : center + i + shift);
  }
  if (size.compact) map[static_cast<size_t>(base - 1)] = static_cast<int16_t>(base - 1);  // odd: the centre
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

ModuleGrid AztecSymbol(const AztecSize& size, const std::vector<uint16_t>& words, int32_t data_words) {
  const int32_t width = size.Width(), wb = size.WordBits();
  ModuleGrid grid(width, width);
  // The layers' bit stream: light padding bits first, then the words.
  std::vector<uint8_t> stream(static_cast<size_t>(size.LayerBits()), 0);
  uint8_t* next = stream.data() + size.LayerBits() % wb;
  for (const uint16_t w : words) {
    for (int32_t j = wb - 1; j >= 0; --j) *next++ = static_cast<uint8_t>((w >> j) & 1);
  }
  uint8_t* dark = grid.dark.data();
  ForEachLayerModule(size, [&](int32_t bit, int16_t x, int16_t y) { dark[y * width + x] = stream[static_cast<size_t>(bit)]; });
  const std::vector<uint16_t> mode = AztecModeMessage(size, data_words);
  const std::vector<AztecModule> mode_modules = AztecModeMessageModules(size);
  for (size_t b = 0; b < mode_modules.size(); ++b) {
    grid.set(mode_modules[b].x, mode_modules[b].y, (mode[b / 4] >> (3 - b % 4)) & 1);
  }
  ForEachFixedModule(size, [&](int32_t x, int32_t y, bool d) { dark[y * width + x] = d ? 1 : 0; });
  return grid;
}

}  // namespace tavo
