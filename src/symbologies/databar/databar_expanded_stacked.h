// GS1 DataBar Expanded Stacked: the rows of module lines of an Expanded
// symbol's elements stacked `segments` characters to a row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavo {

// The module lines of the symbol, top to bottom ('1' dark), all of one
// width, each with the number of module rows it stands for: a row of
// characters 34, each of the three separator lines between rows 1.
// `widths` is the single-row symbol's elements (DatabarExpandedWidths),
// `segments` even, 2 to 20.
void DatabarExpandedStackedLines(const std::vector<uint8_t>& widths, int segments, std::vector<std::string>& lines,
                                 std::vector<int>& heights);

}  // namespace tavo
