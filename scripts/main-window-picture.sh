#!/usr/bin/env bash
# Retakes docs/main-window.png and docs/map-panel.png: the program as built, after an address
# search, its map drawn from a loopback stand-in for the tile server and the address found by a
# loopback stand-in for the Géoplateforme's geocoder (no Internet needed); then a point picked on
# the map, its address from the same stand-in's reverse search. Needs xvfb-run, xdotool, import
# and python3.
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

# The stand-in: drawn tiles (land, streets and a river placed in world pixels, so that tiles
# join up) and one GeoCodeJSON answer, in the shape of the Géoplateforme's search.
cat >"$work/standin.py" <<'EOF'
import http.server, json, math, re, struct, sys, zlib

def png(width, height, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))

def tile(z, x, y):
    rows = []
    scale = 2 ** (16 - z)
    for py in range(256):
        row = []
        for px in range(256):
            gx, gy = (x * 256 + px) * scale, (y * 256 + py) * scale
            colour = (242, 239, 233)
            river = 90 * math.sin(gx / 700) + 5772100
            if abs(gy - river) < 60:
                colour = (170, 211, 223)
            elif (gx + gy // 3) % 520 < 14 or (gy - gx // 4) % 610 < 12:
                colour = (255, 255, 255)
            elif (gx // 260 + gy // 260) % 7 == 0:
                colour = (205, 235, 176)
            row.extend(colour)
        rows.append(row)
    return png(256, 256, rows)

FEATURE = {"type": "FeatureCollection", "version": "draft", "features": [{
    "type": "Feature", "geometry": {"type": "Point", "coordinates": [2.347, 48.8536]},
    "properties": {"label": "Rue de la Cité 75004 Paris", "score": 0.97, "id": "75104_2121",
                   "name": "Rue de la Cité", "postcode": "75004", "citycode": "75104",
                   "x": 652203.6, "y": 6861924.9, "city": "Paris",
                   "context": "75, Paris, Île-de-France", "type": "street", "importance": 0.71}}],
    "attribution": "BAN", "licence": "ETALAB-2.0", "query": "", "filters": {}, "limit": 5}

REVERSE = {"type": "FeatureCollection", "version": "draft", "features": [{
    "type": "Feature", "geometry": {"type": "Point", "coordinates": [2.34823, 48.85443]},
    "properties": {"label": "6 Rue de la Cité 75004 Paris", "score": 0.99, "housenumber": "6",
                   "id": "75104_2121_00006", "name": "6 Rue de la Cité", "postcode": "75004",
                   "citycode": "75104", "city": "Paris", "context": "75, Paris, Île-de-France",
                   "type": "housenumber", "street": "Rue de la Cité", "distance": 9}}],
    "attribution": "BAN", "licence": "ETALAB-2.0", "limit": 1}

class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        match = re.match(r"/osm/(\d+)/(\d+)/(\d+)\.png", self.path)
        if match:
            body, kind = tile(*map(int, match.groups())), "image/png"
        elif self.path.startswith("/geocodage/search"):
            body, kind = json.dumps(FEATURE).encode(), "application/json"
        elif self.path.startswith("/geocodage/reverse"):
            body, kind = json.dumps(REVERSE).encode(), "application/json"
        else:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *arguments):
        pass

server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
EOF
python3 "$work/standin.py" >"$work/port" &
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
kill \$program
EOF
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/shoot.sh"
echo "docs/main-window.png docs/map-panel.png"
