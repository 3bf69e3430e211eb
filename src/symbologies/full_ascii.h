// Full ASCII, shared by Code 39 and Code 93: the 43 characters both
// symbologies have in common, and each ASCII code written in them.  The
// encoders emit from these tables and the symbol model reads them, so the
// map is written once.
#pragma once

#include <array>
#include <string_view>

namespace tavo {

// The 43 characters in check-value order: '0' is 0 ... '%' is 42; ' ' is the
// space character (the Code 39 fonts draw it at '_').
inline constexpr std::string_view kFullAsciiCharacters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// The shift characters, in the order of Code 93's shift symbols (values 43 to
// 46: ($) (%) (/) (+)).
inline constexpr std::string_view kFullAsciiShifts = "$%/+";

// Full ASCII expansion of each ASCII code: one character of the set, or a
// shift character followed by a letter.  "$", "%", "+" and "/" stand for
// themselves as single characters.
// ISO/IEC 16388:2007, the Full ASCII annex (Code 93 uses the same pairs:
// ANSI/AIM BC5-1995).
inline constexpr std::array<std::string_view, 128> kFullAsciiExpansion = {
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G", "$H", "$I", "$J", "$K", "$L", "$M", "$N", "$O",
    "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W", "$X", "$Y", "$Z", "%A", "%B", "%C", "%D", "%E",
    " ",  "/A", "/B", "/C", "$",  "%",  "/F", "/G", "/H", "/I", "/J", "+",  "/L", "-",  ".",  "/",
    "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "/Z", "%F", "%G", "%H", "%I", "%J",
    "%V", "A",  "B",  "C",  "D",  "E",  "F",  "G",  "H",  "I",  "J",  "K",  "L",  "M",  "N",  "O",
    "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",  "X",  "Y",  "Z",  "%K", "%L", "%M", "%N", "%O",
    "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G", "+H", "+I", "+J", "+K", "+L", "+M", "+N", "+O",
    "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W", "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T",
};

// Every expansion is one character of the set, or a shift and a letter.
constexpr bool FullAsciiExpansionIsWellFormed() {
  for (std::string_view e : kFullAsciiExpansion) {
    if (e.size() == 1 && kFullAsciiCharacters.find(e[0]) != std::string_view::npos) continue;
    if (e.size() == 2 && kFullAsciiShifts.find(e[0]) != std::string_view::npos && e[1] >= 'A' && e[1] <= 'Z')
      continue;
    return false;
  }
  return true;
}
static_assert(kFullAsciiCharacters.size() == 43);
static_assert(FullAsciiExpansionIsWellFormed());

}  // namespace tavo
