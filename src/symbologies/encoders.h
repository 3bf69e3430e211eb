// Every symbology encoder, and the helpers that more than one encoder uses.
//
// An encoder validates the value, appends font code points to `out` and
// returns 0, or stops at the first fault and returns its error code (the
// dispatcher then discards whatever was appended).
#pragma once

#include <cstdint>
#include <string_view>

#include "interface/errors.h"
#include "interface/translate.h"

namespace tavo {

using Encoder = int32_t (*)(std::string_view value, const Options& options, FontString& out);

int32_t EncodeCode39FullAscii(std::string_view value, const Options& options, FontString& out);
int32_t EncodeCode39(std::string_view value, const Options& options, FontString& out);
int32_t EncodeI2of5(std::string_view value, const Options& options, FontString& out);
int32_t EncodeCodabar(std::string_view value, const Options& options, FontString& out);
int32_t EncodeMsi(std::string_view value, const Options& options, FontString& out);
int32_t EncodeCode93(std::string_view value, const Options& options, FontString& out);
int32_t EncodeUpcA(std::string_view value, const Options& options, FontString& out);
int32_t EncodeUpcE(std::string_view value, const Options& options, FontString& out);
int32_t EncodePostNet(std::string_view value, const Options& options, FontString& out);
int32_t EncodeEan8(std::string_view value, const Options& options, FontString& out);
int32_t EncodeEan13(std::string_view value, const Options& options, FontString& out);
int32_t EncodeCode128(std::string_view value, const Options& options, FontString& out);
int32_t EncodeGs1_128(std::string_view value, const Options& options, FontString& out);
int32_t EncodeGtin13(std::string_view value, const Options& options, FontString& out);
int32_t EncodeGtin8(std::string_view value, const Options& options, FontString& out);
int32_t EncodeGtin12(std::string_view value, const Options& options, FontString& out);
int32_t EncodeUpcE8(std::string_view value, const Options& options, FontString& out);
int32_t EncodeImb(std::string_view value, const Options& options, FontString& out);
int32_t EncodeQr(std::string_view value, const Options& options, FontString& out);
// Data Matrix reads options.check_argument (symbologies/datamatrix/datamatrix.h).
int32_t EncodeDataMatrix(std::string_view value, const Options& options, FontString& out);
// ITF-14: 13 digits, or 14 with the GS1 check digit (symbologies/itf14.h).
int32_t EncodeItf14(std::string_view value, const Options& options, FontString& out);
// GS1 DataBar (symbologies/databar/databar.h); Omnidirectional reads
// options.check_argument (1: Truncated).
int32_t EncodeDatabar(std::string_view value, const Options& options, FontString& out);
int32_t EncodeDatabarStacked(std::string_view value, const Options& options, FontString& out);
int32_t EncodeDatabarStackedOmni(std::string_view value, const Options& options, FontString& out);
int32_t EncodeDatabarLimited(std::string_view value, const Options& options, FontString& out);
int32_t EncodeDatabarExpanded(std::string_view value, const Options& options, FontString& out);
int32_t EncodeDatabarExpandedStacked(std::string_view value, const Options& options, FontString& out);
// PDF417 reads options.check_argument (symbologies/pdf417/pdf417.h).
int32_t EncodePdf417(std::string_view value, const Options& options, FontString& out);
// MicroPDF417 (symbologies/pdf417/micropdf417.h): options.check_argument is
// the number of columns, 1 to 4, or 0 for the smallest symbol.
int32_t EncodeMicroPdf417(std::string_view value, const Options& options, FontString& out);
// Aztec Code reads options.check_argument (symbologies/aztec/aztec.h).
int32_t EncodeAztec(std::string_view value, const Options& options, FontString& out);

// QR Code (check | 16) and Data Matrix (check | 4) of the GS1 Digital Link
// URI of element strings (symbologies/gs1/digital_link_symbols.cpp); any
// other check goes to EncodeQr and EncodeDataMatrix as it is.
int32_t EncodeQrOrDigitalLink(std::string_view value, const Options& options, FontString& out);
int32_t EncodeDataMatrixOrDigitalLink(std::string_view value, const Options& options, FontString& out);

// The modulo-43 check character of a value the calling Code 39 encoder has
// accepted, summed over its Full ASCII expansion.  Shared by both Code 39
// encoders.
char Code39CheckChar(std::string_view value);

// The shared digit test: 0 for '0'..'9', 32507 for anything else.
constexpr int32_t ValidateDigit(char c) {
  return (c >= '0' && c <= '9') ? kOk : kIllegalCharacterNumeric;
}

// Runs ValidateDigit over the value from its first character and returns the
// first failure, or 0.
constexpr int32_t ValidateDigits(std::string_view value) {
  for (char c : value) {
    if (int32_t rc = ValidateDigit(c)) return rc;
  }
  return kOk;
}

}  // namespace tavo
