#include "geocoding/CachingGeocoder.h"

#include <utility>

namespace tarnel {

CachingGeocoder::CachingGeocoder(std::unique_ptr<Geocoder> upstream, qsizetype capacity)
    : upstream_(std::move(upstream))
    , results_(capacity) {
}

GeocodeResult CachingGeocoder::Locate(const QString& address) {
    const QString key = address.simplified().toCaseFolded();
    return results_.Get(key, [&] { return upstream_->Locate(address); });
}

QString CachingGeocoder::SourceName() const {
    return upstream_->SourceName();
}

void CachingGeocoder::CancelLookups() {
    upstream_->CancelLookups();
}

} // namespace tarnel
