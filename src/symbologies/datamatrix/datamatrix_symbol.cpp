// Data Matrix ECC 200 symbol: sizes, Reed-Solomon with block interleaving,
// module placement, finder and timing patterns, and reading them back.
#include <algorithm>

#include "symbologies/datamatrix/datamatrix.h"

namespace tavo {
namespace {

// Every ECC 200 size: rows, cols, data regions down and across, region
// height and width in modules, data and error-correction codewords, blocks.
// Ordered by data capacity; at equal capacity the square comes first.
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

// GF(256) with the field polynomial x^8 + x^5 + x^3 + x^2 + 1 (301).
struct GaloisField {
  std::array<uint8_t, 512> exp{};
  std::array<int16_t, 256> log{};
  constexpr GaloisField() {
    int x = 1;
    for (int i = 0; i < 255; ++i) {
      exp[i] = static_cast<uint8_t>(x);
      log[x] = static_cast<int16_t>(i);
      x <<= 1;
      if (x & 0x100) x ^= 301;
    }
    for (int i = 255; i < 512; ++i) exp[i] = exp[i - 255];
    log[0] = -1;
  }
  constexpr uint8_t Mul(uint8_t a, uint8_t b) const {
    return (a == 0 || b == 0) ? 0 : exp[log[a] + log[b]];
  }
  constexpr uint8_t Div(uint8_t a, uint8_t b) const {  // b != 0
    return a == 0 ? 0 : exp[log[a] + 255 - log[b]];
  }
};
constexpr GaloisField kGf;

// The generator polynomials (x - a^1)(x - a^2)...(x - a^n) of every block
// length, as the logarithms of their coefficients from x^(n-1) down to x^0
// (the leading 1 left out).
constexpr int kMaxEccPerBlock = 68;
struct Generator {
  uint8_t n = 0;
  std::array<uint8_t, kMaxEccPerBlock> log{};
};

constexpr Generator MakeGenerator(int n) {
  std::array<uint8_t, kMaxEccPerBlock + 1> g{};  // g[k]: coefficient of x^(n-k)
  g[0] = 1;
  for (int i = 1; i <= n; ++i) {
    const uint8_t root = kGf.exp[i];
    for (int k = i; k >= 1; --k) g[k] = static_cast<uint8_t>(g[k] ^ kGf.Mul(g[k - 1], root));
  }
  Generator out;
  out.n = static_cast<uint8_t>(n);
  for (int k = 0; k < n; ++k) out.log[k] = static_cast<uint8_t>(kGf.log[g[k + 1]]);
  return out;
}

constexpr auto kGenerators = [] {
  std::array<Generator, kSizes.size()> out{};
  for (size_t i = 0; i < kSizes.size(); ++i) out[i] = MakeGenerator(kSizes[i].ecc_codewords / kSizes[i].blocks);
  return out;
}();

constexpr bool GeneratorsWithoutZero() {
  for (const Generator& g : kGenerators) {
    for (int k = 0; k < g.n; ++k) {
      if (kGf.exp[g.log[k]] == 0 || g.log[k] == 255) return false;
    }
  }
  return true;
}
static_assert(GeneratorsWithoutZero(), "every coefficient has a logarithm");

// The data and error-correction codewords of one interleaved block: every
// `blocks`-th codeword, starting at `block`.
int32_t BlockDataCount(const DataMatrixSize& size, int32_t block) {
  return (size.data_codewords - block + size.blocks - 1) / size.blocks;
}

// Where a block's error-correction codewords stand among the interleaved
// ones.  Where the blocks are of unequal length (144x144: 8 blocks of 156
// data codewords, 2 of 155) the error-correction round starts with the
// shorter blocks, as zint and zxing write and read it; libdmtx up to 0.7.7
// reads it unrotated, which `unrotated` allows when reading.
int32_t EccSlot(const DataMatrixSize& size, int32_t block, bool unrotated) {
  const int32_t longer = size.data_codewords % size.blocks;
  return (longer == 0 || unrotated) ? block : (block + size.blocks - longer) % size.blocks;
}

}  // namespace

const std::array<DataMatrixSize, 30>& DataMatrixSizes() { return kSizes; }

void DataMatrixAppendEcc(const DataMatrixSize& size, std::vector<uint8_t>& codewords) {
  const int32_t blocks = size.blocks;
  const Generator& gen = kGenerators[&size - kSizes.data()];
  const int32_t n = gen.n;
  codewords.resize(static_cast<size_t>(size.data_codewords) + size.ecc_codewords, 0);
  std::array<uint8_t, kMaxEccPerBlock> rem;
  for (int32_t b = 0; b < blocks; ++b) {
    std::fill(rem.begin(), rem.begin() + n, 0);
    // Division by the generator: shift the remainder a codeword along and
    // add the generator times the codeword that falls out.
    for (int32_t i = b; i < size.data_codewords; i += blocks) {
      const uint8_t factor = static_cast<uint8_t>(codewords[i] ^ rem[0]);
      if (factor == 0) {
        std::copy(rem.begin() + 1, rem.begin() + n, rem.begin());
        rem[n - 1] = 0;
        continue;
      }
      const uint8_t* exp = kGf.exp.data() + kGf.log[factor];
      for (int32_t k = 0; k + 1 < n; ++k) rem[k] = static_cast<uint8_t>(rem[k + 1] ^ exp[gen.log[k]]);
      rem[n - 1] = exp[gen.log[n - 1]];
    }
    const int32_t slot = EccSlot(size, b, false);
    for (int32_t k = 0; k < n; ++k) codewords[size.data_codewords + k * blocks + slot] = rem[k];
  }
}

namespace {

// Corrects one block (its codewords highest degree first) in place; returns
// the number of corrected codewords or -1.
int32_t CorrectBlock(std::vector<uint8_t>& r, int32_t n) {
  const int32_t len = static_cast<int32_t>(r.size());
  std::vector<uint8_t> s(static_cast<size_t>(n));
  bool clean = true;
  for (int32_t j = 0; j < n; ++j) {  // S_j = r(a^(j+1))
    uint8_t v = 0;
    for (uint8_t c : r) v = static_cast<uint8_t>(kGf.Mul(v, kGf.exp[j + 1]) ^ c);
    s[j] = v;
    clean = clean && v == 0;
  }
  if (clean) return 0;
  // Berlekamp-Massey: the error locator lambda.
  std::vector<uint8_t> lambda(static_cast<size_t>(n) + 1, 0), prev(lambda), tmp;
  lambda[0] = prev[0] = 1;
  int32_t errors = 0, shift = 1;
  uint8_t prev_disc = 1;
  for (int32_t k = 0; k < n; ++k) {
    uint8_t d = s[k];
    for (int32_t i = 1; i <= errors; ++i) d ^= kGf.Mul(lambda[i], s[k - i]);
    if (d == 0) {
      ++shift;
      continue;
    }
    const uint8_t coef = kGf.Div(d, prev_disc);
    tmp = lambda;
    for (int32_t i = 0; i + shift <= n; ++i) lambda[i + shift] ^= kGf.Mul(coef, prev[i]);
    if (2 * errors <= k) {
      errors = k + 1 - errors;
      prev = tmp;
      prev_disc = d;
      shift = 1;
    } else {
      ++shift;
    }
  }
  if (2 * errors > n) return -1;
  // Omega = S * lambda mod x^n.
  std::vector<uint8_t> omega(static_cast<size_t>(n), 0);
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t k = 0; k <= i && k <= errors; ++k) omega[i] ^= kGf.Mul(lambda[k], s[i - k]);
  }
  // Chien search over the block's positions, Forney for the values.
  int32_t found = 0;
  for (int32_t pos = 0; pos < len; ++pos) {
    const int32_t degree = len - 1 - pos;          // X = a^degree
    const int32_t inv = (255 - degree % 255) % 255;  // X^-1 = a^inv
    uint8_t sum = 0, deriv = 0;
    for (int32_t i = 0; i <= errors; ++i) {
      const uint8_t term = kGf.Mul(lambda[i], kGf.exp[(inv * i) % 255]);
      sum ^= term;
      if (i % 2 == 1) deriv ^= kGf.Mul(lambda[i], kGf.exp[(inv * (i - 1)) % 255]);
    }
    if (sum != 0) continue;
    uint8_t om = 0;
    for (int32_t i = 0; i < n; ++i) om ^= kGf.Mul(omega[i], kGf.exp[(inv * i) % 255]);
    if (deriv == 0) return -1;
    r[pos] ^= kGf.Div(om, deriv);
    ++found;
  }
  return found == errors ? found : -1;
}

}  // namespace

