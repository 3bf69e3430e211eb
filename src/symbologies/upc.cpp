// UPC-A and UPC-E: number system, the two halves or the zero-suppressed body,
// check digit, captions and supplement.
#include "symbologies/upce.h"

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

std::string ExpandUpcE(std::string_view digits) {
  if (digits.size() != kUpcEDigits) return {};
  const std::string e(digits);
  switch (e[5]) {
    case '0':
    case '1':
    case '2':  // manufacturer ends in 000, 100 or 200; three product digits
      return "0" + e.substr(0, 2) + e[5] + "0000" + e.substr(2, 3);
    case '3':  // manufacturer ends in 00; two product digits
      return "0" + e.substr(0, 3) + "00000" + e.substr(3, 2);
    case '4':  // manufacturer ends in 0; one product digit
      return "0" + e.substr(0, 4) + "00000" + e[4];
    default:  // five manufacturer digits; product 0000 then 5..9
      return "0" + e.substr(0, 5) + "0000" + e[5];
  }
}

int32_t CompressUpcA(std::string_view number, std::string& body) {
  if (number.size() != kUpcADigits) return kLogic;
  // Digits are counted from 1 as N1..N11; N1, the number system, is not part
  // of the body.  The first rule whose condition holds decides.
  auto n = [number](size_t k) { return number[k - 1]; };
  auto span = [number](size_t from, size_t to) {
    return std::string(number.substr(from - 1, to - from + 1));
  };
  std::string b;
  if (n(5) == '0' && n(6) == '0' && n(4) <= '2') {
    if (!AllZero(span(7, 8))) return kUpcEMissingZeros;
    b = span(2, 3) + span(9, 11) + n(4);
  } else if (n(5) == '0' && n(6) == '0') {
    if (!AllZero(span(7, 9))) return kUpcEMissingZeros;
    b = span(2, 4) + span(10, 11) + '3';
  } else if (n(6) == '0') {
    if (!AllZero(span(7, 10))) return kUpcEMissingZeros;
    b = span(2, 5) + n(11) + '4';
  } else {
    if (!AllZero(span(7, 10)) || n(11) < '5') return kUpcEMissingZeros;
    b = span(2, 6) + n(11);
  }
  body += b;
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

int32_t AppendUpcE(std::string_view digits, char number_system, std::string_view supplement,
                   FontString& out) {
  if (number_system != '0' && number_system != '1') return kLogic;
  // The check digit belongs to the UPC-A number; the printed body is that
  // number compressed again, so a value that is not in its normal form still
  // prints the symbol of the same number.
  std::string number = ExpandUpcE(digits);
  if (number.empty()) return kLogic;
  number[0] = number_system;
  const char check = UpcEanCheckDigit(number, kUpcADigits);
  // A number expanded from six digits always compresses back to six, so
  // CompressUpcA cannot fail here.
  std::string body;
  CompressUpcA(number, body);
  // Number system 1 takes the mirror image of number system 0's sets.
  const std::string_view parity = kUpcENumberSets[static_cast<size_t>(check - '0')];
  const char even = number_system == '0' ? 'B' : 'A';
  out.push_back(CaptionLeftGlyph(number_system));  // the number system is a caption only
  out.push_back(kLeftGuard);
  for (size_t k = 0; k < kUpcEDigits; ++k) {
    out.push_back(parity[k] == even ? LeftEvenGlyph(body[k]) : LeftOddGlyph(body[k]));
  }
  out.push_back(kUpcEEndGuard);
  AppendCheckCaptionAndSupplement(out, check, supplement);
  return kOk;
}

int32_t EncodeUpcE(std::string_view value, const Options&, FontString& out) {
  if (int32_t rc = ValidateUpcEanValue(value, kUpcEDigits, kIncompleteUpcE)) return rc;
  return AppendUpcE(value.substr(0, kUpcEDigits), '0', value.substr(kUpcEDigits), out);
}

}  // namespace tavo
