// GS1 DataBar Omnidirectional, Truncated, Stacked, Stacked Omnidirectional
// and Limited (ISO/IEC 24724) as text of the DataBar module-run face.
//
// The face draws runs of kDatabarRun modules, one module high: bit i of a
// glyph's number is module i from the left, dark when set, and the glyph of
// number n is kMatrixGlyphs[n] (the same 64 safe characters as the 2D
// faces).  A symbol is a grid of modules: each module row of it is one line
// of text (CR LF between lines, none after the last), so a row of the
// symbol h modules high is h equal lines and the line height of the face
// is exactly one module.  The last glyph of a line is filled with light
// modules.  docs/databar.md describes the face.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "interface/font_string.h"

namespace tavo {

inline constexpr int kDatabarRun = 6;
inline constexpr int kDatabarMaxWidth = 96;  // Omnidirectional, the widest form
inline constexpr int kDatabarMaxRows = 5;    // Stacked Omnidirectional: row, 3 separators, row

// Module heights (ISO/IEC 24724 gives them as minimums; zint draws these).
inline constexpr int kDatabarOmniHeight = 33;
inline constexpr int kDatabarTruncatedHeight = 13;
inline constexpr int kDatabarLimitedHeight = 10;
inline constexpr int kDatabarStackedTop = 5;
inline constexpr int kDatabarStackedBottom = 7;

// One distinct row of modules and how many module rows it stands for:
// module x is bit x % 64 of bits[x / 64], set for dark.
struct DatabarRow {
  std::array<uint64_t, 2> bits{};
  int height = 0;
};

struct DatabarPattern {
  int width = 0;  // modules per row
  int rows = 0;
  std::array<DatabarRow, kDatabarMaxRows> row;
};

// The 46 element widths of a Limited symbol (light first), without the
// light modules after its right guard; `gtin13` below 2 * 10^12.
void DatabarLimitedWidths(uint64_t gtin13, std::array<uint8_t, 46>& widths);

// Element widths of one symbol character (ISO/IEC 24724, the width
// algorithm of its annex): `value` spread over `elements` elements of
// `modules` modules in total, none wider than `widest`; with `no_narrow`
// clear, a pattern with no element of width 1 is skipped.
void DatabarCharacterWidths(int value, int modules, int elements, int widest, bool no_narrow, uint8_t* widths);

// The symbol of `code` (one of the four DataBar codes) for the GTIN, with
// `truncated` (Omnidirectional only) the 13-module height.
void DatabarLayout(int32_t code, uint64_t gtin13, bool truncated, DatabarPattern& pattern);

// The font text of a pattern, appended to `out`.
void AppendDatabarText(const DatabarPattern& pattern, FontString& out);

}  // namespace tavo
