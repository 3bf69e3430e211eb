// GS1-128: element strings "(AI)data..." parsed and validated (each AI's
// data, repetitions, required and excluded companions, the 48-character
// limit), then set in Code 128 behind FNC1.
#include <array>
#include <string_view>

#include "symbologies/encoders.h"
#include "symbologies/gs1.h"

namespace tavo {
namespace {

constexpr char kFnc1 = static_cast<char>(185);
constexpr char kEscape = '\\';

// Reads "(AI)" at `at` into the element: its digits go to `out`, `at`
// moves past ')'.
int32_t ReadAi(std::string_view value, size_t& at, Gs1Element& e, FontString& out) {
  if (value[at] == ')') return kGs1UnbalancedParenthesis;
  if (value[at] != '(') return kGs1MissingAi;
  size_t close = at + 1;
  bool digits = true;
  unsigned key = 0;
  for (; close < value.size() && value[close] != ')'; ++close) {
    const char c = value[close];
    if (c == '(') return kGs1UnbalancedParenthesis;
    digits = digits && c >= '0' && c <= '9';
    key = key * 10 + static_cast<unsigned>(c - '0');
  }
  if (close == value.size()) return kGs1UnbalancedParenthesis;
  const std::string_view ai = value.substr(at + 1, close - at - 1);
  if (ai.empty() || !digits) return kGs1MissingAi;
  if (ai.size() < 2 || ai.size() > 4) return kGs1UnknownAi;
  for (size_t n = ai.size(); n < 4; ++n) key *= 10;
  e.entry = FindGs1Ai(static_cast<uint16_t>(key), ai.size());
  if (e.entry == nullptr) return kGs1UnknownAi;
  e.digits = static_cast<uint8_t>(ai.size());
  e.key = static_cast<uint16_t>(key);
  out.append(ai);
  at = close + 1;
  return kOk;
}

// Copies the data after an AI, unescaped, to `out` up to the next
// unescaped '(' or the end; `at` ends there.  `csets` gets the character
// sets common to all its bytes.
int32_t ReadData(std::string_view value, size_t& at, FontString& out, uint8_t& csets) {
  size_t run = at;  // start of the run not yet copied
  unsigned common = kGs1AllCsets | kGs1DataStop;
  for (; at < value.size(); ++at) {
    const uint8_t byte_class = kGs1ByteClasses[static_cast<unsigned char>(value[at])];
    if (!(byte_class & kGs1DataStop)) {
      common &= byte_class;
      continue;
    }
    const char c = value[at];
    if (c == '(') break;
    if (c == ')') return kGs1UnbalancedParenthesis;
    if (at + 1 < value.size() && (value[at + 1] == '(' || value[at + 1] == ')')) {
      out.append(value.substr(run, at - run));
      run = ++at;  // the parenthesis starts the next run
    }
    common &= kGs1ByteClasses[static_cast<unsigned char>(value[at])];
  }
  out.append(value.substr(run, at - run));
  csets = static_cast<uint8_t>(common & kGs1AllCsets);
  return kOk;
}

int32_t ValidateCombination(const Gs1Message& m) {
  for (size_t i = 0; i < m.count; ++i) {
    const Gs1Element& e = m.elements[i];
    for (size_t j = 0; j < i; ++j) {
      if (m.elements[j].key == e.key && m.Data(m.elements[j]) != m.Data(e)) return kGs1RepeatedAi;
    }
  }
  // Everything after the leading FNC1 counts.
  if (m.code128.size() - 1 > kGs1MaxDataCharacters) return kGs1TooLong;
  for (size_t i = 0; i < m.count; ++i) {
    const Gs1Element& e = m.elements[i];
    if (HasGs1ExcludedCompanion(m, e)) return kGs1ExclusiveAis;
    if (!MeetsGs1Requirements(m, e)) return kGs1MissingCompanion;
  }
  return kOk;
}

}  // namespace

int32_t ParseGs1ElementStrings(std::string_view value, Gs1Message& message) {
  message.count = 0;
  FontString& out = message.code128;
  out.clear();
  if (value.empty()) return kGs1MissingAi;
  out.push_back(kFnc1);
  size_t at = 0;
  while (at < value.size()) {
    if (message.count == message.elements.size()) return kGs1TooLong;
    if (message.count > 0 && !message.elements[message.count - 1].entry->predefined_length) {
      out.push_back(kFnc1);  // another element follows one of variable length
    }
    Gs1Element& e = message.elements[message.count];
    e.at = static_cast<uint16_t>(out.size());
    if (int32_t rc = ReadAi(value, at, e, out)) return rc;
    uint8_t csets = 0;
    if (int32_t rc = ReadData(value, at, out, csets)) return rc;
    // Positions fit 16 bits: a value this long is refused before it matters.
    if (out.size() > 0xFFFF) return kGs1TooLong;
    e.end = static_cast<uint16_t>(out.size());
    if (int32_t rc = ValidateGs1Data(*e.entry, message.Data(e), csets)) return rc;
    ++message.count;
  }
  return ValidateCombination(message);
}

void AppendGs1HumanReadable(const Gs1Message& message, FontString& out) {
  for (size_t i = 0; i < message.count; ++i) {
    const Gs1Element& e = message.elements[i];
    out.push_back('(');
    out.append(message.Ai(e)).push_back(')');
    out.append(message.Data(e));
  }
}

int32_t EncodeGs1_128(std::string_view value, const Options& options, FontString& out) {
  Gs1Message message;
  if (int32_t rc = ParseGs1ElementStrings(value, message)) return rc;
  // The Code 128 encoder adds its check character whatever the option says.
  return EncodeCode128(message.code128,
                       Options{.check = false, .start = options.start, .stop = options.stop}, out);
}

}  // namespace tavo
