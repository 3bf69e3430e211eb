// A real scanner reads our QR Code font text: seeded values of every kind
// (digits, upper-case, mixed text, binary, UTF-8), every level and mask and
// the largest symbol are translated by BC_FontTranslate, drawn through the
// symbol model as pictures and read back by zbar.  (The font suite sets the
// same values in the TAVO QR font.)
//
// zbar's conventions for QR Code, found by experiment with zbar 0.23.92:
// - With -Sbinary it reports the data bytes exactly as carried.
// - Without it, it converts the data to UTF-8: ECI 26 data as it is, byte
//   data without ECI as ISO/IEC 8859-1 (so Windows-1252 letters such as
//   u-umlaut read right; 0x80-0x9F read as C1 controls, not as the euro sign
//   and curly quotes), unless that data happens to be valid UTF-8.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "matrix_samples.h"
#include "render.h"
#include "scanner.h"
#include "symbologies/codes.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/qr/qr.h"
#include "tavo32.h"
#include "tavo_model.h"


namespace tavo::scan {
namespace {

// The library's translation of `value` at `check`.
std::string TranslateQr(std::string_view value, int32_t check, int32_t& rc) {
  const std::string v(value);
  std::vector<char> out(v.size() * 8 + 8192);
  int32_t len = 0;
  rc = BC_FontTranslate(symbology::kQr, v.c_str(), check, out.data(), static_cast<int32_t>(out.size()), &len);
  return rc ? std::string() : std::string(out.data(), static_cast<size_t>(len));
}

// Pictures drawn from font text, module by module, as grey-scale PGM files.
class MatrixPictures {
 public:
  MatrixPictures() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavo-qr-XXXXXX").string();
    if (mkdtemp(pattern.data())) dir_ = pattern;
  }
  ~MatrixPictures() {
    std::error_code ignored;
    if (!dir_.empty() && !std::getenv("TAVO_SCAN_KEEP")) std::filesystem::remove_all(dir_, ignored);
  }
  // Draws the font text through the symbol model at `scale` pixels per
  // module, quiet zone included.
  bool Add(std::string_view text, int scale = 3) {
    model::Symbol symbol;
    model::ModelError error;
    if (dir_.empty() || !model::BuildSymbol(symbology::kQr, text, {}, symbol, error)) return false;
    char name[32];
    std::snprintf(name, sizeof name, "q%05zu.png", files_.size());
    std::string why;
    if (!render::WritePng(render::Rasterize(render::LayOut(symbol, 0, false), scale), (dir_ / name).string(), why)) {
      return false;
    }
    files_.push_back(name);
    return true;
  }
  // The data of picture `i` as zbar reports it: its bytes exactly as
  // carried (`binary`), or converted to UTF-8 text.  One run per picture:
  // zbar's binary mode has no XML report, and its XML report garbles bytes
  // above 127 (its base 64 sign-extends them).
  std::string Scan(size_t i, bool binary) const { return ZbarReadQr((dir_ / files_[i]).string(), binary); }

 private:
  std::filesystem::path dir_;
  std::vector<std::string> files_;
};

TEST(QrScan, SeededValuesReadByZbar) {
  const std::vector<MatrixSample> samples = SeededMatrixSamples(300, 20261207, 4);
  MatrixPictures pictures;
  for (const MatrixSample& s : samples) {
    int32_t rc = 0;
    const std::string text = TranslateQr(s.value, s.check, rc);
    ASSERT_EQ(rc, 0) << s.kind << " of " << s.value.size();
    ASSERT_TRUE(pictures.Add(text));
  }
  // Text values read as themselves in zbar's text mode; binary values are
  // compared byte for byte.
  for (size_t i = 0; i < samples.size(); ++i) {
    const MatrixSample& s = samples[i];
    const std::string read = pictures.Scan(i, s.kind == "binary");
    EXPECT_TRUE(read == s.value) << s.kind << " of " << s.value.size() << " bytes, check "
                                 << s.check << ": read " << read.substr(0, 60);
  }
}

// What a caller of each binding passes for the same words, and the text a
// scanner must show.
struct CallerText {
  std::string_view passed;
  std::string_view meant;  // UTF-8
  const char* why;
};
constexpr CallerText kCallerTexts[] = {
    {"Z\xC3\xBCrich", "Z\xC3\xBCrich", "UTF-8 (Python str, C# string, VBA TavoQR): ECI 26"},
    {"\xE6\x9D\xB1\xE4\xBA\xAC", "\xE6\x9D\xB1\xE4\xBA\xAC", "UTF-8 Tokyo: ECI 26"},
    {"Z\xFCrich", "Z\xC3\xBCrich", "Windows-1252 bytes (VBA Declare, ANSI): read as Latin-1"},
    {"Cr\xE8me br\xFBl\xE9\x65 \xE0 la carte", "Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9\x65 \xC3\xA0 la carte",
     "Windows-1252 accents"},
    {"\xC3\x98resund \xE2\x82\xAC 12", "\xC3\x98resund \xE2\x82\xAC 12", "UTF-8 euro sign"},
};

TEST(QrScan, NonAsciiTextReadsAsMeant) {
  MatrixPictures pictures;
  for (const CallerText& c : kCallerTexts) {
    int32_t rc = 0;
    ASSERT_TRUE(pictures.Add(TranslateQr(c.passed, 0, rc)));
  }
  for (size_t i = 0; i < std::size(kCallerTexts); ++i) {
    EXPECT_EQ(pictures.Scan(i, false), kCallerTexts[i].meant) << kCallerTexts[i].why;
  }
}

TEST(QrScan, EveryLevelAndMaskAndTheLargestSymbols) {
  struct Picture {
    std::string value;
    std::string why;
  };
  std::vector<Picture> expected;
  MatrixPictures pictures;
  const std::string value = "Every level, every mask: 0123456789 ABCDEF xyz";
  for (int l = 0; l < 4; ++l) {
    for (int32_t mask = 0; mask < kQrMaskCount; ++mask) {
      QrSymbol symbol;
      ASSERT_EQ(BuildQrSymbol(value, static_cast<QrLevel>(l), mask, symbol), 0);
      FontString text;
      AppendMatrixText(symbol.modules, kQrQuietZone, text);
      ASSERT_TRUE(pictures.Add(text));
      expected.push_back({value, "level " + std::to_string(l) + " mask " + std::to_string(mask)});
    }
  }
  const Picture largest[] = {{std::string(7089, '7'), "version 40-L, numeric"},
                             {std::string(4296, 'Z'), "version 40-L, alphanumeric"},
                             {std::string(2953, '\xB5'), "version 40-L, bytes"}};
  for (const Picture& p : largest) {
    int32_t rc = 0;
    const std::string text = TranslateQr(p.value, 1, rc);
    ASSERT_EQ(rc, 0) << p.why;
    ASSERT_EQ(text.find("\r\n"), (QrSize(40) + 2 * kQrQuietZone + 1) / 2) << p.why;
    ASSERT_TRUE(pictures.Add(text));
    expected.push_back(p);
  }
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_TRUE(pictures.Scan(i, true) == expected[i].value) << expected[i].why;
  }
}

}  // namespace
}  // namespace tavo::scan
