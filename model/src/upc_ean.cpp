// The UPC/EAN/JAN font: digits in number sets A, B and C, guards, add-on
// characters, and caption glyphs that draw a digit beside the bars and no
// bars at all.  One font serves UPC-A, UPC-E, EAN/JAN-8 and EAN/JAN-13.
#include <array>
#include <regex>
#include <vector>

#include "model_internal.h"
#include "symbologies/codes.h"
#include "symbologies/upc_ean.h"

namespace tavo::model::detail {

using namespace tavo::symbology;

namespace {

// Kinds of glyph, one letter each, so a font string reads as a word that a
// pattern can check.
constexpr char kSetA = 'A', kSetB = 'B', kSetC = 'C';  // left-odd, left-even, right digits
constexpr char kLead = 'u', kCheck = 'k';              // UPC-A first and last digits (sets A, C)
constexpr char kCaptionLeft = 'L', kCaptionRight = 'R', kCaptionRightAddOn = 'S';
constexpr char kAddOnA = 'o', kAddOnB = 'e';
constexpr char kLeftGuard = 'l', kCentreGuard = 'm', kRightGuard = 'n', kEndGuard = 'v';
constexpr char kAddOnStart = 's', kAddOnSeparator = 'p', kSpacer = 'x';

// Digit glyphs of each kind, the glyph of digit d at index d.
struct DigitSet {
  char kind;
  std::string_view glyphs;
};
constexpr std::array<DigitSet, 10> kDigitSets = {{
    {kSetA, tavo::kLeftOddSet},
    {kSetB, tavo::kLeftEvenSet},
    {kSetC, tavo::kRightSet},
    {kLead, tavo::kUpcALeadSet},
    {kCheck, tavo::kUpcACheckSet},
    {kCaptionLeft, tavo::kCaptionLeftSet},
    {kCaptionRight, tavo::kCaptionRightSet},
    {kCaptionRightAddOn, tavo::kCaptionRightSupplementSet},
    {kAddOnA, tavo::kSupplementOddSet},
    {kAddOnB, tavo::kSupplementEvenSet},
}};
constexpr char kSingleBytes[] = {tavo::kLeftGuard,       tavo::kCentreGuard,         tavo::kRightGuard,
                                 tavo::kUpcEEndGuard,    tavo::kSupplementStart,     tavo::kSupplementSeparator,
                                 tavo::kSpacer};
constexpr std::string_view kSingleKinds = "lmnvspx";

struct Glyph {
  char kind = 0;
  int digit = -1;
};

constexpr std::array<Glyph, 256> kGlyphs = [] {
  std::array<Glyph, 256> glyphs{};
  for (const DigitSet& set : kDigitSets) {
    for (size_t d = 0; d < set.glyphs.size(); ++d) {
      glyphs[static_cast<unsigned char>(set.glyphs[d])] = {set.kind, static_cast<int>(d)};
    }
  }
  for (size_t i = 0; i < std::size(kSingleBytes); ++i) {
    glyphs[static_cast<unsigned char>(kSingleBytes[i])] = {kSingleKinds[i], -1};
  }
  return glyphs;
}();

// Number set A, seven modules each ('1' bar); set C is its complement and
// set B set C reversed.
// ISO/IEC 15420:2009 Table 1 (number sets A, B and C).
constexpr std::array<std::string_view, 10> kSetAModules = {
    "0001101", "0011001", "0010011", "0111101", "0100011",
    "0110001", "0101111", "0111011", "0110111", "0001011"};

std::string Modules(char set, int digit) {
  std::string m(kSetAModules[static_cast<size_t>(digit)]);
  if (set == kSetA) return m;
  for (char& c : m) c = c == '1' ? '0' : '1';
  if (set == kSetB) return std::string(m.rbegin(), m.rend());
  return m;
}

// Width of a glyph that draws no bars (a caption digit or the spacer): the
// gap before an add-on is one of them, and the standard asks 7 to 12 modules.
constexpr double kBlankWidth = 9;

bool Parse(std::string_view s, std::vector<Glyph>& glyphs, ModelError& error) {
  glyphs.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    const Glyph g = kGlyphs[static_cast<unsigned char>(s[i])];
    if (g.kind == 0) return Fail(error, i, DescribeByteAt(s, i) + " is no glyph of the UPC/EAN/JAN font");
    glyphs.push_back(g);
  }
  return true;
}

void DrawGlyph(size_t i, Glyph g, Layout& layout) {
  const double left = layout.x();
  const std::string digit = g.digit >= 0 ? std::string(1, static_cast<char>('0' + g.digit)) : "";
  switch (g.kind) {
    case kCaptionLeft: case kCaptionRight: case kCaptionRightAddOn: case kSpacer:
      layout.Space(kBlankWidth);
      layout.AddCaption(digit, left + kBlankWidth / 2, false);
      return;
    case kLeftGuard: case kRightGuard:
      layout.Modules("101", BarHeight::kGuard);
      layout.AddCharacter(i, g.kind == kLeftGuard ? "LEFT GUARD" : "RIGHT GUARD", -1, CharacterRole::kGuard);
      return;
    case kCentreGuard:
      layout.Modules("01010", BarHeight::kGuard);
      layout.AddCharacter(i, "CENTRE GUARD", -1, CharacterRole::kGuard);
      return;
    case kEndGuard:
      layout.Modules("010101", BarHeight::kGuard);
      layout.AddCharacter(i, "END GUARD", -1, CharacterRole::kGuard);
      return;
    case kAddOnStart:
      layout.Modules("1011");
      layout.AddCharacter(i, "ADD-ON START", -1, CharacterRole::kGuard);
      return;
    case kAddOnSeparator:
      layout.Modules("01");
      layout.AddCharacter(i, "ADD-ON SEPARATOR", -1, CharacterRole::kGuard);
      return;
    default:
      break;
  }
  // A digit.  The first and last digits of UPC-A reach down like the guards
  // and show their captions beside the bars, through the caption glyphs.
  const bool outside = g.kind == kLead || g.kind == kCheck;
  const char set = g.kind == kLead || g.kind == kAddOnA ? kSetA
                   : g.kind == kCheck                   ? kSetC
                   : g.kind == kAddOnB                  ? kSetB
                                                        : g.kind;
  layout.Modules(Modules(set, g.digit), outside ? BarHeight::kGuard : BarHeight::kFull);
  layout.AddCharacter(i, (g.kind == kCheck ? "CHECK " : "") + digit + " (set " + set + ")", g.digit,
                      g.kind == kCheck ? CharacterRole::kCheck : CharacterRole::kData);
  if (!outside) layout.AddCaption(digit, (left + layout.x()) / 2);
}

// The symbol a full-GTIN code prints: the same as the code that takes the
// number without its check digit.
int32_t RetailSymbol(int32_t symbology) {
  switch (symbology) {
    case kGtin13: return kEan13;
    case kGtin8: return kEan8;
    case kGtin12: return kUpcA;
    case kUpcE8: return kUpcE;
    default: return symbology;
  }
}

// Quiet zones each symbol asks for: UPC-A 9 and 9, UPC-E 9 and 7,
// EAN/JAN-8 7 and 7, EAN/JAN-13 11 and 7 modules.
double QuietLeft(int32_t symbology) { return symbology == kEan8 ? 7 : symbology == kEan13 ? 11 : 9; }
double QuietRight(int32_t symbology) { return symbology == kUpcA ? 9 : 7; }

}  // namespace

