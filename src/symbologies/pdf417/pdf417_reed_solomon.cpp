// The error correction codewords of PDF417 and MicroPDF417.
#include "symbologies/pdf417/pdf417_reed_solomon.h"

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

// The division runs four codewords at a time.  Feeding back t1, t2, t3 and
// t4 in turn adds t1 m[k + 3] + t2 m[k + 2] + t3 m[k + 1] + t4 m[k] to the
// remainder's coefficient k (m = minus, 0 past n - 1).  A table has two
// halves: entry k of the first holds m[k + 3] in its low 16 bits and
// m[k + 2] in its high 16, of the second m[k + 1] and m[k], so two 16-bit
// multiply-adds of each half (SSE2's pmaddwd) make the four steps of one
// coefficient.  In each half entries k = 0 .. n - 1 are written twice in a
// row, so that at any turn of the register the entries of its slots are
// consecutive, and 4 zero entries follow for a pass of four slots at a
// time past the end.
constexpr int HalfLength(int n) { return 2 * n + 4; }
constexpr int TableLength(int n) { return 2 * HalfLength(n); }

constexpr void FillTable(int n, uint32_t* table) {
  std::array<uint32_t, kMaxErrorCodewords + 3> m{};
  NegatedGenerator(n, m.data());
  for (int j = 0; j < HalfLength(n); ++j) {
    const size_t k = static_cast<size_t>(j % n);
    const bool pad = j >= 2 * n;
    table[j] = pad ? 0 : m[k + 3] | m[k + 2] << 16;
    table[HalfLength(n) + j] = pad ? 0 : m[k + 1] | m[k] << 16;
  }
}

// m[k] for k < 3 from a table (0 past n - 1).
constexpr uint32_t Minus(const uint32_t* table, int n, int k) {
  if (k >= n) return 0;
  const uint32_t entry = table[HalfLength(n) + (k & ~1)];
  return k % 2 == 0 ? entry >> 16 : entry & 0xFFFF;
}

// The tables of counts 1 to 3, of PDF417's levels 0 to 5 (2 to 64) and of
// MicroPDF417's sizes are built by the compiler; other counts when asked
// for.
constexpr int kBuiltMax = 64;
constexpr uint16_t kNotBuilt = 0xFFFF;

constexpr bool IsBuilt(int n) {
  if (n >= 1 && n < 4) return true;
  if (n >= 2 && n <= kBuiltMax && (n & (n - 1)) == 0) return true;
  for (const MicroPdfSize& s : kMicroPdfSizes) {  // a loop: Emscripten's libc++ has no std::ranges::any_of
    if (s.ec == n) return true;
  }
  return false;
}
static_assert([] {
  for (const MicroPdfSize& s : kMicroPdfSizes) {
    if (s.ec > kBuiltMax) return false;
  }
  return true;
}());

constexpr size_t kBuiltLength = [] {
  size_t length = 0;
  for (int n = 1; n <= kBuiltMax; ++n) length += IsBuilt(n) ? TableLength(n) : 0;
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
    FillTable(n, b.entries.data() + at);
    at = static_cast<uint16_t>(at + TableLength(n));
  }
  return b;
}();

// slots[p] += t1 low(first[p]) + t2 high(first[p]) + t3 low(second[p]) +
// t4 high(second[p]) for p < width, a multiple of 4; t12 = t1 | t2 << 16,
// t34 = t3 | t4 << 16.
inline void MultiplyAdd(uint32_t* slots, const uint32_t* first, const uint32_t* second, int width, uint32_t t12,
                        uint32_t t34) {
#ifdef TAVO_PDF417_SSE2
  const __m128i a = _mm_set1_epi32(static_cast<int>(t12)), b = _mm_set1_epi32(static_cast<int>(t34));
  for (int p = 0; p < width; p += 4) {
    const __m128i x = _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first + p)), a);
    const __m128i y = _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(second + p)), b);
    __m128i* at = reinterpret_cast<__m128i*>(slots + p);
    _mm_store_si128(at, _mm_add_epi32(_mm_load_si128(at), _mm_add_epi32(x, y)));
  }
#else
  const auto product = [](uint32_t t, uint32_t e) { return (t & 0xFFFF) * (e & 0xFFFF) + (t >> 16) * (e >> 16); };
  for (int p = 0; p < width; ++p) slots[p] += product(t12, first[p]) + product(t34, second[p]);
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

