// GS1 QR Code (check 8 to 12) and Kanji mode (check 32 to 36) read by a
// real scanner, and never larger than zint makes the same data at the same
// level.  Seeded values through BC_FontTranslate, drawn by the symbol model
// and read back by zbar and by our own reader (through the model).
//
// zbar 0.23.92 on these symbols, found by experiment: FNC1 in first
// position shows as the modifier "GS1" in its XML report, the data starts
// with the first AI (no leading separator) and each later FNC1 is 0x1D;
// Kanji mode comes back as UTF-8 through iconv's SHIFT_JIS, and byte
// segments in a symbol that has Kanji segments and no ECI are read as
// Shift JIS too (a backslash as a yen sign, a tilde as an overline), which
// is why the encoder keeps those two out of such symbols.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "matrix_samples.h"
#include "scanner.h"
#include "symbologies/codes.h"
#include "symbologies/qr/qr.h"
#include "symbologies/qr/qr_kanji_table.h"
#include "readers/qr/qr_reader.h"
#include "tavo32.h"
#include "tavo_model.h"

namespace tavo::scan {
namespace {

std::string Translate(const std::string& value, int32_t check, int32_t& rc) {
  std::vector<char> out(value.size() * 8 + 8192);
  int32_t len = 0;
  rc = BC_FontTranslate(symbology::kQr, value.c_str(), check, out.data(), static_cast<int32_t>(out.size()), &len);
  return rc ? std::string() : std::string(out.data(), static_cast<size_t>(len));
}

// The model's reading of font text, and our reader's view of the segments.
struct OurReading {
  model::Reading model;
  QrReading qr;
  int32_t version = 0;
};

OurReading ReadOurs(std::string_view text) {
  OurReading r;
  model::ModelError error;
  model::ReadSymbol(symbology::kQr, text, r.model, error);
  std::string why;
  if (DecodeQrText(text, r.qr, why)) r.version = r.qr.version;
  return r;
}

constexpr Drawing kDrawing{.model = {}, .module = 3};

TEST(QrGs1Scan, SeededElementStringsReadAsGs1) {
  const std::vector<Gs1QrSample> samples = SeededGs1QrSamples(300, 271828);
  PictureBatch batch("qr-gs1");
  for (const Gs1QrSample& s : samples) {
    int32_t rc = 0;
    const std::string text = Translate(s.value, s.check, rc);
    ASSERT_EQ(rc, 0) << s.value;
    std::string error;
    ASSERT_TRUE(batch.Add(symbology::kQr, text, kDrawing, error)) << error;
    const OurReading ours = ReadOurs(text);
    EXPECT_TRUE(ours.model.Consistent() && ours.model.gs1) << s.value;
    EXPECT_EQ(ours.model.data, s.value) << "the model writes the bracketed form back";
    EXPECT_EQ(ours.qr.fnc1, 1);
  }
  std::vector<std::vector<Reading>> readings;
  std::string error;
  ASSERT_TRUE(batch.ScanWithZbar({"disable", "qrcode.enable"}, readings, error)) << error;
  for (size_t i = 0; i < samples.size(); ++i) {
    ASSERT_EQ(readings[i].size(), 1u) << samples[i].value;
    EXPECT_EQ(readings[i][0].data, samples[i].strings) << samples[i].value;
    EXPECT_NE(readings[i][0].modifiers.find("GS1"), std::string::npos) << samples[i].value;
  }
}

TEST(QrKanjiScan, SeededJapaneseTextReadsAsGiven) {
  const std::vector<KanjiSample> samples = SeededKanjiSamples(300, 314159, qr_kanji::kKanjiPairs);
  PictureBatch batch("qr-kanji");
  size_t by_eci[3] = {};  // none, 20, 26
  for (const KanjiSample& s : samples) {
    int32_t rc = 0;
    const std::string text = Translate(s.value, s.check, rc);
    ASSERT_EQ(rc, 0);
    std::string error;
    ASSERT_TRUE(batch.Add(symbology::kQr, text, kDrawing, error)) << error;
    const OurReading ours = ReadOurs(text);
    EXPECT_TRUE(ours.model.Consistent());
    EXPECT_EQ(ours.model.data, s.value);
    const bool high = std::any_of(s.value.begin(), s.value.end(), [](char c) { return c & 0x80; });
    // Kanji mode only for text it can carry all of, and never after ECI 26.
    EXPECT_TRUE(!ours.qr.kanji || s.kanji_only) << s.value;
    EXPECT_TRUE(s.kanji_only || !high ? ours.qr.eci != 26 || !ours.qr.kanji : ours.qr.eci == 26) << s.value;
    ++by_eci[ours.qr.eci == 20 ? 1 : ours.qr.eci == 26 ? 2 : 0];
  }
  // Each of the three ways is taken by some of the values.
  EXPECT_TRUE(by_eci[0] > 0 && by_eci[1] > 0 && by_eci[2] > 0);
  std::printf("%zu without ECI, %zu with ECI 20, %zu with ECI 26\n", by_eci[0], by_eci[1], by_eci[2]);
  for (size_t i = 0; i < samples.size(); ++i) {
    EXPECT_EQ(ZbarReadQr(batch.file(i).string(), false), samples[i].value) << "check " << samples[i].check;
  }
}

// zint's symbol for the same data and level, from its dump: its version,
// and whether it reads back as the data under the standard's default
// interpretation (our reader: byte data without ECI as it is).
struct ZintSymbol {
  int32_t version = 0;
  bool reads_as_data = false;
};

ZintSymbol Zint(const std::string& data, int32_t level, bool gs1) {
  char path[] = "/tmp/tavo-qr-zint-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return {};
  std::ofstream(path, std::ios::binary) << data;
  const std::vector<std::string> rows = ZintRows("-b 58 --secure=" + std::to_string(level) +
                                                 (gs1 ? " --gs1 --gs1parens --gs1nocheck" : "") + " -i '" + path + "'");
  ::close(fd);
  std::remove(path);
  ZintSymbol z;
  const auto size = static_cast<int32_t>(rows.size());
  if (size < QrSize(1)) return z;
  z.version = (size - 17) / 4;
  ModuleGrid grid(size, size);
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x < size && static_cast<size_t>(x) < rows[y].size(); ++x) grid.set(x, y, rows[y][x] == '1');
  }
  QrReading r;
  std::string why;
  z.reads_as_data = DecodeQrModules(grid, r, why) && (gs1 || r.data == data);
  return z;
}

