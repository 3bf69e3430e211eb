// Aztec Code: the lengths of the shortest bit streams, bit stuffing, the
// check argument, the size chosen, and every size read back by our reader
// (with and without damaged codewords).  Real readers and zint are the
// oracles of tests/scan/aztec_scan_test.cpp and the font suite.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "readers/aztec/aztec_reader.h"
#include "symbologies/aztec/aztec.h"
#include "symbologies/aztec/aztec_fields.h"
#include "symbologies/codes.h"
#include "test_support.h"

namespace tavo {
namespace {

// Through the export, with room for the largest symbol whatever the value.
test::Translation Translate(int32_t code, std::string_view value, int32_t check = 0) {
  return test::Translate(code, value, check, 1 << 17);
}

// The symbol inside the font text's light margin.
ModuleGrid SymbolOf(const std::string& text) {
  ModuleGrid blocks;
  if (!ReadMatrixText(text, blocks)) return {};
  for (int32_t number = 1; number <= kAztecSizes; ++number) {
    const int32_t w = AztecSizeOf(number).Width(), full = w + 2 * kAztecQuietZone;
    if ((full + 1) / 2 * 2 != blocks.width || (full + 2) / 3 * 3 != blocks.height) continue;
    ModuleGrid g(w, w);
    for (int32_t y = 0; y < w; ++y) {
      for (int32_t x = 0; x < w; ++x) g.set(x, y, blocks.at(x + kAztecQuietZone, y + kAztecQuietZone));
    }
    return g;
  }
  return {};
}

AztecReading ReadBack(const std::string& text) {
  AztecReading r;
  if (!DecodeAztecSymbol(SymbolOf(text), r)) ADD_FAILURE() << r.error;
  return r;
}

// Each row's shortest stream, counted by hand from the code widths (5 bits,
// 4 in Digit) and the latch table.
TEST(AztecEncodation, ShortestStreams) {
  const struct {
    std::string value;
    size_t bits;
    const char* why;
  } kRows[] = {
      {"A", 5, "Upper is the start"},
      {"a", 10, "L/L, a"},
      {"12345", 5 + 5 * 4, "D/L, then 4 bits a digit"},
      {"Hello", 5 + 5 + 4 * 5, "H, L/L, ello"},
      {"AB12", 10 + 5 + 8, "A B, D/L, 1 2"},
      {"aB", 10 + 10, "L/L a, U/S B: a shift beats the latch of 9 bits"},
      {"a\r\n", 10 + 10, "L/L a, P/S and the pair CR LF in one code"},
      {"A. B", 5 + 10 + 5, "A, P/S \". \", B"},
      {"@", 10, "M/L @"},
      {"\xFF", 5 + 5 + 8, "B/S, length 1, the byte"},
      {std::string(31, '\xFF'), 10 + 31 * 8, "the longest short binary run"},
      {std::string(32, '\xFF'), 2 * 10 + 32 * 8, "32 bytes: two short runs beat a long one"},
      {std::string(64, '\xFF'), 21 + 64 * 8, "a long run: length 0 and 11 bits"},
      {"1.2,3", 5 + 5 * 4, "',' and '.' are Digit characters"},
      {"ab" + std::string(3, '\x80') + "cd", 15 + 10 + 24 + 10, "B/S from Lower returns to Lower"},
  };
  for (const auto& row : kRows) {
    AztecBits bits;
    AztecEncodation(row.value, false, bits);
    EXPECT_EQ(bits.size(), row.bits) << row.why;
    AztecReading r;
    ASSERT_TRUE(AztecDecodation(bits.Unpacked(), r)) << row.why;
    EXPECT_EQ(r.data, row.value) << row.why;
  }
}

// Stuffing: a word whose first bits are all alike takes the other bit last
// and gives its last bit to the next word; the end is padded with 1s.
TEST(AztecStuffing, Words) {
  const struct {
    std::vector<uint8_t> bits;
    int32_t word_bits;
    std::vector<uint16_t> words;
  } kRows[] = {
      {{0, 0, 0, 0, 0, 0}, 6, {0b000001, 0b011111}},
      {{1, 1, 1, 1, 1, 1}, 6, {0b111110, 0b111110}},
      {{1, 0, 1}, 6, {0b101111}},
      {{1, 1, 1, 1, 1}, 6, {0b111110}},
      {{0, 1, 0, 1, 0, 1, 0, 1}, 8, {0b01010101}},
  };
  for (const auto& row : kRows) {
    AztecBits b;
    for (uint8_t bit : row.bits) b.Append(bit, 1);
    EXPECT_EQ(AztecStuff(b, row.word_bits), row.words);
  }
}

// The data words of every codeword size unstuff to a stream that decodes
// to the value: padding of 10 or 11 1s after Upper, Lower or Mixed (12-bit
// words) would read as a binary shift of 31 missing bytes.
TEST(AztecStuffing, PaddingReadsAsNothing) {
  std::mt19937 rng(12);
  for (size_t length = 1; length <= 60; ++length) {
    for (const char* alphabet : {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz", "@\\^_`|~", "0123456789"}) {
      std::string value;
      for (size_t i = 0; i < length; ++i) value += alphabet[rng() % std::char_traits<char>::length(alphabet)];
      AztecBits bits;
      AztecEncodation(value, false, bits);
      for (int32_t word_bits : {6, 8, 10, 12}) {
        const uint32_t all = (1u << word_bits) - 1;
        std::vector<uint8_t> unstuffed;
        for (uint16_t w : AztecDataWords(bits, word_bits)) {
          const int32_t keep = (w == 1 || w == all - 1) ? word_bits - 1 : word_bits;
          for (int32_t b = 0; b < keep; ++b) unstuffed.push_back(static_cast<uint8_t>((w >> (word_bits - 1 - b)) & 1));
        }
        AztecReading r;
        EXPECT_TRUE(AztecDecodation(unstuffed, r)) << value << " in " << word_bits << "-bit words";
        EXPECT_EQ(r.data, value) << word_bits << "-bit words";
      }
    }
  }
}

// The stream's bits against one bit a byte: appends of 1 to 64 bits, the
// register writer after them, and the 64 bits read from every position.
TEST(AztecBits, PackedAsAppended) {
  std::mt19937_64 rng(2406);
  for (int round = 0; round < 200; ++round) {
    AztecBits bits;
    std::vector<uint8_t> naive;
    const auto add = [&](uint64_t value, int count) {
      for (int b = count - 1; b >= 0; --b) naive.push_back(static_cast<uint8_t>(value >> b & 1));
    };
    const int appends = static_cast<int>(rng() % 12);
    for (int a = 0; a < appends; ++a) {
      const int count = 1 + static_cast<int>(rng() % 64);
      const uint64_t value = count == 64 ? rng() : rng() & ((uint64_t{1} << count) - 1);
      bits.Append(value, count);
      add(value, count);
    }
    const int puts = static_cast<int>(rng() % 40);
    AztecBitWriter writer(bits, 64 * static_cast<size_t>(puts));
    for (int a = 0; a < puts; ++a) {
      const int count = 1 + static_cast<int>(rng() % 64);
      const uint64_t value = count == 64 ? rng() : rng() & ((uint64_t{1} << count) - 1);
      writer.Put(value, count);
      add(value, count);
    }
    writer.Finish();
    ASSERT_EQ(bits.Unpacked(), naive);
    for (size_t at = 0; at < naive.size(); ++at) {
      uint64_t expected = 0;
      for (size_t b = 0; b < 64; ++b) expected = expected << 1 | (at + b < naive.size() ? naive[at + b] : 0);
      ASSERT_EQ(bits.Peek(at), expected) << "bit " << at << " of " << naive.size();
    }
  }
}

// Stuffing one bit at a time, as the standard says it (7.3.1.2).
std::vector<uint16_t> NaiveStuff(const std::vector<uint8_t>& bits, int32_t wb) {
  std::vector<uint16_t> words;
  const uint32_t mask = (1u << wb) - 2;
  for (size_t i = 0; i < bits.size();) {
    uint32_t word = 0;
    for (int32_t j = 0; j < wb; ++j) word = word << 1 | (i + static_cast<size_t>(j) >= bits.size() ? 1 : bits[i + static_cast<size_t>(j)]);
    const bool alike = (word & mask) == mask || (word & mask) == 0;
    if (alike) word = (word & mask) == 0 ? 1 : mask;
    words.push_back(static_cast<uint16_t>(word));
    i += static_cast<size_t>(alike ? wb - 1 : wb);
  }
  return words;
}

// The stuffing, and the data words with their latch for long padding,
// against the naive cut over seeded streams with long runs of one bit.
TEST(AztecStuffing, MatchesBitByBit) {
  std::mt19937 rng(7312);
  for (int round = 0; round < 400; ++round) {
    AztecBits bits;
    std::vector<uint8_t> naive;
    const size_t length = rng() % 700;
    while (naive.size() < length) {  // runs of 1 to 30 equal bits
      const auto bit = static_cast<uint8_t>(rng() & 1);
      for (size_t k = 1 + rng() % 30; k > 0 && naive.size() < length; --k) naive.push_back(bit), bits.Append(bit, 1);
    }
    bits.end_mode = static_cast<int>(rng() % kAztecModes);
    for (int32_t wb : {6, 8, 10, 12}) {
      ASSERT_EQ(AztecStuff(bits, wb), NaiveStuff(naive, wb)) << length << " bits in " << wb;
      std::vector<uint8_t> latched = naive;
      const std::vector<uint16_t> plain = NaiveStuff(naive, wb);
      const size_t padding = plain.size() * static_cast<size_t>(wb) - length -
                             static_cast<size_t>(std::count_if(plain.begin(), plain.end(), [&](uint16_t w) {
                               return w == 1 || w == (1u << wb) - 2;
                             }));
      if (bits.end_mode <= kAztecMixed && padding >= 10) {  // M/L U/L if Mixed, then D/L (30)
        if (bits.end_mode == kAztecMixed) latched.insert(latched.end(), {1, 1, 1, 0, 1});
        latched.insert(latched.end(), {1, 1, 1, 1, 0});
      }
      EXPECT_EQ(AztecDataWords(bits, wb), NaiveStuff(latched, wb)) << length << " bits in " << wb;
    }
  }
}

// The shortest stream's length by a plain search over every step from
// every state, binary runs of every length among them (Table 2 and 7.3).
size_t ReferenceShortest(const std::string& v) {
  constexpr int kModes = kAztecModes, kFar = 1 << 28;
  int dist[kModes][kModes];
  for (int a = 0; a < kModes; ++a) {
    for (int b = 0; b < kModes; ++b) dist[a][b] = a == b ? 0 : kAztecLatch[a][b] >= 0 ? AztecCodeBits(a) : kFar;
  }
  for (int k = 0; k < kModes; ++k) {
    for (int a = 0; a < kModes; ++a) {
      for (int b = 0; b < kModes; ++b) dist[a][b] = std::min(dist[a][b], dist[a][k] + dist[k][b]);
    }
  }
  const auto holds = [](int m, char c) { return c != 0 && kAztecChars[m].find(c) != std::string_view::npos; };
  const size_t n = v.size();
  std::vector<std::array<int, kModes>> best(n + 1);
  for (auto& b : best) b.fill(kFar);
  best[0][kAztecUpper] = 0;
  for (size_t i = 0; i <= n; ++i) {
    std::array<int, kModes> closed = best[i];
    for (int to = 0; to < kModes; ++to) {
      for (int m = 0; m < kModes; ++m) closed[to] = std::min(closed[to], best[i][m] + dist[m][to]);
    }
    best[i] = closed;
    if (i == n) break;
    const char c = v[i];
    bool pair = false;
    for (std::string_view p : kAztecPunctPairs) pair = pair || (i + 1 < n && v[i] == p[0] && v[i + 1] == p[1]);
    for (int m = 0; m < kModes; ++m) {
      const int bits = AztecCodeBits(m), at = closed[m];
      auto offer = [&](size_t to, int cost) { best[to][m] = std::min(best[to][m], at + cost); };
      if (holds(m, c)) offer(i + 1, bits);
      if (m != kAztecPunct && holds(kAztecPunct, c)) offer(i + 1, bits + 5);
      if ((m == kAztecLower || m == kAztecDigit) && holds(kAztecUpper, c)) offer(i + 1, bits + 5);
      if (pair) offer(i + 2, m == kAztecPunct ? 5 : bits + 5);
      if (m > kAztecMixed) continue;
      for (size_t k = 1; k <= std::min<size_t>(n - i, 2078); ++k) offer(i + k, (k <= 31 ? 10 : 21) + 8 * static_cast<int>(k));
    }
  }
  return static_cast<size_t>(*std::min_element(best[n].begin(), best[n].end()));
}

// The search's stream is as short as the plain search's, and reads back,
// over seeded values built of runs of every kind of byte.
TEST(AztecEncodation, AsShortAsThePlainSearch) {
  const std::string kinds[] = {"ABCXYZ ", "abcxyz ", "0123456789,.", "\x01\x1b@\\^_`|~\x7f", "!\"#$%&'()*+-/:;<=>?[]{}",
                               ". , : \r\n", std::string("\x80\xC3\xFF\x0e\x1a", 5)};
  std::mt19937 rng(24778);
  for (int round = 0; round < 600; ++round) {
    std::string value;
    const size_t length = 1 + rng() % (round < 500 ? 60 : 400);
    while (value.size() < length) {
      const std::string& kind = kinds[rng() % std::size(kinds)];
      const size_t run = 1 + rng() % (round % 4 == 0 ? 120 : 12);  // some long enough for a long binary run
      for (size_t k = run; k > 0 && value.size() < length; --k) value += kind[rng() % kind.size()];
    }
    AztecBits bits;
    AztecEncodation(value, false, bits);
    ASSERT_EQ(bits.size(), ReferenceShortest(value)) << "round " << round;
    AztecReading r;
    ASSERT_TRUE(AztecDecodation(bits.Unpacked(), r)) << "round " << round;
    ASSERT_EQ(r.data, value) << "round " << round;
  }
}

// The check words against the shared Reed-Solomon encoder (the generator
// built by the textbook product, the remainder by shifting), in every field
// of the symbols and the mode message, for counts from the fewest to the
// largest symbol's, over seeded data words.
template <int N, typename F>
std::vector<uint16_t> ReferenceEcc(const F& f, const std::vector<uint16_t>& data, int ecc) {
  const auto generator = reed_solomon::MakeGenerator<N>(f, ecc, kAztecFirstRoot);
  reed_solomon::Encoder<F, N> encoder(f, generator);
  for (uint16_t w : data) encoder.Push(static_cast<typename F::Element>(w));
  std::vector<uint16_t> out = data;
  for (int k = 0; k < ecc; ++k) out.push_back(encoder.Ecc(k));
  return out;
}

TEST(AztecReedSolomon, MatchesTheSharedEncoder) {
  struct Row {
    int32_t word_bits, data, ecc;
  } const rows[] = {
      {4, 2, 5},     {4, 4, 6},     {6, 1, 3},     {6, 10, 7},    {6, 20, 20},  {6, 3, 37},   {8, 1, 3},
      {8, 77, 43},   {8, 30, 100},  {8, 200, 30},  {8, 2, 208},   {10, 5, 3},   {10, 300, 150}, {10, 40, 900},
      {12, 7, 3},    {12, 1000, 400}, {12, 100, 1500}, {12, 1, 1600},
      {4, 3, 20},    {6, 2, 70},  // more words than the field has elements: no symbol's, the long way
  };
  std::mt19937 random(28);
  for (const Row& row : rows) {
    std::vector<uint16_t> data(static_cast<size_t>(row.data));
    for (uint16_t& w : data) w = static_cast<uint16_t>(random() % (1u << row.word_bits));
    data[0] = 0;  // a zero word: the division skips it
    std::vector<uint16_t> ours = data;
    AztecAppendEcc(ours, row.data + row.ecc, row.word_bits);
    std::vector<uint16_t> expected;
    switch (row.word_bits) {
      case 4: expected = ReferenceEcc<24>(kAztecGf16, data, row.ecc); break;
      case 6: expected = ReferenceEcc<80>(kAztecGf64, data, row.ecc); break;
      case 8: expected = ReferenceEcc<256>(kAztecGf256, data, row.ecc); break;
      case 10: expected = ReferenceEcc<1024>(kAztecGf1024, data, row.ecc); break;
      default: expected = ReferenceEcc<1664>(kAztecGf4096, data, row.ecc); break;
    }
    EXPECT_EQ(ours, expected) << row.word_bits << " bits, " << row.data << " + " << row.ecc;
  }
  // No room for check words: nothing is appended (a total below the data
  // words once asked for 2^64 - 1 of them).
  for (const int32_t total : {3, 2, 0, -1}) {
    std::vector<uint16_t> words = {1, 2, 3};
    AztecAppendEcc(words, total, 8);
    EXPECT_EQ(words.size(), 3u) << total;
  }
}

// The symbol laid out by runs of bits against the module positions the
// reader walks (AztecLayerModules, AztecModeMessageModules,
// AztecFixedModules), one module at a time: every size, seeded words of
// every value, with few and many data words; the font text too.
ModuleGrid ReferenceSymbol(const AztecSize& size, const std::vector<uint16_t>& words, int32_t data_words) {
  ModuleGrid g(size.Width(), size.Width());
  const std::vector<AztecModule> layer = AztecLayerModules(size);
  const size_t wb = static_cast<size_t>(size.WordBits()), pad = layer.size() % wb;
  for (size_t b = 0; b + pad < layer.size(); ++b) {
    g.set(layer[pad + b].x, layer[pad + b].y, (words[b / wb] >> (wb - 1 - b % wb)) & 1);
  }
  const std::vector<uint16_t> mode = AztecModeMessage(size, data_words);
  const std::vector<AztecModule> mode_modules = AztecModeMessageModules(size);
  for (size_t b = 0; b < mode_modules.size(); ++b) g.set(mode_modules[b].x, mode_modules[b].y, (mode[b / 4] >> (3 - b % 4)) & 1);
  for (const AztecFixedModule& f : AztecFixedModules(size)) g.set(f.x, f.y, f.dark);
  return g;
}

TEST(AztecSymbol, LayoutMatchesTheModulePositions) {
  std::mt19937 rng(2477);
  for (int32_t number = 1; number <= kAztecSizes; ++number) {
    const AztecSize size = AztecSizeOf(number);
    for (const int32_t data_words : {1, size.TotalWords() / 2, std::min(size.TotalWords() - 3, size.MaxDataWords())}) {
      SCOPED_TRACE("size " + std::to_string(number) + ", " + std::to_string(data_words) + " data words");
      std::vector<uint16_t> words(static_cast<size_t>(size.TotalWords()));
      for (uint16_t& w : words) w = static_cast<uint16_t>(rng() % (1u << size.WordBits()));
      const ModuleGrid want = ReferenceSymbol(size, words, data_words);
      const ModuleGrid got = AztecSymbol(size, words, data_words);
      ASSERT_EQ(got.dark, want.dark);
      FontString text, expected;
      AztecAppendSymbolText(size, words, data_words, text);
      AppendMatrixText(want, kAztecQuietZone, expected);
      ASSERT_EQ(text, expected);
    }
  }
}

// The mode message of every size and count of data words: its data nibbles
// (layers - 1, data words - 1) and its check words against the shared
// encoder in GF(16).
TEST(AztecModeMessage, EveryCountAtEverySize) {
  for (int32_t number = 1; number <= kAztecSizes; ++number) {
    const AztecSize size = AztecSizeOf(number);
    const int32_t data = size.ModeMessageDataWords(), bits = size.compact ? 6 : 11;
    for (int32_t words = 1; words <= std::min(size.MaxDataWords(), size.TotalWords()); ++words) {
      const uint32_t value = static_cast<uint32_t>((size.layers - 1) << bits | (words - 1));
      std::vector<uint16_t> nibbles;
      for (int32_t k = data - 1; k >= 0; --k) nibbles.push_back(static_cast<uint16_t>((value >> (4 * k)) & 15));
      const std::vector<uint16_t> want = ReferenceEcc<10>(kAztecGf16, nibbles, size.ModeMessageWords() - data);
      ASSERT_EQ(AztecModeMessage(size, words), want) << "size " << number << ", " << words << " data words";
    }
  }
}

std::string Repeated(std::string_view part, size_t length) {
  std::string value;
  while (value.size() < length) value += part;
  value.resize(length);
  return value;
}

TEST(AztecCheck, Arguments) {
  const struct {
    int32_t check;
    std::string value;
    int32_t rc;
    const char* why;
  } kRows[] = {
      {0, "AZTEC", 0, "the default"},
      {5, "AZTEC", 0, "the least share"},
      {95, "AZTEC", 0, "the greatest share"},
      {4, "AZTEC", 32561, "below 5%"},
      {96, "AZTEC", 32561, "above 95%"},
      {-1, "AZTEC", 32561, "negative"},
      {128 * 1, "AZTEC", 0, "compact, 1 layer"},
      {128 * 36, "AZTEC", 0, "full-range, 32 layers"},
      {128 * 37, "AZTEC", 32561, "no size 37"},
      {128 * 1 + 50, std::string(4, '7'), 0, "a size and a share together"},
      {128 * 1 + 50, std::string(8, '7'), 32560, "a size and a share together: too long"},
      {128 * 1, std::string(40, 'x'), 32560, "too long for the size asked for"},
      {0, std::string(3835, '9'), 0, "the most digits at 23%"},
      {0, std::string(3836, '9'), 32560, "too long for any symbol at 23%"},
      {5, std::string(4732, '9'), 0, "the most digits, at 5%"},
      {5, std::string(4733, '9'), 32560, "too long for any symbol"},
      {128 * 36, Repeated(". ", 7800), 0, "Punct pairs, 2.5 bits a character: longer than any digit value"},
      {128 * 36, Repeated(". ", 8000), 32560, "more characters than any symbol holds"},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(Translate(symbology::kAztec, row.value, row.check).rc, row.rc) << row.why;
  }
}

// Every size, asked for, holds a seeded value that reads back; the size
// chosen for a value is the first (in zint's order) with room for it at the
// share asked for, and its check words meet that share.
TEST(AztecSymbol, EverySizeReadsBack) {
  std::mt19937 rng(24778);
  for (int32_t number = 1; number <= kAztecSizes; ++number) {
    const AztecSize size = AztecSizeOf(number);
    SCOPED_TRACE("size " + std::to_string(number));
    // About half the data capacity, in text of every mode.
    const size_t length = static_cast<size_t>(size.TotalWords() * size.WordBits() / 12);
    std::string value;
    while (value.size() < length) value += "Az09 .,\r\n@_~!"[rng() % 13];
    const auto t = Translate(symbology::kAztec, value, 128 * number);
    ASSERT_EQ(t.rc, 0);
    const AztecReading r = ReadBack(t.bytes);
    EXPECT_EQ(r.data, value);
    EXPECT_EQ(r.size.Number(), number);
    EXPECT_EQ(r.corrected, 0);
  }
}

TEST(AztecSymbol, SmallestSizeAtEachShare) {
  std::mt19937 rng(2008);
  for (int32_t ec : {0, 5, 10, 23, 36, 50, 95}) {
    for (size_t length : {1u, 9u, 14u, 40u, 120u, 400u, 900u}) {
      std::string value;
      for (size_t i = 0; i < length; ++i) value += static_cast<char>(32 + rng() % 95);
      const auto t = Translate(symbology::kAztec, value, ec);
      if (t.rc == 32560) continue;  // 900 characters at 95%
      ASSERT_EQ(t.rc, 0);
      const AztecReading r = ReadBack(t.bytes);
      EXPECT_EQ(r.data, value);
      const int32_t share = ec ? ec : kAztecDefaultEcPercent;
      EXPECT_GE(r.size.TotalWords() - r.data_words, r.size.TotalWords() * share / 100 + 3) << ec;
      // Every smaller size refuses it at the same share.
      for (int32_t smaller = 1; smaller < r.size.Number(); ++smaller) {
        EXPECT_EQ(Translate(symbology::kAztec, value, share + 128 * smaller).rc, 32560)
            << "size " << smaller << " holds " << length << " characters at " << share << "%";
      }
    }
  }
}

// Damaged codewords up to half the check words are mended and counted; the
// mode message too.
// ISO/IEC 24778:2008 Figure 1 (left), "123456789012", and Figure G.2, "Code
// 2D!", both compact with 1 layer (size 1), module for module as zint's test
// suite gives them (backend/tests/test_aztec.c, BSD-3-Clause).
TEST(AztecSymbol, StandardsFiguresModuleForModule) {
  const char* const kFigure1Left[] = {
      "000111000011100",
      "110111001110010",
      "111100001000100",
      "001111111111100",
      "010100000001000",
      "100101111101010",
      "100101000101110",
      "001101010101100",
      "101101000101111",
      "101101111101010",
      "110100000001101",
      "000111111111111",
      "110001010010001",
      "101011110101010",
      "100010001000101",
  };
  const char* const kFigureG2[] = {
      "000110001100000",
      "000000110000010",
      "101100001000101",
      "011111111111100",
      "111100000001101",
      "000101111101100",
      "100101000101111",
      "001101010101001",
      "001101000101010",
      "010101111101001",
      "100100000001011",
      "100111111111101",
      "010001100010010",
      "011000011011010",
      "111001101100000",
  };
  struct Case {
    const char* value;
    const char* const* rows;
  } const cases[] = {{"123456789012", kFigure1Left}, {"Code 2D!", kFigureG2}};
  for (const Case& c : cases) {
    const test::Translation t = Translate(symbology::kAztec, c.value, 128);  // size 1
    ASSERT_EQ(t.rc, 0) << c.value;
    const ModuleGrid g = SymbolOf(t.bytes);
    ASSERT_EQ(g.width, 15) << c.value;
    for (int32_t y = 0; y < 15; ++y) {
      std::string row;
      for (int32_t x = 0; x < 15; ++x) row += g.at(x, y) ? '1' : '0';
      EXPECT_EQ(row, c.rows[y]) << c.value << ", row " << y;
    }
  }
}

TEST(AztecReader, CorrectsDamagedCodewords) {
  for (int32_t number : {1, 3, 4, 6, 14, 30}) {
    const AztecSize size = AztecSizeOf(number);
    SCOPED_TRACE("size " + std::to_string(number));
    const std::string value = "TAVO32 Aztec " + std::to_string(number);
    const auto t = Translate(symbology::kAztec, value, 128 * number);
    ASSERT_EQ(t.rc, 0);
    ModuleGrid g = SymbolOf(t.bytes);
    AztecReading clean;
    ASSERT_TRUE(DecodeAztecSymbol(g, clean));
    const int32_t damage = (size.TotalWords() - clean.data_words) / 2;
    const std::vector<AztecModule> modules = AztecLayerModules(size);
    const size_t pad = static_cast<size_t>(size.LayerBits() % size.WordBits());
    for (int32_t w = 0; w < damage; ++w) {  // every other word, its first bit flipped
      const AztecModule m = modules[pad + static_cast<size_t>(2 * w * size.WordBits()) % (modules.size() - pad)];
      g.set(m.x, m.y, !g.at(m.x, m.y));
    }
    const AztecModule mode = AztecModeMessageModules(size)[0];
    g.set(mode.x, mode.y, !g.at(mode.x, mode.y));
    AztecReading r;
    ASSERT_TRUE(DecodeAztecSymbol(g, r)) << r.error;
    EXPECT_EQ(r.data, value);
    EXPECT_EQ(r.corrected, damage);
    EXPECT_EQ(r.mode_corrected, 1);
  }
}

TEST(AztecReader, ReportsDamagedPatterns) {
  const auto t = Translate(symbology::kAztec, "PATTERNS", 128 * 7);  // full-range, 3 layers
  ASSERT_EQ(t.rc, 0);
  ModuleGrid g = SymbolOf(t.bytes);
  const AztecSize size = AztecSizeOf(7);
  const int32_t c = size.Width() / 2;
  g.set(c, c, false);                  // the bullseye's centre
  g.set(c - 7, c - 7, false);          // an orientation mark
  g.set(0, c, !g.at(0, c));            // the reference grid's centre row
  const std::vector<AztecPatternDamage> d = AztecPatternDamages(size, g);
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(d[0].pattern, "bullseye");
  EXPECT_EQ(d[1].pattern, "orientation marks");
  EXPECT_EQ(d[2].pattern, "reference grid");
  EXPECT_EQ(d[2].column, 0);
}

// UTF-8 text says so with ECI 26 first; Latin-1 bytes and ASCII go without.
TEST(AztecText, Utf8WithEci) {
  const struct {
    std::string value;
    int32_t eci;
  } kRows[] = {{"Z\xC3\xBCrich", 26}, {"Z\xFCrich", -1}, {"Zurich", -1}, {"\xE6\x9D\xB1\xE4\xBA\xAC", 26}};
  for (const auto& row : kRows) {
    const auto t = Translate(symbology::kAztec, row.value);
    ASSERT_EQ(t.rc, 0);
    const AztecReading r = ReadBack(t.bytes);
    EXPECT_EQ(r.data, row.value);
    EXPECT_EQ(r.eci, row.eci);
  }
}

}  // namespace
}  // namespace tavo
