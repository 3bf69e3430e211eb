// GS1 DataBar Expanded (ISO/IEC 24724): a GS1 message as a bit string in
// the standard's encodation methods, cut into 12-bit symbol characters, and
// the element widths of the single-row symbol, printed 34 modules high in
// the DataBar module-run face (databar.h).  The stacked form follows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "symbologies/gs1/gs1.h"

namespace tavo {

// The data characters (12-bit values, left to right, without the check
// character) of a parsed message; 0, or 32586 when the general-purpose
// data holds a character other than a digit (not yet encoded) and 32587
// when the message needs more than the 21 data characters of a symbol.
// With `segments` (Expanded Stacked: segments per row), a symbol whose last
// row would hold one segment gets a character of padding more.
int32_t DatabarExpandedCharacters(const Gs1Message& message, std::vector<uint16_t>& data, int segments = 0);

// The element widths of a single-row symbol of `data` (2 to 21
// characters), light first: left guard, the characters in pairs around
// their finders, the check character first, right guard.
void DatabarExpandedWidths(const std::vector<uint16_t>& data, std::vector<uint8_t>& widths);

// The same two steps without the heap, for the stacked form: the data
// characters into `data` (`count` of them), and their elements into
// `widths` (room for kDatabarExpandedMaxElements), returning how many.
inline constexpr size_t kDatabarExpandedMaxData = 21;
inline constexpr size_t kDatabarExpandedMaxElements = 4 + 21 * 11;  // guards and 11 pairs
int32_t DatabarExpandedCharacters(const Gs1Message& message, int segments,
                                  std::array<uint16_t, kDatabarExpandedMaxData>& data, size_t& count);
size_t DatabarExpandedWidths(const uint16_t* data, size_t count, uint8_t* widths);

}  // namespace tavo
