#!/usr/bin/env bash
# The program unpacked from the package (dpkg -x, nothing installed) starts on a virtual X
# screen, shows its main window, and its built-in map service answers:
#   run-extracted.sh DEB_DIR VERSION DEVTOOLS_PORT
set -euo pipefail
dir="$1" version="$2" devtools="$3"
deb="$dir/tarnel_${version}_$(dpkg --print-architecture).deb"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash "$(dirname "$0")/program-session.sh" answers "$root/usr/lib/tarnel/tarnel" "$devtools"
