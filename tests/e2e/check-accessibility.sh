#!/usr/bin/env bash
# Starts the program on a virtual X screen of its own, with a private session bus and the
# accessibility bus, and reads its accessible tree from outside as a screen reader does:
#   check-accessibility.sh PROGRAM PYTHON
# Exits 77 (skipped) when a display, a session bus or the accessibility bus cannot be had.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="$1" python="$2"

skip() {
  echo "SKIP: $*"
  exit 77
}

if [ "${TARNEL_A11Y_INSIDE:-}" != 1 ]; then
  for tool in xvfb-run Xvfb dbus-run-session dbus-daemon xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is missing (see scripts/setup.sh)"
  done
  [ -x "$python" ] || skip "no Python at $python"
  "$python" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' \
    2>/dev/null || skip "the AT-SPI library for Python is missing (gir1.2-atspi-2.0, python3-gi)"
  [ -x "$program" ] || { echo "FAIL: no program at $program"; exit 1; }
  # A screen and a session bus of our own, whatever the caller has.
  TARNEL_A11Y_INSIDE=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" \
    dbus-run-session -- bash "$0" "$@"
fi

# The program keeps its last position next to itself: run a copy in a folder of our own.
dir="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
cp "$program" "$dir/tarnel"

# Only Qt's switch, as when a screen reader runs: the program itself must open the map page to
# it. Its settings and caches in our folder; no geocoder asked, this run has no network.
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QTWEBENGINE_DISABLE_SANDBOX=1
unset QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY
export XDG_CONFIG_HOME="$dir/config" XDG_CACHE_HOME="$dir/cache" XDG_DATA_HOME="$dir/data"
export TARNEL_GEOCODER_FRANCE_URL= TARNEL_GEOCODER_WORLD_URL=
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking"
"$dir/tarnel" &
pid=$!
timeout 150 "$python" "$here/accessible_tree.py" --timeout 60 --dump
