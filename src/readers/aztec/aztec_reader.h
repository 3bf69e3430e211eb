// Aztec Code read back: a symbol's modules -> its size (compact or
// full-range, told by the bullseye) -> the mode message (corrected in
// GF(16)) -> the layers' codewords (corrected) -> unstuffed bits -> the
// character modes and binary shifts -> data.  For `tavo decode` (through the
// symbol model), the tests and the fuzzers; the shipped library does not
// link it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "symbologies/aztec/aztec.h"

namespace tavo {

struct AztecReading {
  AztecSize size;
  int32_t data_words = 0;
  int32_t mode_corrected = 0;  // mode message words mended
  int32_t corrected = 0;       // codewords mended, -1 when beyond correction
  int32_t eci = -1;            // the last ECI of FLG(n), or -1
  bool gs1 = false;            // FNC1 (FLG(0)) first; later ones read as 0x1D
  std::string data;
  std::string error;           // why nothing could be read, else empty
};

// The sizes a symbol `width` modules across may be (a compact and a
// full-range size may share a width), compact first.
std::vector<AztecSize> AztecSizesOfWidth(int32_t width);

// A fixed pattern that differs from what the size draws: its name, how
// many of its modules are wrong, and the first of them (row and column of
// the symbol).
struct AztecPatternDamage {
  std::string pattern;
  int32_t modules = 0;
  int32_t row = 0;
  int32_t column = 0;
};
std::vector<AztecPatternDamage> AztecPatternDamages(const AztecSize& size, const ModuleGrid& symbol);

// The symbol (no quiet zone) read to its data.  Returns false with
// `reading.error` set on anything that is no readable symbol.
bool DecodeAztecSymbol(const ModuleGrid& symbol, AztecReading& reading);

// Unstuffed data bits -> data (the modes, shifts, FLG(n)); false on a
// malformed stream.
bool AztecDecodation(const std::vector<uint8_t>& bits, AztecReading& reading);

}  // namespace tavo
