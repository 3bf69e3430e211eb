// PDF417 proof: seeded values of every kind (digits, text, mixed, bytes),
// lengths from 1 to near the capacity of each error correction level 0-8,
// random columns and truncated symbols.  Each font string is read back by
// the model's reader, drawn as the model's picture and set in the TAVO
// PDF417 face by FreeType; zxing-cpp (tests/pdf417/zxing_read.py) then reads
// every picture in one run.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "font_support.h"
#include "scan/scanner.h"
#include "symbologies/codes.h"
#include "tavo32.h"
#include "tavo_model.h"
#include "test_support.h"

namespace tavo::fonts {
namespace {

using tavo::symbology::kPdf417;

bool WriteGrey(const render::Raster& r, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P5 %d %d 255\n", r.width, r.height);
  std::fwrite(r.pixels.data(), 1, r.pixels.size(), f);
  return std::fclose(f) == 0;
}

// The alphabets of the four kinds, and roughly how many of their bytes a
// data codeword holds (numeric ~2.9, text ~1.8, mixed ~1.2, bytes 1.2).
struct Kind {
  const char* name;
  std::string alphabet;  // empty: any byte 1..255
  double per_codeword;
};
const Kind kKinds[] = {
    {"digits", "0123456789", 2.9},
    {"text", "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz.,:;-/", 1.8},
    {"mixed", "0123456789ABCDEFabcdef !#$%&()*+,-./:;<=>?@[]^_{|}~\r\n\t\x80\xE9\xFF", 1.2},
    {"bytes", "", 1.15},
};

std::string Hex(std::string_view s) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) out += {digits[c >> 4], digits[c & 15]};
  return out;
}

std::string RandomValue(std::mt19937& rng, const Kind& kind, size_t n) {
  std::string v(n, 'A');
  for (char& c : v) {
    c = kind.alphabet.empty() ? static_cast<char>(1 + rng() % 255) : kind.alphabet[rng() % kind.alphabet.size()];
  }
  return v;
}

TEST(Pdf417Proof, SeededValuesReadByZxingFromPicturesAndTheFont) {
  FaceDesign design;
  for (const FaceDesign& d : ReadManifest(TAVO_FONT_DIR)) {
    if (d.symbology == kPdf417) design = d;
  }
  ASSERT_FALSE(design.file.empty()) << "no TAVO PDF417 in " << TAVO_FONT_DIR;
  Face face(design.file);
  ASSERT_TRUE(face.ok());
  const double em_per_module = static_cast<double>(face.get()->units_per_EM) / design.module;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tavo-pdf417-proof";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::ofstream manifest(dir / "manifest.txt");
  std::mt19937 rng(15438);
  size_t model_read = 0, count = 0;
  for (int i = 0; i < 324; ++i) {
    const Kind& kind = kKinds[i % 4];
    const int level = i / 4 % 9;
    const int columns = rng() % 3 == 0 ? 0 : 1 + static_cast<int>(rng() % 30);
    const bool truncated = rng() % 5 == 0;
    const double room = (928 - (2 << level) - 4) * kind.per_codeword;
    size_t n = 1 + rng() % static_cast<size_t>(room);
    if (i % 9 == 0) n = static_cast<size_t>(room * 0.97);  // near the capacity
    int32_t check = (level + 1) + (columns << 4) + (truncated ? 512 : 0);
    std::string value = RandomValue(rng, kind, n);
    auto t = tavo::test::Translate(kPdf417, value, check, 1 << 16);
    while (t.rc == 32560 && (check & 0x1F0) != 0) check &= ~0x1F0, t = tavo::test::Translate(kPdf417, value, check, 1 << 16);
    while (t.rc == 32560 && value.size() > 1) value.resize(value.size() * 9 / 10), t = tavo::test::Translate(kPdf417, value, check, 1 << 16);
    ASSERT_EQ(t.rc, 0) << kind.name << " " << value.size();
    const std::string label = std::string(kind.name) + " length " + std::to_string(value.size()) + " check " + std::to_string(check);
    model::Reading reading;
    model::ModelError error;
    ASSERT_TRUE(model::ReadSymbol(kPdf417, t.bytes, reading, error)) << error.reason;
    EXPECT_TRUE(reading.Consistent() && reading.data == value) << label;
    model_read += reading.data == value ? 1 : 0;
    model::Symbol symbol;
    ASSERT_TRUE(model::BuildSymbol(kPdf417, t.bytes, {}, symbol, error)) << error.reason;
    const std::string picture = (dir / ("m" + std::to_string(i) + ".pgm")).string();
    ASSERT_TRUE(WriteGrey(render::Rasterize(render::LayOut(symbol, 0, false), 2 + i % 2), picture));
    manifest << picture << '\t' << Hex(value) << '\t' << label << " (model picture)\n";
    const Setting setting{.pixels_per_em = em_per_module * (2 + static_cast<double>(rng() % 2)), .mono = rng() % 2 == 0};
    render::Raster r;
    std::string why;
    ASSERT_TRUE(SetLines(face.get(), t.bytes, setting, 12, r, why)) << why;
    const std::string set = (dir / ("f" + std::to_string(i) + ".pgm")).string();
    ASSERT_TRUE(WriteGrey(r, set));
    manifest << set << '\t' << Hex(value) << '\t' << label << " (set in TAVO PDF417"
             << (setting.mono ? ", mono" : "") << ")\n";
    ++count;
  }
  manifest.close();
  int status = 0;
  const std::string out = scan::RunCommand("/usr/bin/python3 " TAVO_SOURCE_DIR "/tests/pdf417/zxing_read.py '" +
                                           (dir / "manifest.txt").string() + "' 2>&1", status);
  EXPECT_EQ(status, 0) << out;
  std::printf("[fonts] PDF417: %zu of %zu read by the model; %s", model_read, count, out.c_str());
  if (status == 0) std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tavo::fonts
