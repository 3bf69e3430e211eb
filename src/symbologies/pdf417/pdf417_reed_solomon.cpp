// The error correction codewords of PDF417 and MicroPDF417.
#include "symbologies/pdf417/pdf417_reed_solomon.h"

#include <algorithm>
#include <array>
#include <cstddef>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TAVO_PDF417_SSE2 1
#endif

#include "symbologies/pdf417/micropdf417_tables.h"

namespace tavo::pdf417 {
namespace {

constexpr uint32_t kP = kFieldSize;

// The generator (x - 3)(x - 3^2) ... (x - 3^n) with its coefficients
// negated: minus[k] is -g mod 929 for the coefficient g of x^(n-1-k), k = 0
// .. n - 1 (the leading 1 of x^n left out).
constexpr void NegatedGenerator(int n, uint32_t* minus) {
  std::array<uint32_t, kMaxErrorCodewords + 1> g{};  // g[k]: the coefficient of x^(n-k)
  g[0] = 1;
  uint32_t root = 1;
  for (int i = 0; i < n; ++i) {
    root = root * 3 % kP;
    for (int k = i + 1; k >= 1; --k) g[k] = (g[k] + kP * kP - g[k - 1] * root) % kP;
  }
  for (int k = 0; k < n; ++k) minus[k] = (kP - g[k + 1]) % kP;
}

// ISO/IEC 15438:2015 Table F.1: level 0 is x^2 + 917 x + 27.
static_assert([] {
  uint32_t minus[2]{};
  NegatedGenerator(2, minus);
  return minus[0] == kP - 917 && minus[1] == kP - 27;
}());

// The division runs two codewords at a time.  Feeding back t1 and then t2
// adds t1 * minus[k + 1] + t2 * minus[k] to the remainder's coefficient k
// (minus[n] = 0), so an entry holds minus[k + 1] in its low 16 bits and
// minus[k] in its high 16: one 16-bit multiply-add of each half (SSE2's
// pmaddwd) is the pair of steps for one coefficient.  Entries k = 0 .. n - 1
// are written twice in a row, so that at any turn of the register the
// entries of its slots are consecutive, and 4 zero entries follow for a
// pass of four slots at a time past the end.
constexpr int PairTableLength(int n) { return 2 * n + 4; }

constexpr void FillPairTable(int n, uint32_t* table) {
  std::array<uint32_t, kMaxErrorCodewords + 1> minus{};
  NegatedGenerator(n, minus.data());
  for (int j = 0; j < 2 * n; ++j) {
    const int k = j % n;
    table[j] = minus[static_cast<size_t>(k) + 1] | minus[static_cast<size_t>(k)] << 16;
  }
  for (int j = 2 * n; j < PairTableLength(n); ++j) table[j] = 0;
}

// The tables of every count PDF417's levels 0 to 5 (2 to 64) and
// MicroPDF417's sizes use are built by the compiler; other counts when
// asked for.
constexpr int kBuiltMax = 64;
constexpr uint16_t kNotBuilt = 0xFFFF;

constexpr bool IsBuilt(int n) {
  if (n >= 2 && n <= kBuiltMax && (n & (n - 1)) == 0) return true;
  return std::ranges::any_of(kMicroPdfSizes, [n](const MicroPdfSize& s) { return s.ec == n; });
}
static_assert(std::ranges::all_of(kMicroPdfSizes, [](const MicroPdfSize& s) { return s.ec <= kBuiltMax; }));

constexpr size_t kBuiltLength = [] {
  size_t length = 0;
  for (int n = 1; n <= kBuiltMax; ++n) length += IsBuilt(n) ? PairTableLength(n) : 0;
  return length;
}();

struct BuiltTables {
  std::array<uint16_t, kBuiltMax + 1> start{};  // where count n's table starts, or kNotBuilt
  std::array<uint32_t, kBuiltLength> entries{};
};

constexpr BuiltTables kBuilt = [] {
  BuiltTables b;
  uint16_t at = 0;
  for (int n = 0; n <= kBuiltMax; ++n) {
    b.start[static_cast<size_t>(n)] = IsBuilt(n) ? at : kNotBuilt;
    if (!IsBuilt(n)) continue;
    FillPairTable(n, b.entries.data() + at);
    at = static_cast<uint16_t>(at + PairTableLength(n));
  }
  return b;
}();

// slots[p] += t1 * low(entries[p]) + t2 * high(entries[p]) for p < width, a
// multiple of 4; both = t1 | t2 << 16.
inline void MultiplyAdd(uint32_t* slots, const uint32_t* entries, int width, uint32_t both) {
#ifdef TAVO_PDF417_SSE2
  const __m128i t = _mm_set1_epi32(static_cast<int>(both));
  const auto four = [&](int p) {
    const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries + p));
    __m128i* at = reinterpret_cast<__m128i*>(slots + p);
    _mm_store_si128(at, _mm_add_epi32(_mm_load_si128(at), _mm_madd_epi16(e, t)));
  };
  int p = 0;
  for (; p + 8 <= width; p += 8) {
    four(p);
    four(p + 4);
  }
  if (p < width) four(p);
#else
  const uint32_t t1 = both & 0xFFFF, t2 = both >> 16;
  for (int p = 0; p < width; ++p) slots[p] += t1 * (entries[p] & 0xFFFF) + t2 * (entries[p] >> 16);
#endif
}

