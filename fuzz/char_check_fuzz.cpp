// Fuzzes BC_CharCheck: the answer is 1 or 0; a 1 writes at most the
// capacity and sets the length; a 0 writes nothing.
#include <cstdlib>

#include "fuzz_support.h"
#include "tavo32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavo::fuzz::Reader in(data, size);
  const uint8_t sel = in.Byte();
  const int32_t symbology = sel < 240 ? static_cast<int32_t>(sel % 26) - 2 : in.Int32();
  const uint8_t csel = in.Byte();
  const int32_t ch = csel < 250 ? static_cast<int32_t>(in.Byte()) - (csel % 2) : in.Int32();
  const int32_t alt = static_cast<int8_t>(in.Byte());
  const int32_t capacity = tavo::fuzz::PickCapacity(in.Byte(), in.Int32());
  const size_t room = capacity <= 0 ? 0 : static_cast<size_t>(capacity);

  tavo::fuzz::GuardedBuffer buf(room);
  int32_t len = -12345;
  const int32_t rc = BC_CharCheck(symbology, ch, alt, buf.data(), capacity, &len);
  if (rc == 1) {
    if (len < 1 || len > capacity || len > 20) std::abort();
    if (!buf.UntouchedFrom(static_cast<size_t>(len))) std::abort();
    if (ch < 0 || ch > 255) std::abort();
  } else if (rc == 0) {
    if (len != -12345 || !buf.UntouchedFrom(0)) std::abort();
  } else {
    std::abort();
  }
  return 0;
}
