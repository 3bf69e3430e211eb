// Data Matrix ECC 200 symbol: sizes, Reed-Solomon with block interleaving,
// module placement, finder and timing patterns.
#include <algorithm>
#include <bit>
#include <cstring>
#include <span>
#include <utility>

#include "symbologies/datamatrix/datamatrix.h"

namespace tavo {
namespace {

// Every ECC 200 size: rows, cols, data regions down and across, region
// height and width in modules, data and error-correction codewords, blocks.
// Ordered by data capacity; at equal capacity the square comes first.
// ISO/IEC 16022:2006 Table 7 (ECC 200 symbol attributes).
constexpr std::array<DataMatrixSize, 30> kSizes{{
    {10, 10, 1, 1, 8, 8, 3, 5, 1},
    {12, 12, 1, 1, 10, 10, 5, 7, 1},
    {8, 18, 1, 1, 6, 16, 5, 7, 1},
    {14, 14, 1, 1, 12, 12, 8, 10, 1},
    {8, 32, 1, 2, 6, 14, 10, 11, 1},
    {16, 16, 1, 1, 14, 14, 12, 12, 1},
    {12, 26, 1, 1, 10, 24, 16, 14, 1},
    {18, 18, 1, 1, 16, 16, 18, 14, 1},
    {20, 20, 1, 1, 18, 18, 22, 18, 1},
    {12, 36, 1, 2, 10, 16, 22, 18, 1},
    {22, 22, 1, 1, 20, 20, 30, 20, 1},
    {16, 36, 1, 2, 14, 16, 32, 24, 1},
    {24, 24, 1, 1, 22, 22, 36, 24, 1},
    {26, 26, 1, 1, 24, 24, 44, 28, 1},
    {16, 48, 1, 2, 14, 22, 49, 28, 1},
    {32, 32, 2, 2, 14, 14, 62, 36, 1},
    {36, 36, 2, 2, 16, 16, 86, 42, 1},
    {40, 40, 2, 2, 18, 18, 114, 48, 1},
    {44, 44, 2, 2, 20, 20, 144, 56, 1},
    {48, 48, 2, 2, 22, 22, 174, 68, 1},
    {52, 52, 2, 2, 24, 24, 204, 84, 2},
    {64, 64, 4, 4, 14, 14, 280, 112, 2},
    {72, 72, 4, 4, 16, 16, 368, 144, 4},
    {80, 80, 4, 4, 18, 18, 456, 192, 4},
    {88, 88, 4, 4, 20, 20, 576, 224, 4},
    {96, 96, 4, 4, 22, 22, 696, 272, 4},
    {104, 104, 4, 4, 24, 24, 816, 336, 6},
    {120, 120, 6, 6, 18, 18, 1050, 408, 6},
    {132, 132, 6, 6, 20, 20, 1304, 496, 8},
    {144, 144, 6, 6, 22, 22, 1558, 620, 10},
}};

constexpr bool SizesConsistent() {
  for (size_t i = 0; i < kSizes.size(); ++i) {
    const DataMatrixSize& s = kSizes[i];
    // The regions and their two-module frames make up the symbol, and the
    // mapping matrix holds exactly the codewords (a 4-module corner left over
    // in some sizes).
    if (s.region_rows * (s.region_h + 2) != s.rows) return false;
    if (s.region_cols * (s.region_w + 2) != s.cols) return false;
    if (s.mapping_rows() * s.mapping_cols() / 8 != s.data_codewords + s.ecc_codewords) return false;
    if (s.ecc_codewords % s.blocks != 0) return false;
    if (i > 0 && kSizes[i - 1].data_codewords > s.data_codewords) return false;
  }
  return true;
}
static_assert(SizesConsistent());

// One generator for every size's block length (5 .. 68), its roots a^1 ..
// a^n in GF(256) over 301 (ISO/IEC 16022:2006 clause 5.7.1 and Annex E).
constexpr auto kGenerators = [] {
  std::array<DataMatrixGenerator, kSizes.size()> out{};
  for (size_t i = 0; i < kSizes.size(); ++i) {
    out[i] = reed_solomon::MakeGenerator<kDataMatrixMaxEccPerBlock>(
        kDataMatrixField, kSizes[i].ecc_codewords / kSizes[i].blocks, kDataMatrixFirstRoot);
  }
  return out;
}();

// Each generator times a^0 .. a^7, eight coefficients to a word (in the
// machine's byte order, as DataMatrixAppendEcc reads the block), zero past
// the last: multiplying a generator by any codeword is adding the rows of
// the codeword's set bits.
constexpr int32_t kEccWords = (kDataMatrixMaxEccPerBlock + 7) / 8;
using GeneratorRows = std::array<std::array<uint64_t, kEccWords>, 8>;
constexpr auto kGeneratorRows = [] {
  std::array<GeneratorRows, kSizes.size()> out{};
  for (size_t i = 0; i < kSizes.size(); ++i) {
    for (int32_t b = 0; b < 8; ++b) {
      std::array<uint8_t, kEccWords * 8> bytes{};
      for (int32_t k = 0; k < kGenerators[i].degree; ++k) {
        const int32_t g = kGenerators[i].log[static_cast<size_t>(k)];
        if (g != DataMatrixGenerator::kZero) bytes[static_cast<size_t>(k)] = kDataMatrixField.exp[static_cast<size_t>(g + b)];
      }
      for (int32_t w = 0; w < kEccWords; ++w) {
        // The eight bytes as they lie in memory, as one word (what
        // std::bit_cast gives, which Emscripten's libc++ 13 lacks).
        uint64_t word = 0;
        for (int32_t j = 0; j < 8; ++j) {
          const int32_t shift = std::endian::native == std::endian::little ? 8 * j : 8 * (7 - j);
          word |= static_cast<uint64_t>(bytes[static_cast<size_t>(8 * w + j)]) << shift;
        }
        out[i][static_cast<size_t>(b)][static_cast<size_t>(w)] = word;
      }
    }
  }
  return out;
}();

}  // namespace

const std::array<DataMatrixSize, 30>& DataMatrixSizes() { return kSizes; }

// The data and error-correction codewords of one interleaved block: every
// `blocks`-th codeword, starting at `block`.
int32_t DataMatrixBlockDataCount(const DataMatrixSize& size, int32_t block) {
  return (size.data_codewords - block + size.blocks - 1) / size.blocks;
}

// Where a block's error-correction codewords stand among the interleaved
// ones.  Where the blocks are of unequal length (144x144: 8 blocks of 156
// data codewords, 2 of 155) the error-correction round starts with the
// shorter blocks, as zint and zxing write and read it; libdmtx up to 0.7.7
// reads it unrotated, which `unrotated` allows when reading.
int32_t DataMatrixEccSlot(const DataMatrixSize& size, int32_t block, bool unrotated) {
  const int32_t longer = size.data_codewords % size.blocks;
  return (longer == 0 || unrotated) ? block : (block + size.blocks - longer) % size.blocks;
}


// Each block is divided by its generator in place: the block's data
// followed by n zeros, each data codeword in turn (plus what the division
// has added to it) multiplied into the generator and added to the n
// codewords after it, which leaves the remainder in the last n.  This is
// reed_solomon::Encoder's division without its shift of the remainder, and
// with the multiplication split by bits: f * g = the sum, over the set bits
// b of f, of a^b * g, so a codeword adds up to eight rows of
// kGeneratorRows, eight bytes at a time.
void DataMatrixAppendEcc(const DataMatrixSize& size, std::vector<uint8_t>& codewords) {
  constexpr int32_t kMaxBlockData = [] {  // the longest block's data (120x120: 1050 in 6)
    int32_t most = 0;
    for (const DataMatrixSize& s : kSizes) most = std::max<int32_t>(most, (s.data_codewords + s.blocks - 1) / s.blocks);
    return most;
  }();
  const int32_t blocks = size.blocks;
  const size_t index = static_cast<size_t>(&size - kSizes.data());
  const int32_t n = kGenerators[index].degree, words = (n + 7) / 8;
  const GeneratorRows& rows = kGeneratorRows[index];
  codewords.resize(static_cast<size_t>(size.data_codewords) + size.ecc_codewords, 0);
  std::array<uint8_t, kMaxBlockData + kEccWords * 8> block{};  // room for the last word of rows
  for (int32_t b = 0; b < blocks; ++b) {
    int32_t m = 0;
    for (int32_t i = b; i < size.data_codewords; i += blocks) block[static_cast<size_t>(m++)] = codewords[static_cast<size_t>(i)];
    std::fill_n(block.begin() + m, words * 8, uint8_t{0});
    for (int32_t i = 0; i < m; ++i) {
      uint8_t* rest = block.data() + i + 1;
      for (uint32_t f = block[static_cast<size_t>(i)]; f != 0; f &= f - 1) {
        const uint64_t* row = rows[static_cast<size_t>(std::countr_zero(f))].data();
        for (int32_t w = 0; w < words; ++w) {
          uint64_t x;
          std::memcpy(&x, rest + 8 * w, 8);
          x ^= row[w];
          std::memcpy(rest + 8 * w, &x, 8);
        }
      }
    }
    const int32_t slot = DataMatrixEccSlot(size, b, false);
    for (int32_t k = 0; k < n; ++k) codewords[static_cast<size_t>(size.data_codewords + k * blocks + slot)] = block[static_cast<size_t>(m + k)];
  }
}

namespace {

// The placement walk (ISO/IEC 16022:2006 Annex F): codeword bits go into
// 8-module "utah" shapes along
// diagonals, with four special corner shapes; modules falling off an edge
// wrap to the opposite one.
// Each module placed is handed to `visit(row, col, codeword, bit)`; the
// walk itself only remembers which modules are taken.
template <typename Visit>
class Placement {
 public:
  // The largest mapping matrix (144x144: 132 x 132 modules); the walk keeps
  // its marks in the object, so that it needs no heap.
  static constexpr size_t kMostModules = 132 * 132;

