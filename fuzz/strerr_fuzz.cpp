// Fuzzes BC_StrErr over every code and capacity: it writes the message, or
// the replacement text when that fits, or nothing; never past the capacity.
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "fuzz_support.h"
#include "tavo32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavo::fuzz::Reader in(data, size);
  const uint8_t code_sel = in.Byte();
  const int32_t raw = in.Int32();
  // Mostly codes around the library's range, sometimes anything.
  const int32_t code = code_sel < 200 ? 32495 + code_sel % 40 : raw;
  const int32_t capacity = tavo::fuzz::PickCapacity(in.Byte(), in.Int32());
  const size_t room = capacity <= 0 ? 0 : static_cast<size_t>(capacity);

  tavo::fuzz::GuardedBuffer buf(room);
  const int32_t rc = BC_StrErr(code, buf.data(), capacity);
  const std::string_view written(buf.data(), buf.room());
  constexpr std::string_view kTooBig = "DLL logic error: error message too big";
  if (rc == 0) {
    // The message is plain ASCII text ending in a full stop.
    size_t n = 0;
    while (n < written.size() && static_cast<unsigned char>(written[n]) != tavo::fuzz::kSentinel) ++n;
    if (n == 0 || written[n - 1] != '.' || !buf.UntouchedFrom(n)) std::abort();
    for (size_t i = 0; i < n; ++i) {
      if (written[i] < 32 || written[i] > 126) std::abort();
    }
  } else if (rc == 32512) {
    if (capacity >= 38) {
      if (written.substr(0, 38) != kTooBig || !buf.UntouchedFrom(38)) std::abort();
    } else if (!buf.UntouchedFrom(0)) {
      std::abort();
    }
  } else {
    std::abort();
  }
  return 0;
}
