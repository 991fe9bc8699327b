#!/usr/bin/env bash
# Retakes docs/main-window.png, docs/map-panel.png and docs/point-panel.png: the program as built,
# after an address search, its map drawn from a loopback stand-in for the tile server and the
# address found by a loopback stand-in for the Géoplateforme's geocoder (no Internet needed,
# scripts/picture-standin.py); then a point picked on the map, its address from the same
# stand-in's reverse search, its altitude, commune and parcel from the recorded answers of those
# services; then that panel alone. Needs xvfb-run, xdotool, import, convert and python3.
# Usage: scripts/main-window-picture.sh [BUILD_DIR]   (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
work="$(mktemp -d)"
standin=""
cleanup() {
  [ -n "$standin" ] && kill "$standin" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

python3 scripts/picture-standin.py >"$work/port" &
standin=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port="$(head -n1 "$work/port")"

mkdir -p "$work/config/Tarnel" "$work/cache" "$work/program"
cat >"$work/config/Tarnel/tarnel.conf" <<EOF
[geocoders]
france=http://127.0.0.1:$port/geocodage/search
world=
france-reverse=http://127.0.0.1:$port/geocodage/reverse
world-reverse=
altitude=http://127.0.0.1:$port/altimetrie/1.0/calcul/alti/rest/elevation.json
commune=http://127.0.0.1:$port/communes
parcel=http://127.0.0.1:$port/api/cadastre/parcelle
[carte]
osm=http://127.0.0.1:$port/osm/{z}/{x}/{y}.png
EOF
cp "$build/app/tarnel" "$work/program/"
cat >"$work/shoot.sh" <<EOF
set -e
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox"
"$work/program/tarnel" &
program=\$!
window=\$(xdotool search --sync --name "^Tarnel - v" | head -n1)
sleep 3
xdotool windowactivate --sync "\$window" || xdotool windowfocus --sync "\$window"
# The accented letter as a key of its own: typed among others it is sometimes lost.
xdotool type --delay 20 "Rue de la cit"; xdotool key eacute Tab
xdotool type --delay 20 "PARIS"; xdotool key Tab
xdotool type --delay 20 "75004"; xdotool key Tab
xdotool type --delay 20 "FRANCE"; xdotool key Tab space
sleep 6
import -window "\$window" docs/main-window.png
# A larger window, as a user gives the map room, then a point picked left of the place.
xdotool windowsize --sync "\$window" 1000 760
sleep 2
xdotool mousemove --window "\$window" 330 420 click 1
sleep 3
import -window "\$window" docs/map-panel.png
# The panel alone: the address, the altitude, commune and parcel, the coordinates.
convert docs/map-panel.png -crop 340x482+637+161 +repage docs/point-panel.png
kill \$program
EOF
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/shoot.sh"
echo "docs/main-window.png docs/map-panel.png docs/point-panel.png"
