// GS1 DataBar Expanded Stacked: the rows of module lines of an Expanded
// symbol's elements stacked `segments` characters to a row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavo {

// Every module line of the symbol, top to bottom ('1' dark), all of one
// width: each row of characters 34 lines, three separator lines between
// rows.  `widths` is the single-row symbol's elements
// (DatabarExpandedWidths), `segments` even, 2 to 20.
void DatabarExpandedStackedLines(const std::vector<uint8_t>& widths, int segments, std::vector<std::string>& lines);

}  // namespace tavo
