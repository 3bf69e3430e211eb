#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the native
# suites, the same suites under AddressSanitizer and UndefinedBehaviorSanitizer
# and ThreadSanitizer, the suite built for 32-bit x86 Linux, the 32-bit and
# 64-bit Windows DLLs (static checks, and their suites and ABI program under
# Wine), the fuzz smoke, the Windows SDK bundle, the C#, VBA and Python
# bindings, the Linux install and the web build.  Ends with one line per stage: passed,
# skipped (and why) or FAILED, with its time.
#
# Machines differ in one way that matters here: some cannot execute 32-bit
# programs at all ("Exec format error").  A real 32-bit program is run once,
# up front, to find out.  Where it cannot run, every run that needs 32-bit
# execution (32-bit Wine) is skipped with a line saying so, the 32-bit DLL is
# still built and checked without running it, and the 32-bit Linux suite runs
# under qemu-i386-static instead.  TAVO_NO_WIN32_RUN=1 forces that path.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
summary=()
n_passed=0 n_failed=0 n_skipped=0

# stage NAME COMMAND...: runs the command in a subshell that stops at the
# first failure, and records the outcome and the time it took.
stage() {
  local name=$1 start=$SECONDS rc
  shift
  echo
  echo "== $name =="
  (set -e; "$@")
  rc=$?
  local took=$((SECONDS - start))
  if [ $rc -eq 0 ]; then
    n_passed=$((n_passed + 1))
    summary+=("$(printf '  %-60s passed   %5ss' "$name" "$took")")
  else
    n_failed=$((n_failed + 1))
    summary+=("$(printf '  %-60s FAILED   %5ss  (exit %s)' "$name" "$took" "$rc")")
  fi
  return 0
}

