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

// The glyph of a digit the value test has already passed.
char DigitGlyph(std::string_view set, char digit) { return set[static_cast<size_t>(digit - '0')]; }

// Right half: the data digits, the check digit, the right guard, the spacer,
// and the supplement when there is one.  The digits are validated, so each
// glyph is read straight from its set, into room made once.
void AppendRightHalf(FontString& out, std::string_view digits, char check,
                     std::string_view supplement) {
  char* at = out.Extend(digits.size() + 3);
  for (char d : digits) *at++ = DigitGlyph(kRightSet, d);
  at[0] = DigitGlyph(kRightSet, check);
  at[1] = kRightGuard;
  at[2] = kSpacer;
  if (!supplement.empty()) AppendSupplement(out, supplement);
}

}  // namespace

int32_t EncodeEan8(std::string_view value, const Options&, FontString& out) {
  if (int32_t rc = ValidateUpcEanValue(value, kEan8Digits, kIncompleteEan8)) return rc;
  const char check = UpcEanCheckDigitOf<kEan8Digits>(value.data());
  out.push_back(kSpacer);
  out.push_back(kLeftGuard);
  for (size_t i = 0; i < 4; ++i) out.push_back(LeftOddGlyph(value[i]));
  out.push_back(kCentreGuard);
  // Validated: at least kEan8Digits digits, so no substr and its throw.
  AppendRightHalf(out, std::string_view(value.data() + 4, 3), check,
                  std::string_view(value.data() + kEan8Digits, value.size() - kEan8Digits));
  return kOk;
}

int32_t EncodeEan13(std::string_view value, const Options&, FontString& out) {
  if (int32_t rc = ValidateUpcEanValue(value, kEan13Digits, kIncompleteEan13)) return rc;
  const char check = UpcEanCheckDigitOf<kEan13Digits>(value.data());
  // The leading digit is no bar character: it is the caption and the parity.
  const std::string_view parity = kEan13NumberSets[static_cast<size_t>(value[0] - '0')];
  char* at = out.Extend(9);
  at[0] = DigitGlyph(kCaptionLeftSet, value[0]);
  at[1] = kLeftGuard;
  for (size_t k = 0; k < 6; ++k) {
    at[k + 2] = DigitGlyph(parity[k] == 'A' ? kLeftOddSet : kLeftEvenSet, value[k + 1]);
  }
  at[8] = kCentreGuard;
  AppendRightHalf(out, std::string_view(value.data() + 7, 5), check,
                  std::string_view(value.data() + kEan13Digits, value.size() - kEan13Digits));
  return kOk;
}

}  // namespace tavo