  Placement(int32_t rows, int32_t cols, Visit visit)
      : rows_(rows), cols_(cols),
        used_(std::min(static_cast<size_t>(std::max(rows, 0)) * static_cast<size_t>(std::max(cols, 0)), kMostModules)),
        visit_(visit) {
    std::fill_n(taken_.begin(), used_, uint8_t{0});
  }

  void Run() {
    int32_t cw = 0, row = 4, col = 0;
    do {
      if (row == rows_ && col == 0) Corner1(cw++);
      if (row == rows_ - 2 && col == 0 && cols_ % 4 != 0) Corner2(cw++);
      if (row == rows_ - 2 && col == 0 && cols_ % 8 == 4) Corner3(cw++);
      if (row == rows_ + 4 && col == 2 && cols_ % 8 == 0) Corner4(cw++);
      do {  // up and to the right
        if (row < rows_ && col >= 0 && Empty(row, col)) Utah(row, col, cw++);
        row -= 2;
        col += 2;
      } while (row >= 0 && col < cols_);
      row += 1;
      col += 3;
      do {  // down and to the left
        if (row >= 0 && col < cols_ && Empty(row, col)) Utah(row, col, cw++);
        row += 2;
        col -= 2;
      } while (row < rows_ && col >= 0);
      row += 3;
      col += 1;
    } while (row < rows_ || col < cols_);
  }

