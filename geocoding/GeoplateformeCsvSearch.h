#pragma once

#include "geocoding/BoundedGet.h"
#include "geocoding/Cancellation.h"
#include "geocoding/RateLimiter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>

namespace tarnel {

// The Géoplateforme's geocoding of a CSV file (POST <url>, multipart/form-data: `data` the
// file, one `columns` field per column joined into the text looked up, `citycode` the name of
// a column of INSEE codes that narrows each row's search), answered by the same rows with the
// result columns added. Its usage policy allows 50 requests a second per address and answers
// 429 with a Retry-After beyond it: requests are spaced, a refusal is waited out and asked
// again, and so is a gateway or connection failure, twice, as the service's own clients do.
// Thread-safe.
class GeoplateformeCsvSearch {
public:
    // A chunk of a few thousand rows takes the service minutes at its slowest.
    static HttpLimits Limits();

    // `url` is the endpoint, "https://data.geopf.fr/geocodage/search/csv" for the real service.
    GeoplateformeCsvSearch(QString url, QByteArray userAgent, HttpLimits limits = Limits());

    // Sends the UTF-8 CSV `csv` and hands back how the last attempt ended: Body with the
    // geocoded CSV, Refused after the service kept refusing, Unreachable, or Failed (its body
    // may hold the service's JSON error).
    HttpAnswer Send(const QByteArray& csv, const QList<QByteArray>& columns,
                    const QByteArray& cityCodeColumn = {});

    // Requests in flight and waits end at once.
    void Cancel() { cancel_.Cancel(); }

private:
    const QByteArray url_;
    const QByteArray userAgent_;
    const HttpLimits limits_;
    RateLimiter turns_;
    Cancellation cancel_;
};

} // namespace tarnel
