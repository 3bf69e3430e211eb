// MSI: one font character per digit, a modulo-10 check digit always, a second
// one on request (double modulo 10), grave accent start and "~" stop.
#include "symbologies/msi.h"

#include <cstring>

#include "symbologies/encoders.h"

namespace tavo {
namespace {

constexpr char kStart = '\x60';  // grave accent
constexpr char kStop = '~';

}  // namespace

// Base raised to the exponent by repeated multiplication; 1 for an exponent
// of 0 or less.  These are the place values of the MSI digit numbers, which
// MSICheckDigit below no longer needs to build.
int32_t IntPower(int32_t base, int32_t exponent) {
  int32_t result = 1;
  for (int32_t i = 0; i < exponent; ++i) result *= base;
  return result;
}

char MSICheckDigit(std::string_view digits) {
  // Walking from the rightmost digit, the 1st, 3rd, 5th ... digits form a
  // number E and the others a number O, each in its left-to-right order; the
  // check digit completes the digit sum of 2 x E plus that of O to a multiple
  // of ten.  Doubling E digit by digit carries at most 1 into the next digit,
  // and an even digit plus that carry never carries again, so the digit sum
  // of 2 x E is the sum of the digit sums of twice each of its digits: one
  // pass, no number ever built, no overflow whatever the length.
  // MSI (Modified Plessey, MSI Data Corporation) has no ISO or AIM
  // standard; this check is the Luhn formula of ISO/IEC 7812-1 Annex B.
  constexpr uint8_t kDoubledDigitSum[10] = {0, 2, 4, 6, 8, 1, 3, 5, 7, 9};
  uint64_t sum = 0;
  const size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    const auto digit = static_cast<size_t>(digits[n - 1 - i] - '0');
    sum += i % 2 == 0 ? kDoubledDigitSum[digit] : digit;
  }
  return sum % 10 == 0 ? '0' : static_cast<char>('0' + (10 - sum % 10));
}

int32_t EncodeMsi(std::string_view value, const Options& options, FontString& out) {
  // The length is judged before any character, so an over-long value reports
  // its length even when it also holds letters.
  if (value.empty() || value.size() > kMSIMaxDigits) return kTooManyCharacters;
  if (int32_t rc = ValidateDigits(value)) return rc;
  // Room for the start, the digits, the check digits and the stop at once.
  const size_t n = value.size();
  char* const at = out.Extend(n + (options.check ? 4 : 3));
  at[0] = kStart;
  std::memcpy(at + 1, value.data(), n);
  at[n + 1] = MSICheckDigit(value);
  char* end = at + n + 2;
  // The second check digit covers the value and the first check digit,
  // which stand together in the output just after the start character.
  if (options.check) *end++ = MSICheckDigit(std::string_view(at + 1, n + 1));
  *end = kStop;
  return kOk;
}

}  // namespace tavo
