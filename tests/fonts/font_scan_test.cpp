// End to end, as a user prints: seeded random values of every symbology are
// translated by the library, the font string is set as text in the font the
// library names (Windows-1252 text, or Latin-1 code points) with FreeType,
// and zbar reads the picture.  MSI and PostNet, which zbar does not read,
// are measured from the picture and compared with zint's encoding.
//
// Text is set at 2, 2.5 and 3 pixels to the module (fractional pen
// positions), anti-aliased or one bit per pixel as a printer driver
// rasterises, in every height and with and without caption.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>

#include "font_support.h"
#include "scan/scanner.h"
#include "tavo32.h"
#include "upc_ean_oracle.h"

#ifndef TAVO_FONT_DIR
#define TAVO_FONT_DIR "fonts/truetype"
#endif
namespace tavo::fonts {
namespace {

using scan::Reading;

// Values per symbology: every code set, parity and glyph is met many times,
// and the whole suite stays well under two minutes on two cores.
constexpr size_t kCount = 500;

struct Sample {
  std::string value;
  bool check = false;
  int32_t height = 0;
  bool caption = false;
  bool latin1 = false;
  Setting setting;
  double module_px = 2;
  std::string font;  // the translation
  std::string face;  // the face name it is set in
};

std::string Printable(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    char buf[8];
    std::snprintf(buf, sizeof buf, c >= 32 && c < 127 && c != '\\' ? "%c" : "\\x%02X", c);
    out += buf;
  }
  return out;
}

std::string Describe(const Sample& s) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "\" check %d in \"%s\", %.1f px/module, %s, %s text", s.check ? 1 : 0,
                s.face.c_str(), s.module_px, s.setting.mono ? "mono" : "anti-aliased",
                s.latin1 ? "Latin-1" : "Windows-1252");
  return "value \"" + Printable(s.value) + buf;
}

std::string Random(std::mt19937& rng, std::string_view alphabet, size_t min_len, size_t max_len) {
  std::string s(std::uniform_int_distribution<size_t>(min_len, max_len)(rng), ' ');
  for (char& c : s) c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
  return s;
}

bool Coin(std::mt19937& rng) { return std::uniform_int_distribution<int>(0, 1)(rng) == 1; }

// ---------------------------------------------------------------------------
// Setting the samples: one picture each, in a scratch directory.

class Pictures {
 public:
  explicit Pictures(std::string_view name) {
    std::string pattern = (std::filesystem::temp_directory_path() / ("tavo-fonts-" + std::string(name) + "-XXXXXX")).string();
    if (mkdtemp(pattern.data())) dir_ = pattern;
  }
  ~Pictures() {
    std::error_code ignored;
    if (!dir_.empty() && !std::getenv("TAVO_SCAN_KEEP")) std::filesystem::remove_all(dir_, ignored);
    if (!dir_.empty() && std::getenv("TAVO_SCAN_KEEP")) std::printf("pictures kept in %s\n", dir_.c_str());
  }
  bool Add(const render::Raster& raster, std::string& error) {
    char name[32];
    std::snprintf(name, sizeof name, "f%05zu.png", files_.size());
    if (dir_.empty() || !render::WritePng(raster, (std::filesystem::path(dir_) / name).string(), error)) return false;
    files_.push_back(name);
    return true;
  }
  // Every picture read by zbar; readings in the order added.
  bool Scan(const std::vector<std::string>& settings, std::vector<std::vector<Reading>>& readings,
            std::string& error) const {
    std::string xml;
    for (const std::string& f : files_) {
      std::string one;
      if (!scan::ZbarXml(std::filesystem::path(dir_) / f, f, settings, one, error)) return false;
      xml += one;
    }
    std::map<std::string, std::vector<Reading>> by_file;
    for (scan::SourceReadings& s : scan::ParseZbarXml(xml)) by_file[s.file] = std::move(s.readings);
    if (by_file.size() != files_.size()) {
      error = "zbar reported " + std::to_string(by_file.size()) + " of " + std::to_string(files_.size()) +
              " pictures";
      return false;
    }
    readings.clear();
    for (const std::string& f : files_) readings.push_back(by_file[f]);
    return true;
  }

 private:
  std::string dir_;
  std::vector<std::string> files_;
};

// Open faces by family name, and their design numbers.
struct OpenFace {
  FaceDesign design;
  std::unique_ptr<Face> face;
};