int32_t DataMatrixCorrect(const DataMatrixSize& size, std::vector<uint8_t>& codewords,
                          bool unrotated) {
  const int32_t blocks = size.blocks;
  const int32_t n = size.ecc_codewords / blocks;
  int32_t corrected = 0;
  std::vector<uint8_t> block;
  for (int32_t b = 0; b < blocks; ++b) {
    block.clear();
    const int32_t slot = EccSlot(size, b, unrotated);
    for (int32_t i = b; i < size.data_codewords; i += blocks) block.push_back(codewords[i]);
    for (int32_t k = 0; k < n; ++k) block.push_back(codewords[size.data_codewords + k * blocks + slot]);
    const int32_t fixed = CorrectBlock(block, n);
    if (fixed < 0) return -(1 + b);
    corrected += fixed;
    const int32_t data = BlockDataCount(size, b);
    for (int32_t i = 0; i < data; ++i) codewords[b + i * blocks] = block[i];
    for (int32_t k = 0; k < n; ++k) codewords[size.data_codewords + k * blocks + slot] = block[data + k];
  }
  return corrected;
}

namespace {

// The placement walk: codeword bits go into 8-module "utah" shapes along
// diagonals, with four special corner shapes; modules falling off an edge
// wrap to the opposite one.
// Each module placed is handed to `visit(row, col, codeword, bit)`; the
// walk itself only remembers which modules are taken.
template <typename Visit>
class Placement {
 public:
  Placement(int32_t rows, int32_t cols, Visit visit)
      : rows_(rows), cols_(cols), taken_(static_cast<size_t>(rows) * cols, 0), visit_(visit) {}

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
  bool Empty(int32_t row, int32_t col) const { return !taken_[Index(row, col)]; }
  void Module(int32_t row, int32_t col, int32_t cw, int32_t bit) {
    if (row < 0) {
      row += rows_;
      col += 4 - ((rows_ + 4) % 8);
    }
    if (col < 0) {
      col += cols_;
      row += 4 - ((cols_ + 4) % 8);
    }
// GCC's range analysis (12, MinGW at -O2) takes the wrapped row and column
// for possibly negative and warns of a write before the array; every size's
// walk stays inside it (DataMatrixPlacement.EveryBitOnceAndTheFixedCorner).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#endif
    taken_[Index(row, col)] = 1;
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
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
  std::vector<uint8_t> taken_;
  Visit visit_;
};

// Symbol coordinates of a mapping-matrix module: each region sits inside a
// one-module frame.
int32_t SymbolRow(const DataMatrixSize& s, int32_t r) { return r + 2 * (r / s.region_h) + 1; }
int32_t SymbolCol(const DataMatrixSize& s, int32_t c) { return c + 2 * (c / s.region_w) + 1; }

}  // namespace

std::vector<int32_t> DataMatrixPlacement(int32_t rows, int32_t cols) {
  // -1 stays where the walk leaves the fixed bottom-right corner.
  std::vector<int32_t> cell(static_cast<size_t>(rows) * cols, -1);
  Placement(rows, cols, [&](int32_t r, int32_t c, int32_t cw, int32_t bit) {
    cell[r * cols + c] = cw * 8 + bit;
  }).Run();
  return cell;
}

ModuleGrid DataMatrixSymbol(const DataMatrixSize& size, const std::vector<uint8_t>& codewords) {
  ModuleGrid grid(size.cols, size.rows);
  // Finder (solid left and bottom edges) and timing (alternating top and
  // right edges) around every data region.
  for (int32_t ry = 0; ry < size.region_rows; ++ry) {
    for (int32_t rx = 0; rx < size.region_cols; ++rx) {
      const int32_t y0 = ry * (size.region_h + 2), x0 = rx * (size.region_w + 2);
      const int32_t h = size.region_h + 2, w = size.region_w + 2;
      for (int32_t dy = 0; dy < h; ++dy) {
        grid.set(x0, y0 + dy, true);
        grid.set(x0 + w - 1, y0 + dy, dy % 2 == 1);
      }
      for (int32_t dx = 0; dx < w; ++dx) {
        grid.set(x0 + dx, y0 + h - 1, true);
        grid.set(x0 + dx, y0, dx % 2 == 0);
      }
    }
  }
  const int32_t mr = size.mapping_rows(), mc = size.mapping_cols();
  // The fixed corner, where the walk leaves 4 modules: dark at its
  // bottom-right and top-left.
  if ((mr * mc) % 8 != 0) {
    grid.set(SymbolCol(size, mc - 1), SymbolRow(size, mr - 1), true);
    grid.set(SymbolCol(size, mc - 2), SymbolRow(size, mr - 2), true);
  }
  Placement(mr, mc, [&](int32_t r, int32_t c, int32_t cw, int32_t bit) {
    if ((codewords[cw] >> (7 - bit)) & 1) grid.set(SymbolCol(size, c), SymbolRow(size, r), true);
  }).Run();
  return grid;
}

std::vector<uint8_t> DataMatrixReadCodewords(const DataMatrixSize& size, const ModuleGrid& symbol) {
  std::vector<uint8_t> codewords(static_cast<size_t>(size.data_codewords) + size.ecc_codewords, 0);
  Placement(size.mapping_rows(), size.mapping_cols(), [&](int32_t r, int32_t c, int32_t cw, int32_t bit) {
    if (symbol.at(SymbolCol(size, c), SymbolRow(size, r))) codewords[cw] |= static_cast<uint8_t>(0x80 >> bit);
  }).Run();
  return codewords;
}

}  // namespace tavo
