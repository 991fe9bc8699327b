#pragma once

#include <QString>
#include <vector>

namespace tarnel {

// The addresses of the map's base layers, as tile URL templates with {z}, {x} and {y}; an
// empty one leaves that layer out.
struct TileUrls {
    QString osm = QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png");
    // The Géoplateforme's open WMTS (data.geopf.fr), Web Mercator pyramid "PM", no key needed.
    QString plan =
        QStringLiteral("https://data.geopf.fr/wmts?SERVICE=WMTS&REQUEST=GetTile&VERSION=1.0.0"
                       "&LAYER=GEOGRAPHICALGRIDSYSTEMS.PLANIGNV2&STYLE=normal&TILEMATRIXSET=PM"
                       "&TILEMATRIX={z}&TILEROW={y}&TILECOL={x}&FORMAT=image/png");
    QString ortho =
        QStringLiteral("https://data.geopf.fr/wmts?SERVICE=WMTS&REQUEST=GetTile&VERSION=1.0.0"
                       "&LAYER=ORTHOIMAGERY.ORTHOPHOTOS&STYLE=normal&TILEMATRIXSET=PM"
                       "&TILEMATRIX={z}&TILEROW={y}&TILECOL={x}&FORMAT=image/jpeg");
};

// One base layer of the page, as the page's script draws it.
struct TileLayer {
    QString id;          // "osm", "plan", "ortho": the name the page remembers the choice by
    QString name;        // French, in the page's layer switcher
    QString url;         // tile URL template
    QString attribution; // HTML credit line the layer's licence asks for
    int maxZoom = 19;
};

// The layers of `urls` that are usable (UsableTileUrl), OpenStreetMap first (the page's default).
std::vector<TileLayer> TileLayersOf(const TileUrls& urls = {});

// The origins ("https://tile.openstreetmap.org") the layers' tiles come from, blank-separated,
// for the page's Content-Security-Policy.
QString TileOrigins(const std::vector<TileLayer>& layers);

// Whether `url` can serve as a tile URL template: http or https, a host, and {z}, {x}, {y}.
bool UsableTileUrl(const QString& url);

} // namespace tarnel
