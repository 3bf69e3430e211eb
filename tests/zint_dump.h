// zint's `--dump` output (one line of hex digits per module row, most
// significant bit first, 4 modules to a digit, the last digit of a row
// filled with light modules) as a module grid, for the golden suites.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "symbologies/matrix/matrix_text.h"

namespace tavo::test {

// The rows of a dump, with the spaces zint prints within and between them
// taken out (the tables write a dump's rows on one string, space-separated).
inline std::vector<std::string> ZintDumpRows(std::string_view dump) {
  std::vector<std::string> rows;
  std::string row;
  for (char c : dump) {
    if (c != ' ') {
      row += c;
    } else if (!row.empty()) {
      rows.push_back(row);
      row.clear();
    }
  }
  if (!row.empty()) rows.push_back(row);
  return rows;
}

// The first `width` modules of every row; modules past a short row are light.
inline ModuleGrid ZintDumpGrid(const std::vector<std::string>& rows, int32_t width) {
  ModuleGrid grid(width, static_cast<int32_t>(rows.size()));
  for (int32_t y = 0; y < grid.height; ++y) {
    for (int32_t x = 0; x < width && static_cast<size_t>(x / 4) < rows[y].size(); ++x) {
      const int nibble = std::stoi(rows[y].substr(static_cast<size_t>(x / 4), 1), nullptr, 16);
      grid.set(x, y, (nibble >> (3 - x % 4)) & 1);
    }
  }
  return grid;
}

}  // namespace tavo::test
