// Internal routine of the Codabar encoder.
#pragma once

#include <string_view>

namespace tavo {

// The modulo-16 check character of a complete Codabar font string (start
// character, data, stop character): the data character that brings the sum of
// all character values to a multiple of 16.  Never a letter.
char CodabarCheckChar(std::string_view symbol);

}  // namespace tavo
