// Seeded values for the scanner and font suites of the two-dimensional
// symbologies (digits, upper-case text, mixed text, binary, UTF-8; lengths 1
// to 1,000 spread on a log scale), and zbar reading one picture.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "scanner.h"

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

// GS1 QR Code values: a GTIN (01) with some of batch, dates, serial,
// weight, internal data (any character of the 82-character set, "%" too),
// in random order after the GTIN, at a random level (check 8 to 12).
struct Gs1QrSample {
  std::string value;    // the bracketed form the library takes
  std::string strings;  // the element strings a reader returns, 0x1D after each variable-length one
  int32_t check;
};

inline std::string Gs1CheckDigitOf(std::string_view digits) {
  int sum = 0;
  for (size_t i = 0; i < digits.size(); ++i) {
    sum += (digits[digits.size() - 1 - i] - '0') * (i % 2 == 0 ? 3 : 1);
  }
  return std::string(1, static_cast<char>('0' + (10 - sum % 10) % 10));
}

inline std::vector<Gs1QrSample> SeededGs1QrSamples(size_t count, uint32_t seed) {
  std::mt19937 rng(seed);
  // The 82-character set without the parentheses (which the bracketed form
  // would escape) and with "%" twice as likely.
  const std::string cset = "!\"%%&'*+,-./0123456789:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
  auto text = [&](size_t max) {
    std::string t;
    for (size_t n = 1 + rng() % max; t.size() < n;) t += cset[rng() % cset.size()];
    return t;
  };
  auto digits = [&](size_t n) {
    std::string t;
    while (t.size() < n) t += static_cast<char>('0' + rng() % 10);
    return t;
  };
  auto date = [&] { return digits(2) + "0" + std::to_string(1 + rng() % 9) + std::to_string(10 + rng() % 18); };
  std::vector<Gs1QrSample> out;
  for (size_t i = 0; i < count; ++i) {
    struct Element { std::string ai, data; bool fixed; };
    const std::string gtin = digits(13);
    std::vector<Element> elements = {{"01", gtin + Gs1CheckDigitOf(gtin), true}};
    std::vector<Element> more = {{"10", text(20), false}, {"17", date(), true}, {"21", text(20), false},
                                 {"3103", digits(6), true}, {"91", text(90), false}, {"11", date(), true}};
    std::shuffle(more.begin(), more.end(), rng);
    more.resize(rng() % (more.size() + 1));
    elements.insert(elements.end(), more.begin(), more.end());
    Gs1QrSample s{"", "", static_cast<int32_t>(8 + rng() % 5)};
    for (size_t k = 0; k < elements.size(); ++k) {
      s.value += "(" + elements[k].ai + ")" + elements[k].data;
      s.strings += elements[k].ai + elements[k].data;
      if (!elements[k].fixed && k + 1 < elements.size()) s.strings += '\x1D';
    }
    out.push_back(s);
  }
  return out;
}

// UTF-8 text for Kanji mode: runs of characters of JIS X 0208 (`jis`, any
// of them: kanji, kana, Greek, Cyrillic, full-width forms) between runs of
// ASCII letters, digits and punctuation, at a random level (check 32 to
// 36), 1 to 400 characters.  One value in ten also holds a character that
// Kanji mode cannot carry beside ASCII (a backslash, a tilde, e-acute, an
// emoji), which sends the whole value as UTF-8 bytes with ECI 26 instead.
struct KanjiSample {
  std::string value;
  int32_t check;
  bool kanji_only;  // every character above 127 is of JIS X 0208, no backslash or tilde
};

template <typename JisTable>
std::vector<KanjiSample> SeededKanjiSamples(size_t count, uint32_t seed, const JisTable& jis) {
  std::mt19937 rng(seed);
  const std::string ascii = "ABCXYZabcxyz0123456789 -./:!?#";
  const std::string foreign[] = {"\\", "~", "\xC3\xA9", "\xF0\x9F\x98\x80"};
  auto utf8 = [](uint32_t cp) {
    std::string t;
    if (cp < 0x800) return t + static_cast<char>(0xC0 | cp >> 6) + static_cast<char>(0x80 | (cp & 0x3F));
    return t + static_cast<char>(0xE0 | cp >> 12) + static_cast<char>(0x80 | (cp >> 6 & 0x3F)) +
           static_cast<char>(0x80 | (cp & 0x3F));
  };
  std::vector<KanjiSample> out;
  for (size_t i = 0; i < count; ++i) {
    const auto chars = static_cast<size_t>(std::exp(std::log(400.0) * (rng() % 1000) / 999.0));
    KanjiSample s{"", static_cast<int32_t>(32 + rng() % 5), i % 10 != 9};
    for (size_t n = 0; n < chars;) {
      const size_t run = 1 + rng() % 8;
      const bool japanese = rng() % 3 != 0;
      for (size_t k = 0; k < run && n < chars; ++k, ++n) {
        s.value += japanese ? utf8(jis[rng() % std::size(jis)].unicode) : std::string(1, ascii[rng() % ascii.size()]);
      }
    }
    if (!s.kanji_only) {
      size_t at = rng() % (s.value.size() + 1);  // a character boundary
      while (at < s.value.size() && (static_cast<unsigned char>(s.value[at]) & 0xC0) == 0x80) --at;
      s.value.insert(at, foreign[rng() % std::size(foreign)]);
    }
    out.push_back(s);
  }
  return out;
}

// What zbar reads from one picture: the data bytes exactly as carried
// (`binary`), or converted to UTF-8 text.  Its raw data, not its XML: zbar's
// XML report garbles bytes above 127 (its base 64 sign-extends them).
inline std::string ZbarReadQr(const std::string& file, bool binary) {
  std::vector<std::string> settings{"disable", "qrcode.enable"};
  if (binary) settings.push_back("binary");
  std::string data = ZbarRaw(file, settings);
  if (!binary && !data.empty() && data.back() == '\n') data.pop_back();
  return data;
}

}  // namespace tavo::scan
