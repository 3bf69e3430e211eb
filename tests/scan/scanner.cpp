// The scanner suite's harness: pictures, zbar readings and zint bar patterns.
#include "scanner.h"

#include <png.h>
#include <sys/wait.h>
#include <zbar.h>
#include <zint.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <system_error>

#include "render.h"

#ifndef TAVO_ZBARIMG
#define TAVO_ZBARIMG "zbarimg"
#endif
#ifndef TAVO_ZINT
#define TAVO_ZINT "zint"
#endif

namespace tavo::scan {
namespace {

// The value of attribute `name` in the tag text `tag` ("" when absent).
std::string Attribute(std::string_view tag, std::string_view name) {
  std::string key = " " + std::string(name) + "='";
  size_t at = tag.find(key);
  if (at == std::string_view::npos) return "";
  at += key.size();
  size_t end = tag.find('\'', at);
  return std::string(tag.substr(at, end == std::string_view::npos ? 0 : end - at));
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// zbar writes data holding control characters in base 64 (with line
// breaks); everything else is skipped.
std::string Base64Decode(std::string_view text) {
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    int v = Base64Value(c);
    if (v < 0) continue;
    bits = bits << 6 | static_cast<uint32_t>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>(bits >> count & 0xFF);
    }
  }
  return out;
}

// One <symbol ...>...</symbol> element.
Reading ParseSymbol(std::string_view element) {
  Reading r;
  std::string_view tag = element.substr(0, element.find('>'));
  r.type = Attribute(tag, "type");
  r.modifiers = Attribute(tag, "modifiers");
  size_t data = element.find("<data");
  if (data == std::string_view::npos) return r;
  std::string_view data_tag = element.substr(data, element.find('>', data) - data);
  size_t open = element.find("<![CDATA[", data);
  size_t close = element.rfind("]]></data>");
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return r;
  std::string_view text = element.substr(open + 9, close - open - 9);
  r.data = Attribute(data_tag, "format") == "base64" ? Base64Decode(text) : std::string(text);
  return r;
}

}  // namespace

std::vector<SourceReadings> ParseZbarXml(std::string_view xml) {
  std::vector<SourceReadings> out;
  size_t at = 0;
  while ((at = xml.find("<source ", at)) != std::string_view::npos) {
    size_t end = xml.find("</source>", at);
    if (end == std::string_view::npos) end = xml.size();
    std::string_view source = xml.substr(at, end - at);
    SourceReadings s;
    s.file = Attribute(source.substr(0, source.find('>')), "href");
    size_t sym = 0;
    while ((sym = source.find("<symbol ", sym)) != std::string_view::npos) {
      size_t sym_end = source.find("</symbol>", sym);
      if (sym_end == std::string_view::npos) sym_end = source.size();
      s.readings.push_back(ParseSymbol(source.substr(sym, sym_end - sym)));
      sym = sym_end;
    }
    out.push_back(std::move(s));
    at = end;
  }
  return out;
}

std::string RunCommand(const std::string& command, int& status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return out;
  }
  std::array<char, 4096> buf;
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
  status = pclose(pipe);
  return out;
}

