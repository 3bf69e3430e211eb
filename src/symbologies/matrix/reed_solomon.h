// Reed-Solomon codes over a finite field, one implementation for every 2D
// symbology:
// - GF(2^m), built from its field polynomial with the primitive element
//   x = 2: QR Code x^8 + x^4 + x^3 + x^2 + 1 (0x11D, ISO/IEC 18004:2015
//   clause 7.5.2), Data Matrix x^8 + x^5 + x^3 + x^2 + 1 (301, ISO/IEC
//   16022:2006 clause 5.7.1); Aztec's fields of 6, 8, 10 and 12 bits
//   (ISO/IEC 24778) are built the same way.
// - GF(p) for a prime p, built from a primitive element: PDF417 uses GF(929)
//   with 3 (ISO/IEC 15438).
// A generator polynomial of degree n has the roots a^b .. a^(b+n-1) for the
// first root b: 0 in QR Code, 1 in Data Matrix and PDF417.
//
// Everything here is constexpr, so a symbology's field and generators are
// tables built by the compiler.  Correction (syndromes, Berlekamp-Massey,
// Forney) is for readers only: src/readers/matrix/reed_solomon_correct.h.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>

namespace tavo::reed_solomon {

// The field of Q elements; T holds an element (uint8_t for Q <= 256).  An
// odd Q is a prime field, an even one a field of characteristic 2.
template <typename T, int Q>
struct Field {
  static_assert(Q - 1 <= std::numeric_limits<T>::max(), "T holds every element");
  using Element = T;
  static constexpr int kSize = Q;
  static constexpr int kOrder = Q - 1;  // of the multiplicative group
  static constexpr bool kPrime = Q % 2 == 1;

  std::array<T, 2 * Q> exp{};  // a^i, repeated so a sum of two logarithms needs no reduction
  std::array<T, Q> log{};      // log[0] is not used

  constexpr T Add(T a, T b) const { return kPrime ? static_cast<T>((a + b) % Q) : static_cast<T>(a ^ b); }
  constexpr T Negate(T a) const { return kPrime ? static_cast<T>((Q - a) % Q) : a; }
  constexpr T Sub(T a, T b) const { return Add(a, Negate(b)); }
  constexpr T Mul(T a, T b) const { return (a == 0 || b == 0) ? 0 : exp[log[a] + log[b]]; }
  constexpr T Div(T a, T b) const { return a == 0 ? 0 : exp[log[a] + kOrder - log[b]]; }  // b != 0
  // a^i for any integer i.
  constexpr T Power(int64_t i) const { return exp[static_cast<size_t>(((i % kOrder) + kOrder) % kOrder)]; }
  // a + a + ... (k times): k a, the field's own multiple of an element.
  constexpr T Times(int64_t k, T a) const {
    return kPrime ? Mul(static_cast<T>(k % Q), a) : (k % 2 == 1 ? a : 0);
  }
};

namespace detail {

// Fills the powers of the primitive element, each from the one before by
// `next`, and their logarithms.
template <typename T, int Q, typename Next>
constexpr Field<T, Q> PowersOf(Next next) {
  Field<T, Q> f;
  unsigned x = 1;
  for (int i = 0; i < Q - 1; ++i) {
    f.exp[i] = static_cast<T>(x);
    f.log[x] = static_cast<T>(i);
    x = next(x);
  }
  for (int i = Q - 1; i < 2 * Q; ++i) f.exp[i] = f.exp[i - (Q - 1)];
  return f;
}

}  // namespace detail

// GF(2^m) from its field polynomial (degree m, Q = 2^m): the primitive
// element is x, and a power that reaches x^m is reduced by the polynomial.
template <typename T, int Q>
constexpr Field<T, Q> BinaryField(unsigned polynomial) {
  static_assert(Q % 2 == 0);
  return detail::PowersOf<T, Q>([polynomial](unsigned x) {
    x <<= 1;
    return (x & Q) ? x ^ polynomial : x;
  });
}

// GF(p), p = Q prime, from a primitive element.
template <typename T, int Q>
constexpr Field<T, Q> PrimeField(unsigned primitive) {
  static_assert(Q % 2 == 1);
  return detail::PowersOf<T, Q>([primitive](unsigned x) { return x * primitive % Q; });
}

// A generator polynomial of degree up to N, its leading 1 left out, the
// others as logarithms from x^(n-1) down to x^0 (kZero for a coefficient 0),
// so that the division multiplies with one table look-up.
template <typename T, int N>
struct Generator {
  static constexpr int kZero = std::numeric_limits<T>::max();
  uint16_t degree = 0;
  std::array<T, N> log{};
};

// (x - a^b)(x - a^(b+1)) ... (x - a^(b+n-1)) in the field `f`, n <= N.
template <int N, typename F>
constexpr Generator<typename F::Element, N> MakeGenerator(const F& f, int n, int first_root) {
  using T = typename F::Element;
  static_assert(F::kOrder <= Generator<T, N>::kZero, "kZero is no logarithm (they run to kOrder - 1)");
  std::array<T, N + 1> g{};  // g[k]: the coefficient of x^(n-k)
  g[0] = 1;
  for (int i = 0; i < n; ++i) {
    const T root = f.Power(first_root + i);
    for (int k = i + 1; k >= 1; --k) g[k] = f.Sub(g[k], f.Mul(g[k - 1], root));
  }
  Generator<T, N> out;
  out.degree = static_cast<uint16_t>(n);
  for (int k = 0; k < n; ++k) out.log[k] = g[k + 1] == 0 ? Generator<T, N>::kZero : f.log[g[k + 1]];
  return out;
}

// The error correction codewords of a block, fed its data codewords one at
// a time (a symbology may interleave its blocks): the remainder of
// data(x) x^n divided by the generator, negated so that data and error
// correction together are a multiple of the generator.
template <typename F, int N>
class Encoder {
 public:
  using T = typename F::Element;
  constexpr Encoder(const F& field, const Generator<T, N>& generator) : field_(field), generator_(generator) {}

  constexpr void Push(T codeword) {
    const int n = generator_.degree;
    const T factor = field_.Add(codeword, remainder_[0]);
    for (int k = 0; k + 1 < n; ++k) remainder_[k] = remainder_[k + 1];
    remainder_[n - 1] = 0;
    if (factor == 0) return;
    const T* exp = field_.exp.data() + field_.log[factor];
    for (int k = 0; k < n; ++k) {
      const T g = generator_.log[k];
      if (g != Generator<T, N>::kZero) remainder_[k] = field_.Sub(remainder_[k], exp[g]);
    }
  }
  // Error correction codeword k of n, the first the highest power.
  constexpr T Ecc(int k) const { return field_.Negate(remainder_[k]); }

 private:
  const F& field_;
  const Generator<T, N>& generator_;
  std::array<T, N> remainder_{};
};

// True when every syndrome of the block (its codewords highest power first)
// is zero: r(a^b) = ... = r(a^(b+n-1)) = 0 for n error correction codewords.
template <typename F>
constexpr bool SyndromesAreZero(const F& f, std::span<const typename F::Element> block, int n,
                                int first_root) {
  for (int j = 0; j < n; ++j) {
    const typename F::Element x = f.Power(first_root + j);
    typename F::Element s = 0;
    for (typename F::Element c : block) s = f.Add(f.Mul(s, x), c);  // Horner's rule
    if (s != 0) return false;
  }
  return true;
}

}  // namespace tavo::reed_solomon
