// Aztec Code read by a real reader: seeded values translated, drawn from
// the font text as pictures and read back by zxing-cpp's ZXingReader (and
// by our reader); every size asked for once; and beside zint (-b 92, the
// same bytes, the same share of error correction): our symbol is never
// larger, and our reader reads zint's symbol.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "readers/aztec/aztec_reader.h"
#include "scan/matrix_samples.h"
#include "scan/scanner.h"
#include "symbologies/codes.h"
#include "symbologies/qr/qr_segments.h"
#include "tavo32.h"

#ifndef TAVO_ZXINGREADER
#define TAVO_ZXINGREADER "ZXingReader"
#endif

namespace tavo {
namespace {

namespace fs = std::filesystem;

std::string Translate(const std::string& value, int32_t check) {
  std::vector<char> out(1 << 17);
  int32_t len = 0;
  if (BC_FontTranslate(symbology::kAztec, value.c_str(), check, out.data(), static_cast<int32_t>(out.size()),
                       &len) != 0) {
    return "";
  }
  return std::string(out.data(), static_cast<size_t>(len));
}

// The font text as a grey PGM, `px` pixels per module, with `margin` more
// light modules around the text's own.
bool WriteTextPgm(const fs::path& path, const std::string& text, int px, int margin) {
  ModuleGrid grid;
  if (!ReadMatrixText(text, grid)) return false;
  const int w = (grid.width + 2 * margin) * px, h = (grid.height + 2 * margin) * px;
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << w << ' ' << h << "\n255\n";
  std::string row(static_cast<size_t>(w), '\xFF');
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int mx = x / px - margin, my = y / px - margin;
      const bool dark = mx >= 0 && my >= 0 && mx < grid.width && my < grid.height && grid.at(mx, my);
      row[static_cast<size_t>(x)] = dark ? '\0' : '\xFF';
    }
    out.write(row.data(), w);
  }
  return static_cast<bool>(out);
}

// What ZXingReader reads from each picture, in one run: its "Bytes:" line
// (hexadecimal) under each "File:" header; "" where it finds nothing.
std::vector<std::string> ZxingRead(const std::vector<fs::path>& files) {
  std::string command = std::string(TAVO_ZXINGREADER) + " -format Aztec";
  for (const fs::path& f : files) command += " '" + f.string() + "'";
  int status = 0;
  const std::string report = scan::RunCommand(command + " 2>/dev/null", status);
  std::vector<std::string> read(files.size());
  size_t file = 0;
  bool first = true;
  for (size_t at = 0; at < report.size();) {
    size_t end = report.find('\n', at);
    if (end == std::string::npos) end = report.size();
    const std::string line = report.substr(at, end - at);
    at = end + 1;
    if (line.rfind("File:", 0) == 0) {
      if (!first) ++file;
      first = false;
    } else if (line.rfind("Bytes:", 0) == 0 && file < read.size() && read[file].empty()) {
      for (size_t i = 6; i + 1 < line.size(); ++i) {
        if (line[i] == ' ') continue;
        read[file] += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
        ++i;
      }
    }
  }
  return read;
}

// The symbol inside the font text's margin, read by our reader.
AztecReading OurReading(const std::string& text) {
  AztecReading r;
  ModuleGrid blocks;
  if (!ReadMatrixText(text, blocks)) return r;
  for (int32_t number = 1; number <= kAztecSizes; ++number) {
    const int32_t w = AztecSizeOf(number).Width(), full = w + 2 * kAztecQuietZone;
    if ((full + 1) / 2 * 2 != blocks.width || (full + 2) / 3 * 3 != blocks.height) continue;
    ModuleGrid g(w, w);
    for (int32_t y = 0; y < w; ++y) {
      for (int32_t x = 0; x < w; ++x) g.set(x, y, blocks.at(x + kAztecQuietZone, y + kAztecQuietZone));
    }
    DecodeAztecSymbol(g, r);
    break;
  }
  return r;
}

// zint's symbol for the same bytes: its width and what our reader reads
// from it.  `secure` 1-4 is zint's 10%, 23%, 36% or 50% + 3 words; 0 its
// default (23%).
struct ZintSymbol {
  int32_t width = 0;
  std::string read;
};
ZintSymbol Zint(const fs::path& value_file, const std::string& value, int secure) {
  std::string args = "-b 92 --binary -i '" + value_file.string() + "'";
  if (QrNeedsUtf8Eci(value)) args += " --eci=26";
  if (secure) args += " --secure=" + std::to_string(secure);
  const std::vector<std::string> rows = scan::ZintRows(args);
  ZintSymbol z;
  if (rows.empty()) return z;
  z.width = static_cast<int32_t>(rows.size());
  ModuleGrid g(z.width, z.width);
  for (int32_t y = 0; y < z.width; ++y) {
    for (int32_t x = 0; x < z.width && x < static_cast<int32_t>(rows[y].size()); ++x) g.set(x, y, rows[y][x] == '1');
  }
  AztecReading r;
  if (DecodeAztecSymbol(g, r)) z.read = r.data;
  return z;
}

