#!/usr/bin/env bash
# The LibreOffice proof: tavo32.oxt built from BUILD_DIR and installed with
# unopkg into a profile of its own; its Calc functions cell by cell against
# `tavo`; a Calc sheet and Writer label merges (30 to a US Letter sheet, 24
# to an A4 one) written to PDF by LibreOffice headless, every symbol read
# back (zbar, dmtxread, zint for Intelligent Mail) and the fonts embedded
# (pdffonts).  The unit tests of the cell functions run first.
#
# usage: office/libreoffice/test.sh [BUILD_DIR]      (default build/native;
#          needs the targets tavo, tavo32 and tavo_fonts)
#        office/libreoffice/test.sh --prepare        installs LibreOffice and
#          the readers from Debian if missing; on failure says why on
#          standard error and exits 1 (the caller skips the stage)
# unopkg refuses to run as root, so as root the office part runs as the
# user nobody, in a work directory of its own.  KEEP=1 keeps that directory.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tools=(soffice unopkg pdftoppm pdffonts zbarimg dmtxread zint fc-cache)

if [ "${1:-}" = --prepare ]; then
  bash "$root/scripts/install-deps.sh" --office >/dev/null 2>&1 || true
  for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed (bash scripts/install-deps.sh --office)" >&2; exit 1; }
  done
  /usr/bin/python3 -c "import uno" 2>/dev/null || { echo "python3-uno is not installed" >&2; exit 1; }
  exit 0
fi

build=$(cd "${1:-$root/build/native}" && pwd)
[ -x "$build/bin/tavo" ] && [ -f "$build/fonts/truetype/fonts.manifest" ] ||
  { echo "libreoffice test: build the tavo, tavo32 and tavo_fonts targets in $build first" >&2; exit 2; }

/usr/bin/python3 "$here/tests/test_cells.py" "$build"

work=$(mktemp -d /tmp/tavo-lo-XXXXXX)
if [ -z "${KEEP:-}" ]; then trap 'rm -rf "$work"' EXIT; else echo "work directory: $work"; fi
/usr/bin/python3 "$here/build-oxt.py" "$build" "$work/tavo32.oxt"
# The fonts as a user installs them: in the home's own font directory.
mkdir -p "$work/home/.local/share/fonts"
cp "$build"/fonts/truetype/*.ttf "$work/home/.local/share/fonts/"
run=(env HOME="$work/home")
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$work"
  chown -R nobody:nogroup "$work"
  run=(runuser -u nobody -- "${run[@]}")
fi
"${run[@]}" fc-cache -f "$work/home/.local/share/fonts" >/dev/null
"${run[@]}" /usr/bin/python3 "$here/tests/check_office.py" "$build" "$work" "$work/tavo32.oxt"
echo "LibreOffice $(soffice --version | awk '{print $2}')"
