// GS1 DataBar Expanded: encodation methods (ISO/IEC 24724 7.2.5), symbol
// characters, the check character and the finder sequence (7.2.6-7.2.7).
#include "symbologies/databar/databar_expanded.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <string_view>

#include "interface/errors.h"
#include "symbologies/databar/databar.h"
#include "symbologies/databar/databar_tables.h"
#include "symbologies/encoders.h"
#include "symbologies/matrix/matrix_text.h"

namespace tavo {
namespace {

constexpr size_t kMaxData = kDatabarExpandedMaxData;
constexpr char kFnc1 = static_cast<char>(185);

// The width patterns of Expanded characters, built at compile time: for
// each group of kDatabarExpandedGroups, its odd patterns (4 elements over
// odd_modules, none wider than odd_widest, at least one of width 1) and its
// even patterns (4 over even_modules, none wider than even_widest), each in
// order of their widths from the left: ISO/IEC 24724's width algorithm
// numbers the patterns in that order, and a group uses the first
// (size / even_patterns) odd ones (group 0: 87 of the 114).  A value v of a
// group is odd pattern v / even_patterns and even pattern v % even_patterns.
// Each pattern is held as its four widths spread over the bytes of a
// 64-bit word where they stand among a character's eight (odd: bytes 0, 2,
// 4, 6; even: 1, 3, 5, 7), so that a character is one odd and one even word
// together.
struct ExpandedPatterns {
  uint64_t odd[180];
  uint64_t even[384];
  uint16_t odd_at[5], odd_count[5], even_at[5], even_count[5];
};

constexpr void AddPatterns(int modules, int widest, bool need_one, int limit, int first_byte, uint64_t* out, uint16_t& n) {
  const int end = n + limit;
  for (int a = 1; a <= widest && n < end; ++a) {
    for (int b = 1; b <= widest; ++b) {
      for (int c = 1; c <= widest; ++c) {
        const int d = modules - a - b - c;
        if (d < 1 || d > widest || (need_one && a != 1 && b != 1 && c != 1 && d != 1) || n == end) continue;
        const uint64_t widths[4] = {uint64_t(a), uint64_t(b), uint64_t(c), uint64_t(d)};
        for (int i = 0; i < 4; ++i) out[n] |= widths[i] << (8 * (2 * i + first_byte));
        ++n;
      }
    }
  }
}

constexpr ExpandedPatterns MakePatterns() {
  ExpandedPatterns t{};
  uint16_t odd = 0, even = 0;
  for (size_t g = 0; g < 5; ++g) {
    const DatabarGroup& group = kDatabarExpandedGroups[g];
    const int size = (g + 1 < 5 ? kDatabarExpandedGroups[g + 1].first : 4192) - group.first;
    t.odd_at[g] = odd, t.even_at[g] = even;
    AddPatterns(group.odd_modules, group.odd_widest, true, size / group.even_patterns, 0, t.odd, odd);
    AddPatterns(group.even_modules, group.even_widest, false, group.even_patterns, 1, t.even, even);
    t.odd_count[g] = static_cast<uint16_t>(odd - t.odd_at[g]);
    t.even_count[g] = static_cast<uint16_t>(even - t.even_at[g]);
  }
  return t;
}

inline constexpr ExpandedPatterns kPatterns = MakePatterns();

// Each group holds exactly its values: odd patterns times even patterns.
constexpr bool PatternsFillTheGroups() {
  for (size_t g = 0; g < 5; ++g) {
    const int next = g + 1 < 5 ? kDatabarExpandedGroups[g + 1].first : 4192;
    if (kPatterns.even_count[g] != kDatabarExpandedGroups[g].even_patterns ||
        kPatterns.odd_count[g] * kPatterns.even_count[g] != next - kDatabarExpandedGroups[g].first) {
      return false;
    }
  }
  return kPatterns.odd_at[4] + kPatterns.odd_count[4] == 180 && kPatterns.even_at[4] + kPatterns.even_count[4] == 384;
}
static_assert(PatternsFillTheGroups());

// The bytes of a word in the opposite order (std::byteswap is C++23).
constexpr uint64_t Byteswap(uint64_t word) {
  uint64_t swapped = 0;
  for (int i = 0; i < 8; ++i, word >>= 8) swapped = swapped << 8 | (word & 0xFF);
  return swapped;
}

// The eight widths of a character as the bytes of a word, byte i the
// width of element i, odd elements (bars of a left-to-right character)
// first of each pair.
uint64_t CharacterWord(int value) {
  size_t g = std::size(kDatabarExpandedGroups) - 1;
  while (value < kDatabarExpandedGroups[g].first) --g;
  const int v = value - kDatabarExpandedGroups[g].first, even_patterns = kDatabarExpandedGroups[g].even_patterns;
  return kPatterns.odd[kPatterns.odd_at[g] + v / even_patterns] | kPatterns.even[kPatterns.even_at[g] + v % even_patterns];
}

// Writes the eight widths of a character's word, in order or reversed.
uint8_t* PutWidths(uint64_t word, bool reversed, uint8_t* out) {
  if (reversed) word = Byteswap(word);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, &word, 8);
  } else {
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(word >> (8 * i));
  }
  return out + 8;
}

