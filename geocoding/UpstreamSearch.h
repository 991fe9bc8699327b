#pragma once

#include "geocoding/BoundedGet.h"
#include "geocoding/Cancellation.h"
#include "geocoding/Geocoder.h"
#include "geocoding/RateLimiter.h"
#include "geocoding/ReverseGeocoder.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>
#include <type_traits>

namespace tarnel {

// The search endpoint of one open-data geocoder, as all of that geocoder's lookups share it:
// its address, the agent it is sent, the bounds of each exchange, the turns its usage policy
// allows and the switch that ends every lookup at the end of the program. Thread-safe.
class UpstreamSearch {
public:
    // Whether a 429 holds back every later turn for as long as the service asks
    // (RetryBudget::HoldAsked), refusing the lookups that would reach it meanwhile.
    enum class RetryAfter { Ignored, Honoured };

    // Turns come at least `interval` apart; a lookup whose turn lies further than `maxWait`
    // ahead gives up.
    UpstreamSearch(QString searchUrl, QByteArray userAgent, HttpLimits limits,
                   std::chrono::milliseconds interval, std::chrono::milliseconds maxWait);
    // The same taking its turns from `turns`, shared with the other endpoints of a service
    // whose usage policy bounds the requests of the whole program.
    UpstreamSearch(QString searchUrl, QByteArray userAgent, HttpLimits limits,
                   std::shared_ptr<RateLimiter> turns, RetryAfter retryAfter = RetryAfter::Ignored);

    // Waits for a turn, then GETs "<searchUrl>?<parameters>" (`parameters` already
    // percent-encoded): a body that arrived is read by `readBody`, otherwise the result (what
    // `readBody` returns: a GeocodeResult, a NearestAddress, a point's fact, each with an
    // `outcome`) says why none did (OutcomeOfExchange). Refused when no turn came, the queue
    // being too long or the lookup cancelled.
    template <typename Reader> auto Ask(const QByteArray& parameters, const Reader& readBody) {
        const HttpAnswer answer = Fetch(parameters);
        if (answer.outcome != HttpAnswer::Outcome::Body) {
            std::invoke_result_t<const Reader&, const QByteArray&> none;
            none.outcome = OutcomeOfExchange(answer.outcome);
            return none;
        }
        return readBody(answer.body);
    }

    // Lookups in flight, waiting for their turn or still to come end at once.
    void Cancel() { cancel_.Cancel(); }

private:
    // Waits for a turn, then GETs "<searchUrl>?<parameters>" and hands the exchange back as it
    // ended; Refused when no turn came.
    HttpAnswer Fetch(const QByteArray& parameters);

    const QByteArray searchUrl_;
    const QByteArray userAgent_;
    const HttpLimits limits_;
    const std::shared_ptr<RateLimiter> turns_;
    const RetryAfter retryAfter_;
    Cancellation cancel_;
};

} // namespace tarnel
