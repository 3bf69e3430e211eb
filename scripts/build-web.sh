#!/usr/bin/env bash
# Builds the web edition: the library core as WebAssembly (Debian's
# Emscripten), the npm package tavo32 in web/package/ (module, symbology list,
# WOFF2 web fonts and their CSS) and its tarball build/web/tavo32-X.Y.Z.tgz.
# Installs what it needs from Debian first.  The page web/index.html uses the
# package in place: serve web/ with any static file server.
#
# Also leaves the native library, the tavo tool and the TrueType fonts in
# build/web-native (the fonts are generated through the tool; the tests
# compare the module with that library).  TAVO_WEB_NATIVE=DIR takes them from
# a native build that has them already (scripts/test-all.sh passes
# build/native) instead of building them a second time: only what is out of
# date there is built.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# What the web build needs: Emscripten (its clang and binaryen), the native
# toolchain for the tool that generates the fonts, fontTools with Brotli for
# WOFF2, libpng and zlib headers (render/ declares its PNG writer with them;
# the module never calls it), and Node with npm (the machine's own Node when
# it has one).
packages=(emscripten cmake ninja-build g++ libpng-dev zlib1g-dev python3-fonttools python3-brotli fonts-dejavu-core)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
bash scripts/apt-install-missing.sh build-web "${packages[@]}"
jobs=${TAVO_WEB_JOBS:-2}

# What an earlier run made goes first, so that a step that fails now can
# never leave the tests an older module, package or tarball to pass on.
rm -rf build/web/tavo32.wasm build/web/tavo32-*.tgz web/package/tavo32-wasm.* web/package/*.cjs web/package/registry.d.ts \
  web/package/symbologies.js web/package/fonts web/package/LICENSE-fonts-OFL.txt

native=${TAVO_WEB_NATIVE:-build/web-native}
echo "== web: native library, tool and fonts ($native) =="
# Build output goes to a log, shown when a step fails.
mkdir -p build/web
step() {
  "$@" >build/web/step.log 2>&1 || { cat build/web/step.log; echo "build-web: failed: $*" >&2; exit 1; }
}
# Every option this build depends on, whatever an earlier run cached.
if [ "$native" = build/web-native ]; then
  step cmake -S . -B build/web-native -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_TESTS=OFF \
    -DTAVO_BUILD_TOOLS=ON -DTAVO_BUILD_FONTS=ON -DTAVO_BUILD_BENCH=OFF -DTAVO_BUILD_FUZZERS=OFF
fi
step nice cmake --build "$native" -j"$jobs" --target tavo32 tavo tavo_fonts

echo "== web: WebAssembly module (build/web) =="
# Every entry point the public header declares, so new exports come along.
exports=$(grep -oE 'BC_API +[A-Za-z0-9_]+ +BC_CALL +[A-Za-z0-9_]+' include/tavo32.h |
          awk '{print "_" $4}' | paste -sd, -)
step emcmake cmake -S web -B build/web -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVO_WASM_EXCEPTIONS=ON \
  "-DTAVO_WASM_EXPORTS=$exports"
step nice cmake --build build/web -j"$jobs"
[ -s build/web/tavo32.wasm ] || { echo "build-web: the build made no build/web/tavo32.wasm" >&2; exit 1; }

echo "== web: package (web/package) =="
version=$(sed -nE 's/^project\(tavo32 VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
node web/tools/gen-package.mjs --wasm build/web/tavo32.wasm --tavo "$native/bin/tavo" \
  --version "$version" --out web/package
rm -rf web/package/fonts
/usr/bin/python3 web/tools/make-webfonts.py "$native/fonts/truetype" web/package/fonts
cp fonts/OFL.txt web/package/LICENSE-fonts-OFL.txt
(cd web/package && npm pkg set "version=$version")
(cd web/package && npm pack --silent --pack-destination "$root/build/web") >/dev/null
echo "build-web: package ready in web/package, tarball build/web/tavo32-$version.tgz"
