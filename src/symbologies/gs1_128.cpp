// GS1-128: element strings "(AI)data..." parsed and validated (each AI's
// data, repetitions, required and excluded companions, the 48-character
// limit), then set in Code 128 behind FNC1.
#include <string_view>

#include "symbologies/encoders.h"
#include "symbologies/gs1.h"

namespace tavo {
namespace {

constexpr char kFnc1 = static_cast<char>(185);
constexpr char kEscape = '\\';

bool IsDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == s.npos;
}

// Reads "(AI)" at `at`; on success `ai` holds the digits and `at` points
// past ')'.
int32_t ReadAi(std::string_view value, size_t& at, std::string_view& ai) {
  if (value[at] == ')') return kGs1UnbalancedParenthesis;
  if (value[at] != '(') return kGs1MissingAi;
  const size_t close = value.find(')', at + 1);
  const size_t reopen = value.find('(', at + 1);
  if (close == value.npos || reopen < close) return kGs1UnbalancedParenthesis;
  ai = value.substr(at + 1, close - at - 1);
  if (!IsDigits(ai)) return kGs1MissingAi;
  at = close + 1;
  return kOk;
}

// Copies the data after an AI, unescaped, to `text` up to the next
// unescaped '(' or the end; `at` ends there.
int32_t ReadData(std::string_view value, size_t& at, FontString& text) {
  for (; at < value.size(); ++at) {
    const char c = value[at];
    if (c == '(') break;
    if (c == ')') return kGs1UnbalancedParenthesis;
    if (c == kEscape && at + 1 < value.size() && (value[at + 1] == '(' || value[at + 1] == ')')) {
      ++at;
    }
    text.push_back(value[at]);
  }
  return kOk;
}

// An AI matches a pattern of the same length whose 'n's stand for any digit.
bool MatchesPattern(std::string_view ai, std::string_view pattern) {
  if (ai.size() != pattern.size()) return false;
  for (size_t i = 0; i < ai.size(); ++i) {
    if (pattern[i] != 'n' && pattern[i] != ai[i]) return false;
  }
  return true;
}

// Splits off the head of `list` up to `separator`.
std::string_view NextItem(std::string_view& list, char separator) {
  const size_t end = list.find(separator);
  const std::string_view item = list.substr(0, end);
  list = end == list.npos ? std::string_view() : list.substr(end + 1);
  return item;
}

bool HasAi(const Gs1Message& m, std::string_view pattern) {
  for (size_t i = 0; i < m.count; ++i) {
    if (MatchesPattern(m.elements[i].ai, pattern)) return true;
  }
  return false;
}

// Every clause is met by one of its alternatives, each a
// '+'-joined group of AIs that must all be present.
bool MeetsRequirements(const Gs1Message& m, std::string_view clauses) {
  while (!clauses.empty()) {
    std::string_view alternatives = NextItem(clauses, ' ');
    bool met = false;
    while (!met && !alternatives.empty()) {
      std::string_view group = NextItem(alternatives, ',');
      met = true;
      while (met && !group.empty()) met = HasAi(m, NextItem(group, '+'));
    }
    if (!met) return false;
  }
  return true;
}

// No other AI matches a pattern `ai` excludes; an AI never excludes itself.
bool HasExcludedCompanion(const Gs1Message& m, std::string_view ai, std::string_view excludes) {
  while (!excludes.empty()) {
    const std::string_view pattern = NextItem(excludes, ',');
    for (size_t i = 0; i < m.count; ++i) {
      const std::string_view other = m.elements[i].ai;
      if (other != ai && MatchesPattern(other, pattern)) return true;
    }
  }
  return false;
}

int32_t ValidateCombination(const Gs1Message& m) {
  size_t characters = 0;
  for (size_t i = 0; i < m.count; ++i) {
    const Gs1Element& e = m.elements[i];
    characters += e.ai.size() + e.data.size();
    if (!e.entry->predefined_length && i + 1 < m.count) ++characters;  // FNC1 separator
    for (size_t j = 0; j < i; ++j) {
      if (m.elements[j].ai == e.ai && m.elements[j].data != e.data) return kGs1RepeatedAi;
    }
  }
  if (characters > kGs1MaxDataCharacters) return kGs1TooLong;
  for (size_t i = 0; i < m.count; ++i) {
    const Gs1Element& e = m.elements[i];
    if (HasExcludedCompanion(m, e.ai, e.entry->excludes_ais)) return kGs1ExclusiveAis;
    if (!MeetsRequirements(m, e.entry->requires_ais)) return kGs1MissingCompanion;
  }
  return kOk;
}

}  // namespace

int32_t ParseGs1ElementStrings(std::string_view value, Gs1Message& message) {
  message.count = 0;
  message.text.clear();
  // Reserved whole, so the views into it stay valid while it fills.
  message.text.reserve(value.size());
  if (value.empty()) return kGs1MissingAi;
  size_t at = 0;
  while (at < value.size()) {
    Gs1Element e{};
    if (int32_t rc = ReadAi(value, at, e.ai)) return rc;
    e.entry = FindGs1Ai(e.ai);
    if (e.entry == nullptr) return kGs1UnknownAi;
    const size_t begin = message.text.size();
    if (int32_t rc = ReadData(value, at, message.text)) return rc;
    e.data = message.text.substr(begin);
    if (int32_t rc = ValidateGs1Data(*e.entry, e.data)) return rc;
    if (message.count == message.elements.size()) return kGs1TooLong;
    message.elements[message.count++] = e;
  }
  return ValidateCombination(message);
}

void AppendGs1Code128Value(const Gs1Message& message, FontString& out) {
  out.push_back(kFnc1);
  for (size_t i = 0; i < message.count; ++i) {
    const Gs1Element& e = message.elements[i];
    out.append(e.ai).append(e.data);
    if (!e.entry->predefined_length && i + 1 < message.count) out.push_back(kFnc1);
  }
}

void AppendGs1HumanReadable(const Gs1Message& message, FontString& out) {
  for (size_t i = 0; i < message.count; ++i) {
    out.push_back('(');
    out.append(message.elements[i].ai).push_back(')');
    out.append(message.elements[i].data);
  }
}

int32_t EncodeGs1_128(std::string_view value, const Options& options, FontString& out) {
  Gs1Message message;
  if (int32_t rc = ParseGs1ElementStrings(value, message)) return rc;
  FontString code128_value;
  AppendGs1Code128Value(message, code128_value);
  // The Code 128 encoder adds its check character whatever the option says.
  return EncodeCode128(code128_value, Options{.check = false, .start = options.start,
                                               .stop = options.stop}, out);
}

}  // namespace tavo
