#pragma once

#include "tests/support/LoopbackServer.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <chrono>
#include <mutex>

namespace tarnel {

// Both reverse searches on loopback: "/geocodage/reverse?lon=&lat=" like the Géoplateforme and
// "/reverse?format=jsonv2&lat=&lon=" like Nominatim, each answering what the test set for it,
// by default a recorded answer of that service. A request without a readable "lat" or "lon"
// is answered 400, as the real services answer it, and counted in Broken(); so is a Nominatim
// request without an agent of its own (403).
class FakeReverseServer {
public:
    enum class Endpoint { National, Nominatim };
    enum class Answer {
        Recorded,        // the recorded answer of an address
        Nothing,         // the service's answer for a point without address
        TooManyRequests, // a 429
        Garbage,         // a 200 whose body is not JSON
    };

    FakeReverseServer(); // listens on a free loopback port

    QString Url(Endpoint endpoint) const;
    void Set(Endpoint endpoint, Answer answer);

    int Hits(Endpoint endpoint) const;
    int Broken() const;
    QByteArray LastTarget(Endpoint endpoint) const;
    QList<std::chrono::steady_clock::time_point> Arrivals() const;

    // Where the recorded answers put their address.
    static constexpr double kAmiensLatitude = 49.897443;
    static constexpr double kAmiensLongitude = 2.290084;
    static constexpr double kLondonLatitude = 51.5073219;
    static constexpr double kLondonLongitude = -0.1276474;

private:
    mutable std::mutex mutex_;
    QHash<Endpoint, Answer> answers_;
    QHash<Endpoint, int> hits_;
    QHash<Endpoint, QByteArray> targets_;
    QList<std::chrono::steady_clock::time_point> arrivals_;
    int broken_ = 0;
    tarnel::testing::LoopbackServer server_; // last: stopped before what its handlers use
};

} // namespace tarnel