// The message as a bit string, most significant bit first, in words of
// 64 bits.  Past its room (only a message far over 21 characters gets
// there) the bits are counted and dropped.
class Bits {
 public:
  size_t size() const { return size_; }
  // Appends the low `count` bits of `value`, count 1 to 32.
  TAVO_HOT_INLINE void Add(uint32_t value, int count) {
    const size_t n = static_cast<size_t>(count);
    if (size_ + n <= kCapacity) {
      const uint64_t v = value & ((uint64_t{1} << n) - 1);
      const size_t word = size_ / 64, used = size_ % 64;
      if (used + n <= 64) {
        words_[word] |= v << (64 - used - n);
      } else {
        words_[word] |= v >> (used + n - 64);
        words_[word + 1] |= v << (128 - used - n);
      }
    }
    size_ += n;
  }
  void Set(size_t i, bool bit) {
    const uint64_t mask = uint64_t{1} << (63 - i % 64);
    words_[i / 64] = bit ? words_[i / 64] | mask : words_[i / 64] & ~mask;
  }
  // The `count` bits (1 to 32) from bit `from` as a number.
  unsigned Value(size_t from, int count) const {
    const size_t word = from / 64, used = from % 64;
    uint64_t v = words_[word] << used;
    if (used != 0) v |= words_[word + 1] >> (64 - used);
    return static_cast<unsigned>(v >> (64 - count));
  }

 private:
  static constexpr size_t kCapacity = 1024;
  std::array<uint64_t, kCapacity / 64 + 1> words_{};
  size_t size_ = 0;
};

TAVO_HOT_INLINE void Append(Bits& bits, unsigned value, int count) { bits.Add(value, count); }

unsigned Number(std::string_view digits) {
  unsigned n = 0;
  for (char c : digits) n = n * 10 + static_cast<unsigned>(c - '0');
  return n;
}

// Digits 2 to 13 of a GTIN-14 in four groups of three, 10 bits each.
void AppendGtin12(Bits& bits, std::string_view gtin) {
  for (size_t i = 1; i < 13; i += 3) Append(bits, Number(gtin.substr(i, 3)), 10);
}

// Bits from `bits.size()` to the end of the character holding it; a symbol
// holds at least 3 data characters.
size_t Remainder(size_t used) {
  if (used < 36) return 36 - used;
  return (12 - used % 12) % 12;
}

// General-purpose data (7.2.5.5): three modes, numeric first.  The
// character classes: digits and FNC1 (numeric), A-Z and the five marks of
// kAlphaMarks (alphanumeric), a-z and the marks of kIsoMarks (ISO/IEC 646).
enum class Mode { kNumeric, kAlpha, kIso };
constexpr std::string_view kAlphaMarks = "*,-./";            // values 58-62, 6 bits
constexpr std::string_view kIsoMarks = "!\"%&'()*+,-./:;<=>?_ ";  // values 232-252, 8 bits

Mode ClassOf(char c) {
  if (c == kFnc1 || (c >= '0' && c <= '9')) return Mode::kNumeric;
  if ((c >= 'A' && c <= 'Z') || kAlphaMarks.find(c) != std::string_view::npos) return Mode::kAlpha;
  return Mode::kIso;
}

