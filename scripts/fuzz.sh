#!/usr/bin/env bash
# Builds every libFuzzer target of fuzz/CMakeLists.txt with clang (ASan +
# UBSan) and runs each for SECONDS seconds (default 30) from the seed corpus
# in fuzz/corpus/<target> (when there is one).  New inputs found go to
# build/fuzz/corpus/<target>.  Run longer with, e.g.,
#   bash scripts/fuzz.sh 3600
#
# The targets run side by side, one per processor (TAVO_FUZZ_PARALLEL sets
# how many at once), each for the whole SECONDS.
#
# Any crash, sanitizer report, timeout (TAVO_FUZZ_TIMEOUT seconds for one
# input, default 10), leak or out-of-memory (TAVO_FUZZ_RSS_MB, default 2048)
# in any target fails the run (exit status 1) after every target has run.
# For each failure it prints the sanitizer's report, the path of the input
# that caused it (kept in a temporary folder, never in the source tree) and
# that input in hexadecimal.
#
#   bash scripts/fuzz.sh --prove-failure
# builds a separate target with faults planted in it (build/fuzz-proof), runs
# the same steps over it once per kind of fault, and exits 0 only when each
# run failed and named its input, i.e. when this script can fail.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# configure BUILD_DIR [CMAKE_ARGS...]: the fuzz build, every option it
# depends on set here.
configure() {
  local build=$1 flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -g -O1"
  shift
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_LTO=OFF -DTAVO_BUILD_FUZZERS=ON -DTAVO_BUILD_TESTS=OFF \
    -DTAVO_BUILD_TOOLS=OFF -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" "${launcher[@]}" \
    "$@" >/dev/null
}

# fuzz_targets BUILD_DIR: the names of the build's libFuzzer targets (those
# ending in _fuzz), as CMake knows them now, so a target added to
# fuzz/CMakeLists.txt runs without a change here and a removed one's old
# binary does not.
fuzz_targets() {
  cmake --build "$1" --target help | sed -nE 's/^([A-Za-z0-9_]+_fuzz):.*/\1/p' | sort -u
}

# show_input FILE: the input's path and its first 1 KiB in hexadecimal.
show_input() {
  echo "fuzz: input: $1 ($(wc -c <"$1") bytes)"
  head -c 1024 "$1" | od -A x -t x1z -v
}

