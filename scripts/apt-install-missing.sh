#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing, waiting for
# another apt to finish rather than failing on its lock, and refreshing stale
# package lists once if an install fails.  Needs root (or sudo) when
# something is missing.
#   bash scripts/apt-install-missing.sh [--add-arch ARCH] [--update] WHO PACKAGE...
# When something is missing: --add-arch adds the foreign architecture ARCH
# (for packages such as wine32:i386) if dpkg lacks it, and --update (implied
# by a newly added architecture) refreshes the package lists before installing.
set -euo pipefail
add_arch=""
update=0
while [ $# -gt 0 ]; do
  case $1 in
    --add-arch) add_arch=$2; shift 2 ;;
    --update) update=1; shift ;;
    *) break ;;
  esac
done
who=$1
shift
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0
echo "$who: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if [ -n "$add_arch" ] && ! dpkg --print-foreign-architectures | grep -qx "$add_arch"; then
  $SUDO dpkg --add-architecture "$add_arch"
  update=1
fi
apt_update() { $SUDO apt-get -o DPkg::Lock::Timeout=900 update -q >/dev/null; }
apt_install() {
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -q \
    --no-install-recommends "${missing[@]}" >/dev/null
}
[ $update -eq 0 ] || apt_update
apt_install || { apt_update && apt_install; }
