#pragma once

#include <QByteArray>
#include <QString>

namespace tarnel {

// Where Debian's libjs-leaflet puts Leaflet, and libjs-leaflet.markercluster its marker clusters
// ("leaflet.markercluster.min.js", "MarkerCluster.css"); read at run time, never copied into the
// program.
inline const QString kLeafletFolder = QStringLiteral("/usr/share/javascript/leaflet");

// One file the map service hands the browser as it is, or why not.
struct StaticFile {
    int status = 404;      // 200, or 404 for a name outside the served set
    QByteArray body{};     // the bytes as sent, compressed when `encoding` is set
    QByteArray type{};     // the Content-Type
    QByteArray encoding{}; // "br", "gzip", or empty for the plain file
    QByteArray cacheControl{};
    QByteArray etag{}; // a quoted tag of the bytes, for If-None-Match
};

// The page's own style sheet and modules, compiled into the program: `name` is a file of the
// page folder ("map.js"). They change with the program, so the browser asks again each time
// (answered from its cache on an unchanged ETag) rather than keeping a stale copy.
StaticFile PageFile(const QString& name);

// Leaflet's file `name` ("leaflet.min.js", "leaflet.css", "images/layers.png") from `folder`.
// Scripts and style sheets come precompressed when Debian ships them so and `acceptEncoding`
// (the request's header) allows it, Brotli first. Kept a year by the browser: the page names
// them with the installed version, so an upgrade of the package changes their address. Names
// that could leave the folder, and files other than scripts, style sheets and pictures, are
// not served.
StaticFile LeafletFile(const QString& name, const QByteArray& acceptEncoding,
                       const QString& folder = kLeafletFolder);

// A tag that changes whenever the installed Leaflet or its marker clusters do (their scripts'
// sizes and times), put in the page's addresses of their files; empty when Leaflet is not
// installed.
QString LeafletVersionTag(const QString& folder = kLeafletFolder);

// The page's HTML skeleton, compiled into the program alongside PageFile's files.
QString PageTemplate();

} // namespace tarnel
