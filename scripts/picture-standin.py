"""The stand-in the pictures of the program are taken against (no Internet needed): drawn tiles
(land, streets and a river placed in world pixels, so that tiles join up), one GeoCodeJSON answer
in the shape of the Géoplateforme's search and one of its reverse search, and the recorded
answers of the altimetry, commune and parcel services that the tests replay
(tests/mapservice/point-facts/SOURCES.md). Prints its port, then serves until killed."""
import http.server, json, math, os, re, struct, sys, zlib

FACTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "mapservice",
                     "point-facts")
# The recorded answer each of the point's services gives.
RECORDED = {"/altimetrie/": "altitude-geocontext-paris.json",
            "/communes": "commune-geo-api-doc-versailles.json",
            "/api/cadastre/parcelle": "parcel-happign-saint-viatre.json"}

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
        elif any(self.path.startswith(route) for route in RECORDED):
            name = next(RECORDED[route] for route in RECORDED if self.path.startswith(route))
            with open(os.path.join(FACTS, name), "rb") as answer:
                body, kind = answer.read(), "application/json"
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