struct SizeCase {
  std::string value;
  int32_t check;  // 8 + level or 32 + level, level 1 to 4
  std::string why;
};

std::vector<SizeCase> SizeCases() {
  std::string tokyo;
  for (int i = 0; i < 50; ++i) tokyo += "\xE6\x9D\xB1\xE4\xBA\xAC\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
  std::vector<SizeCase> cases;
  for (int32_t level = 0; level <= 4; ++level) {
    cases.push_back({tokyo, 32 + level, "Tokyo Japanese x 50"});
    cases.push_back({"Order 4711: \xE6\x9D\xB1\xE4\xBA\xAC\xE9\x83\xBD\xE6\xB8\xAF\xE5\x8C\xBA 1-2-3, "
                     "Tel. 03-1234-5678, \xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88 ABC",
                     32 + level, "mixed Latin and Japanese"});
  }
  for (const KanjiSample& s : SeededKanjiSamples(120, 2718, qr_kanji::kKanjiPairs)) {
    if (s.kanji_only) cases.push_back({s.value, s.check, "seeded Japanese"});
  }
  for (const Gs1QrSample& s : SeededGs1QrSamples(120, 1618)) {
    if (s.check > 8) cases.push_back({s.value, s.check, "seeded GS1"});
  }
  return cases;
}

// zint makes GS1 QR Code from the bracketed form and Japanese text in
// Shift JIS: Kanji mode, and bytes without ECI, which it warns of ("no ECI
// specified") and which a reader that follows the standard's default
// (ISO/IEC 8859-1) takes for other text.  We declare such bytes with ECI 20
// (12 bits more) or keep to Kanji mode.  Ours is never larger, except by
// one version where zint's symbol relies on such bytes; those are counted.
TEST(QrSizeAgainstZint, NeverLarger) {
  size_t compared = 0, smaller = 0, undeclared = 0;
  for (const SizeCase& c : SizeCases()) {
    const bool gs1 = c.check < 32;
    const int32_t level = (c.check & 7) == 0 ? 2 : c.check & 7;  // 0 is M
    int32_t rc = 0;
    const std::string text = Translate(c.value, c.check, rc);
    ASSERT_EQ(rc, 0) << c.why;
    const int32_t ours = ReadOurs(text).version;
    const ZintSymbol zint = Zint(c.value, level, gs1);
    ASSERT_GT(zint.version, 0) << c.why << ": zint made nothing of " << c.value;
    ++compared;
    smaller += ours < zint.version;
    if (ours > zint.version && !zint.reads_as_data) {
      ++undeclared;
      EXPECT_EQ(ours, zint.version + 1) << c.why << ", level " << level << ": " << c.value;
      continue;
    }
    EXPECT_LE(ours, zint.version) << c.why << ", level " << level << ": " << c.value;
  }
  std::printf("compared %zu symbols with zint: %zu smaller, %zu one version larger than zint's undeclared "
              "Shift JIS bytes, the rest the same version\n",
              compared, smaller, undeclared);
}

// The example: "Tokyo Japanese" 50 times at level M was version 22
// as UTF-8 bytes; in Kanji mode it is version 15, as zint's.
TEST(QrSizeAgainstZint, TokyoFiftyTimesAtM) {
  std::string tokyo;
  for (int i = 0; i < 50; ++i) tokyo += "\xE6\x9D\xB1\xE4\xBA\xAC\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
  int32_t rc = 0;
  EXPECT_EQ(ReadOurs(Translate(tokyo, 2, rc)).version, 22);
  EXPECT_EQ(ReadOurs(Translate(tokyo, 32 + 2, rc)).version, Zint(tokyo, 2, false).version);
  EXPECT_EQ(ReadOurs(Translate(tokyo, 32 + 1, rc)).version, 13) << "level L";
}

}  // namespace
}  // namespace tavo::scan
