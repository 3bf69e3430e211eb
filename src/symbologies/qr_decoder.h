// Reading QR Code font text back: text to modules, format information,
// unmasking, codewords, the error correction check of every block, and the
// segments' data.  Used by `tavo decode` and the tests; it never trusts its
// input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "symbologies/matrix_text.h"
#include "symbologies/qr.h"

namespace tavo {

struct QrReading {
  int32_t version = 0;
  QrLevel level = QrLevel::kM;
  int32_t mask = 0;
  int32_t eci = -1;  // the last ECI designator seen, -1 for none
  std::string data;  // the segments' bytes as carried
};

// Reads a symbol from a module grid (quiet zone optional).  False with the
// reason in `why`: no symbol, unreadable format information, a damaged
// block ("block 3 of 4 fails its error correction check"), or malformed
// segments.
bool DecodeQrModules(const ModuleGrid& grid, QrReading& reading, std::string& why);

// The same from font text.
bool DecodeQrText(std::string_view text, QrReading& reading, std::string& why);

}  // namespace tavo
