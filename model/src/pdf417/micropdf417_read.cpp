// MicroPDF417 reader: row address patterns, codewords, error correction
// and decompaction, from a grid of modules.
#include "micropdf417_read.h"

#include <span>
#include <utility>

#include "pdf417_decompact.h"
#include "pdf417_patterns_lookup.h"
#include "readers/matrix/reed_solomon_correct.h"
#include "symbologies/pdf417/micropdf417_tables.h"
#include "symbologies/pdf417/pdf417_reed_solomon.h"

namespace tavo::pdf417 {
namespace {

// The codeword of a pattern in the row's cluster (0, 1, 2 for clusters 0,
// 3, 6); -1 for a pattern that is no codeword of that cluster.
int CodewordOf(uint32_t pattern, size_t cluster) {
  const PatternMatch m = LookUpPattern(pattern);
  return m.cluster == static_cast<int>(cluster) * 3 ? m.codeword : -1;
}

// `count` modules of a row from x as a number, the leftmost module highest.
uint32_t Bits(const ModuleGrid& grid, int32_t y, int32_t x, int count) {
  uint32_t v = 0;
  for (int i = 0; i < count; ++i) v = v << 1 | (grid.at(x + i, y) ? 1u : 0u);
  return v;
}

int WrongModules(uint32_t a, uint32_t b) { return __builtin_popcount(a ^ b); }

// Compares the pattern at x with `expected`; a damage when they differ.
void CheckPattern(const ModuleGrid& grid, int32_t y, int32_t x, int count, uint32_t expected, std::string name,
                  int32_t row, MicroPdfReading& r) {
  const uint32_t found = Bits(grid, y, x, count);
  if (found == expected) return;
  int first = 0;
  while (((found ^ expected) >> (count - 1 - first) & 1) == 0) ++first;
  r.damages.push_back({std::move(name), WrongModules(found, expected), row, x + first});
}

std::string Place(const MicroPdfSize& s, size_t index) {
  return "row " + std::to_string(index / s.columns + 1) + ", column " + std::to_string(index % s.columns + 1);
}

// Row address patterns and stop bar of every row against the size's
// sequence; each codeword looked up in its row's cluster (-1: none).
std::vector<int> ReadRows(const ModuleGrid& grid, int row_height, const MicroPdfSize& s, MicroPdfReading& r) {
  std::vector<int> codewords;
  for (int row = 0; row < s.rows; ++row) {
    const int32_t y = row * row_height + row_height / 2;
    const size_t cluster = static_cast<size_t>((s.cluster + row) % 3);
    auto rap = [row](int first) { return static_cast<size_t>((first - 1 + row) % 52); };
    const std::string of_row = " of row " + std::to_string(row + 1);
    int32_t x = 0;
    CheckPattern(grid, y, x, kMicroPdfRapModules, kMicroPdfSideRaps[rap(s.left_rap)], "left row address pattern" + of_row, y, r);
    x += kMicroPdfRapModules;
    for (int c = 0; c < s.columns; ++c) {
      codewords.push_back(CodewordOf(Bits(grid, y, x, kMicroPdfCodewordModules), cluster));
      x += kMicroPdfCodewordModules;
      if (c + 1 == MicroPdfCentreAfter(s.columns)) {
        CheckPattern(grid, y, x, kMicroPdfRapModules, kMicroPdfCentreRaps[rap(s.centre_rap)],
                     "centre row address pattern" + of_row, y, r);
        x += kMicroPdfRapModules;
      }
    }
    CheckPattern(grid, y, x, kMicroPdfRapModules + 1, kMicroPdfSideRaps[rap(s.right_rap)] << 1 | 1,
                 "right row address pattern and stop" + of_row, y, r);
  }
  return codewords;
}

// Corrects the codewords in place; the check's text.
std::string Correct(const MicroPdfSize& s, const std::vector<int>& read, std::vector<uint16_t>& block) {
  block.clear();
  for (int c : read) block.push_back(static_cast<uint16_t>(c < 0 ? 0 : c));
  const std::vector<uint16_t> before = block;
  const int32_t fixed = reed_solomon::Correct(kField, std::span<uint16_t>(block), s.ec, kFirstRoot);
  if (fixed < 0) return "damaged beyond correction";
  if (fixed == 0) return "no errors";
  std::string where;
  for (size_t i = 0; i < block.size(); ++i) {
    if (block[i] != before[i] || read[i] < 0) where += (where.empty() ? "" : "; ") + Place(s, i);
  }
  return std::to_string(fixed) + (fixed == 1 ? " codeword" : " codewords") + " corrected (" + where + ")";
}

}  // namespace

void ReadMicroPdfGrid(const ModuleGrid& grid, int row_height, MicroPdfReading& r) {
  r = {};
  const MicroPdfSize* size = nullptr;
  for (const MicroPdfSize& s : kMicroPdfSizes) {
    if (MicroPdfWidth(s.columns) == grid.width && s.rows * row_height == grid.height) size = &s;
  }
  if (size == nullptr) {
    r.error = "no MicroPDF417 size is " + std::to_string(grid.width) + " modules wide and " +
              std::to_string(grid.height / (row_height > 0 ? row_height : 1)) + " rows high";
    return;
  }
  r.size_name = std::to_string(size->columns) + "x" + std::to_string(size->rows);
  const std::vector<int> read = ReadRows(grid, row_height, *size, r);
  r.correction = Correct(*size, read, r.codewords);
  if (r.correction == "damaged beyond correction") {
    r.error = "the codewords hold more errors than the error correction mends";
    return;
  }
  const std::span<const uint16_t> data(r.codewords.data(), static_cast<size_t>(size->data()));
  Decompacted d;
  r.ok = Decompact(data, d);
  if (!r.ok) {
    r.error = "a data codeword no compaction mode reads";
    return;
  }
  r.data = std::move(d.bytes);
  r.eci = d.eci;
}

}  // namespace tavo::pdf417
