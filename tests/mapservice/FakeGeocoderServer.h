#pragma once

#include "tests/support/LoopbackServer.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <atomic>
#include <chrono>
#include <mutex>

namespace tarnel {

// Both upstream geocoders on loopback, answering in their documented formats:
// "/geocodage/search?q=…&limit=1" in GeoCodeJSON like the Géoplateforme, and
// "/search?format=jsonv2&limit=1&q=…" with a JSON array like Nominatim. A query answers what
// the test set for it on that endpoint, an empty result otherwise.
class FakeGeocoderServer {
public:
    enum class Behaviour {
        Place,       // the place set
        Hang,        // holds the request until Release() or ten seconds
        Garbage,     // a 200 whose body is not JSON
        Huge,        // a 200 of two mebibytes
        ServerError, // a 500
    };
    enum class Endpoint { National, Nominatim };

    FakeGeocoderServer(); // listens on a free loopback port
    FakeGeocoderServer(const FakeGeocoderServer&) = delete;
    FakeGeocoderServer& operator=(const FakeGeocoderServer&) = delete;
    ~FakeGeocoderServer();

    QString SearchUrl(Endpoint endpoint) const;

    void Set(Endpoint endpoint, const QString& query, Behaviour behaviour, double latitude = 0,
             double longitude = 0, std::chrono::milliseconds delay = {});
    void Release();
    void ClearCounts();

    // Requests that reached the endpoint for `query`.
    int Hits(Endpoint endpoint, const QString& query) const;
    // Requests that reached the endpoint, whatever their query.
    int Hits(Endpoint endpoint) const;
    QByteArray LastUserAgent() const;
    QByteArray LastTarget() const;
    // Arrival times of the requests, in order.
    QList<std::chrono::steady_clock::time_point> Arrivals() const;

private:
    struct Answer {
        Behaviour behaviour = Behaviour::Place;
        double latitude = 0;
        double longitude = 0;
        std::chrono::milliseconds delay{};
    };
    static QString Key(Endpoint endpoint, const QString& query);

    std::atomic<bool> released_ = false;
    mutable std::mutex mutex_;
    QHash<QString, Answer> answers_;
    QHash<QString, int> hits_;
    QByteArray lastUserAgent_;
    QByteArray lastTarget_;
    QList<std::chrono::steady_clock::time_point> arrivals_;
    tarnel::testing::LoopbackServer server_; // last: stopped before what its handlers use
};

} // namespace tarnel
