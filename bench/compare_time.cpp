// The cases of bench/cases.txt under Google Benchmark, ours
// (BC_FontTranslate) beside zint's ZBarcode_Encode, for time rather than
// instructions (bench/compare.sh --time).
//   tavo32_compare_time CASES_FILE [benchmark flags]
#include <benchmark/benchmark.h>
#include <zint.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tavo32.h"

namespace {

struct Case {
  std::string name;
  int32_t symbology = 0;
  int32_t check = 0;
  int zint[5] = {};  // symbology, option_1, option_2, option_3, input_mode
  std::string value;
  std::string zint_value;  // the same data as zint takes it, when ours is another form
};

// One line of bench/cases.txt: the fields split at '|', the value last.
bool ParseCase(const std::string& line, Case& c) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; fields.size() < 9 && std::getline(in, field, '|');) fields.push_back(field);
  if (fields.size() != 9 || !std::getline(in, c.value)) return false;
  const size_t bar = c.value.find('|');
  c.zint_value = bar == std::string::npos ? c.value : c.value.substr(bar + 1);
  c.value = c.value.substr(0, bar);
  c.name = fields[0];
  c.symbology = std::atoi(fields[1].c_str());
  c.check = std::atoi(fields[2].c_str());
  for (int i = 0; i < 5; ++i) c.zint[i] = std::atoi(fields[3 + static_cast<size_t>(i)].c_str());
  return true;  // fields[8], the goal in instructions, is no time
}

void Ours(benchmark::State& state, const Case& c) {
  char buf[8192];
  int32_t len = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BC_FontTranslate(c.symbology, c.value.c_str(), c.check, buf,
                                              sizeof buf, &len));
  }
}

void Zint(benchmark::State& state, const Case& c) {
  zint_symbol* symbol = ZBarcode_Create();
  const auto* data = reinterpret_cast<const unsigned char*>(c.zint_value.data());
  for (auto _ : state) {
    ZBarcode_Clear(symbol);
    symbol->symbology = c.zint[0];
    symbol->option_1 = c.zint[1];
    symbol->option_2 = c.zint[2];
    symbol->option_3 = c.zint[3];
    symbol->input_mode = c.zint[4];
    benchmark::DoNotOptimize(ZBarcode_Encode(symbol, data, static_cast<int>(c.zint_value.size())));
  }
  ZBarcode_Delete(symbol);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CASES_FILE [benchmark flags]\n", argv[0]);
    return 2;
  }
  std::ifstream file(argv[1]);
  if (!file) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 2;
  }
  static std::vector<Case> cases;  // the benchmarks keep references to them
  for (std::string line; std::getline(file, line);) {
    Case c;
    if (!line.empty() && line[0] != '#' && ParseCase(line, c)) cases.push_back(c);
  }
  for (const Case& c : cases) {
    benchmark::RegisterBenchmark(("ours/" + c.name).c_str(), Ours, c);
    benchmark::RegisterBenchmark(("zint/" + c.name).c_str(), Zint, c);
  }
  argv[1] = argv[0];  // the rest are Google Benchmark's flags
  int rest = argc - 1;
  benchmark::Initialize(&rest, argv + 1);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
