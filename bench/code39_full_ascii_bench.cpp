// Code 39 Full ASCII through BC_FontTranslate: a short value and long ones,
// so the per-byte cost shows that time grows linearly with the value.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "tavo32.h"

namespace {

void TranslateCode39(benchmark::State& state, const std::string& value) {
  std::vector<char> out(value.size() * 2 + 16);
  int32_t len = 0;
  for (auto _ : state) {
    int32_t rc = BC_FontTranslate(BC_SYM_CODE39_FULL_ASCII, value.c_str(), 1, out.data(),
                                  static_cast<int32_t>(out.size()), &len);
    benchmark::DoNotOptimize(rc);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * value.size()));
}

std::string MixedValue(size_t n) {
  std::string v;
  for (size_t i = 0; i < n; ++i) v.push_back("CODE39test 12$%"[i % 15]);
  return v;
}

void BM_Code39FullAscii_Short(benchmark::State& state) { TranslateCode39(state, "CODE39TEST"); }
BENCHMARK(BM_Code39FullAscii_Short);

void BM_Code39FullAscii_Long(benchmark::State& state) {
  TranslateCode39(state, MixedValue(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_Code39FullAscii_Long)->Arg(4 << 10)->Arg(16 << 10)->Arg(64 << 10);

}  // namespace
