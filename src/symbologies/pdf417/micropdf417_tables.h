// MicroPDF417 (ISO/IEC 24728) tables: the 34 symbol sizes, and the row
// address patterns that stand beside the codewords of every row.
//
// Source: ISO/IEC 24728:2006, tables 1 (sizes, with their error codeword
// counts), 2 (the left/right and centre row address patterns) and 10 to 12
// (each size's first row address patterns and cluster), as zint gives them
// in backend/pdf417_tabs.h (zint_pdf_MicroVariants, zint_pdf_RAPTable,
// zint_pdf_rap_side, zint_pdf_rap_centre; BSD-3-Clause, Copyright (C)
// 2008-2025 Robin Stuart).  The facts are theirs; the layout of the tables
// here is ours.
#pragma once

#include <array>
#include <cstdint>

namespace tavo::pdf417 {

struct MicroPdfSize {
  uint8_t columns;      // data columns, 1 to 4
  uint8_t rows;         // 4 to 44
  uint8_t ec;           // error correction codewords
  uint8_t left_rap;     // row address pattern numbers (1 to 52) of the top row
  uint8_t centre_rap;   // 0 where the size has no centre pattern (1 and 2 columns)
  uint8_t right_rap;
  uint8_t cluster;      // cluster of the top row: 0, 1 or 2 for clusters 0, 3 and 6
  constexpr int codewords() const { return columns * rows; }
  constexpr int data() const { return columns * rows - ec; }
};

// ISO/IEC 24728:2006 table 1 in its order: 1 column, then 2, 3 and 4.
inline constexpr std::array<MicroPdfSize, 34> kMicroPdfSizes = {{
    {1, 11, 7, 1, 0, 9, 0},    {1, 14, 7, 8, 0, 8, 1},    {1, 17, 7, 36, 0, 36, 2},
    {1, 20, 8, 19, 0, 19, 0},  {1, 24, 8, 9, 0, 17, 2},   {1, 28, 8, 25, 0, 33, 0},
    {2, 8, 8, 1, 0, 1, 0},     {2, 11, 9, 1, 0, 9, 0},    {2, 14, 9, 8, 0, 8, 1},
    {2, 17, 10, 36, 0, 36, 2}, {2, 20, 11, 19, 0, 19, 0}, {2, 23, 13, 9, 0, 17, 2},
    {2, 26, 15, 27, 0, 35, 2}, {3, 6, 12, 1, 1, 1, 0},    {3, 8, 14, 7, 7, 7, 0},
    {3, 10, 16, 15, 15, 15, 2}, {3, 12, 18, 25, 25, 25, 0}, {3, 15, 21, 37, 37, 37, 0},
    {3, 20, 26, 1, 17, 33, 0}, {3, 26, 32, 1, 9, 17, 0},  {3, 32, 38, 21, 29, 37, 2},
    {3, 38, 44, 15, 31, 47, 2}, {3, 44, 50, 1, 25, 49, 0}, {4, 4, 8, 47, 19, 43, 1},
    {4, 6, 12, 1, 1, 1, 0},    {4, 8, 14, 7, 7, 7, 0},    {4, 10, 16, 15, 15, 15, 2},
    {4, 12, 18, 25, 25, 25, 0}, {4, 15, 21, 37, 37, 37, 0}, {4, 20, 26, 1, 17, 33, 0},
    {4, 26, 32, 1, 9, 17, 0},  {4, 32, 38, 21, 29, 37, 2}, {4, 38, 44, 15, 31, 47, 2},
    {4, 44, 50, 1, 25, 49, 0},
}};

// The most data codewords a size holds (4 columns, 44 rows), and the most
// codewords.
inline constexpr int kMicroPdfMaxData = 126;
inline constexpr int kMicroPdfMaxCodewords = 176;

// ISO/IEC 24728:2006 table 2: the left and right row address patterns, 10
// modules each, bit 9 leftmost, 1 dark; pattern n (1 to 52) is entry n - 1.
inline constexpr std::array<uint16_t, 52> kMicroPdfSideRaps = {
    0x322, 0x3A2, 0x3B2, 0x332, 0x372, 0x37A, 0x33A, 0x3BA, 0x39A, 0x3DA, 0x3CA, 0x38A, 0x30A,
    0x31A, 0x312, 0x392, 0x3D2, 0x3D6, 0x3D4, 0x394, 0x3B4, 0x3A4, 0x3A6, 0x3AE, 0x3AC, 0x3A8,
    0x328, 0x32C, 0x32E, 0x326, 0x336, 0x3B6, 0x396, 0x316, 0x314, 0x334, 0x374, 0x364, 0x366,
    0x36E, 0x36C, 0x368, 0x348, 0x358, 0x35C, 0x35E, 0x34E, 0x34C, 0x344, 0x346, 0x342, 0x362,
};

// The same table's centre row address patterns.
inline constexpr std::array<uint16_t, 52> kMicroPdfCentreRaps = {
    0x2CE, 0x24E, 0x26E, 0x22E, 0x226, 0x236, 0x216, 0x212, 0x21A, 0x23A, 0x232, 0x222, 0x262,
    0x272, 0x27A, 0x2FA, 0x2F2, 0x2F6, 0x276, 0x274, 0x264, 0x266, 0x246, 0x242, 0x2C2, 0x2E2,
    0x2E6, 0x2E4, 0x2EC, 0x26C, 0x22C, 0x228, 0x268, 0x2E8, 0x2C8, 0x2CC, 0x2C4, 0x2C6, 0x286,
    0x28E, 0x28C, 0x29C, 0x298, 0x2B8, 0x2B0, 0x290, 0x2D0, 0x250, 0x258, 0x25C, 0x2DC, 0x2DE,
};

inline constexpr int kMicroPdfRapModules = 10;
inline constexpr int kMicroPdfCodewordModules = 17;

// Modules of a row: left pattern, the codewords, a centre pattern for 3 and
// 4 columns, the right pattern and the one-module stop bar.
constexpr int MicroPdfWidth(int columns) {
  return 2 * kMicroPdfRapModules + 1 + columns * kMicroPdfCodewordModules +
         (columns >= 3 ? kMicroPdfRapModules : 0);
}
static_assert(MicroPdfWidth(1) == 38 && MicroPdfWidth(2) == 55 && MicroPdfWidth(3) == 82 &&
              MicroPdfWidth(4) == 99);

// The column a centre pattern follows: after the first of 3, the second of 4.
constexpr int MicroPdfCentreAfter(int columns) { return columns == 3 ? 1 : columns == 4 ? 2 : -1; }

}  // namespace tavo::pdf417
