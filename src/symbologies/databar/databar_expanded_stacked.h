// GS1 DataBar Expanded Stacked: the rows of module lines of an Expanded
// symbol's elements stacked `segments` characters to a row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavo {

// One module line: module x is bit x % 42 of words[x / 42], set for dark.
// A word holds seven whole glyphs of the module-run face, and room above
// them for two more elements of up to 9 modules while it is being filled.
// Fourteen words hold the widest row, 11 pairs between the guards (545
// modules).
inline constexpr int kStackedWordModules = 42;
inline constexpr int kStackedLineWords = 14;
struct StackedLine {
  std::array<uint64_t, kStackedLineWords> words;
};

// The distinct lines of a symbol, top to bottom: row r of characters (34
// module rows) for each r, and between rows r - 1 and r the separator of
// row r - 1, `middle`, then the separator of row r.  A row's separator is
// the same line above and below it.  Only the words that hold `width`
// modules are written; past `width` they are light.
struct DatabarStackedLayout {
  int width = 0;  // modules of every line: the widest row's
  int rows = 0;
  std::array<StackedLine, 11> row, separator;
  StackedLine middle;
};

// The layout of a symbol of `count` elements `widths`, a single-row
// symbol's (DatabarExpandedWidths: at most 11 pairs, no element wider than
// 9 modules), `segments` even from 2.
void DatabarExpandedStackedLayout(const uint8_t* widths, size_t count, int segments, DatabarStackedLayout& layout);

// The same symbol as module lines top to bottom ('1' dark), all of one
// width, each with the number of module rows it stands for: a row of
// characters 34, each of the three separator lines between rows 1.  None
// for elements that are not a symbol's (one wider than 9 modules, more than
// 11 pairs or too many modules).
void DatabarExpandedStackedLines(const std::vector<uint8_t>& widths, int segments, std::vector<std::string>& lines,
                                 std::vector<int>& heights);

}  // namespace tavo
