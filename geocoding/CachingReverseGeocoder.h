#pragma once

#include "geocoding/ReverseGeocoder.h"
#include "geocoding/SharedResultCache.h"

#include <QString>
#include <memory>

namespace tarnel {

// Keeps the answers of another reverse geocoder for the `capacity` points asked last (see
// SharedResultCache: one lookup per point reaches the upstream, failures are not kept). Points
// are the same when they agree to 5 decimals (about a metre), closer than any address is told
// apart.
class CachingReverseGeocoder final : public ReverseGeocoder {
public:
    static constexpr qsizetype kDefaultCapacity = 4096;

    explicit CachingReverseGeocoder(std::unique_ptr<ReverseGeocoder> upstream,
                                    qsizetype capacity = kDefaultCapacity);

    NearestAddress Nearest(const Place& point) override;
    QString SourceName() const override;
    void CancelLookups() override;

private:
    const std::unique_ptr<ReverseGeocoder> upstream_;
    SharedResultCache<NearestAddress> results_;
};

} // namespace tarnel
