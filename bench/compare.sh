#!/usr/bin/env bash
# Instructions per call, ours (BC_FontTranslate) beside zint's
# ZBarcode_Encode for the same value in the same run, for every case of
# bench/cases.txt, with the ratio and the goal.  Callgrind counts
# (Ir(N2 calls) - Ir(N1 calls)) / (N2 - N1), which cancels start-up and
# loading, so the figures repeat whatever else the machine is doing.
# Release build with LTO, as shipped.  Needs valgrind and libzint-dev.
#   bash bench/compare.sh [--time] [BUILD_DIR]
# --time runs the same cases under Google Benchmark instead (nanoseconds).
set -euo pipefail
cd "$(dirname "$0")/.."
time_mode=0
if [ "${1:-}" = --time ]; then time_mode=1; shift; fi
build=${1:-build/bench}
cases=bench/cases.txt
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_BENCH=ON \
  -DTAVO_BUILD_TESTS=OFF -DTAVO_BUILD_TOOLS=OFF >/dev/null
if [ "$time_mode" = 1 ]; then
  cmake --build "$build" --target tavo32_compare_time >/dev/null
  exec "$build/bin/tavo32_compare_time" "$cases"
fi
cmake --build "$build" --target tavo32_instructions zint_encode_instructions >/dev/null
ours_prog="$build/bin/tavo32_instructions"
zint_prog="$build/bin/zint_encode_instructions"

count() {  # program args... -> total Ir, or "fail"
  local out
  if ! out=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1); then
    echo fail
    return
  fi
  echo "$out" | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

per_call() {  # n1 n2 program args... -> Ir per call (args end with the count)
  local n1=$1 n2=$2 a b
  shift 2
  a=$(count "$@" "$n1")
  b=$(count "$@" "$n2")
  if [ "$a" = fail ] || [ "$b" = fail ]; then echo fail; else echo $(((b - a) / (n2 - n1))); fi
}

printf '%-20s %9s %9s %7s %9s %s\n' case ours zint ratio goal met
while IFS='|' read -r name sym check zsym o1 o2 o3 mode goal value; do
  case "$name" in '' | '#'*) continue ;; esac
  n1=200 n2=2200
  if [ "$sym" -ge 14 ]; then n1=20 n2=220; fi  # the matrix codes: fewer, longer calls
  zint_value=${value#*|}  # "OURS|ZINT" when zint takes the data in another form
  value=${value%%|*}
  ours=$(per_call $n1 $n2 "$ours_prog" "$sym" "$value" "$check")
  zint=$(per_call $n1 $n2 "$zint_prog" "$zsym" "$o1" "$o2" "$o3" "$mode" "$zint_value")
  ratio=- met=-
  if [ "$ours" != fail ] && [ "$zint" != fail ]; then
    ratio=$(awk -v z="$zint" -v o="$ours" 'BEGIN { printf "%.1fx", z / o }')
    if [ "$goal" != 0 ]; then met=$([ "$ours" -le "$goal" ] && echo yes || echo no); fi
  fi
  [ "$goal" = 0 ] && goal=-
  printf '%-20s %9s %9s %7s %9s %s\n' "$name" "$ours" "$zint" "$ratio" "$goal" "$met"
done <"$cases"
