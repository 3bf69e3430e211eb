#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing, waiting for
# another apt to finish rather than failing on its lock, and refreshing stale
# package lists once if an install fails.  Needs root (or sudo) when
# something is missing.
#   bash scripts/apt-install-missing.sh WHO PACKAGE...
set -euo pipefail
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
apt_install() {
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -q \
    --no-install-recommends "${missing[@]}" >/dev/null
}
apt_install || { $SUDO apt-get -o DPkg::Lock::Timeout=900 update -q >/dev/null && apt_install; }
