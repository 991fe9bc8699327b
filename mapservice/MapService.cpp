#include "mapservice/MapService.h"

#include "geocoding/AddressQuery.h"
#include "geocoding/CachingGeocoder.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "geocoding/GeoplateformeReverseGeocoder.h"
#include "geocoding/NearestAddressFinder.h"
#include "geocoding/NominatimGeocoder.h"
#include "geocoding/NominatimReverseGeocoder.h"
#include "geocoding/NominatimTurns.h"
#include "geocoding/OutcomeToTell.h"
#include "mapservice/CoordinateText.h"
#include "mapservice/GuardedServer.h"
#include "mapservice/MapPage.h"
#include "mapservice/MyPlacesRoutes.h"
#include "mapservice/PlaceRoute.h"
#include "mapservice/PointFactJson.h"
#include "mapservice/PointRoutes.h"
#include "mapservice/QueryText.h"
#include "mapservice/StaticFiles.h"

#include <httplib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace tarnel {

namespace {

constexpr auto kLoopbackHost = "127.0.0.1";
// Only the writes to the user's places carry a body (see MyPlacesRoutes::LargestBody).
constexpr size_t kLargestPayload = 1024;

constexpr auto kPagePath = "/maps";
constexpr auto kPlacePath = "/place";
constexpr auto kIconPath = "/favicon.ico";
constexpr auto kPointPath = "/point";
constexpr auto kAddressPath = "/adresse";
constexpr auto kAltitudePath = "/altitude";
constexpr auto kCommunePath = "/commune";
constexpr auto kParcelPath = "/parcelle";
constexpr auto kPageFilesPath = R"(/page/(.+))";
constexpr auto kLeafletPath = R"(/leaflet/(.+))";

void Refuse(httplib::Response& response, int status, const char* text) {
    response.status = status;
    response.set_content(text, "text/plain; charset=utf-8");
}

// The paths the service answers; the rest is refused before any handler runs.
bool Served(const std::string& path) {
    return path == kPagePath || path == kPlacePath || path == kIconPath || path == kPointPath ||
           path == kAddressPath || path == kAltitudePath || path == kCommunePath ||
           path == kParcelPath || path.starts_with("/page/") || path.starts_with("/leaflet/");
}

// Answers with `file`, or with "not modified" when the browser holds the same bytes.
void Send(const StaticFile& file, const httplib::Request& request, httplib::Response& response) {
    if (file.status != 200) {
        Refuse(response, 404, "Introuvable");
        return;
    }
    response.set_header("Cache-Control", file.cacheControl.toStdString());
    response.set_header("ETag", file.etag.toStdString());
    response.set_header("X-Content-Type-Options", "nosniff");
    // The same address gives other bytes to a browser that accepts other encodings.
    response.set_header("Vary", "Accept-Encoding");
    if (request.get_header_value("If-None-Match") == file.etag.toStdString()) {
        response.status = 304;
        return;
    }
    if (!file.encoding.isEmpty()) {
        response.set_header("Content-Encoding", file.encoding.toStdString());
    }
    // Through a provider of known length, which the server sends as it is: a body set directly
    // would be compressed again.
    const QByteArray body = file.body;
    response.set_content_provider(static_cast<size_t>(body.size()), file.type.toStdString(),
                                  [body](size_t offset, size_t length, httplib::DataSink& sink) {
                                      return sink.write(body.constData() + offset, length);
                                  });
}

// A browser's request made on behalf of another site: an Origin other than the service's own,
// or a Sec-Fetch-Site that names another site. The map view's own navigations carry neither
// (or "none", "same-origin"), and the address window's fetch is no browser.
bool CrossSite(const httplib::Request& request, const std::string& ownHost) {
    const std::string ownOrigin = "http://" + ownHost;
    const auto origins = request.headers.equal_range("Origin");
    for (auto origin = origins.first; origin != origins.second; ++origin) {
        if (origin->second != ownOrigin) {
            return true;
        }
    }
    const auto sites = request.headers.equal_range("Sec-Fetch-Site");
    for (auto site = sites.first; site != sites.second; ++site) {
        if (site->second != "none" && site->second != "same-origin") {
            return true;
        }
    }
    return false;
}

// Whether the request announces a body larger than `largest`, or one of unknown length.
bool TooLarge(const httplib::Request& request, size_t largest) {
    if (request.has_header("Transfer-Encoding")) {
        return true;
    }
    const std::string length = request.get_header_value("Content-Length");
    if (length.empty()) {
        return false;
    }
    size_t bytes = 0;
    const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), bytes);
    return error != std::errc() || end != length.data() + length.size() || bytes > largest;
}

