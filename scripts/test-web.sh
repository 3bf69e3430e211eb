#!/usr/bin/env bash
# The web stage: builds the WebAssembly module, the npm package and the web
# fonts (scripts/build-web.sh), then runs, with Node's own test runner:
#   - the module against the native library (worked examples, seeded random
#     values of every symbology code, face names, character checks, messages),
#   - the named surface: names and options against the integer calls, the text
#     rule, toSVG() against `tavo translate --svg`, the GS1 helpers,
#   - the packed tarball installed offline into a scratch project,
#   - the page in Debian's headless Chromium, each scannable symbology read
#     back from a screenshot by zbarimg, and an invalid value's message,
#   - the page driven with the keyboard alone over the DevTools protocol, its
#     PNG and SVG downloads read back, and on a phone-sized screen,
# and then measures the per-call time against the native library and a
# JavaScript Code 128 encoder from npm (figures only; TAVO_WEB_BENCH=0 skips).
# Installs what it needs from Debian.  Ends with one line:
# "web: N passed, N failed, N skipped".
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

bash scripts/build-web.sh
# The native library and tool build-web.sh used (TAVO_WEB_NATIVE, as there).
native=$(cd "${TAVO_WEB_NATIVE:-build/web-native}" && pwd)

# The browser, the readers (zbar; dmtxread for Data Matrix) and the static
# server of the page test.
packages=(chromium zbar-tools dmtx-utils python3)
bash scripts/apt-install-missing.sh test-web "${packages[@]}"

echo "== web: native oracle =="
g++ -std=c++20 -O2 -Wall -Wextra -Iinclude web/test/native_oracle.cpp "-L$native/bin" \
  -ltavo32 "-Wl,-rpath,$native/bin" -o "$native/native_oracle"

echo "== web: Node tests (module vs native, package tarball, page in Chromium) =="
log=build/web/test-web.tap
set +e
TAVO_NATIVE_ORACLE="$native/native_oracle" TAVO_NATIVE_TOOL="$native/bin/tavo" \
  node --test web/test/translate.test.mjs web/test/options.test.mjs web/test/gen.test.mjs web/test/package.test.mjs \
    web/test/page.test.mjs \
    web/test/keyboard.test.mjs 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e

# The conformance cases through the npm package just built, beside the other
# surfaces (the native stage ran them before the package existed).
conformance_status=0
if [ -x build/native/bin/conformance_c_runner ] && [ -x build/native/bin/tavo ]; then
  echo "== web: conformance, with the npm package under Node =="
  python3 -B tests/conformance/run.py --c-runner build/native/bin/conformance_c_runner \
    --tavo build/native/bin/tavo --library build/native/bin/libtavo32.so --build-dir build/native \
    --require "JavaScript (Node)" || conformance_status=1
else
  echo "== web: conformance: skipped, no native build with the C runner (the native stage builds it) =="
fi

if [ "${TAVO_WEB_BENCH:-1}" != 0 ]; then
  echo "== web: speed (figures only) =="
  competitor=build/web/bench-competitor
  mkdir -p "$competitor"
  [ -f "$competitor/package.json" ] || echo '{"name":"bench-competitor","private":true}' >"$competitor/package.json"
  if [ -d "$competitor/node_modules/code-128-encoder" ] ||
     (cd "$competitor" && timeout 120 npm install --no-audit --no-fund --loglevel=error code-128-encoder@3.1.1 >/dev/null); then
    node web/bench/bench.mjs --competitor "$competitor" || true
  else
    node web/bench/bench.mjs || true
  fi
  node web/bench/floors.mjs || true
fi

count() { sed -nE "s/^# $1 ([0-9]+)$/\1/p" "$log" | tail -1; }
pass=$(count pass); fail=$(count fail); skipped=$(count skipped)
echo "test-web: took $((SECONDS - start)) s"
echo "web: ${pass:-0} passed, ${fail:-0} failed, ${skipped:-0} skipped"
if [ "$status" -ne 0 ] || [ "${pass:-0}" -eq 0 ] || [ "$conformance_status" -ne 0 ]; then exit 1; fi
