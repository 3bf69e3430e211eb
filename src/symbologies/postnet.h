// PostNet internals the tests reach.
#pragma once

#include <string_view>

namespace tavo {

// The modulo-10 check digit of a digit string: the character that brings the
// digit sum up to a multiple of ten.
char PostNetCheckDigit(std::string_view digits);

}  // namespace tavo
