#include "FakeGeocoderServer.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <thread>

namespace tarnel {

namespace {

constexpr auto NationalPath = "/geocodage/search";
constexpr auto NominatimPath = "/search";
constexpr auto LongestHang = std::chrono::seconds(10);

QByteArray NationalJson(const QJsonArray& features) {
    QJsonObject collection;
    collection.insert(QStringLiteral("type"), QStringLiteral("FeatureCollection"));
    collection.insert(QStringLiteral("version"), QStringLiteral("draft"));
    collection.insert(QStringLiteral("features"), features);
    return QJsonDocument(collection).toJson(QJsonDocument::Compact);
}

QByteArray NationalPlace(double latitude, double longitude) {
    QJsonObject geometry;
    geometry.insert(QStringLiteral("type"), QStringLiteral("Point"));
    geometry.insert(QStringLiteral("coordinates"), QJsonArray{longitude, latitude});
    QJsonObject properties;
    properties.insert(QStringLiteral("score"), 0.95);
    properties.insert(QStringLiteral("type"), QStringLiteral("housenumber"));
    QJsonObject feature;
    feature.insert(QStringLiteral("type"), QStringLiteral("Feature"));
    feature.insert(QStringLiteral("geometry"), geometry);
    feature.insert(QStringLiteral("properties"), properties);
    return NationalJson(QJsonArray{feature});
}

QByteArray NominatimPlace(double latitude, double longitude) {
    QJsonObject match;
    match.insert(QStringLiteral("place_id"), 1);
    match.insert(QStringLiteral("licence"),
                 QStringLiteral("Data © OpenStreetMap contributors, ODbL 1.0."));
    match.insert(QStringLiteral("lat"), QString::number(latitude, 'f', 7));
    match.insert(QStringLiteral("lon"), QString::number(longitude, 'f', 7));
    match.insert(QStringLiteral("display_name"), QStringLiteral("somewhere"));
    return QJsonDocument(QJsonArray{match}).toJson(QJsonDocument::Compact);
}

} // namespace

FakeGeocoderServer::FakeGeocoderServer() {
    const auto serve = [this](Endpoint endpoint) {
        return [this, endpoint](const httplib::Request& request, httplib::Response& response) {
            const QString query = QString::fromStdString(request.get_param_value("q"));
            Answer answer;
            bool known = false;
            {
                const std::lock_guard lock(mutex_);
                ++hits_[Key(endpoint, query)];
                lastUserAgent_ = QByteArray::fromStdString(request.get_header_value("User-Agent"));
                lastTarget_ = QByteArray::fromStdString(request.target);
                arrivals_.append(std::chrono::steady_clock::now());
                known = answers_.contains(Key(endpoint, query));
                answer = answers_.value(Key(endpoint, query));
            }
            std::this_thread::sleep_for(answer.delay);
            const bool national = endpoint == Endpoint::National;
            QByteArray body;
            if (!known) {
                body = national ? NationalJson({}) : QByteArray("[]");
            } else {
                switch (answer.behaviour) {
                case Behaviour::Place:
                    body = national ? NationalPlace(answer.latitude, answer.longitude)
                                    : NominatimPlace(answer.latitude, answer.longitude);
                    break;
                case Behaviour::Hang: {
                    const auto until = std::chrono::steady_clock::now() + LongestHang;
                    while (!released_ && std::chrono::steady_clock::now() < until) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    }
                    body = national ? NationalJson({}) : QByteArray("[]");
                    break;
                }
                case Behaviour::Garbage:
                    body = "<html><body>{\"features\": [ oops";
                    break;
                case Behaviour::Huge:
                    body = QByteArray(2 * 1024 * 1024, ' ') +
                           (national ? NationalPlace(answer.latitude, answer.longitude)
                                     : NominatimPlace(answer.latitude, answer.longitude));
                    break;
                case Behaviour::ServerError:
                    response.status = 500;
                    body = "{}";
                    break;
                }
            }
            response.set_content(body.constData(), static_cast<size_t>(body.size()),
                                 "application/json; charset=utf-8");
        };
    };
    server_.Server().Get(NationalPath, serve(Endpoint::National));
    server_.Server().Get(NominatimPath, serve(Endpoint::Nominatim));
    server_.Start();
}

FakeGeocoderServer::~FakeGeocoderServer() {
    // Lets a hanging handler go, so that stopping the server does not wait for it.
    Release();
}

QString FakeGeocoderServer::SearchUrl(Endpoint endpoint) const {
    return server_.Url(
        QLatin1String(endpoint == Endpoint::National ? NationalPath : NominatimPath));
}

void FakeGeocoderServer::Set(Endpoint endpoint, const QString& query, Behaviour behaviour,
                             double latitude, double longitude, std::chrono::milliseconds delay) {
    const std::lock_guard lock(mutex_);
    answers_.insert(Key(endpoint, query), Answer{behaviour, latitude, longitude, delay});
}

void FakeGeocoderServer::Release() {
    released_ = true;
}

void FakeGeocoderServer::ClearCounts() {
    const std::lock_guard lock(mutex_);
    hits_.clear();
    arrivals_.clear();
}

int FakeGeocoderServer::Hits(Endpoint endpoint, const QString& query) const {
    const std::lock_guard lock(mutex_);
    return hits_.value(Key(endpoint, query));
}

int FakeGeocoderServer::Hits(Endpoint endpoint) const {
    const std::lock_guard lock(mutex_);
    const QString prefix = Key(endpoint, {});
    int total = 0;
    for (auto it = hits_.cbegin(); it != hits_.cend(); ++it) {
        if (it.key().startsWith(prefix)) {
            total += it.value();
        }
    }
    return total;
}

QByteArray FakeGeocoderServer::LastUserAgent() const {
    const std::lock_guard lock(mutex_);
    return lastUserAgent_;
}

QByteArray FakeGeocoderServer::LastTarget() const {
    const std::lock_guard lock(mutex_);
    return lastTarget_;
}

QList<std::chrono::steady_clock::time_point> FakeGeocoderServer::Arrivals() const {
    const std::lock_guard lock(mutex_);
    return arrivals_;
}

QString FakeGeocoderServer::Key(Endpoint endpoint, const QString& query) {
    return (endpoint == Endpoint::National ? QStringLiteral("N|") : QStringLiteral("O|")) + query;
}

} // namespace tarnel