// A write to the user's places comes from the service's own page only: its Origin, which a
// browser always sends with a POST, and a JSON body, which another site cannot send without
// asking first.
bool OwnPageWrite(const httplib::Request& request, const std::string& ownHost) {
    return request.get_header_value("Origin") == "http://" + ownHost &&
           request.get_header_value("Content-Type").starts_with("application/json");
}

std::unique_ptr<Geocoder> Cached(std::unique_ptr<Geocoder> geocoder) {
    if (!geocoder) {
        return nullptr;
    }
    return std::make_unique<CachingGeocoder>(std::move(geocoder));
}

// Answers "GET `path`?lat=&lon=" with `json` of what `service` says about the point, or of
// nothing when it is switched off (null).
template <typename Service, typename Fact>
void ServeFact(GuardedServer& server, const char* path, Service* service,
               QByteArray (*json)(const std::optional<Fact>&)) {
    server.Get(path, [service, json](const httplib::Request& request, httplib::Response& response) {
        ServePointFact(request, response, [service, json](const Place& point) {
            return json(service ? std::optional<Fact>(service->At(point)) : std::nullopt);
        });
    });
}

// Ends the lookups of the point services that are on.
template <typename... Service> void CancelLookups(const std::unique_ptr<Service>&... services) {
    ((services ? services->CancelLookups() : void()), ...);
}

// Why no geocoder found the place. It is "not found" only when every geocoder asked said so;
// otherwise the failure the user can best act on.
Absence AbsenceOf(const std::vector<GeocodeResult::Outcome>& outcomes) {
    if (outcomes.empty()) {
        return Absence::NoGeocoder;
    }
    switch (OutcomeToTell(outcomes)) {
    case GeocodeResult::Outcome::Certificates:
        return Absence::Certificates;
    case GeocodeResult::Outcome::Unreachable:
        return Absence::Unreachable;
    case GeocodeResult::Outcome::Refused:
        return Absence::Refused;
    case GeocodeResult::Outcome::Failed:
        return Absence::Failed;
    case GeocodeResult::Outcome::Found:
    case GeocodeResult::Outcome::NoMatch:
        break;
    }
    return Absence::NotFound;
}

} // namespace

MapService::MapService(std::unique_ptr<Geocoder> france, std::unique_ptr<Geocoder> world,
                       std::vector<TileLayer> tiles, std::unique_ptr<ReverseGeocoder> franceReverse,
                       std::unique_ptr<ReverseGeocoder> worldReverse, PointFactServices facts)
    : france_(Cached(std::move(france)))
    , world_(Cached(std::move(world)))
    , addresses_(
          std::make_unique<NearestAddressFinder>(std::move(franceReverse), std::move(worldReverse)))
    , facts_(std::move(facts))
    , tiles_(std::move(tiles)) {
}

MapService::~MapService() {
    Stop();
}