bool BuildUpcEan(int32_t symbology, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  symbology = RetailSymbol(symbology);
  std::vector<Glyph> glyphs;
  if (!Parse(s, glyphs, error)) return false;
  Layout layout(symbol);
  for (size_t i = 0; i < glyphs.size(); ++i) DrawGlyph(i, glyphs[i], layout);
  layout.Finish(QuietLeft(symbology), QuietRight(symbology));
  return true;
}

bool DrawUpcEanGlyph(unsigned char code, const ModelOptions&, Layout& layout) {
  const Glyph g = kGlyphs[code];
  if (g.kind == 0) return false;
  DrawGlyph(0, g, layout);
  return true;
}

namespace {

char Digit(int d) { return static_cast<char>('0' + d); }

// The UPC/EAN modulo-10 check digit: weights 3, 1, 3 ... from the rightmost.
char CheckDigit(std::string_view digits) {
  int sum = 0;
  for (size_t r = 0; r < digits.size(); ++r) sum += (r % 2 == 0 ? 3 : 1) * (digits[digits.size() - 1 - r] - '0');
  return Digit((10 - sum % 10) % 10);
}

// Number sets ('A' odd, 'B' even): the font's tables (symbologies/upc_ean.h).
// Number system 1 swaps A and B.
using tavo::kEan13NumberSets;
using tavo::kSupplement5NumberSets;
using tavo::kUpcENumberSets;

int FindRow(const std::array<std::string_view, 10>& rows, std::string_view sets) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i] == sets) return static_cast<int>(i);
  }
  return -1;
}

