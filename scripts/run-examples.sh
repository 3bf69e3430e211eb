#!/usr/bin/env bash
# Builds the native library, the tavo tool and the bar code fonts,
# translates example values of every symbology, and draws each as a picture
# (SVG and PNG) in build/examples/pictures.  Installs what that needs first
# (the compiler, libpng, fontTools and DejaVu Sans Mono for the fonts), so it
# works on a fresh Debian machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/apt-install-missing.sh --update run-examples \
  cmake ninja-build g++ libpng-dev python3 python3-fonttools fonts-dejavu-core
cmake -S . -B build/examples -DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_TESTS=OFF -DTAVO_BUILD_FONTS=ON >/dev/null
cmake --build build/examples -j2 >/dev/null
tavo=build/examples/bin/tavo

run() {
  printf "$ tavo"; printf " %q" "$@"; echo
  "$tavo" "$@" || true
  echo
}
run translate code39ascii "Code 39" --check
run translate code39 "Code 39" --check
run translate i2of5 1234567 --check
run translate codabar 12345 --check
run translate msi 1234567 --check
run translate code93 TEST93
run translate upca 01234567890
run translate upce 123456
run translate postnet 12345-6789
run translate ean8 9638507
run translate ean13 590123412345
run translate code128 "HELLO123456"
run translate code128 '\F10112345'
run translate gs1-128 "(01)09501101530003(17)250101(10)ABC123"
run translate gtin13 5901234123457
run translate itf14 1540014128876
run translate imb 01234567094987654321-01234567891
run translate databar "(01)20012345678909" --truncated
run translate qr "https://example.com/TAVO32" --raw
run translate datamatrix "TAVO32 Data Matrix" --raw
run translate qr "(01)09506000134352(10)ABC123(17)251231" --dl --level Q --raw
run gs1 hri "[01]09506000134352[10]ABC123"
run face code128 --height H --caption
run face gs1-128
run check code128 185 --alt
run error 32507
run version

# Pictures: one symbol of each symbology, with its quiet zones and captions.
pictures=build/examples/pictures
mkdir -p "$pictures"
picture() {
  local name=$1
  shift
  if "$tavo" translate "$@" --svg "$pictures/$name.svg" --png "$pictures/$name.png" >/dev/null; then
    echo "$pictures/$name.svg $pictures/$name.png"
  fi
}
echo "pictures:"
picture code39ascii code39ascii "Code 39" --check
picture code39 code39 "Code 39" --check --caption
picture i2of5 i2of5 1234567 --check --caption
picture codabar codabar A12345B --check --caption
picture msi msi 1234567 --check --caption
picture code93 code93 TEST93 --caption
picture upca upca 0123456789012
picture upce upce 123456
picture postnet postnet 12345-6789 --module 4
picture ean8 ean8 9638507
picture ean13 ean13 590123412345
picture ean13-addon ean13 97801234567852495
picture code128 code128 "HELLO123456" --caption
picture gs1-128 gs1-128 "(01)09501101530003(17)250101(10)ABC123" --caption
picture gtin13 gtin13 5901234123457
picture gtin8 gtin8 96385074
picture gtin12 gtin12 036000291452
picture upce8 upce8 01234565
picture itf14 itf14 1540014128876 --caption
picture imb imb 01234567094987654321-01234567891
picture qr qr "https://example.com/TAVO32"
picture qr-gs1-digital-link qr "(01)09506000134352(10)ABC123(17)251231" --dl
picture datamatrix datamatrix "TAVO32 Data Matrix"
picture datamatrix-gs1 datamatrix "(01)09506000134352(17)251231(10)ABC123" --gs1
picture databar databar "(01)20012345678909"
picture databar-stacked databar-stacked "(01)20012345678909"
picture databar-stacked-omni databar-stacked-omni "(01)20012345678909"
picture databar-limited databar-limited "(01)15012345678907"
picture databar-expanded databar-expanded "(01)98898765432106(3103)001750(15)991231(10)ABC123"
picture databar-expanded-stacked databar-expanded-stacked "(01)98898765432106(3103)001750(15)991231(10)ABC123" --segments 6

# Every symbology the registry knows has its picture above.
while IFS=$'\t' read -r _ name _; do
  [ -f "$pictures/$name.svg" ] || echo "run-examples: no example picture of $name" >&2
done < <("$tavo" list)

echo
echo "fonts:    $(ls build/examples/fonts/truetype/*.ttf 2>/dev/null | wc -l) TrueType fonts in build/examples/fonts/truetype"
echo "pictures: $pictures"
