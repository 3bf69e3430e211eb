// The two-dimensional faces through FreeType: line height exactly one block
// in every table programs read, each block glyph drawing the model's
// modules, and QR Code text set in TAVO QR line by line at the font's own
// line height, read back by zbar.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "font_support.h"
#include "scan/matrix_samples.h"
#include "symbologies/codes.h"
#include "symbologies/matrix_text.h"
#include "tavo32.h"
#include "tavo_model.h"

#include FT_TRUETYPE_TABLES_H

#ifndef TAVO_FONT_DIR
#define TAVO_FONT_DIR "fonts/truetype"
#endif

namespace tavo::fonts {
namespace {

// The 2D faces of the manifest: those whose model glyphs are blocks.
std::vector<FaceDesign> MatrixFaces() {
  std::vector<FaceDesign> out;
  for (const FaceDesign& d : ReadManifest(TAVO_FONT_DIR)) {
    const auto glyphs = model::FontGlyphs(d.symbology, {});
    if (!glyphs.empty() && !glyphs.front().modules.empty()) out.push_back(d);
  }
  return out;
}

TEST(MatrixFontMetrics, LineHeightIsOneBlockInEveryTable) {
  const auto faces = MatrixFaces();
  ASSERT_FALSE(faces.empty());
  for (const FaceDesign& d : faces) {
    SCOPED_TRACE(d.family);
    Face face(d.file);
    ASSERT_TRUE(face.ok());
    const long block = static_cast<long>(kBlockHeight) * d.module;
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_HHEA));
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_OS2));
    ASSERT_TRUE(hhea && os2);
    EXPECT_EQ(hhea->Ascender - hhea->Descender + hhea->Line_Gap, block) << "hhea (Mac, LibreOffice, FreeType)";
    EXPECT_EQ(os2->sTypoAscender - os2->sTypoDescender + os2->sTypoLineGap, block) << "OS/2 typographic";
    EXPECT_TRUE(os2->fsSelection & 0x80) << "USE_TYPO_METRICS";
    EXPECT_EQ(static_cast<long>(os2->usWinAscent) + os2->usWinDescent, block) << "Windows (Word, Excel)";
    EXPECT_EQ(face.get()->height, block) << "FreeType's line spacing";
    EXPECT_EQ(d.bar_top, block);
  }
}

TEST(MatrixFontGlyphs, EveryBlockDrawsTheModelsModules) {
  for (const FaceDesign& d : MatrixFaces()) {
    SCOPED_TRACE(d.family);
    Face face(d.file);
    ASSERT_TRUE(face.ok());
    const auto glyphs = model::FontGlyphs(d.symbology, {});
    EXPECT_EQ(glyphs.size(), kMatrixGlyphs.size());
    // Ten pixels to the module, one bit per pixel: sample each module's centre.
    const double ppem = 10.0 * face.get()->units_per_EM / d.module;
    for (const model::FontGlyph& g : glyphs) {
      SCOPED_TRACE(g.name);
      render::Raster r;
      std::string error;
      ASSERT_TRUE(SetLines(face.get(), std::string(1, static_cast<char>(g.code)), {.pixels_per_em = ppem, .mono = true},
                           0, r, error))
          << error;
      ASSERT_EQ(r.width, 10 * kBlockWidth);
      ASSERT_EQ(r.height, 10 * kBlockHeight);
      for (int32_t y = 0; y < kBlockHeight; ++y) {
        for (int32_t x = 0; x < kBlockWidth; ++x) {
          EXPECT_EQ(r.At(10 * x + 5, 10 * y + 5) == 0, g.modules.at(x, y)) << "module " << x << "," << y;
        }
      }
    }
    // The line break draws nothing and takes no room.
    const FT_UInt cr = FT_Get_Char_Index(face.get(), '\r');
    ASSERT_NE(cr, 0u);
    ASSERT_EQ(FT_Load_Glyph(face.get(), cr, FT_LOAD_NO_SCALE), 0);
    EXPECT_EQ(face.get()->glyph->metrics.horiAdvance, 0);
    EXPECT_EQ(face.get()->glyph->outline.n_contours, 0);
  }
}

std::string TranslateQr(const std::string& value, int32_t check) {
  std::vector<char> out(value.size() * 8 + 8192);
  int32_t len = 0;
  if (BC_FontTranslate(symbology::kQr, value.c_str(), check, out.data(), static_cast<int32_t>(out.size()), &len)) {
    return "";
  }
  return std::string(out.data(), static_cast<size_t>(len));
}

// Writes a grey-scale picture as PGM, which zbarimg reads.
bool WritePgm(const render::Raster& r, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P5 %d %d 255\n", r.width, r.height);
  std::fwrite(r.pixels.data(), 1, r.pixels.size(), f);
  return std::fclose(f) == 0;
}

// The seeded values of the scanner suite and the largest symbols, each set
// in TAVO QR at a size between 2 and 4.5 pixels to the module, anti-aliased
// or one bit per pixel, every line at the font's line height.
TEST(MatrixFontScan, QrTextSetInTheFontReadsBack) {
  FaceDesign qr;
  for (const FaceDesign& d : MatrixFaces()) {
    if (d.symbology == symbology::kQr) qr = d;
  }
  ASSERT_FALSE(qr.file.empty()) << "no TAVO QR in " << TAVO_FONT_DIR;
  Face face(qr.file);
  ASSERT_TRUE(face.ok());
  auto samples = scan::SeededMatrixSamples(300, 20261207, 4);
  samples.push_back({std::string(7089, '7'), 1, "largest, numeric"});
  samples.push_back({std::string(2953, '\xB5'), 1, "largest, binary"});
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tavo-qr-font";
  std::filesystem::create_directories(dir);
  std::mt19937 rng(7);
  for (size_t i = 0; i < samples.size(); ++i) {
    const scan::MatrixSample& s = samples[i];
    const std::string text = TranslateQr(s.value, s.check);
    ASSERT_FALSE(text.empty()) << s.kind;
    const Setting setting{.pixels_per_em = kBlockHeight * (2.0 + (rng() % 6) * 0.5), .mono = rng() % 2 == 0};
    render::Raster r;
    std::string error;
    ASSERT_TRUE(SetLines(face.get(), text, setting, 8, r, error)) << error;
    const std::string file = (dir / ("f" + std::to_string(i) + ".pgm")).string();
    ASSERT_TRUE(WritePgm(r, file));
    const std::string read = scan::ZbarReadQr(file, s.kind == "binary" || s.kind.starts_with("largest"));
    EXPECT_TRUE(read == s.value) << s.kind << " of " << s.value.size() << " bytes, check " << s.check << ", "
                                 << setting.pixels_per_em << " pixels to the em" << (setting.mono ? ", mono" : "")
                                 << ": read " << read.substr(0, 60);
    std::filesystem::remove(file);
  }
}

}  // namespace
}  // namespace tavo::fonts