// The UPC-A number a UPC-E body stands for (zero suppression undone).
std::string ExpandUpcE(char ns, std::string_view e) {
  const std::string b(e);
  switch (e[5]) {
    case '0': case '1': case '2': return ns + b.substr(0, 2) + b[5] + "0000" + b.substr(2, 3);
    case '3': return ns + b.substr(0, 3) + "00000" + b.substr(3, 2);
    case '4': return ns + b.substr(0, 4) + "00000" + b[4];
    default: return ns + b.substr(0, 5) + "0000" + b[5];
  }
}

// The add-on from glyph `from` on: its digits go to the data, and its number
// sets are checked against those its digits ask for.
void ReadAddOn(const std::vector<Glyph>& g, size_t from, Reading& reading) {
  std::string digits, sets;
  for (size_t i = from; i < g.size(); ++i) {
    if (g[i].kind == kAddOnA || g[i].kind == kAddOnB) {
      digits.push_back(Digit(g[i].digit));
      sets.push_back(g[i].kind == kAddOnA ? 'A' : 'B');
    }
  }
  if (digits.empty()) return;
  std::string expected;
  if (digits.size() == 2) {
    const int v = 10 * (digits[0] - '0') + (digits[1] - '0');
    expected = {(v / 2) % 2 ? 'B' : 'A', v % 2 ? 'B' : 'A'};
  } else {
    auto d = [&](int k) { return digits[static_cast<size_t>(k)] - '0'; };
    expected = kSupplement5NumberSets[static_cast<size_t>((3 * (d(0) + d(2) + d(4)) + 9 * (d(1) + d(3))) % 10)];
  }
  reading.checks.push_back({.what = "add-on number sets", .found = sets, .expected = expected});
  reading.data += digits;
}

std::string DigitsOf(const std::vector<Glyph>& g, size_t from, size_t count) {
  std::string digits;
  for (size_t i = from; i < from + count; ++i) digits.push_back(Digit(g[i].digit));
  return digits;
}

std::string SetsOf(const std::vector<Glyph>& g, size_t from, size_t count) {
  std::string sets;
  for (size_t i = from; i < from + count; ++i) sets.push_back(g[i].kind == kSetB ? 'B' : 'A');
  return sets;
}

CheckFinding Finding(std::string what, char found, char expected) {
  return {.what = std::move(what), .found = found ? std::string(1, found) : "",
          .expected = std::string(1, expected)};
}

void ReadUpcA(const std::vector<Glyph>& g, Reading& r) {
  const std::string number = Digit(g[2].digit) + DigitsOf(g, 3, 5) + DigitsOf(g, 9, 5);
  const char check = CheckDigit(number);
  r.checks.push_back(Finding("check digit", Digit(g[14].digit), check));
  r.checks.push_back(Finding("number-system caption left of the bars", Digit(g[0].digit), number[0]));
  r.checks.push_back(Finding("check-digit caption right of the bars", Digit(g[16].digit), check));
  r.data = number;
  ReadAddOn(g, 17, r);
}

void ReadUpcE(const std::vector<Glyph>& g, Reading& r) {
  const char ns = Digit(g[0].digit);
  const std::string body = DigitsOf(g, 2, 6);
  std::string sets = SetsOf(g, 2, 6);
  if (ns != '0' && ns != '1') r.faults.push_back("number system " + std::string(1, ns) + ": UPC-E has 0 or 1");
  if (ns == '1') {
    for (char& c : sets) c = c == 'A' ? 'B' : 'A';
  }
  const int carried = FindRow(kUpcENumberSets, sets);
  const char check = CheckDigit(ExpandUpcE(ns, body));
  r.checks.push_back(Finding("check digit carried by the number sets", carried < 0 ? 0 : Digit(carried), check));
  r.checks.push_back(Finding("check-digit caption right of the bars", Digit(g[9].digit), check));
  r.data = body;
  ReadAddOn(g, 10, r);
}

