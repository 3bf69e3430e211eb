// Independent oracles for the UPC/EAN suites: the check digit and UPC-E zero
// suppression undone (the scanner and font suites share them).
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

// UPC-E zero suppression undone: the eleven-digit UPC-A number (number
// system 0) of a six-digit body.
inline std::string UpcANumberOf(std::string_view e) {
  const std::string n = "0" + std::string(e.substr(0, 2));
  switch (e[5]) {
    case '0': case '1': case '2': return n + e[5] + "0000" + std::string(e.substr(2, 3));
    case '3': return n + e[2] + "00000" + std::string(e.substr(3, 2));
    case '4': return n + std::string(e.substr(2, 2)) + "00000" + e[4];
    default: return n + std::string(e.substr(2, 3)) + "0000" + e[5];
  }
}

}  // namespace tavo::test
