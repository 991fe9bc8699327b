#pragma once

#include "geocoding/Cancellation.h"

#include <QByteArray>
#include <QList>
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
    QByteArray body; // also that of a refusal or another status, which may say why
    long status = 0; // the HTTP status, 0 when none arrived
    // How long the server asked to be left alone (its Retry-After), 0 when it did not say.
    std::chrono::seconds retryAfter{0};
};

// One field of a multipart/form-data body; with a file name it is sent as a file.
struct FormField {
    QByteArray name;
    QByteArray value;
    QByteArray fileName;
};

// GET `url` (already percent-encoded) directly, without proxy or redirection, with the agent
// `userAgent`. Ends within a few tens of milliseconds once `cancel` (when given) is thrown, as
// Failed. Safe to call from several threads at once.
HttpAnswer BoundedGet(const QByteArray& url, const QByteArray& userAgent, const HttpLimits& limits,
                      const Cancellation* cancel = nullptr);

// POSTs `fields` as multipart/form-data to `url`, within the same bounds and in the same way as
// BoundedGet.
HttpAnswer BoundedPostForm(const QByteArray& url, const QByteArray& userAgent,
                           const HttpLimits& limits, const QList<FormField>& fields,
                           const Cancellation* cancel = nullptr);

// POSTs the JSON document `json` to `url`, within the same bounds and in the same way as
// BoundedGet.
HttpAnswer BoundedPostJson(const QByteArray& url, const QByteArray& userAgent,
                           const HttpLimits& limits, const QByteArray& json,
                           const Cancellation* cancel = nullptr);

} // namespace tarnel
