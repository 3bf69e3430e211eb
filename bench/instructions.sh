#!/usr/bin/env bash
# Instructions per BC_FontTranslate call, counted by callgrind:
# (Ir(2200 calls) - Ir(200 calls)) / 2000, which cancels start-up and
# loading.  Repeatable whatever else the machine is doing.
#   bash bench/instructions.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_BENCH=ON \
  -DTAVO_BUILD_TESTS=OFF -DTAVO_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target tavo32_instructions >/dev/null
cmake --build "$build" --target zint_instructions >/dev/null 2>&1 || true  # needs libzint-dev
prog="$build/bin/tavo32_instructions"

count() {  # sym value check n -> total Ir
  local out
  out=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$prog" "$1" "$2" "$3" "$4" 2>&1)
  echo "$out" | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

printf '%-10s %-44s %6s\n' symbology value "Ir/call"
while IFS='|' read -r name sym value check; do
  [ -z "$name" ] && continue
  a=$(count "$sym" "$value" "$check" 200)
  b=$(count "$sym" "$value" "$check" 2200)
  printf '%-10s %-44s %6d\n' "$name" "\"$value\"" $(( (b - a) / 2000 ))
done <<'CASES'
ean13|10|590123412345|0
upca|6|01234567890|0
code128|11|HELLO123456|0
code128|11|PO-4711/ab 20240315 Lot#A7 0000123456 zZ|0
gs1-128|12|(01)09501101530003(3103)001250(15)251231|0
gs1-128|12|(01)09501101530003(17)250101(10)ABC1234|0
gtin13|16|5901234123457|0
code39|1|CODE39TEST|1
code39ascii|0|CODE39TEST|1
code93|5|TEST93|0
i2of5|2|12345678|1
codabar|3|A12345B|1
msi|4|1234567|1
postnet|8|12345678901|0
imb|13|01234567094987654321|0
imb|13|01234567094987654321-01234|0
imb|13|01234567094987654321-012345678|0
imb|13|01234567094987654321-01234567891|0
CASES

# zint (libzint, the Debian package) on the same Intelligent Mail values, in
# the same run: ZBarcode_Encode + ZBarcode_Clear per call.
zint_prog="$build/bin/zint_instructions"
if [ -x "$zint_prog" ]; then
  zcount() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$zint_prog" "$1" "$2" 2>&1 |
      sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
  }
  printf '\n%-10s %-44s %6s\n' "zint" value "Ir/call"
  for value in 01234567094987654321 01234567094987654321-01234 01234567094987654321-012345678 \
               01234567094987654321-01234567891; do
    a=$(zcount "$value" 200)
    b=$(zcount "$value" 2200)
    printf '%-10s %-44s %6d\n' "imb" "\"$value\"" $(( (b - a) / 2000 ))
  done
else
  echo "zint: libzint-dev not installed, no comparison"
fi
