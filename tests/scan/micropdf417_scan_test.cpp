// MicroPDF417: no reader here reads it, so seeded values of every kind
// (digits, text, mixed, binary, UTF-8) and length are compared module for
// module with zint's symbols (given the columns ours chose, zint then picks
// the same rows), ours is never larger than the symbol zint picks by
// itself, every one of the 34 sizes is met, and the model's reader reads
// each value back from the font text and from the picture the model draws.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "../../model/src/pdf417/micropdf417_read.h"  // the model's reader, for the codewords
#include "symbologies/pdf417/micropdf417_tables.h"
#include "render.h"
#include "scanner.h"
#include "symbologies/codes.h"
#include "symbologies/matrix/matrix_text.h"
#include "tavo_model.h"
#include "test_support.h"

namespace tavo::scan {
namespace {

using symbology::kMicroPdf417;

constexpr size_t kValues = 340;
constexpr int kRowModules = 3;  // the PDF417 face's row height

// A value of kind `kind` and `n` bytes: digits, upper-case text, printable
// ASCII, bytes that are no UTF-8 (no ECI), UTF-8 beyond ASCII (ECI 26).
std::string SeededValue(std::mt19937& rng, int kind, size_t n) {
  std::string v;
  while (v.size() < n) {
    switch (kind) {
      case 0: v += static_cast<char>('0' + rng() % 10); break;
      case 1: v += static_cast<char>('A' + rng() % 26); break;
      case 2: v += static_cast<char>(32 + rng() % 95); break;
      case 3: v += static_cast<char>(v.empty() ? 0xFF : 1 + rng() % 255); break;
      default: v += v.size() % 3 ? std::string(1, static_cast<char>('a' + rng() % 26)) : std::string("\xc3\xa9"); break;
    }
  }
  return kind == 4 ? v : v.substr(0, n);  // UTF-8 whole, starting with \xc3\xa9
}

// The longest value of each kind in the largest size (126 codewords).
constexpr std::array<size_t, 5> kLongest = {366, 250, 120, 150, 90};

// The symbol's rows of modules, one per line of the text but the quiet
// zone's, without the quiet zone on the left and the light modules after
// the stop bar (zint's dump drops them).
std::vector<std::string> TextRows(std::string_view text) {
  std::vector<std::string> rows(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      rows.emplace_back();
      ++i;
      continue;
    }
    const int bits = MatrixGlyphBits(text[i]);
    for (int m = 0; m < 6; ++m) rows.back() += bits >> m & 1 ? '1' : '0';
  }
  if (rows.size() < 3) return {};
  rows.erase(rows.begin());  // the quiet zone's lines above and below, and its 2 modules on the left
  rows.pop_back();
  for (std::string& r : rows) r = r.substr(2, r.find_last_of('1') - 1);
  return rows;
}

// A picture sampled at the middle of each module (every symbol row
// kRowModules modules high, `quiet` modules around it) back into the text
// of the face, with the quiet zone the text carries (a light line above and
// below, 2 light modules on the left): the picture read as a font prints it.
std::string TextFromPicture(const render::Raster& r, double module, double quiet) {
  const int width = static_cast<int>((r.width / module - 2 * quiet) + 0.5);
  const int rows = static_cast<int>((r.height / module - 2 * quiet) / kRowModules + 0.5);
  const int glyphs = (width + 4 + 5) / 6;
  const std::string light(static_cast<size_t>(glyphs), kMatrixGlyphs[0]);
  std::string text = light;
  for (int y = 0; y < rows; ++y) {
    text += "\r\n";
    const int py = static_cast<int>((quiet + y * kRowModules + kRowModules / 2.0) * module);
    for (int g = 0; g < glyphs; ++g) {
      int bits = 0;
      for (int m = 0; m < 6; ++m) {
        const int x = g * 6 + m - 2;  // the module of the symbol
        if (x < 0 || x >= width) continue;
        if (r.At(static_cast<int>((quiet + x + 0.5) * module), py) < 128) bits |= 1 << m;
      }
      text += kMatrixGlyphs[static_cast<size_t>(bits)];
    }
  }
  return text + "\r\n" + light;
}

// The model's reading of a symbol's rows ('1' dark), one module high each.
pdf417::MicroPdfReading ReadRows(const std::vector<std::string>& rows) {
  pdf417::MicroPdfReading r;
  if (rows.empty()) return r;
  ModuleGrid grid(static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size() && x < rows[0].size(); ++x) {
      grid.set(static_cast<int32_t>(x), static_cast<int32_t>(y), rows[y][x] == '1');
    }
  }
  pdf417::ReadMicroPdfGrid(grid, 1, r);
  return r;
}

// Data codewords before the padding (the 900s at the end of the data).
size_t DataCount(const pdf417::MicroPdfReading& r) {
  size_t data = 0;
  for (const pdf417::MicroPdfSize& s : pdf417::kMicroPdfSizes) {
    if (std::to_string(s.columns) + "x" + std::to_string(s.rows) == r.size_name) data = static_cast<size_t>(s.data());
  }
  while (data > 0 && r.codewords[data - 1] == 900) --data;
  return data;
}

std::string Read(std::string_view text) {
  model::Reading reading;
  model::ModelError error;
  if (!model::ReadSymbol(kMicroPdf417, text, reading, error)) return "(refused: " + error.reason + ")";
  return reading.Consistent() ? reading.data : "(inconsistent)";
}

struct Sample {
  std::string value;
  int kind;
  int32_t columns;  // 0: the smallest symbol
};

