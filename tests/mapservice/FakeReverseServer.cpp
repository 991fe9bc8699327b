#include "FakeReverseServer.h"

#include <httplib.h>

namespace tarnel {

namespace {

constexpr auto kNationalPath = "/geocodage/reverse";
constexpr auto kNominatimPath = "/reverse";

// The feature of the Base Adresse Nationale's documented example
// (https://adresse.data.gouv.fr/api-doc/adresse, "8 bd du port"), in the GeoCodeJSON collection
// its reverse search answers with, the "distance" in metres that the Géoplateforme's reverse
// search adds to each feature
// (https://geoservices.ign.fr/documentation/services/services-geoplateforme/geocodage).
constexpr auto kNationalRecorded =
    R"({"type":"FeatureCollection","version":"draft","features":[{"type":"Feature",)"
    R"("geometry":{"type":"Point","coordinates":[2.290084,49.897443]},"properties":{)"
    R"("label":"8 Boulevard du Port 80000 Amiens","score":0.49159121588068583,)"
    R"("housenumber":"8","id":"80021_6590_00008","type":"housenumber",)"
    R"("name":"8 Boulevard du Port","postcode":"80000","citycode":"80021","city":"Amiens",)"
    R"("context":"80, Somme, Hauts-de-France","street":"Boulevard du Port",)"
    R"("distance":6}}],"attribution":"BAN","licence":"ETALAB-2.0","limit":1})";
constexpr auto kNationalNothing =
    R"({"type":"FeatureCollection","version":"draft","features":[],"attribution":"BAN",)"
    R"("licence":"ETALAB-2.0","limit":1})";
// Nominatim's documented place (https://nominatim.org/release-docs/latest/api/Output/), in the
// jsonv2 naming ("category" for "class", "place_rank", "addresstype", "name").
constexpr auto kNominatimRecorded =
    R"({"place_id":100149,"licence":"Data © OpenStreetMap contributors, ODbL 1.0. )"
    R"(https://osm.org/copyright","osm_type":"node","osm_id":107775,"lat":"51.5073219",)"
    R"("lon":"-0.1276474","category":"place","type":"city","place_rank":16,)"
    R"("importance":0.9654895765402,"addresstype":"city","name":"London",)"
    R"("display_name":"London, Greater London, England, SW1A 2DU, United Kingdom",)"
    R"("address":{"city":"London","state_district":"Greater London","state":"England",)"
    R"("ISO3166-2-lvl4":"GB-ENG","postcode":"SW1A 2DU","country":"United Kingdom",)"
    R"("country_code":"gb"},"boundingbox":["51.3473219","51.6673219","-0.2876474",)"
    R"("0.0323526"]})";
// What Nominatim answers, with a 200, for a point without any object near it
// (osm-search/Nominatim, src/nominatim_api/v1/format_json.py, format_base_json).
constexpr auto kNominatimNothing = R"({"error":"Unable to geocode"})";

bool ReadableCoordinate(const httplib::Request& request, const char* name) {
    bool ok = false;
    QString::fromStdString(request.get_param_value(name)).toDouble(&ok);
    return request.has_param(name) && ok;
}

} // namespace

FakeReverseServer::FakeReverseServer() {
    const auto serve = [this](Endpoint endpoint) {
        return [this, endpoint](const httplib::Request& request, httplib::Response& response) {
            const bool national = endpoint == Endpoint::National;
            const bool readable =
                ReadableCoordinate(request, "lat") && ReadableCoordinate(request, "lon");
            const std::string agent = request.get_header_value("User-Agent");
            const bool named = !agent.empty() && !agent.starts_with("curl/");
            Answer answer = Answer::Recorded;
            {
                const std::lock_guard lock(mutex_);
                ++hits_[endpoint];
                targets_[endpoint] = QByteArray::fromStdString(request.target);
                arrivals_.append(std::chrono::steady_clock::now());
                answer = answers_.value(endpoint, Answer::Recorded);
                broken_ += readable && (national || named) ? 0 : 1;
            }
            if (!readable || !(national || named)) {
                response.status = readable ? 403 : 400;
                response.set_content(R"({"error":{"code":400,"message":"lat"}})",
                                     "application/json");
                return;
            }
            switch (answer) {
            case Answer::Recorded:
                response.set_content(national ? kNationalRecorded : kNominatimRecorded,
                                     "application/json; charset=utf-8");
                break;
            case Answer::Nothing:
                response.set_content(national ? kNationalNothing : kNominatimNothing,
                                     "application/json; charset=utf-8");
                break;
            case Answer::TooManyRequests:
                response.status = 429;
                response.set_header("Retry-After", "60");
                response.set_content(R"({"code":429,"message":"Too Many Requests"})",
                                     "application/json");
                break;
            case Answer::Garbage:
                response.set_content("<html><body>{\"features\": [ oops", "text/html");
                break;
            }
        };
    };
    server_.Server().Get(kNationalPath, serve(Endpoint::National));
    server_.Server().Get(kNominatimPath, serve(Endpoint::Nominatim));
    server_.Start();
}

QString FakeReverseServer::Url(Endpoint endpoint) const {
    return server_.Url(
        QLatin1String(endpoint == Endpoint::National ? kNationalPath : kNominatimPath));
}

void FakeReverseServer::Set(Endpoint endpoint, Answer answer) {
    const std::lock_guard lock(mutex_);
    answers_.insert(endpoint, answer);
}

int FakeReverseServer::Hits(Endpoint endpoint) const {
    const std::lock_guard lock(mutex_);
    return hits_.value(endpoint);
}

int FakeReverseServer::Broken() const {
    const std::lock_guard lock(mutex_);
    return broken_;
}

QByteArray FakeReverseServer::LastTarget(Endpoint endpoint) const {
    const std::lock_guard lock(mutex_);
    return targets_.value(endpoint);
}

QList<std::chrono::steady_clock::time_point> FakeReverseServer::Arrivals() const {
    const std::lock_guard lock(mutex_);
    return arrivals_;
}

} // namespace tarnel
