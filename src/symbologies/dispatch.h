// The encoder of each registered symbology: the dispatch table beside the
// registry's metadata (symbologies/registry.h).  Only the library's
// dispatcher (interface/translate.cpp) and the tests include it; tools read
// the registry, which names no encoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "symbologies/encoders.h"
#include "symbologies/registry.h"

namespace tavo {

struct EncoderRow {
  int32_t code;
  Encoder encode;
};

namespace detail {
using namespace symbology;
inline constexpr EncoderRow kEncoderRows[] = {
    {kCode39FullAscii, EncodeCode39FullAscii},
    {kCode39, EncodeCode39},
    {kI2of5, EncodeI2of5},
    {kCodabar, EncodeCodabar},
    {kMsi, EncodeMsi},
    {kCode93, EncodeCode93},
    {kUpcA, EncodeUpcA},
    {kUpcE, EncodeUpcE},
    {kPostNet, EncodePostNet},
    {kEan8, EncodeEan8},
    {kEan13, EncodeEan13},
    {kCode128, EncodeCode128},
    {kGs1_128, EncodeGs1_128},
    {kGtin13, EncodeGtin13},
    {kGtin8, EncodeGtin8},
    {kGtin12, EncodeGtin12},
    {kUpcE8, EncodeUpcE8},
    {kImb, EncodeImb},
    {kQr, EncodeQrOrDigitalLink},
    {kDataMatrix, EncodeDataMatrixOrDigitalLink},
    {kItf14, EncodeItf14},
    {kDatabar, EncodeDatabar},
    {kDatabarStacked, EncodeDatabarStacked},
    {kDatabarStackedOmni, EncodeDatabarStackedOmni},
    {kDatabarLimited, EncodeDatabarLimited},
    {kDatabarExpanded, EncodeDatabarExpanded},
    {kDatabarExpandedStacked, EncodeDatabarExpandedStacked},
    {kPdf417, EncodePdf417},
    {kMicroPdf417, EncodeMicroPdf417},
    {kAztec, EncodeAztec},
};

// The encoder by code, nullptr for the gaps.
inline constexpr auto kEncoderByCode = [] {
  std::array<Encoder, kRowByCode.size()> index{};
  for (const EncoderRow& row : kEncoderRows) index[static_cast<size_t>(row.code)] = row.encode;
  return index;
}();

// One encoder row for each registry row, and none for a code the registry
// does not know.  (Whether a pointer is null is no constant expression
// under AddressSanitizer, so the codes are compared through kRowByCode; the
// tests check that every encoder is there.)
constexpr bool EncodersMatchTheRegistry() {
  if (std::size(kEncoderRows) != std::size(kSymbologyRows)) return false;
  for (const EncoderRow& row : kEncoderRows) {
    if (row.code < 0 || row.code >= CodeLimit() || kRowByCode[static_cast<size_t>(row.code)] < 0) return false;
    size_t same = 0;
    for (const EncoderRow& other : kEncoderRows) same += other.code == row.code ? 1 : 0;
    if (same != 1) return false;
  }
  return true;
}
static_assert(EncodersMatchTheRegistry());
}  // namespace detail

// The encoder of a registered code; nullptr for any other.
constexpr Encoder FindEncoder(int32_t code) {
  if (FindSymbology(code) == nullptr) return nullptr;
  return detail::kEncoderByCode[static_cast<size_t>(code)];
}

}  // namespace tavo
