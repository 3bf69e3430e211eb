// MicroPDF417 (ISO/IEC 24728) as text of the PDF417 face.
//
// The data codewords come from PDF417's compaction (pdf417_compaction.h) as
// it chooses them for a symbol that starts in byte compaction, as a
// MicroPDF417 symbol does (ISO/IEC 24728, 5.4.3): text at the start takes
// the latch 900.  The smallest of
// the 34 sizes that holds them is chosen (by area: modules across times
// rows), or the smallest of the columns asked for; padding is the text
// latch 900, and the error correction codewords follow over GF(929).
//
// A row is its left row address pattern, the codewords (a centre row
// address pattern after the first of 3 columns or the second of 4), the
// right row address pattern and a one-module stop bar; 38, 55, 82 or 99
// modules.  Each row is one line of text of the PDF417 face (docs/pdf417.md):
// glyphs of 6 modules, bit i of glyph number n module i from the left, glyph
// n the character kMatrixGlyphs[n]; CR LF between lines, none after the
// last.  As in the PDF417 text, the quiet zone is part of it: a light line
// above and below, 2 light modules on the left, and on the right 2 and the
// light modules that fill the last glyph (docs/micropdf417.md).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "interface/font_string.h"
#include "symbologies/pdf417/micropdf417_tables.h"

namespace tavo::pdf417 {

// The check argument: the number of columns, 1 to 4, or 0 for the smallest
// symbol of any width.
inline constexpr int32_t kMicroPdfMaxColumns = 4;

// A symbol's codewords, row by row, left to right: data, padding, error
// correction.
struct MicroPdfSymbol {
  int size = -1;  // index into kMicroPdfSizes
  std::vector<uint16_t> codewords;
};

// The index of the smallest size of `columns` columns (0: any) that holds
// `data` codewords, or -1 for none.
int MicroPdfSizeFor(int data, int columns);

// The data codewords of a value: ECI 26 first when the value is UTF-8 with
// a byte above 127, then the compacted data, starting with a mode latch.
// The padding and error correction are MicroPdfComplete's.
void MicroPdfDataCodewords(std::string_view value, std::vector<uint16_t>& out);

// Completes a symbol whose codewords are its data codewords: chooses the
// size of the given columns (0: any), pads and appends the error correction;
// false when no size holds them.
bool MicroPdfComplete(int columns, MicroPdfSymbol& symbol);

// Glyphs a line of text holds for a symbol of `columns` columns: 7, 10, 15, 18.
int MicroPdfTextGlyphs(int columns);

// The font text of a symbol, appended to `out`.
void AppendMicroPdfText(const MicroPdfSymbol& symbol, FontString& out);

}  // namespace tavo::pdf417