 private:
  size_t Index(int32_t row, int32_t col) const {
    return static_cast<size_t>(row) * static_cast<size_t>(cols_) + static_cast<size_t>(col);
  }
  bool Empty(int32_t row, int32_t col) const {
    const size_t at = Index(row, col);
    return at < used_ && !taken_[at];
  }
  void Module(int32_t row, int32_t col, int32_t cw, int32_t bit) {
    if (row < 0) {
      row += rows_;
      col += 4 - ((rows_ + 4) % 8);
    }
    if (col < 0) {
      col += cols_;
      row += 4 - ((cols_ + 4) % 8);
    }
    // Every size's walk stays inside the matrix
    // (DataMatrixPlacement.EveryBitOnceAndTheFixedCorner); the test lets the
    // compiler see it too, where its range analysis (GCC 12, also through
    // link-time optimisation) took the wrapped row and column for negative.
    const size_t at = Index(row, col);
    if (at >= used_) return;
    taken_[at] = 1;
    visit_(row, col, cw, bit);
  }
  void Utah(int32_t r, int32_t c, int32_t cw) {
    Module(r - 2, c - 2, cw, 0);
    Module(r - 2, c - 1, cw, 1);
    Module(r - 1, c - 2, cw, 2);
    Module(r - 1, c - 1, cw, 3);
    Module(r - 1, c, cw, 4);
    Module(r, c - 2, cw, 5);
    Module(r, c - 1, cw, 6);
    Module(r, c, cw, 7);
  }
  void Corner1(int32_t cw) {
    Module(rows_ - 1, 0, cw, 0);
    Module(rows_ - 1, 1, cw, 1);
    Module(rows_ - 1, 2, cw, 2);
    Module(0, cols_ - 2, cw, 3);
    Module(0, cols_ - 1, cw, 4);
    Module(1, cols_ - 1, cw, 5);
    Module(2, cols_ - 1, cw, 6);
    Module(3, cols_ - 1, cw, 7);
  }
  void Corner2(int32_t cw) {
    Module(rows_ - 3, 0, cw, 0);
    Module(rows_ - 2, 0, cw, 1);
    Module(rows_ - 1, 0, cw, 2);
    Module(0, cols_ - 4, cw, 3);
    Module(0, cols_ - 3, cw, 4);
    Module(0, cols_ - 2, cw, 5);
    Module(0, cols_ - 1, cw, 6);
    Module(1, cols_ - 1, cw, 7);
  }
  void Corner3(int32_t cw) {
    Module(rows_ - 3, 0, cw, 0);
    Module(rows_ - 2, 0, cw, 1);
    Module(rows_ - 1, 0, cw, 2);
    Module(0, cols_ - 2, cw, 3);
    Module(0, cols_ - 1, cw, 4);
    Module(1, cols_ - 1, cw, 5);
    Module(2, cols_ - 1, cw, 6);
    Module(3, cols_ - 1, cw, 7);
  }
  void Corner4(int32_t cw) {
    Module(rows_ - 1, 0, cw, 0);
    Module(rows_ - 1, cols_ - 1, cw, 1);
    Module(0, cols_ - 3, cw, 2);
    Module(0, cols_ - 2, cw, 3);
    Module(0, cols_ - 1, cw, 4);
    Module(1, cols_ - 3, cw, 5);
    Module(1, cols_ - 2, cw, 6);
    Module(1, cols_ - 1, cw, 7);
  }

