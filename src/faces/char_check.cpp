// Character check for input forms: whether one keystroke may stand in a value
// of a symbology, and the text under which the form shows it.  These rules are
// a table of their own; they do not run the encoders.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "faces/faces.h"
#include "symbologies/gs1/gs1.h"
#include "symbologies/registry.h"

namespace tavo {
namespace {

// Labels of the control characters 1..32 (entries 0..31) and DEL, 127 (entry
// 32): the ASCII abbreviation in angle brackets, padded with spaces so that
// every label of a table has the same width.
using ControlNames = std::array<std::string_view, 33>;
constexpr size_t kDelEntry = 32;

// Five characters wide: Code 39 and Code 93.
constexpr ControlNames kControlNames5 = {
    "<SOH>", "<STX>", "<ETX>", "<EOT>", "<ENQ>", "<ACK>", "<BEL>", "<BS> ", "<HT> ",
    "<LF> ", "<VT> ", "<FF> ", "<CR> ", "<SO> ", "<SI> ", "<DLE>", "<DC1>", "<DC2>",
    "<DC3>", "<DC4>", "<NAK>", "<SYN>", "<ETB>", "<CAN>", "<EM> ", "<SUB>", "<ESC>",
    "<FS> ", "<GS> ", "<RS> ", "<US> ", "<SP> ", "<DEL>"};

// Six characters wide, as wide as the function marks: Code 128.
constexpr ControlNames kControlNames6 = {
    "<SOH> ", "<STX> ", "<ETX> ", "<EOT> ", "<ENQ> ", "<ACK> ", "<BEL> ", "<BS>  ", "<HT>  ",
    "<LF>  ", "<VT>  ", "<FF>  ", "<CR>  ", "<SO>  ", "<SI>  ", "<DLE> ", "<DC1> ", "<DC2> ",
    "<DC3> ", "<DC4> ", "<NAK> ", "<SYN> ", "<ETB> ", "<CAN> ", "<EM>  ", "<SUB> ", "<ESC> ",
    "<FS>  ", "<GS>  ", "<RS>  ", "<US>  ", "<SP>  ", "<DEL> "};

// A character outside the control range that is shown under a label.
struct Mark {
  unsigned char code;
  std::string_view label;
};

// The bytes a Code 128 value uses for its function characters.
constexpr std::array<Mark, 4> kCode128FunctionMarks = {
    {{185, "<FNC1>"}, {178, "<FNC2>"}, {179, "<FNC3>"}, {188, "<FNC4>"}}};

// The Codabar start/stop letters.
constexpr std::array<Mark, 4> kCodabarStartStop = {
    {{'A', "<SS A>"}, {'B', "<SS B>"}, {'C', "<SS C>"}, {'D', "<SS D>"}}};

// What one symbology code accepts.  Valid characters are the codes
// low..high, the characters of `also` and those of `marks`.  Within low..high
// the control characters take their label from `controls` when it is set;
// every mark is shown under its label; everything else shows as itself.
struct Rule {
  unsigned char low = 1;
  unsigned char high = 0;  // low > high: no range
  std::string_view also;
  const ControlNames* controls = nullptr;
  std::span<const Mark> marks;
};

constexpr Rule kAsciiRule = {
    .low = 1, .high = 127, .also = "", .controls = &kControlNames5, .marks = {}};
constexpr Rule kDigits = {.low = '0', .high = '9', .also = "", .controls = nullptr, .marks = {}};
constexpr Rule kCodabarRule = {
    .low = '0', .high = '9', .also = "-$:/.+", .controls = nullptr, .marks = kCodabarStartStop};
constexpr Rule kCode128Rule = {
    .low = 1, .high = 127, .also = "", .controls = &kControlNames6, .marks = kCode128FunctionMarks};
// GS1 element strings: the 82-character set, and the backslash that escapes
// a parenthesis in data.
constexpr std::array<char, kGs1Cset82.size() + 1> kGs1Characters = [] {
  std::array<char, kGs1Cset82.size() + 1> chars{};
  for (size_t i = 0; i < kGs1Cset82.size(); ++i) chars[i] = kGs1Cset82[i];
  chars[kGs1Cset82.size()] = '\\';
  return chars;
}();
constexpr Rule kGs1Rule = {.low = 1,
                           .high = 0,
                           .also = {kGs1Characters.data(), kGs1Characters.size()},
                           .controls = nullptr,
                           .marks = {}};
constexpr Rule kGtinRule = {.low = '0', .high = '9', .also = " +", .controls = nullptr, .marks = {}};
constexpr Rule kAnyByteRule = {
    .low = 1, .high = 255, .also = "", .controls = &kControlNames5, .marks = {}};
constexpr Rule kNothing = {};

// The rule of each CharRule of the registry.
constexpr const Rule& RuleOf(CharRule rule) {
  switch (rule) {
    case CharRule::kAscii: return kAsciiRule;
    case CharRule::kDigits: return kDigits;
    case CharRule::kCodabar: return kCodabarRule;
    case CharRule::kCode128: return kCode128Rule;
    case CharRule::kGs1: return kGs1Rule;
    case CharRule::kGtin: return kGtinRule;
    case CharRule::kAnyByte: return kAnyByteRule;
    case CharRule::kNothing: break;
  }
  return kNothing;
}

// Code 22 has no symbology but has always answered like Code 39; the answer
// is kept as it is.
constexpr int32_t kAnswersLikeCode39 = 22;

// The rule for a symbology code: its row's, kNothing for codes without one.
constexpr const Rule& RuleFor(int32_t symbology) {
  if (symbology == kAnswersLikeCode39 && FindSymbology(symbology) == nullptr) return kAsciiRule;
  const SymbologyInfo* row = FindSymbology(symbology);
  return row ? RuleOf(row->chars) : kNothing;
}

constexpr bool ControlNamesAreConsistent() {
  for (size_t i = 0; i < kControlNames5.size(); ++i) {
    const std::string_view five = kControlNames5[i];
    const std::string_view six = kControlNames6[i];
    if (five.size() != 5 || six.size() != 6 || !six.starts_with(five) || six[5] != ' ')
      return false;
    if (!five.starts_with('<') || five.find('>') == std::string_view::npos) return false;
  }
  return true;
}
static_assert(ControlNamesAreConsistent());

bool IsControl(unsigned char code) { return (code >= 1 && code <= 32) || code == 127; }

// Finds the character in the rule.  Returns false when it is not valid;
// otherwise sets `label` to its label, or leaves it empty when the character
// shows as itself.
bool Lookup(const Rule& rule, unsigned char code, std::string_view& label) {
  if (code >= rule.low && code <= rule.high) {
    if (rule.controls && IsControl(code)) {
      label = (*rule.controls)[code == 127 ? kDelEntry : code - 1u];
    }
    return true;
  }
  for (const Mark& mark : rule.marks) {
    if (mark.code == code) {
      label = mark.label;
      return true;
    }
  }
  return code != 0 && rule.also.find(static_cast<char>(code)) != std::string_view::npos;
}

// " Alt " and the decimal code typed on the numeric keypad with Alt held:
// three digits below 128, four (with the leading 0 that selects the Windows
// code page) from 128.
void AppendAltSuffix(unsigned char code, std::string& out) {
  out.append(" Alt ");
  const size_t width = code < 128 ? 3 : 4;
  char digits[4] = {'0', '0', '0', '0'};
  unsigned value = code;
  for (size_t i = width; value > 0; value /= 10) digits[--i] = static_cast<char>('0' + value % 10);
  out.append(digits, width);
}

}  // namespace

bool CharCheck(int32_t symbology, int32_t ch, bool alt, std::string& out) {
  // Unsigned comparisons turn negative codes away as well.
  if (static_cast<uint32_t>(ch) > 255) return false;
  const auto code = static_cast<unsigned char>(ch);
  std::string_view label;
  if (!Lookup(RuleFor(symbology), code, label)) return false;
  if (label.empty()) {
    out.push_back(static_cast<char>(code));
    return true;
  }
  out.append(label);
  if (alt) AppendAltSuffix(code, out);
  return true;
}

}  // namespace tavo
