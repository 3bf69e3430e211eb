// Calls BC_FontTranslate N times on one value, for counting instructions
// per call under callgrind (see bench/instructions.sh).
//   tavo32_instructions SYMBOLOGY VALUE CHECK N
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tavo32.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s SYMBOLOGY VALUE CHECK N\n", argv[0]);
    return 2;
  }
  const int32_t sym = std::atoi(argv[1]);
  const std::string value = argv[2];
  const int32_t check = std::atoi(argv[3]);
  const long n = std::atol(argv[4]);
  char buf[4096];
  int32_t len = 0;
  int32_t rc = 0;
  for (long i = 0; i < n; ++i) rc |= BC_FontTranslate(sym, value.c_str(), check, buf, sizeof buf, &len);
  return rc == 0 ? 0 : 1;
}
