// The two-dimensional faces through FreeType: line height exactly one block
// in every table programs read, each block glyph drawing the model's
// modules, and QR Code text set in TAVO QR (Data Matrix text in TAVO DM)
// line by line at the font's own line height, read back by zbar (dmtxread).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "font_support.h"
#include "scan/matrix_samples.h"
#include "symbologies/codes.h"
#include "symbologies/datamatrix/datamatrix.h"
#include "symbologies/matrix/matrix_text.h"
#include "symbologies/qr/qr_kanji_table.h"
#include "tavo32.h"
#include "tavo_model.h"

#include FT_TRUETYPE_TABLES_H

#ifndef TAVO_DMTXREAD
#define TAVO_DMTXREAD "dmtxread"
#endif

#ifndef TAVO_FONT_DIR
#define TAVO_FONT_DIR "fonts/truetype"
#endif

namespace tavo::fonts {
namespace {

// The module-grid faces of the manifest: those whose model glyphs are
// blocks (2 x 3 modules for QR Code and Data Matrix, 6 x 1 for DataBar).
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
    const long block = static_cast<long>(model::FontGlyphs(d.symbology, {}).front().modules.height) * d.module;
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
    const int32_t across = glyphs.front().modules.width, down = glyphs.front().modules.height;
    // Ten pixels to the module, one bit per pixel: sample each module's centre.
    const double ppem = 10.0 * face.get()->units_per_EM / d.module;
    for (const model::FontGlyph& g : glyphs) {
      SCOPED_TRACE(g.name);
      render::Raster r;
      std::string error;
      ASSERT_TRUE(SetLines(face.get(), std::string(1, static_cast<char>(g.code)), {.pixels_per_em = ppem, .mono = true},
                           0, r, error))
          << error;
      ASSERT_EQ(r.width, 10 * across);
      ASSERT_EQ(r.height, 10 * down);
      for (int32_t y = 0; y < down; ++y) {
        for (int32_t x = 0; x < across; ++x) {
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

// Writes a grey-scale picture as PGM, which the zbar harness reads.
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

// Sets QR Code font text in TAVO QR as a picture `name` in `dir`, at a
// seeded size between 2 and 4.5 pixels to the module.
std::string SetQrPicture(FT_Face face, const std::string& text, const std::filesystem::path& dir,
                         const std::string& name, std::mt19937& rng, std::string& error) {
  const Setting setting{.pixels_per_em = kBlockHeight * (2.0 + (rng() % 6) * 0.5), .mono = rng() % 2 == 0};
  render::Raster r;
  if (text.empty() || !SetLines(face, text, setting, 8, r, error)) return "";
  const std::string file = (dir / name).string();
  return WritePgm(r, file) ? file : "";
}

FaceDesign QrFace() {
  FaceDesign qr;
  for (const FaceDesign& d : MatrixFaces()) {
    if (d.symbology == symbology::kQr) qr = d;
  }
  return qr;
}

// GS1 QR Code (check 8 to 12) set in TAVO QR: zbar reads every symbol as
// GS1 (its "GS1" modifier) with the element strings, 0x1D after each
// variable-length one.  One zbar run over all pictures (GS1 data is ASCII,
// which its XML report keeps).
TEST(MatrixFontScan, Gs1QrTextSetInTheFontReadsAsGs1) {
  const FaceDesign qr = QrFace();
  ASSERT_FALSE(qr.file.empty()) << "no TAVO QR in " << TAVO_FONT_DIR;
  Face face(qr.file);
  ASSERT_TRUE(face.ok());
  const auto samples = scan::SeededGs1QrSamples(300, 161803);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tavo-qr-gs1-font";
  std::filesystem::create_directories(dir);
  std::mt19937 rng(11);
  std::string xml;
  for (size_t i = 0; i < samples.size(); ++i) {
    std::string error;
    const std::string file = SetQrPicture(face.get(), TranslateQr(samples[i].value, samples[i].check), dir,
                                          "g" + std::to_string(i) + ".pgm", rng, error);
    ASSERT_FALSE(file.empty()) << samples[i].value << ": " << error;
    std::string one;
    ASSERT_TRUE(scan::ZbarXml(file, file, {"disable", "qrcode.enable"}, one, error)) << error;
    xml += one;
  }
  std::vector<scan::SourceReadings> read = scan::ParseZbarXml(xml);
  ASSERT_EQ(read.size(), samples.size());
  for (size_t i = 0; i < samples.size(); ++i) {
    ASSERT_TRUE(read[i].file.ends_with("/g" + std::to_string(i) + ".pgm")) << read[i].file;
    ASSERT_EQ(read[i].readings.size(), 1u) << samples[i].value;
    EXPECT_EQ(read[i].readings[0].data, samples[i].strings) << samples[i].value;
    EXPECT_NE(read[i].readings[0].modifiers.find("GS1"), std::string::npos) << samples[i].value;
  }
  std::filesystem::remove_all(dir);
}

// Japanese text with the Kanji option (check 32 to 36) set in TAVO QR:
// zbar gives back the UTF-8 text it was made from.
TEST(MatrixFontScan, KanjiQrTextSetInTheFontReadsBack) {
  const FaceDesign qr = QrFace();
  ASSERT_FALSE(qr.file.empty()) << "no TAVO QR in " << TAVO_FONT_DIR;
  Face face(qr.file);
  ASSERT_TRUE(face.ok());
  const auto samples = scan::SeededKanjiSamples(300, 141421, qr_kanji::kKanjiPairs);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tavo-qr-kanji-font";
  std::filesystem::create_directories(dir);
  std::mt19937 rng(13);
  for (size_t i = 0; i < samples.size(); ++i) {
    std::string error;
    const std::string file = SetQrPicture(face.get(), TranslateQr(samples[i].value, samples[i].check), dir,
                                          "k" + std::to_string(i) + ".pgm", rng, error);
    ASSERT_FALSE(file.empty()) << error;
    EXPECT_EQ(scan::ZbarReadQr(file, false), samples[i].value) << "check " << samples[i].check;
    std::filesystem::remove(file);
  }
}

// The element strings a Digital Link URI stands for, "" when it is none.
std::string ElementsOfUri(const std::string& uri) {
  std::vector<char> out(uri.size() + 256);
  int32_t len = 0;
  if (BC_GS1FromDigitalLink(uri.c_str(), out.data(), static_cast<int32_t>(out.size()), &len)) return "";
  return std::string(out.data(), static_cast<size_t>(len));
}

// Seeded GTINs (check digit computed by the library) with a batch, an expiry
// date or a serial number, as a pharmacy or a grocer would print them.
std::vector<std::string> SeededDigitalLinkValues(size_t count, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> values;
  while (values.size() < count) {
    std::string key = "0" + std::to_string(1000000000000ULL + rng() % 8999999999999ULL).substr(0, 12);
    int32_t digit = 0;
    if (BC_GS1CheckDigit(key.c_str(), 0, &digit)) continue;
    std::string v = "(01)" + key + static_cast<char>('0' + digit);
    constexpr std::string_view kBatch = "ABCDEFGHJKLMNPQRSTUVWXYZ0123456789-";
    if (rng() % 3 != 0) {
      v += "(10)";
      for (uint32_t n = 1 + rng() % 10; n > 0; --n) v += kBatch[rng() % kBatch.size()];
    }
    if (rng() % 2 == 0) {
      char date[16];
      std::snprintf(date, sizeof date, "(17)%02u%02u%02u", static_cast<unsigned>(rng() % 100),
                    static_cast<unsigned>(1 + rng() % 12), static_cast<unsigned>(1 + rng() % 28));
      v += date;
    }
    if (rng() % 3 == 0) v += "(21)" + std::to_string(rng());
    values.push_back(v);
  }
  return values;
}

// The URI BC_GS1DigitalLink makes of element strings, at id.gs1.org.
std::string UriOf(const std::string& value) {
  std::vector<char> out(value.size() * 3 + 256);
  int32_t len = 0;
  if (BC_GS1DigitalLink(value.c_str(), nullptr, out.data(), static_cast<int32_t>(out.size()), &len)) return "";
  return std::string(out.data(), static_cast<size_t>(len));
}

// GS1 Digital Link QR Codes (check 16 + level) set in TAVO QR: zbar reads a
// URI that stands for the element strings the symbol was made from (in the
// URI's order: key, qualifiers, then attributes).
TEST(MatrixFontScan, DigitalLinkQrTextSetInTheFontReadsBack) {
  const FaceDesign qr = QrFace();
  ASSERT_FALSE(qr.file.empty()) << "no TAVO QR in " << TAVO_FONT_DIR;
  Face face(qr.file);
  ASSERT_TRUE(face.ok());
  const std::vector<std::string> values = SeededDigitalLinkValues(300, 20261208);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tavo-qr-dl-font";
  std::filesystem::create_directories(dir);
  std::mt19937 rng(17);
  size_t retried = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    const int32_t check = 16 + static_cast<int32_t>(rng() % 5);
    std::string error;
    const std::string file = SetQrPicture(face.get(), TranslateQr(values[i], check), dir,
                                          "d" + std::to_string(i) + ".pgm", rng, error);
    ASSERT_FALSE(file.empty()) << values[i] << ": " << error;
    std::string uri = scan::ZbarReadQr(file, false);
    if (uri.empty()) {
      // zbar misses an odd small symbol at 2 pixels a module; set it again
      // at 4, anti-aliased, as a printer at a larger size would.
      render::Raster r;
      ASSERT_TRUE(SetLines(face.get(), TranslateQr(values[i], check),
                           Setting{.pixels_per_em = kBlockHeight * 4.0, .mono = false}, 8, r, error));
      ASSERT_TRUE(WritePgm(r, file));
      uri = scan::ZbarReadQr(file, false);
      ++retried;
    }
    const std::string want = ElementsOfUri(UriOf(values[i]));
    ASSERT_FALSE(want.empty()) << values[i];
    EXPECT_EQ(ElementsOfUri(uri), want) << "check " << check << ", read " << uri;
    std::filesystem::remove(file);
  }
  EXPECT_LE(retried, values.size() / 50) << "more than 2% needed a larger setting";
  std::filesystem::remove_all(dir);
}

std::string TranslateDataMatrix(const std::string& value, int32_t check) {
  std::vector<char> out(value.size() * 8 + 40000);
  int32_t len = 0;
  if (BC_FontTranslate(symbology::kDataMatrix, value.c_str(), check, out.data(), static_cast<int32_t>(out.size()),
                       &len)) {
    return "";
  }
  return std::string(out.data(), static_cast<size_t>(len));
}

// Data Matrix text set in TAVO DM, a picture per value at 3 or 4 pixels to
// the module (anti-aliased or one bit per pixel), every line at the font's
// line height.  dmtxread reads each picture into a file of its own: its
// output has no framing, and the data may hold any byte.  Two readers run
// side by side; each stops at its first symbol or after 4 seconds.  Returns
// what was read, in order ("" where nothing was).
struct DataMatrixSetting {
  std::string value;
  int32_t check;
  std::string kind;
  Setting setting;
};

std::vector<std::string> ReadDataMatrixPictures(FT_Face face, const std::vector<DataMatrixSetting>& items,
                                                const std::filesystem::path& dir, std::string& error) {
  std::string list;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string text = TranslateDataMatrix(items[i].value, items[i].check);
    render::Raster r;
    if (text.empty() || !SetLines(face, text, items[i].setting, 8, r, error)) {
      error = items[i].kind + " #" + std::to_string(i) + ": " + (text.empty() ? "no translation" : error);
      return {};
    }
    const std::string file = (dir / ("d" + std::to_string(i) + ".pgm")).string();
    if (!WritePgm(r, file)) {
      error = "cannot write " + file;
      return {};
    }
    list += file + '\n';
  }
  const std::filesystem::path list_file = dir / "pictures.txt";
  std::ofstream(list_file) << list;
  int status = 0;
  scan::RunCommand("xargs -P2 -I{} sh -c '" TAVO_DMTXREAD " -N1 -m 4000 \"$1\" > \"$1.read\" 2>/dev/null' _ {} < '" +
                       list_file.string() + "'",
                   status);
  std::vector<std::string> read;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::filesystem::path file = dir / ("d" + std::to_string(i) + ".pgm");
    std::ifstream in(file.string() + ".read", std::ios::binary);
    read.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::filesystem::remove(file);
    std::filesystem::remove(file.string() + ".read");
  }
  return read;
}

// The seeded values (square symbols, and with check 1 rectangles allowed)
// and the largest symbol dmtxread reads.  libdmtx 0.7.7 cannot read
// 144x144 from any encoder (zint's neither): it takes that size's
// interleaved error correction blocks in the wrong order.  The largest it
// reads is 132x132, here full to its last data codeword.  A picture
// dmtxread misses is set once more at the other scale and anti-aliasing;
// misses at both count as failures.
TEST(MatrixFontScan, DataMatrixTextSetInTheFontReadsBack) {
  FaceDesign dm;
  for (const FaceDesign& d : MatrixFaces()) {
    if (d.symbology == symbology::kDataMatrix) dm = d;
  }
  ASSERT_FALSE(dm.file.empty()) << "no TAVO DM in " << TAVO_FONT_DIR;
  Face face(dm.file);
  ASSERT_TRUE(face.ok());
  std::vector<DataMatrixSetting> items;
  std::mt19937 rng(16022);
  for (scan::MatrixSample& s : scan::SeededMatrixSamples(320, 20261207, 1)) {
    const bool four = rng() % 2 == 0;
    items.push_back({std::move(s.value), s.check, s.kind,
                     {.pixels_per_em = kBlockHeight * (four ? 4.0 : 3.0), .mono = rng() % 2 == 0}});
  }
  // Short values with rectangles allowed: only in a few bands of codeword
  // counts is a rectangle smaller than every square that holds them.
  for (scan::MatrixSample& s : scan::SeededMatrixSamples(100, 1516, 1)) {
    if (s.value.size() > 60) continue;
    items.push_back({std::move(s.value), 1, s.kind + ", short", {.pixels_per_em = kBlockHeight * 3.0, .mono = true}});
  }
  std::string largest;
  for (int i = 0; i < 2 * 1304; ++i) largest += static_cast<char>('0' + rng() % 10);  // 1,304 digit pairs
  items.push_back({largest, 0, "largest (132x132), digits", {.pixels_per_em = kBlockHeight * 3.0, .mono = true}});
  ASSERT_EQ(TranslateDataMatrix(largest, 0).find("\r\n"), static_cast<size_t>((132 + 2 * kDataMatrixQuietZone + 1) / 2))
      << "the largest value fills 132x132";

  // Rectangles are at least twice as wide as high (wider than 3:2 with the
  // quiet zone and the last line's padding); some values must make them.
  size_t rectangles = 0;
  for (const DataMatrixSetting& s : items) {
    const std::string text = TranslateDataMatrix(s.value, s.check);
    const size_t width = kBlockWidth * text.find("\r\n");
    const size_t height = kBlockHeight * (1 + std::count(text.begin(), text.end(), '\n'));
    rectangles += width > 3 * height / 2;
  }
  EXPECT_GE(rectangles, 15u);

  // A directory of this run's own: others may run the suite at once.
  std::string pattern = (std::filesystem::temp_directory_path() / "tavo-dm-font-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const std::filesystem::path dir = pattern;
  std::string error;
  std::vector<std::string> read = ReadDataMatrixPictures(face.get(), items, dir, error);
  ASSERT_EQ(read.size(), items.size()) << error;
  std::vector<DataMatrixSetting> again;
  std::vector<size_t> again_at;
  for (size_t i = 0; i < items.size(); ++i) {
    if (read[i] == items[i].value) continue;
    DataMatrixSetting retry = items[i];
    const bool was_four = retry.setting.pixels_per_em > kBlockHeight * 3.5;
    retry.setting = {.pixels_per_em = kBlockHeight * (was_four ? 3.0 : 4.0), .mono = !retry.setting.mono};
    again.push_back(retry);
    again_at.push_back(i);
  }
  const std::vector<std::string> reread = ReadDataMatrixPictures(face.get(), again, dir, error);
  ASSERT_EQ(reread.size(), again.size()) << error;
  size_t failed = 0;
  for (size_t k = 0; k < again.size(); ++k) {
    const DataMatrixSetting& s = items[again_at[k]];
    if (reread[k] == s.value) continue;
    ++failed;
    ADD_FAILURE() << s.kind << " of " << s.value.size() << " bytes, check " << s.check << ", "
                  << s.setting.pixels_per_em / kBlockHeight << " pixels to the module"
                  << (s.setting.mono ? ", mono" : "") << ": read " << read[again_at[k]].substr(0, 60)
                  << ", then " << reread[k].substr(0, 60);
  }
  std::cout << items.size() - again.size() << " of " << items.size() << " read at the first setting, "
            << again.size() - failed << " more at the second, " << failed << " not read; " << rectangles
            << " rectangles\n";
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tavo::fonts
