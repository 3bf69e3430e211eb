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
  // count odd.  A 64-bit sum is exact for any value that fits in memory.
  uint64_t sum = 0;
  size_t i = digits.size();
  for (; i >= 2; i -= 2) {
    sum += 3 * static_cast<uint64_t>(digits[i - 1] - '0') + static_cast<uint64_t>(digits[i - 2] - '0');
  }
  if (i == 1) sum += 3 * static_cast<uint64_t>(digits[0] - '0');
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

char I2of5PairChar(int32_t pair) {
  return static_cast<char>(pair <= 4 ? pair + kLowPairBase : pair + kHighPairBase);
}

int32_t EncodeI2of5(std::string_view value, const Options& options, FontString& out) {
  if (int32_t rc = ValidateDigits(value)) return rc;

  // The digits to pair up: a zero in front when the count (with the check
  // digit, if asked for) would be odd, the value, and the check digit, which
  // the leading zero does not change (its weights count from the right).
  // The pairs go straight into room made once for all of them.
  const size_t n = value.size();
  const bool check = options.check;
  const bool pad = (n % 2 != 0) != check;
  auto digit = [value](size_t i) { return static_cast<int32_t>(value[i] - '0'); };
  char* at = out.Extend((size_t{pad} + n + size_t{check}) / 2 + 2);
  *at++ = kStart;
  size_t i = 0;  // the next value digit to pair
  if (pad && n > 0) *at++ = I2of5PairChar(digit(i++));
  for (; i + 1 < n; i += 2) *at++ = I2of5PairChar(10 * digit(i) + digit(i + 1));
  if (check) {
    const int32_t c = I2of5CheckDigit(value) - '0';
    *at++ = I2of5PairChar(i < n ? 10 * digit(i) + c : c);
  }
  *at = kStop;
  return kOk;
}

}  // namespace tavo
