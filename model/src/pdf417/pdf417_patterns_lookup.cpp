// The codeword of each of the 2787 patterns, by a table over every 17-bit
// value built once.
#include "pdf417/pdf417_patterns_lookup.h"

#include <cstddef>
#include <vector>

#include "symbologies/pdf417/pdf417_patterns.h"

namespace tavo::pdf417 {
namespace {

// kByPattern[pattern]: cluster index * 929 + codeword + 1, or 0.
const std::vector<uint16_t>& ByPattern() {
  static const std::vector<uint16_t> table = [] {
    std::vector<uint16_t> t(1u << kCodewordModules, 0);
    for (size_t c = 0; c < kCodewordPatterns.size(); ++c) {
      for (size_t w = 0; w < kCodewordPatterns[c].size(); ++w) {
        t[kCodewordPatterns[c][w]] = static_cast<uint16_t>(c * 929 + w + 1);
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

PatternMatch LookUpPattern(uint32_t pattern) {
  if (pattern >= (1u << kCodewordModules)) return {};
  const uint16_t entry = ByPattern()[pattern];
  if (entry == 0) return {};
  return {(entry - 1) / 929 * 3, (entry - 1) % 929};
}

}  // namespace tavo::pdf417
