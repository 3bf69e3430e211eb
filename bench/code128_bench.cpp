// Code 128 through BC_FontTranslate on values that make the code-set
// look-ahead reach the end of the value at every step, at 1 KiB and 1 MiB:
// the time per byte must not grow with the length.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "tavo32.h"

namespace {

void TranslateCode128(benchmark::State& state, const std::string& value) {
  std::vector<char> out(value.size() * 2 + 16);
  int32_t len = 0;
  for (auto _ : state) {
    int32_t rc = BC_FontTranslate(BC_SYM_CODE128, value.c_str(), 0, out.data(),
                                  static_cast<int32_t>(out.size()), &len);
    benchmark::DoNotOptimize(rc);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * value.size()));
}

// SOH, lower case letters, then SOH and a letter at the very end: every
// letter is shifted because an A-only and then a B-only character follow.
std::string LateControlCode(size_t n) {
  std::string v = "\x01";
  v.append(n - 3, 'a');
  v += "\x01" "b";
  return v;
}

// Alternating control codes and lower case letters.
std::string Alternating(size_t n) {
  std::string v;
  for (size_t i = 0; i < n; ++i) v.push_back(i % 2 ? 'a' : '\x01');
  return v;
}

// "12", FNC1, "3" repeated: set C is entered every four bytes, and each time
// the digit run (FNC1 at even positions) reaches the end of the value.
std::string Fnc1Runs(size_t n) {
  std::string v;
  for (size_t i = 0; i < n; ++i) v.push_back("12\xB9" "3"[i % 4]);
  return v;
}

void BM_Code128_LateControlCode(benchmark::State& state) {
  TranslateCode128(state, LateControlCode(static_cast<size_t>(state.range(0))));
}
void BM_Code128_Alternating(benchmark::State& state) {
  TranslateCode128(state, Alternating(static_cast<size_t>(state.range(0))));
}
void BM_Code128_Fnc1Runs(benchmark::State& state) {
  TranslateCode128(state, Fnc1Runs(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_Code128_LateControlCode)->Arg(1 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Code128_Alternating)->Arg(1 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Code128_Fnc1Runs)->Arg(1 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace
