// QR Code: the worked example, capacities from the symbology's tables,
// shortest-path segmentation against exhaustive search, round trips through
// our reader at every level and mask, and the reader on damaged input.
#include "symbologies/qr/qr.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "interface/errors.h"
#include "tavo32.h"
#include "test_support.h"
#include "readers/qr/qr_reader.h"
#include "symbologies/qr/qr_segments.h"

namespace tavo::test {
namespace {

std::string Repeat(char c, size_t n) { return std::string(n, c); }

TEST(QrWorkedExample, DigitsAtVersion1M) {
  // "01234567" at 1-M: one numeric segment, terminator, pad codewords, and
  // the ten error correction codewords of the worked example.
  int32_t version = 0;
  std::vector<uint8_t> data;
  ASSERT_EQ(QrDataCodewords("01234567", QrLevel::kM, version, data), kOk);
  EXPECT_EQ(version, 1);
  const std::vector<uint8_t> want_data = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11,
                                          0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
  EXPECT_EQ(data, want_data);
  std::vector<uint8_t> want_all = want_data;
  for (uint8_t e : {0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55}) want_all.push_back(e);
  EXPECT_EQ(QrInterleaveBlocks(data, 1, QrLevel::kM), want_all);
  QrSymbol symbol;
  ASSERT_EQ(BuildQrSymbol("01234567", QrLevel::kM, -1, symbol), kOk);
  EXPECT_EQ(symbol.mask, 2) << "the example's penalty scores choose mask 010";
}

TEST(QrFormatInformation, KnownCodewords) {
  EXPECT_EQ(QrFormatBits(QrLevel::kM, 0), 0b101010000010010u) << "all-zero data is the XOR mask";
  EXPECT_EQ(QrFormatBits(QrLevel::kL, 0), 0b111011111000100u);
  EXPECT_EQ(QrFormatBits(QrLevel::kH, 7), 0b000100000111011u);
  EXPECT_EQ(QrVersionBits(7), 0b000111110010010100u);
  EXPECT_EQ(QrVersionBits(40), 0b101000110001101001u);
}

// Largest values of one mode that fit a version, from the symbology's
// capacity table, for L, M, Q, H.
struct Capacity {
  int32_t version;
  char fill;  // '1' numeric, 'A' alphanumeric, 'a' byte
  int32_t chars[4];
  const char* why;
};
constexpr Capacity kCapacities[] = {
    {1, '1', {41, 34, 27, 17}, "version 1 numeric"},
    {1, 'A', {25, 20, 16, 10}, "version 1 alphanumeric"},
    {1, 'a', {17, 14, 11, 7}, "version 1 byte"},
    {9, '1', {552, 432, 312, 235}, "last version of the short count fields"},
    {10, 'a', {271, 213, 151, 119}, "first version of the 16-bit byte count"},
    {26, 'A', {1990, 1542, 1094, 864}, "last version of the middle group"},
    {40, '1', {7089, 5596, 3993, 3057}, "largest symbol, numeric"},
    {40, 'A', {4296, 3391, 2420, 1852}, "largest symbol, alphanumeric"},
    {40, 'a', {2953, 2331, 1663, 1273}, "largest symbol, byte"},
};

TEST(QrCapacity, FullVersionAndOneMore) {
  for (const Capacity& c : kCapacities) {
    SCOPED_TRACE(c.why);
    for (int l = 0; l < 4; ++l) {
      const auto level = static_cast<QrLevel>(l);
      int32_t version = 0;
      std::vector<uint8_t> data;
      ASSERT_EQ(QrDataCodewords(Repeat(c.fill, c.chars[l]), level, version, data), kOk);
      EXPECT_EQ(version, c.version) << "level " << l;
      const int32_t rc = QrDataCodewords(Repeat(c.fill, c.chars[l] + 1), level, version, data);
      if (c.version == kQrMaxVersion) {
        EXPECT_EQ(rc, kTooLongForLargestSymbol) << "level " << l;
      } else {
        EXPECT_EQ(version, c.version + 1) << "level " << l;
      }
    }
  }
}

TEST(QrCapacity, TooLongWritesNothing) {
  FontString out("kept");
  EXPECT_EQ(EncodeQr(Repeat('a', 2954), {.check_argument = 1}, out), kTooLongForLargestSymbol);
  EXPECT_EQ(EncodeQr(Repeat('7', 1 << 20), {.check_argument = 0}, out), kTooLongForLargestSymbol);
  EXPECT_EQ(out.view(), "kept");
}

TEST(QrExports, TranslateFaceNameAndErrors) {
  // Through BC_FontTranslate: sentinel-filled buffers, nothing written on error.
  const Translation ok = Translate(BC_SYM_QR, "TAVO", 0, 400);
  EXPECT_EQ(ok.rc, 0);
  EXPECT_EQ(ok.bytes.size(), 15u * 10 + 2 * 9) << "version 1: 29 modules, 15 blocks by 10 lines";
  EXPECT_EQ(Translate(BC_SYM_QR, "TAVO", 0, 167).rc, BC_FONT_ERR_TOO_MANY_CHARACTERS);
  EXPECT_EQ(Translate(BC_SYM_QR, "TAVO", 5).rc, BC_FONT_ERR_INVALID_CHECK_OPTION);
  EXPECT_EQ(Translate(BC_SYM_QR, "TAVO", -1).rc, BC_FONT_ERR_INVALID_CHECK_OPTION);
  EXPECT_EQ(Translate(BC_SYM_QR, std::string(2954, 'a'), 1, 1 << 16).rc, BC_FONT_ERR_TOO_LONG_FOR_SYMBOL);
  EXPECT_EQ(Translate(BC_SYM_QR, std::string(2953, 'a'), 1, 1 << 16).rc, 0);
  // One face, whatever height and caption are asked for.
  for (int32_t height = 0; height < 3; ++height) {
    for (int32_t caption = 0; caption < 2; ++caption) {
      char buf[32];
      int32_t len = 0;
      ASSERT_EQ(BC_FontGetFaceName("TAVO ", BC_SYM_QR, height, caption, buf, sizeof buf, &len), 0);
      EXPECT_EQ(std::string(buf, static_cast<size_t>(len)), "TAVO QR");
    }
  }
  char message[128] = {};
  BC_StrErr(BC_FONT_ERR_TOO_LONG_FOR_SYMBOL, message, sizeof message);
  EXPECT_STREQ(message, "ERROR: Value too long for the largest symbol.");
}

TEST(QrLevel, FromCheckArgument) {
  struct Row { int32_t check; int32_t rc; QrLevel level; };
  constexpr Row kRows[] = {{0, kOk, QrLevel::kM}, {1, kOk, QrLevel::kL}, {2, kOk, QrLevel::kM},
                           {3, kOk, QrLevel::kQ}, {4, kOk, QrLevel::kH},
                           {5, kInvalidCheckOption, {}}, {-1, kInvalidCheckOption, {}}};
  for (const Row& r : kRows) {
    QrLevel level = QrLevel::kL;
    EXPECT_EQ(QrLevelFromCheck(r.check, level), r.rc) << r.check;
    if (r.rc == kOk) {
      EXPECT_EQ(level, r.level) << r.check;
    }
  }
  // A level above 4 and any bit but GS1 (8) and Kanji (32) stay refused,
  // leaving the output as it was; 9 is GS1 at level L now.
  for (int32_t check : {5, 13, 64, 128, 8 | 32 | 5, -8}) {
    FontString out("kept");
    EXPECT_EQ(EncodeQr("x", {.check_argument = check}, out), kInvalidCheckOption) << check;
    EXPECT_EQ(out.view(), "kept");
  }
}

// Exhaustive search: every assignment of a mode to every character, each
// run of one mode a segment, costed from the mode's bit rules.
size_t BruteForceBits(std::string_view v, int32_t group) {
  const auto accepts = [](int m, char c) {
    return m == 2 || (m == 0 ? (c >= '0' && c <= '9') : QrAlphanumericValue(c) >= 0);
  };
  const int32_t count_bits[3] = {QrCountBits(QrMode::kNumeric, group),
                                 QrCountBits(QrMode::kAlphanumeric, group),
                                 QrCountBits(QrMode::kByte, group)};
  size_t best = SIZE_MAX;
  std::vector<int> modes(v.size(), 0);
  for (;;) {
    bool valid = true;
    for (size_t i = 0; i < v.size() && valid; ++i) valid = accepts(modes[i], v[i]);
    if (valid) {
      size_t bits = 0;
      for (size_t i = 0; i < v.size();) {
        size_t j = i;
        while (j < v.size() && modes[j] == modes[i]) ++j;
        const size_t n = j - i;
        bits += 4 + count_bits[modes[i]];
        bits += modes[i] == 0 ? 10 * (n / 3) + (n % 3 ? 3 * (n % 3) + 1 : 0)
              : modes[i] == 1 ? 11 * (n / 2) + 6 * (n % 2)
                              : 8 * n;
        i = j;
      }
      best = std::min(best, bits);
    }
    size_t k = 0;
    while (k < modes.size() && ++modes[k] == 3) modes[k++] = 0;
    if (k == modes.size()) return best;
  }
}

TEST(QrSegments, ShortestAgainstExhaustiveSearch) {
  std::mt19937 rng(1417);
  constexpr std::string_view kAlphabet = "0123456789012345ABCXYZ $./:abc\xE9";
  for (int trial = 0; trial < 300; ++trial) {
    std::string v(1 + rng() % 9, ' ');
    for (char& c : v) c = kAlphabet[rng() % kAlphabet.size()];
    for (int32_t group = 0; group < kQrVersionGroups; ++group) {
      SCOPED_TRACE(v + " group " + std::to_string(group));
      size_t bits = 0;
      const auto segments = QrOptimalSegments(v, group, 0, bits);
      EXPECT_EQ(bits, BruteForceBits(v, group));
      QrBitStream stream;
      QrAppendSegments(v, segments, group, 0, stream);
      EXPECT_EQ(stream.size(), bits) << "the stream written is the length costed";
    }
  }
}

TEST(QrSegments, Utf8EciOnlyForValidUtf8WithHighBytes) {
  struct Row { std::string_view value; bool eci; const char* why; };
  constexpr Row kRows[] = {
      {"plain ASCII", false, "nothing to interpret"},
      {"Z\xC3\xBCrich", true, "UTF-8 u-umlaut"},
      {"\xE6\x9D\xB1\xE4\xBA\xAC", true, "UTF-8 Tokyo"},
      {"\xF0\x9F\x98\x80", true, "four-byte UTF-8"},
      {"Z\xFCrich", false, "Windows-1252 / Latin-1 bytes go as they are"},
      {"\xC0\xAF", false, "overlong form is no UTF-8"},
      {"\xED\xA0\x80", false, "a surrogate is no UTF-8"},
      {"\xE6\x9D", false, "truncated sequence"},
  };
  for (const Row& r : kRows) EXPECT_EQ(QrNeedsUtf8Eci(r.value), r.eci) << r.why;
}

TEST(QrRoundTrip, EveryLevelAndMaskThroughOurReader) {
  const std::string values[] = {"01234567", "HELLO WORLD 2026", "Mixed 123456789012 text, lower",
                                "Z\xC3\xBCrich", std::string("\x01\xFF\x80\x7F", 4),
                                Repeat('9', 300) + "abc" + Repeat('Q', 100)};
  for (const std::string& v : values) {
    for (int l = 0; l < 4; ++l) {
      for (int32_t mask = 0; mask < kQrMaskCount; ++mask) {
        SCOPED_TRACE(v.substr(0, 20) + " level " + std::to_string(l) + " mask " + std::to_string(mask));
        QrSymbol symbol;
        ASSERT_EQ(BuildQrSymbol(v, static_cast<QrLevel>(l), mask, symbol), kOk);
        FontString text;
        AppendMatrixText(symbol.modules, kQrQuietZone, text);
        QrReading r;
        std::string why;
        ASSERT_TRUE(DecodeQrText(text, r, why)) << why;
        EXPECT_EQ(r.data, v);
        EXPECT_EQ(r.version, symbol.version);
        EXPECT_EQ(r.level, static_cast<QrLevel>(l));
        EXPECT_EQ(r.mask, mask);
        EXPECT_EQ(r.eci, QrNeedsUtf8Eci(v) ? kQrEciUtf8 : -1);
      }
    }
  }
}

TEST(QrRoundTrip, TextHasQuietZoneAndPrintableBytes) {
  FontString text;
  ASSERT_EQ(EncodeQr("https://example.com/", {.check_argument = 0}, text), kOk);
  ModuleGrid grid;
  ASSERT_TRUE(ReadMatrixText(text, grid));
  for (int32_t i = 0; i < grid.width; ++i) {
    for (int32_t q = 0; q < kQrQuietZone; ++q) {
      ASSERT_FALSE(grid.at(i, q)) << "top quiet zone";
      ASSERT_FALSE(grid.at(q, i % grid.height)) << "left quiet zone";
    }
  }
  EXPECT_TRUE(grid.at(kQrQuietZone, kQrQuietZone)) << "finder corner right after the quiet zone";
  for (char c : text.view()) EXPECT_TRUE(c == '\r' || c == '\n' || (c > 0x20 && c < 0x7F));
  EXPECT_NE(text.back(), '\n');
}

// The penalty rules module by module, as written: the bit-set version in
// the library must agree.  Modules outside the symbol count as light.
int32_t ReferencePenalty(const ModuleGrid& g) {
  const int32_t n = g.width;
  int32_t penalty = 0, dark = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (int32_t a = 0; a < n; ++a) {
      const auto at = [&](int32_t i) {
        if (i < 0 || i >= n) return false;
        return pass == 0 ? g.at(i, a) : g.at(a, i);
      };
      for (int32_t i = 0, run = 1; i < n; ++i, ++run) {
        if (i + 1 == n || at(i + 1) != at(i)) {
          if (run >= 5) penalty += 3 + run - 5;
          run = 0;
        }
      }
      for (int32_t i = 0; i + 7 <= n; ++i) {
        const bool pattern = at(i) && !at(i + 1) && at(i + 2) && at(i + 3) && at(i + 4) &&
                             !at(i + 5) && at(i + 6);
        const bool before = !at(i - 1) && !at(i - 2) && !at(i - 3) && !at(i - 4);
        const bool after = !at(i + 7) && !at(i + 8) && !at(i + 9) && !at(i + 10);
        if (pattern && (before || after)) penalty += 40;
      }
    }
  }
  for (int32_t y = 0; y < n; ++y) {
    for (int32_t x = 0; x < n; ++x) {
      dark += g.at(x, y);
      if (x + 1 < n && y + 1 < n && g.at(x, y) == g.at(x + 1, y) && g.at(x, y) == g.at(x, y + 1) &&
          g.at(x, y) == g.at(x + 1, y + 1)) {
        penalty += 3;
      }
    }
  }
  return penalty + 10 * (std::abs(dark * 20 - n * n * 10) / (n * n));
}

TEST(QrMask, PenaltyAndChoiceAgreeWithTheRulesModuleByModule) {
  // Sizes of one, two and three 64-bit words per line.
  const std::string values[] = {"A", Repeat('a', 100), Repeat('5', 1500), Repeat('x', 1600)};
  for (const std::string& v : values) {
    for (int32_t mask = 0; mask < kQrMaskCount; ++mask) {
      QrSymbol symbol;
      ASSERT_EQ(BuildQrSymbol(v, QrLevel::kQ, mask, symbol), kOk);
      EXPECT_EQ(QrPenalty(symbol.modules), ReferencePenalty(symbol.modules))
          << "version " << symbol.version << " mask " << mask;
    }
    QrSymbol chosen;
    ASSERT_EQ(BuildQrSymbol(v, QrLevel::kQ, -1, chosen), kOk);
    for (int32_t mask = 0; mask < kQrMaskCount; ++mask) {
      QrSymbol other;
      ASSERT_EQ(BuildQrSymbol(v, QrLevel::kQ, mask, other), kOk);
      const int32_t a = ReferencePenalty(chosen.modules), b = ReferencePenalty(other.modules);
      EXPECT_TRUE(a < b || (a == b && chosen.mask <= mask)) << "mask " << mask << " scores lower";
    }
  }
}

TEST(QrReader, ReportsDamagedBlock) {
  QrSymbol symbol;
  ASSERT_EQ(BuildQrSymbol(Repeat('a', 200), QrLevel::kH, -1, symbol), kOk);
  const ModuleGrid function = QrFunctionModules(symbol.version);
  // Invert the first data module: the first codeword placed belongs to block 1.
  QrForEachDataModule(function, [&, done = false](int32_t x, int32_t y) mutable {
    if (!done) symbol.modules.set(x, y, !symbol.modules.at(x, y));
    done = true;
  });
  QrReading r;
  std::string why;
  EXPECT_FALSE(DecodeQrModules(symbol.modules, r, why));
  EXPECT_NE(why.find("block 1 of "), std::string::npos) << why;
}

TEST(QrReader, GarbageNeverCrashes) {
  std::mt19937 rng(99);
  FontString good;
  ASSERT_EQ(EncodeQr("garbage test", {.check_argument = 0}, good), kOk);
  for (int trial = 0; trial < 2000; ++trial) {
    std::string text(good.view());
    const int kind = trial % 3;
    if (kind == 0) {  // glyphs changed at random
      for (int k = 0; k < 1 + static_cast<int>(rng() % 40); ++k) {
        char& c = text[rng() % text.size()];
        if (c != '\r' && c != '\n') c = kMatrixGlyphs[rng() % kMatrixGlyphs.size()];
      }
    } else if (kind == 1) {  // random rectangle of glyphs
      const size_t cols = 1 + rng() % 100, lines = 1 + rng() % 70;
      text.clear();
      for (size_t l = 0; l < lines; ++l) {
        if (l) text += "\r\n";
        for (size_t c = 0; c < cols; ++c) text += kMatrixGlyphs[rng() % kMatrixGlyphs.size()];
      }
    } else {  // arbitrary bytes
      text.resize(rng() % 300);
      for (char& c : text) c = static_cast<char>(rng());
    }
    QrReading r;
    std::string why;
    if (!DecodeQrText(text, r, why)) {
      EXPECT_FALSE(why.empty());
    }
  }
}

}  // namespace
}  // namespace tavo::test
