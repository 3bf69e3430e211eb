// GS1 Digital Link symbols read by real readers: seeded element strings
// (a GTIN with a batch, an expiry, a serial or a weight, data that needs
// percent-encoding among them) translated straight into a QR Code
// (check 16 | level) and a Data Matrix (check 4 | shape), drawn through
// the symbol model, read back by zbar and by dmtxread; what they read is the
// URI BC_GS1DigitalLink makes, and BC_GS1FromDigitalLink turns it back into
// the same element strings.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "matrix_samples.h"
#include "render.h"
#include "scanner.h"
#include "tavo32.h"
#include "tavo_model.h"

#ifndef TAVO_DMTXREAD
#define TAVO_DMTXREAD "dmtxread"
#endif

namespace tavo::scan {
namespace {

namespace fs = std::filesystem;

// A GTIN-14 with its GS1 check digit (weights 3, 1, ... from the right).
std::string SeededGtin(std::mt19937& rng) {
  std::string body;
  for (int i = 0; i < 13; ++i) body += static_cast<char>('0' + rng() % 10);
  int sum = 0;
  for (size_t i = 0; i < body.size(); ++i) sum += (i % 2 == 0 ? 3 : 1) * (body[body.size() - 1 - i] - '0');
  return body + static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Data of the 82-character set, mostly letters and digits, sometimes a
// character that must be percent-encoded.
std::string SeededData(std::mt19937& rng, size_t most) {
  static constexpr std::string_view kPlain = "ABCDEFGHJKLMNPQRSTUVWXYZ0123456789abcxyz-._";
  static constexpr std::string_view kEncoded = "/%&+?=!*'(),:;<>\"";
  std::string data;
  for (size_t n = 1 + rng() % most; data.size() < n;) {
    data += rng() % 8 == 0 ? kEncoded[rng() % kEncoded.size()] : kPlain[rng() % kPlain.size()];
  }
  return data;
}

// The element strings of one seeded value, parentheses in data escaped.
std::string SeededElements(std::mt19937& rng) {
  std::string v = "(01)" + SeededGtin(rng);
  auto escaped = [](const std::string& data) {
    std::string out;
    for (char c : data) out += c == '(' || c == ')' ? std::string("\\") + c : std::string(1, c);
    return out;
  };
  if (rng() % 3 != 0) v += "(10)" + escaped(SeededData(rng, 20));
  if (rng() % 2 == 0) {
    char date[16];
    std::snprintf(date, sizeof date, "(17)%02u%02u%02u", static_cast<unsigned>(rng() % 100),
                  static_cast<unsigned>(1 + rng() % 12), static_cast<unsigned>(1 + rng() % 28));
    v += date;
  }
  if (rng() % 3 == 0) v += "(21)" + escaped(SeededData(rng, 20));
  if (rng() % 4 == 0) v += "(3103)" + std::to_string(100000 + rng() % 900000);
  return v;
}

std::string Call(const std::function<int32_t(char*, int32_t, int32_t*)>& f, int32_t& rc) {
  std::vector<char> buf(40000);
  int32_t len = 0;
  rc = f(buf.data(), static_cast<int32_t>(buf.size()), &len);
  return rc ? std::string() : std::string(buf.data(), static_cast<size_t>(len));
}

// A scratch directory, removed at the end unless TAVO_SCAN_KEEP is set.
struct Scratch {
  fs::path dir;
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "tavo-dl-XXXXXX").string();
    if (mkdtemp(pattern.data())) dir = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    if (!dir.empty() && !std::getenv("TAVO_SCAN_KEEP")) fs::remove_all(dir, ignored);
  }
};

// Translates, draws at 4 (then 5, 6) pixels per module and reads back.
std::string DrawAndRead(int32_t symbology, const std::string& value, int32_t check, const fs::path& png) {
  int32_t rc = 0;
  const std::string text = Call([&](char* b, int32_t c, int32_t* l) {
    return BC_FontTranslate(symbology, value.c_str(), check, b, c, l);
  }, rc);
  if (rc) return "translation failed: " + std::to_string(rc);
  model::Symbol symbol;
  model::ModelError error;
  if (!model::BuildSymbol(symbology, text, model::ModelOptions{}, symbol, error)) return "model: " + error.reason;
  std::string read, why;
  for (double module : {4.0, 5.0, 6.0}) {
    if (!render::WritePng(render::Rasterize(render::LayOut(symbol, 0, false), module), png.string(), why)) return why;
    if (symbology == BC_SYM_QR) return ZbarReadQr(png.string(), false);
    int status = 0;
    read = RunCommand(std::string(TAVO_DMTXREAD) + " -N1 '" + png.string() + "'", status);
    if (!read.empty()) break;
  }
  return read;
}

TEST(DigitalLinkScan, SeededValuesReadByZbarAndDmtxread) {
  Scratch scratch;
  ASSERT_FALSE(scratch.dir.empty());
  std::mt19937 rng(20261208);
  for (int i = 0; i < 300; ++i) {
    const std::string value = SeededElements(rng);
    SCOPED_TRACE("#" + std::to_string(i) + " " + value);
    int32_t rc = 0;
    const std::string uri = Call([&](char* b, int32_t c, int32_t* l) {
      return BC_GS1DigitalLink(value.c_str(), nullptr, b, c, l);
    }, rc);
    ASSERT_EQ(rc, 0);
    const std::string upper = "HTTPS://ID.GS1.ORG" + uri.substr(std::string_view("https://id.gs1.org").size());
    const std::string qr = DrawAndRead(BC_SYM_QR, value, 16 + static_cast<int32_t>(rng() % 5),
                                       scratch.dir / ("q" + std::to_string(i) + ".png"));
    EXPECT_EQ(qr, upper) << "zbar";
    const std::string dm = DrawAndRead(BC_SYM_DATAMATRIX, value, 4 + static_cast<int32_t>(rng() % 2),
                                       scratch.dir / ("d" + std::to_string(i) + ".png"));
    EXPECT_EQ(dm, uri) << "dmtxread";
    // What the phone reads is the same element strings again.
    const std::string back = Call([&](char* b, int32_t c, int32_t* l) {
      return BC_GS1FromDigitalLink(dm.c_str(), b, c, l);
    }, rc);
    EXPECT_EQ(rc, 0);
    const std::string again = Call([&](char* b, int32_t c, int32_t* l) {
      return BC_GS1DigitalLink(back.c_str(), nullptr, b, c, l);
    }, rc);
    EXPECT_EQ(again, uri);
  }
}

}  // namespace
}  // namespace tavo::scan
