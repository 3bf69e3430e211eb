// Data Matrix golden vectors: symbols made by zint, read back to their
// codewords (data and error correction, as placed) with our placement,
// against the codewords of the symbol our library makes for the same value
// and options.  Zint chooses its encodation schemes on its own, so these
// rows check our encodation, Reed-Solomon blocks, interleaving and placement
// against an encoder written apart from ours; rows where zint spends the
// same number of codewords in another way say so, and compare the size and
// the data read back instead.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "symbologies/datamatrix.h"
#include "tavo32.h"
#include "test_support.h"
#include "zint_dump.h"

namespace tavo::test {
namespace {

// How far our symbol agrees with zint's: every codeword; or the same size
// and data, zint choosing other encodation schemes for as many codewords;
// or zint spending more data codewords than our encodation (same size).
enum class Agreement { kCodewords, kOtherSchemes, kZintLonger };

struct ZintDataMatrix {
  std::string_view value;
  int32_t check;  // 0 square, 1 rectangles too, 2 GS1 square
  Agreement agreement;
  std::string_view why;
  std::string_view command;  // zint's options, with --dump -d VALUE
  std::string_view dump;     // zint's --dump: one hex row per module row
};

// Source: zint 2.11.1 (BSD-3-Clause), `zint OPTIONS --dump -d VALUE`; the
// first row's value is the worked example of ISO/IEC 16022 Annex O.  Bytes
// above 127 were passed with --binary --esc, GS1 data in zint's [AI] form.
constexpr ZintDataMatrix kZintDataMatrix[] = {
    {"123456", 0, Agreement::kCodewords, "ISO/IEC 16022 Annex O example: digit pairs, 10x10", "zint -b 71 --square",
     "AA8 CB4 C10 C74 C20 83C EC0 F64 9D0 FFC "},
    {"Wikipedia", 0, Agreement::kCodewords, "ASCII, 14x14", "zint -b 71 --square",
     "AAA8 B2BC DBF8 A31C CD38 9844 DE70 BB0C BF48 CB44 DDC0 BAFC D378 FFFC "},
    {"HELLO WORLD 2026 TAVO", 0, Agreement::kCodewords, "C40", "zint -b 71 --square",
     "AAAA8 CA154 883E8 E82FC B9ED0 A1C3C AC088 876B4 93810 F898C DD1C0 CB7D4 F2728 A9A9C "
     "AF2D8 83ACC F68C8 FFFFC "},
    {"hello world, lower case text", 0, Agreement::kOtherSchemes,
     "Text; zint spends its first two letters as ASCII codewords, we latch to Text at once", "zint -b 71 --square",
     "AAAAA BE75B C4064 E1599 CB1D4 DE177 C7492 E4D9F A02A4 DDA87 F5078 ACF6D 9C486 E8A73 "
     "D1ED6 E9C15 C8FC2 FCAFD D866A FFFFF "},
    {"ABC*123>XYZ*789>ABC*123>XYZ", 0, Agreement::kCodewords, "X12", "zint -b 71 --square",
     "AAAAA A472F B3834 92087 CE6DC AD997 A5D96 CEBC3 C1B12 D9B57 BC2EE AF4BB ACB88 C5943 "
     "CFAEE D8CD3 CA9FA F1A55 D0C0A FFFFF "},
    {"ABC.DEF:GHI;JKL@MNO?PQR=STU", 0, Agreement::kCodewords, "EDIFACT", "zint -b 71 --square",
     "AAAAA 82927 830DE C50E9 919FE 90C53 8D0A0 E847D DE890 CF9B9 86C12 A2395 DA008 87E85 "
     "EA22A F62FB FB6B4 9B07D CC6F2 FFFFF "},
    {"\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\xF0\xF1", 0, Agreement::kCodewords, "Base 256", "zint -b 71 --square --binary --esc",
     "AAAAA 85897 F44C4 EB39F 8C5EA C77C5 AE2DA EE417 8C976 FCD61 99EF6 984E3 A33C8 82E87 "
     "CCF9A DD361 D8C84 BA5B5 8EF62 FFFFF "},
    {"12345678901234567890", 1, Agreement::kCodewords, "rectangles allowed: 8x32", "zint -b 71",
     "AAAAAAAA C941E583 CC76804A C72B89E7 E916AD2C 8D37A3A3 B7D2BB82 FFFFFFFF "},
    {"(01)09501101530003(10)AB12", 2, Agreement::kCodewords, "GS1: FNC1 first", "zint -b 71 --gs1 --square",
     "AAAA8 CF454 8A1F8 B2EBC EA2B0 82C64 982E8 D278C E58C8 D0934 8B1C8 D1E94 A6CA0 8E6CC "
     "BF838 D5704 86610 FFFFC "},
    {"3141592653589793238462643383279502884197169399375105820974944592307816406286208998628034825342117067982148086513282306647093844609550582231725359408128481117450284102701938521105559644622948954930381964428810975665933446128475648233786783165271201909145648566923460348610454326648213393607260249141273724587006606315588174881520920962829254091715364367892590360011330530548820466521384146951941511609433057270365759591953092186117381932611793105118548074462379962749567351885752724891227938183011949129833673362440656643086021394946395224737190702179860943702770539217176293", 0, Agreement::kCodewords, "600 digits: interleaved blocks", "zint -b 71 --square",
     "AAAAAAAAAAAAAAAAAA D5D5F8523CA4870159 DA4EAE070B8FA2A730 BDB97941FFD0DF941D "
     "AE23393F8A624BBAAC FE87FB151A594EB469 E0E4B4ED687BFA17FE 987865B7BB790EE173 "
     "EA47218489B723AAC0 DAD1FF325C9C3718D5 BD98227FA8B8C2FC68 99B56FC45DF79E0DEF "
     "E6BC38896BD22B9F52 D51CE17B18CD578017 D0DEBE78E91AEAD33A F792755E7F5BA7C90D "
     "FB8AA690AC266317B6 FFFFFFFFFFFFFFFFFF AAAAAAAAAAAAAAAAAA D47DF6377CB4AFBB53 "
     "CC48B79F4CAED38C34 F5C56249FE560EC7A7 A426A9EAAE5F6BB544 E75F7F2B58EC776ECD "
     "E199B5E6E9BA028CFE D090649EFB2A6F6085 87A33AABABABB38BD6 D651F09B9F4C0E196B "
     "D85BA6E209934B4BBA C3396DD7DBE196FBAD A4E8A959EEC30AA73E CDB57F57392F76D24F "
     "F682B92BABDB7A955E DC3E6D84FBB2CF2481 C7C622EB8A8D12DC7A FFFFFFFFFFFFFFFFFF "
     "AAAAAAAAAAAAAAAAAA D144F11DD9278F631F 9F682B726FA9CA7592 D36F6CEB5EE78E67EF "
     "BABC3EA8497DABCF6A C684F91A7D449E47C3 D28FB2E2AD4EC3CEFE DD587C727A27A66319 "
     "822FAEB74876731D9E F7FA7879FB39FED2D3 AE28A750EE29B32EDA 85C9F0A97C00D78215 "
     "B630AD9BACEC72C2BC CC1CE34ADEC39EE84B E1B7B39A2C0E12F42A FB507D45DD2F3F17E1 "
     "CE8BA0E6ED0B02C0FC FFFFFFFFFFFFFFFFFF AAAAAAAAAAAAAAAAAA DBD0F9603C4AAE3DDD "
     "ABE82D4E6B4BDA80A2 E555FF4AF8F0B74435 A67E20826E30E3E0F2 EF1463B2BA0A4F3349 "
     "83CAA3594AA25AF0DE D7737AE31D662F619D AA08BAC8A9AA1BEF36 CCEF75419B117F7565 "
     "F9BF3EED69444B39C4 FB627A72BDE98ECE9D BB99349CE92E334444 8FE4613CDE7C66CE73 "
     "81DAAFBA6B632B3CCA F0F9E5C7B93D56D7D9 BE2AACD0EFBB3BEF1E FFFFFFFFFFFFFFFFFF "},
    {"Mixed: ABCDEFGH 0123456789 abcdefgh!", 0, Agreement::kZintLonger,
     "several encodations; ours takes 29 data codewords, zint 30 (both 22x22)", "zint -b 71 --square",
     "AAAAA8 A601E4 D73BD0 A8C07C FA2718 B39964 C08CB8 A1AAEC C7F620 B025BC 8EDE68 A686DC "
     "873DC0 A3C42C CCE490 8EB564 D08EC0 B55C64 CFD920 C8C56C BDD440 FFFFFC "},
};

// Room for the font text of the largest row.
constexpr int32_t kRoom = 1 << 16;

// The size whose rows match the dump and whose width its hex rows (one
// digit to 4 modules, the last digit filled with light ones) hold; null
// when none does.
const DataMatrixSize* SizeOfDump(const std::vector<std::string>& rows) {
  for (const DataMatrixSize& s : DataMatrixSizes()) {
    if (s.rows == rows.size() && rows[0].size() == (s.cols + 3u) / 4u) return &s;
  }
  return nullptr;
}

// Our symbol for the row through the export, without its quiet zone.
bool OurSymbol(const ZintDataMatrix& row, const DataMatrixSize*& size, ModuleGrid& symbol) {
  const Translation t = Translate(BC_SYM_DATAMATRIX, row.value, row.check, kRoom);
  ModuleGrid text;
  if (t.rc != 0 || !ReadMatrixText(t.bytes, text)) return false;
  // The left finder column and the bottom finder row are dark end to end.
  int32_t width = 0, height = 0;
  for (int32_t y = kDataMatrixQuietZone; y < text.height && text.at(kDataMatrixQuietZone, y); ++y) {
    height = y - kDataMatrixQuietZone + 1;
  }
  const int32_t bottom = kDataMatrixQuietZone + height - 1;
  for (int32_t x = kDataMatrixQuietZone; x < text.width && text.at(x, bottom); ++x) {
    width = x - kDataMatrixQuietZone + 1;
  }
  size = nullptr;
  for (const DataMatrixSize& s : DataMatrixSizes()) {
    if (s.rows == height && s.cols == width) size = &s;
  }
  if (!size) return false;
  symbol = ModuleGrid(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      symbol.set(x, y, text.at(x + kDataMatrixQuietZone, y + kDataMatrixQuietZone));
    }
  }
  return true;
}

TEST(DataMatrixGolden, CodewordsAgreeWithZint) {
  for (const ZintDataMatrix& row : kZintDataMatrix) {
    SCOPED_TRACE(std::string(row.why) + ": " + std::string(row.command));
    const std::vector<std::string> rows = ZintDumpRows(row.dump);
    const DataMatrixSize* zint_size = SizeOfDump(rows);
    ASSERT_NE(zint_size, nullptr) << "no Data Matrix size of " << rows.size() << " rows";
    std::vector<uint8_t> zint = DataMatrixReadCodewords(*zint_size, ZintDumpGrid(rows, zint_size->cols));
    std::vector<uint8_t> zint_corrected = zint;
    EXPECT_EQ(DataMatrixCorrect(*zint_size, zint_corrected), 0) << "zint's codewords need no mending";

    const DataMatrixSize* our_size = nullptr;
    ModuleGrid our_symbol;
    ASSERT_TRUE(OurSymbol(row, our_size, our_symbol));
    EXPECT_EQ(our_size->rows, zint_size->rows);
    EXPECT_EQ(our_size->cols, zint_size->cols);
    const std::vector<uint8_t> ours = DataMatrixReadCodewords(*our_size, our_symbol);
    if (row.agreement == Agreement::kCodewords) {
      EXPECT_EQ(ours, zint);
    } else {
      EXPECT_NE(ours, zint) << "zint now agrees codeword for codeword: mark the row so";
    }

    // Whatever the encodation, both carry the same data.
    DataMatrixReading zint_reading, our_reading;
    zint_corrected.resize(zint_size->data_codewords);
    ASSERT_TRUE(DataMatrixDecodation(zint_corrected, zint_reading));
    const Translation text = Translate(BC_SYM_DATAMATRIX, row.value, row.check, kRoom);
    ASSERT_TRUE(DecodeDataMatrixText(text.bytes, our_reading)) << our_reading.error;
    EXPECT_EQ(our_reading.data, zint_reading.data);
    EXPECT_EQ(our_reading.gs1, zint_reading.gs1);
    if (row.agreement == Agreement::kZintLonger) {
      EXPECT_LT(our_reading.codewords_used, zint_reading.codewords_used);
    } else {
      EXPECT_EQ(our_reading.codewords_used, zint_reading.codewords_used);
    }
  }
}

}  // namespace
}  // namespace tavo::test