# stage_begin NAME COMMAND...: starts a stage beside the ones that follow,
# for stages that leave a processor idle.  Its output goes to a log of its own
# and is printed whole by stage_end NAME, which records the outcome and the
# time the stage itself took (to its own end, kept in a file beside its log)
# in the place of the summary the stage began in.
declare -A bg_pid=() bg_log=() bg_start=() bg_slot=()
stage_begin() {
  local name=$1
  shift
  bg_log[$name]=$(mktemp "${TMPDIR:-/tmp}/tavo-stage.XXXXXX")
  bg_start[$name]=$SECONDS
  bg_slot[$name]=${#summary[@]}
  summary+=("$(printf '  %-60s did not end' "$name")")
  local log=${bg_log[$name]}
  { (set -e; "$@"); local rc=$?; echo "$SECONDS" >"$log.end"; exit $rc; } >"$log" 2>&1 &
  bg_pid[$name]=$!
  echo
  echo "== $name == started; its output follows when it ends"
}
stage_end() {
  local name=$1 rc=0 slot=${bg_slot[$1]} start=${bg_start[$1]}
  wait "${bg_pid[$name]}" || rc=$?
  local end
  end=$(cat "${bg_log[$name]}.end" 2>/dev/null || echo "$SECONDS")
  local took=$((end - start))
  echo
  echo "== $name == (ran beside the stages after it)"
  cat "${bg_log[$name]}"
  rm -f "${bg_log[$name]}" "${bg_log[$name]}.end"
  if [ $rc -eq 0 ]; then
    n_passed=$((n_passed + 1))
    summary[slot]=$(printf '  %-60s passed   %5ss  (beside others)' "$name" "$took")
  else
    n_failed=$((n_failed + 1))
    summary[slot]=$(printf '  %-60s FAILED   %5ss  (exit %s; beside others)' "$name" "$took" "$rc")
  fi
}

# skip NAME REASON: one visible line now, and one in the summary.
skip() {
  echo
  echo "== $1 == SKIPPED: $2"
  n_skipped=$((n_skipped + 1))
  summary+=("$(printf '  %-60s skipped  %5s   (%s)' "$1" "-" "$2")")
}

finish() {
  echo
  echo "== summary =="
  printf '%s\n' "${summary[@]}"
  echo "stages: $n_passed passed, $n_failed failed, $n_skipped skipped; $SECONDS s in all"
  [ "$n_failed" -eq 0 ]
  exit
}

stage "install missing packages" bash scripts/install-deps.sh
if [ "$n_failed" -ne 0 ]; then finish; fi

# Each build directory is shared between runs, and CMake keeps every option in
# its cache: each stage therefore sets every option it depends on, so that
# what an earlier run (or another stage on the same directory) set does not
# change what it tests.
options=(-DTAVO_BUILD_TESTS=ON -DTAVO_BUILD_TOOLS=ON -DTAVO_BUILD_BENCH=OFF -DTAVO_BUILD_FUZZERS=OFF
         -DTAVO_BUILD_FONTS=ON -DTAVO_PACKAGING_TESTS=OFF -DTAVO_STATIC_TESTS=OFF -DTAVO_WERROR=ON
         -DTAVO_LTO=ON -DTAVO_TEST_PCH=ON)
# The Linux builds keep debug information as line tables only (-g1): what a
# sanitizer's report or a backtrace needs, for about a quarter less compile
# time than full -g (GCC's code does not depend on the debug level).  Not
# the MinGW builds: Debian's MinGW-w64 GCC 12 stops with an internal error
# in its DWARF output (force_decl_die) on the DLL's link-time optimisation
# with -g1.
linux_options=("${options[@]}"
               "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
               -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1)
windows_options=("${options[@]}"
                 "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g -DNDEBUG")

# A build stage marks its directory once its build has succeeded in this run;
# the stages that test or pack what a build made run only when the mark is
# there, so a failed build never lets an earlier run's artefact be tested or
# packed in its place.
mkdir -p build
rm -f build/*/.built-this-run build/native/.packaging-this-run
built() { touch "build/$1/.built-this-run"; }
was_built() { [ -f "build/$1/.built-this-run" ]; }

# --- Can this machine execute 32-bit x86 programs? ------------------------
probe_dir=build/probe32
mkdir -p "$probe_dir"
printf '#include <stdio.h>\nint main(void) { printf("%%d-bit\\n", (int)(8 * sizeof(void *))); return 0; }\n' \
  > "$probe_dir/probe.c"
win32_runs=0
if [ "${TAVO_NO_WIN32_RUN:-0}" = 1 ]; then
  why32="TAVO_NO_WIN32_RUN=1 forces the path of a machine without 32-bit execution"
elif ! gcc -m32 -static -o "$probe_dir/probe" "$probe_dir/probe.c" 2> "$probe_dir/cc.log"; then
  why32="no 32-bit C toolchain to build the probe ($(head -n1 "$probe_dir/cc.log"))"
else
  probe_out=$("$probe_dir/probe" 2>&1)
  if [ "$probe_out" = "32-bit" ]; then
    win32_runs=1
  else
    why32="this machine cannot execute 32-bit programs: ${probe_out:-no output}"
  fi
fi
export TAVO_WIN32_RUNS=$win32_runs
echo
if [ $win32_runs = 1 ]; then
  echo "== 32-bit execution: available (a static 32-bit probe ran) =="
else
  echo "== 32-bit execution: NOT available: $why32 =="
fi

# --- Native suites -----------------------------------------------------------
native() {
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${linux_options[@]}" >/dev/null
  cmake --build build/native -j"$jobs"
  built native
  (cd build/native && ctest -j"$jobs" --output-on-failure)
}
stage "native build and suites" native

# The library at -O1, as the sanitizers' own documentation advises, on the
# Debug build (its assertions stay on): at -O0 the suites ran several times
# slower for no gain.  The test programs at -O0 (TAVO_TEST_CXX_FLAGS): at -O1
# their compile took twice as long, for a run that is the library's time.  GCC's maybe-uninitialized analysis, silent at -O0, gives false
# reports inside libstdc++'s <regex> beside the sanitizers at -O1; the native
# stage's -O2 build keeps that warning an error.
sanitize() {
  local san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1 -Wno-maybe-uninitialized"
  cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug "${linux_options[@]}" \
    -DCMAKE_CXX_FLAGS="$san" -DCMAKE_C_FLAGS="$san" -DTAVO_TEST_CXX_FLAGS=-O0 \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
  cmake --build build/sanitize -j"$jobs"
  cd build/sanitize
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest -j"$jobs" --output-on-failure -E '^(OutOfMemory|LongValues)'
}
stage "native, ASan + UBSan" sanitize

tsan() {
  cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${linux_options[@]}" \
    -DTAVO_BUILD_TOOLS=OFF -DTAVO_WERROR=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" >/dev/null
  cmake --build build/tsan -j"$jobs" --target tavo32_thread_tests
  TSAN_OPTIONS=halt_on_error=1 build/tsan/bin/tavo32_thread_tests --gtest_filter='Threads.*'
}
stage "native, ThreadSanitizer (thread stress)" tsan

# --- 32-bit x86 Linux: what 32-bit sizes break, with or without 32-bit execution
linux32() {
  cmake -S . -B build/linux32 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${linux_options[@]}" \
    -DCMAKE_C_FLAGS=-m32 -DCMAKE_CXX_FLAGS=-m32 -DCMAKE_EXE_LINKER_FLAGS="-m32 -static" \
    -DCMAKE_SHARED_LINKER_FLAGS=-m32 -DTAVO_BUILD_TOOLS=OFF -DTAVO_STATIC_TESTS=ON >/dev/null
  cmake --build build/linux32 -j"$jobs" --target tavo32_tests tavo32_oom_tests
  local run=()
  if [ $win32_runs = 1 ]; then
    echo "running the 32-bit suites natively"
  else
    echo "running the 32-bit suites under qemu-i386-static (no 32-bit execution here)"
    run=(qemu-i386-static)
  fi
  # The file-version tests load the shared library by its path; a static
  # program has none, so they run only in the native and Wine suites.
  "${run[@]}" build/linux32/bin/tavo32_tests --gtest_brief=1 \
    --gtest_filter='-Version.FileVersionOfTheLoadedLibrary:Version.ZeroWhenTheLibraryFileIsGone'
  "${run[@]}" build/linux32/bin/tavo32_oom_tests --gtest_brief=1
}
stage "32-bit x86 Linux suites (g++ -m32, static)" linux32

# --- 32-bit Windows DLL ------------------------------------------------------
win32_build() {
  cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "${windows_options[@]}" >/dev/null
  if [ $win32_runs = 1 ]; then
    cmake --build build/win32 -j"$jobs"
  else
    # What can be checked without running a 32-bit program, and what the SDK
    # bundle takes: the 32-bit test programs are built where they can run.
    echo "building the DLL, its import libraries and the font installer only ($why32)"
    cmake --build build/win32 -j"$jobs" --target tavo32 tavo32_msvc_lib tavo_fonts_installer
  fi
  built win32
  (cd build/win32 && ctest --output-on-failure --no-tests=error -R '^(dll_static_checks|dll_imports_os_only)$')
}
stage "32-bit Windows DLL: build, exports, imports, version" win32_build
if [ $win32_runs = 1 ] && ! was_built win32; then
  skip "32-bit Windows DLL: suite and ABI program under Wine" "the 32-bit DLL did not build"
elif [ $win32_runs = 1 ]; then
  # Two at a time: the font installer test has a Wine prefix of its own; the
  # suite and the ABI program share one and take turns (RESOURCE_LOCK).
  wine32_suite() {
    cd build/win32
    ctest -j"$jobs" --output-on-failure --no-tests=error -R '^(tavo32_tests_wine|win32_abi|font_installer_wine)$'
  }
  # Mostly Wine starting up and the font installer's prefix: it runs beside
  # the 64-bit build, the stage after it.
  wine32_stage="32-bit Windows DLL: suite, ABI program and font installer under Wine"
  stage_begin "$wine32_stage" wine32_suite
else
  skip "32-bit Windows DLL: GoogleTest suite under Wine" "$why32"
  skip "32-bit Windows DLL: Win32 ABI program under Wine" "$why32"
  skip "32-bit font installer under Wine" "$why32"
fi

# --- 64-bit Windows DLL, under the 64-bit Wine loader itself ------------------
win64() {
  cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "${windows_options[@]}" >/dev/null
  cmake --build build/win64 -j"$jobs"
  built win64
  (cd build/win64 && ctest -j"$jobs" --output-on-failure)
}
stage "64-bit Windows DLL: checks, suite and ABI program (wine64)" win64
[ -z "${wine32_stage:-}" ] || stage_end "$wine32_stage"

# First that the fuzz stage can fail at all: a target with a planted crash,
# leak, timeout and out-of-memory must fail it each time.
stage "fuzz: a planted crash, leak, timeout, oom fails the stage" \
  bash scripts/fuzz.sh --prove-failure
stage "fuzz smoke (${TAVO_FUZZ_SECONDS:-20}s per target)" bash scripts/fuzz.sh "${TAVO_FUZZ_SECONDS:-20}"

# The packaging checks are registered in the native build (nothing to
# recompile); the SDK bundle packs the two DLLs built above.
packaging() {
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${linux_options[@]}" \
    -DTAVO_PACKAGING_TESTS=ON \
    -DTAVO_SDK_WIN32_BUILD="$PWD/build/win32" -DTAVO_SDK_WIN64_BUILD="$PWD/build/win64" \
    -DTAVO_SDK_WINEPREFIX="$PWD/build/win64/wineprefix" -DTAVO_SDK_RUN_X86=$win32_runs >/dev/null
  touch build/native/.packaging-this-run
}
packaging_ready() { was_built native && [ -f build/native/.packaging-this-run ]; }
# The packaging configuration stays in build/native only while these stages
# run: the native stage of the next run sets it back.
if was_built native; then
  stage "packaging tests: configure" packaging
else
  skip "packaging tests: configure" "the native build failed"
fi
if packaging_ready; then
  stage "bindings: declarations and tables, Python (pip), C# under Mono" \
    bash -c 'cd build/native && ctest --output-on-failure --no-tests=error -R "^(bindings_declarations|bindings_tables|bindings_runners|python_binding|python_pip|dotnet_binding)$"'
  stage "Linux install: CMake package and pkg-config consumers" \
    bash -c 'cd build/native && ctest --output-on-failure --no-tests=error -R "^linux_install$"'
else
  skip "bindings: declarations and tables, Python (pip), C# under Mono" "the native build or its packaging configuration failed"
  skip "Linux install: CMake package and pkg-config consumers" "the native build or its packaging configuration failed"
fi
sdk_stage="Windows SDK bundle: files, libraries, consumers under Wine"
if ! packaging_ready || ! was_built win32 || ! was_built win64; then
  skip "$sdk_stage" "a build it packs, or the packaging configuration, failed"
else
  # The bundle is built first, alone; its tests, Wine for the most part, run
  # beside the web stage, whose build in build/native then finds nothing to do.
  # Those two tests run side by side, in Wine prefixes of their own.
  failed_before=$n_failed
  stage "Windows SDK bundle: build" cmake --build build/native -j"$jobs" --target tavo32_sdk
  sdk() { cd build/native && ctest -j"$jobs" --output-on-failure --no-tests=error -R '^sdk_bundle'; }
  if [ "$n_failed" -eq "$failed_before" ]; then
    stage_begin "$sdk_stage" sdk
  else
    skip "$sdk_stage" "the bundle did not build"
  fi
fi
if [ $win32_runs != 1 ]; then
  skip "Windows SDK bundle: 32-bit consumers under Wine" "$why32; x86 part checked statically"
fi
# LibreOffice headless: the Calc functions of tavo32.oxt against tavo, a sheet
# and Writer label merges to PDF, read back; LibreOffice from Debian first.
lo_stage="LibreOffice: Calc functions, label merges, PDFs read back"
if ! was_built native; then
  skip "$lo_stage" "the native build failed"
elif lo_why=$(bash office/libreoffice/test.sh --prepare 2>&1); then
  # Mostly one office process: it runs beside the web stage, which only reads
  # build/native (its build there finds nothing out of date).
  stage_begin "$lo_stage" bash office/libreoffice/test.sh build/native
else
  skip "$lo_stage" "$lo_why"
fi
# The WebAssembly module against the native library in Node, the npm
# package installed from its tarball, and the page in headless Chromium read
# back by zbar (the speed figures are taken by hand: TAVO_WEB_BENCH=1).
# The web build takes the native library, tool and fonts from build/native
# when this run built them, instead of building them again.
web_native=()
was_built native && web_native=(TAVO_WEB_NATIVE=build/native)
stage "web: WebAssembly in Node, npm package, page in Chromium" \
  env TAVO_WEB_BENCH="${TAVO_WEB_BENCH:-0}" "${web_native[@]}" bash scripts/test-web.sh
[ -z "${bg_pid[$lo_stage]:-}" ] || stage_end "$lo_stage"
[ -z "${bg_pid[$sdk_stage]:-}" ] || stage_end "$sdk_stage"

finish
