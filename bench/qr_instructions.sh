#!/usr/bin/env bash
# Instructions per QR Code translation (BC_FontTranslate, symbology 14)
# beside zint's ZBarcode_Encode for the same value and level, both counted
# by callgrind in the same run: (Ir(N2) - Ir(N1)) / (N2 - N1), which cancels
# start-up and loading.  Needs libzint-dev.
#   bash bench/qr_instructions.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_BENCH=ON \
  -DTAVO_BUILD_TESTS=OFF -DTAVO_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target tavo32_instructions zint_qr_instructions >/dev/null

count() {  # program args... -> total Ir
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

printf '%-8s %-5s %10s %10s %6s\n' value level "tavo Ir" "zint Ir" ratio
while IFS='|' read -r name check value; do
  [ -z "$name" ] && continue
  level=$(( check == 0 ? 2 : check ))
  a=$(count "$build/bin/tavo32_instructions" 14 "$value" "$check" 20)
  b=$(count "$build/bin/tavo32_instructions" 14 "$value" "$check" 220)
  c=$(count "$build/bin/zint_qr_instructions" "$value" "$level" 20)
  d=$(count "$build/bin/zint_qr_instructions" "$value" "$level" 220)
  ours=$(( (b - a) / 200 ))
  theirs=$(( (d - c) / 200 ))
  printf '%-8s %-5s %10d %10d %6s\n' "$name" "$level" "$ours" "$theirs" \
    "$(awk -v t="$theirs" -v o="$ours" 'BEGIN { printf "%.2f", t / o }')"
done <<'CASES'
url100|0|https://pay.example.com/invoice?no=INV-2026-004711&amount=1234.50&currency=EUR&ref=RF18539007547034X
digits100|0|1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890
text100|4|The quick brown fox jumps over the lazy dog; THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789.
CASES
