// Interleaved 2 of 5: one font character per digit pair, optional modulo-10
// check digit, a leading zero to make the digit count even.
#include "symbologies/i2of5.h"

#include "symbologies/encoders.h"

namespace tavo {
namespace {

constexpr char kStart = '\x97';
constexpr char kStop = '\x98';

// Pairs 00..04 sit just below the start and stop characters, 05..99 above a
// gap, so no pair shares a code with them.
constexpr int32_t kLowPairBase = 146;   // pairs 0..4 -> 0x92..0x96
constexpr int32_t kHighPairBase = 156;  // pairs 5..99 -> 0xA1..0xFF
static_assert(kLowPairBase + 4 < static_cast<unsigned char>(kStart));
static_assert(kHighPairBase + 5 > static_cast<unsigned char>(kStop));
static_assert(kHighPairBase + 99 == 255);

}  // namespace

char I2of5CheckDigit(std::string_view digits) {
  // Counting from the right makes the weights independent of the length: the
  // rightmost digit weighs 3, as it does once a leading zero has made the
  // count odd.  The sum is kept modulo 10, so no length can overflow it.
  int32_t sum = 0;
  for (size_t r = 0; r < digits.size(); ++r) {
    const int32_t digit = digits[digits.size() - 1 - r] - '0';
    sum = (sum + (r % 2 == 0 ? 3 : 1) * digit) % 10;
  }
  return static_cast<char>('0' + (10 - sum) % 10);
}

char I2of5PairChar(int32_t pair) {
  return static_cast<char>(pair <= 4 ? pair + kLowPairBase : pair + kHighPairBase);
}

int32_t EncodeI2of5(std::string_view value, const Options& options, FontString& out) {
  if (int32_t rc = ValidateDigits(value)) return rc;

  // The digits to pair up.  The symbol needs an even count, so a zero goes in
  // front when the value (plus the check digit, if asked for) would be odd.
  const bool odd = value.size() % 2 != 0;
  FontString digits;
  digits.reserve(value.size() + 2);
  if (odd != options.check) digits.push_back('0');
  digits.append(value);
  if (options.check) digits.push_back(I2of5CheckDigit(digits));

  out.reserve(out.size() + digits.size() / 2 + 2);
  if (options.start) out.push_back(kStart);
  for (size_t i = 0; i + 1 < digits.size(); i += 2) {
    out.push_back(I2of5PairChar(10 * (digits[i] - '0') + (digits[i + 1] - '0')));
  }
  if (options.stop) out.push_back(kStop);
  return kOk;
}

}  // namespace tavo
