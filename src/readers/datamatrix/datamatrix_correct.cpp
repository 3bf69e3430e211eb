// Data Matrix symbol read back to its codewords, and their error correction.
#include "readers/datamatrix/datamatrix_reader.h"
#include "readers/matrix/reed_solomon_correct.h"

namespace tavo {

std::vector<uint8_t> DataMatrixReadCodewords(const DataMatrixSize& size, const ModuleGrid& symbol) {
  std::vector<uint8_t> codewords(static_cast<size_t>(size.data_codewords) + size.ecc_codewords, 0);
  const int32_t rows = size.mapping_rows(), cols = size.mapping_cols();
  const std::vector<int32_t> cell = DataMatrixPlacement(rows, cols);
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < cols; ++c) {
      const int32_t bit = cell[static_cast<size_t>(r) * cols + c];
      if (bit >= 0 && symbol.at(DataMatrixSymbolCol(size, c), DataMatrixSymbolRow(size, r))) {
        codewords[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
      }
    }
  }
  return codewords;
}

int32_t DataMatrixCorrect(const DataMatrixSize& size, std::vector<uint8_t>& codewords,
                          bool unrotated) {
  const int32_t blocks = size.blocks;
  const int32_t n = size.ecc_codewords / blocks;
  int32_t corrected = 0;
  std::vector<uint8_t> block;
  for (int32_t b = 0; b < blocks; ++b) {
    block.clear();
    const int32_t slot = DataMatrixEccSlot(size, b, unrotated);
    for (int32_t i = b; i < size.data_codewords; i += blocks) block.push_back(codewords[i]);
    for (int32_t k = 0; k < n; ++k) block.push_back(codewords[size.data_codewords + k * blocks + slot]);
    const int32_t fixed = reed_solomon::Correct(kDataMatrixField, std::span<uint8_t>(block), n,
                                                kDataMatrixFirstRoot);
    if (fixed < 0) return -(1 + b);
    corrected += fixed;
    const int32_t data = DataMatrixBlockDataCount(size, b);
    for (int32_t i = 0; i < data; ++i) codewords[b + i * blocks] = block[i];
    for (int32_t k = 0; k < n; ++k) codewords[size.data_codewords + k * blocks + slot] = block[data + k];
  }
  return corrected;
}

}  // namespace tavo
