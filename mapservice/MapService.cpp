#include "mapservice/MapService.h"

#include "core/ProgramInfo.h"
#include "mapservice/AddressQuery.h"
#include "mapservice/CachingGeocoder.h"
#include "mapservice/CoordinateText.h"
#include "mapservice/GeoplateformeGeocoder.h"
#include "mapservice/GuardedServer.h"
#include "mapservice/MapPage.h"
#include "mapservice/NominatimGeocoder.h"
#include "mapservice/QueryText.h"

#include <httplib.h>

#include <string>
#include <system_error>
#include <utility>

namespace tarnel {

namespace {

constexpr auto LoopbackHost = "127.0.0.1";
// Only GET is served, so a request has no business carrying a body.
constexpr size_t LargestPayload = 1024;

constexpr auto PagePath = "/maps";
constexpr auto IconPath = "/favicon.ico";

void Refuse(httplib::Response& response, int status, const char* text) {
    response.status = status;
    response.set_content(text, "text/plain; charset=utf-8");
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

std::unique_ptr<Geocoder> Cached(std::unique_ptr<Geocoder> geocoder) {
    return std::make_unique<CachingGeocoder>(std::move(geocoder));
}

} // namespace

MapService::MapService(std::unique_ptr<Geocoder> france, std::unique_ptr<Geocoder> world)
    : france_(Cached(std::move(france)))
    , world_(Cached(std::move(world))) {
}

MapService::~MapService() {
    Stop();
}

bool MapService::Start() {
    if (server_) {
        return true;
    }
    auto server = std::make_unique<GuardedServer>();
    server->set_payload_max_length(LargestPayload);
    server->set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
            const std::string ownHost = std::string(LoopbackHost) + ':' + std::to_string(port_);
            if (request.get_header_value("Host") != ownHost) {
                Refuse(response, 403, "Interdit");
                return httplib::Server::HandlerResponse::Handled;
            }
            if (CrossSite(request, ownHost)) {
                Refuse(response, 403, "Interdit");
                return httplib::Server::HandlerResponse::Handled;
            }
            if (request.path != PagePath && request.path != IconPath) {
                Refuse(response, 404, "Introuvable");
                return httplib::Server::HandlerResponse::Handled;
            }
            if (request.method != "GET") {
                response.set_header("Allow", "GET");
                Refuse(response, 405, "Méthode non autorisée");
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
    server->Get(IconPath, [](const httplib::Request&, httplib::Response& response) {
        response.status = 204;
    });
    server->Get(PagePath, [this](const httplib::Request& request, httplib::Response& response) {
        const QByteArray page = PageFor(DecodeQueryValue(MapQueryValue(request.target)));
        response.set_header("Cache-Control", "no-store");
        response.set_header("X-Content-Type-Options", "nosniff");
        response.set_header("Content-Security-Policy",
                            "default-src 'none'; style-src 'unsafe-inline'; "
                            "frame-src https://www.openstreetmap.org");
        response.set_content(page.constData(), static_cast<size_t>(page.size()),
                             "text/html; charset=utf-8");
    });

    const int port = server->BindToAnyPort(LoopbackHost);
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

quint16 MapService::port() const {
    return port_;
}

QString MapService::BaseUrl() const {
    if (!server_) {
        return {};
    }
    return QStringLiteral("http://%1:%2/maps?q=").arg(QLatin1String(LoopbackHost)).arg(port_);
}

void MapService::Stop() {
    if (!server_) {
        return;
    }
    // Lookups first, so that the requests waiting on them are answered at once.
    france_->CancelLookups();
    world_->CancelLookups();
    server_->StopServing();
    if (serving_.joinable()) {
        serving_.join();
    }
    server_.reset();
    port_ = 0;
}

QByteArray MapService::PageFor(const QString& query) {
    if (const CoordinateQuery coordinates = ParseCoordinates(query); coordinates.isPair) {
        return MapPageHtml(query, coordinates.place, {});
    }
    const AddressQuery address = ParseAddressQuery(query);
    if (address.parts.isEmpty()) {
        return MapPageHtml(query, std::nullopt, {});
    }
    if (address.region != AddressQuery::Region::World) {
        const GeocodeResult result = france_->Locate(address.FranceText());
        if (result.outcome == GeocodeResult::Outcome::Found) {
            return MapPageHtml(query, result.place, france_->SourceName());
        }
        if (address.region == AddressQuery::Region::France) {
            return MapPageHtml(query, std::nullopt, {});
        }
    }
    const GeocodeResult result = world_->Locate(address.WorldText());
    if (result.outcome == GeocodeResult::Outcome::Found) {
        return MapPageHtml(query, result.place, world_->SourceName());
    }
    return MapPageHtml(query, std::nullopt, {});
}

QByteArray OpenDataUserAgent() {
    return QStringLiteral("%1/%2 (+%3)").arg(kProgramTitle, kVersionText, kMakerWebSite).toUtf8();
}

std::unique_ptr<MapService> MakeOpenDataMapService() {
    const QByteArray agent = OpenDataUserAgent();
    return std::make_unique<MapService>(
        std::make_unique<GeoplateformeGeocoder>(
            QStringLiteral("https://data.geopf.fr/geocodage/search"), agent),
        std::make_unique<NominatimGeocoder>(
            QStringLiteral("https://nominatim.openstreetmap.org/search"), agent));
}

} // namespace tarnel
