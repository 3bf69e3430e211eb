#!/usr/bin/env bash
# Instructions per Data Matrix encode, ours (value to font text) beside
# zint's ZBarcode_Encode (value to module matrix) for the same bytes, both
# counted by callgrind in the same run: (Ir(1100 calls) - Ir(100 calls)) /
# 1000, which cancels start-up and loading.  Needs libzint-dev.
#   bash bench/datamatrix_instructions.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_BENCH=ON \
  -DTAVO_BUILD_TESTS=OFF -DTAVO_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target tavo32_datamatrix_instructions >/dev/null
prog="$build/bin/tavo32_datamatrix_instructions"

count() {  # encoder value n -> total Ir
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$prog" "$1" "$2" "$3" 2>&1 |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

printf '%-28s %10s %10s %6s\n' value "tavo Ir" "zint Ir" ratio
while IFS='|' read -r name value; do
  [ -z "$name" ] && continue
  ours=$(( ($(count tavo "$value" 1100) - $(count tavo "$value" 100)) / 1000 ))
  zint=$(( ($(count zint "$value" 1100) - $(count zint "$value" 100)) / 1000 ))
  printf '%-28s %10d %10d %6s\n' "$name" "$ours" "$zint" "$(awk "BEGIN{printf \"%.1fx\", $zint/$ours}")"
done <<'CASES'
100 bytes, mixed text|Invoice 2026-0042, ACME GmbH, Hauptstrasse 12, 80331 Muenchen; total EUR 1,234.56 due 31.12.2026 net
100 digits|0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789
100 bytes, upper case|HTTPS://EXAMPLE.COM/TRACK/0042/ABCDEFGHIJKLMNOPQRSTUVWXYZ/0123456789/ORDER-7781/ITEM-55/LOT-A7-12345
CASES
