// TranslateValue: the dispatcher over the symbology codes.
#include "interface/translate.h"

#include <array>

#include "symbologies/encoders.h"

namespace tavo {
namespace {

// Encoders indexed by symbology code.
constexpr std::array<Encoder, 12> kEncoders = {
    EncodeCode39FullAscii, EncodeCode39, EncodeI2of5, EncodeCodabar,  //  0-3
    EncodeMSI,             EncodeCode93, EncodeUpcA,  EncodeUpcE,     //  4-7
    EncodePostNet,         EncodeEan8,   EncodeEan13, EncodeCode128,  //  8-11
};

}  // namespace

int32_t TranslateValue(std::string_view value, int32_t symbology, const Options& options,
                       FontString& result) {
  // Compared unsigned, so every negative code is out of range too.
  if (static_cast<uint32_t>(symbology) >= kEncoders.size()) return kUnknownSymbology;
  const Encoder encode = kEncoders[static_cast<uint32_t>(symbology)];
  if (result.empty()) {
    // Nothing of the caller's to keep: build in place, and empty it again on
    // error, which leaves it as it was.
    const int32_t rc = encode(value, options, result);
    if (rc) result.clear();
    return rc;
  }
  FontString out;
  if (int32_t rc = encode(value, options, out)) return rc;
  result = std::move(out);
  return kOk;
}

}  // namespace tavo
