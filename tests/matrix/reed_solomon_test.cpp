// The one Reed-Solomon of the 2D symbologies: its fields, its generator
// polynomials against the standards' tables, and encoding then correcting
// in a binary and a prime field, with either first root.
#include "symbologies/matrix/reed_solomon.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "readers/matrix/reed_solomon_correct.h"
#include "symbologies/datamatrix/datamatrix.h"
#include "symbologies/qr/qr_reed_solomon.h"

namespace tavo::reed_solomon {
namespace {

constexpr auto kAztec6 = BinaryField<uint8_t, 64>(0x43);  // ISO/IEC 24778: x^6 + x + 1
constexpr auto kPdf417 = PrimeField<uint16_t, 929>(3);    // ISO/IEC 15438: GF(929), 3

// Every nonzero element is a power of a once, and has an inverse.
template <typename F>
void ExpectField(const F& f) {
  std::set<int> seen;
  for (int i = 0; i < F::kOrder; ++i) seen.insert(f.exp[i]);
  EXPECT_EQ(seen.size(), static_cast<size_t>(F::kOrder));
  EXPECT_EQ(seen.count(0), 0u);
  for (int a = 1; a < F::kSize; ++a) {
    const auto x = static_cast<typename F::Element>(a);
    ASSERT_EQ(f.Mul(x, f.Div(1, x)), 1) << a;
    ASSERT_EQ(f.Add(x, f.Negate(x)), 0) << a;
  }
}

TEST(ReedSolomonField, EveryElementAPowerWithAnInverse) {
  ExpectField(kQrField);
  ExpectField(kDataMatrixField);
  ExpectField(kAztec6);
  ExpectField(kPdf417);
  EXPECT_EQ(kPdf417.Mul(928, 928), 1);  // (-1)(-1)
}

// Generator coefficients from x^(n-1) down to x^0, as field elements.
template <int N, typename F>
std::vector<int> Coefficients(const F& f, int n, int first_root) {
  const auto g = MakeGenerator<N>(f, n, first_root);
  std::vector<int> out;
  for (int k = 0; k < n; ++k) out.push_back(g.log[k] == g.kZero ? 0 : f.exp[g.log[k]]);
  return out;
}

TEST(ReedSolomonGenerator, MatchesTheStandardsTables) {
  // ISO/IEC 18004:2015 Annex A, 7 error correction codewords, as exponents
  // of a: x^7 + a^87 x^6 + a^229 x^5 + a^146 x^4 + a^149 x^3 + a^238 x^2 + a^102 x + a^21.
  const auto qr = MakeGenerator<30>(kQrField, 7, 0);
  EXPECT_EQ(std::vector<int>(qr.log.begin(), qr.log.begin() + 7),
            (std::vector<int>{87, 229, 146, 149, 238, 102, 21}));
  // ISO/IEC 16022:2006 Annex E, 5 error correction codewords: 228, 48, 15,
  // 111, 62 from x^0 upwards (libdmtx and zint list them so).
  EXPECT_EQ(Coefficients<68>(kDataMatrixField, 5, 1), (std::vector<int>{62, 111, 15, 48, 228}));
  // ISO/IEC 15438:2001 Annex F, security levels 0 and 1, from x^0 upwards
  // (zxing's PDF417ErrorCorrection and zint's PDF417 tables list the same):
  // 27, 917 and 522, 568, 723, 809; (x - 3)(x - 9) = x^2 - 12x + 27.
  EXPECT_EQ(Coefficients<8>(kPdf417, 2, 1), (std::vector<int>{917, 27}));
  EXPECT_EQ(Coefficients<8>(kPdf417, 4, 1), (std::vector<int>{809, 723, 568, 522}));
}

TEST(ReedSolomonEncoder, WorkedExamples) {
  // ISO/IEC 16022:2006 Annex O: "123456" in a 10x10 symbol, data codewords
  // 142 164 186, error correction 114 25 5 88 102.
  const auto g = MakeGenerator<68>(kDataMatrixField, 5, 1);
  Encoder dm(kDataMatrixField, g);
  for (uint8_t c : {142, 164, 186}) dm.Push(c);
  std::vector<int> ecc;
  for (int k = 0; k < 5; ++k) ecc.push_back(dm.Ecc(k));
  EXPECT_EQ(ecc, (std::vector<int>{114, 25, 5, 88, 102}));
}

// Encodes random data, damages up to n/2 codewords and corrects them.
template <int N, typename F>
void RoundTrip(const F& f, int data_len, int n, int first_root, uint32_t seed) {
  using T = typename F::Element;
  const auto g = MakeGenerator<N>(f, n, first_root);
  std::mt19937 rng(seed);
  for (int trial = 0; trial < 40; ++trial) {
    std::vector<T> block;
    Encoder e(f, g);
    for (int i = 0; i < data_len; ++i) {
      block.push_back(static_cast<T>(rng() % F::kSize));
      e.Push(block.back());
    }
    for (int k = 0; k < n; ++k) block.push_back(e.Ecc(k));
    ASSERT_TRUE(SyndromesAreZero(f, std::span<const T>(block), n, first_root));
    const std::vector<T> clean = block;
    const int errors = trial % (n / 2 + 1);
    std::set<size_t> hit;
    while (static_cast<int>(hit.size()) < errors) hit.insert(rng() % block.size());
    for (size_t at : hit) block[at] = f.Add(block[at], static_cast<T>(1 + rng() % (F::kSize - 1)));
    EXPECT_EQ(Correct(f, std::span<T>(block), n, first_root), errors) << "trial " << trial;
    EXPECT_EQ(block, clean) << "trial " << trial;
  }
}

TEST(ReedSolomonCorrect, MendsUpToHalfTheErrorCorrectionCodewords) {
  RoundTrip<30>(kQrField, 19, 7, 0, 1);           // QR Code 1-L
  RoundTrip<68>(kDataMatrixField, 44, 28, 1, 2);  // Data Matrix 26x26
  RoundTrip<16>(kAztec6, 20, 10, 1, 3);
  RoundTrip<16>(kPdf417, 30, 16, 1, 4);           // PDF417 level 3
  RoundTrip<16>(kPdf417, 12, 9, 0, 5);            // a prime field with first root 0, odd n
}

TEST(ReedSolomonCorrect, TooManyErrorsAreNotMended) {
  // Three errors against four error correction codewords: the block is
  // reported, never "corrected" into the wrong codeword silently.
  const auto g = MakeGenerator<30>(kQrField, 4, 0);
  Encoder e(kQrField, g);
  std::vector<uint8_t> block = {1, 2, 3, 4, 5, 6};
  for (uint8_t c : block) e.Push(c);
  for (int k = 0; k < 4; ++k) block.push_back(e.Ecc(k));
  block[0] ^= 0x55;
  block[3] ^= 0x0F;
  block[7] ^= 0xF0;
  EXPECT_EQ(Correct(kQrField, std::span<uint8_t>(block), 4, 0), -1);
}

}  // namespace
}  // namespace tavo::reed_solomon
