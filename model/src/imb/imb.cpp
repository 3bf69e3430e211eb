// Intelligent Mail: 65 bars, one glyph each: "A" ascender, "D" descender,
// "F" full bar, "T" tracker.  A bar is one module wide and its glyph includes
// the space after it, 1.25 modules, so bars stand 2.25 modules apart.
// Reading goes backwards through the symbol: bars, the ten 13-bit
// characters, their codewords, the frame check sequence they carry against
// the one the value asks for, and the tracking and routing codes.
#include <bit>
#include <cstdio>

#include "model_internal.h"
#include "symbologies/imb/imb_symbol.h"

namespace tavo::model::detail {
namespace {

using namespace tavo::imb;

constexpr double kBarWidth = 1;
constexpr double kSpaceWidth = 1.25;
constexpr double kClearZone = 7;  // 0.125 inch and more at the font's size

BarHeight HeightOf(char c) {
  switch (c) {
    case 'A': return BarHeight::kAscender;
    case 'D': return BarHeight::kDescender;
    case 'T': return BarHeight::kTracker;
    default: return BarHeight::kFull;
  }
}

bool IsBar(char c) { return c == 'A' || c == 'D' || c == 'F' || c == 'T'; }

bool Check(std::string_view s, ModelError& error) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (!IsBar(s[i])) {
      return Fail(error, i, DescribeByteAt(s, i) + " is no glyph of the IMB font (A, D, F, T)");
    }
  }
  return true;
}

const char* BarName(char c) {
  switch (c) {
    case 'A': return "ASCENDER";
    case 'D': return "DESCENDER";
    case 'T': return "TRACKER";
    default: return "FULL";
  }
}

void DrawBar(size_t i, char c, Layout& layout) {
  layout.Bar(kBarWidth, HeightOf(c));
  layout.Space(kSpaceWidth);
  layout.AddCharacter(i, BarName(c));
}

// Reading ---------------------------------------------------------------------

constexpr char kCharacterNames[] = "ABCDEFGHIJ";

// The ten characters the bar parts spell.
std::array<uint32_t, 10> CharactersOfBars(std::string_view bars) {
  std::array<uint32_t, 10> characters{};
  for (size_t n = 0; n < kBars; ++n) {
    const BarSource& s = kBarSources[n];
    if (bars[n] == 'D' || bars[n] == 'F') characters[s.descender_character] |= 1u << s.descender_bit;
    if (bars[n] == 'A' || bars[n] == 'F') characters[s.ascender_character] |= 1u << s.ascender_bit;
  }
  return characters;
}

// The codeword of a character with 2 or 5 bits set.
uint32_t CodewordOf(uint32_t character) {
  for (size_t i = 0; i < kFiveOfThirteen.size(); ++i) {
    if (kFiveOfThirteen[i] == character) return static_cast<uint32_t>(i);
  }
  for (size_t i = 0; i < kTwoOfThirteen.size(); ++i) {
    if (kTwoOfThirteen[i] == character) return static_cast<uint32_t>(kFiveOfThirteen.size() + i);
  }
  return 0;  // not reached: every such character is in a table
}

std::string Hex(uint32_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%03X", v);
  return buf;
}

// Characters to codewords: a character with 8 or 11 bits set is the
// complement of one with 5 or 2, and carries a set frame check bit.  Empty,
// or the first fault.
std::string ReadCodewords(const std::array<uint32_t, 10>& characters, std::array<uint32_t, 10>& codewords,
                          uint32_t& frame_check) {
  frame_check = 0;
  for (size_t i = 0; i < 10; ++i) {
    uint32_t c = characters[i];
    const int set = std::popcount(c);
    if (set == 8 || set == 11) {
      c ^= kCharacterMask;
      frame_check |= 1u << i;
    } else if (set != 2 && set != 5) {
      return std::string("character ") + kCharacterNames[i] + " has " + std::to_string(set) +
             " of its 13 bar parts (2, 5, 8 or 11 in a symbol): a bar is damaged";
    }
    codewords[i] = CodewordOf(c);
  }
  if (codewords[9] % 2 != 0) return "codeword J is odd: a bar is damaged";
  codewords[9] /= 2;
  if (codewords[0] > kCodewordAMax) {
    codewords[0] -= kCodewordAMax + 1;
    frame_check |= kFrameCheckTop;
    if (codewords[0] > kCodewordAMax) return "codeword A is out of range: a bar is damaged";
  }
  return {};
}

// The binary value back to the 20 tracking digits (last first) and the
// routing code, whose size tells its length.  Empty, or the fault.
std::string ReadCodes(Wide value, std::string& tracking, std::string& routing) {
  tracking.assign(kTrackingDigits, '0');
  for (size_t i = kTrackingDigits - 1; i >= 2; --i) tracking[i] = static_cast<char>('0' + value.DivideBy(10));
  tracking[1] = static_cast<char>('0' + value.DivideBy(5));
  tracking[0] = static_cast<char>('0' + value.DivideBy(10));
  uint64_t rest = value.Low();  // below 2^37 here
  size_t length = 0;
  for (size_t l : {11, 9, 5}) {
    if (rest >= RoutingOffset(l)) {
      length = l;
      rest -= RoutingOffset(l);
      break;
    }
  }
  routing.assign(length, '0');
  for (size_t i = length; i-- > 0; rest /= 10) routing[i] = static_cast<char>('0' + rest % 10);
  return rest == 0 ? std::string() : "the routing code is out of range: a bar is damaged";
}

}  // namespace

bool BuildImb(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  if (!Check(s, error)) return false;
  Layout layout(symbol);
  for (size_t i = 0; i < s.size(); ++i) DrawBar(i, s[i], layout);
  layout.Finish(kClearZone, kClearZone);
  return true;
}

bool DrawImbGlyph(unsigned char code, const ModelOptions&, Layout& layout) {
  const char c = static_cast<char>(code);
  if (!IsBar(c)) return false;
  DrawBar(0, c, layout);
  return true;
}

bool ReadImb(int32_t, std::string_view s, Reading& reading, ModelError& error) {
  if (!Check(s, error)) return false;
  reading = {};
  if (s.size() != kBars) {
    reading.faults.push_back(std::to_string(s.size()) + " bars: a symbol has 65");
    return true;
  }
  std::array<uint32_t, 10> codewords{};
  uint32_t found = 0;
  if (std::string fault = ReadCodewords(CharactersOfBars(s), codewords, found); !fault.empty()) {
    reading.faults.push_back(std::move(fault));
    return true;
  }
  Wide value(codewords[0]);
  for (size_t i = 1; i < 9; ++i) value.MultiplyAdd(kDivisor, codewords[i]);
  value.MultiplyAdd(kLastDivisor, codewords[9]);
  if (value.High() >> 38) {
    reading.faults.push_back("the codewords make a number above 102 bits: a bar is damaged");
    return true;
  }
  const uint32_t expected = FrameCheck(value.High(), value.Low());
  reading.checks.push_back({.what = "frame check sequence", .found = Hex(found), .expected = Hex(expected)});
  if (found != expected) reading.faults.push_back("the frame check sequence does not match: a bar is damaged");
  std::string tracking, routing;
  if (std::string fault = ReadCodes(value, tracking, routing); !fault.empty()) {
    reading.faults.push_back(std::move(fault));
    return true;
  }
  reading.data = routing.empty() ? tracking : tracking + "-" + routing;
  return true;
}

}  // namespace tavo::model::detail
