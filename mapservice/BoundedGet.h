#pragma once

#include "mapservice/Cancellation.h"

#include <QByteArray>
#include <chrono>
#include <optional>

namespace tarnel {

// Bounds that keep a slow, dead or hostile upstream from holding a map page for long.
struct HttpLimits {
    std::chrono::milliseconds connectTimeout{4000}; // to open the connection
    std::chrono::milliseconds totalTimeout{8000};   // for the whole exchange
    qsizetype maxBodyBytes = qsizetype{1} * 1024 * 1024;
};

// GET `url` (already percent-encoded) directly, without proxy or redirection, with the agent
// `userAgent`. The body when the answer is a 200 that fits the limits; nothing otherwise, and
// nothing within a few tens of milliseconds once `cancel` (when given) is thrown.
// Safe to call from several threads at once.
std::optional<QByteArray> BoundedGet(const QByteArray& url, const QByteArray& userAgent,
                                     const HttpLimits& limits,
                                     const Cancellation* cancel = nullptr);

} // namespace tarnel