OpenFace* FaceFor(const std::string& family) {
  static std::map<std::string, OpenFace> open;
  auto it = open.find(family);
  if (it != open.end()) return &it->second;
  for (const FaceDesign& d : ReadManifest(TAVO_FONT_DIR)) {
    if (d.family == family) {
      OpenFace& f = open[family];
      f.design = d;
      f.face = std::make_unique<Face>(d.file);
      return f.face->ok() ? &f : nullptr;
    }
  }
  return nullptr;
}

// Translates the sample, picks height, caption and setting at random, and
// sets it: the picture in `raster`, with a quiet zone of twelve modules.
bool SetSample(int32_t symbology, Sample& s, std::mt19937& rng, render::Raster& raster, std::string& error) {
  std::vector<char> out(s.value.size() * 8 + 64);
  int32_t len = 0;
  const int32_t rc = BC_FontTranslate(symbology, s.value.c_str(), s.check ? 1 : 0, out.data(),
                                      static_cast<int32_t>(out.size()), &len);
  if (rc != 0) {
    error = "translation failed with " + std::to_string(rc);
    return false;
  }
  s.font.assign(out.data(), static_cast<size_t>(len));
  s.height = std::uniform_int_distribution<int32_t>(0, 2)(rng);
  s.caption = Coin(rng);
  s.latin1 = Coin(rng);
  s.module_px = 2 + 0.5 * std::uniform_int_distribution<int>(0, 2)(rng);
  s.setting.mono = Coin(rng);
  s.face = LibraryFaceName(symbology == 0 ? 1 : symbology, s.height, s.caption);
  OpenFace* face = FaceFor(s.face);
  if (!face) {
    error = "no font named \"" + s.face + "\" in " TAVO_FONT_DIR;
    return false;
  }
  s.setting.pixels_per_em = s.module_px * face->face->get()->units_per_EM / face->design.module;
  return SetText(face->face->get(), TextOf(s.font, s.latin1), s.setting, static_cast<int>(std::ceil(12 * s.module_px)),
                 raster, error);
}

struct Tally {
  size_t cases = 0, decoded = 0, mismatches = 0;
};

void Report(std::string_view name, const Tally& t, double seconds) {
  std::printf("[fonts] %.*s: %zu cases, %zu decoded as the value, %zu mismatches; %.2f s\n",
              static_cast<int>(name.size()), name.data(), t.cases, t.decoded, t.mismatches, seconds);
}

std::string ReadingsText(const std::vector<Reading>& readings) {
  if (readings.empty()) return "nothing";
  std::string out;
  for (const Reading& r : readings) out += (out.empty() ? "" : ", ") + r.type + " \"" + Printable(r.data) + "\"";
  return out;
}

// Readings must be exactly `want` (type and data), in any order.
std::string Exactly(const std::vector<Reading>& readings, std::vector<Reading> want) {
  auto key = [](const Reading& r) { return r.type + '\n' + r.data; };
  std::vector<std::string> got_keys, want_keys;
  for (const Reading& r : readings) got_keys.push_back(key(r));
  for (const Reading& r : want) want_keys.push_back(key(r));
  std::sort(got_keys.begin(), got_keys.end());
  std::sort(want_keys.begin(), want_keys.end());
  return got_keys == want_keys ? "" : "read " + ReadingsText(readings) + ", wanted " + ReadingsText(want);
}

using Generator = std::function<Sample(std::mt19937&)>;
using Checker = std::function<std::string(const Sample&, const std::vector<Reading>&)>;

// Values that between them use every glyph of a font: the ASCII characters
// 1..127 in order, sixteen to a value (no shift character meets a capital).
std::vector<Sample> EveryAscii() {
  std::vector<Sample> out;
  for (int first = 1; first < 128; first += 16) {
    Sample s;
    for (int c = first; c < first + 16 && c < 128; ++c) s.value += static_cast<char>(c);
    out.push_back(s);
  }
  return out;
}