// Fewer than 4 codewords (PDF417's level 0 has 2): one step a codeword.
void DivideShort(std::span<const uint16_t> data, const uint32_t* table, std::span<uint16_t> ec) {
  const int n = static_cast<int>(ec.size());
  const std::array<uint32_t, 3> m = {Minus(table, n, 0), Minus(table, n, 1), Minus(table, n, 2)};
  std::array<uint32_t, 4> r{};  // r[k] the coefficient of x^(n-1-k); r[n] stays 0
  for (uint16_t d : data) {
    const uint32_t t = Mod929(d + r[0]);
    for (size_t k = 0; k < 3; ++k) r[k] = Mod929(r[k + 1] + t * m[k]);
  }
  for (size_t k = 0; k < ec.size(); ++k) ec[k] = static_cast<uint16_t>(Mod929(kP - r[k]));
}

// The remainder's coefficients as plain sums, reduced only where one is fed
// back or read out.  Coefficient k (of x^(n-1-k)) is in slot (top + k) mod
// n: four steps turn the register by moving `top`, not the slots.  A slot
// gathers at most n / 4 + 1 passes of 4 products below 929 x 929 between
// two reads, so it stays below 2^31 (with the 3 products the feedback
// adds), as the signed multiply-add and Mod929 need.
static_assert(uint64_t{kFieldSize} * kFieldSize * (kMaxErrorCodewords + 4 + 3) < (uint64_t{1} << 31));

// 4 or more codewords; `Slots` at least ec.size() rounded up to 4.
static_assert(kBuiltMax % 4 == 0 && kMaxErrorCodewords % 4 == 0);
template <size_t Slots>
void Divide(std::span<const uint16_t> data, const uint32_t* table, std::span<uint16_t> ec) {
  const int n = static_cast<int>(ec.size()), width = (n + 3) & ~3;
  const uint32_t m0 = Minus(table, n, 0), m1 = Minus(table, n, 1), m2 = Minus(table, n, 2);
  alignas(16) std::array<uint32_t, Slots> slots{};
  const auto slot = [n](int at) { return at < n ? at : at - n; };  // at < 2n
  // The data in fours, after as many leading zeros as make the count a
  // multiple of 4 (a leading zero changes no remainder).
  const size_t lead = (4 - data.size() % 4) % 4;
  std::array<uint32_t, 4> first{};
  for (size_t j = lead; j < 4 && j - lead < data.size(); ++j) first[j] = data[j - lead];
  int top = 0;
  for (size_t at = 0; at < data.size() + lead; at += 4) {
    const size_t i = at - lead;  // data[i] is the first of this four (unless it is the first four)
    const bool padded = at == 0 && lead != 0;
    const uint32_t d1 = padded ? first[0] : data[i], d2 = padded ? first[1] : data[i + 1];
    const uint32_t d3 = padded ? first[2] : data[i + 2], d4 = padded ? first[3] : data[i + 3];
    const size_t s0 = static_cast<size_t>(top), s1 = static_cast<size_t>(slot(top + 1));
    const size_t s2 = static_cast<size_t>(slot(top + 2)), s3 = static_cast<size_t>(slot(top + 3));
    const uint32_t t1 = Mod929(d1 + slots[s0]);
    const uint32_t t2 = Mod929(d2 + slots[s1] + t1 * m0);
    const uint32_t t3 = Mod929(d3 + slots[s2] + t1 * m1 + t2 * m0);
    const uint32_t t4 = Mod929(d4 + slots[s3] + t1 * m2 + t2 * m1 + t3 * m0);
    slots[s0] = slots[s1] = slots[s2] = slots[s3] = 0;
    const int turn = slot(2 * n - top - 4);  // (-top - 4) mod n
    MultiplyAdd(slots.data(), table + turn, table + HalfLength(n) + turn, width, t1 | t2 << 16, t3 | t4 << 16);
    top = slot(top + 4);
  }
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
    const uint32_t* table = kBuilt.entries.data() + kBuilt.start[n];
    if (n < 4) {
      DivideShort(data, table, ec);
    } else {
      Divide<kBuiltMax>(data, table, ec);
    }
    return;
  }
  std::array<uint32_t, TableLength(kMaxErrorCodewords)> table;
  FillTable(static_cast<int>(n), table.data());
  Divide<kMaxErrorCodewords>(data, table.data(), ec);
}

std::vector<uint16_t> ErrorCodewords(std::span<const uint16_t> data, int count) {
  std::vector<uint16_t> ec(static_cast<size_t>(count));
  ErrorCodewords(data, std::span<uint16_t>(ec));
  return ec;
}

}  // namespace tavo::pdf417
