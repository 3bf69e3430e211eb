// GS1-128 in the model: a Code 128 symbol whose data, behind the FNC1 that
// follows the start character, is read back as element strings
// "(AI)data...".  The AI table is the one generated from the GS1 Syntax
// Dictionary for the library; an AI of predefined length takes the fixed
// length of its components, any other runs to the next FNC1 or the end.
#include <string>
#include <string_view>

#include "model_internal.h"
#include "symbologies/gs1/gs1.h"

namespace tavo::model::detail {
namespace {

// kGs1Components, kGs1RequiredGroups, kGs1Ais and the ISO lists.
#include "gs1_tables.h"

constexpr char kFnc1 = '\xB9';

// The dictionary line of the AI the data starts with (two to four digits;
// AIs are prefix-free, so at most one length fits), with its digit count.
const Gs1Ai* AiAt(std::string_view data, size_t& digits) {
  unsigned key = 0;
  for (size_t n = 1; n <= 4 && n <= data.size(); ++n) {
    if (data[n - 1] < '0' || data[n - 1] > '9') return nullptr;
    key = key * 10 + static_cast<unsigned>(data[n - 1] - '0');
    if (n < 2) continue;
    unsigned padded = key;
    for (size_t p = n; p < 4; ++p) padded *= 10;
    for (const Gs1Ai& ai : kGs1Ais) {
      if (ai.digits == n && padded >= ai.first_key && padded <= ai.last_key) {
        digits = n;
        return &ai;
      }
    }
  }
  return nullptr;
}

// The data length of an AI of predefined length: its components are fixed.
size_t FixedLength(const Gs1Ai& ai) {
  size_t n = 0;
  for (size_t k = 0; k < ai.component_count; ++k) n += kGs1Components[ai.first_component + k].max_length;
  return n;
}

std::string Escaped(std::string_view data) {
  std::string out;
  for (char c : data) {
    if (c == '(' || c == ')') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

void BracketGs1(std::string_view data, char separator, Reading& reading) {
  std::string text;
  size_t at = 0;
  while (at < data.size()) {
    size_t digits = 0;
    const Gs1Ai* ai = AiAt(data.substr(at), digits);
    if (ai == nullptr) {
      reading.faults.push_back("no GS1 Application Identifier at data byte " + std::to_string(at + 1));
      return;
    }
    // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on
    // "(" + std::string(...).
    text += '(';
    text.append(data.substr(at, digits));
    text += ')';
    at += digits;
    size_t end = ai->predefined_length ? at + FixedLength(*ai) : data.find(separator, at);
    if (end == std::string::npos) end = data.size();
    if (end > data.size()) {
      reading.faults.push_back("AI " + text + ": fewer data characters than its fixed length");
      return;
    }
    text += Escaped(data.substr(at, end - at));
    at = end;
    if (at < data.size() && data[at] == separator) ++at;  // the separator
  }
  reading.data = text;
  reading.gs1 = true;
}

bool ReadGs1_128(int32_t symbology, std::string_view s, Reading& reading, ModelError& error) {
  if (!ReadCode128(symbology, s, reading, error)) return false;
  const std::string data = reading.data;
  if (data.empty() || data[0] != kFnc1) {
    reading.faults.push_back("no FNC1 after the start character: not a GS1 symbol");
    return true;
  }
  BracketGs1(std::string_view(data).substr(1), kFnc1, reading);
  return true;
}

}  // namespace tavo::model::detail
