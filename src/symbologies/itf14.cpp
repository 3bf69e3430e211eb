// ITF-14 (GS1 General Specifications, the ITF-14 symbol): a GTIN-14 as Interleaved 2 of 5
// with its GS1 check digit, between the frame glyphs whose bearer strokes the
// font joins into a box.
#include "symbologies/itf14.h"

#include "symbologies/encoders.h"
#include "symbologies/gs1/gs1.h"
#include "symbologies/i2of5.h"

namespace tavo {

// 13 digits get their check digit; 14 have it verified.  Digits first
// (32507), then the length (32548), then the check digit (32547), as the
// GTIN encoders do.
int32_t EncodeItf14(std::string_view value, const Options&, FontString& out) {
  if (int32_t rc = ValidateDigits(value)) return rc;
  if (value.size() != 13 && value.size() != 14) return kIncompleteGtin;
  const char check = Gs1CheckDigit(value.substr(0, 13));
  if (value.size() == 14 && value.back() != check) return kGtinCheckDigit;
  auto digit = [value, check](size_t i) { return static_cast<int32_t>((i < 13 ? value[i] : check) - '0'); };
  char* at = out.Extend(itf14::kLength);
  *at++ = itf14::kLeftFrame;
  *at++ = itf14::kStart;
  for (size_t i = 0; i < 14; i += 2) *at++ = I2of5PairChar(10 * digit(i) + digit(i + 1));
  *at++ = itf14::kStop;
  *at = itf14::kRightFrame;
  return kOk;
}

}  // namespace tavo