// True when `count` characters follow from `i` and each is of class `a`
// (or `b`).
bool NextAre(std::string_view d, size_t i, size_t count, Mode a, Mode b) {
  if (i + count > d.size()) return false;
  for (size_t k = i; k < i + count; ++k) {
    if (ClassOf(d[k]) != a && ClassOf(d[k]) != b) return false;
  }
  return true;
}

// True when none of the next ten characters (or those to the end) is of
// the ISO/IEC 646 class.
bool NoIsoAhead(std::string_view d, size_t i) {
  for (size_t k = i; k < d.size() && k < i + 10; ++k) {
    if (ClassOf(d[k]) == Mode::kIso) return false;
  }
  return true;
}

// One step in the alphanumeric or ISO/IEC 646 mode: a latch (mode changed,
// `i` kept) or one character; false for a character no mode holds.
bool AlphaOrIsoStep(Bits& bits, std::string_view d, size_t& i, Mode& mode) {
  const char c = d[i];
  const Mode cls = ClassOf(c);
  const bool alpha = mode == Mode::kAlpha;
  if (c == kFnc1) {
    Append(bits, 0x0F, 5), mode = Mode::kNumeric, ++i;  // FNC1 returns to numeric
  } else if (alpha && cls == Mode::kIso) {
    Append(bits, 0x04, 5), mode = Mode::kIso;
  } else if (alpha && (NextAre(d, i, 6, Mode::kNumeric, Mode::kNumeric) ||
                       (d.size() - i >= 4 && NextAre(d, i, d.size() - i, Mode::kNumeric, Mode::kNumeric)))) {
    Append(bits, 0, 3), mode = Mode::kNumeric;
  } else if (!alpha && NoIsoAhead(d, i) && NextAre(d, i, 4, Mode::kNumeric, Mode::kNumeric)) {
    Append(bits, 0, 3), mode = Mode::kNumeric;
  } else if (!alpha && NoIsoAhead(d, i) && NextAre(d, i, 5, Mode::kAlpha, Mode::kNumeric)) {
    Append(bits, 0x04, 5), mode = Mode::kAlpha;
  } else if (c >= '0' && c <= '9') {
    Append(bits, static_cast<unsigned>(c - '0' + 5), 5), ++i;
  } else if (c >= 'A' && c <= 'Z') {
    Append(bits, static_cast<unsigned>(c - 'A' + (alpha ? 32 : 64)), alpha ? 6 : 7), ++i;
  } else if (c >= 'a' && c <= 'z') {
    Append(bits, static_cast<unsigned>(c - 'a' + 90), 7), ++i;
  } else if (alpha) {
    Append(bits, static_cast<unsigned>(kAlphaMarks.find(c) + 58), 6), ++i;
  } else if (const size_t mark = kIsoMarks.find(c); mark != std::string_view::npos) {
    Append(bits, static_cast<unsigned>(mark + 232), 8), ++i;
  } else {
    return false;
  }
  return true;
}

// Digit pairs (FNC1 counts as the digit 10) in 7 bits; a last lone digit in
// 4 bits where 4 to 6 bits remain of the symbol's last character (a stacked
// symbol's extra character of padding counted), else with FNC1 after it.
// `mode` is the mode at the end; 32586 for a character no mode holds.
int32_t AppendGeneral(Bits& bits, std::string_view d, int segments, Mode& mode) {
  auto digit = [](char c) { return c == kFnc1 ? 10 : c - '0'; };
  auto numeric = [](char c) { return c == kFnc1 || (c >= '0' && c <= '9'); };
  mode = Mode::kNumeric;
  for (size_t i = 0; i < d.size();) {
    if (mode != Mode::kNumeric) {
      if (!AlphaOrIsoStep(bits, d, i, mode)) return kDatabarExpandedCharacter;
    } else if (i + 1 < d.size() && numeric(d[i]) && numeric(d[i + 1])) {
      Append(bits, static_cast<unsigned>(11 * digit(d[i]) + digit(d[i + 1]) + 8), 7), i += 2;
    } else if (i + 1 == d.size() && d[i] >= '0' && d[i] <= '9') {
      size_t left = Remainder(bits.size());
      if (segments > 0 && ((bits.size() + left) / 12 + 1) % static_cast<size_t>(segments) == 1) left += 12;
      if (left >= 4 && left <= 6) {
        Append(bits, static_cast<unsigned>(digit(d[i]) + 1), 4);
      } else {
        Append(bits, static_cast<unsigned>(11 * digit(d[i]) + 10 + 8), 7);
      }
      ++i;
    } else {
      Append(bits, 0, 4), mode = Mode::kAlpha;  // alphanumeric latch
    }
  }
  return 0;
}

