// Forced into every core source of the WebAssembly build (-include).  Debian's
// Emscripten ships libc++ 13, which has the ranges concepts and views but not
// yet the constrained algorithms of <algorithm> (they came with libc++ 15).
// The core uses a few of them; this header supplies those it may meet, for
// that old libc++ only, so the core compiles there without modification.
// With a newer libc++ it is empty.
#pragma once
#ifdef __cplusplus
#include <version>
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 15000
#include <algorithm>
#include <concepts>
#include <functional>
#include <iterator>
#include <ranges>

namespace std::ranges {
namespace tavo_compat {

// The core's algorithms over a range are these over [begin, end).
template <class I, class S, class T, class Comp, class Proj>
constexpr I LowerBound(I first, S last, const T& value, Comp& comp, Proj& proj) {
  auto n = std::distance(first, I(last));
  while (n > 0) {
    auto half = n / 2;
    I mid = std::next(first, half);
    if (std::invoke(comp, std::invoke(proj, *mid), value)) {
      first = ++mid;
      n -= half + 1;
    } else {
      n = half;
    }
  }
  return first;
}

template <class I, class S, class T, class Comp, class Proj>
constexpr I UpperBound(I first, S last, const T& value, Comp& comp, Proj& proj) {
  auto n = std::distance(first, I(last));
  while (n > 0) {
    auto half = n / 2;
    I mid = std::next(first, half);
    if (!std::invoke(comp, value, std::invoke(proj, *mid))) {
      first = ++mid;
      n -= half + 1;
    } else {
      n = half;
    }
  }
  return first;
}

template <class I, class S, class Pred, class Proj>
constexpr I FindIf(I first, S last, Pred& pred, Proj& proj) {
  for (; first != last; ++first)
    if (std::invoke(pred, std::invoke(proj, *first))) break;
  return first;
}

template <class I, class S, class Comp, class Proj>
constexpr I IsSortedUntil(I first, S last, Comp& comp, Proj& proj) {
  if (first == last) return first;
  I next = first;
  while (++next != last) {
    if (std::invoke(comp, std::invoke(proj, *next), std::invoke(proj, *first))) return next;
    first = next;
  }
  return next;
}

template <class I, class S, class Comp, class Proj>
constexpr I MinElement(I first, S last, Comp& comp, Proj& proj) {
  if (first == last) return first;
  I best = first;
  while (++first != last)
    if (std::invoke(comp, std::invoke(proj, *first), std::invoke(proj, *best))) best = first;
  return best;
}

}  // namespace tavo_compat

inline constexpr struct {
  template <std::input_iterator I, std::sentinel_for<I> S, class T, class Comp = ranges::less,
            class Proj = std::identity>
  constexpr I operator()(I first, S last, const T& value, Comp comp = {}, Proj proj = {}) const {
    return tavo_compat::LowerBound(first, last, value, comp, proj);
  }
  template <ranges::forward_range R, class T, class Comp = ranges::less, class Proj = std::identity>
  constexpr ranges::borrowed_iterator_t<R> operator()(R&& r, const T& value, Comp comp = {},
                                                      Proj proj = {}) const {
    return tavo_compat::LowerBound(ranges::begin(r), ranges::end(r), value, comp, proj);
  }
} lower_bound;

inline constexpr struct {
  template <std::input_iterator I, std::sentinel_for<I> S, class T, class Comp = ranges::less,
            class Proj = std::identity>
  constexpr I operator()(I first, S last, const T& value, Comp comp = {}, Proj proj = {}) const {
    return tavo_compat::UpperBound(first, last, value, comp, proj);
  }
  template <ranges::forward_range R, class T, class Comp = ranges::less, class Proj = std::identity>
  constexpr ranges::borrowed_iterator_t<R> operator()(R&& r, const T& value, Comp comp = {},
                                                      Proj proj = {}) const {
    return tavo_compat::UpperBound(ranges::begin(r), ranges::end(r), value, comp, proj);
  }
} upper_bound;

inline constexpr struct {
  template <std::input_iterator I, std::sentinel_for<I> S, class T, class Comp = ranges::less,
            class Proj = std::identity>
  constexpr bool operator()(I first, S last, const T& value, Comp comp = {}, Proj proj = {}) const {
    first = tavo_compat::LowerBound(first, last, value, comp, proj);
    return first != last && !std::invoke(comp, value, std::invoke(proj, *first));
  }
  template <ranges::forward_range R, class T, class Comp = ranges::less, class Proj = std::identity>
  constexpr bool operator()(R&& r, const T& value, Comp comp = {}, Proj proj = {}) const {
    return (*this)(ranges::begin(r), ranges::end(r), value, std::move(comp), std::move(proj));
  }
} binary_search;

inline constexpr struct {
  template <std::forward_iterator I, std::sentinel_for<I> S, class Comp = ranges::less,
            class Proj = std::identity>
  constexpr I operator()(I first, S last, Comp comp = {}, Proj proj = {}) const {
    return tavo_compat::IsSortedUntil(first, last, comp, proj);
  }
  template <ranges::forward_range R, class Comp = ranges::less, class Proj = std::identity>
  constexpr ranges::borrowed_iterator_t<R> operator()(R&& r, Comp comp = {}, Proj proj = {}) const {
    return tavo_compat::IsSortedUntil(ranges::begin(r), ranges::end(r), comp, proj);
  }
} is_sorted_until;

inline constexpr struct {
  template <std::forward_iterator I, std::sentinel_for<I> S, class Comp = ranges::less,
            class Proj = std::identity>
  constexpr bool operator()(I first, S last, Comp comp = {}, Proj proj = {}) const {
    return tavo_compat::IsSortedUntil(first, last, comp, proj) == last;
  }
  template <ranges::forward_range R, class Comp = ranges::less, class Proj = std::identity>
  constexpr bool operator()(R&& r, Comp comp = {}, Proj proj = {}) const {
    return tavo_compat::IsSortedUntil(ranges::begin(r), ranges::end(r), comp, proj) == ranges::end(r);
  }
} is_sorted;

inline constexpr struct {
  template <std::input_iterator I, std::sentinel_for<I> S, class Pred, class Proj = std::identity>
  constexpr I operator()(I first, S last, Pred pred, Proj proj = {}) const {
    return tavo_compat::FindIf(first, last, pred, proj);
  }
  template <ranges::input_range R, class Pred, class Proj = std::identity>
  constexpr ranges::borrowed_iterator_t<R> operator()(R&& r, Pred pred, Proj proj = {}) const {
    return tavo_compat::FindIf(ranges::begin(r), ranges::end(r), pred, proj);
  }
} find_if;

inline constexpr struct {
  template <std::input_iterator I, std::sentinel_for<I> S, class T, class Proj = std::identity>
  constexpr I operator()(I first, S last, const T& value, Proj proj = {}) const {
    auto equal = [&value](const auto& x) { return x == value; };
    return tavo_compat::FindIf(first, last, equal, proj);
  }
  template <ranges::input_range R, class T, class Proj = std::identity>
  constexpr ranges::borrowed_iterator_t<R> operator()(R&& r, const T& value, Proj proj = {}) const {
    return (*this)(ranges::begin(r), ranges::end(r), value, std::move(proj));
  }
} find;

inline constexpr struct {
  template <ranges::input_range R, class Pred, class Proj = std::identity>
  constexpr bool operator()(R&& r, Pred pred, Proj proj = {}) const {
    return tavo_compat::FindIf(ranges::begin(r), ranges::end(r), pred, proj) != ranges::end(r);
  }
} any_of;

inline constexpr struct {
  template <ranges::input_range R, class Pred, class Proj = std::identity>
  constexpr bool operator()(R&& r, Pred pred, Proj proj = {}) const {
    auto fails = [&pred](const auto& x) { return !std::invoke(pred, x); };
    return tavo_compat::FindIf(ranges::begin(r), ranges::end(r), fails, proj) == ranges::end(r);
  }
} all_of;

inline constexpr struct {
  template <ranges::input_range R, class Pred, class Proj = std::identity>
  constexpr bool operator()(R&& r, Pred pred, Proj proj = {}) const {
    return tavo_compat::FindIf(ranges::begin(r), ranges::end(r), pred, proj) == ranges::end(r);
  }
} none_of;

inline constexpr struct {
  template <ranges::input_range R, class T, class Proj = std::identity>
  constexpr ranges::range_difference_t<R> operator()(R&& r, const T& value, Proj proj = {}) const {
    ranges::range_difference_t<R> n = 0;
    for (auto&& x : r)
      if (std::invoke(proj, x) == value) ++n;
    return n;
  }
} count;

inline constexpr struct {
  template <ranges::forward_range R, class Comp = ranges::less, class Proj = std::identity>
  constexpr ranges::borrowed_iterator_t<R> operator()(R&& r, Comp comp = {}, Proj proj = {}) const {
    return tavo_compat::MinElement(ranges::begin(r), ranges::end(r), comp, proj);
  }
} min_element;

inline constexpr struct {
  template <ranges::forward_range R, class Comp = ranges::less, class Proj = std::identity>
  constexpr ranges::borrowed_iterator_t<R> operator()(R&& r, Comp comp = {}, Proj proj = {}) const {
    auto reversed = [&comp](const auto& a, const auto& b) { return std::invoke(comp, b, a); };
    return tavo_compat::MinElement(ranges::begin(r), ranges::end(r), reversed, proj);
  }
} max_element;

}  // namespace std::ranges
#endif
#endif
