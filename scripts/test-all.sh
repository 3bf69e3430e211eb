#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the native suites,
# the same suites under AddressSanitizer and UndefinedBehaviorSanitizer, and
# the 32-bit and 64-bit Windows builds whose suites and ABI program run under
# Wine, the Windows SDK bundle, the C#, VBA and Python bindings and the Linux
# install.
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

echo "== 64-bit Windows DLL under Wine =="
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_WERROR=ON >/dev/null
cmake --build build/win64 -j"$jobs"
(cd build/win64 && ctest --output-on-failure)

# The packaging checks are registered in the native build (nothing to
# recompile); the SDK bundle packs the two DLLs whose suites just ran.
cmake -S . -B build/native -DTAVO_PACKAGING_TESTS=ON \
  -DTAVO_SDK_WIN32_BUILD="$PWD/build/win32" -DTAVO_SDK_WIN64_BUILD="$PWD/build/win64" \
  -DTAVO_SDK_WINEPREFIX="$PWD/build/win64/wineprefix" >/dev/null

echo "== Windows SDK bundle: unpacked, linked against each import library, run under Wine =="
(cd build/native && ctest --output-on-failure -R '^sdk_bundle')

echo "== bindings: declarations against the .def, Python, C# under Mono =="
(cd build/native && ctest --output-on-failure -R '^(bindings_declarations|python_binding|dotnet_binding)$')

echo "== Linux install: consumers through the CMake package and pkg-config =="
(cd build/native && ctest --output-on-failure -R '^linux_install$')
