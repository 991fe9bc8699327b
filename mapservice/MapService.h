#pragma once

#include "geocoding/AltitudeService.h"
#include "geocoding/CommuneService.h"
#include "geocoding/Geocoder.h"
#include "geocoding/OpenDataUserAgent.h"
#include "geocoding/ParcelService.h"
#include "geocoding/ReverseGeocoder.h"
#include "mapservice/MapPage.h"
#include "mapservice/TileLayers.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <thread>

namespace tarnel {

class GuardedServer;
class MyPlacesRoutes;
class NearestAddressFinder;

// The services the map service asks about a point besides its address; one left null is off.
struct PointFactServices {
    std::unique_ptr<AltitudeService> altitude;
    std::unique_ptr<CommuneService> commune;
    std::unique_ptr<ParcelService> parcel;
};

// The program's own map service: an HTTP server on 127.0.0.1 only, on a port the system picks,
// answering "GET /maps?q=<query>" with a map page (see MapPageHtml). A coordinate pair is shown
// as it is; any other query is an address, looked up with `france` for addresses in France and
// with `world` elsewhere, the other one asked when the first cannot find it, the answers of the
// last few thousand addresses kept for the life of the service. A geocoder left null is not
// asked. A page without a place says whether the address is unknown or the geocoders could not
// be asked, and why. The page draws its map on the base layers `tiles` with the page's own
// files, "GET /page/<file>", and Debian's Leaflet, "GET /leaflet/<file>" (see StaticFiles.h).
// "GET /place?q=<query>" answers the same query with what the page needs to redraw itself in
// place (PlaceJson), the geocoders asked as for the page.
// Everything else but "GET /point", "GET /adresse", "GET /altitude", "GET /commune",
// "GET /parcelle", "GET /favicon.ico" and the routes of the user's places (see KeepPlacesIn) is
// refused (404, or
// 405 for other methods), and so is (403) any request whose
// Host header is not "127.0.0.1:<port>", which keeps web pages from reaching the service under
// another name, and any request a browser makes for another site (an Origin other than
// "http://127.0.0.1:<port>", or a Sec-Fetch-Site other than "none" or "same-origin"), which keeps
// other web pages from looking addresses up on the user's behalf. Requests are served on threads of
// their own, see GuardedServer. The page asks "GET /point" and "GET /adresse" about a point it
// shows (see PointRoutes), the address found with `franceReverse` and `worldReverse` (see
// NearestAddressFinder); "GET /altitude", "GET /commune" and "GET /parcelle" about the same
// point, answered by `facts` (see PointFactJson), each on its own so that none waits for
// another.
class MapService {
public:
    MapService(std::unique_ptr<Geocoder> france, std::unique_ptr<Geocoder> world,
               std::vector<TileLayer> tiles = TileLayersOf(),
               std::unique_ptr<ReverseGeocoder> franceReverse = nullptr,
               std::unique_ptr<ReverseGeocoder> worldReverse = nullptr,
               PointFactServices facts = {});
    MapService(const MapService&) = delete;
    MapService& operator=(const MapService&) = delete;
    ~MapService(); // stops the server

    // Keeps the user's places in the SQLite file at `path` and answers the page's "/lieux"
    // routes on them (see MyPlacesRoutes), the writes only by POST from the service's own page.
    // Without it, those routes are refused. Taken before Start() only.
    void KeepPlacesIn(const QString& path);

    // Binds 127.0.0.1 on a free port and starts serving; true once requests are taken (they
    // are answered as soon as the serving thread runs). False when no port could be bound or
    // no thread started. Calling it while running changes nothing.
    bool Start();

    // The port bound by Start(), 0 when not running.
    quint16 Port() const;

    // "http://127.0.0.1:<port>/maps?q=" while running, the map service base URL for the run;
    // empty otherwise.
    QString BaseUrl() const;

    // Stops serving and frees the port within a few tens of milliseconds, whatever is in
    // flight: lookups upstream and turns waited for are cancelled for good (the pages being
    // answered say nothing was found), idle and slow connections closed. Harmless when not
    // running.
    void Stop();

private:
    // What the page of `query` shows, the geocoders asked when it is an address; the same for
    // the page and for its in-place redraw.
    MapPageContent ContentFor(const QString& query);

    std::unique_ptr<Geocoder> france_;
    std::unique_ptr<Geocoder> world_;
    std::unique_ptr<NearestAddressFinder> addresses_;
    PointFactServices facts_;
    std::unique_ptr<MyPlacesRoutes> places_;
    std::vector<TileLayer> tiles_;
    std::unique_ptr<GuardedServer> server_;
    std::thread serving_;
    quint16 port_ = 0;
};

// Where the open-data service looks addresses up. An empty URL turns that geocoder off.
struct GeocoderEndpoints {
    QString france = QStringLiteral("https://data.geopf.fr/geocodage/search");
    QString world = QStringLiteral("https://nominatim.openstreetmap.org/search");
    // The reverse searches that find the address nearest to a point of the map.
    QString franceReverse = QStringLiteral("https://data.geopf.fr/geocodage/reverse");
    QString worldReverse = QStringLiteral("https://nominatim.openstreetmap.org/reverse");
    // What the panel tells of a point besides its address.
    QString altitude =
        QStringLiteral("https://data.geopf.fr/altimetrie/1.0/calcul/alti/rest/elevation.json");
    QString commune = QStringLiteral("https://geo.api.gouv.fr/communes");
    QString parcel = QStringLiteral("https://apicarto.ign.fr/api/cadastre/parcelle");
    // The geocoding of whole files of addresses (not used by the map service).
    QString franceCsv = QStringLiteral("https://data.geopf.fr/geocodage/search/csv");
    QString contact; // put in the agent; empty for none
    TileUrls tiles;  // the map's base layers
};

// The service on open data: by default the Base Adresse Nationale through the Géoplateforme
// (data.geopf.fr) for France, OpenStreetMap's Nominatim elsewhere, a point's altitude, commune
// and parcel from the Géoplateforme, geo.api.gouv.fr and API Carto, the map drawn on the base
// layers of `endpoints.tiles`. Not started.
std::unique_ptr<MapService> MakeOpenDataMapService(const GeocoderEndpoints& endpoints = {});

} // namespace tarnel
