#pragma once

#include "geocoding/ReverseGeocoder.h"
#include "geocoding/SharedResultCache.h"
#include "geocoding/UpstreamSearch.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <utility>

namespace tarnel {

// One open-data service asked about points of the map (their altitude, commune, parcel): its
// endpoint and turns, honouring its 429s (UpstreamSearch), and its answers kept for the points
// asked last (SharedResultCache keyed by PointKey: one lookup per point reaches the service,
// failures are asked again). `Fact` has an `outcome` (GeocodeResult::Outcome) and is built from
// one. Thread-safe.
template <typename Fact> class PointLookup {
public:
    using Reader = Fact (*)(const QByteArray&);
    static constexpr qsizetype kCapacity = 4096;

    PointLookup(QString url, QByteArray userAgent, HttpLimits limits,
                std::shared_ptr<RateLimiter> turns, Reader read)
        : search_(std::move(url), std::move(userAgent), limits, std::move(turns),
                  UpstreamSearch::RetryAfter::Honoured)
        , read_(read)
        , facts_(kCapacity) {}

    // What the service says about `point`, asked with `parameters` (already percent-encoded)
    // unless known: the answer read by the reader, or why none came.
    Fact Ask(const Place& point, const QByteArray& parameters) {
        return facts_.Get(PointKey(point), [&] { return search_.Ask(parameters, read_); });
    }

    // Lookups in flight, waiting for their turn or still to come fail at once.
    void Cancel() { search_.Cancel(); }

private:
    UpstreamSearch search_;
    const Reader read_;
    SharedResultCache<Fact> facts_;
};

} // namespace tarnel
