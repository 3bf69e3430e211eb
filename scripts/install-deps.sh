#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine: the
# native toolchain, GoogleTest and Google Benchmark, the MinGW-w64 cross
# compiler for the 32-bit DLL, and Wine (with i386 multiarch) to run it;
# the rest is listed below with what it is for.
# Installs only what is missing (scripts/apt-install-missing.sh, which waits
# for another apt's lock); needs root (or sudo) when something is.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 python3 zbar-tools zint libpng-dev)
# 64-bit Windows DLL, its Wine runs, MSVC import libraries (llvm-dlltool,
# lld-link), the C# binding under Mono and the pkg-config consumer test.
packages+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 llvm lld mono-mcs mono-runtime
           pkg-config)
# The bar code fonts (fontTools for /usr/bin/python3, DejaVu Sans Mono for the
# captions) and their suite (FreeType, the OpenType Sanitizer); python3-freetype
# renders the samples.
packages+=(python3-fonttools python3-freetype fonts-dejavu-core libfreetype-dev opentype-sanitizer)
# The 32-bit x86 Linux suite (g++ -m32, static) and the emulator that runs it
# where the kernel cannot execute 32-bit programs; the static DLL checks
# (export table, version resource) read the PE files with pefile.
packages+=(g++-multilib qemu-user-static python3-pefile)
# fc-match: the Linux install test resolves every face name through fontconfig.
packages+=(fontconfig)
# The web edition (scripts/build-web.sh, scripts/test-web.sh): Emscripten for the
# WebAssembly module, Brotli for the WOFF2 web fonts, headless Chromium for the page.
packages+=(emscripten python3-brotli chromium)
# zint's library, the QR Code encoder bench/qr_instructions.sh counts beside ours,
# and zbar's, which the scanner and font suites call in-process (no zint or
# zbarimg process per picture).
packages+=(libzint-dev libzbar-dev)
# GNU time: peak memory of tavo batch (tests/tools/cli_batch_memory_test.cmake, bench/batch.sh).
packages+=(time)
# Data Matrix pictures read back by libdmtx's reader (dmtxread).
packages+=(dmtx-utils)
# PDF417 and Aztec pictures read back by zxing-cpp's reader (ZXingReader, and
# the zxingcpp module for the system's Python).
packages+=(zxing-cpp-tools python3-zxing-cpp)
# The Python binding's pip install into a fresh virtual environment (ensurepip).
packages+=(python3-venv)
# LibreOffice, headless, for office/libreoffice/test.sh only (`--office`): Calc,
# Writer, Base (its data sources carry the mail merge), the Python-UNO bridge,
# and poppler's pdftoppm and pdffonts.  Several hundred MB, so not by default.
office_packages=(libreoffice-calc-nogui libreoffice-writer-nogui libreoffice-base python3-uno poppler-utils
                 zbar-tools dmtx-utils zint fontconfig)
if [ "${1:-}" = --office ]; then
  exec bash "$(dirname "$0")/apt-install-missing.sh" --update install-deps "${office_packages[@]}"
fi
# Only what is missing; the shared installer waits for another apt's lock.
bash "$(dirname "$0")/apt-install-missing.sh" --add-arch i386 --update install-deps "${packages[@]}"
