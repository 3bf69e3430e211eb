// A target with planted faults, built only for the proof that the fuzz stage
// fails when a target does (scripts/fuzz.sh --prove-failure).  Once an input
// begins with "BUG" it faults the way the environment variable
// TAVO_PLANTED_FAULT names: crash (a heap read past the end), leak, timeout
// or oom; otherwise it does nothing.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

volatile unsigned char g_sink;

[[noreturn]] void Spin() {
  for (;;) g_sink = static_cast<unsigned char>(g_sink + 1);
}

void Fault(std::string_view kind, size_t size) {
  if (kind == "crash") {
    unsigned char* p = new unsigned char[size];
    g_sink = p[size];  // one past the end
    delete[] p;
  } else if (kind == "leak") {
    unsigned char* volatile p = new unsigned char[64];
    p[0] = 1;
  } else if (kind == "timeout") {
    Spin();
  } else if (kind == "oom") {
    void* volatile p = std::malloc(size_t{1} << 30);
    std::free(p);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* kind = std::getenv("TAVO_PLANTED_FAULT");
  if (kind && size >= 3 && std::memcmp(data, "BUG", 3) == 0) Fault(kind, size);
  return 0;
}
