// The Data Matrix symbol's short cuts against their plain forms, for every
// size: the error correction of the interleaved blocks against the general
// Reed-Solomon encoder, and the modules of the kept placement against a
// symbol built module by module from the placement walk.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "symbologies/datamatrix/datamatrix.h"

namespace tavo {
namespace {

std::vector<uint8_t> RandomData(const DataMatrixSize& s, std::mt19937& rng) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<uint8_t> data(s.data_codewords);
  for (uint8_t& c : data) c = static_cast<uint8_t>(byte(rng));
  if (!data.empty()) data[0] = 0;  // a zero codeword, which adds nothing
  return data;
}

// Block b's error correction by reed_solomon::Encoder, codeword by codeword.
std::vector<uint8_t> PlainEcc(const DataMatrixSize& s, const std::vector<uint8_t>& data, int32_t b) {
  const int32_t n = s.ecc_codewords / s.blocks;
  const DataMatrixGenerator generator =
      reed_solomon::MakeGenerator<kDataMatrixMaxEccPerBlock>(kDataMatrixField, n, kDataMatrixFirstRoot);
  reed_solomon::Encoder encoder(kDataMatrixField, generator);
  for (int32_t i = b; i < s.data_codewords; i += s.blocks) encoder.Push(data[static_cast<size_t>(i)]);
  std::vector<uint8_t> out;
  for (int32_t k = 0; k < n; ++k) out.push_back(encoder.Ecc(k));
  return out;
}

TEST(DataMatrixSymbol, EccOfEveryBlockAgreesWithThePlainEncoder) {
  std::mt19937 rng(20261207);
  for (const DataMatrixSize& s : DataMatrixSizes()) {
    SCOPED_TRACE(std::to_string(s.rows) + "x" + std::to_string(s.cols));
    for (int round = 0; round < 4; ++round) {
      const std::vector<uint8_t> data = RandomData(s, rng);
      std::vector<uint8_t> all = data;
      DataMatrixAppendEcc(s, all);
      ASSERT_EQ(all.size(), static_cast<size_t>(s.data_codewords + s.ecc_codewords));
      EXPECT_TRUE(std::equal(data.begin(), data.end(), all.begin()));
      for (int32_t b = 0; b < s.blocks; ++b) {
        const std::vector<uint8_t> want = PlainEcc(s, data, b);
        const int32_t slot = DataMatrixEccSlot(s, b, false);
        for (size_t k = 0; k < want.size(); ++k) {
          ASSERT_EQ(all[s.data_codewords + k * s.blocks + slot], want[k]) << "block " << b << " codeword " << k;
        }
      }
    }
  }
}

TEST(DataMatrixSymbol, ModulesAgreeWithThePlacementWalk) {
  std::mt19937 rng(7);
  for (const DataMatrixSize& s : DataMatrixSizes()) {
    SCOPED_TRACE(std::to_string(s.rows) + "x" + std::to_string(s.cols));
    std::vector<uint8_t> cw = RandomData(s, rng);
    DataMatrixAppendEcc(s, cw);
    const ModuleGrid got = DataMatrixSymbol(s, cw);
    const ModuleGrid again = DataMatrixSymbol(s, cw);  // the second use of a size, from what was kept
    EXPECT_EQ(got.dark, again.dark);
    const int32_t mr = s.mapping_rows(), mc = s.mapping_cols();
    const std::vector<int32_t> cell = DataMatrixPlacement(mr, mc);
    for (int32_t r = 0; r < mr; ++r) {
      for (int32_t c = 0; c < mc; ++c) {
        const int32_t at = cell[static_cast<size_t>(r * mc + c)];
        const bool want = at < 0 ? (r - c == mr - mc) : ((cw[static_cast<size_t>(at / 8)] >> (7 - at % 8)) & 1) != 0;
        ASSERT_EQ(got.at(DataMatrixSymbolCol(s, c), DataMatrixSymbolRow(s, r)), want) << r << "," << c;
      }
    }
  }
}

}  // namespace
}  // namespace tavo
