// Fuzzes the two GS1 entries.  BC_GS1HumanReadable: a success fits the
// capacity and writes nothing past the text; an error writes nothing and is
// the error BC_FontTranslate gives the same value as code 12 (only "too many
// characters" may come from the capacity alone).  BC_GS1CheckDigit: the
// digit is the GS1 modulo-10 check digit recomputed here, and a key is
// refused exactly when it is not all digits, has the wrong length or (when
// verifying) ends in the wrong digit; an error leaves *digit alone.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "tavo32.h"

namespace {

constexpr int32_t kUntouched = -12345;

void HumanReadable(const std::string& value, int32_t capacity) {
  const size_t room = capacity <= 0 ? 0 : static_cast<size_t>(capacity);
  tavo::fuzz::GuardedBuffer buf(room);
  int32_t len = kUntouched;
  const int32_t rc = BC_GS1HumanReadable(value.c_str(), buf.data(), capacity, &len);
  // What code 12 makes of the same value, with room for any font string.
  std::vector<char> font(value.size() * 4 + 4096);
  int32_t font_len = 0;
  const int32_t translated = BC_FontTranslate(BC_SYM_GS1_128, value.c_str(), 0, font.data(),
                                              static_cast<int32_t>(font.size()), &font_len);
  if (rc == 0) {
    if (len <= 0 || len > capacity || !buf.UntouchedFrom(static_cast<size_t>(len))) std::abort();
    if (buf.data()[0] != '(' || translated != 0) std::abort();
  } else {
    if (len != kUntouched || !buf.UntouchedFrom(0)) std::abort();
    const bool capacity_only = rc == BC_FONT_ERR_TOO_MANY_CHARACTERS &&
                               (translated == 0 || translated == rc);
    if (!capacity_only && rc != translated) std::abort();
  }
}

// The GS1 modulo-10 check digit of `body`: weights 3 and 1 from the right.
int32_t Mod10(const std::string& body) {
  int32_t sum = 0;
  for (size_t i = 0; i < body.size(); ++i) {
    const int32_t weight = i % 2 == 0 ? 3 : 1;
    sum += weight * (body[body.size() - 1 - i] - '0');
  }
  return (10 - sum % 10) % 10;
}

void CheckDigit(const std::string& key, int32_t verify) {
  int32_t digit = kUntouched;
  const int32_t rc = BC_GS1CheckDigit(key.c_str(), verify, &digit);
  const std::string cut(key.c_str());
  const size_t n = cut.size();
  const bool digits = std::all_of(cut.begin(), cut.end(), [](char c) { return c >= '0' && c <= '9'; });
  const bool length = verify ? n >= 8 && n <= 18 : n >= 7 && n <= 17;
  const int32_t expected = digits && length ? Mod10(cut.substr(0, verify ? n - 1 : n)) : -1;
  const bool right = digits && length && (!verify || cut.back() - '0' == expected);
  if (rc == 0) {
    if (!right || digit != expected) std::abort();
    return;
  }
  if (right || digit != kUntouched) std::abort();
  if (rc == BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC && digits) std::abort();
  if (rc == BC_FONT_ERR_INCOMPLETE_GTIN && length && digits) std::abort();
  if (rc == BC_FONT_ERR_GTIN_CHECK_DIGIT && !(verify && digits && length)) std::abort();
  if (rc != BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC && rc != BC_FONT_ERR_INCOMPLETE_GTIN &&
      rc != BC_FONT_ERR_GTIN_CHECK_DIGIT) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavo::fuzz::Reader in(data, size);
  const uint8_t selector = in.Byte();
  const int32_t capacity = tavo::fuzz::PickCapacity(in.Byte(), in.Int32());
  const std::string value = in.Rest();
  if (selector & 1) {
    CheckDigit(value, selector & 2 ? static_cast<int32_t>(selector) : 0);
  } else {
    HumanReadable(value, capacity);
  }
  return 0;
}
