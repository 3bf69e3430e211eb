// Fuzzes the QR Code encoder and reader.  The first byte picks the check
// argument and the path: arbitrary text for the reader, which must answer
// without fault; or a value for the encoder, whose symbol our reader must
// read back as the value at the level asked for, also after one module of
// its text is flipped (then either the value or a reason, never a fault).
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "interface/errors.h"
#include "symbologies/qr/qr.h"
#include "readers/qr/qr_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavo::fuzz::Reader in(data, size);
  const uint8_t selector = in.Byte();
  const uint8_t flip = in.Byte();
  const std::string value = in.Rest();
  tavo::QrReading reading;
  std::string why;
  if (selector & 0x80) {
    if (!tavo::DecodeQrText(value, reading, why) && why.empty()) std::abort();
    return 0;
  }
  const int32_t check = static_cast<int32_t>(selector % 8) - 1;  // -1 .. 6, two of them invalid
  tavo::FontString text;
  const int32_t rc = tavo::EncodeQr(value, {.check_argument = check}, text);
  if (rc != 0) {
    if (!text.empty()) std::abort();
    if (rc != tavo::kInvalidCheckOption && rc != tavo::kTooLongForLargestSymbol) std::abort();
    if ((rc == tavo::kInvalidCheckOption) != (check < 0 || check > 4)) std::abort();
    return 0;
  }
  if (!tavo::DecodeQrText(text, reading, why) || reading.data != value) std::abort();
  const auto level = static_cast<tavo::QrLevel>(check == 0 ? 1 : check - 1);
  if (reading.level != level) std::abort();
  // One character drawn as another block glyph.
  std::string damaged(text.view());
  char& c = damaged[(static_cast<size_t>(flip) * 131) % damaged.size()];
  if (c != '\r' && c != '\n') c = tavo::kMatrixGlyphs[(tavo::MatrixGlyphBits(c) ^ (1 + flip % 63)) & 63];
  if (!tavo::DecodeQrText(damaged, reading, why) && why.empty()) std::abort();
  return 0;
}