namespace {

bool CrossCheck() {
  static const bool on = [] {
    const char* v = std::getenv("TAVO_SCAN_CROSSCHECK");
    return v && *v && std::string_view(v) != "0";
  }();
  return on;
}

// The picture's grey values, row by row (0 black, 255 white), as zbarimg's
// ImageMagick hands them to zbar: the grey of each pixel, its alpha ignored.
bool ReadGrey(const std::filesystem::path& file, render::Raster& out, std::string& error) {
  std::ifstream in(file, std::ios::binary);
  char magic[2] = {};
  if (!in.read(magic, 2)) {
    error = file.string() + ": cannot read";
    return false;
  }
  if (magic[0] == 'P' && magic[1] == '5') {  // binary PGM: "P5 W H MAXVAL" and one white space
    long numbers[3] = {};
    for (long& n : numbers) {
      in >> std::ws;
      while (in.peek() == '#') {
        in.ignore(1 << 20, '\n');
        in >> std::ws;
      }
      if (!(in >> n) || n <= 0) {
        error = file.string() + ": not a PGM header";
        return false;
      }
    }
    if (numbers[2] != 255 || numbers[0] > 1 << 15 || numbers[1] > 1 << 15) {
      error = file.string() + ": only 8-bit PGM pictures up to 32768 pixels a side";
      return false;
    }
    in.get();
    out.width = static_cast<int>(numbers[0]);
    out.height = static_cast<int>(numbers[1]);
    out.pixels.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    if (!in.read(reinterpret_cast<char*>(out.pixels.data()), static_cast<std::streamsize>(out.pixels.size()))) {
      error = file.string() + ": the PGM picture is cut short";
      return false;
    }
    return true;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) {
    error = file.string() + ": " + image.message;
    return false;
  }
  image.format = PNG_FORMAT_GA;  // grey and alpha, 8 bits each, not premultiplied
  std::vector<uint8_t> grey_alpha(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, grey_alpha.data(), 0, nullptr)) {
    error = file.string() + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.pixels.resize(grey_alpha.size() / 2);
  for (size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = grey_alpha[2 * i];
  return true;
}

struct ZbarResult {
  std::string xml;  // each symbol's <symbol> element
  std::string raw;  // each symbol's data, as `zbarimg --raw` prints it
};

bool ZbarScan(const std::filesystem::path& picture, const std::vector<std::string>& settings, ZbarResult& result,
              std::string& error) {
  using namespace zbar;  // zbar.h puts its C functions in this namespace for C++
  render::Raster grey;
  if (!ReadGrey(picture, grey, error)) return false;
  const std::unique_ptr<zbar_image_scanner_t, decltype(&zbar_image_scanner_destroy)> scanner(
      zbar_image_scanner_create(), zbar_image_scanner_destroy);
  bool binary = false;
  for (const std::string& setting : settings) {
    if (zbar_image_scanner_parse_config(scanner.get(), setting.c_str()) != 0) {
      error = "zbar has no setting \"" + setting + "\"";
      return false;
    }
    binary = binary || setting == "binary";
  }
  const std::unique_ptr<zbar_image_t, decltype(&zbar_image_destroy)> image(zbar_image_create(), zbar_image_destroy);
  zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
  zbar_image_set_size(image.get(), static_cast<unsigned>(grey.width), static_cast<unsigned>(grey.height));
  zbar_image_set_data(image.get(), grey.pixels.data(), grey.pixels.size(), nullptr);
  if (zbar_scan_image(scanner.get(), image.get()) < 0) {
    error = picture.string() + ": zbar could not scan it";
    return false;
  }
  char* buffer = nullptr;
  unsigned length = 0;
  for (const zbar_symbol_t* symbol = zbar_image_first_symbol(image.get()); symbol;
       symbol = zbar_symbol_next(symbol)) {
    if (zbar_symbol_get_type(symbol) == ZBAR_PARTIAL) continue;  // zbarimg leaves these out too
    zbar_symbol_xml(symbol, &buffer, &length);
    result.xml.append(buffer, length);
    result.xml += '\n';
    result.raw.append(zbar_symbol_get_data(symbol), zbar_symbol_get_data_length(symbol));
    if (!binary) result.raw += '\n';
  }
  std::free(buffer);
  return true;
}

std::string Describe(const std::vector<Reading>& readings) {
  std::string out;
  for (const Reading& r : readings) out += "[" + r.type + " " + r.modifiers + " \"" + r.data + "\"]";
  return out;
}

}  // namespace

std::string ZbarimgCommand(const std::filesystem::path& picture, const std::vector<std::string>& settings,
                           const char* mode) {
  std::string command = std::string(TAVO_ZBARIMG) + " " + mode + " -q --nodbus";
  for (const std::string& s : settings) command += " -S" + s;
  return command + " '" + picture.string() + "' 2>/dev/null";
}

bool ZbarXml(const std::filesystem::path& picture, std::string_view name, const std::vector<std::string>& settings,
             std::string& xml, std::string& error) {
  ZbarResult result;
  if (!ZbarScan(picture, settings, result, error)) return false;
  xml = "<source href='" + std::string(name) + "'>\n" + result.xml + "</source>\n";
  if (CrossCheck()) {
    int status = 0;
    const std::vector<SourceReadings> theirs = ParseZbarXml(RunCommand(ZbarimgCommand(picture, settings, "--xml"), status));
    const std::vector<SourceReadings> ours = ParseZbarXml(xml);
    const std::vector<Reading> none;
    const std::vector<Reading>& a = ours.empty() ? none : ours[0].readings;
    const std::vector<Reading>& b = theirs.empty() ? none : theirs[0].readings;
    if (Describe(a) != Describe(b)) {
      error = picture.string() + ": zbar read " + Describe(a) + " in this process, zbarimg " + Describe(b);
      return false;
    }
  }
  return true;
}

std::string ZbarRaw(const std::filesystem::path& picture, const std::vector<std::string>& settings) {
  ZbarResult result;
  std::string error;
  if (!ZbarScan(picture, settings, result, error)) result.raw.clear();
  if (CrossCheck()) {
    int status = 0;
    const std::string theirs = RunCommand(ZbarimgCommand(picture, settings, "--raw"), status);
    if (theirs != result.raw) {
      std::fprintf(stderr, "%s: zbar read \"%s\" in this process, zbarimg \"%s\"\n", picture.c_str(),
                   result.raw.c_str(), theirs.c_str());
      return "(zbar and zbarimg disagree)";
    }
  }
  return result.raw;
}

namespace {

// The words of `line` as a POSIX shell splits them, for the plain words and
// '...' quoting the suites write; false for anything else (double quotes,
// backslashes, expansions, operators).
bool SplitWords(std::string_view line, std::vector<std::string>& words) {
  words.clear();
  std::string word;
  bool in_word = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else if (c == '\'') {
      const size_t end = line.find('\'', i + 1);
      if (end == std::string_view::npos) return false;
      word.append(line.substr(i + 1, end - i - 1));
      in_word = true;
      i = end;
    } else if (std::string_view("\"\\$`;|&<>()*?[]{}~#!").find(c) != std::string_view::npos) {
      return false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return true;
}

// A whole decimal number from `lo` to `hi`, as zint's command line takes it.
bool Number(std::string_view text, int lo, int hi, int& value) {
  if (text.empty() || text.size() > 7) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= lo && value <= hi;
}

// zint's rows for `arguments` through libzint, with the options set as zint
// 2.11's command line (frontend/main.c) sets them: input mode UTF-8 unless
// told otherwise, --vers and --cols to option_2, --secure to option_1,
// --square to option_3 = DM_SQUARE.  A result below ZINT_ERROR is a symbol,
// as the command line prints a dump for it.  False when an argument is not
// one of these, or out of the range the command line takes.
bool ZintRowsInProcess(const std::string& arguments, bool& encoded, std::vector<std::string>& rows) {
  std::vector<std::string> words;
  if (!SplitWords(arguments, words)) return false;
  const std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(), ZBarcode_Delete);
  if (!symbol) return false;
  symbol->input_mode = UNICODE_MODE;
  std::string data, file;
  int inputs = 0, value = 0;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    const bool has_next = i + 1 < words.size();
    auto option = [&](std::string_view name, int lo, int hi) {
      return w.starts_with(name) && w.size() > name.size() && w[name.size()] == '=' &&
             Number(std::string_view(w).substr(name.size() + 1), lo, hi, value);
    };
    if (w == "-b" && has_next && Number(words[i + 1], 1, 999, value)) {
      symbol->symbology = value;
      ++i;
    } else if ((w == "-d" || w == "-i") && has_next) {
      (w == "-d" ? data : file) = words[++i];
      ++inputs;
    } else if (w == "--binary") {
      symbol->input_mode = (symbol->input_mode & ~0x07) | DATA_MODE;
    } else if (w == "--gs1") {
      symbol->input_mode = (symbol->input_mode & ~0x07) | GS1_MODE;
    } else if (w == "--gs1parens") {
      symbol->input_mode |= GS1PARENS_MODE;
    } else if (w == "--gs1nocheck") {
      symbol->input_mode |= GS1NOCHECK_MODE;
    } else if (w == "--square") {
      symbol->option_3 = DM_SQUARE;
    } else if (option("--vers", 1, 999) || option("--cols", 1, 200)) {
      symbol->option_2 = value;
    } else if (option("--secure", 0, 8)) {
      symbol->option_1 = value;
    } else if (option("--eci", 0, 999999)) {
      symbol->eci = value;
    } else {
      return false;
    }
  }
  if (inputs != 1) return false;
  const int rc = file.empty() ? ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                                                static_cast<int>(data.size()))
                              : ZBarcode_Encode_File(symbol.get(), file.c_str());
  encoded = rc < ZINT_ERROR;
  rows.clear();
  if (!encoded) return true;
  for (int r = 0; r < symbol->rows; ++r) {
    std::string row;
    for (int x = 0; x < symbol->width; ++x) {
      // A module's bit, as zint 2.11 keeps it (backend/common.h,
      // module_is_set; BSD-3-Clause): bit x % 8 of byte x / 8 of the row.
      row += (symbol->encoded_data[r][x >> 3] >> (x & 7) & 1) ? '1' : '0';
    }
    row.erase(row.find_last_not_of('0') + 1);
    rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace

std::vector<std::string> ZintProgramRows(const std::string& arguments) {
  int status = 0;
  std::string dump = RunCommand(std::string(TAVO_ZINT) + " " + arguments + " --dump 2>/dev/null", status);
  std::vector<std::string> rows;
  if (status != 0) return rows;
  std::string row;
  for (char c : dump) {
    if (c == '\n') {
      row.erase(row.find_last_not_of('0') + 1);
      rows.push_back(row);
      row.clear();
    } else if (std::isxdigit(static_cast<unsigned char>(c))) {
      int nibble = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10;
      for (int bit = 3; bit >= 0; --bit) row += (nibble >> bit & 1) ? '1' : '0';
    }
  }
  return rows;
}

std::vector<std::string> ZintRows(const std::string& arguments) {
  bool encoded = false;
  std::vector<std::string> rows;
  if (!ZintRowsInProcess(arguments, encoded, rows)) return ZintProgramRows(arguments);
  if (CrossCheck() && ZintProgramRows(arguments) != rows) {
    std::fprintf(stderr, "zint %s: libzint in this process and the zint program give different rows\n",
                 arguments.c_str());
    return {};
  }
  return rows;
}

std::string ZintImbBars(const std::string& value) {
  const std::vector<std::string> rows = ZintRows("-b 85 -d '" + value + "'");
  if (rows.size() != 3) return "";
  std::string bars;
  for (size_t column = 0; column < 2 * 65; column += 2) {
    const bool up = column < rows[0].size() && rows[0][column] == '1';
    const bool down = column < rows[2].size() && rows[2][column] == '1';
    bars += up ? (down ? 'F' : 'A') : (down ? 'D' : 'T');
  }
  return bars;
}

PictureBatch::PictureBatch(std::string_view name) {
  std::string pattern = (std::filesystem::temp_directory_path() / ("tavo-scan-" + std::string(name) + "-XXXXXX")).string();
  if (mkdtemp(pattern.data())) dir_ = pattern;
}

PictureBatch::~PictureBatch() {
  if (dir_.empty()) return;
  if (std::getenv("TAVO_SCAN_KEEP")) {
    std::printf("pictures kept in %s\n", dir_.c_str());
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

bool PictureBatch::Add(int32_t symbology, std::string_view font_string, const Drawing& drawing,
                       std::string& error) {
  if (dir_.empty()) {
    error = "no scratch directory";
    return false;
  }
  model::Symbol symbol;
  model::ModelError why;
  if (!model::BuildSymbol(symbology, font_string, drawing.model, symbol, why)) {
    error = "model refuses byte " + std::to_string(why.byte_index) + ": " + why.reason;
    return false;
  }
  char name[32];
  std::snprintf(name, sizeof name, "p%05zu.png", files_.size());
  render::Layout layout = render::LayOut(symbol, 0, true);
  if (!render::WritePng(render::Rasterize(layout, drawing.module), (dir_ / name).string(), error)) {
    return false;
  }
  files_.push_back(name);
  return true;
}

bool PictureBatch::ScanWithZbar(const std::vector<std::string>& settings,
                                std::vector<std::vector<Reading>>& readings,
                                std::string& error) const {
  readings.assign(files_.size(), {});
  if (files_.empty()) return true;
  std::string xml;
  for (const std::string& f : files_) {
    std::string one;
    if (!ZbarXml(dir_ / f, f, settings, one, error)) return false;
    xml += one;
  }
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < files_.size(); ++i) index[files_[i]] = i;
  size_t seen = 0;
  for (SourceReadings& s : ParseZbarXml(xml)) {
    auto it = index.find(s.file);
    if (it == index.end()) continue;
    readings[it->second] = std::move(s.readings);
    ++seen;
  }
  if (seen != files_.size()) {
    error = "zbarimg reported " + std::to_string(seen) + " of " + std::to_string(files_.size()) + " pictures";
    return false;
  }
  return true;
}

}  // namespace tavo::scan
