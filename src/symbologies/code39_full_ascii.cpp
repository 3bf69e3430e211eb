// Code 39 Full ASCII written out in the 43 standard Code 39 characters
// ("*" start/stop), and the modulo-43 check character both Code 39 encoders use.
#include <array>
#include <string_view>

#include "symbologies/encoders.h"

namespace tavo {
namespace {

// The Code 39 characters in check-value order: '0' is 0 ... '%' is 42.  "_"
// stands for the Code 39 space character.
constexpr std::string_view kCode39CharacterSet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-._$/+%";
static_assert(kCode39CharacterSet.size() == 43);

// Full ASCII expansion of each ASCII code: one character of the set, or a
// shift character ($ % / +) followed by one.  "$", "%", "+" and "/" stand for
// themselves as single characters.
constexpr std::array<std::string_view, 128> kCode39FullAsciiTable = {
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G", "$H", "$I", "$J", "$K", "$L", "$M", "$N", "$O",
    "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W", "$X", "$Y", "$Z", "%A", "%B", "%C", "%D", "%E",
    "_",  "/A", "/B", "/C", "$",  "%",  "/F", "/G", "/H", "/I", "/J", "+",  "/L", "-",  ".",  "/",
    "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "/Z", "%F", "%G", "%H", "%I", "%J",
    "%V", "A",  "B",  "C",  "D",  "E",  "F",  "G",  "H",  "I",  "J",  "K",  "L",  "M",  "N",  "O",
    "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",  "X",  "Y",  "Z",  "%K", "%L", "%M", "%N", "%O",
    "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G", "+H", "+I", "+J", "+K", "+L", "+M", "+N", "+O",
    "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W", "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T",
};

constexpr bool EveryEntryInSet() {
  for (std::string_view entry : kCode39FullAsciiTable) {
    if (entry.empty() || entry.size() > 2) return false;
    for (char c : entry) {
      if (kCode39CharacterSet.find(c) == std::string_view::npos) return false;
    }
  }
  return true;
}
static_assert(EveryEntryInSet());

// Check value of each byte: its position in the character set, -1 outside it.
constexpr std::array<int8_t, 256> kCode39CheckValues = [] {
  std::array<int8_t, 256> values{};
  values.fill(-1);
  for (size_t v = 0; v < kCode39CharacterSet.size(); ++v) {
    values[static_cast<unsigned char>(kCode39CharacterSet[v])] = static_cast<int8_t>(v);
  }
  return values;
}();

}  // namespace

int32_t EncodeCode39FullAscii(std::string_view value, const Options& options, FontString& out) {
  for (size_t i = 0; i < value.size(); ++i) {
    // The start character belongs to the first value character, so an empty
    // value gets none.
    if (i == 0 && options.start) out.push_back('*');
    const auto code = static_cast<unsigned char>(value[i]);
    if (code > 127) return kIllegalCharacterAscii;
    const std::string_view entry = kCode39FullAsciiTable[code];
    out.push_back(entry[0]);
    if (entry.size() == 2) out.push_back(entry[1]);
  }
  if (options.check) out.push_back(Code39CheckChar(value));
  if (options.stop) out.push_back('*');
  return kOk;
}

char Code39CheckChar(std::string_view value) {
  // The check is summed over the bare Full ASCII expansion, so shifted
  // characters count both their symbol characters ("a" is "+" and "A").
  FontString expansion;
  if (EncodeCode39FullAscii(value, Options{.check = false, .start = false, .stop = false}, expansion)) {
    return '\xFF';
  }
  uint64_t sum = 0;  // no wrap-around even for values of billions of characters
  for (char c : expansion) {
    const int v = kCode39CheckValues[static_cast<unsigned char>(c)];
    if (v < 0) return '\xFF';
    sum += static_cast<uint64_t>(v);
  }
  return kCode39CharacterSet[sum % 43];
}

}  // namespace tavo
