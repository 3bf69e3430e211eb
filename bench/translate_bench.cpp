// Every symbology through BC_FontTranslate on the values the instruction
// counts use (bench/instructions.sh), in nanoseconds per call.
#include <benchmark/benchmark.h>

#include "tavo32.h"

namespace {

void Translate(benchmark::State& state, int32_t symbology, const char* value, int32_t check) {
  char out[256];
  int32_t len = 0;
  for (auto _ : state) {
    int32_t rc = BC_FontTranslate(symbology, value, check, out, sizeof out, &len);
    benchmark::DoNotOptimize(rc);
    benchmark::DoNotOptimize(out);
  }
}

BENCHMARK_CAPTURE(Translate, ean13, BC_SYM_EAN13, "590123412345", 0);
BENCHMARK_CAPTURE(Translate, upca, BC_SYM_UPCA, "01234567890", 0);
BENCHMARK_CAPTURE(Translate, code128_short, BC_SYM_CODE128, "HELLO123456", 0);
BENCHMARK_CAPTURE(Translate, code128_40, BC_SYM_CODE128, "PO-4711/ab 20240315 Lot#A7 0000123456 zZ", 0);
BENCHMARK_CAPTURE(Translate, code39, BC_SYM_CODE39, "CODE39TEST", 1);
BENCHMARK_CAPTURE(Translate, code39ascii, BC_SYM_CODE39_FULL_ASCII, "CODE39TEST", 1);
BENCHMARK_CAPTURE(Translate, code93, BC_SYM_CODE93, "TEST93", 0);
BENCHMARK_CAPTURE(Translate, i2of5, BC_SYM_I2OF5, "12345678", 1);
BENCHMARK_CAPTURE(Translate, codabar, BC_SYM_CODABAR, "A12345B", 1);
BENCHMARK_CAPTURE(Translate, msi, BC_SYM_MSI, "1234567", 1);
BENCHMARK_CAPTURE(Translate, postnet, BC_SYM_POSTNET, "12345678901", 0);

}  // namespace