// The compressed method for (01) with an indicator 9 and a net weight alone:
// 0100 (3103, up to 32767) or 0101 (3202 up to 9999, 3203 up to 22767).
bool AppendWeightOnly(const Gs1Message& m, Bits& bits) {
  if (m.count != 2) return false;
  const std::string_view gtin = m.Data(m.Element(0)), ai = m.Ai(m.Element(1));
  const unsigned weight = Number(m.Data(m.Element(1)));
  unsigned coded = 0;
  unsigned method = 0;  // 0100 or 0101
  if (ai == "3103" && weight <= 32767) {
    method = 0b0100, coded = weight;
  } else if (ai == "3202" && weight <= 9999) {
    method = 0b0101, coded = weight;
  } else if (ai == "3203" && weight <= 22767) {
    method = 0b0101, coded = weight + 10000;
  }
  if (method == 0 || gtin[0] != '9') return false;
  bits.Add(method, 5);  // no linked 2D component, the method
  AppendGtin12(bits, gtin);
  Append(bits, coded, 15);
  return true;
}

// Methods 0111000 to 0111111 (7.2.5.4.5): (01) with an indicator 9, a
// weight (310x or 320x, up to 99999) and one of the dates (11), (13), (15),
// (17) or none (then the date field holds 38400).
bool AppendWeightAndDate(const Gs1Message& m, Bits& bits) {
  if (m.count != 2 && m.count != 3) return false;
  const std::string_view gtin = m.Data(m.Element(0)), ai = m.Ai(m.Element(1));
  const unsigned weight = Number(m.Data(m.Element(1)));
  if (gtin[0] != '9' || ai.size() != 4 || weight > 99999 || !(ai.starts_with("310") || ai.starts_with("320"))) return false;
  static constexpr std::string_view kDates[] = {"11", "13", "15", "17"};
  unsigned date_index = 0, date = 38400;
  if (m.count == 3) {
    const std::string_view date_ai = m.Ai(m.Element(2)), yymmdd = m.Data(m.Element(2));
    while (date_index < 4 && kDates[date_index] != date_ai) ++date_index;
    if (date_index == 4) return false;
    date = Number(yymmdd.substr(0, 2)) * 384 + (Number(yymmdd.substr(2, 2)) - 1) * 32 + Number(yymmdd.substr(4, 2));
  }
  bits.Add(0b00111, 5);  // no linked component; method 0111
  Append(bits, 2 * date_index + (ai[1] == '2' ? 1 : 0), 3);
  AppendGtin12(bits, gtin);
  Append(bits, static_cast<unsigned>(ai[3] - '0') * 100000 + weight, 20);
  Append(bits, date, 16);
  return true;
}

// Methods 01100 and 01101 (7.2.5.4.6-7): (01) with an indicator 9, then a
// price (392x) or a price with its currency (393x), x up to 3; the price's
// digits and any further elements follow as general-purpose data.
bool PriceMethod(const Gs1Message& m, Bits& bits, size_t& vls, std::string_view& rest) {
  if (m.count < 2) return false;
  const std::string_view gtin = m.Data(m.Element(0)), ai = m.Ai(m.Element(1));
  if (gtin[0] != '9' || ai.size() != 4 || !(ai.starts_with("392") || ai.starts_with("393")) || ai[3] > '3') return false;
  const bool currency = ai[2] == '3';
  bits.Add(currency ? 0b001101 : 0b001100, 6);  // no linked component; the method
  vls = bits.size();
  bits.Add(0, 2);
  AppendGtin12(bits, gtin);
  Append(bits, static_cast<unsigned>(ai[3] - '0'), 2);
  const size_t data = m.Element(1).at + 4u;
  if (currency) Append(bits, Number(std::string_view(m.code128.data() + data, 3)), 10);
  const size_t from = data + (currency ? 3 : 0);
  rest = std::string_view(m.code128.data() + from, m.code128.size() - from);
  return true;
}

