// MSI: one font character per digit, a modulo-10 check digit always, a second
// one on request (double modulo 10), grave accent start and "~" stop.
#include "symbologies/msi.h"

#include "symbologies/encoders.h"

namespace tavo {
namespace {

constexpr char kStart = '\x60';  // grave accent
constexpr char kStop = '~';

// Adds up the decimal digits of a non-negative number.
int32_t DigitSum(int32_t n) {
  int32_t sum = 0;
  for (; n > 0; n /= 10) sum += n % 10;
  return sum;
}

}  // namespace

int32_t IntPower(int32_t base, int32_t exponent) {
  int32_t result = 1;
  for (int32_t i = 0; i < exponent; ++i) result *= base;
  return result;
}

char MSICheckDigit(std::string_view digits) {
  // Walking from the rightmost digit, the 1st, 3rd, 5th ... digits build the
  // number `odd_positions` and the others `even_positions`, each in its
  // left-to-right order.
  int32_t odd_positions = 0;
  int32_t even_positions = 0;
  const size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    const int32_t digit = digits[n - 1 - i] - '0';
    const auto place = static_cast<int32_t>(i / 2);
    if (i % 2 == 0) {
      odd_positions += digit * IntPower(10, place);
    } else {
      even_positions += digit * IntPower(10, place);
    }
  }
  const int32_t sum = DigitSum(2 * odd_positions) + DigitSum(even_positions);
  return sum % 10 == 0 ? '0' : static_cast<char>('0' + (10 - sum % 10));
}

int32_t EncodeMSI(std::string_view value, const Options& options, FontString& out) {
  // The length is judged before any character, so an over-long value reports
  // its length even when it also holds letters.
  if (value.empty() || value.size() > kMSIMaxDigits) return kTooManyCharacters;
  for (size_t i = 0; i < value.size(); ++i) {
    if (i == 0 && options.start) out.push_back(kStart);
    if (int32_t rc = ValidateDigit(value[i])) return rc;
    out.push_back(value[i]);
  }
  const char first_check = MSICheckDigit(value);
  out.push_back(first_check);
  if (options.check) {
    // The second check digit covers the value and the first check digit.
    FontString with_check(value);
    with_check.push_back(first_check);
    out.push_back(MSICheckDigit(with_check));
  }
  if (options.stop) out.push_back(kStop);
  return kOk;
}

}  // namespace tavo
