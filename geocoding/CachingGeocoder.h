#pragma once

#include "geocoding/Geocoder.h"
#include "geocoding/SharedResultCache.h"

#include <QString>
#include <memory>

namespace tarnel {

// Keeps the answers of another geocoder for the `capacity` addresses looked up last (see
// SharedResultCache: one lookup per address reaches the upstream, failures are not kept).
// Addresses are the same without regard to case or runs of blanks.
class CachingGeocoder final : public Geocoder {
public:
    static constexpr qsizetype kDefaultCapacity = 4096;

    explicit CachingGeocoder(std::unique_ptr<Geocoder> upstream,
                             qsizetype capacity = kDefaultCapacity);

    GeocodeResult Locate(const QString& address) override;
    QString SourceName() const override;
    void CancelLookups() override;

private:
    const std::unique_ptr<Geocoder> upstream_;
    SharedResultCache<GeocodeResult> results_;
};

} // namespace tarnel
