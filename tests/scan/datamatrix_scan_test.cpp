// Data Matrix read by a real reader: seeded values translated, drawn from the
// font text as PNG pictures and read back by libdmtx's dmtxread; their symbol
// sizes compared with zint's for the same bytes.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "render.h"
#include "scan/scanner.h"
#include "readers/datamatrix/datamatrix_reader.h"
#include "tavo32.h"

namespace tavo {
namespace {

namespace fs = std::filesystem;

// The font text as a grey PNG, `px` pixels per module, with `margin` more
// light modules around the text's own quiet zone so the reader sees paper.
bool WriteTextPng(const fs::path& path, std::string_view text, int px, int margin) {
  ModuleGrid grid;
  if (!ReadMatrixText(text, grid)) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  const int w = (grid.width + 2 * margin) * px, h = (grid.height + 2 * margin) * px;
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int mx = x / px - margin, my = y / px - margin;
      const bool dark = mx >= 0 && my >= 0 && mx < grid.width && my < grid.height && grid.at(mx, my);
      row[x] = dark ? 0 : 255;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

// What dmtxread reads from one picture (bytes as they are), or "" when it
// finds nothing.
std::string Dmtxread(const fs::path& png, const std::string& options = "") {
  int status = 0;
  return scan::RunCommand(std::string(TAVO_DMTXREAD) + " -N1 " + options + " '" + png.string() + "'",
                          status);
}

// dmtxread's edge detection misses an occasional symbol at one scale that it
// finds at the next; a picture it cannot read is drawn again at 5 and 6
// pixels per module before the reading counts as failed.
std::string ReadAtScales(const fs::path& png, std::string_view text, const std::string& options = "") {
  std::string read = Dmtxread(png, options);
  for (int px = 5; read.empty() && px <= 6; ++px) {
    if (!WriteTextPng(png, text, px, 4)) break;
    read = Dmtxread(png, options);
  }
  return read;
}

// A value as C string text, bytes outside printable ASCII as \xHH.
std::string Escaped(std::string_view value) {
  std::string out;
  for (unsigned char c : value) {
    if (c >= 32 && c < 127 && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

enum class Alphabet { kDigits, kUpper, kMixed, kBinary, kUtf8 };

// A seeded value of `length` bytes over one alphabet (UTF-8 values are whole
// characters, so a few bytes longer at most).
std::string SeededValue(std::mt19937& rng, Alphabet alphabet, size_t length) {
  static constexpr std::string_view kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -./";
  static constexpr std::string_view kUtf8[] = {"Z\xC3\xBCrich", "\xE6\x9D\xB1\xE4\xBA\xAC", " ", "\xC3\xA9",
                                               "abc", "\xE2\x82\xAC", "42"};
  std::string v;
  while (v.size() < length) {
    switch (alphabet) {
      case Alphabet::kDigits: v += static_cast<char>('0' + rng() % 10); break;
      case Alphabet::kUpper: v += kUpper[rng() % kUpper.size()]; break;
      case Alphabet::kMixed: v += static_cast<char>(32 + rng() % 95); break;
      case Alphabet::kBinary: v += static_cast<char>(1 + rng() % 255); break;
      case Alphabet::kUtf8: v += kUtf8[rng() % std::size(kUtf8)]; break;
    }
  }
  return v;
}

// A scratch directory, removed at the end unless TAVO_SCAN_KEEP is set.
struct Scratch {
  fs::path dir;
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "tavo-dm-XXXXXX").string();
    if (mkdtemp(pattern.data())) dir = pattern;
  }
  ~Scratch() {
    if (!dir.empty() && !std::getenv("TAVO_SCAN_KEEP")) fs::remove_all(dir);
  }
};

// zint's symbol for the same bytes (square only, or any shape without the
// extended rectangles), read by our decoder: its size and how many data
// codewords its encodation took.
DataMatrixReading ZintReading(const fs::path& value_file, bool rectangles) {
  DataMatrixReading r;
  const std::vector<std::string> rows = scan::ZintRows(
      "-b 71 --binary " + std::string(rectangles ? "" : "--square ") + "-i '" + value_file.string() + "'");
  if (rows.empty()) return r;
  ModuleGrid grid(static_cast<int32_t>(rows.back().size()), static_cast<int32_t>(rows.size()));
  for (int32_t y = 0; y < grid.height; ++y) {
    for (int32_t x = 0; x < grid.width && x < static_cast<int32_t>(rows[y].size()); ++x) {
      grid.set(x, y, rows[y][x] == '1');
    }
  }
  FontString text;
  AppendMatrixText(grid, kDataMatrixQuietZone, text);
  DecodeDataMatrixText(text.view(), r);
  return r;
}

// ...and neither the symbol nor the codeword count is larger than zint's.
TEST(DataMatrixReader, SeededValuesReadBackAndNoLargerThanZint) {
  Scratch scratch;
  ASSERT_FALSE(scratch.dir.empty());
  std::mt19937 rng(20261207);
  constexpr Alphabet kAlphabets[] = {Alphabet::kDigits, Alphabet::kUpper, Alphabet::kMixed,
                                     Alphabet::kBinary, Alphabet::kUtf8};
  int read = 0, larger = 0, smaller = 0, fewer_codewords = 0, more_codewords = 0;
  std::string larger_list;
  for (int i = 0; i < 320; ++i) {
    const Alphabet alphabet = kAlphabets[i % 5];
    // Lengths spread over 1..1000, short ones more often.
    const size_t length = 1 + (i % 4 == 0 ? rng() % 1000 : rng() % 120);
    const std::string value = SeededValue(rng, alphabet, length);
    const int32_t check = i % 3 == 2 ? 1 : 0;
    SCOPED_TRACE("value #" + std::to_string(i) + " of " + std::to_string(value.size()) +
                 " bytes, check " + std::to_string(check));
    FontString text;
    const int32_t rc = EncodeDataMatrix(value, check, text);
    if (rc == kTooLongForLargestSymbol) continue;  // long binary
    ASSERT_EQ(rc, kOk);
    const fs::path png = scratch.dir / ("v" + std::to_string(i) + ".png");
    ASSERT_TRUE(WriteTextPng(png, text.view(), 4, 4));
    EXPECT_EQ(ReadAtScales(png, text.view()), value);
    ++read;

    DataMatrixReading ours;
    ASSERT_TRUE(DecodeDataMatrixText(text.view(), ours)) << ours.error;
    const fs::path value_file = scratch.dir / "value.bin";
    std::ofstream(value_file, std::ios::binary) << value;
    const DataMatrixReading zint = ZintReading(value_file, check == 1);
    ASSERT_EQ(zint.data, value) << zint.error;
    fewer_codewords += ours.codewords_used < zint.codewords_used;
    if (ours.codewords_used > zint.codewords_used) {
      ++more_codewords;
      larger_list += "  #" + std::to_string(i) + ": " + std::to_string(ours.codewords_used) +
                     " codewords, zint " + std::to_string(zint.codewords_used) + ": " + Escaped(value) + "\n";
    }
    smaller += ours.rows * ours.cols < zint.rows * zint.cols;
    if (ours.rows * ours.cols > zint.rows * zint.cols) {
      ++larger;
      larger_list += "  #" + std::to_string(i) + ": ours " + std::to_string(ours.rows) + "x" +
                     std::to_string(ours.cols) + ", zint " + std::to_string(zint.rows) + "x" +
                     std::to_string(zint.cols) + "\n";
    }
  }
  std::cout << read << " values read back; against zint " << smaller << " smaller, " << larger
            << " larger; " << fewer_codewords << " with fewer codewords, " << more_codewords
            << " with more\n";
  EXPECT_GE(read, 300);
  EXPECT_EQ(larger + more_codewords, 0) << "larger than zint's:\n" << larger_list;
}

// Short values over characters that pull the encodation into every scheme
// (C40 for capitals, Text for small letters, X12 for its four specials,
// EDIFACT for punctuation runs, Base 256 or upper shift for high bytes),
// so that the data ends in each scheme with 0, 1 or 2 codewords to spare:
// the unlatch, the implied return to ASCII and the padded last C40 pair.
TEST(DataMatrixReader, SchemeEndingsReadBack) {
  Scratch scratch;
  std::mt19937 rng(16022);
  static constexpr std::string_view kStress = "ABCXYZ0123456789 *>\r@;:?[abcxyz\xE9\xFC";
  std::vector<std::string> values;
  std::vector<FontString> texts;
  std::string list;
  for (int i = 0; i < 400; ++i) {
    std::string value;
    const size_t length = 1 + rng() % 16;
    // Runs of one character class, so that switching pays.
    while (value.size() < length) {
      const char c = kStress[rng() % kStress.size()];
      value.append(1 + rng() % 5, c);
    }
    value.resize(length);
    FontString text;
    ASSERT_EQ(EncodeDataMatrix(value, i % 2, text), kOk);
    // No more codewords than zint takes for the same bytes.
    DataMatrixReading ours;
    ASSERT_TRUE(DecodeDataMatrixText(text.view(), ours));
    const fs::path value_file = scratch.dir / "value.bin";
    std::ofstream(value_file, std::ios::binary) << value;
    const DataMatrixReading zint = ZintReading(value_file, i % 2 == 1);
    EXPECT_LE(ours.codewords_used, zint.codewords_used) << Escaped(value);
    EXPECT_LE(ours.rows * ours.cols, zint.rows * zint.cols) << Escaped(value);
    const fs::path png = scratch.dir / ("e" + std::to_string(1000 + i) + ".png");
    ASSERT_TRUE(WriteTextPng(png, text.view(), 4, 4));
    list += " '" + png.string() + "'";
    values.push_back(value);
    texts.push_back(text);
  }
  // One reader run over all pictures; each reading is framed so that CR and
  // LF inside the data cannot shift the comparison.
  int status = 0;
  const std::string out = scan::RunCommand(
      "for f in" + list + "; do printf '\\001'; " + TAVO_DMTXREAD + " -N1 \"$f\"; printf '\\002'; done",
      status);
  std::vector<std::string> read;
  for (size_t at = 0; (at = out.find('\x01', at)) != std::string::npos;) {
    const size_t end = out.find('\x02', at + 1);
    if (end == std::string::npos) break;
    read.push_back(out.substr(at + 1, end - at - 1));
    at = end + 1;
  }
  ASSERT_EQ(read.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    if (read[i].empty()) {
      read[i] = ReadAtScales(scratch.dir / ("e" + std::to_string(1000 + i) + ".png"), texts[i].view());
    }
    EXPECT_EQ(read[i], values[i]) << "value #" << i;
  }
}

// Module for module the same symbol as zint's, in every size: digits are
// digit pairs in any encoder, so the codewords agree, and the grids check the
// Reed-Solomon blocks and their interleaving, the placement, the finder and
// timing patterns of every region layout and the randomised padding.
TEST(DataMatrixReader, EverySizeModuleForModuleAsZint) {
  const auto& sizes = DataMatrixSizes();
  // zint numbers the squares 1..24 and the rectangles 25..30, small first.
  int square = 0, rect = 24;
  for (const DataMatrixSize& s : sizes) {
    const int version = s.square() ? ++square : ++rect;
    for (int spare : {0, 1, 3}) {  // codewords left for padding
      const int pairs = s.data_codewords - spare;
      if (pairs <= 0) continue;
      const std::string digits(static_cast<size_t>(2 * pairs), '3');
      SCOPED_TRACE(std::to_string(s.rows) + "x" + std::to_string(s.cols) + " with " +
                   std::to_string(spare) + " pads");
      FontString text;
      // Our encoder picks the smallest size; compare only where that is s.
      ASSERT_EQ(EncodeDataMatrix(digits, s.square() ? 0 : 1, text), kOk);
      ModuleGrid grid;
      ASSERT_TRUE(ReadMatrixText(text.view(), grid));
      DataMatrixReading r;
      ASSERT_TRUE(DecodeDataMatrixText(text.view(), r));
      if (r.rows != s.rows || r.cols != s.cols) continue;
      const std::vector<std::string> zint =
          scan::ZintRows("-b 71 --vers=" + std::to_string(version) + " -d " + digits);
      ASSERT_EQ(zint.size(), static_cast<size_t>(s.rows));
      for (int y = 0; y < s.rows; ++y) {
        std::string ours;
        for (int x = 0; x < s.cols; ++x) ours += grid.at(x + kDataMatrixQuietZone, y + kDataMatrixQuietZone) ? '1' : '0';
        ours.erase(ours.find_last_not_of('0') + 1);
        EXPECT_EQ(ours, zint[y]) << "row " << y;
      }
    }
  }
}

// The largest symbols.  3,116 digits fill all 1,558 data codewords of
// 144x144: our decoder reads it, and EverySizeModuleForModuleAsZint shows it
// is zint's symbol module for module.  libdmtx 0.7.7 reads the 144x144 error
// correction unrotated (it cannot read zint's 144x144 either), so dmtxread
// reads the largest of the others, 132x132, full to its last codeword.
TEST(DataMatrixReader, LargestSymbolsReadBack) {
  Scratch scratch;
  std::mt19937 rng(144);
  struct Case {
    size_t digits;
    int rows;
    bool dmtxread;
  };
  for (const Case c : {Case{3116, 144, false}, Case{2608, 132, true}}) {
    const std::string value = SeededValue(rng, Alphabet::kDigits, c.digits);
    FontString text;
    ASSERT_EQ(EncodeDataMatrix(value, 0, text), kOk);
    DataMatrixReading ours;
    ASSERT_TRUE(DecodeDataMatrixText(text.view(), ours)) << ours.error;
    EXPECT_EQ(ours.rows, c.rows);
    EXPECT_EQ(ours.data, value);
    if (!c.dmtxread) continue;
    const fs::path png = scratch.dir / "largest.png";
    ASSERT_TRUE(WriteTextPng(png, text.view(), 3, 4));
    EXPECT_EQ(ReadAtScales(png, text.view()), value);
  }
}

// GS1 Data Matrix through the export: the bracketed value parsed, FNC1
// first and after each variable-length element but the last; dmtxread
// (-G 29) shows each FNC1 as the group separator.
struct Gs1Case {
  const char* value;
  int32_t check;
  const char* read;  // as dmtxread shows it
  const char* why;
};
constexpr Gs1Case kGs1Cases[] = {
    {"(01)09501101530003", 2, "\x1D" "0109501101530003", "GTIN alone"},
    {"(01)09501101530003(17)250101(10)ABC123", 2, "\x1D" "010950110153000317250101" "10ABC123",
     "fixed-length date, batch last: no separator"},
    {"(01)09501101530003(17)190700(10)ABC123(21)XYZ", 2,
     "\x1D" "01095011015300031719070010ABC123\x1D" "21XYZ", "batch is variable length: FNC1 before the serial"},
    {"(01)09501101530003(10)AB-12/c", 3, "\x1D" "010950110153000310AB-12/c", "rectangle allowed"},
    {"(01)09501101530003(21)12345678901234567890(10)ABCDEFGHIJKLMNOPQRST(240)abcdefghijklmnopqrstuvwxyz0123", 2,
     "\x1D" "0109501101530003" "2112345678901234567890\x1D" "10ABCDEFGHIJKLMNOPQRST\x1D"
     "240abcdefghijklmnopqrstuvwxyz0123",
     "longer than GS1-128 allows"},
    {"(01)09501101530003(91)X1(92)X2(93)X3(94)X4(95)X5(96)X6(97)X7(98)X8(99)X9"
     "(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1"
     "(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1(91)X1",
     2,
     "\x1D" "010950110153000391X1\x1D" "92X2\x1D" "93X3\x1D" "94X4\x1D" "95X5\x1D" "96X6\x1D" "97X7\x1D"
     "98X8\x1D" "99X9\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D"
     "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D"
     "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1\x1D" "91X1",
     "35 element strings: more than the 24 GS1-128 could ever hold"},
};

// Through the export, the symbol model and its pictures, as `tavo translate
// datamatrix VALUE --png` draws them (quiet zone of one module, nothing
// more): seeded values of every alphabet and check option, read by dmtxread
// and by the model's reader.
TEST(DataMatrixReader, ModelPicturesReadBack) {
  Scratch scratch;
  std::mt19937 rng(1515);
  constexpr Alphabet kAlphabets[] = {Alphabet::kDigits, Alphabet::kUpper, Alphabet::kMixed,
                                     Alphabet::kBinary, Alphabet::kUtf8};
  for (int i = 0; i < 60; ++i) {
    // Check 2 and 3 (GS1) take the bracketed values of Gs1ElementStrings.
    const int32_t check = i % 4;
    const std::string seeded = SeededValue(rng, kAlphabets[i % 5], 1 + rng() % (i % 6 == 0 ? 600 : 60));
    const Gs1Case& gs1 = kGs1Cases[static_cast<size_t>(i / 4) % std::size(kGs1Cases)];
    const std::string value = check >= 2 ? gs1.value : seeded;
    SCOPED_TRACE("#" + std::to_string(i) + " check " + std::to_string(check) + ": " + Escaped(value));
    std::vector<char> buf(40000);
    int32_t len = 0;
    ASSERT_EQ(BC_FontTranslate(BC_SYM_DATAMATRIX, value.c_str(), check, buf.data(),
                               static_cast<int32_t>(buf.size()), &len),
              0);
    const std::string_view text(buf.data(), static_cast<size_t>(len));
    model::Symbol symbol;
    model::ModelError error;
    ASSERT_TRUE(model::BuildSymbol(BC_SYM_DATAMATRIX, text, model::ModelOptions{}, symbol, error)) << error.reason;
    model::Reading reading;
    ASSERT_TRUE(model::ReadSymbol(BC_SYM_DATAMATRIX, text, reading, error));
    EXPECT_TRUE(reading.Consistent());
    // GS1: the element strings written back in the bracketed form of the value.
    EXPECT_EQ(reading.data, value);
    EXPECT_EQ(reading.gs1, check >= 2);
    const fs::path png = scratch.dir / ("m" + std::to_string(i) + ".png");
    std::string read, why;
    for (double module : {4.0, 5.0, 6.0}) {
      ASSERT_TRUE(render::WritePng(render::Rasterize(render::LayOut(symbol, 0, false), module), png.string(), why))
          << why;
      read = Dmtxread(png, check >= 2 ? "-G 29" : "");
      if (!read.empty()) break;
    }
    // dmtxread shows the leading FNC1 of GS1 as the separator character too.
    EXPECT_EQ(read, check >= 2 ? std::string(gs1.read) : value);
  }
}

// The GS1 values read back.
TEST(DataMatrixReader, Gs1ElementStrings) {
  Scratch scratch;
  for (const Gs1Case& c : kGs1Cases) {
    SCOPED_TRACE(c.why);
    std::vector<char> buf(20000);
    int32_t len = 0;
    ASSERT_EQ(BC_FontTranslate(BC_SYM_DATAMATRIX, c.value, c.check, buf.data(), static_cast<int32_t>(buf.size()),
                               &len),
              0);
    const std::string_view text(buf.data(), static_cast<size_t>(len));
    const fs::path png = scratch.dir / "gs1.png";
    ASSERT_TRUE(WriteTextPng(png, text, 4, 4));
    EXPECT_EQ(ReadAtScales(png, text, "-G 29"), c.read);
  }
}

}  // namespace
}  // namespace tavo
