#!/usr/bin/env bash
# Installs the package for real, runs /usr/bin/tarnel as an ordinary user (a throwaway account),
# then purges the package and checks that nothing of it is left in /usr:
#   install-package.sh DEB_DIR VERSION DEVTOOLS_PORT
# Exits 77 (skipped) where the machine does not allow it: not root, or dpkg busy.
set -euo pipefail
dir="$1" version="$2" devtools="$3"
deb="$dir/tarnel_${version}_$(dpkg --print-architecture).deb"
skip() {
  echo "SKIPPED: $* - the package was not installed for real"
  exit 77
}
[ "$(id -u)" -eq 0 ] || skip "installing needs root"
if dpkg-query -W -f='${Status}' tarnel 2>/dev/null | grep -q 'ok installed'; then
  skip "a tarnel package is already installed here and is left alone"
fi
# Another installation may be finishing: give it a while before giving up.
dpkg_busy() { lslocks -n -o PATH 2>/dev/null | grep -q '^/var/lib/dpkg/lock'; }
for _ in $(seq 60); do
  dpkg_busy || break
  sleep 2
done
! dpkg_busy || skip "dpkg is busy (its lock is held)"
[ -f "$deb" ] || { echo "no package $deb"; exit 1; }

user="tarnel-check-$$"
home="/tmp/$user"
work="$(mktemp -d)"
installed=0
cleanup() {
  if [ "$installed" -eq 1 ]; then
    apt-get purge -y -qq -o DPkg::Lock::Timeout=120 tarnel >/dev/null 2>&1 || true
  fi
  if id "$user" >/dev/null 2>&1; then
    userdel --remove "$user" 2>/dev/null || true
  fi
  rm -rf "$home" "$work"
}
trap cleanup EXIT

find /usr -iname '*tarnel*' | sort >"$work/before"
export DEBIAN_FRONTEND=noninteractive
cp "$deb" "$work/"
installed=1
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=120 \
  "$work/$(basename "$deb")"
[ "$(readlink -f /usr/bin/tarnel)" = /usr/lib/tarnel/tarnel ] ||
  { echo "FAIL: /usr/bin/tarnel does not lead to /usr/lib/tarnel/tarnel"; exit 1; }
echo "installed: $(dpkg-query -W -f='${Package} ${Version} ${Status}' tarnel)"

useradd --create-home --home-dir "$home" --shell /bin/sh --user-group "$user"
install -m 0755 "$(dirname "$0")/program-session.sh" "$work/program-session.sh"
chmod 0755 "$work"
install -d -o "$user" -g "$user" -m 0700 "$home/.runtime"
runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin LC_ALL=C.UTF-8 \
  XDG_RUNTIME_DIR="$home/.runtime" \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash "$work/program-session.sh" remembers /usr/bin/tarnel "$devtools"
[ ! -e /usr/lib/tarnel/SavDerPos.ini ] || { echo "FAIL: the program wrote into /usr/lib/tarnel"; exit 1; }

apt-get purge -y -qq -o DPkg::Lock::Timeout=120 tarnel
installed=0
! dpkg-query -W -f='${Status}' tarnel 2>/dev/null | grep -q 'ok installed' ||
  { echo "FAIL: tarnel is still installed"; exit 1; }
find /usr -iname '*tarnel*' | sort >"$work/after"
if ! diff -u "$work/before" "$work/after"; then
  echo "FAIL: left in /usr after purging (+ lines)"
  exit 1
fi
echo "purged: nothing of tarnel left in /usr"