bool MapService::Start() {
    if (server_) {
        return true;
    }
    auto server = std::make_unique<GuardedServer>();
    server->set_payload_max_length(std::max(kLargestPayload, MyPlacesRoutes::kLargestBody));
    server->set_pre_routing_handler([this](const httplib::Request& request,
                                           httplib::Response& response) {
        const std::string ownHost = std::string(kLoopbackHost) + ':' + std::to_string(port_);
        if (request.get_header_value("Host") != ownHost) {
            Refuse(response, 403, "Interdit");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (CrossSite(request, ownHost)) {
            Refuse(response, 403, "Interdit");
            return httplib::Server::HandlerResponse::Handled;
        }
        const bool places = places_ && MyPlacesRoutes::Serves(request.path);
        if (!Served(request.path) && !places) {
            Refuse(response, 404, "Introuvable");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (TooLarge(request,
                     places ? std::max(kLargestPayload, MyPlacesRoutes::LargestBody(request.path))
                            : kLargestPayload)) {
            Refuse(response, 413, "Trop volumineux");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (places && MyPlacesRoutes::Writes(request.path)) {
            if (request.method != "POST") {
                response.set_header("Allow", "POST");
                Refuse(response, 405, "Méthode non autorisée");
                return httplib::Server::HandlerResponse::Handled;
            }
            if (!OwnPageWrite(request, ownHost)) {
                Refuse(response, 403, "Interdit");
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        }
        if (request.method != "GET") {
            response.set_header("Allow", "GET");
            Refuse(response, 405, "Méthode non autorisée");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server->Get(kIconPath, [](const httplib::Request&, httplib::Response& response) {
        response.status = 204;
    });
    server->Get(kPointPath, &ServePoint);
    if (places_) {
        places_->Register(*server);
    }
    server->Get(kAddressPath, [this](const httplib::Request& request, httplib::Response& response) {
        ServeAddress(request, response, *addresses_);
    });
    ServeFact(*server, kAltitudePath, facts_.altitude.get(), &AltitudeJson);
    ServeFact(*server, kCommunePath, facts_.commune.get(), &CommuneJson);
    ServeFact(*server, kParcelPath, facts_.parcel.get(), &ParcelJson);
    // Scripts and styles of the service only; pictures from the tile servers too, and the blank
    // picture Leaflet puts in a tile it stops loading.
    const std::string csp = "default-src 'none'; script-src 'self'; style-src 'self'; "
                            "img-src 'self' data: " +
                            TileOrigins(tiles_).toStdString() +
                            "; connect-src 'self'; base-uri 'none'; form-action 'none'; "
                            "frame-ancestors 'none'";
    server->Get(
        kPagePath, [this, csp](const httplib::Request& request, httplib::Response& response) {
            const QByteArray page =
                MapPageHtml(ContentFor(DecodeQueryValue(MapQueryValue(request.target))), tiles_);
            response.set_header("Cache-Control", "no-store");
            response.set_header("X-Content-Type-Options", "nosniff");
            response.set_header("Content-Security-Policy", csp);
            // The tile servers ask for a Referer; the origin is all they get.
            response.set_header("Referrer-Policy", "strict-origin-when-cross-origin");
            response.set_content(page.constData(), static_cast<size_t>(page.size()),
                                 "text/html; charset=utf-8");
        });
    server->Get(kPlacePath, [this](const httplib::Request& request, httplib::Response& response) {
        ServePlace(response, ContentFor(DecodeQueryValue(MapQueryValue(request.target))));
    });
    server->Get(kPageFilesPath, [](const httplib::Request& request, httplib::Response& response) {
        Send(PageFile(QString::fromStdString(request.matches[1].str())), request, response);
    });
    server->Get(kLeafletPath, [](const httplib::Request& request, httplib::Response& response) {
        Send(LeafletFile(QString::fromStdString(request.matches[1].str()),
                         QByteArray::fromStdString(request.get_header_value("Accept-Encoding"))),
             request, response);
    });

    const int port = server->BindToAnyPort(kLoopbackHost);
    if (port <= 0) {
        return false;
    }
    // Connections wait in the listening socket's queue until the loop takes them, and
    // StopServing() is heard even before the loop runs: nothing to wait for here.
    try {
        serving_ = std::thread([server = server.get()] { server->listen_after_bind(); });
    } catch (const std::system_error&) {
        return false;
    }
    port_ = static_cast<quint16>(port);
    server_ = std::move(server);
    return true;
}

void MapService::KeepPlacesIn(const QString& path) {
    if (!server_) {
        places_ = std::make_unique<MyPlacesRoutes>(path);
    }
}

quint16 MapService::Port() const {
    return port_;
}

QString MapService::BaseUrl() const {
    if (!server_) {
        return {};
    }
    return QStringLiteral("http://%1:%2/maps?q=").arg(QLatin1String(kLoopbackHost)).arg(port_);
}

void MapService::Stop() {
    if (!server_) {
        return;
    }
    // Lookups first, so that the requests waiting on them are answered at once.
    for (Geocoder* geocoder : {france_.get(), world_.get()}) {
        if (geocoder) {
            geocoder->CancelLookups();
        }
    }
    addresses_->CancelLookups();
    CancelLookups(facts_.altitude, facts_.commune, facts_.parcel);
    server_->StopServing();
    if (serving_.joinable()) {
        serving_.join();
    }
    server_.reset();
    port_ = 0;
}

MapPageContent MapService::ContentFor(const QString& query) {
    if (const CoordinateQuery coordinates = ParseCoordinates(query); coordinates.isPair) {
        return {.query = query, .place = coordinates.place, .problem = coordinates.problem};
    }
    if (query.trimmed().isEmpty()) {
        return {.query = query};
    }
    const AddressQuery address = ParseAddressQuery(query);
    if (!address.problem.isEmpty()) {
        return {.query = query, .problem = address.problem};
    }
    // The geocoder of the address's region first. Whatever keeps the French one from finding
    // the place, a guess too poor or a refusal included, the world one is asked; the French one
    // covers France only, so it is asked after the world one only when that one failed.
    Geocoder* const france = france_.get();
    Geocoder* const world = world_.get();
    // Both read the parts back from the same text, which is also what their caches keep.
    const QString text = address.Text();
    const bool franceFirst = address.region != AddressQuery::Region::World;
    std::vector<GeocodeResult::Outcome> outcomes;
    for (Geocoder* geocoder : franceFirst ? std::array{france, world} : std::array{world, france}) {
        if (!geocoder) {
            continue;
        }
        const GeocodeResult result = geocoder->Locate(text);
        if (result.outcome == GeocodeResult::Outcome::Found) {
            return {.query = query,
                    .place = result.place,
                    .source = geocoder->SourceName(),
                    .label = result.label,
                    .others = result.others};
        }
        outcomes.push_back(result.outcome);
        if (geocoder == world && result.outcome == GeocodeResult::Outcome::NoMatch) {
            break;
        }
    }
    return {.query = query, .why = AbsenceOf(outcomes)};
}

std::unique_ptr<MapService> MakeOpenDataMapService(const GeocoderEndpoints& endpoints) {
    const QByteArray agent = OpenDataUserAgent(endpoints.contact);
    std::unique_ptr<Geocoder> france;
    if (!endpoints.france.isEmpty()) {
        france = std::make_unique<GeoplateformeGeocoder>(endpoints.france, agent);
    }
    // Nominatim's usage policy bounds the requests of the whole program, searches and reverse
    // lookups together.
    const std::shared_ptr<RateLimiter> nominatimTurns = NominatimTurns();
    std::unique_ptr<Geocoder> world;
    if (!endpoints.world.isEmpty()) {
        world = std::make_unique<NominatimGeocoder>(endpoints.world, agent, nominatimTurns);
    }
    std::unique_ptr<ReverseGeocoder> franceReverse;
    if (!endpoints.franceReverse.isEmpty()) {
        franceReverse =
            std::make_unique<GeoplateformeReverseGeocoder>(endpoints.franceReverse, agent);
    }
    std::unique_ptr<ReverseGeocoder> worldReverse;
    if (!endpoints.worldReverse.isEmpty()) {
        worldReverse = std::make_unique<NominatimReverseGeocoder>(endpoints.worldReverse, agent,
                                                                  nominatimTurns);
    }
    PointFactServices facts;
    if (!endpoints.altitude.isEmpty()) {
        facts.altitude = std::make_unique<AltitudeService>(endpoints.altitude, agent);
    }
    if (!endpoints.commune.isEmpty()) {
        facts.commune = std::make_unique<CommuneService>(endpoints.commune, agent);
    }
    if (!endpoints.parcel.isEmpty()) {
        facts.parcel = std::make_unique<ParcelService>(endpoints.parcel, agent);
    }
    return std::make_unique<MapService>(std::move(france), std::move(world),
                                        TileLayersOf(endpoints.tiles), std::move(franceReverse),
                                        std::move(worldReverse), std::move(facts));
}

} // namespace tarnel