# run_target BUILD_DIR TARGET SECONDS: one fuzzing run; 0 when it found
# nothing.  libFuzzer runs in a temporary folder and writes what it finds
# there (crash-*, leak-*, timeout-*, oom-*); the folder is kept on failure.
run_target() {
  local build=$1 target=$2 seconds=$3
  local bin=$root/$build/bin/$target corpus=$root/$build/corpus/${target%_fuzz}
  local seed=$root/fuzz/corpus/${target%_fuzz}
  local timeout_s=${TAVO_FUZZ_TIMEOUT:-10} rss_mb=${TAVO_FUZZ_RSS_MB:-2048}
  local work rc=0 dirs=("$corpus")
  [ -d "$seed" ] && dirs+=("$seed")
  mkdir -p "$corpus"
  work=$(mktemp -d "${TMPDIR:-/tmp}/tavo-fuzz-${target}.XXXXXX")
  echo "== fuzzing $target for ${seconds}s =="
  (cd "$work" && "$bin" -max_total_time="$seconds" -timeout="$timeout_s" -rss_limit_mb="$rss_mb" \
    -max_len=4096 -print_final_stats=1 -artifact_prefix="$work/" "${dirs[@]}") >"$work/log" 2>&1 || rc=$?
  grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$work/log" || true
  local found=("$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* "$work"/slow-unit-*)
  local inputs=()
  for f in "${found[@]}"; do [ -f "$f" ] && inputs+=("$f"); done
  if [ "$rc" -eq 0 ] && [ ${#inputs[@]} -eq 0 ]; then
    rm -rf "$work"
    return 0
  fi
  echo "fuzz: $target FAILED (exit $rc); its report:"
  # From the first line of the report on, without ASan's shadow memory map.
  sed -n '/^==[0-9]*==\|ERROR\|SUMMARY\|^MS: \|^artifact_prefix/,$p' "$work/log" |
    grep -vE '^(  0x|=>0x|Shadow|  [A-Z][A-Za-z ]+: )' | head -n 60 || true
  [ ${#inputs[@]} -eq 0 ] && echo "fuzz: no input was written (log: $work/log)"
  for f in "${inputs[@]}"; do show_input "$f"; done
  echo "fuzz: reproduce with: $bin ${inputs[0]:-}"
  return 1
}

# fuzz_all BUILD_DIR SECONDS [CMAKE_ARGS...]: configure, build and run every
# target; 1 when any failed.
fuzz_all() {
  local build=$1 seconds=$2 failed=()
  shift 2
  configure "$build" "$@"
  local targets
  targets=$(fuzz_targets "$build")
  [ -n "$targets" ] || { echo "fuzz: no *_fuzz target in $build" >&2; return 1; }
  # shellcheck disable=SC2086  # one argument per target
  cmake --build "$build" -j"${TAVO_FUZZ_JOBS:-$(nproc)}" --target $targets
  # shellcheck disable=SC2086
  run_targets "$build" "$seconds" $targets || return 1
  echo "fuzz: $(echo "$targets" | wc -l) targets, no fault found"
}

# run_targets BUILD_DIR SECONDS TARGET...: runs the targets, as many at once
# as TAVO_FUZZ_PARALLEL says (default: one per processor), each for the full
# SECONDS on a processor of its own.  Each run's output goes to a log of its
# own, printed whole when the run ends, so that runs side by side never mix
# their lines.  1 when any failed, after all have run, naming each.
run_targets() {
  local build=$1 seconds=$2 logs pid rc target running=0 failed=()
  shift 2
  local parallel=${TAVO_FUZZ_PARALLEL:-$(nproc)}
  logs=$(mktemp -d "${TMPDIR:-/tmp}/tavo-fuzz-logs.XXXXXX")
  local -A target_of=()
  for target in "$@" ""; do
    # Wait for one run to end while the pool is full, then for all at the end.
    while [ "$running" -gt 0 ] && { [ -z "$target" ] || [ "$running" -ge "$parallel" ]; }; do
      rc=0
      wait -n -p pid || rc=$?
      running=$((running - 1))
      cat "$logs/${target_of[$pid]}.log"
      [ "$rc" -eq 0 ] || failed+=("${target_of[$pid]}")
    done
    [ -n "$target" ] || break
    run_target "$build" "$target" "$seconds" >"$logs/$target.log" 2>&1 &
    target_of[$!]=$target
    running=$((running + 1))
  done
  rm -rf "$logs"
  if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: FAILED: ${failed[*]}"
    return 1
  fi
}

# The planted target (fuzz/planted_fault_fuzz.cpp) faults in the way
# TAVO_PLANTED_FAULT names once an input begins with "BUG"; the stage must fail
# each time and print the input.
prove_failure() {
  local kind out rc proven=0
  for kind in crash leak timeout oom; do
    echo "== proof: a planted $kind =="
    # Found afresh each time from the seed, not replayed from an earlier run.
    rm -rf build/fuzz-proof/corpus
    rc=0
    out=$(TAVO_PLANTED_FAULT=$kind TAVO_FUZZ_TIMEOUT=2 TAVO_FUZZ_RSS_MB=512 \
          fuzz_all build/fuzz-proof 60 -DTAVO_FUZZ_PLANTED_FAULT=ON 2>&1) || rc=$?
    echo "$out"
    if [ "$rc" -ne 0 ] && grep -q '^fuzz: input: /' <<<"$out" && grep -q '^000000 ' <<<"$out" &&
       grep -q "^fuzz: FAILED: planted_fault_fuzz" <<<"$out"; then
      echo "proof: the planted $kind failed the stage, with its input in hex"
      proven=$((proven + 1))
      # The kept folder holds nothing worth keeping here.
      sed -nE 's|^fuzz: input: (/.*)/[^/]+ \([0-9]+ bytes\)$|\1|p' <<<"$out" | xargs -r rm -rf
    else
      echo "proof: the planted $kind did NOT fail the stage (exit $rc)"
    fi
  done
  [ "$proven" -eq 4 ]
}

if [ "${1:-}" = --prove-failure ]; then
  prove_failure
else
  fuzz_all build/fuzz "${1:-30}" -DTAVO_FUZZ_PLANTED_FAULT=OFF
fi
