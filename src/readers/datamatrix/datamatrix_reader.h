// Data Matrix ECC 200 read back: font text -> modules -> codewords (error
// correction checked and applied) -> data.  For `tavo decode` (through the
// symbol model), the tests and the fuzzers; the shipped library does not
// link it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "symbologies/datamatrix/datamatrix.h"

namespace tavo {

// Corrects the codewords (data and error correction) in place.  Returns the
// number of corrected codewords, or -(1 + block) for the first block that
// holds more errors than its error correction can mend.  `unrotated` reads
// the 144x144 error correction in the order older libdmtx writes it.
int32_t DataMatrixCorrect(const DataMatrixSize& size, std::vector<uint8_t>& codewords,
                          bool unrotated = false);

// The codewords read back from a symbol of the given size.
std::vector<uint8_t> DataMatrixReadCodewords(const DataMatrixSize& size, const ModuleGrid& symbol);

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

// A finder or clock pattern that differs from what the size draws: its
// name, how many of its modules are wrong, and the first of them in reading
// order (row and column in the symbol, from its top-left module).
struct DataMatrixPatternDamage {
  std::string pattern;
  int32_t modules = 0;
  int32_t row = 0;
  int32_t column = 0;
};

// Every module of the patterns framing the data regions of `symbol` (the
// symbol alone, size.cols x size.rows), checked: the L finder (solid left
// column and bottom row), the clock tracks (alternating top row and right
// column), and in a symbol of several regions the alignment patterns
// between them (a solid and an alternating line each side of a boundary).
// A scanner finds and samples the symbol by them.  Empty for a sound symbol.
std::vector<DataMatrixPatternDamage> DataMatrixPatternDamages(const DataMatrixSize& size, const ModuleGrid& symbol);

// Codewords -> data (the decodation schemes); false on a malformed stream.
bool DataMatrixDecodation(const std::vector<uint8_t>& data_codewords, DataMatrixReading& reading);

}  // namespace tavo
