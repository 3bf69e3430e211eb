// Reed-Solomon error correction for the readers, in any field of
// symbologies/matrix/reed_solomon.h: syndromes, the error locator by
// Berlekamp-Massey, its roots by Chien search and the error values by
// Forney's formula.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "symbologies/matrix/reed_solomon.h"

namespace tavo::reed_solomon {

namespace detail {

// S_j = r(a^(b+j)), j < n; true when all are zero.
template <typename F, typename T = typename F::Element>
bool Syndromes(const F& f, std::span<const T> block, int n, int first_root, std::vector<T>& s) {
  s.assign(static_cast<size_t>(n), 0);
  bool clean = true;
  for (int j = 0; j < n; ++j) {
    const T x = f.Power(first_root + j);
    T v = 0;
    for (T c : block) v = f.Add(f.Mul(v, x), c);
    s[j] = v;
    clean = clean && v == 0;
  }
  return clean;
}

// The error locator lambda(x) = prod (1 - X_k x) by Berlekamp-Massey; its
// degree, the number of errors, is returned.
template <typename F, typename T = typename F::Element>
int ErrorLocator(const F& f, const std::vector<T>& s, std::vector<T>& lambda) {
  const int n = static_cast<int>(s.size());
  lambda.assign(static_cast<size_t>(n) + 1, 0);
  std::vector<T> prev(lambda), saved;
  lambda[0] = prev[0] = 1;
  int errors = 0, shift = 1;
  T prev_discrepancy = 1;
  for (int k = 0; k < n; ++k) {
    T d = s[k];
    for (int i = 1; i <= errors; ++i) d = f.Add(d, f.Mul(lambda[i], s[k - i]));
    if (d == 0) {
      ++shift;
      continue;
    }
    const T coef = f.Div(d, prev_discrepancy);
    saved = lambda;
    for (int i = 0; i + shift <= n; ++i) lambda[i + shift] = f.Sub(lambda[i + shift], f.Mul(coef, prev[i]));
    if (2 * errors <= k) {
      errors = k + 1 - errors;
      prev.swap(saved);
      prev_discrepancy = d;
      shift = 1;
    } else {
      ++shift;
    }
  }
  return errors;
}

// p(x) at x = a^e.
template <typename F, typename T = typename F::Element>
T EvaluateAtPower(const F& f, const std::vector<T>& p, int count, int64_t e) {
  T sum = 0;
  for (int i = 0; i < count; ++i) sum = f.Add(sum, f.Mul(p[i], f.Power(e * i)));
  return sum;
}

}  // namespace detail

// Corrects the block (its codewords highest power first, the last n of them
// error correction; at most kOrder codewords) in place.  Returns the number
// of codewords corrected, or -1 when the block holds more errors than the
// code can mend (the block may then be changed).
template <typename F, typename T = typename F::Element>
int32_t Correct(const F& f, std::span<T> block, int n, int first_root) {
  std::vector<T> s, lambda;
  if (detail::Syndromes(f, std::span<const T>(block), n, first_root, s)) return 0;
  const int errors = detail::ErrorLocator(f, s, lambda);
  if (2 * errors > n) return -1;
  // The error evaluator omega = S lambda mod x^n, and lambda's formal derivative.
  std::vector<T> omega(static_cast<size_t>(n), 0), derivative(static_cast<size_t>(errors) + 1, 0);
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k <= i && k <= errors; ++k) omega[i] = f.Add(omega[i], f.Mul(lambda[k], s[i - k]));
  }
  for (int i = 1; i <= errors; ++i) derivative[i - 1] = f.Times(i, lambda[i]);
  const int32_t len = static_cast<int32_t>(block.size());
  int32_t found = 0;
  for (int32_t pos = 0; pos < len; ++pos) {
    const int64_t degree = len - 1 - pos;  // the position's locator X = a^degree
    if (detail::EvaluateAtPower(f, lambda, errors + 1, -degree) != 0) continue;
    const T deriv = detail::EvaluateAtPower(f, derivative, errors, -degree);
    if (deriv == 0) return -1;
    // Forney: e = -X^(1-b) omega(X^-1) / lambda'(X^-1).
    const T om = detail::EvaluateAtPower(f, omega, n, -degree);
    const T e = f.Negate(f.Mul(f.Power(degree * (1 - first_root)), f.Div(om, deriv)));
    block[pos] = f.Sub(block[pos], e);
    ++found;
  }
  return found == errors ? found : -1;
}

}  // namespace tavo::reed_solomon