struct Item {
  std::string value;
  int32_t check;
  std::string kind;
};

// zxing-cpp takes a group separator first in the data for FNC1 (a GS1
// symbol) and leaves it out of the bytes.
std::string ZxingExpects(const std::string& value) { return value.rfind('\x1D', 0) == 0 ? value.substr(1) : value; }

std::vector<Item> Items() {
  std::vector<Item> items;
  std::mt19937 rng(24778);
  const int32_t shares[] = {0, 10, 23, 36, 50};
  for (scan::MatrixSample& s : scan::SeededMatrixSamples(330, 20261208, 0)) {
    items.push_back({std::move(s.value), shares[rng() % 5], s.kind});
  }
  // Every size asked for, filled to about two thirds of its data words.
  for (int32_t number = 1; number <= kAztecSizes; ++number) {
    const AztecSize size = AztecSizeOf(number);
    std::string v;
    const size_t digits = static_cast<size_t>(size.TotalWords() * size.WordBits() * 2 / 3 / 4);
    while (v.size() < digits) v += static_cast<char>('0' + rng() % 10);
    items.push_back({v, 128 * number, "digits, size " + std::to_string(number)});
  }
  // The most digits and bytes, at 5%.
  items.push_back({std::string(4732, '3'), 5, "4,732 digits, full-range 32 layers"});
  std::string bytes;
  while (bytes.size() < 1900) bytes += static_cast<char>(128 + rng() % 128);
  items.push_back({bytes, 5, "1,900 bytes, full-range 32 layers"});
  return items;
}

TEST(AztecScan, ZxingAndOurReaderReadEverySize) {
  std::string pattern = (fs::temp_directory_path() / "tavo-aztec-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  const std::vector<Item> items = Items();
  std::vector<fs::path> files;
  std::vector<std::string> texts;
  std::vector<bool> sizes(kAztecSizes + 1, false);
  for (size_t i = 0; i < items.size(); ++i) {
    texts.push_back(Translate(items[i].value, items[i].check));
    ASSERT_FALSE(texts.back().empty()) << items[i].kind << " #" << i;
    files.push_back(dir / ("a" + std::to_string(i) + ".pgm"));
    ASSERT_TRUE(WriteTextPgm(files.back(), texts.back(), 3, 4));
  }
  const std::vector<std::string> read = ZxingRead(files);
  size_t good = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(items[i].kind + " #" + std::to_string(i) + ", " + std::to_string(items[i].value.size()) + " bytes");
    EXPECT_EQ(read[i], ZxingExpects(items[i].value)) << "ZXingReader";
    const AztecReading ours = OurReading(texts[i]);
    EXPECT_EQ(ours.data, items[i].value) << "our reader: " << ours.error;
    sizes[static_cast<size_t>(ours.size.Number())] = true;
    good += read[i] == ZxingExpects(items[i].value);
  }
  for (int32_t n = 1; n <= kAztecSizes; ++n) EXPECT_TRUE(sizes[static_cast<size_t>(n)]) << "size " << n;
  EXPECT_GE(good, 300u);
  if (!std::getenv("TAVO_SCAN_KEEP")) fs::remove_all(dir);
}

// The seeded values at each of zint's shares: never a larger symbol than
// zint's, and zint's symbol read by our reader.
TEST(AztecScan, NeverLargerThanZint) {
  std::string pattern = (fs::temp_directory_path() / "tavo-aztec-zint-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern, value_file = dir / "value";
  size_t compared = 0, smaller = 0;
  for (const Item& item : Items()) {
    if (item.check >= 128 || item.check == 5) continue;  // a size asked for; a share zint has not
    // zint's --secure: 0 its default (23%), 1 to 4 10%, 23%, 36%, 50%.
    const int secure = item.check == 0 ? 0 : item.check == 10 ? 1 : item.check == 23 ? 2 : item.check == 36 ? 3 : 4;
    std::ofstream(value_file, std::ios::binary) << item.value;
    const ZintSymbol z = Zint(value_file, item.value, secure);
    if (z.width == 0) continue;  // zint finds it too long at that share
    SCOPED_TRACE(item.kind + ", " + std::to_string(item.value.size()) + " bytes, share " + std::to_string(item.check));
    const AztecReading ours = OurReading(Translate(item.value, item.check));
    EXPECT_LE(ours.size.Width(), z.width);
    EXPECT_EQ(z.read, item.value) << "our reader on zint's symbol";
    ++compared;
    smaller += ours.size.Width() < z.width;
  }
  EXPECT_GE(compared, 250u);
  std::printf("%zu values beside zint: %zu symbols smaller than zint's, none larger\n", compared, smaller);
  if (!std::getenv("TAVO_SCAN_KEEP")) fs::remove_all(dir);
}

}  // namespace
}  // namespace tavo
