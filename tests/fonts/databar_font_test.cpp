// GS1 DataBar text set in the TAVO DATABAR face by FreeType, read by zbar:
// seeded GTINs of every form zbar reads, at 2 or 3 pixels to the module,
// anti-aliased or one bit per pixel, every line at the face's line height.
// zbar reads each picture with a fresh scanner (scan::ZbarRaw): its DataBar
// decoder keeps the halves it has seen from one picture to the next.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "databar/expanded_values.h"
#include "font_support.h"
#include "scan/scanner.h"
#include "symbologies/codes.h"
#include "tavo32.h"
#include "test_support.h"

namespace tavo::fonts {
namespace {

using namespace tavo::symbology;

bool WriteGrey(const render::Raster& r, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P5 %d %d 255\n", r.width, r.height);
  std::fwrite(r.pixels.data(), 1, r.pixels.size(), f);
  return std::fclose(f) == 0;
}

TEST(DatabarFontScan, SeededGtinsSetInTheFontReadBack) {
  FaceDesign face_design;
  for (const FaceDesign& d : ReadManifest(TAVO_FONT_DIR)) {
    if (d.symbology == kDatabar) face_design = d;
  }
  ASSERT_FALSE(face_design.file.empty()) << "no TAVO DATABAR in " << TAVO_FONT_DIR;
  Face face(face_design.file);
  ASSERT_TRUE(face.ok());
  const double em_per_module = static_cast<double>(face.get()->units_per_EM) / face_design.module;
  struct Form {
    int32_t code, check;
    const char* name;
  };
  const Form forms[] = {{kDatabar, 0, "Omnidirectional"}, {kDatabar, 1, "Truncated"},
                        {kDatabarStacked, 0, "Stacked"}, {kDatabarStackedOmni, 0, "Stacked Omnidirectional"}};
  for (const Form& form : forms) {
    SCOPED_TRACE(form.name);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tavo-databar-font-" + std::to_string(form.code));
    std::filesystem::create_directories(dir);
    std::mt19937 rng(20261208 + static_cast<uint32_t>(form.code + form.check));
    size_t read = 0;
    for (int i = 0; i < 300; ++i) {
      const std::string gtin = tavo::test::RandomDigits(rng, 13);
      const auto t = tavo::test::Translate(form.code, gtin, form.check, 1000);
      ASSERT_EQ(t.rc, 0) << gtin;
      const Setting setting{.pixels_per_em = em_per_module * (2 + static_cast<double>(rng() % 2)), .mono = rng() % 2 == 0};
      render::Raster r;
      std::string error;
      ASSERT_TRUE(SetLines(face.get(), t.bytes, setting, 8, r, error)) << error;
      const std::string file = (dir / "d.pgm").string();
      ASSERT_TRUE(WriteGrey(r, file));
      std::string got = scan::ZbarRaw(file, {"disable", "databar.enable"});
      if (!got.empty() && got.back() == '\n') got.pop_back();
      // zbar gives the AI and the 14 digits; the check digit is zbar's own.
      const bool ok = got.size() == 16 && got.substr(0, 15) == "01" + gtin;
      EXPECT_TRUE(ok) << gtin << " (" << setting.pixels_per_em << " pixels to the em" << (setting.mono ? ", mono" : "")
                      << "): zbar read \"" << got << "\"";
      read += ok ? 1 : 0;
    }
    std::filesystem::remove_all(dir);
    std::printf("[fonts] DataBar %s set in TAVO DATABAR: %zu of 300 read by zbar\n", form.name, read);
  }
}

// DataBar Expanded set in the face: seeded values of every encodation
// method until zbar has read 300; where it reads none, it must fail on
// zint's own symbol of the value too.
TEST(DatabarFontScan, ExpandedValuesSetInTheFontReadBack) {
  FaceDesign face_design;
  for (const FaceDesign& d : ReadManifest(TAVO_FONT_DIR)) {
    if (d.symbology == kDatabar) face_design = d;
  }
  ASSERT_FALSE(face_design.file.empty()) << "no TAVO DATABAR in " << TAVO_FONT_DIR;
  Face face(face_design.file);
  ASSERT_TRUE(face.ok());
  const double em_per_module = static_cast<double>(face.get()->units_per_EM) / face_design.module;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tavo-databar-font-26";
  std::filesystem::create_directories(dir);
  tavo::test::ExpandedValues values(20261208 + static_cast<uint32_t>(kDatabarExpanded) + 1);
  std::mt19937 rng(20261208);
  size_t read = 0, neither = 0;
  for (size_t tried = 0; read < 300 && tried < 900; ++tried) {
    const tavo::test::ExpandedValue v = values.Next();
    const auto t = tavo::test::Translate(kDatabarExpanded, v.value, 0, 8000);
    if (t.rc == 32587) continue;  // more than 21 data characters
    ASSERT_EQ(t.rc, 0) << v.value;
    const Setting setting{.pixels_per_em = em_per_module * (2 + static_cast<double>(rng() % 2)), .mono = rng() % 2 == 0};
    render::Raster r;
    std::string error;
    ASSERT_TRUE(SetLines(face.get(), t.bytes, setting, 8, r, error)) << error;
    const std::string file = (dir / "d.pgm").string();
    ASSERT_TRUE(WriteGrey(r, file));
    std::string got = scan::ZbarRaw(file, {"disable", "databar-exp.enable"});
    if (!got.empty() && got.back() == '\n') got.pop_back();
    if (got.empty() && !tavo::test::ZbarReadsZints(v.value, v.zbar)) {
      ++neither;
      continue;
    }
    EXPECT_EQ(got, v.zbar) << v.value << " (" << setting.pixels_per_em << " pixels to the em" << (setting.mono ? ", mono" : "") << ")";
    read += got == v.zbar ? 1 : 0;
  }
  std::filesystem::remove_all(dir);
  EXPECT_GE(read, 300u);
  std::printf("[fonts] DataBar Expanded set in TAVO DATABAR: %zu read by zbar, %zu read from neither ours nor zint's\n", read, neither);
}

}  // namespace
}  // namespace tavo::fonts
