#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the native suites,
# the same suites under AddressSanitizer and UndefinedBehaviorSanitizer, and
# the 32-bit Windows build whose suites and ABI program run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

echo "== native =="
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_WERROR=ON >/dev/null
cmake --build build/native -j"$jobs"
(cd build/native && ctest -j"$jobs" --output-on-failure)

echo "== native, ASan + UBSan =="
san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVO_WERROR=ON \
  -DCMAKE_CXX_FLAGS="$san" -DCMAKE_C_FLAGS="$san" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build/sanitize -j"$jobs"
(cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest -j"$jobs" --output-on-failure -E '^(OutOfMemory|LongValues)')

echo "== native, ThreadSanitizer (thread stress) =="
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_BUILD_TOOLS=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build build/tsan -j"$jobs" --target tavo32_tests
TSAN_OPTIONS=halt_on_error=1 build/tsan/bin/tavo32_tests --gtest_filter='Threads.*'

echo "== 32-bit Windows DLL under Wine =="
cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_WERROR=ON >/dev/null
cmake --build build/win32 -j"$jobs"
(cd build/win32 && ctest --output-on-failure)

echo "== fuzz smoke (${TAVO_FUZZ_SECONDS:-20}s per target) =="
bash scripts/fuzz.sh "${TAVO_FUZZ_SECONDS:-20}"
