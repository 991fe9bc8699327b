#pragma once

#include "geocoding/BoundedGet.h"
#include "geocoding/Cancellation.h"
#include "geocoding/Geocoder.h"
#include "geocoding/RateLimiter.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

namespace tarnel {

// The search endpoint of one open-data geocoder, as all of that geocoder's lookups share it:
// its address, the agent it is sent, the bounds of each exchange, the turns its usage policy
// allows and the switch that ends every lookup at the end of the program. Thread-safe.
class UpstreamSearch {
public:
    using BodyReader = std::function<GeocodeResult(const QByteArray&)>;

    // Turns come at least `interval` apart; a lookup whose turn lies further than `maxWait`
    // ahead gives up.
    UpstreamSearch(QString searchUrl, QByteArray userAgent, HttpLimits limits,
                   std::chrono::milliseconds interval, std::chrono::milliseconds maxWait);
    // The same taking its turns from `turns`, shared with the other endpoints of a service
    // whose usage policy bounds the requests of the whole program.
    UpstreamSearch(QString searchUrl, QByteArray userAgent, HttpLimits limits,
                   std::shared_ptr<RateLimiter> turns);

    // Waits for a turn, then GETs "<searchUrl>?<parameters>" (`parameters` already
    // percent-encoded): a body that arrived is read by `readBody`, otherwise the result says
    // why none did. Refused when no turn came, the queue being too long or the lookup
    // cancelled.
    GeocodeResult Ask(const QByteArray& parameters, const BodyReader& readBody);

    // Waits for a turn, then GETs "<searchUrl>?<parameters>" and hands the exchange back as it
    // ended; Refused when no turn came.
    HttpAnswer Fetch(const QByteArray& parameters);

    // Lookups in flight, waiting for their turn or still to come end at once.
    void Cancel() { cancel_.Cancel(); }

private:
    const QByteArray searchUrl_;
    const QByteArray userAgent_;
    const HttpLimits limits_;
    const std::shared_ptr<RateLimiter> turns_;
    Cancellation cancel_;
};

} // namespace tarnel
