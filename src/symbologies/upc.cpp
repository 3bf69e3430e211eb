// UPC-A and UPC-E: number system, the two halves or the zero-suppressed body,
// check digit, captions and supplement.
#include "symbologies/upce.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "symbologies/encoders.h"
#include "symbologies/upc_ean.h"

namespace tavo {
namespace {

constexpr size_t kUpcADigits = 11;
constexpr size_t kUpcEDigits = 6;

// UPC-E carries its check digit in the number sets of the six body digits:
// kUpcENumberSets (upc_ean.h) for number system 0, mirrored for 1.

// Both symbols end the same way: the check digit as caption right of the
// bars, in the set that leaves room for a supplement when one follows.
void AppendCheckCaptionAndSupplement(FontString& out, char check, std::string_view supplement) {
  if (supplement.empty()) {
    out.push_back(CaptionRightGlyph(check));
  } else {
    out.push_back(CaptionRightSupplementGlyph(check));
    AppendSupplement(out, supplement);
  }
}

bool AllZero(std::string_view digits) { return digits.find_first_not_of('0') == digits.npos; }

}  // namespace

bool ExpandUpcE(std::string_view e, UpcANumber& number) {
  if (e.size() != kUpcEDigits) return false;
  // Number system 0, then the body's digits among the suppressed zeros.
  number.fill('0');
  switch (e[5]) {
    case '0':
    case '1':
    case '2':  // manufacturer ends in 000, 100 or 200; three product digits
      number[1] = e[0];
      number[2] = e[1];
      number[3] = e[5];
      number[8] = e[2];
      number[9] = e[3];
      number[10] = e[4];
      break;
    case '3':  // manufacturer ends in 00; two product digits
      std::copy_n(e.data(), 3, &number[1]);
      number[9] = e[3];
      number[10] = e[4];
      break;
    case '4':  // manufacturer ends in 0; one product digit
      std::copy_n(e.data(), 4, &number[1]);
      number[10] = e[4];
      break;
    default:  // five manufacturer digits; product 0000 then 5..9
      std::copy_n(e.data(), 5, &number[1]);
      number[10] = e[5];
      break;
  }
  return true;
}

std::string ExpandUpcE(std::string_view digits) {
  UpcANumber number;
  return ExpandUpcE(digits, number) ? std::string(number.data(), number.size()) : std::string();
}

int32_t CompressUpcA(std::string_view number, UpcEBody& body) {
  if (number.size() != kUpcADigits) return kLogic;
  // Digits are counted from 1 as N1..N11; N1, the number system, is not part
  // of the body.  The first rule whose condition holds decides.
  auto n = [number](size_t k) { return number[k - 1]; };
  auto zeros = [number](size_t from, size_t to) { return AllZero(number.substr(from - 1, to - from + 1)); };
  if (n(5) == '0' && n(6) == '0' && n(4) <= '2') {
    if (!zeros(7, 8)) return kUpcEMissingZeros;
    body = {n(2), n(3), n(9), n(10), n(11), n(4)};
  } else if (n(5) == '0' && n(6) == '0') {
    if (!zeros(7, 9)) return kUpcEMissingZeros;
    body = {n(2), n(3), n(4), n(10), n(11), '3'};
  } else if (n(6) == '0') {
    if (!zeros(7, 10)) return kUpcEMissingZeros;
    body = {n(2), n(3), n(4), n(5), n(11), '4'};
  } else {
    if (!zeros(7, 10) || n(11) < '5') return kUpcEMissingZeros;
    body = {n(2), n(3), n(4), n(5), n(6), n(11)};
  }
  return kOk;
}

int32_t CompressUpcA(std::string_view number, std::string& body) {
  UpcEBody digits;
  if (int32_t rc = CompressUpcA(number, digits)) return rc;
  body.append(digits.data(), digits.size());
  return kOk;
}

int32_t EncodeUpcA(std::string_view value, const Options&, FontString& out) {
  if (int32_t rc = ValidateUpcEanValue(value, kUpcADigits, kIncompleteUpcA)) return rc;
  const char check = UpcEanCheckDigitOf<kUpcADigits>(value.data());
  // The digits are validated, so each glyph is read straight from its set,
  // into room made once.
  auto glyph = [](std::string_view set, char digit) { return set[static_cast<size_t>(digit - '0')]; };
  char* at = out.Extend(16);
  at[0] = glyph(kCaptionLeftSet, value[0]);
  at[1] = kLeftGuard;
  at[2] = glyph(kUpcALeadSet, value[0]);
  for (size_t i = 1; i < 6; ++i) at[i + 2] = glyph(kLeftOddSet, value[i]);
  at[8] = kCentreGuard;
  for (size_t i = 6; i < kUpcADigits; ++i) at[i + 3] = glyph(kRightSet, value[i]);
  at[14] = glyph(kUpcACheckSet, check);
  at[15] = kRightGuard;
  AppendCheckCaptionAndSupplement(out, check,
                                  std::string_view(value.data() + kUpcADigits, value.size() - kUpcADigits));
  return kOk;
}

int32_t AppendUpcENumber(const UpcANumber& number, char check, std::string_view supplement,
                         FontString& out) {
  const char number_system = number[0];
  if (number_system != '0' && number_system != '1') return kLogic;
  // The printed body is the number compressed again, so a value that is not
  // in its normal form still prints the symbol of the same number.
  UpcEBody body;
  if (CompressUpcA(std::string_view(number.data(), number.size()), body) != kOk) return kLogic;
  // The digits are validated, so each glyph is read straight from its set.
  auto glyph = [](std::string_view set, char digit) { return set[static_cast<size_t>(digit - '0')]; };
  // Number system 1 takes the mirror image of number system 0's sets.
  const std::string_view parity = kUpcENumberSets[static_cast<size_t>(check - '0')];
  const char even = number_system == '0' ? 'B' : 'A';
  char* at = out.Extend(kUpcEDigits + 3);
  at[0] = glyph(kCaptionLeftSet, number_system);  // the number system is a caption only
  at[1] = kLeftGuard;
  for (size_t k = 0; k < kUpcEDigits; ++k) {
    at[k + 2] = glyph(parity[k] == even ? kLeftEvenSet : kLeftOddSet, body[k]);
  }
  at[kUpcEDigits + 2] = kUpcEEndGuard;
  AppendCheckCaptionAndSupplement(out, check, supplement);
  return kOk;
}

int32_t AppendUpcE(std::string_view digits, char number_system, std::string_view supplement,
                   FontString& out) {
  // The check digit belongs to the UPC-A number the digits stand for.
  UpcANumber number;
  if (!ExpandUpcE(digits, number)) return kLogic;
  number[0] = number_system;
  return AppendUpcENumber(number, UpcEanCheckDigitOf<kUpcADigits>(number.data()), supplement, out);
}

int32_t EncodeUpcE(std::string_view value, const Options&, FontString& out) {
  if (int32_t rc = ValidateUpcEanValue(value, kUpcEDigits, kIncompleteUpcE)) return rc;
  return AppendUpcE(value.substr(0, kUpcEDigits), '0', value.substr(kUpcEDigits), out);
}

}  // namespace tavo