// Seeded values: the longest of each kind and shorter ones down from there,
// then random lengths, a third of them with the columns asked for; and for
// each of the 34 sizes upper-case letters that fill it exactly.
std::vector<Sample> Samples() {
  std::mt19937 rng(20261208);
  std::vector<Sample> out;
  for (size_t i = 0; i < kValues; ++i) {
    const int kind = static_cast<int>(i % 5);
    const size_t longest = kLongest[static_cast<size_t>(kind)];
    const size_t n = i < 5 * 8 ? longest - i / 5 : 1 + rng() % longest;
    const int32_t columns = i % 3 == 0 ? static_cast<int32_t>(1 + rng() % 4) : 0;
    out.push_back({SeededValue(rng, kind, n), kind, columns});
  }
  for (const int32_t columns : {1, 2, 3, 4}) {
    for (const int data : {4, 7, 10, 12, 16, 20, 8, 13, 19, 24, 29, 33, 37, 6, 10, 14, 18, 24, 34, 46, 58, 70,
                           82, 8, 12, 18, 24, 30, 39, 54, 72, 90, 108, 126}) {
      out.push_back({std::string(static_cast<size_t>(2 * (data - 1)), 'T'), 1, columns});
    }
  }
  return out;
}

TEST(ScanMicroPdf417, SeededValuesMatchZintAndReadBack) {
  std::mt19937 rng(20261208);
  const std::filesystem::path file = std::filesystem::temp_directory_path() / ("tavo-micropdf-" + std::to_string(rng()));
  std::set<std::pair<size_t, size_t>> sizes;  // columns' width, rows
  size_t count = 0, same = 0, not_larger = 0, from_text = 0, from_picture = 0, read_zint = 0, other_compaction = 0,
         fewer = 0, zint_refused = 0;
  for (const Sample& sample : Samples()) {
    const std::string& value = sample.value;
    const auto t = tavo::test::Translate(kMicroPdf417, value, sample.columns, 100000);
    if (t.rc == 32560 && sample.columns != 0) continue;  // too long for those columns
    ASSERT_EQ(t.rc, 0) << sample.kind << ", " << value.size() << " bytes";
    ++count;
    const std::vector<std::string> ours = TextRows(t.bytes);
    sizes.insert({ours[0].size(), ours.size()});
    const size_t our_columns = ours[0].size() == 38 ? 1 : ours[0].size() == 55 ? 2 : ours[0].size() == 82 ? 3 : 4;
    { std::ofstream(file, std::ios::binary) << value; }
    const std::string zint = "-b 84 --binary" + std::string(sample.kind == 4 ? " --eci=26" : "") + " -i '" + file.string() + "'";
    const std::string what = "kind " + std::to_string(sample.kind) + ", " + std::to_string(value.size()) +
                             " bytes, columns " + std::to_string(sample.columns);
    const bool text_ok = Read(t.bytes) == value;
    EXPECT_TRUE(text_ok) << what << ": the model read \"" << Read(t.bytes) << "\"";
    from_text += text_ok ? 1 : 0;
    model::Symbol symbol;
    model::ModelError error;
    ASSERT_TRUE(model::BuildSymbol(kMicroPdf417, t.bytes, {}, symbol, error)) << error.reason;
    const double module = 2 + static_cast<double>(count % 3);
    const render::Raster picture = render::Rasterize(render::LayOut(symbol, 0, false), module);
    const bool picture_ok = Read(TextFromPicture(picture, module, symbol.quiet_left)) == value;
    EXPECT_TRUE(picture_ok) << what << ": not read back from the model's picture";
    from_picture += picture_ok ? 1 : 0;
    // zint's symbol read by the model's reader (independent of our
    // encoder): the same value.  Where the codewords are the same, every
    // module must be; where zint compacts otherwise, ours must take no more
    // data codewords.
    const std::vector<std::string> theirs = ZintRows(zint + " --cols=" + std::to_string(our_columns));
    if (theirs.empty()) {  // zint's compaction takes more than the 126 codewords of the largest size
      ++zint_refused;
      continue;
    }
    const pdf417::MicroPdfReading zr = ReadRows(theirs), our = ReadRows(ours);
    EXPECT_TRUE(zr.ok && zr.data == value) << what << ": zint's symbol read as \"" << zr.data << "\" " << zr.error;
    read_zint += zr.ok && zr.data == value ? 1 : 0;
    if (our.codewords == zr.codewords) {
      EXPECT_EQ(ours, theirs) << what << ": the same codewords, other modules than zint's";
      same += ours == theirs ? 1 : 0;
    } else {
      EXPECT_LE(DataCount(our), DataCount(zr))
          << what << ": more codewords than zint's (" << our.size_name << ", zint " << zr.size_name << ")";
      other_compaction += 1;
      fewer += DataCount(our) < DataCount(zr) ? 1 : 0;
    }
    const std::vector<std::string> own = ZintRows(zint + (sample.columns ? " --cols=" + std::to_string(sample.columns) : ""));
    const bool smaller = own.empty() || ours.size() * ours[0].size() <= own.size() * own[0].size();
    EXPECT_TRUE(smaller) << what << ": larger than zint's symbol of " << own.size() << " rows";
    not_larger += smaller ? 1 : 0;
  }
  std::filesystem::remove(file);
  EXPECT_EQ(sizes.size(), 34u) << "sizes met";
  EXPECT_GE(same, 300u) << "symbols module for module as zint draws them";
  std::printf("[scan] MicroPDF417: %zu values in %zu of the 34 sizes; the model read back %zu from the text and "
              "%zu from its pictures; zint refused %zu as too long; of the others, %zu have zint's codewords and "
              "its modules, %zu are compacted otherwise (%zu in fewer codewords, none in more), %zu are no larger "
              "than the symbol zint picks, and the model read %zu of zint's symbols back\n",
              count, sizes.size(), from_text, from_picture, zint_refused, same, other_compaction, fewer, not_larger,
              read_zint);
}

}  // namespace
}  // namespace tavo::scan
