// Data Matrix font text read back: text -> modules -> codewords (error
// correction checked and applied) -> data.  Used by `tavo decode` through the
// symbol model, and by the tests.
#include <string>

#include "readers/datamatrix/datamatrix_reader.h"

namespace tavo {

namespace {

// The size whose symbol, with its quiet zone, fills the text's grid of
// blocks and shows its finder pattern; nullptr when none does.
const DataMatrixSize* FindSize(const ModuleGrid& grid) {
  const int32_t q = kDataMatrixQuietZone;
  for (const DataMatrixSize& s : DataMatrixSizes()) {
    const int32_t w = s.cols + 2 * q, h = s.rows + 2 * q;
    if ((w + kBlockWidth - 1) / kBlockWidth * kBlockWidth != grid.width) continue;
    if ((h + kBlockHeight - 1) / kBlockHeight * kBlockHeight != grid.height) continue;
    bool finder = true;
    for (int32_t y = 0; y < s.rows && finder; ++y) finder = grid.at(q, q + y);
    for (int32_t x = 0; x < s.cols && finder; ++x) finder = grid.at(q + x, q + s.rows - 1);
    if (finder) return &s;
  }
  return nullptr;
}

}  // namespace

bool DecodeDataMatrixText(std::string_view text, DataMatrixReading& reading) {
  reading = DataMatrixReading{};
  ModuleGrid grid;
  if (!ReadMatrixText(text, grid)) {
    reading.error = "not Data Matrix font text (a character that is no glyph, or ragged lines)";
    return false;
  }
  const DataMatrixSize* size = FindSize(grid);
  if (!size) {
    reading.error = "no Data Matrix size matches the text's lines and columns";
    return false;
  }
  reading.rows = size->rows;
  reading.cols = size->cols;
  ModuleGrid symbol(size->cols, size->rows);
  for (int32_t y = 0; y < size->rows; ++y) {
    for (int32_t x = 0; x < size->cols; ++x) {
      symbol.set(x, y, grid.at(x + kDataMatrixQuietZone, y + kDataMatrixQuietZone));
    }
  }
  std::vector<uint8_t> codewords = DataMatrixReadCodewords(*size, symbol);
  int32_t corrected = DataMatrixCorrect(*size, codewords);
  if (corrected < 0 && size->data_codewords % size->blocks != 0) {
    std::vector<uint8_t> again = DataMatrixReadCodewords(*size, symbol);
    if (const int32_t c = DataMatrixCorrect(*size, again, true); c >= 0) {
      corrected = c;
      codewords = std::move(again);
    }
  }
  if (corrected < 0) {
    reading.damaged_block = -corrected - 1;
    reading.error = "Reed-Solomon block " + std::to_string(reading.damaged_block + 1) + " of " +
                    std::to_string(size->blocks) + " is damaged beyond correction";
    return false;
  }
  reading.corrected = corrected;
  codewords.resize(size->data_codewords);
  if (!DataMatrixDecodation(codewords, reading)) {
    reading.error = "the data codewords do not decode";
    return false;
  }
  return true;
}

}  // namespace tavo