// The whole bit string; `vls` is where the variable-length field's two bits
// stand, or 0 for methods without one.
int32_t MessageBits(const Gs1Message& m, int segments, Bits& bits, size_t& vls, Mode& mode) {
  vls = 0;
  mode = Mode::kNumeric;
  if (m.count > 0 && m.Ai(m.Element(0)) == "01") {
    if (AppendWeightOnly(m, bits) || AppendWeightAndDate(m, bits)) return 0;
    std::string_view rest;
    if (PriceMethod(m, bits, vls, rest)) return AppendGeneral(bits, rest, segments, mode);
    const std::string_view gtin = m.Data(m.Element(0));
    bits.Add(0b01, 2);  // no linked component; method 1
    vls = bits.size();
    bits.Add(0, 2);
    Append(bits, static_cast<unsigned>(gtin[0] - '0'), 4);
    AppendGtin12(bits, gtin);
    rest = std::string_view(m.code128.data() + m.Element(0).end, m.code128.size() - m.Element(0).end);
    return AppendGeneral(bits, rest, segments, mode);
  }
  bits.Add(0, 3);  // no linked component; method 00, general purpose
  vls = bits.size();
  bits.Add(0, 2);
  return AppendGeneral(bits, std::string_view(m.code128.data() + 1, m.code128.size() - 1), segments, mode);
}

}  // namespace

namespace {

// The data characters into `data`, `count` of them (DatabarExpandedCharacters).
TAVO_HOT_INLINE int32_t Characters(const Gs1Message& message, int segments, std::array<uint16_t, kMaxData>& data, size_t& count) {
  Bits bits;
  size_t vls = 0;
  Mode mode = Mode::kNumeric;
  if (int32_t rc = MessageBits(message, segments, bits, vls, mode)) return rc;
  // Padding (7.2.5.5.4): 00100s, after a latch from numeric to alphanumeric.
  // A stacked symbol whose last row would hold a single segment takes one
  // character of padding more.
  size_t pad = Remainder(bits.size());
  if (segments > 0 && ((bits.size() + pad) / 12 + 1) % static_cast<size_t>(segments) == 1) pad += 12;
  const size_t latch = mode == Mode::kNumeric ? std::min<size_t>(pad, 4) : 0;  // numeric: "0000" first
  if (latch != 0) bits.Add(0, static_cast<int>(latch));
  constexpr uint64_t kPadding = 0x2108421084;  // 00100 eight times
  for (size_t done = 0; done < pad - latch;) {  // in parts of up to 20 bits
    const size_t part = std::min<size_t>(pad - latch - done, 20);
    bits.Add(static_cast<uint32_t>(kPadding >> (40 - done % 5 - part)), static_cast<int>(part));
    done += part;
  }
  const size_t chars = bits.size() / 12;
  if (chars > kMaxData) return kDatabarExpandedTooLong;
  if (vls != 0) {
    bits.Set(vls, (chars + 1) % 2 != 0);
    bits.Set(vls + 1, chars + 1 > 14);
  }
  for (size_t c = 0; c < chars; ++c) data[c] = static_cast<uint16_t>(bits.Value(12 * c, 12));
  count = chars;
  return 0;
}

constexpr size_t kMaxElements = kDatabarExpandedMaxElements;

// The element widths of `count` data characters into `widths`; returns
// how many (DatabarExpandedWidths).
TAVO_HOT_INLINE size_t Widths(const uint16_t* data, size_t count, uint8_t* widths) {
  const size_t pairs = (count + 2) / 2;
  std::array<uint64_t, kMaxData + 1> chars;
  int checksum = 0;
  for (size_t i = 0; i < count; ++i) {
    chars[i + 1] = CharacterWord(data[i]);
    const uint8_t* weights = kDatabarExpandedWeights[kDatabarWeightRows[pairs - 2][i]];
    for (int e = 0; e < 8; ++e) checksum += static_cast<int>(chars[i + 1] >> (8 * e) & 0xFF) * weights[e];
  }
  chars[0] = CharacterWord(static_cast<int>(211 * (count + 1 - 4) + checksum % 211));
  // Guards, then per pair: the left character, the finder, the right one
  // reversed (none after the last finder for an odd count).
  uint8_t* out = widths;
  *out++ = 1, *out++ = 1;
  for (size_t p = 0; p < pairs; ++p) {
    out = PutWidths(chars[2 * p], false, out);
    const uint8_t* finder = kDatabarExpandedFinders[kDatabarFinderSequences[pairs - 2][p] - 1];
    for (int e = 0; e < 5; ++e) *out++ = finder[e];
    if (2 * p + 1 <= count) out = PutWidths(chars[2 * p + 1], true, out);
  }
  *out++ = 1, *out++ = 1;
  return static_cast<size_t>(out - widths);
}

}  // namespace

