// An independent check-digit oracle for the UPC/EAN suites.
#pragma once

#include <string>
#include <string_view>

namespace tavo::test {

// Oracle: the check digit that makes the number, check digit included, sum to
// a multiple of 10 with weights 1, 3, 1, ... from the right.
inline char CheckOf(std::string_view number) {
  for (char c = '0'; c <= '9'; ++c) {
    const std::string full = std::string(number) + c;
    int sum = 0;
    for (size_t i = 0; i < full.size(); ++i) {
      sum += (full[full.size() - 1 - i] - '0') * (i % 2 == 0 ? 1 : 3);
    }
    if (sum % 10 == 0) return c;
  }
  return '?';
}

}  // namespace tavo::test