  int32_t rows_, cols_;
  size_t used_;
  std::array<uint8_t, kMostModules> taken_;
  Visit visit_;
};

}  // namespace

int32_t DataMatrixSymbolRow(const DataMatrixSize& s, int32_t r) { return r + 2 * (r / s.region_h) + 1; }
int32_t DataMatrixSymbolCol(const DataMatrixSize& s, int32_t c) { return c + 2 * (c / s.region_w) + 1; }

std::vector<int32_t> DataMatrixPlacement(int32_t rows, int32_t cols) {
  // -1 stays where the walk leaves the fixed bottom-right corner.
  std::vector<int32_t> cell(static_cast<size_t>(rows) * cols, -1);
  Placement(rows, cols, [&](int32_t r, int32_t c, int32_t cw, int32_t bit) {
    cell[r * cols + c] = cw * 8 + bit;
  }).Run();
  return cell;
}

namespace {

// Where every codeword bit of a size goes in its symbol: the grid offset
// (row * cols + col) of bit codeword * 8 + b (b = 0 the most significant).
// The placement walk is the same for every symbol of a size, so it is done
// once per size, at the size's first use, and kept in static storage (no
// heap: a call allocates the same whether or not it is the size's first).
template <size_t I>
constexpr size_t kBitCount = static_cast<size_t>(kSizes[I].data_codewords + kSizes[I].ecc_codewords) * 8;

template <size_t I>
std::array<uint16_t, kBitCount<I>> BitOffsets() {
  constexpr DataMatrixSize size = kSizes[I];
  std::array<uint16_t, kBitCount<I>> out{};
  Placement(size.mapping_rows(), size.mapping_cols(), [&](int32_t r, int32_t c, int32_t cw, int32_t bit) {
    const size_t at = static_cast<size_t>(cw) * 8 + static_cast<size_t>(bit);
    if (at < out.size()) out[at] = static_cast<uint16_t>(DataMatrixSymbolRow(size, r) * size.cols + DataMatrixSymbolCol(size, c));
  }).Run();
  return out;
}
static_assert(144 * 144 <= 65536, "a grid offset fits 16 bits");

template <size_t I>
std::span<const uint16_t> CachedBitOffsets() {
  static const std::array<uint16_t, kBitCount<I>> offsets = BitOffsets<I>();  // thread-safe, once
  return offsets;
}

constexpr auto kBitOffsets = []<size_t... I>(std::index_sequence<I...>) {
  return std::array<std::span<const uint16_t> (*)(), sizeof...(I)>{&CachedBitOffsets<I>...};
}(std::make_index_sequence<kSizes.size()>());

}  // namespace

ModuleGrid DataMatrixSymbol(const DataMatrixSize& size, const std::vector<uint8_t>& codewords) {
  ModuleGrid grid(size.cols, size.rows);
  // Finder (solid left and bottom edges) and timing (alternating top and
  // right edges) around every data region.
  for (int32_t ry = 0; ry < size.region_rows; ++ry) {
    for (int32_t rx = 0; rx < size.region_cols; ++rx) {
      const int32_t y0 = ry * (size.region_h + 2), x0 = rx * (size.region_w + 2);
      const int32_t h = size.region_h + 2, w = size.region_w + 2;
      uint8_t* top = grid.dark.data() + static_cast<size_t>(y0) * static_cast<size_t>(grid.width) + x0;
      uint8_t* bottom = top + static_cast<size_t>(h - 1) * static_cast<size_t>(grid.width);
      for (int32_t dy = 0; dy < h; ++dy) {
        uint8_t* row = top + static_cast<size_t>(dy) * static_cast<size_t>(grid.width);
        row[0] = 1;
        row[w - 1] = static_cast<uint8_t>(dy % 2);
      }
      for (int32_t dx = 0; dx < w; ++dx) {
        bottom[dx] = 1;
        top[dx] = static_cast<uint8_t>(1 - dx % 2);
      }
    }
  }
  const int32_t mr = size.mapping_rows(), mc = size.mapping_cols();
  // The fixed corner, where the walk leaves 4 modules: dark at its
  // bottom-right and top-left.
  if ((mr * mc) % 8 != 0) {
    grid.set(DataMatrixSymbolCol(size, mc - 1), DataMatrixSymbolRow(size, mr - 1), true);
    grid.set(DataMatrixSymbolCol(size, mc - 2), DataMatrixSymbolRow(size, mr - 2), true);
  }
  const std::span<const uint16_t> offsets = kBitOffsets[static_cast<size_t>(&size - kSizes.data())]();
  // Every bit has a module of its own inside the data regions (the walk
  // places each once), so each is written, light or dark, without a test.
  uint8_t* dark = grid.dark.data();
  const uint16_t* at = offsets.data();
  for (size_t i = 0; i < offsets.size() / 8; ++i, at += 8) {
    const unsigned v = codewords[i];
    for (int b = 0; b < 8; ++b) dark[at[b]] = static_cast<uint8_t>((v >> (7 - b)) & 1);
  }
  return grid;
}

}  // namespace tavo