int32_t DatabarExpandedCharacters(const Gs1Message& message, std::vector<uint16_t>& data, int segments) {
  std::array<uint16_t, kMaxData> chars;
  size_t count = 0;
  if (int32_t rc = Characters(message, segments, chars, count)) return rc;
  data.assign(chars.begin(), chars.begin() + static_cast<ptrdiff_t>(count));
  return 0;
}

void DatabarExpandedWidths(const std::vector<uint16_t>& data, std::vector<uint8_t>& widths) {
  widths.resize(kMaxElements);
  widths.resize(Widths(data.data(), data.size(), widths.data()));
}

int32_t DatabarExpandedCharacters(const Gs1Message& message, int segments, std::array<uint16_t, kMaxData>& data,
                                  size_t& count) {
  return Characters(message, segments, data, count);
}

size_t DatabarExpandedWidths(const uint16_t* data, size_t count, uint8_t* widths) {
  return Widths(data, count, widths);
}

namespace {

// The height zint draws a single-row Expanded symbol, in modules (ISO/IEC
// 24724 asks for at least 34).
constexpr int kExpandedHeight = 34;

// The face text of one row of elements: kExpandedHeight equal lines of
// module-run glyphs, CR LF between them, the last glyph filled with light.
// The modules gather in a 64-bit word, a light and a dark element at a
// time, and leave it seven glyphs at a time.
void AppendExpandedText(const uint8_t* widths, size_t elements, FontString& out) {
  std::array<char, 104> line;
  size_t glyphs = 0;
  uint64_t word = 0;
  int have = 0;
  auto flush = [&](int modules) {
    for (int m = 0; m < modules; m += kDatabarRun, word >>= kDatabarRun) line[glyphs++] = kMatrixGlyphs[word & 63];
  };
  for (size_t e = 0; e < elements; e += 2) {
    have += widths[e];
    if (e + 1 < elements) {
      word |= ((uint64_t{1} << widths[e + 1]) - 1) << have;
      have += widths[e + 1];
    }
    if (have >= 42) flush(42), have -= 42;  // 41 + two elements of 9 stay within the word
  }
  flush(have);
  line[glyphs] = '\r', line[glyphs + 1] = '\n';
  const size_t stride = glyphs + 2, size = kExpandedHeight * stride - 2;
  char* text = out.Extend(size);
  std::memcpy(text, line.data(), std::min(stride, size));
  for (size_t done = stride; done < size; done *= 2) std::memcpy(text + done, text, std::min(done, size - done));
}

}  // namespace

// GS1 element strings, "(AI)data..." or "[AI]data...", validated by the GS1
// parser; the check argument is ignored, as for the other DataBar forms.
TAVO_FLATTEN int32_t EncodeDatabarExpanded(std::string_view value, const Options&, FontString& out) {
  Gs1Message message;
  if (int32_t rc = ParseGs1ElementStrings(value, message, Gs1Limit{74, kDatabarExpandedTooLong, true})) return rc;
  std::array<uint16_t, kMaxData> data;
  size_t count = 0;
  if (int32_t rc = Characters(message, 0, data, count)) return rc;
  std::array<uint8_t, kMaxElements> widths;
  AppendExpandedText(widths.data(), Widths(data.data(), count, widths.data()), out);
  return kOk;
}

}  // namespace tavo
