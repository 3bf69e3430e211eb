// Helpers of the model's suites: font strings from the library, symbols as
// module strings, and zint's hexadecimal dumps as module strings.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tavo32.h"
#include "tavo_model.h"

namespace tavo::model::test {

// The font string the library gives for `value` (empty on an error, which
// the test reports).
inline std::string FontString(int32_t symbology, std::string_view value, int32_t check = 0) {
  const std::string v(value);
  std::vector<char> out(v.size() * 8 + 4096);  // the 2D symbols' text outgrows the value
  int32_t len = 0;
  const int32_t rc = BC_FontTranslate(symbology, v.c_str(), check, out.data(),
                                      static_cast<int32_t>(out.size()), &len);
  EXPECT_EQ(rc, 0) << "translating \"" << value << "\" with symbology " << symbology;
  return rc == 0 ? std::string(out.data(), static_cast<size_t>(len)) : std::string();
}

inline Symbol Build(int32_t symbology, std::string_view font_string, ModelOptions options = {}) {
  Symbol symbol;
  ModelError error;
  EXPECT_TRUE(BuildSymbol(symbology, font_string, options, symbol, error))
      << "byte " << error.byte_index << ": " << error.reason;
  return symbol;
}

// '1' for each module of bar and '0' for each module of space.
inline std::string Modules(const Symbol& symbol) {
  std::string bits;
  for (const Element& e : symbol.elements) bits.append(static_cast<size_t>(e.width + 0.5), e.bar ? '1' : '0');
  return bits;
}

// A row of `zint --dump`: hexadecimal digits, four modules each, the last
// digit padded with spaces ('0').
inline std::string ZintRow(std::string_view hex) {
  std::string bits;
  for (char c : hex) {
    if (c == ' ') continue;
    const int v = c <= '9' ? c - '0' : c - 'A' + 10;
    for (int bit = 3; bit >= 0; --bit) bits.push_back((v >> bit) & 1 ? '1' : '0');
  }
  return bits;
}

inline std::string PadToNibble(std::string bits) {
  bits.append((4 - bits.size() % 4) % 4, '0');
  return bits;
}

inline Reading Read(int32_t symbology, std::string_view font_string) {
  Reading reading;
  ModelError error;
  EXPECT_TRUE(ReadSymbol(symbology, font_string, reading, error))
      << "byte " << error.byte_index << ": " << error.reason;
  return reading;
}

}  // namespace tavo::model::test
