// The inverse of the PDF417 codeword patterns: a 17-module pattern back to
// its cluster and codeword, for the model's readers of PDF417 and
// MicroPDF417.
#pragma once

#include <cstdint>

namespace tavo::pdf417 {

struct PatternMatch {
  int cluster = -1;  // 0, 3 or 6; -1 for a pattern that is no codeword
  int codeword = -1;
};

// `pattern`: 17 bits, bit 16 the leftmost module, 1 for dark.
PatternMatch LookUpPattern(uint32_t pattern);

}  // namespace tavo::pdf417
