// Fuzzes BC_FontGetFaceName with arbitrary prefixes, codes, heights, caption
// flags and capacities: on success the name is the prefix followed by a
// suffix and fits with a byte to spare; on error nothing is written.
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "symbologies/registry.h"
#include "tavo32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavo::fuzz::Reader in(data, size);
  const uint8_t sel = in.Byte();
  const int32_t symbology = sel < 240 ? static_cast<int32_t>(sel % 40) - 2 : in.Int32();
  const uint8_t hsel = in.Byte();
  const int32_t height = hsel < 240 ? static_cast<int32_t>(hsel % 6) - 1 : in.Int32();
  const int32_t caption = static_cast<int8_t>(in.Byte());
  const int32_t capacity = tavo::fuzz::PickCapacity(in.Byte(), in.Int32());
  const std::string prefix = in.Rest();
  const std::string cut(prefix.c_str());
  const size_t room = capacity <= 0 ? 0 : static_cast<size_t>(capacity);

  tavo::fuzz::GuardedBuffer buf(room);
  int32_t len = -12345;
  const int32_t rc = BC_FontGetFaceName(prefix.c_str(), symbology, height, caption, buf.data(),
                                        capacity, &len);
  if (rc == 0) {
    // Every registered code with faces of its own family or of its font's
    // (12 the Code 128 ones, 16..19 UPC EAN JAN, 23..25 DataBar's); code 0
    // prints in Code 39's faces but has no face name of its own.
    const tavo::SymbologyInfo* row = tavo::FindSymbology(symbology);
    if (!row || row->faces == tavo::FaceVariants::kNone) std::abort();
    if (len < 0 || static_cast<int64_t>(len) + 1 > capacity) std::abort();
    if (static_cast<size_t>(len) <= cut.size()) std::abort();  // a suffix follows the prefix
    if (std::memcmp(buf.data(), cut.data(), cut.size()) != 0) std::abort();
    if (!buf.UntouchedFrom(static_cast<size_t>(len))) std::abort();
  } else {
    if (rc != 32510 && rc != 32511) std::abort();
    if (len != -12345 || !buf.UntouchedFrom(0)) std::abort();
  }
  return 0;
}
