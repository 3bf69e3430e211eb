// Seeded values for the scanner and font suites of the two-dimensional
// symbologies (digits, upper-case text, mixed text, binary, UTF-8; lengths 1
// to 1,000 spread on a log scale), and zbar reading one picture.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "scanner.h"

#ifndef TAVO_ZBARIMG
#define TAVO_ZBARIMG "zbarimg"
#endif

namespace tavo::scan {

struct MatrixSample {
  std::string value;
  int32_t check;     // 0 .. max_check
  std::string kind;  // "digits", "upper", "mixed", "binary", "utf8"
};

inline std::vector<MatrixSample> SeededMatrixSamples(size_t count, uint32_t seed, int32_t max_check) {
  std::mt19937 rng(seed);
  const char* kinds[] = {"digits", "upper", "mixed", "binary", "utf8"};
  const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 $%*+-./:";
  const std::vector<std::string> utf8_pieces = {"a", "Z", "7", " ", "\xC3\xBC", "\xC3\xA9",
                                                "\xE2\x82\xAC", "\xE6\x9D\xB1", "\xE4\xBA\xAC",
                                                "\xF0\x9F\x98\x80"};
  std::vector<MatrixSample> out;
  for (size_t i = 0; i < count; ++i) {
    const std::string kind = kinds[i % 5];
    const auto len = static_cast<size_t>(std::exp(std::log(1000.0) * (rng() % 1000) / 999.0));
    std::string v;
    while (v.size() < len) {
      if (kind == "digits") {
        v += static_cast<char>('0' + rng() % 10);
      } else if (kind == "upper") {
        v += upper[rng() % upper.size()];
      } else if (kind == "mixed") {  // runs of digits, capitals and lower case
        const size_t run = 1 + rng() % 12, pick = rng() % 3;
        for (size_t k = 0; k < run && v.size() < len; ++k) {
          v += pick == 0 ? static_cast<char>('0' + rng() % 10)
             : pick == 1 ? upper[rng() % 36]
                         : static_cast<char>('a' + rng() % 26);
        }
      } else if (kind == "binary") {
        v += static_cast<char>(1 + rng() % 255);
      } else {
        const std::string& p = utf8_pieces[rng() % utf8_pieces.size()];
        if (v.size() + p.size() > len && !v.empty()) break;
        v += p;
      }
    }
    out.push_back({v, static_cast<int32_t>(rng() % static_cast<uint32_t>(max_check + 1)), kind});
  }
  return out;
}

// What zbar reads from one picture: the data bytes exactly as carried
// (`binary`), or converted to UTF-8 text.  One run per picture: zbar's
// binary mode has no XML report, and its XML report garbles bytes above 127
// (its base 64 sign-extends them).
inline std::string ZbarReadQr(const std::string& file, bool binary) {
  int status = 0;
  std::string data = RunCommand(std::string(TAVO_ZBARIMG) + " --raw -q --nodbus -Sdisable -Sqrcode.enable" +
                                    (binary ? " -Sbinary '" : " '") + file + "' 2>/dev/null",
                                status);
  if (!binary && !data.empty() && data.back() == '\n') data.pop_back();
  return data;
}

}  // namespace tavo::scan
