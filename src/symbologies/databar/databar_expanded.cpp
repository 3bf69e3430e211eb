// GS1 DataBar Expanded: encodation methods (ISO/IEC 24724 7.2.5), symbol
// characters, the check character and the finder sequence (7.2.6-7.2.7).
#include "symbologies/databar/databar_expanded.h"

#include <string>
#include <string_view>

#include "interface/errors.h"
#include "symbologies/databar/databar.h"
#include "symbologies/databar/databar_tables.h"
#include "symbologies/encoders.h"
#include "symbologies/matrix/matrix_text.h"

namespace tavo {
namespace {

constexpr size_t kMaxData = 21;
constexpr char kFnc1 = static_cast<char>(185);

// The eight widths of a character, odd elements (bars of a left-to-right
// character) first of each pair.
void CharacterWidths(int value, uint8_t* widths) {
  size_t g = std::size(kDatabarExpandedGroups) - 1;
  while (value < kDatabarExpandedGroups[g].first) --g;
  const DatabarGroup& group = kDatabarExpandedGroups[g];
  const int v = value - group.first;
  uint8_t odd[4], even[4];
  DatabarCharacterWidths(v / group.even_patterns, group.odd_modules, 4, group.odd_widest, false, odd);
  DatabarCharacterWidths(v % group.even_patterns, group.even_modules, 4, group.even_widest, true, even);
  for (int i = 0; i < 4; ++i) {
    widths[2 * i] = odd[i];
    widths[2 * i + 1] = even[i];
  }
}

void Append(std::string& bits, unsigned value, int count) {
  for (int b = count - 1; b >= 0; --b) bits += (value >> b & 1) ? '1' : '0';
}

unsigned Number(std::string_view digits) {
  unsigned n = 0;
  for (char c : digits) n = n * 10 + static_cast<unsigned>(c - '0');
  return n;
}

// Digits 2 to 13 of a GTIN-14 in four groups of three, 10 bits each.
void AppendGtin12(std::string& bits, std::string_view gtin) {
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

bool Encodable(char c) {
  return ClassOf(c) != Mode::kIso || (c >= 'a' && c <= 'z') || kIsoMarks.find(c) != std::string_view::npos;
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
// `i` kept) or one character.
void AlphaOrIsoStep(std::string& bits, std::string_view d, size_t& i, Mode& mode) {
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
  } else {
    Append(bits, static_cast<unsigned>(kIsoMarks.find(c) + 232), 8), ++i;
  }
}

// Digit pairs (FNC1 counts as the digit 10) in 7 bits; a last lone digit in
// 4 bits where 4 to 6 bits remain of its character, else with FNC1 after
// it.  `mode` is the mode at the end; 32586 for a character no mode holds.
int32_t AppendGeneral(std::string& bits, std::string_view d, Mode& mode) {
  auto digit = [](char c) { return c == kFnc1 ? 10 : c - '0'; };
  for (char c : d) {
    if (!Encodable(c)) return kDatabarExpandedCharacter;
  }
  mode = Mode::kNumeric;
  for (size_t i = 0; i < d.size();) {
    if (mode != Mode::kNumeric) {
      AlphaOrIsoStep(bits, d, i, mode);
    } else if (i + 1 < d.size() && NextAre(d, i, 2, Mode::kNumeric, Mode::kNumeric)) {
      Append(bits, static_cast<unsigned>(11 * digit(d[i]) + digit(d[i + 1]) + 8), 7), i += 2;
    } else if (i + 1 == d.size() && d[i] >= '0' && d[i] <= '9') {
      const size_t left = Remainder(bits.size());
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
bool AppendWeightOnly(const Gs1Message& m, std::string& bits) {
  if (m.count != 2) return false;
  const std::string_view gtin = m.Data(m.Element(0)), ai = m.Ai(m.Element(1));
  const unsigned weight = Number(m.Data(m.Element(1)));
  unsigned coded = 0;
  const char* method = nullptr;
  if (ai == "3103" && weight <= 32767) {
    method = "0100", coded = weight;
  } else if (ai == "3202" && weight <= 9999) {
    method = "0101", coded = weight;
  } else if (ai == "3203" && weight <= 22767) {
    method = "0101", coded = weight + 10000;
  }
  if (method == nullptr || gtin[0] != '9') return false;
  bits += '0';  // no linked 2D component
  bits += method;
  AppendGtin12(bits, gtin);
  Append(bits, coded, 15);
  return true;
}

// Methods 0111000 to 0111111 (7.2.5.4.5): (01) with an indicator 9, a
// weight (310x or 320x, up to 99999) and one of the dates (11), (13), (15),
// (17) or none (then the date field holds 38400).
bool AppendWeightAndDate(const Gs1Message& m, std::string& bits) {
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
  bits += "00111";  // no linked component; method 0111
  Append(bits, 2 * date_index + (ai[1] == '2' ? 1 : 0), 3);
  AppendGtin12(bits, gtin);
  Append(bits, static_cast<unsigned>(ai[3] - '0') * 100000 + weight, 20);
  Append(bits, date, 16);
  return true;
}

// Methods 01100 and 01101 (7.2.5.4.6-7): (01) with an indicator 9, then a
// price (392x) or a price with its currency (393x), x up to 3; the price's
// digits and any further elements follow as general-purpose data.
bool PriceMethod(const Gs1Message& m, std::string& bits, size_t& vls, std::string_view& rest) {
  if (m.count < 2) return false;
  const std::string_view gtin = m.Data(m.Element(0)), ai = m.Ai(m.Element(1));
  if (gtin[0] != '9' || ai.size() != 4 || !(ai.starts_with("392") || ai.starts_with("393")) || ai[3] > '3') return false;
  const bool currency = ai[2] == '3';
  bits.append(currency ? "001101" : "001100");  // no linked component; the method
  vls = bits.size();
  bits.append("00");
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
int32_t MessageBits(const Gs1Message& m, std::string& bits, size_t& vls, Mode& mode) {
  vls = 0;
  mode = Mode::kNumeric;
  if (m.count > 0 && m.Ai(m.Element(0)) == "01") {
    if (AppendWeightOnly(m, bits) || AppendWeightAndDate(m, bits)) return 0;
    std::string_view rest;
    if (PriceMethod(m, bits, vls, rest)) return AppendGeneral(bits, rest, mode);
    const std::string_view gtin = m.Data(m.Element(0));
    bits.append("01");  // no linked component; method 1
    vls = bits.size();
    bits += "00";
    Append(bits, static_cast<unsigned>(gtin[0] - '0'), 4);
    AppendGtin12(bits, gtin);
    rest = std::string_view(m.code128.data() + m.Element(0).end, m.code128.size() - m.Element(0).end);
    return AppendGeneral(bits, rest, mode);
  }
  bits.append("000");  // no linked component; method 00, general purpose
  vls = bits.size();
  bits += "00";
  return AppendGeneral(bits, std::string_view(m.code128.data() + 1, m.code128.size() - 1), mode);
}

}  // namespace

int32_t DatabarExpandedCharacters(const Gs1Message& message, std::vector<uint16_t>& data) {
  std::string bits;
  size_t vls = 0;
  Mode mode = Mode::kNumeric;
  if (int32_t rc = MessageBits(message, bits, vls, mode)) return rc;
  // Padding (7.2.5.5.4): 00100s, after a latch from numeric to alphanumeric.
  const size_t pad = Remainder(bits.size());
  const std::string padding = std::string(mode == Mode::kNumeric ? "0000" : "") + "0010000100001000010000100001000010000100";
  bits += padding.substr(0, pad);
  const size_t chars = bits.size() / 12;
  if (chars > kMaxData) return kDatabarExpandedTooLong;
  if (vls != 0) {
    bits[vls] = (chars + 1) % 2 ? '1' : '0';
    bits[vls + 1] = chars + 1 > 14 ? '1' : '0';
  }
  data.clear();
  for (size_t c = 0; c < chars; ++c) data.push_back(static_cast<uint16_t>(std::stoi(bits.substr(12 * c, 12), nullptr, 2)));
  return 0;
}

void DatabarExpandedWidths(const std::vector<uint16_t>& data, std::vector<uint8_t>& widths) {
  const size_t count = data.size();
  const size_t pairs = (count + 2) / 2;
  std::vector<uint8_t> chars(8 * (count + 1));
  int checksum = 0;
  for (size_t i = 0; i < count; ++i) {
    uint8_t* w = &chars[8 * (i + 1)];
    CharacterWidths(data[i], w);
    const uint8_t* weights = kDatabarExpandedWeights[kDatabarWeightRows[pairs - 2][i]];
    for (int e = 0; e < 8; ++e) checksum += w[e] * weights[e];
  }
  CharacterWidths(static_cast<int>(211 * (count + 1 - 4) + checksum % 211), &chars[0]);
  widths.assign({1, 1});
  for (size_t p = 0; p < pairs; ++p) {
    widths.insert(widths.end(), &chars[16 * p], &chars[16 * p] + 8);
    const uint8_t* finder = kDatabarExpandedFinders[kDatabarFinderSequences[pairs - 2][p] - 1];
    widths.insert(widths.end(), finder, finder + 5);
    if (2 * p + 1 <= count) {
      for (int e = 7; e >= 0; --e) widths.push_back(chars[16 * p + 8 + static_cast<size_t>(e)]);
    }
  }
  widths.insert(widths.end(), {1, 1});
}

namespace {

// The height zint draws a single-row Expanded symbol, in modules (ISO/IEC
// 24724 asks for at least 34).
constexpr int kExpandedHeight = 34;

// The face text of one row of elements: kExpandedHeight equal lines of
// module-run glyphs, CR LF between them, the last glyph filled with light.
void AppendExpandedText(const std::vector<uint8_t>& widths, FontString& out) {
  std::string line;
  int run = 0, bits = 0;
  for (size_t e = 0; e < widths.size(); ++e) {
    for (int m = 0; m < widths[e]; ++m) {
      bits |= (e % 2 ? 1 : 0) << run;
      if (++run == kDatabarRun) line += kMatrixGlyphs[static_cast<size_t>(bits)], run = bits = 0;
    }
  }
  if (run != 0) line += kMatrixGlyphs[static_cast<size_t>(bits)];
  for (int h = 0; h < kExpandedHeight; ++h) {
    if (h != 0) out.append("\r\n");
    out.append(line);
  }
}

}  // namespace

// GS1 element strings, "(AI)data..." or "[AI]data...", validated by the GS1
// parser; the check argument is ignored, as for the other DataBar forms.
int32_t EncodeDatabarExpanded(std::string_view value, const Options&, FontString& out) {
  Gs1Message message;
  if (int32_t rc = ParseGs1ElementStrings(value, message, Gs1Limit{74, kDatabarExpandedTooLong, true})) return rc;
  std::vector<uint16_t> data;
  if (int32_t rc = DatabarExpandedCharacters(message, data)) return rc;
  std::vector<uint8_t> widths;
  DatabarExpandedWidths(data, widths);
  AppendExpandedText(widths, out);
  return kOk;
}

}  // namespace tavo
