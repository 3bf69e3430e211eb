// Code 39 Full ASCII written out in the 43 standard Code 39 characters
// ("*" start/stop), and the modulo-43 check character both Code 39 encoders use.
#include <array>
#include <string_view>

#include "symbologies/encoders.h"
#include "symbologies/full_ascii.h"

namespace tavo {
namespace {

// The Code 39 font characters in check-value order: the Full ASCII set with
// the space character at '_', where the Code 39 fonts draw it.
constexpr std::array<char, 43> kCode39CharacterSet = [] {
  std::array<char, 43> set{};
  for (size_t v = 0; v < set.size(); ++v) {
    set[v] = kFullAsciiCharacters[v] == ' ' ? '_' : kFullAsciiCharacters[v];
  }
  return set;
}();

// Check value of each byte: its position in the character set, -1 outside it.
// ISO/IEC 16388:2007, the modulo 43 check character (its annex on the
// optional check character gives the values).
constexpr std::array<int8_t, 256> kCode39CheckValues = [] {
  std::array<int8_t, 256> values{};
  values.fill(-1);
  for (size_t v = 0; v < kCode39CharacterSet.size(); ++v) {
    values[static_cast<unsigned char>(kCode39CharacterSet[v])] = static_cast<int8_t>(v);
  }
  return values;
}();

// Appends the Full ASCII expansion of the value: one or two of the 43
// characters each, a space as '_'.  32506 at a byte above 127.
int32_t AppendExpansion(std::string_view value, FontString& out) {
  for (char c : value) {
    const auto code = static_cast<unsigned char>(c);
    if (code > 127) return kIllegalCharacterAscii;
    const std::string_view entry = kFullAsciiExpansion[code];
    out.push_back(entry[0] == ' ' ? '_' : entry[0]);
    if (entry.size() == 2) out.push_back(entry[1]);
  }
  return kOk;
}

}  // namespace

int32_t EncodeCode39FullAscii(std::string_view value, const Options& options, FontString& out) {
  // The start character belongs to the first value character, so an empty
  // value gets none.
  if (!value.empty()) out.push_back('*');
  if (int32_t rc = AppendExpansion(value, out)) return rc;
  if (options.check) out.push_back(Code39CheckChar(value));
  out.push_back('*');
  return kOk;
}

char Code39CheckChar(std::string_view value) {
  // The check is summed over the bare Full ASCII expansion, so shifted
  // characters count both their symbol characters ("a" is "+" and "A").
  FontString expansion;
  if (AppendExpansion(value, expansion)) return '\xFF';
  uint64_t sum = 0;  // no wrap-around even for values of billions of characters
  for (char c : expansion) {
    const int v = kCode39CheckValues[static_cast<unsigned char>(c)];
    if (v < 0) return '\xFF';
    sum += static_cast<uint64_t>(v);
  }
  return kCode39CharacterSet[sum % 43];
}

}  // namespace tavo
