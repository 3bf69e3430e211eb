// The MicroPDF417 reader of the model: a grid of modules (each row of the
// symbol `row_height` module rows) read back to its data, on its own
// reading of the row address patterns, the codewords and GF(929).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "symbologies/matrix/matrix_text.h"

namespace tavo::pdf417 {

// A row address pattern or stop bar that differs from the one its row
// takes; `row` and `column` in modules of the symbol.
struct MicroPdfDamage {
  std::string pattern;  // "left row address pattern of row 3" ...
  int32_t modules = 0;  // how many modules are wrong
  int32_t row = 0;
  int32_t column = 0;
};

struct MicroPdfReading {
  bool ok = false;
  std::string data;        // the decompacted bytes (UTF-8 where ECI 26 said so)
  int eci = -1;            // the ECI designator's number, -1 without one
  std::string error;       // why there is no data
  std::string size_name;   // "2x8": columns by rows
  std::string correction;  // "no errors", "2 codewords corrected (row 1, column 2; ...)", "... beyond correction"
  std::vector<MicroPdfDamage> damages;
  std::vector<uint16_t> codewords;  // as corrected
};

// Reads a symbol whose size is known from the grid's width (38, 55, 82 or
// 99 modules) and height (rows times `row_height`); each row is sampled at
// its middle module row.
void ReadMicroPdfGrid(const ModuleGrid& grid, int row_height, MicroPdfReading& reading);

}  // namespace tavo::pdf417
