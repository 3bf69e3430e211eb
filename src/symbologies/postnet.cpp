// PostNet: the postal bar code of a ZIP, ZIP+4 or ZIP+4 with delivery point,
// framed by full-height bars and closed by a modulo-10 check digit.
#include <string_view>

#include "symbologies/encoders.h"

namespace tavo {
namespace {

constexpr char kFrameBar = '*';

// The check digit brings the digit sum up to a multiple of ten.  The sum is
// reduced as it goes, so it is exact for a digit string of any length.
char PostNetCheckDigit(std::string_view digits) {
  unsigned sum = 0;
  for (char d : digits) sum = (sum + static_cast<unsigned>(d - '0')) % 10;
  return static_cast<char>('0' + (10 - sum) % 10);
}

// The value without its spaces and hyphens, which may stand anywhere.
FontString RemoveSeparators(std::string_view value) {
  FontString digits;
  digits.reserve(value.size());
  for (char c : value) {
    if (c != ' ' && c != '-') digits.push_back(c);
  }
  return digits;
}

}  // namespace

int32_t EncodePostNet(std::string_view value, const Options&, FontString& out) {
  const FontString digits = RemoveSeparators(value);
  // Every character is tested before the count, so a letter is reported as
  // such whatever the length.
  if (int32_t rc = ValidateDigits(digits)) return rc;
  if (digits.size() > 11) return kTooManyCharacters;
  if (digits.size() != 5 && digits.size() != 9 && digits.size() != 11) return kIncompletePostNet;
  out.push_back(kFrameBar);
  out.append(digits);
  out.push_back(PostNetCheckDigit(digits));
  out.push_back(kFrameBar);
  return kOk;
}

}  // namespace tavo
