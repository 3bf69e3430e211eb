#!/usr/bin/env bash
# Shows that nothing a caller can observe changed between two commits.
#   scripts/compare-outputs.sh BASE [HEAD]      (HEAD defaults to HEAD)
#
# Builds both commits natively (Release; the library, the tavo tool and the
# fonts) from git worktrees under build/compare/, kept between runs, then
# compares what the two builds give:
#   - a generated corpus of about 225,000 BC_FontTranslate calls over every
#     code `tavo list` names and a dozen unregistered ones, every check value
#     that matters and some odd ones, tight buffers and null arguments
#     (tools/compare/corpus.cpp: return code, length, bytes, and whether the
#     buffer past the answer stayed as it was);
#   - BC_FontGetFaceName, BC_CharCheck for every code and byte, BC_StrErr for
#     every error code, the constant exports, the GS1 exports;
#   - the exported names and the ordinals (res/tavo32.def);
#   - `tavo list`, and `tavo glyphs` for every code (plain, --caption, --ratio 2);
#   - every font, table by table and glyph by glyph (tools/compare/fonts.py).
# Prints one line per area, "identical" or the first differences, and exits
# 1 on any difference, 2 when something cannot be built or run.  The corpus
# driver and this script come from the checkout that runs it, so a BASE
# older than them is compared just the same.  About two minutes per commit
# not built before (ccache helps), seconds after.  COMPARE_JOBS sets the
# build's parallelism (default 2).  The two worktrees stay registered with
# git for the next run; `git worktree remove --force build/compare/base/src`
# (and head/src) drops them, `git worktree prune` after deleting build/.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: scripts/compare-outputs.sh BASE [HEAD]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")/.." && pwd)
root=$(git -C "$here" rev-parse --show-toplevel)
out=$root/build/compare
mkdir -p "$out"
jobs=${COMPARE_JOBS:-2}
fail() { echo "compare-outputs: $*" >&2; exit 2; }

resolve() { git -C "$root" rev-parse --verify --quiet "$1^{commit}" || fail "not a commit: $1"; }
base_sha=$(resolve "$1")
head_sha=$(resolve "${2:-HEAD}")

# Builds commit $2 as side $1 (base or head): the worktree $out/$1/src is
# checked out at the commit, so a second run rebuilds only what changed, and
# both sides build from the same relative paths, so ccache serves the one
# side's objects to the other.
build_side() {
  local side=$1 sha=$2 src=$out/$1/src bin=$out/$1/build log=$out/$1/build.log
  mkdir -p "$out/$side"
  if [ ! -e "$src/.git" ]; then
    git -C "$root" worktree add --detach --force "$src" "$sha" >"$log" 2>&1 ||
      { cat "$log" >&2; fail "cannot check out $sha"; }
  else
    git -C "$src" checkout --detach --force --quiet "$sha" >"$log" 2>&1 ||
      { cat "$log" >&2; fail "cannot check out $sha in $src"; }
  fi
  local args=(-DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_TESTS=OFF -DTAVO_BUILD_BENCH=OFF)
  command -v ninja >/dev/null && args+=(-G Ninja)
  command -v ccache >/dev/null &&
    args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  if [ ! -f "$bin/CMakeCache.txt" ]; then
    cmake -S "$src" -B "$bin" "${args[@]}" >>"$log" 2>&1 ||
      { tail -20 "$log" >&2; fail "cannot configure $sha (log: $log)"; }
  fi
  CCACHE_BASEDIR=$out/$side CCACHE_NOHASHDIR=1 cmake --build "$bin" -j "$jobs" \
      --target tavo32 tavo tavo_fonts >>"$log" 2>&1 ||
    { tail -20 "$log" >&2; fail "cannot build $sha (log: $log)"; }
}

echo "building base ${base_sha:0:12} and head ${head_sha:0:12} in $out"
build_side base "$base_sha"
build_side head "$head_sha"
base=$out/base/build
head=$out/head/build

driver=$out/corpus
g++ -std=c++20 -O2 -Wall -Wextra -I"$here/include" "$here/tools/compare/corpus.cpp" \
    "$here/tools/compare/corpus_values.cpp" -ldl -o "$driver" || fail "cannot build the corpus driver"

# The registered codes of both builds, and codes no build has.
mapfile -t codes < <( (cut -f1 <("$base/bin/tavo" list); cut -f1 <("$head/bin/tavo" list)) | sort -n | uniq)
[ ${#codes[@]} -gt 0 ] || fail "tavo list printed no codes"
odd_codes=(-1 -2147483648 2147483647 20 21 22 23 25 100 255 256 65535)

for side in base head; do
  dir=${!side}
  "$driver" "$dir/bin/libtavo32.so" "$out/$side.dump" "${codes[@]}" "${odd_codes[@]}" >"$out/$side.digests" ||
    fail "the corpus driver failed on $dir/bin/libtavo32.so"
  {
    echo "== exports"; nm -D --defined-only "$dir/bin/libtavo32.so" | awk '{print $3}' | sort
    echo "== ordinals"; cat "$out/$side/src/res/tavo32.def"
  } >"$out/$side.exports"
  {
    echo "== list"; "$dir/bin/tavo" list && echo "exit 0" || echo "exit $?"
    for code in "${codes[@]}"; do
      for opt in "" --caption "--ratio 2"; do
        echo "== glyphs $code $opt"
        # shellcheck disable=SC2086
        "$dir/bin/tavo" glyphs "$code" $opt 2>&1 && echo "exit 0" || echo "exit $?"
      done
    done
  } >"$out/$side.tool"
done

status=0
# Prints "AREA: identical (N lines)" or the first three differing lines of
# the two files, around the first character that differs.
report() {
  local area=$1 a=$2 b=$3
  if cmp -s "$a" "$b"; then
    printf '%-12s identical (%d lines)\n' "$area:" "$(wc -l <"$b")"
  else
    status=1
    printf '%-12s DIFFERENT\n' "$area:"
    /usr/bin/python3 "$here/tools/compare/first_diff.py" "$a" "$b" 3
  fi
}
# Which codes' translations differ, by the driver's digests.
changed=$(diff <(grep '^translate' "$out/base.digests") <(grep '^translate' "$out/head.digests") |
          awk '/^>/ {print $3}' | tr '\n' ' ' || true)
[ -z "$changed" ] || echo "translations differ for codes: $changed"
for area in translate face charcheck strerr constants gs1; do
  grep "^$area " "$out/base.dump" >"$out/base.$area" || true
  grep "^$area " "$out/head.dump" >"$out/head.$area" || true
  report "$area" "$out/base.$area" "$out/head.$area"
done
report exports "$out/base.exports" "$out/head.exports"
report tool "$out/base.tool" "$out/head.tool"
printf '%-12s ' "fonts:"
/usr/bin/python3 "$here/tools/compare/fonts.py" "$base/fonts/truetype" "$head/fonts/truetype" ||
  status=1
[ $status -eq 0 ] && echo "nothing observable changed" || echo "DIFFERENCES FOUND (dumps in $out)"
exit $status
