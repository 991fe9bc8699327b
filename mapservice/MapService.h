#pragma once

#include "mapservice/Geocoder.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <thread>

namespace tarnel {

class GuardedServer;

// The program's own map service: an HTTP server on 127.0.0.1 only, on a port the system picks,
// answering "GET /maps?q=<query>" with a map page (see MapPageHtml). A coordinate pair is shown
// as it is; any other query is an address, looked up with `france` for addresses in France and
// with `world` elsewhere, the answers of the last few thousand addresses kept for the life of
// the service. Everything but "GET /maps" and "GET /favicon.ico" is refused (404, or 405 for
// other methods), and so is (403) any request whose Host header is not "127.0.0.1:<port>",
// which keeps web pages from reaching the service under another name, and any request a
// browser makes for another site (an Origin other than "http://127.0.0.1:<port>", or a
// Sec-Fetch-Site other than "none" or "same-origin"), which keeps other web pages from looking
// addresses up on the user's behalf. Requests are served on threads of their own, see
// GuardedServer.
class MapService {
public:
    MapService(std::unique_ptr<Geocoder> france, std::unique_ptr<Geocoder> world);
    MapService(const MapService&) = delete;
    MapService& operator=(const MapService&) = delete;
    ~MapService(); // stops the server

    // Binds 127.0.0.1 on a free port and starts serving; true once requests are taken (they
    // are answered as soon as the serving thread runs). False when no port could be bound or
    // no thread started. Calling it while running changes nothing.
    bool Start();

    // The port bound by Start(), 0 when not running.
    quint16 port() const;

    // "http://127.0.0.1:<port>/maps?q=" while running, the map service base URL for the run;
    // empty otherwise.
    QString BaseUrl() const;

    // Stops serving and frees the port within a few tens of milliseconds, whatever is in
    // flight: lookups upstream and turns waited for are cancelled for good (the pages being
    // answered say nothing was found), idle and slow connections closed. Harmless when not
    // running.
    void Stop();

private:
    QByteArray PageFor(const QString& query);

    std::unique_ptr<Geocoder> france_;
    std::unique_ptr<Geocoder> world_;
    std::unique_ptr<GuardedServer> server_;
    std::thread serving_;
    quint16 port_ = 0;
};

// The agent the service names itself with upstream: program, version and a contact page, as
// Nominatim's usage policy asks ("Tarnel/1.0.0 (+https://tarnel.example)").
QByteArray OpenDataUserAgent();

// The service on open data: the Base Adresse Nationale through the Géoplateforme
// (data.geopf.fr) for France, OpenStreetMap's Nominatim elsewhere. Not started.
std::unique_ptr<MapService> MakeOpenDataMapService();

} // namespace tarnel
