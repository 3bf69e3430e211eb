// The scanner suite's harness: pictures, zbarimg runs and zint bar patterns.
#include "scanner.h"

#include <sys/wait.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
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

std::vector<std::string> ZintRows(const std::string& arguments) {
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
  std::string command = "cd '" + dir_.string() + "' && " TAVO_ZBARIMG " --xml --nodbus";
  for (const std::string& s : settings) command += " -S" + s;
  for (const std::string& f : files_) command += " " + f;
  command += " 2>/dev/null";
  int status = 0;
  std::string xml = RunCommand(command, status);
  // zbarimg exits 4 when some picture held no symbol; that is a reading too.
  if (status == -1 || !WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 4)) {
    error = "zbarimg failed (status " + std::to_string(status) + "): " + command.substr(0, 200);
    return false;
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
