// Seeded GS1 element strings for DataBar Expanded, spread over its
// encodation methods: the weight methods with and without a date, the price
// methods, method 1 with any GTIN and method 00 with none.  Each value comes
// with the bytes zbar returns for it (the AIs and data, GS after a
// variable-length element that is not the last).
//
// Text other than digits stands only in the last element: zbar 0.23 stays
// in the alphanumeric mode after an FNC1 there, where ISO/IEC 24724
// 7.2.5.5.2 returns to numeric, and misreads the data after it (zint's own
// symbol of "[10]AB[21]12" reads as "10AB<GS>2S"; ZXingReader reads it).
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "scan/scanner.h"
#include "test_support.h"

namespace tavo::test {

struct ExpandedValue {
  std::string value;  // "(01)...(10)..."
  std::string zbar;
};

class ExpandedValues {
 public:
  explicit ExpandedValues(uint32_t seed) : rng_(seed) {}

  ExpandedValue Next() {
    ExpandedValue v;
    switch (rng_() % 8) {
      case 0: Fixed(v, "01", Gtin('9')), Fixed(v, "3103", Number(32767, 6)); break;
      case 1: Fixed(v, "01", Gtin('9')), rng_() % 2 ? Fixed(v, "3202", Number(9999, 6)) : Fixed(v, "3203", Number(22767, 6)); break;
      case 2:
        Fixed(v, "01", Gtin('9')), Fixed(v, std::string(rng_() % 2 ? "310" : "320") + "012345"[rng_() % 6], Number(99999, 6));
        if (rng_() % 4) Fixed(v, std::string(1, '1') + "1357"[rng_() % 4], Date());
        break;
      case 3: Fixed(v, "01", Gtin(Indicator())), Variable(v, "10", Text(20)); break;
      case 4: Fixed(v, "01", Gtin('9')), Variable(v, std::string("392") + "0123"[rng_() % 4], RandomDigits(rng_, 1 + rng_() % 8));
        Variable(v, "30", RandomDigits(rng_, 1 + rng_() % 8));
        if (rng_() % 2) Variable(v, "10", Text(12));
        break;
      case 5: Fixed(v, "01", Gtin('9')), Variable(v, std::string("393") + "0123"[rng_() % 4], (rng_() % 2 ? "978" : "840") + RandomDigits(rng_, 1 + rng_() % 8));
        Fixed(v, "3102", Number(999999, 6));
        break;
      case 6: Fixed(v, "01", Gtin(Indicator())), Fixed(v, "17", Date()), Variable(v, "10", RandomDigits(rng_, 1 + rng_() % 10)), Variable(v, "21", Text(20)); break;
      default: Variable(v, "400", RandomDigits(rng_, 1 + rng_() % 6)), Variable(v, "90", Text(30)); break;
    }
    if (!v.zbar.empty() && v.zbar.back() == '\x1d') v.zbar.pop_back();
    return v;
  }

 private:
  char Digit() { return static_cast<char>('0' + rng_() % 10); }
  // A fixed-measure item's indicator: 9 (variable measure) asks for a weight.
  char Indicator() { return static_cast<char>('0' + rng_() % 9); }
  std::string Number(unsigned most, size_t width) {
    std::string s = std::to_string(rng_() % (most + 1));
    return std::string(width - s.size(), '0') + s;
  }
  std::string Gtin(char first) {
    std::string digits = first + RandomDigits(rng_, 12);
    int sum = 0;
    for (size_t i = 0; i < 13; ++i) sum += (digits[i] - '0') * (i % 2 == 0 ? 3 : 1);
    return digits + static_cast<char>('0' + (10 - sum % 10) % 10);
  }
  std::string Date() {
    const unsigned month = 1 + rng_() % 12, day = 1 + rng_() % 28;
    return RandomDigits(rng_, 2) + (month < 10 ? "0" : "") + std::to_string(month) + (day < 10 ? "0" : "") + std::to_string(day);
  }
  // Characters of all three general-purpose modes (GS1's 82-character
  // set but the shell's quotes and the parentheses).
  std::string Text(size_t longest) {
    static constexpr std::string_view kChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz*,-./!%+:;<=>?_";
    std::string s;
    for (size_t n = 1 + rng_() % longest; s.size() < n;) s += kChars[rng_() % kChars.size()];
    return s;
  }
  static void Fixed(ExpandedValue& v, const std::string& ai, const std::string& data) {
    v.value += "(" + ai + ")" + data;
    v.zbar += ai + data;
  }
  static void Variable(ExpandedValue& v, const std::string& ai, const std::string& data) {
    Fixed(v, ai, data);
    v.zbar += '\x1d';
  }
  std::mt19937 rng_;
};

// zbar on zint's own symbol of an Expanded value: whether it reads
// `expected`.  zbar 0.23 misses some long symbols, whoever draws them.
inline bool ZbarReadsZints(const std::string& value, const std::string& expected) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "tavo-zint-expanded.png";
  int status = 0;
  scan::RunCommand(std::string(TAVO_ZINT) + " -b 31 --gs1parens -o '" + file.string() + "' -d '" + value + "'", status);
  std::string got = scan::ZbarRaw(file, {"disable", "databar-exp.enable"});
  std::filesystem::remove(file);
  if (!got.empty() && got.back() == '\n') got.pop_back();
  return got == expected;
}

}  // namespace tavo::test
