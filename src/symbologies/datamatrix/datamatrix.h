// Data Matrix ECC 200: value -> codewords -> Reed-Solomon -> module placement
// -> font text (2x3-module blocks, quiet zone of one module), and back.
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

// Reed-Solomon: appends the error-correction codewords of the size's
// interleaved blocks to its data codewords.
void DataMatrixAppendEcc(const DataMatrixSize& size, std::vector<uint8_t>& codewords);

// Corrects the codewords (data and error correction) in place.  Returns the
// number of corrected codewords, or -(1 + block) for the first block that
// holds more errors than its error correction can mend.  `unrotated` reads
// the 144x144 error correction in the order older libdmtx writes it.
int32_t DataMatrixCorrect(const DataMatrixSize& size, std::vector<uint8_t>& codewords,
                          bool unrotated = false);

// Where each module of the mapping matrix (the data regions side by side,
// without their patterns) takes its bit: codeword * 8 + bit (0 = most
// significant), or -1 for the modules of the fixed bottom-right corner.
std::vector<int32_t> DataMatrixPlacement(int32_t rows, int32_t cols);

// The whole symbol, finder and timing patterns included, from all its
// codewords.
ModuleGrid DataMatrixSymbol(const DataMatrixSize& size, const std::vector<uint8_t>& codewords);

// The codewords read back from a symbol of the given size.
std::vector<uint8_t> DataMatrixReadCodewords(const DataMatrixSize& size, const ModuleGrid& symbol);

// The encoder: the value as font text, with the check argument as it was
// passed (see the top of this file).  Appends only on success.
int32_t EncodeDataMatrix(std::string_view value, int32_t check, FontString& out);

// What a decoder reads from Data Matrix font text.
struct DataMatrixReading {
  int32_t rows = 0, cols = 0;
  bool gs1 = false;            // FNC1 first; later FNC1s read as 0x1D
  int32_t corrected = 0;       // codewords the error correction mended
  int32_t damaged_block = -1;  // the block that could not be mended, or -1
  int32_t codewords_used = 0;  // data codewords before the padding
  int32_t eci = -1;            // the last ECI designator, or -1 (ours write none)
  std::string data;
  std::string error;           // why nothing could be read, else empty
};

// Text -> modules -> codewords (error correction checked and applied) ->
// data.  Returns false with `reading.error` set on anything that is no
// readable symbol; never reads outside the text.
bool DecodeDataMatrixText(std::string_view text, DataMatrixReading& reading);

// Codewords -> data (the decodation schemes); false on a malformed stream.
bool DataMatrixDecodation(const std::vector<uint8_t>& data_codewords, DataMatrixReading& reading);

}  // namespace tavo
