// MicroPDF417 text set in the TAVO PDF417 face by FreeType and read back by
// the model's reader: no scanner here reads MicroPDF417, so the picture is
// sampled at the middle of every module (the symbol found by its dark
// extent: the left row address pattern starts with a bar, the stop bar
// ends every row) and the modules turned back into the face's text.
// Seeded values of every kind and length, in all 34 sizes, at 2 and 3
// pixels a module, anti-aliased and one bit per pixel.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>

#include "font_support.h"
#include "symbologies/codes.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/pdf417/micropdf417_tables.h"
#include "tavo_model.h"
#include "test_support.h"

namespace tavo::fonts {
namespace {

using tavo::symbology::kMicroPdf417;

constexpr int kRowModules = 3;  // the face's row height

// The text a raster of set text shows at `module` pixels a module: the
// symbol's rows sampled at their middles, with the quiet zone the library
// writes around them (a light line above and below, 2 modules on the left).
std::string TextFromRaster(const render::Raster& r, double module) {
  int left = r.width, right = -1, top = r.height, bottom = -1;
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) {
      if (r.At(x, y) >= 128) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return "";
  const int width = static_cast<int>((right + 1 - left) / module + 0.5);
  const int rows = static_cast<int>((bottom + 1 - top) / module / kRowModules + 0.5);
  const int glyphs = (width + 4 + 5) / 6;
  const std::string light(static_cast<size_t>(glyphs), kMatrixGlyphs[0]);
  std::string text = light;
  for (int row = 0; row < rows; ++row) {
    text += "\r\n";
    const int y = top + static_cast<int>((row * kRowModules + kRowModules / 2.0) * module);
    for (int g = 0; g < glyphs; ++g) {
      int bits = 0;
      for (int m = 0; m < 6; ++m) {
        const int x = g * 6 + m - 2;
        if (x >= 0 && x < width && r.At(left + static_cast<int>((x + 0.5) * module), y) < 128) bits |= 1 << m;
      }
      text += kMatrixGlyphs[static_cast<size_t>(bits)];
    }
  }
  return text + "\r\n" + light;
}

TEST(MicroPdf417Font, SeededValuesSetInTheFaceReadBack) {
  FaceDesign design;
  for (const FaceDesign& d : ReadManifest(TAVO_FONT_DIR)) {
    if (d.symbology == tavo::symbology::kPdf417) design = d;
  }
  ASSERT_FALSE(design.file.empty()) << "no TAVO PDF417 in " << TAVO_FONT_DIR;
  Face face(design.file);
  ASSERT_TRUE(face.ok());
  const double em_per_module = static_cast<double>(face.get()->units_per_EM) / design.module;
  std::mt19937 rng(24728);
  std::set<std::pair<size_t, size_t>> sizes;
  size_t read = 0, count = 0;
  auto check = [&](const std::string& value, int32_t columns, const std::string& what) {
    const auto t = tavo::test::Translate(kMicroPdf417, value, columns, 1 << 16);
    ASSERT_EQ(t.rc, 0) << what;
    const double module = 2 + static_cast<double>(rng() % 2);
    const Setting setting{.pixels_per_em = em_per_module * module, .mono = rng() % 2 == 0};
    render::Raster r;
    std::string why;
    ASSERT_TRUE(SetLines(face.get(), t.bytes, setting, 8, r, why)) << why;
    const std::string text = TextFromRaster(r, module);
    model::Reading reading;
    model::ModelError error;
    const bool ok = model::ReadSymbol(kMicroPdf417, text, reading, error) && reading.Consistent() &&
                    reading.data == value && text == t.bytes;
    EXPECT_TRUE(ok) << what << " at " << module << " pixels a module" << (setting.mono ? ", mono" : "") << ": "
                    << error.reason << " read \"" << reading.data << "\"";
    read += ok ? 1 : 0;
    ++count;
    sizes.insert({t.bytes.find('\r'), std::count(t.bytes.begin(), t.bytes.end(), '\n')});
  };
  const std::string kinds[] = {"0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ ", "abcXYZ019 .,-/:#()", ""};
  const size_t longest[] = {366, 250, 110, 150};
  for (int i = 0; i < 300; ++i) {
    const std::string& alphabet = kinds[i % 4];
    std::string value(1 + rng() % longest[i % 4], 'A');
    for (char& c : value) c = alphabet.empty() ? static_cast<char>(1 + rng() % 255) : alphabet[rng() % alphabet.size()];
    check(value, 0, "kind " + std::to_string(i % 4) + ", " + std::to_string(value.size()) + " bytes");
  }
  for (const pdf417::MicroPdfSize& s : pdf417::kMicroPdfSizes) {  // upper-case letters fill each size
    check(std::string(static_cast<size_t>(2 * (s.data() - 1)), 'M'), s.columns,
          std::to_string(s.columns) + "x" + std::to_string(s.rows));
  }
  EXPECT_EQ(sizes.size(), 34u);
  std::printf("[fonts] MicroPDF417 set in TAVO PDF417: %zu of %zu read back by the model, %zu sizes\n", read, count,
              sizes.size());
}

}  // namespace
}  // namespace tavo::fonts
