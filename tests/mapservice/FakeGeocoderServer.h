#pragma once

#include "tests/support/LoopbackServer.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <mutex>

namespace tarnel {

// Both upstream geocoders on loopback, answering in their documented shapes:
// "/geocodage/search?q=…" in GeoCodeJSON like the Géoplateforme (several features, each with
// label, score, postcode, citycode, city, street, type…, best score first), and
// "/search?format=jsonv2&…" with a JSON array like Nominatim, whose query is its "q" or its
// structured parts joined by ", ". A query answers what the test set for it on that endpoint;
// any other query gets the service's usual answer to an unknown address: low-score guesses
// from the Géoplateforme, an empty array from Nominatim.
// Each request is also checked against the rules the real services publish, and answered as
// they answer one that breaks them: 400 for a Géoplateforme "q" of fewer than 3 or more than
// 200 characters or not starting with a letter or digit, or a bad "autocomplete" or "limit";
// 400 for a Nominatim request with neither or both of "q" and structured parts, or with an
// unknown "format"; 403 for a Nominatim
// request without a User-Agent of its own. Broken() counts them.
class FakeGeocoderServer {
public:
    enum class Behaviour {
        Place,           // the place set, first and well scored, lesser guesses after it
        Namesake,        // a better-scored namesake in another town first, then the place
        Guesses,         // only low-score guesses elsewhere ("8 Boulevard du Port… Amiens")
        OtherPostcode,   // one well-scored feature whose postal code is not the query's
        Empty,           // an empty collection or array
        Gzip,            // the place, sent gzip-compressed
        Hang,            // holds the request until Release() or ten seconds
        Garbage,         // a 200 whose body is not JSON
        Huge,            // a 200 of two mebibytes
        ServerError,     // a 500
        BadRequest,      // a 400 with the service's message
        Forbidden,       // a 403
        TooManyRequests, // a 429
    };
    enum class Endpoint { National, Nominatim };

    FakeGeocoderServer(); // listens on a free loopback port
    FakeGeocoderServer(const FakeGeocoderServer&) = delete;
    FakeGeocoderServer& operator=(const FakeGeocoderServer&) = delete;
    ~FakeGeocoderServer();

    QString SearchUrl(Endpoint endpoint) const;

    void Set(Endpoint endpoint, const QString& query, Behaviour behaviour, double latitude = 0,
             double longitude = 0, std::chrono::milliseconds delay = {});
    // Answers `query` with `body`, a real answer recorded from the service, whatever else the
    // request asks.
    void SetRecorded(Endpoint endpoint, const QString& query, const QByteArray& body);
    void Release();
    void ClearCounts();

    // Requests that reached the endpoint for `query`.
    int Hits(Endpoint endpoint, const QString& query) const;
    // Requests that reached the endpoint, whatever their query.
    int Hits(Endpoint endpoint) const;
    // Requests the real service would have refused, with the reason of each.
    QStringList Broken() const;
    // The decoded "q" of every request, in order.
    QStringList Queries() const;
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
        QByteArray recorded{};
    };
    static QString Key(Endpoint endpoint, const QString& query);

    std::atomic<bool> released_ = false;
    mutable std::mutex mutex_;
    QHash<QString, Answer> answers_;
    QHash<QString, int> hits_;
    QStringList broken_;
    QStringList queries_;
    QByteArray lastUserAgent_;
    QByteArray lastTarget_;
    QList<std::chrono::steady_clock::time_point> arrivals_;
    tarnel::testing::LoopbackServer server_; // last: stopped before what its handlers use
};

} // namespace tarnel
