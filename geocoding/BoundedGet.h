#pragma once

#include "geocoding/Cancellation.h"

#include <QByteArray>
#include <chrono>

namespace tarnel {

// Bounds that keep a slow, dead or hostile upstream from holding a map page for long.
struct HttpLimits {
    std::chrono::milliseconds connectTimeout{4000}; // to open the connection
    std::chrono::milliseconds totalTimeout{8000};   // for the whole exchange
    qsizetype maxBodyBytes = qsizetype{1} * 1024 * 1024;
};

// How one GET ended, told apart as far as the user can act on it.
struct HttpAnswer {
    enum class Outcome {
        Body,         // a 200 that fits the limits: `body` holds it
        Unreachable,  // no connection: no network, unknown host, refused, timed out
        Certificates, // the TLS check of the server failed (no or outdated CA certificates)
        Refused,      // the server turned the request down (403, 429: usage limits)
        Failed,       // any other status, or an answer beyond the limits
    };
    Outcome outcome = Outcome::Failed;
    QByteArray body;
    long status = 0; // the HTTP status, 0 when none arrived
};

// GET `url` (already percent-encoded) directly, without proxy or redirection, with the agent
// `userAgent`. Ends within a few tens of milliseconds once `cancel` (when given) is thrown, as
// Failed. Safe to call from several threads at once.
HttpAnswer BoundedGet(const QByteArray& url, const QByteArray& userAgent, const HttpLimits& limits,
                      const Cancellation* cancel = nullptr);

} // namespace tarnel
