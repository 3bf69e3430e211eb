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
#include <cstddef>
#include <cstdint>
#include <cstring>
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

// Writes `height` copies of a line's text (`stride` bytes with its CR LF,
// at most kRoom, in a buffer of kRoom) from `at`; returns their end, having
// written over up to max(kRoom, kChunk) bytes past it.  The first copies
// are whole, until they are kChunk bytes long; the rest are copied kChunk
// bytes at a time from a whole number of lines (at least kChunk bytes)
// before.
template <size_t kRoom, size_t kChunk>
char* DatabarRepeatLine(const char* text, size_t stride, int height, char* at) {
  const size_t size = stride * static_cast<size_t>(height);
  size_t period = 0;
  do {
    std::memcpy(at + period, text, kRoom);
    period += stride;
  } while (period < size && period < kChunk);
  for (size_t done = period; done < size; done += kChunk) std::memcpy(at + done, at + done - period, kChunk);
  return at + size;
}

// Each run of set bits of `v` (16 bits) kept at its first bit, its third,
// its fifth...: a separator's modules over a finder, which alternate dark
// and light from the start of each light run of the row beside it.  The
// runs that start at an even bit keep their even bits, the others their
// odd ones; adding a run's first bit carries through the run, which marks
// the runs that start at an even bit.
constexpr uint32_t DatabarAlternateRuns(uint32_t v) {
  constexpr uint32_t kEven = 0x5555;
  const uint32_t starts = v & ~(v << 1);
  const uint32_t even_runs = v & ~(v + (starts & kEven));
  return (even_runs & kEven) | (v & ~even_runs & ~kEven);
}

}  // namespace tavo
