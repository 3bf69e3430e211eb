#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for
# SECONDS seconds (default 30) from the seed corpus in fuzz/corpus.  New
# inputs found go to build/fuzz/corpus/<target>.  Run longer with, e.g.,
#   bash scripts/fuzz.sh 3600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -g -O1"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_LTO=OFF -DTAVO_BUILD_FUZZERS=ON -DTAVO_BUILD_TESTS=OFF \
  -DTAVO_BUILD_TOOLS=OFF -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" >/dev/null
cmake --build build/fuzz -j"$(nproc)"
for target in translate strerr face_name char_check qr datamatrix; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "== fuzzing $target for ${seconds}s =="
  build/fuzz/bin/${target}_fuzz -max_total_time="$seconds" -print_final_stats=1 \
    -max_len=4096 "$corpus" fuzz/corpus/$target 2>&1 | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|Done' || true
  # libFuzzer exits non-zero when it finds a fault; run once more plainly to fail loudly.
  build/fuzz/bin/${target}_fuzz -runs=0 "$corpus" fuzz/corpus/$target >/dev/null 2>&1
done