void ReadEan8(const std::vector<Glyph>& g, Reading& r) {
  const std::string digits = DigitsOf(g, 2, 4) + DigitsOf(g, 7, 3);
  r.checks.push_back(Finding("check digit", Digit(g[10].digit), CheckDigit(digits)));
  r.data = digits;
  ReadAddOn(g, 13, r);
}

void ReadEan13(const std::vector<Glyph>& g, Reading& r) {
  const int lead = FindRow(kEan13NumberSets, SetsOf(g, 2, 6));
  if (lead < 0) {
    r.faults.push_back("the number sets of the left half (" + SetsOf(g, 2, 6) + ") stand for no leading digit");
  }
  const std::string digits = (lead < 0 ? std::string("?") : std::string(1, Digit(lead))) +
                             DigitsOf(g, 2, 6) + DigitsOf(g, 9, 5);
  if (lead >= 0) r.checks.push_back(Finding("check digit", Digit(g[14].digit), CheckDigit(digits)));
  r.checks.push_back(Finding("leading-digit caption left of the bars", Digit(g[0].digit),
                             lead < 0 ? '?' : Digit(lead)));
  r.data = digits;
  ReadAddOn(g, 17, r);
}

}  // namespace

namespace {

// A full-GTIN code's data: the number as printed, check digit included (and
// UPC-E's number system), then the add-on after a space.
void WriteFullGtin(const std::vector<Glyph>& g, int32_t retail, Reading& r) {
  const size_t digits = retail == kUpcA ? 11 : retail == kUpcE ? 6 : retail == kEan8 ? 7 : 12;
  if (r.checks.empty() || r.data.size() < digits) return;
  std::string full = r.data.substr(0, digits) + r.checks.front().expected;
  if (retail == kUpcE) full.insert(full.begin(), Digit(g[0].digit));
  if (r.data.size() > digits) full += " " + r.data.substr(digits);
  r.data = full;
}

}  // namespace

bool ReadUpcEan(int32_t symbology, std::string_view s, Reading& reading, ModelError& error) {
  const int32_t retail = RetailSymbol(symbology);
  std::vector<Glyph> glyphs;
  if (!Parse(s, glyphs, error)) return false;
  reading = {};
  std::string word;
  for (const Glyph& g : glyphs) word.push_back(g.kind);
  // The glyphs each symbol is made of, in order; an add-on is the start,
  // two or five digits joined by separators, and the spacer.
  const std::string add_on = "(s[oe]p[oe]x|s[oe]p[oe]p[oe]p[oe]p[oe]x)";
  struct Shape { std::string pattern; const char* name; void (*read)(const std::vector<Glyph>&, Reading&); };
  const Shape shapes[] = {
      {"L l u A{5} m C{5} k n (R|S" + add_on + ")", "UPC-A", ReadUpcA},
      {"L l [AB]{6} v (R|S" + add_on + ")", "UPC-E", ReadUpcE},
      {"x l A{4} m C{4} n x" + add_on + "?", "EAN/JAN-8", ReadEan8},
      {"L l A[AB]{5} m C{6} n x" + add_on + "?", "EAN/JAN-13", ReadEan13},
  };
  const Shape& shape = shapes[retail == kUpcA ? 0 : retail == kUpcE ? 1 : retail == kEan8 ? 2 : 3];
  const std::string pattern = std::regex_replace(shape.pattern, std::regex(" "), "");
  if (!std::regex_match(word, std::regex(pattern))) {
    reading.faults.push_back(std::string("the glyphs do not make a ") + shape.name +
                             " symbol (caption and spacer glyphs, guards, digits of the right number "
                             "sets, add-on)");
    return true;
  }
  shape.read(glyphs, reading);
  if (retail != symbology) WriteFullGtin(glyphs, retail, reading);
  return true;
}

}  // namespace tavo::model::detail
