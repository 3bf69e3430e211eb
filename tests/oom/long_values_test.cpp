// Long values: 1 MiB and 16 MiB values of every symbology without a length
// limit translate with peak memory a small multiple of the font string's
// size.  Their times are printed for the reader; that time grows linearly is
// shown by bench/long_values_bench.cpp, not asserted here, where other work
// on the machine (sanitizers, emulators, parallel suites) decides the clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "counting_new.h"
#include "tavo32.h"

namespace {

using tavo::test::ResetAllocations;
using tavo::test::TheAllocations;

struct Symbology {
  int32_t code;
  const char* pattern;  // repeated to the length wanted
  const char* why;
};

constexpr Symbology kUnlimited[] = {
    {0, "Ab1 $%z~", "Code 39 Full ASCII: pairs for most characters"},
    {1, "Ab1 $%z~", "Code 39 for the library's fonts"},
    {2, "0123456789", "Interleaved 2 of 5"},
    {3, "0123456789-$:/.+", "Codabar data characters"},
    {5, "Ab1 $%z~\x7f", "Code 93"},
    {11, "\x01" "a", "Code 128, alternating A-only and B-only characters"},
    {11, "12\xB9" "3", "Code 128, digit runs broken by FNC1"},
};

struct Timing {
  double seconds;
  size_t output;
  size_t peak;
};

Timing Translate(int32_t code, const std::string& value) {
  std::vector<char> out(value.size() * 3 + 64);
  int32_t len = 0;
  ResetAllocations();
  const size_t before = TheAllocations().live_bytes;
  const auto t0 = std::chrono::steady_clock::now();
  const int32_t rc = BC_FontTranslate(code, value.c_str(), 1, out.data(),
                                      static_cast<int32_t>(out.size()), &len);
  const auto t1 = std::chrono::steady_clock::now();
  EXPECT_EQ(rc, 0);
  return {std::chrono::duration<double>(t1 - t0).count(), static_cast<size_t>(len),
          TheAllocations().peak_bytes - before};
}

std::string Repeat(const char* pattern, size_t size) {
  std::string value;
  value.reserve(size);
  while (value.size() < size) value += pattern;
  value.resize(size);
  return value;
}

TEST(LongValues, BoundedMemory) {
  for (const Symbology& s : kUnlimited) {
    SCOPED_TRACE(s.why);
    const Timing small = Translate(s.code, Repeat(s.pattern, 1 << 20));
    const Timing large = Translate(s.code, Repeat(s.pattern, 16 << 20));
    EXPECT_LE(large.peak, 8 * large.output + (1 << 16))
        << "peak " << large.peak << " bytes for " << large.output << " output bytes";
    std::printf("symbology %2d  1 MiB %7.1f ms  16 MiB %7.1f ms  peak/output %.2f  (%s)\n",
                s.code, small.seconds * 1e3, large.seconds * 1e3,
                static_cast<double>(large.peak) / static_cast<double>(large.output), s.why);
  }
}

// Aztec Code refuses a value longer than its largest symbol holds before
// its search, which would take memory in proportion to the value.
TEST(LongValues, AztecRefusesBeyondItsLargestSymbolAtOnce) {
  for (const char* pattern : {"\x80" "a", ". ", "7"}) {
    const std::string value = Repeat(pattern, 16 << 20);
    std::vector<char> out(1 << 16);
    int32_t len = 0;
    ResetAllocations();
    const size_t before = TheAllocations().live_bytes;
    EXPECT_EQ(BC_FontTranslate(30, value.c_str(), 0, out.data(), static_cast<int32_t>(out.size()), &len), 32560);
    EXPECT_LE(TheAllocations().peak_bytes - before, size_t{1} << 16) << pattern;
  }
}

}  // namespace