void ScanAndJudge(std::string_view name, int32_t symbology, uint32_t seed, const Generator& generate,
                  const std::vector<Sample>& fixed, const std::vector<std::string>& settings, const Checker& check) {
  const auto start = std::chrono::steady_clock::now();
  std::mt19937 rng(seed);
  Pictures pictures(name);
  std::vector<Sample> samples;
  for (size_t i = 0; i < kCount + fixed.size(); ++i) {
    Sample s = i < kCount ? generate(rng) : fixed[i - kCount];
    render::Raster raster;
    std::string error;
    ASSERT_TRUE(SetSample(symbology, s, rng, raster, error)) << Describe(s) << ": " << error;
    ASSERT_TRUE(pictures.Add(raster, error)) << error;
    samples.push_back(std::move(s));
  }
  std::vector<std::vector<Reading>> readings;
  std::string error;
  ASSERT_TRUE(pictures.Scan(settings, readings, error)) << error;
  Tally tally;
  for (size_t i = 0; i < samples.size(); ++i) {
    ++tally.cases;
    const std::string problem = check(samples[i], readings[i]);
    if (problem.empty()) {
      ++tally.decoded;
    } else {
      ++tally.mismatches;
      ADD_FAILURE() << name << ": " << Describe(samples[i]) << ": " << problem;
    }
  }
  Report(name, tally, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

// ---------------------------------------------------------------------------
// What a reader returns, from the symbologies' published rules.

char Mod10Weighted31(std::string_view digits) {
  int sum = 0, weight = 3;
  for (size_t i = digits.size(); i-- > 0;) {
    sum += (digits[i] - '0') * weight;
    weight = 4 - weight;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

constexpr std::string_view kCode39Chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// Code 39 Full ASCII: a shift character and a capital letter are one
// character.  The values below hold no other shift pairs.
std::string FullAsciiDecode(std::string_view text) {
  constexpr std::string_view kPercent("\x1B\x1C\x1D\x1E\x1F;<=>?[\\]^_{|}~\x7F\0@`", 23);
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char n = i + 1 < text.size() ? text[i + 1] : '\0';
    if (std::string_view("$%+/").find(c) == std::string_view::npos || n < 'A' || n > 'Z') {
      out += c;
      continue;
    }
    const int k = n - 'A';
    if (c == '$') out += static_cast<char>(1 + k);
    if (c == '+') out += static_cast<char>('a' + k);
    if (c == '/') out += n == 'Z' ? ':' : static_cast<char>('!' + k);
    if (c == '%') out += k < static_cast<int>(kPercent.size()) ? kPercent[static_cast<size_t>(k)] : '\x7F';
    ++i;
  }
  return out;
}

// Any ASCII character but a shift character before a capital letter, which
// a Full ASCII reader would take as a pair (the scanner suite covers those).
Sample RandomCode39(std::mt19937& rng) {
  Sample s;
  std::string all;
  for (int c = 1; c < 128; ++c) all += static_cast<char>(c);
  s.value = Random(rng, all, 1, 16);
  for (size_t i = 0; i + 1 < s.value.size(); ++i) {
    if (std::string_view("$%+/").find(s.value[i]) != std::string_view::npos && s.value[i + 1] >= 'A' &&
        s.value[i + 1] <= 'Z') {
      s.value[i + 1] = '9';
    }
  }
  s.check = Coin(rng);
  return s;
}

std::string CheckCode39(const Sample& s, const std::vector<Reading>& r) {
  if (r.size() != 1 || r[0].type != "CODE-39") return "read " + ReadingsText(r) + ", wanted one Code 39 symbol";
  std::string text = r[0].data;
  if (s.check) {
    size_t sum = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) sum += kCode39Chars.find(text[i]);
    if (text.empty() || text.back() != kCode39Chars[sum % 43]) return "check character of \"" + text + "\" is wrong";
    text.pop_back();
  }
  return FullAsciiDecode(text) == s.value ? "" : "read \"" + Printable(text) + "\"";
}

TEST(FontScan, Code39FullAsciiInTheCode39Fonts) {
  std::vector<Sample> fixed = EveryAscii();
  for (Sample& s : fixed) s.check = true;
  ScanAndJudge("Code 39 Full ASCII", 0, 39, RandomCode39, fixed, {"disable", "code39.enable"}, CheckCode39);
}

TEST(FontScan, Code39) {
  ScanAndJudge("Code 39", 1, 391, RandomCode39, EveryAscii(), {"disable", "code39.enable"}, CheckCode39);
}

TEST(FontScan, Interleaved2of5) {
  Generator random = [](std::mt19937& rng) {
    Sample s;
    s.value = Random(rng, "0123456789", 1, 20);
    s.check = Coin(rng);
    return s;
  };
  std::vector<Sample> every_pair(4);  // 00..99, 25 pairs to a value
  for (int pair = 0; pair < 100; ++pair) every_pair[static_cast<size_t>(pair / 25)].value += std::to_string(100 + pair).substr(1);
  ScanAndJudge("Interleaved 2 of 5", 2, 25, random, every_pair, {"disable", "i25.enable", "i25.min-length=2"},
               [](const Sample& s, const std::vector<Reading>& r) {
                 std::string want = s.value;
                 if ((want.size() + (s.check ? 1 : 0)) % 2 == 1) want.insert(want.begin(), '0');
                 if (s.check) want += Mod10Weighted31(want);
                 return Exactly(r, {{"I2/5", want, ""}});
               });
}

TEST(FontScan, Codabar) {
  Generator random = [](std::mt19937& rng) {
    Sample s;
    if (Coin(rng)) s.value += Random(rng, "ABCDabcd", 1, 1);
    s.value += Random(rng, "0123456789-$:/.+", 1, 16);
    if (Coin(rng)) s.value += Random(rng, "ABCDabcd", 1, 1);
    s.check = Coin(rng);
    return s;
  };
  std::vector<Sample> fixed;
  for (std::string_view frame : {"AA", "Bb", "cC", "dd"}) {
    Sample s;
    s.value = frame[0] + std::string("0123456789-$:/.+") + frame[1];
    fixed.push_back(s);
  }
  ScanAndJudge("Codabar", 3, 3, random, fixed, {"disable", "codabar.enable", "codabar.min-length=1"},
               [](const Sample& s, const std::vector<Reading>& r) {
                 constexpr std::string_view kChars = "0123456789-$:/.+ABCD";
                 auto letter = [](char c) { return std::string_view("ABCDabcd").find(c) != std::string_view::npos; };
                 std::string_view v = s.value;
                 std::string start = "A", stop = "A";
                 if (letter(v.front())) start = static_cast<char>(std::toupper(v.front())), v.remove_prefix(1);
                 if (!v.empty() && letter(v.back())) stop = static_cast<char>(std::toupper(v.back())), v.remove_suffix(1);
                 std::string want = start + std::string(v);
                 if (s.check) {
                   size_t sum = kChars.find(stop[0]);
                   for (char c : want) sum += kChars.find(c);
                   want += kChars[(16 - sum % 16) % 16];
                 }
                 return Exactly(r, {{"Codabar", want + stop, ""}});
               });
}

TEST(FontScan, Code93) {
  Generator random = [](std::mt19937& rng) {
    Sample s;
    std::string all;
    for (int c = 1; c < 128; ++c) all += static_cast<char>(c);
    s.value = Random(rng, all, 1, 20);
    return s;
  };
  ScanAndJudge("Code 93", 5, 93, random, EveryAscii(), {"disable", "code93.enable"},
               [](const Sample& s, const std::vector<Reading>& r) { return Exactly(r, {{"CODE-93", s.value, ""}}); });
}

TEST(FontScan, Code128) {
  // Runs of one kind, so every code set, shift and change is met.
  Generator random = [](std::mt19937& rng) {
    Sample s;
    const size_t runs = std::uniform_int_distribution<size_t>(1, 5)(rng);
    for (size_t i = 0; i < runs; ++i) {
      switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
        case 0: case 1: s.value += Random(rng, "0123456789", 1, 9); break;
        case 2: s.value += Random(rng, "ABCXYZ !#$%&()*+,-./:;<=>?@[]^_", 1, 5); break;
        case 3: s.value += Random(rng, "abcxyz`{|}~\x7F", 1, 5); break;
        default: s.value += Random(rng, "\x01\x02\x09\x0A\x0D\x1B\x1D\x1F", 1, 3); break;
      }
    }
    return s;
  };
  ScanAndJudge("Code 128", 11, 128, random, EveryAscii(), {"disable", "code128.enable"},
               [](const Sample& s, const std::vector<Reading>& r) { return Exactly(r, {{"CODE-128", s.value, ""}}); });
}

// ---------------------------------------------------------------------------
// UPC and EAN with their add-ons.

Generator RetailValues(size_t n) {
  return [n](std::mt19937& rng) {
    static constexpr size_t kAddOn[] = {0, 0, 2, 5};
    Sample s;
    const size_t k = n + kAddOn[std::uniform_int_distribution<size_t>(0, 3)(rng)];
    s.value = Random(rng, "0123456789", k, k);
    return s;
  };
}

void AddOn(std::string_view value, size_t main_digits, std::vector<Reading>& want) {
  if (value.size() == main_digits + 2) want.push_back({"EAN-2", std::string(value.substr(main_digits)), ""});
  if (value.size() == main_digits + 5) want.push_back({"EAN-5", std::string(value.substr(main_digits)), ""});
}

Checker Retail(size_t n, const char* type) {
  return [n, type](const Sample& s, const std::vector<Reading>& r) {
    const std::string main = s.value.substr(0, n);
    std::vector<Reading> want = {{type, main + Mod10Weighted31(main), ""}};
    AddOn(s.value, n, want);
    return Exactly(r, want);
  };
}

TEST(FontScan, Ean13) {
  ScanAndJudge("EAN-13", 10, 13, RetailValues(12), {}, {"disable", "ean13.enable", "ean2.enable", "ean5.enable"},
               Retail(12, "EAN-13"));
}

TEST(FontScan, Ean8) {
  ScanAndJudge("EAN-8", 9, 8, RetailValues(7), {}, {"disable", "ean8.enable", "ean2.enable", "ean5.enable"},
               Retail(7, "EAN-8"));
}

TEST(FontScan, UpcA) {
  ScanAndJudge("UPC-A", 6, 12, RetailValues(11), {},
               {"disable", "ean13.enable", "upca.enable", "ean2.enable", "ean5.enable"}, Retail(11, "UPC-A"));
}

// UPC-E zero suppression undone: the oracle of upc_ean_oracle.h.
std::string ExpandUpcE(std::string_view e) { return test::UpcANumberOf(e); }

TEST(FontScan, UpcE) {
  ScanAndJudge("UPC-E", 7, 6, RetailValues(6), {}, {"disable", "ean13.enable", "upce.enable", "ean2.enable", "ean5.enable"},
               [](const Sample& s, const std::vector<Reading>& r) -> std::string {
                 auto main = std::find_if(r.begin(), r.end(), [](const Reading& x) { return x.type == "UPC-E"; });
                 const std::string number = ExpandUpcE(s.value);
                 if (main == r.end() || main->data.size() != 8 || main->data[0] != '0' ||
                     ExpandUpcE(std::string_view(main->data).substr(1, 6)) != number ||
                     main->data[7] != Mod10Weighted31(number)) {
                   return "read " + ReadingsText(r) + ", wanted a UPC-E of " + number;
                 }
                 std::vector<Reading> want = {*main};
                 AddOn(s.value, 6, want);
                 return Exactly(r, want);
               });
}

// ---------------------------------------------------------------------------
// GS1-128 in the Code 128 fonts and the full GTINs in the UPC EAN JAN font.

// A GTIN or SSCC with a lot, a serial, a date, a weight or a count, in
// random order after the key: variable-length elements before the last are
// separated by FNC1, which zbar reports as GS (0x1D); FNC1 first makes the
// symbol GS1.
TEST(FontScan, Gs1_128) {
  struct Part { std::string ai; size_t min, max; bool fixed; std::string_view alphabet; };
  static const Part kParts[] = {{"10", 1, 12, false, "0123456789ABCXYZ-./"},
                                {"21", 1, 12, false, "0123456789abcxyz"},
                                {"17", 6, 6, true, ""},
                                {"3103", 6, 6, true, "0123456789"},
                                {"30", 1, 6, false, "0123456789"}};
  Generator random = [](std::mt19937& rng) {
    Sample s;
    std::string key = Random(rng, "0123456789", 13, 13);
    key += Mod10Weighted31(key);
    s.value = "(01)" + key;
    std::vector<size_t> order = {0, 1, 2, 3, 4};
    std::shuffle(order.begin(), order.end(), rng);
    const size_t n = std::uniform_int_distribution<size_t>(0, 2)(rng);
    for (size_t k = 0; k < n; ++k) {
      const Part& p = kParts[order[k]];
      const std::string data = p.ai == "17" ? "2512" + Random(rng, "12", 1, 1) + Random(rng, "0123456789", 1, 1)
                               : Random(rng, p.alphabet, p.min, p.max);
      s.value += "(" + p.ai + ")" + data;
    }
    return s;
  };
  ScanAndJudge("GS1-128", 12, 1212, random, {}, {"disable", "code128.enable"},
               [](const Sample& s, const std::vector<Reading>& r) {
                 // The element strings with GS after each variable-length one but the last.
                 std::string want;
                 for (size_t at = 0; at < s.value.size();) {
                   const size_t close = s.value.find(')', at);
                   const size_t next = s.value.find('(', close);
                   const std::string ai = s.value.substr(at + 1, close - at - 1);
                   want += ai + s.value.substr(close + 1, next - close - 1);
                   const bool fixed = ai == "01" || ai == "17" || ai == "3103";
                   if (next != std::string::npos && !fixed) want += '\x1D';
                   at = next;
                 }
                 if (r.size() != 1 || r[0].type != "CODE-128" || r[0].modifiers != "GS1") {
                   return "read " + ReadingsText(r) + ", wanted one GS1-128 symbol";
                 }
                 return r[0].data == want ? "" : "read \"" + Printable(r[0].data) + "\"";
               });
}

// The number with its check digit, and an add-on after a space or '+'.
Generator GtinValues(size_t digits) {
  return [digits](std::mt19937& rng) {
    Sample s;
    s.value = Random(rng, "0123456789", digits - 1, digits - 1);
    s.value += Mod10Weighted31(s.value);
    static constexpr size_t kAddOn[] = {0, 0, 2, 5};
    const size_t k = kAddOn[std::uniform_int_distribution<size_t>(0, 3)(rng)];
    if (k) s.value += (Coin(rng) ? " " : "+") + Random(rng, "0123456789", k, k);
    return s;
  };
}

Checker FullGtin(size_t digits, const char* type) {
  return [digits, type](const Sample& s, const std::vector<Reading>& r) {
    std::vector<Reading> want = {{type, s.value.substr(0, digits), ""}};
    if (s.value.size() > digits) {
      const std::string add_on = s.value.substr(digits + 1);
      want.push_back({add_on.size() == 2 ? "EAN-2" : "EAN-5", add_on, ""});
    }
    return Exactly(r, want);
  };
}

TEST(FontScan, FullGtins) {
  ScanAndJudge("GTIN-13", 16, 1613, GtinValues(13), {}, {"disable", "ean13.enable", "ean2.enable", "ean5.enable"},
               FullGtin(13, "EAN-13"));
  ScanAndJudge("GTIN-8", 17, 1708, GtinValues(8), {}, {"disable", "ean8.enable", "ean2.enable", "ean5.enable"},
               FullGtin(8, "EAN-8"));
  ScanAndJudge("GTIN-12", 18, 1812, GtinValues(12), {},
               {"disable", "ean13.enable", "upca.enable", "ean2.enable", "ean5.enable"}, FullGtin(12, "UPC-A"));
  // UPC-E of number system 0 (zbar reads no other), its body in normal form.
  Generator upce = [](std::mt19937& rng) {
    Sample s;
    std::string body;
    do {
      body = Random(rng, "0123456789", 6, 6);
    } while ((body[5] == '3' && body[2] <= '2') || (body[5] == '4' && body[3] == '0') ||
             (body[5] >= '5' && body[4] == '0'));
    s.value = "0" + body + Mod10Weighted31(ExpandUpcE(body));
    if (Coin(rng)) s.value += " " + Random(rng, "0123456789", 2, 2);
    return s;
  };
  ScanAndJudge("UPC-E (8 digits)", 19, 1908, upce, {},
               {"disable", "ean13.enable", "upce.enable", "ean2.enable", "ean5.enable"}, FullGtin(8, "UPC-E"));
}

// ---------------------------------------------------------------------------
// MSI and PostNet: the picture measured against zint's bars.

// Dark runs and light runs along pixel row `row`, from the first dark pixel
// (at `first`) to the last: widths in pixels, bar first.
std::vector<int> Runs(const render::Raster& raster, int row, int& first) {
  std::vector<int> runs;
  first = -1;
  bool dark = false;
  int length = 0;
  int last_dark_run = -1;
  for (int x = 0; x < raster.width; ++x) {
    const bool d = raster.At(x, row) < 128;
    if (runs.empty() && length == 0 && !d) continue;
    if (first < 0) first = x;
    if (d != dark && length > 0) {
      runs.push_back(length);
      length = 0;
    }
    dark = d;
    ++length;
    if (d) last_dark_run = static_cast<int>(runs.size());
  }
  if (length > 0) runs.push_back(length);
  runs.resize(static_cast<size_t>(last_dark_run + 1));
  return runs;
}

void CompareWithZint(std::string_view name, int32_t symbology, uint32_t seed, const Generator& generate,
                     const std::function<std::string(const Sample&, const render::Raster&, const OpenFace&)>& compare) {
  const auto start = std::chrono::steady_clock::now();
  std::mt19937 rng(seed);
  Tally tally;
  for (size_t i = 0; i < kCount; ++i) {
    Sample s = generate(rng);
    render::Raster raster;
    std::string error;
    ASSERT_TRUE(SetSample(symbology, s, rng, raster, error)) << Describe(s) << ": " << error;
    ++tally.cases;
    const std::string problem = compare(s, raster, *FaceFor(s.face));
    if (problem.empty()) {
      ++tally.decoded;
    } else {
      ++tally.mismatches;
      ADD_FAILURE() << name << ": " << Describe(s) << ": " << problem;
    }
  }
  Report(name, tally, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

int Margin(const Sample& s) { return static_cast<int>(std::ceil(12 * s.module_px)); }

// MSI: zint draws wide elements two modules wide, the fonts three; the
// narrow/wide sequences must agree, and each width be near its modules.
TEST(FontScan, MsiBarsMatchZint) {
  Generator random = [](std::mt19937& rng) {
    Sample s;
    s.value = Random(rng, "0123456789", 1, 14);
    s.check = Coin(rng);
    return s;
  };
  CompareWithZint("MSI", 4, 47, random, [](const Sample& s, const render::Raster& raster, const OpenFace& f) {
    const FaceDesign& d = f.design;
    const int row = RowAt(f.face->get(), s.setting, Margin(s), (d.bar_bottom + d.bar_top) / 2.0);
    std::string ours;
    int first = 0;
    for (int w : Runs(raster, row, first)) {
      const double modules = w / s.module_px;
      if (std::abs(modules - 1) > 0.75 && std::abs(modules - 3) > 0.75) return "an element " + std::to_string(modules) + " modules wide";
      ours += modules < 2 ? 'n' : 'w';
    }
    const auto rows = scan::ZintRows("-b 47 --vers=" + std::string(s.check ? "2" : "1") + " -d " + s.value);
    if (rows.size() != 1) return std::string("zint gave no pattern");
    std::string zint;
    for (size_t i = 0; i < rows[0].size();) {
      size_t j = i;
      while (j < rows[0].size() && rows[0][j] == rows[0][i]) ++j;
      zint += j - i == 1 ? 'n' : 'w';
      i = j;
    }
    return ours == zint ? std::string() : "elements " + ours + ", zint " + zint;
  });
}

// PostNet: tall and short bars in zint's order; zint's first row marks the
// tall bars, its second every bar.
TEST(FontScan, PostNetBarsMatchZint) {
  Generator random = [](std::mt19937& rng) {
    static constexpr size_t kDigits[] = {5, 9, 11};
    Sample s;
    const size_t n = kDigits[std::uniform_int_distribution<size_t>(0, 2)(rng)];
    s.value = Random(rng, "0123456789", n, n);
    if (n == 9 && Coin(rng)) s.value.insert(5, "-");
    return s;
  };
  CompareWithZint("PostNet", 8, 40, random, [](const Sample& s, const render::Raster& raster, const OpenFace& f) {
    const FaceDesign& d = f.design;
    FT_Face face = f.face->get();
    const int low = RowAt(face, s.setting, Margin(s), d.half_top / 2.0);
    const int high = RowAt(face, s.setting, Margin(s), (d.half_top + d.bar_top) / 2.0);
    std::string ours;
    int x = 0;
    bool bar = true;
    for (const int w : Runs(raster, low, x)) {
      if (bar) ours += raster.At(x + w / 2, high) < 128 ? 'T' : 's';
      bar = !bar;
      x += w;
    }
    std::string digits;
    for (char c : s.value) {
      if (c >= '0' && c <= '9') digits += c;
    }
    const auto rows = scan::ZintRows("-b 40 -d " + digits);
    if (rows.size() != 2) return std::string("zint gave no pattern");
    std::string zint;
    for (size_t i = 0; i < rows[1].size(); ++i) {
      if (rows[1][i] == '1') zint += i < rows[0].size() && rows[0][i] == '1' ? 'T' : 's';
    }
    return ours == zint ? std::string() : "bars " + ours + ", zint " + zint;
  });
}

// Intelligent Mail: every bar has its tracker, so the row through the
// trackers finds the bars; rows through the ascender part and the descender
// part say which the bar has.  Letter by letter against zint.
TEST(FontScan, ImbBarsMatchZint) {
  Generator random = [](std::mt19937& rng) {
    static constexpr size_t kRouting[] = {0, 5, 9, 11};
    Sample s;
    s.value = Random(rng, "0123456789", 1, 1) + Random(rng, "01234", 1, 1) + Random(rng, "0123456789", 18, 18);
    const size_t n = kRouting[std::uniform_int_distribution<size_t>(0, 3)(rng)];
    if (n > 0) s.value += "-" + Random(rng, "0123456789", n, n);
    return s;
  };
  CompareWithZint("Intelligent Mail", BC_SYM_IMB, 85, random,
                  [](const Sample& s, const render::Raster& raster, const OpenFace& f) {
    const FaceDesign& d = f.design;
    FT_Face face = f.face->get();
    const double tracker_bottom = d.bar_top - d.half_top;  // the design is symmetric
    const int descender = RowAt(face, s.setting, Margin(s), tracker_bottom / 2.0);
    const int tracker = RowAt(face, s.setting, Margin(s), (tracker_bottom + d.half_top) / 2.0);
    const int ascender = RowAt(face, s.setting, Margin(s), (d.half_top + d.bar_top) / 2.0);
    std::string ours;
    int x = 0;
    bool bar = true;
    for (const int w : Runs(raster, tracker, x)) {
      if (bar) {
        const bool up = raster.At(x + w / 2, ascender) < 128;
        const bool down = raster.At(x + w / 2, descender) < 128;
        ours += up ? (down ? 'F' : 'A') : (down ? 'D' : 'T');
      }
      bar = !bar;
      x += w;
    }
    const std::string zint = scan::ZintImbBars(s.value);
    if (zint.empty()) return std::string("zint gave no symbol");
    return ours == zint ? std::string() : "bars " + ours + ", zint " + zint;
  });
}

// ---------------------------------------------------------------------------
// ITF-14: the GTIN-14 reads as 14 digits of Interleaved 2 of 5 (zbar sees
// no bearers); a 13-digit value gets its check digit.

Sample RandomItf14(std::mt19937& rng) {
  Sample s;
  s.value = Random(rng, "0123456789", 13, 13);
  if (Coin(rng)) s.value += Mod10Weighted31(s.value);
  return s;
}

// The first six pairs are free, so 17 values print every pair 00..99.
std::vector<Sample> EveryItf14Pair() {
  std::vector<Sample> out(17);
  for (int pair = 0; pair < 102; ++pair) out[static_cast<size_t>(pair / 6)].value += std::to_string(100 + pair % 100).substr(1);
  for (Sample& s : out) s.value += '0';
  return out;
}

TEST(FontScan, Itf14) {
  ScanAndJudge("ITF-14", BC_SYM_ITF14, 14, RandomItf14, EveryItf14Pair(), {"disable", "i25.enable"},
               [](const Sample& s, const std::vector<Reading>& r) {
                 const std::string data = s.value.substr(0, 13);
                 return Exactly(r, {{"I2/5", data + Mod10Weighted31(data), ""}});
               });
}

// Across the middle of the frame: the vertical bearer, the quiet zone, the
// bars, the quiet zone and the bearer.  The bars' narrow/wide sequence is
// zint's (which draws wide elements 3 modules wide, the font 2.5); zint's
// dump leaves out its box and quiet zones, which the runs here check.
std::string Itf14Elements(const Sample& s, const render::Raster& raster, const OpenFace& f) {
  const FaceDesign& d = f.design;
  int first = 0;
  const std::vector<int> runs =
      Runs(raster, RowAt(f.face->get(), s.setting, Margin(s), (d.bar_bottom + d.bar_top) / 2.0), first);
  if (runs.size() < 5) return "only " + std::to_string(runs.size()) + " runs";
  auto near = [&s](int w, double modules) { return std::abs(w / s.module_px - modules) <= 0.75; };
  const size_t n = runs.size();
  if (!near(runs[0], 5) || !near(runs[n - 1], 5)) return std::string("vertical bearers not 5 modules");
  if (!near(runs[1], 10) || !near(runs[n - 2], 10)) return std::string("quiet zones not 10 modules");
  std::string ours;
  for (size_t i = 2; i + 2 < n; ++i) {
    if (!near(runs[i], 1) && !near(runs[i], 2.5)) return "an element " + std::to_string(runs[i] / s.module_px) + " modules wide";
    ours += near(runs[i], 1) ? 'n' : 'w';
  }
  const auto rows = scan::ZintRows("-b 89 -d " + s.value.substr(0, 13));
  if (rows.size() != 1) return std::string("zint gave no pattern");
  std::string zint;
  for (size_t i = 0; i < rows[0].size();) {
    size_t j = i;
    while (j < rows[0].size() && rows[0][j] == rows[0][i]) ++j;
    zint += j - i == 1 ? 'n' : 'w';
    i = j;
  }
  return ours == zint ? std::string() : "elements " + ours + ", zint " + zint;
}

TEST(FontScan, Itf14BarsMatchZint) { CompareWithZint("ITF-14 against zint", BC_SYM_ITF14, 89, RandomItf14, Itf14Elements); }

}  // namespace
}  // namespace tavo::fonts
