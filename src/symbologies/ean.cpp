// EAN/JAN-8 and EAN/JAN-13: guards, the two halves, check digit, spacer and
// supplement.
#include <array>
#include <string_view>

#include "symbologies/encoders.h"
#include "symbologies/upc_ean.h"

namespace tavo {
namespace {

constexpr size_t kEan8Digits = 7;
constexpr size_t kEan13Digits = 12;

// EAN/JAN-13 carries its leading digit in the number sets of the six
// left-half digits: kEan13NumberSets (upc_ean.h).

// Right half: the data digits, the check digit, the right guard, the spacer,
// and the supplement when there is one.
void AppendRightHalf(FontString& out, std::string_view digits, char check,
                     std::string_view supplement) {
  for (char d : digits) out.push_back(RightGlyph(d));
  out.push_back(RightGlyph(check));
  out.push_back(kRightGuard);
  out.push_back(kSpacer);
  if (!supplement.empty()) AppendSupplement(out, supplement);
}

}  // namespace

int32_t EncodeEan8(std::string_view value, const Options&, FontString& out) {
  if (int32_t rc = ValidateUpcEanValue(value, kEan8Digits, kIncompleteEan8)) return rc;
  const char check = UpcEanCheckDigit(value, kEan8Digits);
  out.push_back(kSpacer);
  out.push_back(kLeftGuard);
  for (char d : value.substr(0, 4)) out.push_back(LeftOddGlyph(d));
  out.push_back(kCentreGuard);
  AppendRightHalf(out, value.substr(4, 3), check, value.substr(kEan8Digits));
  return kOk;
}

int32_t EncodeEan13(std::string_view value, const Options&, FontString& out) {
  if (int32_t rc = ValidateUpcEanValue(value, kEan13Digits, kIncompleteEan13)) return rc;
  const char check = UpcEanCheckDigit(value, kEan13Digits);
  // The leading digit is no bar character: it is the caption and the parity.
  const std::string_view parity = kEan13NumberSets[static_cast<size_t>(value[0] - '0')];
  out.push_back(CaptionLeftGlyph(value[0]));
  out.push_back(kLeftGuard);
  for (size_t k = 0; k < 6; ++k) {
    const char d = value[k + 1];
    out.push_back(parity[k] == 'A' ? LeftOddGlyph(d) : LeftEvenGlyph(d));
  }
  out.push_back(kCentreGuard);
  AppendRightHalf(out, value.substr(7, 5), check, value.substr(kEan13Digits));
  return kOk;
}

}  // namespace tavo