// x mod 929 for x below 2^31 by one multiply: the quotient is
// x * ceil(2^41 / 929) / 2^41, exact while 929 * ceil(2^41 / 929) - 2^41
// stays below 2^(41 - 31), and the product fits 64 bits.
constexpr uint64_t kReciprocal = ((uint64_t{1} << 41) + kP - 1) / kP;
static_assert(kReciprocal * kP - (uint64_t{1} << 41) < (uint64_t{1} << 10) && kReciprocal < (uint64_t{1} << 33));
constexpr uint32_t Mod929(uint32_t x) {
  return x - static_cast<uint32_t>((x * kReciprocal) >> 41) * kP;
}
static_assert(Mod929(0x7FFFFFFF) == 0x7FFFFFFF % kP && Mod929(0x7FFFFFFF - 744) == 0 && Mod929(928) == 928 &&
              Mod929(929) == 0);

// The remainder's coefficients as plain sums, reduced only where one is fed
// back or read out.  Coefficient k (of x^(n-1-k)) is in slot (top + k) mod
// n: a pair of steps turns the register by moving `top`, not the slots.  A
// slot gathers at most n / 2 + 1 pairs of products below 929 x 929 between
// two reads, so it stays below 2^31, as the signed multiply-add needs.
static_assert(uint64_t{kFieldSize} * kFieldSize * 2 * (kMaxErrorCodewords / 2 + 1) < (uint64_t{1} << 31));

// `Slots` is at least ec.size() rounded up to 4.
static_assert(kBuiltMax % 4 == 0 && kMaxErrorCodewords % 4 == 0);
template <size_t Slots>
void Divide(std::span<const uint16_t> data, const uint32_t* table, std::span<uint16_t> ec) {
  const int n = static_cast<int>(ec.size()), width = (n + 3) & ~3;
  alignas(16) std::array<uint32_t, Slots> slots{};
  const uint32_t lead = table[0] >> 16;  // minus[0]
  int top = 0;
  const auto pair = [&](uint32_t d1, uint32_t d2) {
    const int next = top + 1 == n ? 0 : top + 1;
    const uint32_t t1 = Mod929(d1 + slots[static_cast<size_t>(top)]);
    const uint32_t second = n > 1 ? slots[static_cast<size_t>(next)] : 0;
    const uint32_t t2 = Mod929(d2 + second + t1 * lead);
    slots[static_cast<size_t>(top)] = 0;
    slots[static_cast<size_t>(next)] = 0;
    const int turn = top + 2 > n ? 2 * n - top - 2 : n - top - 2;  // (-top - 2) mod n
    MultiplyAdd(slots.data(), table + turn, width, t1 | t2 << 16);
    top += 2;
    while (top >= n) top -= n;
  };
  size_t i = data.size() % 2;
  if (i != 0) pair(0, data[0]);  // a leading zero changes no remainder
  for (; i < data.size(); i += 2) pair(data[i], data[i + 1]);
  for (uint16_t& e : ec) {
    e = static_cast<uint16_t>(Mod929(kP - Mod929(slots[static_cast<size_t>(top)])));
    if (++top == n) top = 0;
  }
}

}  // namespace

void ErrorCodewords(std::span<const uint16_t> data, std::span<uint16_t> ec) {
  const size_t n = ec.size();
  if (n == 0) return;
  if (n <= kBuiltMax && kBuilt.start[n] != kNotBuilt) {
    Divide<kBuiltMax>(data, kBuilt.entries.data() + kBuilt.start[n], ec);
    return;
  }
  std::array<uint32_t, PairTableLength(kMaxErrorCodewords)> table;
  FillPairTable(static_cast<int>(n), table.data());
  Divide<kMaxErrorCodewords>(data, table.data(), ec);
}

std::vector<uint16_t> ErrorCodewords(std::span<const uint16_t> data, int count) {
  std::vector<uint16_t> ec(static_cast<size_t>(count));
  ErrorCodewords(data, std::span<uint16_t>(ec));
  return ec;
}

}  // namespace tavo::pdf417
