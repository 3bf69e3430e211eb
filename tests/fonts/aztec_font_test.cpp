// Aztec Code text set in TAVO AZTEC through FreeType and read back by
// zxing-cpp's ZXingReader: seeded values of every kind, every size asked
// for, at 3 or 4 pixels to the module, anti-aliased or one bit per pixel,
// every line at the font's line height.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "font_support.h"
#include "scan/matrix_samples.h"
#include "scan/scanner.h"
#include "symbologies/codes.h"
#include "symbologies/matrix/matrix_text.h"
#include "tavo32.h"
#include "tavo_model.h"

#ifndef TAVO_ZXINGREADER
#define TAVO_ZXINGREADER "ZXingReader"
#endif

namespace tavo::fonts {
namespace {

std::string TranslateAztec(const std::string& value, int32_t check) {
  std::vector<char> out(1 << 17);
  int32_t len = 0;
  if (BC_FontTranslate(symbology::kAztec, value.c_str(), check, out.data(), static_cast<int32_t>(out.size()),
                       &len) != 0) {
    return "";
  }
  return std::string(out.data(), static_cast<size_t>(len));
}

bool WriteGrey(const render::Raster& r, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P5 %d %d 255\n", r.width, r.height);
  std::fwrite(r.pixels.data(), 1, r.pixels.size(), f);
  return std::fclose(f) == 0;
}

// ZXingReader's "Bytes:" line under each "File:" header, one run for all.
std::vector<std::string> ZxingRead(const std::vector<std::string>& files) {
  std::string command = TAVO_ZXINGREADER " -format Aztec";
  for (const std::string& f : files) command += " '" + f + "'";
  int status = 0;
  const std::string report = scan::RunCommand(command + " 2>/dev/null", status);
  std::vector<std::string> read(files.size());
  long file = -1;
  size_t at = 0;
  while (at < report.size()) {
    size_t end = report.find('\n', at);
    if (end == std::string::npos) end = report.size();
    const std::string line = report.substr(at, end - at);
    at = end + 1;
    if (line.rfind("File:", 0) == 0) ++file;
    if (line.rfind("Bytes:", 0) != 0 || file < 0 || static_cast<size_t>(file) >= read.size()) continue;
    for (size_t i = 6; i + 1 < line.size(); i += 3) {
      while (i < line.size() && line[i] == ' ') ++i;
      if (i + 1 < line.size()) read[static_cast<size_t>(file)] += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
    }
  }
  return read;
}

TEST(AztecFontScan, TextSetInTheFontReadsBack) {
  FaceDesign aztec;
  for (const FaceDesign& d : ReadManifest(TAVO_FONT_DIR)) {
    if (d.symbology == symbology::kAztec) aztec = d;
  }
  ASSERT_FALSE(aztec.file.empty()) << "no TAVO AZTEC in " << TAVO_FONT_DIR;
  Face face(aztec.file);
  ASSERT_TRUE(face.ok());
  struct Item {
    std::string value;
    int32_t check;
    std::string kind;
  };
  std::vector<Item> items;
  std::mt19937 rng(24778);
  for (scan::MatrixSample& s : scan::SeededMatrixSamples(310, 30241208, 0)) {
    items.push_back({std::move(s.value), 0, s.kind});
  }
  for (int32_t number = 1; number <= 36; ++number) items.push_back({"TAVO AZTEC " + std::to_string(number), 128 * number, "size"});
  std::string pattern = (std::filesystem::temp_directory_path() / "tavo-aztec-font-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const std::filesystem::path dir = pattern;
  std::vector<std::string> files;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string text = TranslateAztec(items[i].value, items[i].check);
    ASSERT_FALSE(text.empty()) << items[i].kind << " #" << i;
    const Setting setting{.pixels_per_em = kBlockHeight * (rng() % 2 ? 4.0 : 3.0), .mono = rng() % 2 == 0};
    render::Raster r;
    std::string error;
    ASSERT_TRUE(SetLines(face.get(), text, setting, 12, r, error)) << error;
    files.push_back((dir / ("a" + std::to_string(i) + ".pgm")).string());
    ASSERT_TRUE(WriteGrey(r, files.back()));
  }
  const std::vector<std::string> read = ZxingRead(files);
  size_t good = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    // zxing-cpp takes a group separator first for FNC1 and leaves it out.
    const std::string& v = items[i].value;
    const std::string want = v.rfind('\x1D', 0) == 0 ? v.substr(1) : v;
    EXPECT_EQ(read[i], want) << items[i].kind << " #" << i << ", " << v.size() << " bytes";
    good += read[i] == want;
  }
  EXPECT_GE(good, 340u);
  if (!std::getenv("TAVO_SCAN_KEEP")) std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tavo::fonts
