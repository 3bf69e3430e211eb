// The translation core: options shared by every encoder and the dispatcher.
#pragma once

#include <cstdint>
#include <string_view>

#include "interface/font_string.h"

namespace tavo {

// The option inputs of every encoder.  `check` is the caller's request for
// the optional check character(s).
struct Options {
  bool check = false;
  // The caller's check argument as it was passed, for the symbologies where
  // it is a number rather than a yes or no (QR Code: the error correction
  // level; Data Matrix: shape and GS1).
  int32_t check_argument = 0;
};

// Runs the encoder of `symbology` (a code of symbologies/registry.h) over
// `value`.  `result` must be empty.  Returns 0 with the font string in
// `result`, or returns the first error code and leaves `result` empty.  Holds
// no state: encoders may call it again from inside.
int32_t TranslateValue(std::string_view value, int32_t symbology, const Options& options,
                       FontString& result);

}  // namespace tavo
