// Growth of the translation time with the value's length, for the values the
// unit tests run at a mebibyte (MSI, PostNet and Code 93 refuse or translate
// them), and for the two-dimensional symbols up to nearly their largest size
// (the symbol's area, and so its text, grows with the value): the fitted
// complexity must come out as O(N), not O(N^2).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "tavo32.h"

namespace {

void TranslateLong(benchmark::State& state, int32_t symbology, char fill) {
  const std::string value(static_cast<size_t>(state.range(0)), fill);
  // Room for a linear symbol's glyphs, or for a 2D symbol's text, whose
  // quiet zone makes even a short value's symbol several hundred characters.
  std::vector<char> out(value.size() * 4 + (1 << 16));
  int32_t len = 0;
  for (auto _ : state) {
    int32_t rc = BC_FontTranslate(symbology, value.c_str(), 0, out.data(), static_cast<int32_t>(out.size()), &len);
    if (rc != 0) {
      state.SkipWithError("the value does not translate");
      break;
    }
    benchmark::DoNotOptimize(rc);
  }
  state.SetComplexityN(state.range(0));
}

BENCHMARK_CAPTURE(TranslateLong, msi, BC_SYM_MSI, '7')->Range(1 << 10, 1 << 20)->Complexity();
BENCHMARK_CAPTURE(TranslateLong, postnet, BC_SYM_POSTNET, '7')->Range(1 << 10, 1 << 20)->Complexity();
BENCHMARK_CAPTURE(TranslateLong, code93, BC_SYM_CODE93, 'z')->Range(1 << 10, 1 << 20)->Complexity();
BENCHMARK_CAPTURE(TranslateLong, qr, BC_SYM_QR, 'a')->RangeMultiplier(2)->Range(16, 2048)->Complexity();
BENCHMARK_CAPTURE(TranslateLong, datamatrix, BC_SYM_DATAMATRIX, 'a')->RangeMultiplier(2)->Range(16, 1024)->Complexity();
// PDF417 in each compaction: text, digits and bytes, each up to near its capacity.
BENCHMARK_CAPTURE(TranslateLong, pdf417, BC_SYM_PDF417, 'a')->RangeMultiplier(2)->Range(16, 1024)->Complexity();
BENCHMARK_CAPTURE(TranslateLong, pdf417_digits, BC_SYM_PDF417, '7')->RangeMultiplier(2)->Range(16, 2048)->Complexity();
BENCHMARK_CAPTURE(TranslateLong, pdf417_bytes, BC_SYM_PDF417, '\xff')->RangeMultiplier(2)->Range(16, 512)->Complexity();
BENCHMARK_CAPTURE(TranslateLong, aztec, BC_SYM_AZTEC, 'a')->RangeMultiplier(2)->Range(16, 2048)->Complexity();
// 250 capital letters fill the largest MicroPDF417 symbol (4 x 44).
BENCHMARK_CAPTURE(TranslateLong, micropdf417, BC_SYM_MICROPDF417, 'Q')->RangeMultiplier(2)->Range(8, 128)->Complexity();

}  // namespace
