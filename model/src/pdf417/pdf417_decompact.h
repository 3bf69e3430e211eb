// PDF417 and MicroPDF417 data codewords back to bytes (ISO/IEC 15438:2015,
// 5.4 and 5.5), for the model's readers of both symbologies.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tavo::pdf417 {

struct Decompacted {
  std::string bytes;
  int eci = -1;  // the first ECI designator's number, -1 without one
};

// The bytes of the data codewords (after the symbol length descriptor, the
// padding 900s may follow), in Text Compaction Alpha at the start.  Returns
// false for a codeword no mode here reads (the Macro PDF417 and reader
// initialisation codewords among them) or a truncated designator.
bool Decompact(std::span<const uint16_t> codewords, Decompacted& out);

}  // namespace tavo::pdf417
