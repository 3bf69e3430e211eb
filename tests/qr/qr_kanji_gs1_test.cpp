// QR Code's GS1 (check +8) and Kanji (check +32) options: Kanji mode
// values from the standard's example, the shortest path with Kanji mode,
// Shift JIS bytes and GS1's "%" rules against exhaustive search, round
// trips through our reader, the options against the plain symbols, and the
// reader on malformed Kanji and Shift JIS data.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "interface/errors.h"
#include "readers/qr/qr_reader.h"
#include "symbologies/codes.h"
#include "symbologies/qr/qr.h"
#include "symbologies/qr/qr_segments.h"
#include "tavo32.h"
#include "test_support.h"

namespace tavo::test {
namespace {

constexpr int32_t kAmple = 400000;

TEST(QrKanji, ValuesOfTheStandardsExampleAndNonCharacters) {
  // ISO/IEC 18004:2015, 7.4.6: Shift JIS 0x935F and 0xE4AA give 0x0D9F and
  // 0x1AAA.  The rest: the first and last codes of the two ranges, Greek
  // (two UTF-8 bytes), and what Kanji mode cannot carry.
  struct Row { std::string_view utf8; int32_t value; size_t length; const char* why; };
  constexpr Row kRows[] = {
      {"\xE7\x82\xB9", 0x0D9F, 3, "U+70B9, Shift JIS 0x935F"},
      {"\xE8\x8C\x97", 0x1AAA, 3, "U+8317, Shift JIS 0xE4AA"},
      {"\xE3\x80\x80", 0x0000, 3, "ideographic space, 0x8140, the first code"},
      {"\xE7\x86\x99", 0x1F24, 3, "U+7199, 0xEAA4, the last of JIS X 0208"},
      {"\xCE\xA9", 0x01F6, 2, "Greek Omega, 0x83B6"},
      {"\xEF\xBD\x9E", -1, 0, "U+FF5E: CP932's 0x8160, which SHIFT_JIS reads as U+301C"},
      {"\xC3\xA9", -1, 0, "e-acute: no JIS X 0208 character"},
      {"~", -1, 0, "ASCII goes in the other modes"},
      {"\xE7\x82", -1, 0, "truncated UTF-8"},
      {"\xED\xA0\x80", -1, 0, "an encoded surrogate"},
      {"\xEF\xBD\xA1", -1, 0, "half-width katakana: JIS X 0201, a single Shift JIS byte"},
  };
  for (const Row& r : kRows) {
    size_t length = 0;
    const int32_t value = QrKanjiValue(r.utf8, 0, length);
    EXPECT_EQ(value, r.value) << r.why;
    EXPECT_EQ(length, r.length) << r.why;
    if (value >= 0) {
      std::string back;
      qr_reader::AppendUtf8(QrKanjiCodePoint(static_cast<uint32_t>(value)), back);
      EXPECT_EQ(back, r.utf8) << r.why;
    }
  }
}

// Exhaustive search: every assignment of a mode to every character (a
// UTF-8 character is one), each run of one mode a segment, costed from the
// standard's bit rules for the encoding.
size_t BruteForceBits(const std::vector<std::string>& chars, int32_t group, const QrEncoding& e) {
  const auto units = [&](int m, const std::string& c) -> size_t {  // characters of the mode; 0: not allowed
    const auto b = static_cast<unsigned char>(c[0]);
    size_t kl = 0;
    const bool jis = b >= 0x80 && QrKanjiValue(c, 0, kl) >= 0;
    switch (m) {
      case 0: return c.size() == 1 && b >= '0' && b <= '9';
      case 1: return c == "%" && e.fnc1 ? 2 : c.size() == 1 && (QrAlphanumericValue(c[0]) >= 0 || (e.fnc1 && b == 0x1D));
      case 2:
        if (!e.ascii_bytes) return c.size();
        if (jis && e.sjis_bytes) return 2;
        return c.size() == 1 && b < 0x80 && b != '\\' && b != '~';
      default: return e.kanji && jis;
    }
  };
  size_t best = SIZE_MAX;
  std::vector<int> modes(chars.size(), 0);
  for (;;) {
    size_t bits = (e.eci ? 12 : 0) + (e.fnc1 ? 4 : 0);
    for (size_t i = 0; i < chars.size() && bits != SIZE_MAX;) {
      size_t j = i, n = 0;
      for (; j < chars.size() && modes[j] == modes[i]; ++j) {
        const size_t u = units(modes[i], chars[j]);
        n = u == 0 || n == SIZE_MAX ? SIZE_MAX : n + u;
      }
      if (n == SIZE_MAX) {
        bits = SIZE_MAX;
        break;
      }
      bits += 4 + static_cast<size_t>(QrCountBits(static_cast<QrMode>(modes[i]), group));
      bits += modes[i] == 0 ? 10 * (n / 3) + (n % 3 ? 3 * (n % 3) + 1 : 0)
            : modes[i] == 1 ? 11 * (n / 2) + 6 * (n % 2)
            : modes[i] == 2 ? 8 * n
                            : 13 * n;
      i = j;
    }
    best = std::min(best, bits);
    size_t k = 0;
    while (k < modes.size() && ++modes[k] == 4) modes[k++] = 0;
    if (k == modes.size()) return best;
  }
}

struct PathCase {
  QrEncoding encoding;
  std::vector<std::string> alphabet;
  const char* why;
};

TEST(QrSegments, KanjiAndGs1ShortestAgainstExhaustiveSearch) {
  const std::vector<std::string> japanese = {"1", "7", "A", "a", "\\", "\xE6\x9D\xB1", "\xCE\xA9", "\xE7\x82\xB9"};
  const PathCase kCases[] = {
      {{.eci = 0, .kanji = true, .ascii_bytes = true}, japanese, "Kanji, no ECI"},
      {{.eci = 20, .kanji = true, .ascii_bytes = true, .sjis_bytes = true}, japanese, "Kanji and Shift JIS bytes"},
      {{.eci = 0, .fnc1 = true}, {"0", "1", "A", "%", "\x1D", "a", "-"}, "GS1: % doubled, GS as %"},
  };
  std::mt19937 rng(2727);
  for (const PathCase& c : kCases) {
    for (int trial = 0; trial < 150; ++trial) {
      std::vector<std::string> chars(1 + rng() % 7);
      std::string v;
      for (std::string& ch : chars) v += ch = c.alphabet[rng() % c.alphabet.size()];
      for (int32_t group = 0; group < kQrVersionGroups; ++group) {
        SCOPED_TRACE(std::string(c.why) + ": " + v + " group " + std::to_string(group));
        size_t bits = 0;
        const auto segments = QrOptimalSegments(v, group, c.encoding, bits);
        const size_t brute = BruteForceBits(chars, group, c.encoding);
        if (brute == SIZE_MAX) {
          EXPECT_GE(bits, SIZE_MAX / 2) << "no path";
          continue;
        }
        EXPECT_EQ(bits, brute);
        QrBitStream stream;
        QrAppendSegments(v, segments, group, c.encoding, stream);
        EXPECT_EQ(stream.size(), bits) << "the stream written is the length costed";
      }
    }
  }
}

// Seeded values of each option, every level: our reader gives back the
// UTF-8 text, or the element strings with FNC1 in first position.
TEST(QrRoundTrip, KanjiAndGs1ThroughOurReader) {
  struct Row { std::string value; std::string data; bool gs1; int32_t eci; const char* why; };
  const Row kRows[] = {
      {"\xE6\x9D\xB1\xE4\xBA\xAC 2026", "", false, -1, "Kanji and digits"},
      {"abc\xE6\x9D\xB1" "defghi", "", false, 20, "a lone kanji among ASCII: two Shift JIS bytes"},
      {"\xCE\xA9\xD0\x96 x \xE7\x82\xB9\xE8\x8C\x97", "", false, -1, "Greek, Cyrillic, kanji"},
      {"a\\b \xE6\x9D\xB1\xE4\xBA\xAC\xE6\x97\xA5\xE6\x9C\xAC", "", false, 26, "a backslash: UTF-8 with ECI 26"},
      {"\xC3\xA9\xE6\x9D\xB1\xE4\xBA\xAC", "", false, 26, "e-acute is no JIS X 0208"},
      {"(01)09501101530003(10)AB%12(17)251231", "010950110153000310AB%12\x1D" "17251231", true, -1,
       "GS1: % in data, separator after the batch"},
      {"(01)09501101530003(21)abc(91)XYZ%%", "010950110153000321abc\x1D" "91XYZ%%", true, -1, "GS1 bytes"},
      {"(00)095011015300000003", "00095011015300000003", true, -1, "an SSCC alone"},
  };
  for (const Row& r : kRows) {
    for (int32_t level = 0; level <= 4; ++level) {
      SCOPED_TRACE(std::string(r.why) + ", level " + std::to_string(level));
      const Translation t = Translate(symbology::kQr, r.value, level | (r.gs1 ? 8 : 32), kAmple);
      ASSERT_EQ(t.rc, kOk);
      QrReading reading;
      std::string why;
      ASSERT_TRUE(DecodeQrText(t.bytes, reading, why)) << why;
      EXPECT_EQ(reading.data, r.gs1 ? r.data : r.value);
      EXPECT_EQ(reading.fnc1, r.gs1 ? 1 : 0);
      EXPECT_EQ(reading.eci, r.eci);
      EXPECT_EQ(reading.level, level == 0 ? QrLevel::kM : static_cast<QrLevel>(level - 1));
    }
  }
}

// The Kanji option changes nothing for text without characters above 127,
// and never makes a symbol larger than the plain UTF-8 form.
TEST(QrKanjiOption, SameBytesForAsciiNeverLargerForJapanese) {
  std::mt19937 rng(3232);
  const std::vector<std::string> pieces = {"Ab", "12345", " ", "~", "\xE6\x9D\xB1", "\xE4\xBA\xAC", "\xCE\xA9",
                                           "\xC3\xBC", "\xE3\x81\x82"};
  for (int trial = 0; trial < 200; ++trial) {
    std::string v;
    const bool ascii = trial % 4 == 0;
    for (size_t n = 1 + rng() % 60; n > 0; --n) v += pieces[rng() % (ascii ? 4 : pieces.size())];
    const int32_t level = static_cast<int32_t>(rng() % 5);
    SCOPED_TRACE(v + " level " + std::to_string(level));
    const Translation plain = Translate(symbology::kQr, v, level, kAmple);
    const Translation kanji = Translate(symbology::kQr, v, level | 32, kAmple);
    ASSERT_EQ(plain.rc, kOk);
    ASSERT_EQ(kanji.rc, kOk);
    if (ascii) {
      EXPECT_EQ(kanji.bytes, plain.bytes);
    } else {
      EXPECT_LE(kanji.bytes.find("\r\n"), plain.bytes.find("\r\n")) << "a line is the symbol's width";
    }
  }
}

TEST(QrGs1, ValuesCheckedByTheGs1ParserBuffersKeptOnError) {
  struct Row { std::string_view value; int32_t check; int32_t rc; const char* why; };
  constexpr Row kRows[] = {
      {"(01)09501101530003", 8, kOk, "a GTIN"},
      {"(01)09501101530003", 8 | 32 | 4, kOk, "Kanji bit beside GS1: no effect on ASCII"},
      {"(01)09501101530004", 8, BC_FONT_ERR_GS1_CHECK_DIGIT, "wrong check digit"},
      {"(01)0950110153000", 8, BC_FONT_ERR_GS1_DATA_LENGTH, "GTIN one digit short"},
      {"0109501101530003", 8, BC_FONT_ERR_GS1_MISSING_AI, "no brackets"},
      {"(10)ABC", 8, BC_FONT_ERR_GS1_MISSING_COMPANION, "a batch needs its GTIN"},
      {"(01)09501101530003", 8 | 5, kInvalidCheckOption, "level above 4"},
  };
  for (const Row& r : kRows) EXPECT_EQ(Translate(symbology::kQr, r.value, r.check, kAmple).rc, r.rc) << r.why;
  // Longer than any GS1-128: the symbol's capacity is the limit.
  std::string many = "(01)09501101530003";
  for (int i = 0; i < 200; ++i) many += "(91)" + std::string(20, 'A') ;
  EXPECT_EQ(Translate(symbology::kQr, many.substr(0, 18 + 24 * 80), 9, kAmple).rc, kOk);
  EXPECT_EQ(Translate(symbology::kQr, many, 9, kAmple).rc, kTooLongForLargestSymbol);
}

// Segments a reader must refuse, from hand-made bit streams: a Kanji value
// outside JIS X 0208, a Kanji segment cut short, Shift JIS bytes under
// ECI 20 that are no character.
TEST(QrReader, MalformedKanjiAndShiftJisRefused) {
  struct Bits { uint32_t value; int32_t count; };
  struct Row { std::vector<Bits> bits; bool ok; std::string data; const char* why; };
  const Row kRows[] = {
      {{{0b1000, 4}, {1, 8}, {0x0D9F, 13}}, true, "\xE7\x82\xB9", "one kanji"},
      {{{0b1000, 4}, {1, 8}, {0x1FFF, 13}}, false, "", "past JIS X 0208"},
      {{{0b1000, 4}, {3, 8}, {0x0D9F, 13}}, false, "", "count past the data"},
      {{{0b0111, 4}, {20, 8}, {0b0100, 4}, {2, 8}, {0x935F, 16}}, true, "\xE7\x82\xB9", "ECI 20 bytes"},
      {{{0b0111, 4}, {20, 8}, {0b0100, 4}, {1, 8}, {0x93, 8}}, false, "", "ECI 20: a lead byte alone"},
      {{{0b0111, 4}, {20, 8}, {0b0100, 4}, {2, 8}, {0xF040, 16}}, false, "", "ECI 20: user-defined area"},
      {{{0b0101, 4}, {0b0010, 4}, {3, 9}, {38 * 45 + 38, 11}, {38, 6}}, true, "%\x1D", "FNC1: %% then %"},
  };
  for (const Row& r : kRows) {
    QrBitStream stream;
    for (const Bits& b : r.bits) stream.Append(b.value, b.count);
    stream.Append(0, 4);
    QrReading reading;
    std::string why;
    const bool ok = qr_reader::ReadSegments(stream.bytes(), 1, reading, why);
    EXPECT_EQ(ok, r.ok) << r.why << ": " << why;
    if (ok) {
      EXPECT_EQ(reading.data, r.data) << r.why;
    } else {
      EXPECT_FALSE(why.empty()) << r.why;
    }
  }
}

}  // namespace
}  // namespace tavo::test
