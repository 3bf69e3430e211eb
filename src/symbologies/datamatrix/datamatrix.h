// Data Matrix ECC 200: value -> codewords -> Reed-Solomon -> module placement
// -> font text (2x3-module blocks, quiet zone of one module).  Reading it
// back is src/readers/datamatrix/datamatrix_reader.h.
//
// The `check` argument picks the symbol shapes and the data form:
//   0  square symbols only (10x10 .. 144x144), the value as bytes;
//   1  square and rectangular (8x18 .. 16x48), whichever holds it smallest;
//   2  GS1 Data Matrix, square: FNC1 first, the value as GS1 element strings;
//   3  GS1 Data Matrix, square or rectangular.
// Any other value is kInvalidCheckOption.  Through the registry (and so the
// exports) a GS1 value is in the bracketed form "(01)09501101530003(10)AB1",
// parsed and validated by the GS1 parser with its errors; the encoder below
// takes the element strings it yields, the group separator (0x1D) ending
// each variable-length element but the last; each separator is carried as
// FNC1.
//
// Bytes above 127 are carried as they are (upper shift or Base 256), with no
// ECI designator: a value in UTF-8 reads back as the same UTF-8 bytes.  (An
// ECI would be printed as a stray byte by libdmtx, the reader of the
// Debian tool chain.)
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interface/errors.h"
#include "interface/font_string.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/matrix/reed_solomon.h"

namespace tavo {

inline constexpr int32_t kDataMatrixQuietZone = 1;
inline constexpr char kGroupSeparator = '\x1D';

// One symbol size.  The data regions are region_rows x region_cols blocks of
// region_h x region_w modules, each framed by its finder and timing pattern.
struct DataMatrixSize {
  uint8_t rows, cols;
  uint8_t region_rows, region_cols;
  uint8_t region_h, region_w;
  uint16_t data_codewords;
  uint16_t ecc_codewords;  // all blocks together
  uint8_t blocks;          // interleaved Reed-Solomon blocks
  constexpr bool square() const { return rows == cols; }
  constexpr int32_t mapping_rows() const { return region_rows * region_h; }
  constexpr int32_t mapping_cols() const { return region_cols * region_w; }
};

// The 30 sizes, smallest data capacity first (squares before rectangles of
// the same capacity).
const std::array<DataMatrixSize, 30>& DataMatrixSizes();

// The options a check value stands for; false for an invalid check value.
struct DataMatrixForm {
  bool rectangles = false;
  bool gs1 = false;
};
bool DataMatrixFormOf(int32_t check, DataMatrixForm& form);

// The data codewords of `value` in the smallest allowed symbol, switching
// between the six encodation schemes so that the count is minimal, padded to
// the symbol's capacity.  Returns kTooLongForLargestSymbol when no size holds
// it.
int32_t DataMatrixEncodation(std::string_view value, const DataMatrixForm& form,
                             const DataMatrixSize*& size, std::vector<uint8_t>& codewords);

// Reed-Solomon (ISO/IEC 16022:2006 clause 5.7.1): GF(256) over
// x^8 + x^5 + x^3 + x^2 + 1 (301), generators with the roots a^1 .. a^n, at
// most 68 error correction codewords in a block.
inline constexpr auto kDataMatrixField = reed_solomon::BinaryField<uint8_t, 256>(301);
inline constexpr int kDataMatrixFirstRoot = 1;
inline constexpr int kDataMatrixMaxEccPerBlock = 68;
using DataMatrixGenerator = reed_solomon::Generator<uint8_t, kDataMatrixMaxEccPerBlock>;

// Appends the error-correction codewords of the size's interleaved blocks to
// its data codewords.
void DataMatrixAppendEcc(const DataMatrixSize& size, std::vector<uint8_t>& codewords);

// Block `block` takes every `blocks`-th data codeword from the block-th on:
// its number of data codewords.
int32_t DataMatrixBlockDataCount(const DataMatrixSize& size, int32_t block);

// Where a block's error-correction codewords stand among the interleaved
// ones.  Where the blocks are of unequal length (144x144: 8 blocks of 156
// data codewords, 2 of 155) the error-correction round starts with the
// shorter blocks, as zint and zxing write and read it; libdmtx up to 0.7.7
// reads it unrotated, which `unrotated` allows when reading.
int32_t DataMatrixEccSlot(const DataMatrixSize& size, int32_t block, bool unrotated);

// Where each module of the mapping matrix (the data regions side by side,
// without their patterns) takes its bit: codeword * 8 + bit (0 = most
// significant), or -1 for the modules of the fixed bottom-right corner.
std::vector<int32_t> DataMatrixPlacement(int32_t rows, int32_t cols);

// The whole symbol, finder and timing patterns included, from all its
// codewords.
ModuleGrid DataMatrixSymbol(const DataMatrixSize& size, const std::vector<uint8_t>& codewords);

// The symbol row and column of a mapping-matrix module: each data region
// sits inside a one-module frame.
int32_t DataMatrixSymbolRow(const DataMatrixSize& s, int32_t r);
int32_t DataMatrixSymbolCol(const DataMatrixSize& s, int32_t c);

// The encoder: the value as font text, with the check argument as it was
// passed (see the top of this file).  Appends only on success.
int32_t EncodeDataMatrix(std::string_view value, int32_t check, FontString& out);

}  // namespace tavo
