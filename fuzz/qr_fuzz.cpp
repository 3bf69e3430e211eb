// Fuzzes the QR Code encoder and reader.  The first byte picks the check
// argument and the path: arbitrary text for the reader, which must answer
// without fault; or a value for the encoder, whose symbol our reader must
// read back as the value at the level asked for, also after one module of
// its text is flipped (then either the value or a reason, never a fault).
// Bits 3 and 4 of the first byte add the GS1 (8) and Kanji (32) options: a
// GS1 value must read back as its element strings with FNC1 first.
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "interface/errors.h"
#include "symbologies/gs1/gs1.h"
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
  const int32_t base = static_cast<int32_t>(selector % 8) - 1;  // -1 .. 6, two of them invalid
  const bool gs1 = (selector & 0x08) != 0;
  const int32_t check = base | (gs1 ? 8 : 0) | (selector & 0x10 ? 32 : 0);
  tavo::FontString text;
  const int32_t rc = tavo::EncodeQr(value, {.check_argument = check}, text);
  const bool gs1_error = rc >= tavo::kGs1UnknownAi && rc <= tavo::kGs1TooLong;
  if (rc != 0) {
    if (!text.empty()) std::abort();
    if (rc != tavo::kInvalidCheckOption && rc != tavo::kTooLongForLargestSymbol && !(gs1 && gs1_error)) std::abort();
    if ((rc == tavo::kInvalidCheckOption) != (base < 0 || base > 4)) std::abort();
    return 0;
  }
  std::string want = value;
  if (gs1) {  // the element strings, a group separator after each variable-length one
    tavo::Gs1Message message;
    if (tavo::ParseGs1ElementStrings(value, message, {7089, tavo::kTooLongForLargestSymbol, true})) std::abort();
    want.assign(message.code128.view().substr(1));
    for (char& c : want) c = c == static_cast<char>(185) ? '\x1D' : c;
  }
  if (!tavo::DecodeQrText(text, reading, why) || reading.data != want || (reading.fnc1 == 1) != gs1) std::abort();
  const auto level = static_cast<tavo::QrLevel>(base == 0 ? 1 : base - 1);
  if (reading.level != level) std::abort();
  // One character drawn as another block glyph.
  std::string damaged(text.view());
  char& c = damaged[(static_cast<size_t>(flip) * 131) % damaged.size()];
  if (c != '\r' && c != '\n') c = tavo::kMatrixGlyphs[(tavo::MatrixGlyphBits(c) ^ (1 + flip % 63)) & 63];
  if (!tavo::DecodeQrText(damaged, reading, why) && why.empty()) std::abort();
  return 0;
}
